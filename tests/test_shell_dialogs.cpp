// The shell's small dialogs in the test program: the text display, the option file and the tip of
// the day, the About box, and robot export and import with the list refreshed afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "app/aboutdlg.h"
#include "app/constants.h"
#include "app/doyouknowdlg.h"
#include "app/optionsdlg.h"
#include "app/quorvexdlg.h"
#include "res/resource.h"
#include "controls/textdispctrl.h"
#include "robot/datafolder.h"
#include "robot/robotname.h"
#include "tests/support/hotkey_probe.h"
#include "tests/support/robot_folder.h"
#include "tests/support/test_support.h"
#include "tests/support/ui_support.h"

using namespace testing_support;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// A text display of 200 x 100 pixels (client 196 x 96 inside the sunken edge) on a shown popup.
class TextDisplay : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(host.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, CRect(40, 40, 280, 180), nullptr, 0));
  }
  void Make() {
    ASSERT_TRUE(display.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 210, 110), &host, 1000));
    display.SetTextFont(100, "MS Sans Serif");
  }
  // Pixels of the client rectangle r that are not white, once painted.
  int Inked(const RECT& r) {
    display.UpdateWindow();
    PumpUiFor(50);
    return (r.right - r.left) * (r.bottom - r.top) - CountPixels(display, r, kWhite);
  }
  void TearDown() override {
    if (display.m_hWnd) display.DestroyWindow();
    if (host.m_hWnd) host.DestroyWindow();
  }
  CWnd host;
  CTextDispCtrl display;
};

}  // namespace

TEST_F(TextDisplay, WrapsAtBlanksCutsWhatDoesNotFitAndRedrawsWhole) {
  // A text given before the window exists is kept and shown once it is created.
  display.SetText("Early");
  Make();
  CRect client;
  display.GetClientRect(&client);
  ASSERT_EQ(client.Width(), 196);
  EXPECT_EQ(CTextDispCtrl::TextRect(client), CRect(5, 5, 186, 86));
  EXPECT_GT(Inked(CRect(5, 5, 60, 25)), 0);

  // Long text wraps onto further lines and stops at the rectangle's bottom.
  display.SetText("Did you know...\n\nevery word of this rather long tip goes on a line of its own when the line "
                  "before it is full, and the text that does not fit is cut at the bottom edge of the box");
  EXPECT_GT(Inked(CRect(5, 40, 186, 80)), 0) << "wrapped lines below the blank line";
  EXPECT_EQ(Inked(CRect(0, 86, 196, 96)), 0) << "nothing below the text rectangle";
  EXPECT_EQ(Inked(CRect(0, 0, 196, 5)), 0) << "nothing above it";

  // A single word wider than the rectangle is not broken: it is cut at the right edge.
  display.SetText("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
  EXPECT_GT(Inked(CRect(150, 5, 186, 25)), 0);
  EXPECT_EQ(Inked(CRect(186, 0, 196, 96)), 0);
  EXPECT_EQ(Inked(CRect(5, 30, 186, 86)), 0) << "one line only";

  // A new text erases the previous one completely.
  display.SetText("i");
  EXPECT_EQ(Inked(CRect(30, 0, 196, 96)), 0);
  EXPECT_EQ(display.GetLineSpacing(), 16);
}

TEST(OptionFile, OnlyAWholeShowtipLineCountsAndTheLastOneWins) {
  TempFolder temp;
  const std::string path = temp.File("option.ini");
  struct Case {
    const char* text;  // null: no file
    int start, expected;
  } cases[] = {
      {nullptr, 1, 1},
      {"showtip=0\r\n", 1, 0},
      {"showtip=0", 1, 0},
      {"showtip=1\r\n", 0, 1},
      {"showtip=\r\n", 0, 1},      // nothing after the equals sign: on
      {"showtip=00\r\n", 0, 1},    // two zeros: on
      {"showtip=0 \r\n", 0, 1},    // only exactly "0" turns tips off
      {"SHOWTIP=0\r\n", 1, 1},     // the key in upper case is ignored
      {"xshowtip=0\r\n", 1, 1},    // a line merely containing the key
      {"# showtip=0\r\nother=1\r\n", 1, 1},
      {"showtip=0\r\nshowtip=1\r\n", 0, 1},
      {"showtip=1\r\nshowtip=0\r\n", 1, 0},
      {"\x01\x02garbage\xff", 1, 1},  // a broken file: tips on
      {"", 0, 0},                        // an empty file keeps the value
  };
  for (const Case& c : cases) {
    DeleteFileA(path.c_str());
    if (c.text) WriteFileBytes(path, c.text);
    EXPECT_EQ(ReadShowTip(path.c_str(), c.start), c.expected) << (c.text ? c.text : "(no file)");
  }
  ASSERT_TRUE(WriteShowTip(path.c_str(), 0));
  EXPECT_EQ(ReadFileBytes(path), "showtip=0\r\n");
  EXPECT_FALSE(WriteShowTip(temp.File("missing\\option.ini").c_str(), 0));
}

namespace {

// What a tip dialog showed while a test drove it.
struct TipSeen {
  bool opened = false;
  std::vector<std::string> texts;
};

// Drives the next tip dialog: reads the shown text, presses Next Tip `next` times, ticks "Do not
// show this again" when asked and closes it.
void DriveTipDialog(TipSeen* seen, int next, bool tick) {
  RunLater(100, [=] {
    HWND box = nullptr;
    PumpUiUntil([&] { return (box = FindWindowA(nullptr, "Tips of the day")) && IsWindowVisible(box); }, 3000);
    if (!box) return;
    seen->opened = true;
    auto* display = dynamic_cast<CTextDispCtrl*>(CWnd::FromHandlePermanent(GetDlgItem(box, 1000)));
    for (int i = 0; i <= next; ++i) {
      seen->texts.push_back(display ? display->GetText().GetString() : "(no tip window)");
      if (i < next) SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDC_NEXT_TIP, BN_CLICKED), 0);
    }
    if (tick) CheckDlgButton(box, IDC_TIP_DONTSHOW, BST_CHECKED);
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
  });
}

