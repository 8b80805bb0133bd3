// Window association with real windows: describing them, and finding the recorded one again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "robot/activewinpath.h"
#include "tests/support/test_support.h"
#include "tests/support/test_target.h"

using namespace testing_support;

namespace {

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

HWND CreatePlainWindow(const char* title, const char* cls, DWORD style, HWND owner, RECT rect) {
  WNDCLASSA wc = {};
  if (!GetClassInfoA(GetModuleHandleA(nullptr), cls, &wc)) {
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = cls;
    RegisterClassA(&wc);
  }
  return CreateWindowExA(0, cls, title, style, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                         owner, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// A top-level window of this test program, of any class, destroyed with the object.
class TestWindow {
public:
  TestWindow(const char* title, const char* cls = "PindrelWinPathTest", bool visible = true, HWND owner = nullptr,
             RECT rect = {40, 40, 340, 240}) {
    // Pop-ups: an owned pop-up is what GetParent reports the owner of.
    hwnd_ = CreatePlainWindow(title, cls, WS_POPUP | WS_BORDER | (visible ? WS_VISIBLE : 0), owner, rect);
    PumpFor(20);
  }
  ~TestWindow() { DestroyWindow(hwnd_); }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND hwnd() const { return hwnd_; }

private:
  HWND hwnd_;
};

CString OwnPath() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

CString TargetPath() { return CString((ProgramFolder() + "\\pindrel_target.exe").c_str()); }

RecWinInfo Record(const char* title, const CString& path, int level, RECT rect = {60, 70, 460, 370}) {
  RecWinInfo r;
  r.WinIndex = 1;
  r.WinTitle = title;
  r.WinPath = path;
  r.WinParentLevel = level;
  r.WinRect = rect;
  return r;
}

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

std::string WindowRectText(HWND hwnd) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  return RectText(r);
}

struct ZOrderSearch {
  const std::vector<HWND>* candidates;
  HWND first;
};

BOOL CALLBACK FindFirstCandidate(HWND h, LPARAM l) {
  ZOrderSearch* s = reinterpret_cast<ZOrderSearch*>(l);
  for (HWND c : *s->candidates)
    if (c == h) {
      s->first = h;
      return FALSE;
    }
  return TRUE;
}

// The first of `candidates` among the top-level windows in the system's order.
HWND FirstInZOrder(const std::vector<HWND>& candidates) {
  ZOrderSearch search = {&candidates, nullptr};
  EnumWindows(FindFirstCandidate, reinterpret_cast<LPARAM>(&search));
  return search.first;
}

}  // namespace

TEST(WindowInfo, ChildControlIsDescribedByItsTopLevelWindow) {
  TestTarget target;
  ASSERT_TRUE(target.Start("Pindrel Described Target", 120, 90));
  for (BOOL processStatus : {TRUE, FALSE}) {
    CActiveWinPath service;
    service.LoadProcessLibrary(processStatus);
    RecWinInfo info;
    info.WinIndex = 7;
    ASSERT_TRUE(service.GetWindowInfo(target.Control(TestTarget::kEdit), info)) << processStatus;
    EXPECT_EQ(info.hWnd, target.hwnd());
    EXPECT_EQ(info.WinTitle, "Pindrel Described Target");
    EXPECT_EQ(info.WinPath.CompareNoCase(TargetPath()), 0) << info.WinPath.GetString();
    EXPECT_EQ(RectText(info.WinRect), WindowRectText(target.hwnd()));
    EXPECT_EQ(info.WinParentLevel, 0);
    EXPECT_EQ(info.WinIndex, 7);
  }
}

TEST(WindowInfo, ShellWindowsGetFixedNames) {
  struct Case {
    const char* cls;
    const char* title;
    const char* wantTitle;
    const char* wantPath;  // nullptr: the program's own path
  } cases[] = {
      {"Shell_TrayWnd", "", "Task Bar", "Task Bar"},
      {"shell_traywnd", "tray", "Task Bar", "Task Bar"},
      {"BaseBar", "", "Start Menu", "Start Menu"},
      {"WorkerW", "", "Desktop", "Program Manager"},
      {"DimmedWindowClass", "", "Dimmed Desktop", "Dimmed Desktop"},
      {"FakeDesktopWClass", "x", "Dimmed Desktop", "Dimmed Desktop"},
      {"DV2ControlHost", "start MENU", "Start Menu", "Start Menu"},
      {"DV2ControlHost", "Other", "Other", nullptr},
      {"PindrelWinPathTest", "Start Menu", "Start Menu", nullptr},
  };
  for (const Case& c : cases) {
    TestWindow w(c.title, c.cls, true, nullptr, {11, 22, 333, 244});
    CActiveWinPath service;
    RecWinInfo info;
    ASSERT_TRUE(service.GetWindowInfo(w.hwnd(), info)) << c.cls;
    EXPECT_EQ(info.WinTitle, c.wantTitle) << c.cls;
    EXPECT_EQ(info.WinPath, c.wantPath ? CString(c.wantPath) : OwnPath()) << c.cls;
    EXPECT_EQ(RectText(info.WinRect), "11,22,333,244") << c.cls;
  }

  CActiveWinPath service;
  RecWinInfo desktop;
  ASSERT_TRUE(service.GetWindowInfo(GetDesktopWindow(), desktop));
  EXPECT_EQ(desktop.WinTitle, "Desktop");
  EXPECT_EQ(desktop.WinPath, "Program Manager");
  RecWinInfo none;
  EXPECT_FALSE(service.GetWindowInfo(nullptr, none));
}

TEST(WindowInfo, LongTitlesAreFoundAgainAsRecorded) {
  for (size_t length : {254u, 255u, 256u, 259u, 300u}) {
    std::string title(length, 'x');
    title[0] = 'L';
    TestWindow w(title.c_str());
    RecWinInfo info;
    ASSERT_TRUE(CActiveWinPath().GetWindowInfo(w.hwnd(), info));
    EXPECT_EQ(info.WinTitle.GetLength(), static_cast<int>(std::min<size_t>(length, 259)));
    CActiveWinPath service;
    info.hWnd = nullptr;
    EXPECT_TRUE(service.ActivateRecordedWindow(info, TRUE)) << length;
    EXPECT_EQ(info.hWnd, w.hwnd());
  }
}

TEST(ActivateRecordedWindow, ShellRecordsNeedNoWindow) {
  for (const char* name : {"Task Bar", "START MENU", "Dimmed Desktop"}) {
    RecWinInfo r = Record(name, name, 0);
    r.WinPath.MakeLower();
    EXPECT_TRUE(CActiveWinPath().ActivateRecordedWindow(r, TRUE)) << name;
    EXPECT_EQ(r.hWnd, nullptr);
  }
  RecWinInfo mixed = Record("Task Bar", "Start Menu", 0);
  EXPECT_FALSE(CActiveWinPath().ActivateRecordedWindow(mixed, TRUE));
}

namespace {
std::vector<std::string> g_hookedKeys;
LRESULT CALLBACK RecordKeys(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION) {
    const KBDLLHOOKSTRUCT* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp);
    bool up = wp == WM_KEYUP || wp == WM_SYSKEYUP;
    g_hookedKeys.push_back(std::string(up ? "up " : "down ") + std::to_string(k->vkCode));
  }
  return 1;  // swallowed: the desktop is not really shown during the test
}
}  // namespace

