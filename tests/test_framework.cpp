// The window layer: message maps, the handle map, reflection, menus, GDI counts, the profile.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/ui.h"
#include "tests/res/test_ids.h"
#include "tests/support/test_support.h"
#include "tests/support/ui_support.h"

using namespace testing_support;

namespace {

// A top-level window whose handlers write what they received, unpacked, into a log.
class Probe : public CWnd {
public:
  std::vector<std::string> log;
  bool preSubclassed = false;
  bool ncDestroyed = false;

  BOOL CreateTopLevel(const char* title, int x = 200, int y = 150) {
    return CreateEx(0, nullptr, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 300, 200, nullptr, nullptr);
  }

protected:
  void PreSubclassWindow() override { preSubclassed = true; }
  void PostNcDestroy() override { ncDestroyed = true; }
  void Add(const std::string& line) { log.push_back(line); }

  void OnTimer(UINT_PTR id) { Add("timer " + std::to_string(id)); }
  void OnLButtonDown(UINT flags, CPoint p) {
    Add("lbuttondown " + std::to_string(flags) + " " + std::to_string(p.x) + " " + std::to_string(p.y));
  }
  void OnSize(UINT type, int cx, int cy) {
    Add("size " + std::to_string(type) + " " + std::to_string(cx) + " " + std::to_string(cy));
  }
  void OnKeyDown(UINT vk, UINT repeat, UINT flags) {
    Add("keydown " + std::to_string(vk) + " " + std::to_string(repeat) + " " + std::to_string(flags));
  }
  LRESULT OnCustom(WPARAM w, LPARAM l) {
    Add("custom " + std::to_string(w) + " " + std::to_string(l));
    return static_cast<LRESULT>(w + l);
  }
  void OnFirst() { Add("first"); }
  void OnRange(UINT id) { Add("range " + std::to_string(id)); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Probe, CWnd)
  ON_WM_TIMER()
  ON_WM_LBUTTONDOWN()
  ON_WM_SIZE()
  ON_WM_KEYDOWN()
  ON_MESSAGE(WM_USER + 2, &Probe::OnCustom)
  ON_COMMAND(IDM_TEST_FIRST, &Probe::OnFirst)
  ON_COMMAND_RANGE(IDM_TEST_SECOND, IDM_TEST_THIRD, &Probe::OnRange)
END_MESSAGE_MAP()

// Overrides one entry of its base's map; the others still reach the base.
class DerivedProbe : public Probe {
protected:
  LRESULT OnCustomFirst(WPARAM, LPARAM) {
    log.push_back("derived custom");
    return -1;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedProbe, Probe)
  ON_MESSAGE(WM_USER + 2, &DerivedProbe::OnCustomFirst)
END_MESSAGE_MAP()

}  // namespace

TEST(MessageMap, HandlersGetTheMessagesParametersUnpacked) {
  Probe probe;
  ASSERT_TRUE(probe.CreateTopLevel("Probe"));
  struct Case {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    const char* logged;
    LRESULT result;
  } cases[] = {
      {WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-5, 7), "lbuttondown 5 -5 7", 0},
      {WM_TIMER, 1027, 0, "timer 1027", 0},
      {WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480), "size 0 640 480", 0},
      {WM_KEYDOWN, 'M', MAKELPARAM(3, 0x32), "keydown 77 3 50", 0},
      {WM_USER + 2, 3, 4, "custom 3 4", 7},
      {WM_COMMAND, IDM_TEST_FIRST, 0, "first", 0},
      {WM_COMMAND, MAKEWPARAM(IDM_TEST_THIRD, 1), 0, "range 9203", 0},
      {WM_COMMAND, IDM_TEST_SECOND, 0, "range 9202", 0},
  };
  for (const Case& c : cases) {
    probe.log.clear();
    LRESULT r = probe.SendMessage(c.message, c.wParam, c.lParam);
    EXPECT_EQ(probe.log, std::vector<std::string>{c.logged}) << c.logged;
    EXPECT_EQ(r, c.result) << c.logged;
  }
  // A message without an entry gets the window's default processing.
  probe.log.clear();
  probe.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("renamed"));
  EXPECT_EQ(probe.GetWindowText(), "renamed");
  EXPECT_TRUE(probe.log.empty());
}