std::vector<std::string> ShippedTips() { return SplitLines(ReadFileBytes(ProgramFolder() + "\\tips.txt")); }

}  // namespace

TEST(TipOfTheDay, NextTipGoesRoundAndDoNotShowAgainTurnsTipsOffForGood) {
  const std::string optionFile = OptionFilePath().GetString();
  DeleteFileA(optionFile.c_str());
  std::vector<std::string> tips = ShippedTips();
  ASSERT_GE(tips.size(), 5u) << "tips.txt is installed beside the program";
  CDoYouKnowDlg loaded;
  ASSERT_TRUE(loaded.LoadTips());
  ASSERT_EQ(loaded.GetTips().size(), tips.size());

  CQuorvexDlg main;
  // Closed without the tick: the option file stays untouched.
  TipSeen first;
  DriveTipDialog(&first, static_cast<int>(tips.size()), false);
  main.ShowTipOfTheDay();
  ASSERT_TRUE(first.opened);
  EXPECT_FALSE(FileExists(optionFile));
  EXPECT_EQ(main.m_ShowTip, 1);
  ASSERT_EQ(first.texts.size(), tips.size() + 1);
  auto at = std::find(tips.begin(), tips.end(), first.texts[0].substr(17));
  ASSERT_NE(at, tips.end()) << first.texts[0];
  size_t start = static_cast<size_t>(at - tips.begin());
  for (size_t i = 0; i < first.texts.size(); ++i)
    EXPECT_EQ(first.texts[i], "Did you know...\n\n" + tips[(start + i) % tips.size()]) << i;

  // Ticked: "showtip=0" is written, and no tip shows afterwards.
  TipSeen second;
  DriveTipDialog(&second, 0, true);
  main.ShowTipOfTheDay();
  ASSERT_TRUE(second.opened);
  EXPECT_EQ(ReadFileBytes(optionFile), "showtip=0\r\n");
  TipSeen third;
  DriveTipDialog(&third, 0, false);
  main.ShowTipOfTheDay();
  PumpUiFor(600);
  EXPECT_FALSE(third.opened);
  DeleteFileA(optionFile.c_str());
}

