// The robot sharing page: its exact text with hostile values, the share folder, the Windows
// version names, the HTML control's link and command rules, the read-only page view that Wine
// shows (it has no browser engine), the main dialog's share command, and clean teardown.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/quorvexdlg.h"
#include "res/resource.h"
#include "app/robotuploaddlg.h"
#include "tests/support/robot_folder.h"
#include "tests/support/test_support.h"
#include "tests/support/ui_support.h"

using namespace testing_support;

namespace {

int beeps = 0;
UINT lastBeep = 0;
BOOL WINAPI CountBeep(UINT type) {
  ++beeps;
  lastBeep = type;
  return TRUE;
}

// The control with its handlers in reach and its back navigation counted.
class TestHtmlCtrl : public CHtmlCtrl {
public:
  int backs = 0;
  std::vector<std::string> navigations;
  void GoBack() override {
    ++backs;
    CHtmlCtrl::GoBack();
  }
  void Navigate2(const char* url, DWORD flags, const char* target, const char* headers, const void* post,
                 DWORD length) override {
    navigations.push_back(url);
    CHtmlCtrl::Navigate2(url, flags, target, headers, post, length);
  }
  BOOL Command(WPARAM w, LPARAM l) { return OnCommand(w, l); }
};

// A plain top-level window with a static placeholder 1068, to host the control.
class Host : public CWnd {
public:
  Host() {
    CreateEx(0, nullptr, "Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 500, 400, nullptr, nullptr);
    ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 20, 30, 300, 200, m_hWnd,
                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDC_HTML_PLACEHOLDER)), nullptr, nullptr);
  }
  ~Host() override {
    if (m_hWnd) DestroyWindow();
  }
};

class BeepCapture {
public:
  BeepCapture() : previous_(CHtmlCtrl::s_MessageBeep) {
    beeps = 0;
    CHtmlCtrl::s_MessageBeep = CountBeep;
  }
  ~BeepCapture() { CHtmlCtrl::s_MessageBeep = previous_; }

private:
  BOOL(WINAPI* previous_)(UINT);
};

// Records the pages the read-only view's button would open.
class OpenerCapture {
public:
  OpenerCapture() { previous_ = SetHtmlPageOpener([this](const char* path) { opened.push_back(path); }); }
  ~OpenerCapture() { SetHtmlPageOpener(previous_); }
  std::vector<std::string> opened;

private:
  HtmlPageOpener previous_;
};

std::string Unix(std::string text) {
  std::string out;
  for (char c : text)
    if (c != '\r') out += c;
  return out;
}

std::string SharePagePath() { return std::string(GetShareFolder()) + "\\robot_share.html"; }

void RemoveShareFolder() {
  DeleteFileA(SharePagePath().c_str());
  RemoveDirectoryA(GetShareFolder());
}

const char kHostileDescription[] = "Say \"hi\" & <b>bye</b>\"><SCRIPT>alert(1)</SCRIPT>";

}  // namespace