TEST(MessageMap, DerivedEntriesComeFirstAndTheRestReachTheBase) {
  DerivedProbe probe;
  ASSERT_TRUE(probe.CreateTopLevel("Derived"));
  probe.log.clear();  // WM_SIZE of the creation
  EXPECT_EQ(probe.SendMessage(WM_USER + 2, 1, 1), -1);
  probe.SendMessage(WM_TIMER, 5, 0);
  EXPECT_EQ(probe.log, (std::vector<std::string>{"derived custom", "timer 5"}));
}

TEST(MessageMap, RealTimersAndClicksArrive) {
  Probe probe;
  ASSERT_TRUE(probe.CreateTopLevel("Real input", 220, 160));
  probe.UpdateWindow();
  PumpUiFor(100);
  probe.log.clear();
  probe.SetTimer(7, 10);
  ASSERT_TRUE(PumpUiUntil([&] { return !probe.log.empty(); }));
  probe.KillTimer(7);
  EXPECT_EQ(probe.log[0], "timer 7");

  probe.log.clear();
  ClickAt(ScreenPointOf(probe, 40, 30));
  ASSERT_TRUE(PumpUiUntil([&] { return !probe.log.empty(); }));
  EXPECT_EQ(probe.log[0], "lbuttondown " + std::to_string(MK_LBUTTON) + " 40 30");
}

TEST(HandleMap, ObjectsAreFoundByHandleUntilTheWindowIsDestroyed) {
  Probe probe;
  ASSERT_TRUE(probe.CreateTopLevel("Mapped"));
  HWND hwnd = probe.m_hWnd;
  EXPECT_TRUE(probe.preSubclassed);
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), &probe);
  EXPECT_EQ(CWnd::FromHandle(hwnd), &probe);

  // A window without an object gets a temporary view, the same one until the loop is idle.
  HWND desktop = ::GetDesktopWindow();
  CWnd* view = CWnd::FromHandle(desktop);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->m_hWnd, desktop);
  EXPECT_EQ(CWnd::FromHandle(desktop), view);
  EXPECT_EQ(CWnd::FromHandlePermanent(desktop), nullptr);
  EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);

  EXPECT_TRUE(probe.DestroyWindow());
  EXPECT_TRUE(probe.ncDestroyed);
  EXPECT_EQ(probe.m_hWnd, nullptr);
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
}

TEST(HandleMap, SubclassingTakesAnExistingWindowsMessagesAndGivesThemBack) {
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(edit, nullptr);
  WNDPROC own = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(edit, GWLP_WNDPROC));
  Probe probe;
  ASSERT_TRUE(probe.SubclassWindow(edit));
  EXPECT_TRUE(probe.preSubclassed);
  EXPECT_FALSE(probe.SubclassWindow(edit)) << "an object takes one window";
  SendMessageA(edit, WM_USER + 2, 2, 2);
  // Unmapped messages reach the edit's own procedure.
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed"));
  EXPECT_EQ(probe.GetWindowText(), "typed");
  EXPECT_EQ(probe.log, std::vector<std::string>{"custom 2 2"});

  EXPECT_EQ(probe.UnsubclassWindow(), edit);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(edit, GWLP_WNDPROC)), own);
  SendMessageA(edit, WM_USER + 2, 2, 2);
  EXPECT_EQ(probe.log.size(), 1u);
  DestroyWindow(edit);
}