namespace {

// Whether one dialog or menu resource of this program holds the text (resources hold UTF-16).
bool ResourceHolds(LPCSTR type, int id, const char* text) {
  std::string wide;
  for (const char* c = text; *c; ++c) wide += std::string{*c, '\0'};
  HRSRC info = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
  HGLOBAL data = info ? LoadResource(nullptr, info) : nullptr;
  if (!data) return false;
  return std::string(static_cast<const char*>(LockResource(data)), SizeofResource(nullptr, info)).find(wide) !=
         std::string::npos;
}
bool DialogHolds(int id, const char* text) { return ResourceHolds(RT_DIALOG, id, text); }

}  // namespace

// Every shipped tip was checked against the program: each claim that can be checked here (the
// window, menu or dialog that holds a named caption, the file and folder it names) is.
TEST(TipOfTheDay, EveryTipIsTrueOfTheProgram) {
  const std::string data = GetDataFolder().GetString();
  const struct {
    const char* start;
    std::vector<std::pair<const char*, bool>> claims;
  } checked[] = {
      {"Tick a robot in the list to turn on its start and end hotkeys", {}},
      {"Press the end hotkey of any ticked robot", {}},
      {"Pindrel keeps working in the notification area",
       {{"the tray menu has Hide Pindrel", ResourceHolds(RT_MENU, IDR_TRAYMENU, "Hide Pindrel")}}},
      {"While the robot editor is open, Ctrl + Alt + R records",
       {{"the recording pane names its keys",
         DialogHolds(IDD_RECORDING_PANE, "Ctrl+Alt+R starts recording, Ctrl+Alt+S stops it.")}}},
      {"Set a robot to repeat a number of times, or until you press its end hotkey",
       {{"the editor has Repeat Options", DialogHolds(IDD_INPUT_ROBOT, "Repeat Options")},
        {"whose box repeats until the end key", DialogHolds(IDD_REPEAT_OPTION, "until I press end key/button")}}},
      {"With \"Run clicks at background\" ticked in the robot editor, the mouse pointer goes back",
       {{"the editor has the box", DialogHolds(IDD_INPUT_ROBOT, "Run clicks at background")}}},
      {"Start a robot from a shortcut or a batch file with pindrel.exe -a",
       {{"the program is pindrel.exe", FileExists(ProgramFolder() + "\\pindrel.exe")}}},
      {"Back up your robots from the Options item",
       {{"the Options box has Export", DialogHolds(IDD_OPTIONS, "Export")},
        {"and Import", DialogHolds(IDD_OPTIONS, "Import")}}},
      {"Every robot is a small text file in the \"script\" folder",
       {{"robots are kept in <data folder>\\script", GetRobotFolder().GetString() == data + "\\script"},
        {"as text files", RobotFilePath("Tip").GetString() == data + "\\script\\Tip.txt"}}},
      {"Use \"Move Up\" and \"Move Down\"",
       {{"the editor has Move Up", DialogHolds(IDD_INPUT_ROBOT, "Move Up")},
        {"and Move Down", DialogHolds(IDD_INPUT_ROBOT, "Move Down")}}},
  };
  std::vector<std::string> tips = ShippedTips();
  ASSERT_GE(tips.size(), 5u);
  for (const std::string& tip : tips) {
    auto found = std::find_if(std::begin(checked), std::end(checked), [&](const auto& c) { return tip.rfind(c.start, 0) == 0; });
    ASSERT_NE(found, std::end(checked)) << "a tip nobody checked: " << tip;
    for (const auto& claim : found->claims) EXPECT_TRUE(claim.second) << claim.first;
  }
  // The item the main window adds to its system menu for the Options box.
  CWnd window;
  ASSERT_TRUE(window.CreateEx(0, nullptr, "", WS_POPUP | WS_SYSMENU, CRect(0, 0, 10, 10), nullptr, 0));
  AddOptionsToSystemMenu(&window);
  char text[64] = "";
  GetMenuStringA(GetSystemMenu(window.m_hWnd, FALSE), IDM_SYS_OPTIONS, text, sizeof text, MF_BYCOMMAND);
  EXPECT_EQ(std::string(text).rfind("Options", 0), 0u) << text;
  window.DestroyWindow();
}