TEST(ActivateRecordedWindow, DesktopRecordPressesWinD) {
  g_hookedKeys.clear();
  HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, RecordKeys, GetModuleHandleA(nullptr), 0);
  ASSERT_NE(hook, nullptr);
  RecWinInfo r = Record("desktop", "PROGRAM MANAGER", 0);
  EXPECT_TRUE(CActiveWinPath().ActivateRecordedWindow(r, TRUE));
  PumpUntil([] { return g_hookedKeys.size() >= 4; }, 2000);
  UnhookWindowsHookEx(hook);
  std::vector<std::string> expected = {"down 91", "down 68", "up 68", "up 91"};
  EXPECT_EQ(g_hookedKeys, expected);
}

TEST(ActivateRecordedWindow, ExactThenSimilarWindowOfTheSameProgram) {
  TestTarget alpha, beta;
  ASSERT_TRUE(alpha.Start("Alpha Target", 100, 100));
  ASSERT_TRUE(beta.Start("Beta Target", 200, 150));
  HWND top = reinterpret_cast<HWND>(-1);  // whichever of the two comes first in the system's order
  struct Case {
    const char* title;
    BOOL exactOnly;
    BOOL result;
    HWND expected;
  } cases[] = {
      {"Beta Target", TRUE, TRUE, beta.hwnd()},
      {"Alpha Target", TRUE, TRUE, alpha.hwnd()},
      {"Gamma Target", TRUE, FALSE, nullptr},
      {"Gamma Target", FALSE, TRUE, top},
      {"Beta Target", TRUE, TRUE, beta.hwnd()},
      {"Gamma Target", FALSE, TRUE, top},
      {"beta target", TRUE, FALSE, nullptr},  // titles compare with case
  };
  CString path = TargetPath();
  path.MakeUpper();  // paths compare without case
  for (const Case& c : cases) {
    PumpFor(100);  // the targets finish re-stacking their windows
    HWND expected = c.expected == top ? FirstInZOrder({alpha.hwnd(), beta.hwnd()}) : c.expected;
    RecWinInfo r = Record(c.title, path, 0);
    CActiveWinPath service;
    EXPECT_EQ(service.ActivateRecordedWindow(r, c.exactOnly), c.result) << c.title;
    EXPECT_EQ(r.hWnd, expected) << c.title;
    if (expected) {
      PumpUntil([&] { return WindowRectText(expected) == "60,70,460,370"; }, 2000);
      EXPECT_EQ(WindowRectText(expected), "60,70,460,370") << c.title;
      EXPECT_EQ(FirstInZOrder({alpha.hwnd(), beta.hwnd()}), expected) << c.title;
      PumpUntil([&] { return GetForegroundWindow() == expected; }, 2000);
      EXPECT_EQ(GetForegroundWindow(), expected) << c.title;
    }
  }

  // Another program's path matches neither.
  RecWinInfo other = Record("Alpha Target", "C:\\windows\\notepad.exe", 0);
  EXPECT_FALSE(CActiveWinPath().ActivateRecordedWindow(other, FALSE));
}