namespace {

// A button that takes its own BN_CLICKED first; `passOn` decides whether the parent's runs too.
class ReflectingButton : public CButton {
public:
  BOOL passOn = TRUE;
  int clicks = 0;

protected:
  BOOL OnClicked() {
    ++clicks;
    return !passOn;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ReflectingButton, CButton)
  ON_CONTROL_REFLECT_EX(BN_CLICKED, &ReflectingButton::OnClicked)
END_MESSAGE_MAP()

class DrawnButton : public CButton {
public:
  int draws = 0;
  void DrawItem(LPDRAWITEMSTRUCT dis) override {
    ++draws;
    CDC dc(dis->hDC);
    dc.FillSolidRect(&dis->rcItem, RGB(255, 0, 0));
  }
};

// A static that chooses its own colours from the parent's WM_CTLCOLORSTATIC.
class ColouredStatic : public CStatic {
public:
  CBrush brush{RGB(0, 0, 255)};

protected:
  HBRUSH CtlColor(CDC* dc, UINT) {
    dc->SetBkColor(RGB(0, 0, 255));
    return brush;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ColouredStatic, CStatic)
  ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class ReflectDialog : public CDialog {
public:
  ReflectDialog() : CDialog(IDD_TEST_REFLECT) {}
  ReflectingButton plain;
  DrawnButton drawn;
  ColouredStatic text;
  int parentClicks = 0;
  int parentColours = 0;
  CBrush green{RGB(0, 255, 0)};

protected:
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, IDC_REFLECT_PLAIN, plain);
    DDX_Control(dx, IDC_REFLECT_DRAWN, drawn);
    DDX_Control(dx, IDC_REFLECT_STATIC, text);
  }
  void OnPlain() { ++parentClicks; }
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT type) {
    if (type != CTLCOLOR_STATIC) return CDialog::OnCtlColor(dc, wnd, type);
    ++parentColours;
    return green;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ReflectDialog, CDialog)
  ON_BN_CLICKED(IDC_REFLECT_PLAIN, &ReflectDialog::OnPlain)
  ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

}  // namespace

TEST(Reflection, ChildObjectsHandleTheirParentsNotifications) {
  ReflectDialog dlg;
  ASSERT_TRUE(dlg.Create(IDD_TEST_REFLECT));
  dlg.ShowWindow(SW_SHOW);
  dlg.UpdateWindow();
  PumpUiFor(100);

  struct Case {
    BOOL passOn;
    int parentClicks;
  } cases[] = {{TRUE, 1}, {FALSE, 0}};
  for (const Case& c : cases) {
    dlg.plain.passOn = c.passOn;
    dlg.plain.clicks = dlg.parentClicks = 0;
    dlg.plain.SendMessage(BM_CLICK);
    PumpUiFor(50);
    EXPECT_EQ(dlg.plain.clicks, 1);
    EXPECT_EQ(dlg.parentClicks, c.parentClicks) << "passOn " << c.passOn;
  }

  // WM_DRAWITEM reaches the owner-drawn button's DrawItem; WM_CTLCOLORSTATIC the static's CtlColor.
  EXPECT_GT(dlg.drawn.draws, 0);
  EXPECT_EQ(ClientPixel(dlg.drawn, 5, 5), RGB(255, 0, 0));
  dlg.text.RedrawWindow();
  EXPECT_EQ(ClientPixel(dlg.text, 150, 15), RGB(0, 0, 255)) << "a pixel right of the text";
  EXPECT_EQ(dlg.parentColours, 0) << "the static's reflected handler took WM_CTLCOLORSTATIC";
  dlg.DestroyWindow();
}

TEST(Menu, ResourceMenusLoadAndChange) {
  CMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
  CMenu* popup = menu.GetSubMenu(0);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->GetMenuItemCount(), 4);
  CString text;
  popup->GetMenuString(IDM_TEST_SECOND, text, MF_BYCOMMAND);
  EXPECT_EQ(text, "Second");
  EXPECT_TRUE(popup->RemoveMenu(IDM_TEST_FIRST, MF_BYCOMMAND));
  EXPECT_EQ(popup->GetMenuItemCount(), 3);
  EXPECT_EQ(popup->GetMenuItemID(0), static_cast<UINT>(IDM_TEST_SECOND));
  EXPECT_EQ(menu.GetSubMenu(0), popup);
}