TEST(TipOfTheDay, OneTipShowsAgainAfterNextAndAMissingFileShowsNothing) {
  TempFolder temp;
  WriteFileBytes(temp.File("tips.txt"), "Only tip\r\n");
  CDoYouKnowDlg dlg;
  ASSERT_TRUE(dlg.LoadTipsFrom(temp.File("tips.txt").c_str()));
  TipSeen seen;
  DriveTipDialog(&seen, 2, false);
  dlg.DoModal();
  EXPECT_EQ(seen.texts, std::vector<std::string>(3, "Did you know...\n\nOnly tip"));
  EXPECT_EQ(dlg.m_ShowAgain, 1);

  // Every line is a tip, empty ones included; no file or an empty file means no tips.
  WriteFileBytes(temp.File("two.txt"), "one\r\n\r\nthree");
  CDoYouKnowDlg lines;
  ASSERT_TRUE(lines.LoadTipsFrom(temp.File("two.txt").c_str()));
  EXPECT_EQ(lines.GetTips(), (std::vector<CString>{"one", "", "three"}));
  WriteFileBytes(temp.File("empty.txt"), "");
  CDoYouKnowDlg none;
  EXPECT_FALSE(none.LoadTipsFrom(temp.File("empty.txt").c_str()));
  EXPECT_FALSE(none.LoadTipsFrom(temp.File("missing.txt").c_str()));
}

namespace {

std::vector<std::string> g_opened;
INT_PTR RecordOpen(const char* target) {
  g_opened.push_back(target);
  return g_opened.size() == 1 ? 42 : 2;  // the first succeeds, the others find no program
}

}  // namespace

TEST(AboutBox, TextsBackgroundAndLinks) {
  MessageBoxCapture boxes;
  g_opened.clear();
  CQuorvexAboutDlg::ShellOpen previous = CQuorvexAboutDlg::s_ShellOpen;
  CQuorvexAboutDlg::s_ShellOpen = &RecordOpen;
  std::vector<std::string> texts;
  COLORREF dialogPixel = 0, staticPixel = 0;
  RunLater(150, [&] {
    HWND box = nullptr;
    PumpUiUntil([&] { return (box = FindWindowA(nullptr, "About Vantorel Pindrel")) && IsWindowVisible(box); }, 3000);
    if (!box) return;
    PumpUiFor(100);
    for (int id : {IDC_ABOUT_PRODUCT, IDC_ABOUT_VERSION, IDC_ABOUT_SUPPORT_MAIL, IDC_ABOUT_SALES_MAIL, IDC_ABOUT_WEBSITE}) {
      char text[128] = "";
      GetDlgItemTextA(box, id, text, sizeof text);
      texts.push_back(text);
    }
    dialogPixel = ClientPixel(box, 3, 3);
    RECT r;
    HWND label = GetDlgItem(box, IDC_ABOUT_VERSION);
    GetClientRect(label, &r);
    staticPixel = ClientPixel(label, r.right - 2, r.bottom - 2);
    // A real click on the support address, then the other two through their notifications.
    GetWindowRect(GetDlgItem(box, IDC_ABOUT_SUPPORT_MAIL), &r);
    ClickAt({r.left + 10, (r.top + r.bottom) / 2});
    PumpUiUntil([&] { return !g_opened.empty(); }, 2000);
    SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_SALES_MAIL, STN_CLICKED), 0);
    SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_WEBSITE, STN_CLICKED), 0);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  });
  CQuorvexAboutDlg about;
  about.DoModal();
  CQuorvexAboutDlg::s_ShellOpen = previous;

  EXPECT_EQ(texts, (std::vector<std::string>{"Pindrel", "Version 2.0", kSupportMailAddress, kSalesMailAddress,
                                             kWebSiteAddress}));
  EXPECT_EQ(dialogPixel, RGB(181, 211, 211));
  EXPECT_EQ(staticPixel, RGB(181, 211, 211));
  EXPECT_EQ(g_opened, (std::vector<std::string>{std::string("mailto:") + kSupportMailAddress,
                                                std::string("mailto:") + kSalesMailAddress, kWebSiteAddress}));
  ASSERT_EQ(boxes.boxes().size(), 2u);
  EXPECT_EQ(boxes.boxes()[0].text, "We are unable to locate your default e-mail program.");
  EXPECT_EQ(boxes.boxes()[1].text, "We are unable to locate your default browser.");
  EXPECT_EQ(boxes.boxes()[1].caption, "Vantorel Pindrel");
  EXPECT_EQ(boxes.boxes()[1].type, static_cast<UINT>(MB_OK));
}