TEST(SharePage, HostileValuesAreEscapedInTheFixedLayout) {
  SharePageFields f;
  f.name = "Tom \"&\" Jerry<3>.txt";
  f.description = kHostileDescription;
  std::string script;
  while (script.size() < 10 * 1024) script += "Send(\"<ENTER> & </TEXTAREA><SCRIPT>x</SCRIPT>\")\n";
  f.script = script.c_str();
  f.screenWidth = 1280;
  f.screenHeight = 1024;
  f.osVersion = "WinXP";
  f.programVersion = "5.0";
  std::string page = MakeSharePage(f).GetString();

  std::string escapedScript;
  for (char c : script) {
    if (c == '&') escapedScript += "&amp;";
    else if (c == '<') escapedScript += "&lt;";
    else if (c == '>') escapedScript += "&gt;";
    else if (c == '"') escapedScript += "&quot;";
    else escapedScript += c;
  }
  const std::string form =
      "<FORM NAME=\"upload_robot\" METHOD=\"POST\" ACTION=\"https://vantorel.example/cgi-bin/quorvex/upload.pl\">\n"
      "Robot Name:<BR><INPUT TYPE=text NAME=script_name size=100 value=\"Tom &quot;&amp;&quot; Jerry&lt;3&gt;.txt\">"
      "<BR><BR>\n"
      "Robot Description:<BR><INPUT TYPE=text NAME=script_description value=\"Say &quot;hi&quot; &amp; "
      "&lt;b&gt;bye&lt;/b&gt;&quot;&gt;&lt;SCRIPT&gt;alert(1)&lt;/SCRIPT&gt;\"><BR><BR>\n"
      "Robot Script:<BR><TEXTAREA NAME=script_script ROWS=7 COLS=60>" +
      escapedScript +
      "</TEXTAREA><BR><BR>\n"
      "Screen Resolution:<BR><INPUT TYPE=text NAME=screen_resolution size=40 value=\"1280 x 1024\"><BR><BR>\n"
      "OS Version:<BR><INPUT TYPE=text NAME=os_version size=40 value=\"WinXP\"><BR><BR>\n"
      "Vantorel Pindrel Version:<BR><INPUT TYPE=text NAME=qv_version size=40 value=\"5.0\"><BR><BR>\n"
      "<INPUT TYPE=\"submit\" VALUE=\"Share Now\">\n"
      "</FORM>\n"
      "</TD></TR>\n"
      "</TABLE>\n"
      "</BODY>\n"
      "</HTML>";
  size_t formAt = page.find("<FORM");
  ASSERT_NE(formAt, std::string::npos);
  EXPECT_EQ(page.substr(formAt), form);

  std::string head = page.substr(0, formAt);
  EXPECT_EQ(head.rfind("<HTML>\n<HEAD>\n<TITLE>Share Robot</TITLE>\n", 0), 0u);
  for (const char* part : {".box {", ".text {", ".title {", ".whiteTD {", ".blueTD {", "font-size: 12px",
                           "font-size: 14px", "font-family: Verdana", "<BODY BGCOLOR=\"#FFFFFF\">",
                           "We encourage you to share your robot so that your robot can be reused by other users, also, "
                           "they may get he idea to improve and modify your robot. We will reward the users who "
                           "uploaded valualbe robots.",
                           "To start sharing your robot, verify the form below and click on 'Share Now' button.",
                           "<TABLE ALIGN=center WIDTH=600"}) {
    EXPECT_NE(head.find(part), std::string::npos) << part;
  }
  // No value can open a tag of its own: every '<' of the page belongs to the page itself.
  EXPECT_EQ(page.find("<SCRIPT"), std::string::npos);
  EXPECT_EQ(page.find("</TEXTAREA>"), page.rfind("</TEXTAREA>"));
}

TEST(SharePage, TheRobotFileBecomesThePageInANewShareFolder) {
  RobotFolder folder;
  RobotFixture robot("Hostile", "Ctrl + K", "None", 1, 0, 1, {"Send(\"a<b>&c\")", "Sleep(100)"});
  folder.Write(robot);
  // A later description line replaces an earlier one; both stay in the script.
  std::string file = RobotFileText(robot);
  file.insert(file.find("[Script]"), "Description=first\r\nDescription=" + std::string(kHostileDescription) + "\r\n");
  WriteFileBytes(folder.File("Hostile"), file);
  RemoveShareFolder();

  CRobotUploadDlg dlg;
  EXPECT_FALSE(dlg.BuildSharePage("robot_share.html"));  // no robot file set
  EXPECT_EQ(GetFileAttributesA(GetShareFolder()), INVALID_FILE_ATTRIBUTES);

  dlg.m_RobotPath = folder.File("Hostile").c_str();
  ASSERT_TRUE(dlg.BuildSharePage("robot_share.html"));
  EXPECT_EQ(GetFileAttributesA(GetShareFolder()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));

  SharePageFields expected;
  expected.name = "Hostile.txt";
  expected.description = kHostileDescription;
  expected.script = Unix(file).c_str();
  expected.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  expected.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  expected.osVersion = "";  // Wine reports Windows 6.1: newer than any name of the table
  expected.programVersion = "5.0";
  std::string onDisk = ReadFileBytes(SharePagePath());
  EXPECT_NE(onDisk.find("\r\n"), std::string::npos);  // written as text
  EXPECT_EQ(Unix(onDisk), std::string(MakeSharePage(expected)));
  EXPECT_NE(onDisk.find("[General]\r\nName=Hostile\r\n"), std::string::npos);

  // A second page replaces the first.
  WriteFileBytes(folder.File("Hostile"), "Description=short\r\n");
  ASSERT_TRUE(dlg.BuildSharePage("robot_share.html"));
  EXPECT_NE(ReadFileBytes(SharePagePath()).find("value=\"short\""), std::string::npos);
  EXPECT_EQ(ReadFileBytes(SharePagePath()).find("first"), std::string::npos);
  RemoveShareFolder();
}