TEST(ActivateRecordedWindow, ExcludedWindowIsNeverTaken) {
  TestTarget alpha, beta;
  ASSERT_TRUE(alpha.Start("Alpha Target", 100, 100));
  ASSERT_TRUE(beta.Start("Beta Target", 200, 150));

  // The exact match is bound to another record, so only the other window of the program is left.
  RecWinInfo r = Record("Beta Target", TargetPath(), 0);
  CActiveWinPath service;
  service.m_ExcludeList.Add(beta.hwnd());
  EXPECT_FALSE(service.ActivateRecordedWindow(r, TRUE));
  EXPECT_TRUE(service.ActivateRecordedWindow(r, FALSE));
  EXPECT_EQ(r.hWnd, alpha.hwnd());

  CActiveWinPath both;
  both.m_ExcludeList.Add(alpha.hwnd());
  both.m_ExcludeList.Add(beta.hwnd());
  RecWinInfo r2 = Record("Beta Target", TargetPath(), 0);
  EXPECT_FALSE(both.ActivateRecordedWindow(r2, FALSE));
}

TEST(ActivateRecordedWindow, PresetWindowIsUsedWithoutSearching) {
  TestWindow live("Preset Live");
  TestWindow other("Preset Other");
  RecWinInfo r = Record("Preset Live", OwnPath(), 0);

  CActiveWinPath service;
  service.m_hFoundWnd = other.hwnd();
  EXPECT_TRUE(service.ActivateRecordedWindow(r, TRUE));
  EXPECT_EQ(r.hWnd, other.hwnd());

  HWND gone;
  {
    TestWindow w("Preset Gone");
    gone = w.hwnd();
  }
  CActiveWinPath stale;
  stale.m_hFoundWnd = gone;
  r.hWnd = nullptr;
  EXPECT_FALSE(stale.ActivateRecordedWindow(r, FALSE));
  EXPECT_EQ(r.hWnd, nullptr);
}

TEST(ActivateRecordedWindow, ParentLevelMustMatchUnlessAny) {
  TestWindow owner("Level Owner");
  TestWindow popup("Level Popup", "PindrelWinPathTest", true, owner.hwnd());
  ASSERT_EQ(GetParent(popup.hwnd()), owner.hwnd());

  RecWinInfo info;
  ASSERT_TRUE(CActiveWinPath().GetWindowInfo(popup.hwnd(), info));
  EXPECT_EQ(info.WinParentLevel, 1);

  struct Case {
    int level;
    BOOL found;
  } cases[] = {{0, FALSE}, {2, FALSE}, {1, TRUE}, {-1, TRUE}};
  for (const Case& c : cases) {
    RecWinInfo r = Record("Level Popup", OwnPath(), c.level);
    EXPECT_EQ(CActiveWinPath().ActivateRecordedWindow(r, TRUE), c.found) << c.level;
  }
}

TEST(ActivateRecordedWindow, MinimisedWindowIsRestoredAndMoved) {
  TestWindow w("Minimised Window");
  ShowWindow(w.hwnd(), SW_MINIMIZE);
  PumpUntil([&] { return IsIconic(w.hwnd()) != 0; }, 2000);
  ASSERT_TRUE(IsIconic(w.hwnd()));
  RecWinInfo r = Record("Minimised Window", OwnPath(), 0, {30, 40, 330, 290});
  EXPECT_TRUE(CActiveWinPath().ActivateRecordedWindow(r, TRUE));
  PumpFor(50);
  EXPECT_FALSE(IsIconic(w.hwnd()));
  EXPECT_EQ(WindowRectText(w.hwnd()), "30,40,330,290");
}

TEST(ActivateRecordedWindow, HiddenWindowsOfTheProgramStayHidden) {
  TestWindow visible("Visible Other");
  TestWindow hidden("Hidden Match", "PindrelWinPathTest", false);  // above the visible one
  ASSERT_EQ(FirstInZOrder({visible.hwnd(), hidden.hwnd()}), hidden.hwnd());

  RecWinInfo r = Record("Hidden Match", OwnPath(), 0);
  EXPECT_FALSE(CActiveWinPath().ActivateRecordedWindow(r, TRUE));
  // The similar match is the visible window, never the hidden one.
  EXPECT_TRUE(CActiveWinPath().ActivateRecordedWindow(r, FALSE));
  EXPECT_EQ(r.hWnd, visible.hwnd());
  EXPECT_FALSE(IsWindowVisible(hidden.hwnd()));

  CActiveWinPath preset;
  preset.m_hFoundWnd = hidden.hwnd();
  EXPECT_FALSE(preset.ActivateRecordedWindow(r, TRUE));
  EXPECT_FALSE(ActivateWindowAt(hidden.hwnd(), r));
  EXPECT_FALSE(IsWindowVisible(hidden.hwnd()));
}