namespace {

// Robots copied to and from a folder, with the questions answered from a list.
class ExportImport : public ::testing::Test {
protected:
  void SetUp() override {
    SetMessageBoxSink([this](HWND, const char* text, const char* caption, UINT type) {
      questions.push_back(text);
      EXPECT_STREQ(caption, "Vantorel Pindrel");
      if (std::string(text).rfind("These robots", 0) == 0) {
        EXPECT_EQ(type, static_cast<UINT>(MB_OK));
        return IDOK;
      }
      EXPECT_EQ(type, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));
      int answer = answers.empty() ? IDNO : answers.front();
      if (!answers.empty()) answers.pop_front();
      return answer;
    });
    ASSERT_TRUE(dlg.Create(IDD_PINDREL_DIALOG));
  }
  void TearDown() override {
    if (dlg.m_hWnd) dlg.DestroyWindow();
    SetMessageBoxSink(nullptr);
  }
  std::string Robo(const std::string& name) const { return out.File(name + ".robo"); }
  static std::string ExportQuestion(const std::string& name) {
    return "Vantorel Pindrel robot \"" + name +
           "\" already exists in output folder. Do you wish to overwrite existing robot in output folder?";
  }
  static std::string ImportQuestion(const std::string& name) {
    return "Vantorel Pindrel robot \"" + name + "\" already exists. Do you wish to overwrite existing robot?";
  }
  std::vector<std::string> ListNames() {
    std::vector<std::string> names;
    for (int i = 0; i < dlg.GetRobotList().GetItemCount(); ++i)
      names.push_back(dlg.GetRobotList().GetItemText(i, 1).GetString());
    std::sort(names.begin(), names.end());
    return names;
  }

  RobotFolder folder;
  TempFolder out{"export"};
  std::vector<std::string> questions;
  std::deque<int> answers;
  CQuorvexDlg dlg;
};

}  // namespace