TEST(SharePage, WindowsVersionNames) {
  struct Case {
    DWORD platform, major, minor;
    const char* name;
  } cases[] = {
      {VER_PLATFORM_WIN32s, 3, 10, "Win32"},      {VER_PLATFORM_WIN32_WINDOWS, 4, 0, "Win95"},
      {VER_PLATFORM_WIN32_WINDOWS, 4, 1, "Win98"}, {VER_PLATFORM_WIN32_WINDOWS, 4, 10, "Win98"},
      {VER_PLATFORM_WIN32_WINDOWS, 4, 89, "Win98"}, {VER_PLATFORM_WIN32_WINDOWS, 4, 90, "WinME"},
      {VER_PLATFORM_WIN32_WINDOWS, 5, 0, "WinME"}, {VER_PLATFORM_WIN32_NT, 3, 51, "WinNT"},
      {VER_PLATFORM_WIN32_NT, 4, 0, "WinNT"},      {VER_PLATFORM_WIN32_NT, 5, 0, "Win2000"},
      {VER_PLATFORM_WIN32_NT, 5, 1, "WinXP"},      {VER_PLATFORM_WIN32_NT, 5, 2, ""},
      {VER_PLATFORM_WIN32_NT, 6, 1, ""},           {VER_PLATFORM_WIN32_NT, 10, 0, ""},
      {3, 5, 1, "Unknown OS"},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(OSVersionName(c.platform, c.major, c.minor), c.name) << c.platform << " " << c.major << "." << c.minor;
  }
  CString running = "unset";
  GetOSVersionName(running);
  EXPECT_STREQ(running, "");
}