TEST(GdiCounts, OwnersCountWhatTheyHold) {
  GdiLiveCounts start = AfxGetGdiLiveCounts();
  {
    CPen pen(PS_SOLID, 1, 0);
    CBrush brush(RGB(1, 2, 3));
    CFont font;
    ASSERT_TRUE(font.CreatePointFont(90, "Tahoma"));
    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(nullptr));
    CClientDC screen(nullptr);
    CIcon icon;
    ASSERT_TRUE(icon.Load(IDI_TEST));
    GdiLiveCounts now = AfxGetGdiLiveCounts();
    EXPECT_EQ(now.objects, start.objects + 3);
    EXPECT_EQ(now.dcs, start.dcs + 2);
    EXPECT_EQ(now.icons, start.icons + 1);

    HGDIOBJ handle = brush.Detach();  // no longer the owner's to count
    EXPECT_EQ(AfxGetGdiLiveCounts().objects, start.objects + 2);
    ::DeleteObject(handle);
  }
  EXPECT_EQ(AfxGetGdiLiveCounts(), start);
}

TEST(Archive, StoresLittleEndianAndFlagsShortReads) {
  CArchive out(CArchive::store);
  out << 4 << 0x01020304 << static_cast<WORD>(0xBEEF);
  EXPECT_EQ(out.Bytes(), std::string("\x04\0\0\0\x04\x03\x02\x01\xEF\xBE", 10));
  CArchive in(CArchive::load, out.Bytes());
  int a = 0, b = 0;
  WORD c = 0;
  in >> a >> b >> c;
  EXPECT_EQ(a, 4);
  EXPECT_EQ(b, 0x01020304);
  EXPECT_EQ(c, 0xBEEF);
  EXPECT_FALSE(in.Failed());
  int past = 7;
  in >> past;
  EXPECT_TRUE(in.Failed());
  EXPECT_EQ(past, 0);
}