TEST_F(ExportImport, ExportCopiesEveryRobotFileAndAsksOncePerExistingTarget) {
  folder.Write({"Alpha", "Ctrl + Shift + Alt + A"});
  folder.Write({"Beta"});
  folder.Write({"Two.Dots"});
  CreateDirectoryA((folder.path() + "\\Folder.txt").c_str(), nullptr);  // a folder is no robot
  COptionsDlg options(&dlg);

  EXPECT_EQ(options.ExportTo((out.path() + "\\").c_str()), 3);
  EXPECT_TRUE(questions.empty());
  for (const char* name : {"Alpha", "Beta", "Two.Dots"})
    EXPECT_EQ(ReadFileBytes(Robo(name)), ReadFileBytes(folder.File(name))) << name;
  EXPECT_FALSE(FileExists(Robo("Folder")));

  // All three exist now: Cancel at the first question stops the export.
  for (const char* name : {"Alpha", "Beta", "Two.Dots"}) WriteFileBytes(Robo(name), "old");
  answers = {IDCANCEL};
  EXPECT_EQ(options.ExportTo(out.path().c_str()), 0);
  ASSERT_EQ(questions.size(), 1u);
  for (const char* name : {"Alpha", "Beta", "Two.Dots"}) EXPECT_EQ(ReadFileBytes(Robo(name)), "old") << name;

  // No skips, Yes overwrites: one question each.
  questions.clear();
  answers = {IDNO, IDYES, IDYES};
  EXPECT_EQ(options.ExportTo(out.path().c_str()), 2);
  std::vector<std::string> asked = questions, expected = {ExportQuestion("Alpha"), ExportQuestion("Beta"),
                                                          ExportQuestion("Two.Dots")};
  std::sort(asked.begin(), asked.end());
  EXPECT_EQ(asked, expected);
  int old = 0;
  for (const char* name : {"Alpha", "Beta", "Two.Dots"}) old += ReadFileBytes(Robo(name)) == "old";
  EXPECT_EQ(old, 1);
}

TEST_F(ExportImport, ImportRefreshesTheListAndRegistersTheHotkeysOfTickedRobots) {
  folder.Write({"Alpha", "Ctrl + Shift + Alt + P", "Ctrl + Shift + Alt + Q", 1});
  folder.Write({"Two.Dots"});
  COptionsDlg options(&dlg);
  ASSERT_EQ(options.ExportTo(out.path().c_str()), 2);
  CreateDirectoryA(out.File("Sub.robo").c_str(), nullptr);
  WriteFileBytes(out.File("Broken.robo"), "\x01\x02 not a robot [RecWinInfo]\r\nWinRect=1\r\n");
  const std::string alpha = ReadFileBytes(folder.File("Alpha"));
  folder.Clear();
  dlg.LoadRobotList();
  ASSERT_FALSE(KeyTaken("Ctrl + Shift + Alt + P"));

  EXPECT_EQ(options.ImportFrom(out.path().c_str()), 3);
  EXPECT_EQ(ReadFileBytes(folder.File("Alpha")), alpha);
  EXPECT_TRUE(FileExists(folder.File("Two.Dots"))) << "only the last extension is replaced";
  EXPECT_FALSE(FileExists(folder.File("Sub")));
  // The broken file is listed under its file name, like any unreadable robot file.
  EXPECT_EQ(ListNames(), (std::vector<std::string>{"Alpha", "Broken", "Two.Dots"}));
  EXPECT_TRUE(KeyTaken("Ctrl + Shift + Alt + P"));
  EXPECT_TRUE(KeyTaken("Ctrl + Shift + Alt + Q"));
}

TEST_F(ExportImport, ACancelledImportStillListsWhatWasCopiedAndFailuresAreNamed) {
  for (const char* name : {"A1", "B2", "C3", "D4"}) folder.Write({name});
  COptionsDlg options(&dlg);
  ASSERT_EQ(options.ExportTo(out.path().c_str()), 4);
  folder.Clear();
  folder.Write({"C3", "Ctrl + K"});  // the one that asks
  dlg.LoadRobotList();
  answers = {IDCANCEL};
  int copied = options.ImportFrom(out.path().c_str());
  ASSERT_EQ(questions, std::vector<std::string>{ImportQuestion("C3")});
  std::vector<std::string> files;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder.path() + "\\*.txt").c_str(), &found);
  do files.push_back(std::string(found.cFileName).substr(0, strlen(found.cFileName) - 4));
  while (FindNextFileA(find, &found));
  FindClose(find);
  std::sort(files.begin(), files.end());
  EXPECT_EQ(static_cast<int>(files.size()), copied + 1);
  EXPECT_EQ(ListNames(), files) << "the list shows what the robot folder holds";

  // A copy that fails is named, after the others were made.
  questions.clear();
  folder.Clear();
  CreateDirectoryA((folder.path() + "\\B2.txt").c_str(), nullptr);
  answers = {IDYES};
  EXPECT_EQ(options.ImportFrom(out.path().c_str()), 3);
  EXPECT_EQ(questions, (std::vector<std::string>{ImportQuestion("B2"), "These robots could not be copied:\nB2\n"}));
  questions.clear();
  CreateDirectoryA(out.File("Z9.robo").c_str(), nullptr);
  folder.Write({"Z9"});
  answers = {IDYES, IDYES, IDYES, IDYES};
  for (const char* name : {"A1", "C3", "D4"}) DeleteFileA(Robo(name).c_str());
  EXPECT_EQ(options.ExportTo(out.path().c_str()), 3);
  EXPECT_EQ(questions.back(), "These robots could not be copied:\nZ9\n");
}