TEST(HtmlCtrl, TakesThePlaceOfItsPlaceholder) {
  Host host;
  TestHtmlCtrl view;
  EXPECT_FALSE(view.CreateFromStatic(1234, &host));
  CRect placeholder;
  ::GetWindowRect(::GetDlgItem(host, IDC_HTML_PLACEHOLDER), &placeholder);
  host.ScreenToClient(&placeholder);
  ASSERT_TRUE(view.CreateFromStatic(IDC_HTML_PLACEHOLDER, &host));
  EXPECT_EQ(::GetDlgItem(host, IDC_HTML_PLACEHOLDER), view.m_hWnd);
  CRect now;
  view.GetWindowRect(&now);
  host.ScreenToClient(&now);
  EXPECT_EQ(now, placeholder);
  EXPECT_EQ(view.GetStyle() & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
  EXPECT_TRUE(view.IsNavigationAllowed());
}

TEST(HtmlCtrl, AppLinksRunCommandsAndAreNeverFollowed) {
  CWinApp app;
  Host host;
  CWnd main;
  main.CreateEx(0, nullptr, "Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr);
  app.m_pMainWnd = &main;
  TestHtmlCtrl view;
  ASSERT_TRUE(view.CreateFromStatic(IDC_HTML_PLACEHOLDER, &host));
  BeepCapture beep;
  MessageBoxCapture boxes;

  struct Case {
    const char* url;
    BOOL cancelled;
    int beeps;
    bool minimised;
    size_t boxes;
  } cases[] = {
      {"app:Beep", TRUE, 1, false, 0},        {"APP:Minimise", TRUE, 1, true, 0},
      {"app:beep", TRUE, 1, true, 1},         {"App:Minimize", TRUE, 1, true, 2},
      {"app:", TRUE, 1, true, 3},             {"http://vantorel.example/app:Beep", FALSE, 1, true, 3},
      {"C:\\pages\\app.html", FALSE, 1, true, 3},
  };
  for (const Case& c : cases) {
    BOOL cancel = FALSE;
    view.OnBeforeNavigate2(c.url, 0, "", std::string(), "", &cancel);
    EXPECT_EQ(cancel, c.cancelled) << c.url;
    EXPECT_EQ(beeps, c.beeps) << c.url;
    EXPECT_EQ(main.IsIconic() != FALSE, c.minimised) << c.url;
    EXPECT_EQ(boxes.boxes().size(), c.boxes) << c.url;
  }
  EXPECT_EQ(lastBeep, static_cast<UINT>(MB_ICONASTERISK));
  ASSERT_EQ(boxes.boxes().size(), 3u);
  EXPECT_EQ(boxes.boxes()[0].text, "beep");
  EXPECT_EQ(boxes.boxes()[0].caption, "Unexpected Command");
  EXPECT_EQ(boxes.boxes()[0].type, static_cast<UINT>(MB_OK | MB_ICONQUESTION));
  EXPECT_EQ(boxes.boxes()[1].text, "Minimize");
  EXPECT_EQ(boxes.boxes()[2].text, "");
  app.m_pMainWnd = nullptr;
  main.DestroyWindow();
}

TEST(HtmlCtrl, PlayLinksAreNeverFollowed) {
  Host host;
  TestHtmlCtrl view;
  ASSERT_TRUE(view.CreateFromStatic(IDC_HTML_PLACEHOLDER, &host));
  view.NavigateChecked("about:blank");
  view.NavigateChecked("PLAY:robot one");
  EXPECT_FALSE(view.IsNavigationAllowed());
  view.NavigateChecked("about:next");  // refused until the browser begins a navigation again
  EXPECT_EQ(view.navigations, std::vector<std::string>{"about:blank"});
  BOOL cancel = FALSE;
  view.OnBeforeNavigate2("about:other", 0, "", std::string(), "", &cancel);
  EXPECT_TRUE(view.IsNavigationAllowed());
  view.NavigateChecked("about:next");
  EXPECT_EQ(view.navigations, (std::vector<std::string>{"about:blank", "about:next"}));

  // A "play:" page that the browser reached anyway is left at once, back to the page before.
  view.OnNavigateComplete2("about:next");
  EXPECT_EQ(view.backs, 0);
  view.Navigate2("Play:robot", 0, nullptr, nullptr, nullptr, 0);
  EXPECT_EQ(view.backs, 1);
  EXPECT_EQ(std::string(view.GetLocationURL()), "about:next");
}

TEST(HtmlCtrl, SwallowsCommandsAndContextMenus) {
  Host host;
  TestHtmlCtrl view;
  ASSERT_TRUE(view.CreateFromStatic(IDC_HTML_PLACEHOLDER, &host));
  EXPECT_TRUE(view.Command(MAKEWPARAM(IDOK, BN_CLICKED), 0));
  EXPECT_EQ(view.OnShowContextMenu(0, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(static_cast<CHtmlView&>(view).CHtmlView::OnShowContextMenu(0, nullptr, nullptr, nullptr), S_FALSE);
}

TEST(HtmlCtrl, ReadableTextOfAPage) {
  const char page[] =
      "<HTML><HEAD><TITLE>T</TITLE><STYLE>.a { b: c; }</STYLE></HEAD><BODY>\n"
      "<P>One   two\nthree</P><P>Four &amp; &lt;five&gt;</P>"
      "Name:<BR><INPUT TYPE=text NAME=n value=\"a &quot;b&quot;\"><BR><BR>\n"
      "Code:<BR><TEXTAREA NAME=c>line 1\n  &lt;line 2&gt;\n</TEXTAREA><BR><BR>\n"
      "<INPUT TYPE=\"submit\" VALUE=\"Share Now\"></BODY></HTML>";
  EXPECT_STREQ(HtmlToReadableText(page), "One two three\n\nFour & <five>\n\nName:\na \"b\"\n\nCode:\nline 1\n  <line 2>");
}

class UploadDialog : public ::testing::Test {
protected:
  void SetUp() override {
    RobotFixture robot("Hostile", "Ctrl + K", "None", 1, 0, 1, {"Send(\"x\")"});
    folder.Write(robot);
    std::string file = RobotFileText(robot);
    file.insert(file.find("[Script]"), "Description=" + std::string(kHostileDescription) + "\r\n");
    WriteFileBytes(folder.File("Hostile"), file);
    RemoveShareFolder();
  }
  void TearDown() override { RemoveShareFolder(); }
  RobotFolder folder;
  OpenerCapture opener;
};

TEST_F(UploadDialog, WineShowsThePageReadOnlyWithAButtonToTheBrowser) {
  CRobotUploadDlg dlg;
  dlg.m_RobotPath = folder.File("Hostile").c_str();
  std::vector<std::string> seen;
  std::string text;
  RunLater(300, [&] {
    CHtmlCtrl& view = dlg.GetHtmlView();
    seen.push_back(view.HasBrowser() ? "browser" : "read-only");
    seen.push_back(::IsZoomed(dlg) ? "maximised" : "not maximised");
    seen.push_back("opened " + std::to_string(opener.opened.size()));
    CRect window, viewRect, button;
    dlg.GetWindowRect(&window);
    view.GetWindowRect(&viewRect);
    dlg.ScreenToClient(&viewRect);
    ::GetWindowRect(::GetDlgItem(dlg, IDOK), &button);
    dlg.ScreenToClient(&button);
    EXPECT_EQ(viewRect, CRect(30, 30, window.Width() - 30, window.Height() - 70));
    EXPECT_EQ(button.TopLeft(), CPoint(window.Width() - 100, window.Height() - 60));
    text = view.GetReadOnlyText().GetString();
    char note[512] = "";
    for (HWND child = ::GetWindow(view, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      char className[32] = "";
      ::GetClassNameA(child, className, sizeof className);
      if (std::string(className) == "Static") ::GetWindowTextA(child, note, sizeof note);
    }
    seen.push_back(note);
    // The screen capture needs the whole frame on screen: a maximised frame hangs over its edges.
    dlg.ShowWindow(SW_RESTORE);
    dlg.MoveWindow(20, 20, 1100, 760);
    PumpUiFor(100);
    dlg.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpUiFor(200);
    std::string shot = ArtifactFolder() + "\\robot_share.bmp";
    EXPECT_TRUE(SaveWindowBitmap(dlg, shot));
    EXPECT_GT(ReadFileBytes(shot).size(), 100000u);
    // Only the button opens the page, in the user's browser.
    ClickAt(ScreenPointOf(view.GetOpenButton(), 10, 10));
    PumpUiUntil([&] { return !opener.opened.empty(); }, 2000);
    seen.push_back("opened " + std::to_string(opener.opened.size()));
    dlg.EndDialog(IDOK);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0], "read-only");
  EXPECT_EQ(seen[1], "maximised");
  EXPECT_EQ(seen[2], "opened 0");
  EXPECT_NE(seen[3].find("Open in Browser"), std::string::npos) << seen[3];
  EXPECT_NE(seen[3].find("No web browser engine"), std::string::npos) << seen[3];
  EXPECT_EQ(seen[4], "opened 1");
  EXPECT_EQ(opener.opened, std::vector<std::string>{SharePagePath()});
  for (const std::string& field :
       {std::string("Robot Name:\nHostile.txt\n"), "Robot Description:\n" + std::string(kHostileDescription) + "\n",
        std::string("Robot Script:\n[General]\nName=Hostile\n"), std::string("Send(\"x\")\n"),
        std::string("OS Version:\n\n\nVantorel Pindrel Version:\n5.0"),
        "Screen Resolution:\n" + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + " x " +
            std::to_string(GetSystemMetrics(SM_CYSCREEN)) + "\n"}) {
    EXPECT_NE(text.find(field), std::string::npos) << field << "\n---\n" << text;
  }
  // The form's send button has no place in a page that cannot send.
  EXPECT_EQ(text.substr(text.size() - 29), "Vantorel Pindrel Version:\n5.0");
}

// A page too long for Wine's edit field to take in quickly goes to the long-text view, which
// gives the same text, scrolls and copies as the edit field of a short page does.
TEST_F(UploadDialog, ShortAndLongPagesShowScrollAndCopyTheWholeText) {
  std::vector<std::string> longScript;
  for (int i = 0; i < 5000; ++i) longScript.push_back("Send(\"line " + std::to_string(i) + "\")\t; <&>");
  struct Case {
    std::vector<std::string> script;
    bool edit;
  } cases[] = {{{"Send(\"x\")"}, true}, {longScript, false}};
  for (const Case& c : cases) {
    folder.Write(RobotFixture("Hostile", "None", "None", 1, 0, 1, c.script));
    CRobotUploadDlg dlg;
    dlg.m_RobotPath = folder.File("Hostile").c_str();
    ASSERT_TRUE(dlg.Create(IDD_ROBOT_UPLOAD));
    PumpUiFor(100);
    CHtmlCtrl& view = dlg.GetHtmlView();
    HWND text = nullptr;
    for (HWND child = ::GetWindow(view, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      char className[64] = "";
      ::GetClassNameA(child, className, sizeof className);
      if (::IsWindowVisible(child) && _stricmp(className, "Static") && _stricmp(className, "Button")) text = child;
    }
    ASSERT_NE(text, nullptr);
    char className[64] = "";
    ::GetClassNameA(text, className, sizeof className);
    EXPECT_EQ(_stricmp(className, "Edit") == 0, c.edit) << className;
    CString readable = view.GetReadOnlyText();
    EXPECT_NE(readable.Find(c.script.back().c_str()), -1);
    readable.Replace("\n", "\r\n");
    EXPECT_EQ(CWnd::FromHandle(text)->GetWindowText(), readable);

    // Ctrl+End brings the last line into sight; in the long-text view Ctrl+A, Ctrl+C copy the whole text.
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
    dlg.SetForegroundWindow();
    ::SetFocus(text);
    keybd_event(VK_CONTROL, 0, 0, 0);
    for (BYTE key : {BYTE(VK_END), BYTE('A'), BYTE('C')}) PressKey(key);
    keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
    if (!c.edit) {  // Wine's multi-line edit field has no Ctrl+A
      PumpUiUntil([] { return !ClipboardText().empty(); }, 3000);
      EXPECT_EQ(ClipboardText(), std::string(readable));
    }
    PumpUiFor(100);
    HDC dc = ::GetDC(text);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(text, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(text, dc);
    CRect client;
    ::GetClientRect(text, &client);
    int first = static_cast<int>(::SendMessageA(text, EM_GETFIRSTVISIBLELINE, 0, 0));
    int lines = static_cast<int>(::SendMessageA(text, EM_GETLINECOUNT, 0, 0));
    EXPECT_GE(first + client.Height() / metrics.tmHeight, lines) << className;
    EXPECT_EQ(first > 0, !c.edit) << className;
    dlg.DestroyWindow();
  }
}

TEST_F(UploadDialog, CreatingAndDestroyingTwiceLeavesNothingBehind) {
  GdiLiveCounts start = AfxGetGdiLiveCounts();
  CRobotUploadDlg reused;
  reused.m_RobotPath = folder.File("Hostile").c_str();
  for (int round = 0; round < 2; ++round) {
    {
      CRobotUploadDlg dlg;
      dlg.m_RobotPath = folder.File("Hostile").c_str();
      ASSERT_TRUE(dlg.Create(IDD_ROBOT_UPLOAD));
      PumpUiFor(100);
      EXPECT_NE(dlg.GetHtmlView().GetReadOnlyText().Find("Hostile.txt"), -1);
      dlg.DestroyWindow();
      EXPECT_EQ(dlg.GetHtmlView().m_hWnd, nullptr);
    }
    ASSERT_TRUE(reused.Create(IDD_ROBOT_UPLOAD));
    PumpUiFor(100);
    EXPECT_NE(reused.GetHtmlView().GetReadOnlyText().Find("Hostile.txt"), -1) << round;
    reused.DestroyWindow();
    EXPECT_EQ(reused.GetHtmlView().m_hWnd, nullptr);
    EXPECT_EQ(CHtmlView::LiveSites(), 0);
  }
  EXPECT_EQ(AfxGetGdiLiveCounts(), start);
  EXPECT_EQ(opener.opened.size(), 0u);
}

TEST_F(UploadDialog, TheMainDialogsShareCommandOpensThePageOfTheSelectedRobot) {
  MessageBoxCapture boxes;
  CQuorvexDlg main;
  ASSERT_TRUE(main.Create(IDD_PINDREL_DIALOG));
  main.SendMessage(WM_COMMAND, ID_SHARE_ROBOT);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "Please select a robot from list above to share!");
  EXPECT_EQ(boxes.boxes()[0].type, static_cast<UINT>(MB_OK));
  EXPECT_EQ(GetFileAttributesA(GetShareFolder()), INVALID_FILE_ATTRIBUTES);

  CSortListCtrl& list = main.GetRobotList();
  ASSERT_EQ(list.GetItemCount(), 1);
  list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
  std::string caption, robot;
  RunLater(300, [&] {
    HWND upload = ::FindWindowA(nullptr, "Upload Macro");
    if (auto* dlg = dynamic_cast<CRobotUploadDlg*>(CWnd::FromHandlePermanent(upload))) {
      caption = dlg->GetWindowText().GetString();
      robot = dlg->m_RobotPath.GetString();
      dlg->EndDialog(IDOK);
    }
  });
  // The robot list's context menu, from the keyboard: its one item is the share command.
  RunLater(150, [] {
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
  });
  main.SetForegroundWindow();
  list.SetFocus();
  main.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list.m_hWnd), -1);
  PumpUiUntil([&] { return !caption.empty(); }, 3000);
  EXPECT_EQ(caption, "Upload Macro");
  EXPECT_EQ(robot, folder.File("Hostile"));
  EXPECT_NE(ReadFileBytes(SharePagePath()).find("Hostile.txt"), std::string::npos);
  EXPECT_EQ(boxes.boxes().size(), 1u);
  main.DestroyWindow();
}