namespace {

std::string Repeated(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

}  // namespace

TEST(CStringReplace, EveryMatchLeftToRightWithoutRescanningWhatWasPutIn) {
  struct Case {
    std::string text;
    const char* from;
    const char* to;
    std::string expected;
    int count;
  } cases[] = {
      {"a\nb\n\nc", "\n", "\r\n", "a\r\nb\r\n\r\nc", 3},
      {"aaaa", "aa", "a", "aa", 2},
      {"abab", "ab", "abab", "abababab", 2},
      {"xyz", "q", "r", "xyz", 0},
      {"a.b.", ".", "", "ab", 2},
      {"a.b", "", "z", "a.b", 0},
      {"a.b", ".", nullptr, "ab", 1},
      {Repeated("x\n", 100000), "\n", "\r\n", Repeated("x\r\n", 100000), 100000},
  };
  for (const Case& c : cases) {
    CString text(c.text.c_str());
    EXPECT_EQ(text.Replace(c.from, c.to), c.count) << c.from;
    EXPECT_EQ(std::string(text.GetString(), text.GetLength()), c.expected) << c.from;
  }
}

TEST(Profile, BinaryValuesAreHexTextInTheChosenFile) {
  TempFolder dir("profile");
  std::string path = dir.File("Pindrel.ini");
  AfxSetProfileFile(path.c_str());
  const BYTE data[] = {4, 0, 0, 0, 50, 0, 0, 0, 0xFF};
  ASSERT_TRUE(AfxWriteProfileBinary("ListCtrls", "1001", data, sizeof data));
  EXPECT_EQ(ReadFileBytes(path), "[ListCtrls]\r\n1001=0400000032000000FF\r\n");

  std::string back;
  ASSERT_TRUE(AfxGetProfileBinary("ListCtrls", "1001", back));
  EXPECT_EQ(back, std::string(reinterpret_cast<const char*>(data), sizeof data));

  struct Case {
    const char* value;
    BOOL readable;
    std::string bytes;
  } cases[] = {
      {"", TRUE, ""}, {"0a0B", TRUE, "\x0a\x0b"}, {"ABC", FALSE, ""}, {"zz", FALSE, ""},
  };
  for (const Case& c : cases) {
    AfxWriteProfileString("ListCtrls", "odd", c.value);
    EXPECT_EQ(AfxGetProfileBinary("ListCtrls", "odd", back), c.readable) << c.value;
    EXPECT_EQ(back, c.bytes) << c.value;
  }
  EXPECT_FALSE(AfxGetProfileBinary("ListCtrls", "missing", back));

  // With no profile chosen nothing is read or written anywhere.
  AfxSetProfileFile(nullptr);
  EXPECT_FALSE(AfxWriteProfileBinary("ListCtrls", "1001", data, sizeof data));
  EXPECT_FALSE(AfxGetProfileBinary("ListCtrls", "1001", back));
  EXPECT_EQ(AfxGetProfileInt("Settings", "x", 5), 5u);
}

namespace {

// Two monitors side by side, as the window layer is to see them: the second from x = 1280.
RECT TwoMonitors(HWND window) {
  RECT rect = {};
  if (window) ::GetWindowRect(window, &rect);
  return rect.left >= 1280 ? RECT{1280, 0, 2560, 1000} : RECT{0, 0, 1280, 1000};
}

}  // namespace

TEST(Placement, ADialogIsCentredAndKeptOnItsOwnersMonitor) {
  CWnd::SetMonitorWorkAreaSource(TwoMonitors);
  struct Case {
    RECT owner;
    POINT expected;  // the top left of a 300 x 200 window
  } cases[] = {
      {{1400, 100, 1800, 500}, {1450, 200}},  // over its owner on the second monitor
      {{2400, 100, 2600, 300}, {2260, 100}},  // kept inside the second monitor's work area
      {{1000, 100, 1400, 500}, {980, 200}},   // the owner mostly on the first monitor
  };
  for (const Case& c : cases) {
    Probe owner, dialog;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "Owner", WS_POPUP | WS_VISIBLE, c.owner.left, c.owner.top,
                               c.owner.right - c.owner.left, c.owner.bottom - c.owner.top, nullptr, nullptr));
    ASSERT_TRUE(dialog.CreateEx(0, nullptr, "Dialog", WS_POPUP, 0, 0, 300, 200, owner.m_hWnd, nullptr));
    dialog.CenterWindow();
    CRect placed;
    dialog.GetWindowRect(&placed);
    EXPECT_EQ(placed.left, c.expected.x) << c.owner.left;
    EXPECT_EQ(placed.top, c.expected.y) << c.owner.left;
    dialog.DestroyWindow();
    owner.DestroyWindow();
  }
  CWnd::SetMonitorWorkAreaSource(nullptr);
}

TEST(WindowClasses, EveryClassStyleGetsItsOwnWholeName) {
  // A style of 0x10 and more makes the longest names: each must come back whole and distinct.
  const UINT styles[] = {0x8, 0x10, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW | CS_SAVEBITS, 0xFFFFFFFFu};
  std::vector<std::string> names;
  for (UINT style : styles) {
    const char* name = CWnd::RegisterWndClass(style, reinterpret_cast<HCURSOR>(~static_cast<UINT_PTR>(0)),
                                              reinterpret_cast<HBRUSH>(~static_cast<UINT_PTR>(1)),
                                              reinterpret_cast<HICON>(~static_cast<UINT_PTR>(2)));
    ASSERT_NE(name, nullptr) << style;
    char expected[128];
    wsprintfA(expected, "PindrelWnd:%x:%p:%p:%p", style, reinterpret_cast<void*>(~static_cast<UINT_PTR>(0)),
              reinterpret_cast<void*>(~static_cast<UINT_PTR>(1)), reinterpret_cast<void*>(~static_cast<UINT_PTR>(2)));
    EXPECT_EQ(std::string(name), expected);
    names.push_back(name);
  }
  for (size_t i = 0; i < names.size(); ++i) {
    WNDCLASSA wc = {};
    EXPECT_TRUE(GetClassInfoA(AfxGetInstanceHandle(), names[i].c_str(), &wc)) << names[i];
    EXPECT_EQ(wc.style, styles[i]) << names[i];
  }
}