// A file whose name cannot name a robot (its robot file's path too long, an empty name) is
// neither asked about nor copied, and is listed by its file name; targets that are not there
// are never asked about.
TEST_F(ExportImport, NamesNoRobotCanHaveAreListedNotCopied) {
  // A robot file past MAX_PATH, as an earlier version saved it: made by a move and removed by a
  // W call, since the other A calls refuse such paths.
  const std::string longName(250, 'L'), longPath = folder.File(longName);
  WriteFileBytes(folder.File("short"), RobotFileText({longName}));
  ASSERT_TRUE(MoveFileExA(folder.File("short").c_str(), longPath.c_str(), 0));
  folder.Write({"Fine"});
  COptionsDlg options(&dlg);
  EXPECT_EQ(options.ExportTo(out.path().c_str()), 1);
  DeleteFileW(std::wstring(longPath.begin(), longPath.end()).c_str());
  EXPECT_EQ(questions, std::vector<std::string>{"These robots could not be copied:\n" + longName + ".txt\n"});
  EXPECT_TRUE(FileExists(Robo("Fine")));
  EXPECT_EQ(FilesIn(out.path(), "*.robo").size(), 1u);

  // The robot folder's path plus 210 characters passes MAX_PATH; the .robo file itself fits.
  const std::string tooLong(kMaxRobotPath - static_cast<int>(folder.path().size()) - 4, 'T');
  ASSERT_LT(out.File(tooLong + ".robo").size(), 260u);
  WriteFileBytes(out.File(tooLong + ".robo"), RobotFileText({tooLong}));
  WriteFileBytes(out.File(".robo"), RobotFileText({""}));
  folder.Clear();
  questions.clear();
  EXPECT_EQ(options.ImportFrom(out.path().c_str()), 1);
  ASSERT_EQ(questions.size(), 1u);
  for (const std::string& file : {tooLong + ".robo", std::string(".robo")})
    EXPECT_NE(questions[0].find("\n" + file + "\n"), std::string::npos) << file;
  EXPECT_EQ(FilesIn(folder.path(), "*"), std::vector<std::string>{folder.File("Fine")});
}

TEST(ExportImportHelpers, FileOpenErrorsAndFolders) {
  TempFolder temp;
  WriteFileBytes(temp.File("file.txt"), "x");
  CreateDirectoryA(temp.File("dir.txt").c_str(), nullptr);
  EXPECT_EQ(GetFileOpenError(temp.File("file.txt").c_str()), 0);
  EXPECT_EQ(GetFileOpenError(temp.File("none.txt").c_str()), 2);
  EXPECT_NE(GetFileOpenError(temp.File("dir.txt").c_str()), 2);
  EXPECT_NE(GetFileOpenError(temp.File("dir.txt").c_str()), 0);
  EXPECT_TRUE(IsDirectoryPath(temp.File("dir.txt").c_str()));
  EXPECT_FALSE(IsDirectoryPath(temp.File("file.txt").c_str()));
  EXPECT_FALSE(IsDirectoryPath(temp.File("none").c_str()));
}

TEST(GlobalConstants, HelpFileAndVersion) {
  EXPECT_STREQ(kHelpFileName, "help.chm");
  EXPECT_STREQ(kProgramVersion, "5.0");
}
