// Window and control built-ins played by scripts against the logging target window and windows of
// this program: the four window waits met and timed out, states, positions, titles and texts,
// control commands with the notifications the window receives, keys sent in the background,
// status bar texts, menus and the tooltip.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <mmsystem.h>

#include <cstdio>
#include <string>
#include <vector>

#include "script/windowsearch.h"
#include "tests/support/script_harness.h"
#include "tests/support/test_support.h"
#include "tests/support/test_target.h"

using namespace testing_support;

namespace {

const char kTitle[] = "Pindrel Window Builtins";
const char kMissing[] = "Pindrel No Such Window";

std::string Q(const std::string& text) { return "\"" + text + "\""; }

// A top-level window of this program; counts the WM_COMMAND ids it receives.
class OwnWindow {
public:
  explicit OwnWindow(const char* title, HMENU menu = nullptr) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PindrelOwnWindow";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowExA(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 400, 300, 200, nullptr,
                            menu, wc.hInstance, nullptr);
    PumpFor(20);
  }
  ~OwnWindow() {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  }
  HWND hwnd() const { return hwnd_; }
  static std::vector<WPARAM> commands;

private:
  static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_COMMAND) commands.push_back(w);
    return DefWindowProcA(h, m, w, l);
  }
  HWND hwnd_;
};
std::vector<WPARAM> OwnWindow::commands;

class WindowBuiltins : public ::testing::Test {
public:
  void SetUp() override {
    target.set_extra(true);
    ASSERT_TRUE(target.Start(kTitle, 40, 40));
    script().WinWaitDelay = 0;
  }

  // Runs "$r = <call>" and gives "result|@error"; an array's elements are joined with ",".
  std::string Do(const std::string& call) {
    EXPECT_TRUE(h.Run("$r = " + call + "\n$e = @error")) << h.LastBox();
    return Result() + "|" + h.Global("E");
  }
  std::string Result() {
    CScriptValue* value = nullptr;
    if (!h.variables().GetRef("R", value, SCOPE_GLOBAL)) return "<undeclared>";
    if (!value->IsArray()) return value->GetString();
    std::string text;
    for (int i = 0; i < value->GetElementCount(); ++i) {
      value->ClearSubscripts();
      value->AddSubscript(i);
      text += (i ? "," : "") + std::string(value->GetElement()->GetString());
    }
    return text;
  }
  // A control built-in on the target: "<name>(title, "", <arguments>)".
  std::string OnTarget(const std::string& name, const std::string& arguments) {
    return Do(name + "(" + Q(kTitle) + ", \"\", " + arguments + ")");
  }
  std::string Command(const std::string& control, const std::string& command, const std::string& option = "") {
    return OnTarget("ControlCommand", Q(control) + ", " + Q(command) + ", " + Q(option));
  }
  // Milliseconds one script run takes.
  DWORD Timed(const std::string& call, std::string& outcome) {
    DWORD start = timeGetTime();
    outcome = Do(call);
    return timeGetTime() - start;
  }
  std::vector<std::string> Notifications() const {
    std::vector<std::string> lines;
    for (const std::string& line : target.EventLines())
      if (line.find("WM_COMMAND") != std::string::npos) lines.push_back(line);
    return lines;
  }
  CQuorvex_Script& script() { return h.script(); }

  ScriptHarness h;
  TestTarget target;
};

CQuorvex_Script* g_stopScript = nullptr;
HWND g_lateWindow = nullptr;
void CALLBACK StopRun(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (g_stopScript) g_stopScript->StopRun = 1;
}
void CALLBACK OpenLateWindow(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  g_lateWindow = CreateWindowExA(0, "STATIC", "Pindrel Late Window", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
}
void CALLBACK CloseLateWindow(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  DestroyWindow(g_lateWindow);
}

}  // namespace

TEST_F(WindowBuiltins, WaitsAreMetOrTimeOut) {
  ASSERT_TRUE(BringToFront(target.hwnd()));
  std::string t = Q(kTitle), m = Q(kMissing);
  struct Case {
    std::string call, outcome;
    DWORD atLeast, below;
  } cases[] = {
      {"WinWait(" + t + ", \"Ready\", 2)", "1|0", 0, 1500},  // the status bar's text
      {"WinWait(" + m + ", \"\", 1)", "0|0", 1000, 3000},
      {"WinWaitClose(" + m + ")", "1|0", 0, 1500},
      {"WinWaitClose(" + t + ", \"\", 1)", "0|0", 1000, 3000},
      {"WinWaitActive(" + t + ", \"\", 2)", "1|0", 0, 1500},
      {"WinWaitActive(" + m + ", \"\", 1)", "0|0", 1000, 3000},
      {"WinWaitNotActive(" + t + ", \"\", 1)", "0|0", 1000, 3000},
      {"WinWaitNotActive(" + m + ", \"\", 2)", "1|0", 0, 1500},
  };
  for (const Case& c : cases) {
    std::string outcome;
    DWORD elapsed = Timed(c.call, outcome);
    EXPECT_EQ(outcome, c.outcome) << c.call;
    EXPECT_GE(elapsed, c.atLeast) << c.call;
    EXPECT_LT(elapsed, c.below) << c.call;
    EXPECT_EQ(script().Depth, 0);
  }
  // A wait without a time-out lasts until the run is stopped; its result stays 1 and the run
  // ends after the line.
  g_stopScript = &script();
  SetTimer(nullptr, 0, 300, StopRun);
  DWORD start = timeGetTime();
  EXPECT_TRUE(h.Run("$r = WinWait(" + m + ")\n$after = 1"));
  g_stopScript = nullptr;
  EXPECT_LT(timeGetTime() - start, 3000u);
  EXPECT_EQ(h.Global("R"), "1");
  EXPECT_EQ(h.Global("AFTER"), "<undeclared>");
}

TEST_F(WindowBuiltins, WaitsSeeWindowsComeAndGoThenWaitWinWaitDelay) {
  script().WinWaitDelay = 250;
  g_lateWindow = nullptr;
  SetTimer(nullptr, 0, 300, OpenLateWindow);  // runs from the wait's own message drain
  std::string outcome;
  DWORD elapsed = Timed("WinWait(\"Pindrel Late Window\", \"\", 5)", outcome);
  EXPECT_EQ(outcome, "1|0");
  EXPECT_GE(elapsed, 300u + 250u);
  EXPECT_LT(elapsed, 3000u);
  ASSERT_TRUE(IsWindow(g_lateWindow));
  SetTimer(nullptr, 0, 300, CloseLateWindow);
  elapsed = Timed("WinWaitClose(\"Pindrel Late Window\", \"\", 5)", outcome);
  EXPECT_EQ(outcome, "1|0");
  EXPECT_GE(elapsed, 300u + 250u);
  EXPECT_LT(elapsed, 3000u);
}

TEST_F(WindowBuiltins, StatesAreSetAndReadBack) {
  std::string t = Q(kTitle);
  // Bits: 1 exists, 2 visible, 4 enabled, 16 minimised, 32 maximised (8, active, left out).
  struct Case {
    int flag;
    int state;
  } cases[] = {{SW_MINIMIZE, 1 | 2 | 4 | 16}, {SW_RESTORE, 1 | 2 | 4}, {SW_HIDE, 1 | 4},
               {SW_SHOW, 1 | 2 | 4},        {SW_MAXIMIZE, 1 | 2 | 4 | 32}, {SW_RESTORE, 1 | 2 | 4}};
  for (const Case& c : cases) {
    EXPECT_EQ(Do("WinSetState(" + t + ", \"\", " + std::to_string(c.flag) + ")"), "1|0");
    PumpFor(100);
    EXPECT_TRUE(h.Run("$r = WinGetState(" + t + ")"));
    EXPECT_EQ(std::stoi(h.Global("R")) & ~8, c.state) << "flag " << c.flag;
  }
  EnableWindow(target.hwnd(), FALSE);
  EXPECT_EQ(std::stoi(Do("WinGetState(" + t + ")").substr(0, 2)) & 4, 0);
  EnableWindow(target.hwnd(), TRUE);
  EXPECT_EQ(Do("WinShow(" + t + ", \"\", 0)"), "1|0");
  EXPECT_FALSE(IsWindowVisible(target.hwnd()));
  EXPECT_EQ(Do("WinShow(" + t + ", \"\", 5)"), "1|0");
  EXPECT_EQ(Do("WinGetState(" + Q(kMissing) + ")"), "0|1");

  EXPECT_EQ(Do("WinSetOnTop(" + t + ", \"\", 1)"), "1|0");
  EXPECT_TRUE(GetWindowLongA(target.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(Do("WinSetOnTop(" + t + ", \"\", 2)"), "1|0");
  EXPECT_FALSE(GetWindowLongA(target.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);

  // Activation from another window of the foreground.
  OwnWindow other("Pindrel Other Window");
  ASSERT_TRUE(BringToFront(other.hwnd()));
  EXPECT_EQ(Do("WinActive(" + t + ")"), "0|0");
  EXPECT_EQ(Do("WinActivate(" + t + ")"), "1|0");
  EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == target.hwnd(); }, 3000));
  EXPECT_EQ(Do("WinActive(" + t + ")"), "1|0");
}

TEST_F(WindowBuiltins, MoveSizeAndPositions) {
  std::string t = Q(kTitle);
  EXPECT_EQ(Do("WinMove(" + t + ", \"\", 150, 120, 420, 330)"), "1|0");
  EXPECT_EQ(Do("WinGetPos(" + t + ")"), "150,120,420,330|0");
  EXPECT_EQ(Do("WinMove(" + t + ", \"\", 160, 130)"), "1|0");  // the size stays
  EXPECT_EQ(Do("WinGetPos(" + t + ")"), "160,130,420,330|0");
  RECT client;
  GetClientRect(target.hwnd(), &client);
  EXPECT_EQ(Do("WinGetClientSize(" + t + ")"), std::to_string(client.right) + "," + std::to_string(client.bottom) + "|0");
  EXPECT_EQ(Do("WinGetPos(" + Q(kMissing) + ")"), "1|1");
  EXPECT_EQ(Do("WinGetClientSize(" + Q(kMissing) + ")"), "1|1");
  EXPECT_EQ(Do("WinMove(" + Q(kMissing) + ", \"\", 0, 0)"), "1|0");

  EXPECT_EQ(OnTarget("ControlGetPos", "\"Edit1\""), "10,10,200,24|0");
  EXPECT_EQ(OnTarget("ControlMove", "\"Button1\", 230, 50"), "1|0");
  EXPECT_EQ(OnTarget("ControlGetPos", "\"Button1\""), "230,50,100,28|0");
  EXPECT_EQ(OnTarget("ControlMove", "\"Button1\", 220, 44, 120, 30"), "1|0");
  EXPECT_EQ(OnTarget("ControlGetPos", "\"Press\""), "220,44,120,30|0");  // found by its text
  EXPECT_EQ(OnTarget("ControlGetPos", "\"Button9\""), "1|1");
  EXPECT_EQ(OnTarget("ControlMove", "\"Button9\", 0, 0"), "0|0");
}

TEST_F(WindowBuiltins, TitlesTextsAndHandles) {
  std::string t = Q(kTitle);
  EXPECT_EQ(Do("WinExists(" + t + ")"), "1|0");
  EXPECT_EQ(Do("WinExists(" + t + ", \"Tick\")"), "1|0");
  EXPECT_EQ(Do("WinExists(" + t + ", \"no such text\")"), "0|0");
  EXPECT_EQ(Do("WinGetTitle(" + t + ")"), std::string(kTitle) + "|0");
  EXPECT_EQ(Do("WinGetTitle(" + Q(kMissing) + ")"), "1|0");
  EXPECT_EQ(Do("WinGetText(" + t + ")"), "Press\nReady\nTick\n|0");
  char handle[16];
  WindowHandleText(target.hwnd(), handle);
  EXPECT_EQ(Do("WinGetHandle(" + t + ")"), std::string(handle) + "|0");
  EXPECT_EQ(Do("WinGetHandle(" + Q(kMissing) + ")"), "|1");
  EXPECT_EQ(Do("WinGetClassList(" + t + ")"),
            "Edit\nListBox\nComboBox\nEdit\nButton\nmsctls_statusbar32\nSysTabControl32\nButton\n|0");
  EXPECT_EQ(Do("WinGetClassList(" + Q(kMissing) + ")"), "1|1");

  EXPECT_EQ(Do("WinSetTitle(" + t + ", \"\", \"Pindrel Renamed Target\")"), "1|0");
  EXPECT_EQ(Do("WinGetTitle(\"Pindrel Renamed\")"), "Pindrel Renamed Target|0");
  EXPECT_EQ(Do("WinSetTitle(\"Pindrel Renamed\", \"\", " + t + ")"), "1|0");

  EXPECT_EQ(OnTarget("ControlSetText", "\"Edit1\", \"set by a script\""), "1|0");
  EXPECT_EQ(OnTarget("ControlGetText", "\"Edit1\""), "set by a script|0");
  EXPECT_EQ(OnTarget("ControlGetText", "\"Button1\""), "Press|0");
  EXPECT_EQ(OnTarget("ControlSetText", "\"Edit1\", \"\""), "1|0");
  EXPECT_EQ(OnTarget("ControlGetText", "\"Edit1\""), "|1");  // no text
  EXPECT_EQ(OnTarget("ControlGetText", "\"Edit7\""), "|1");
  EXPECT_EQ(OnTarget("ControlSetText", "\"Edit7\", \"x\""), "0|0");
}

TEST_F(WindowBuiltins, ControlCommandsOnListsEditsTabsAndButtons) {
  struct Case {
    const char* control;
    const char* command;
    const char* option;
    const char* outcome;
  } cases[] = {
      {"ComboBox1", "GetCurrentSelection", "", "1|1"},  // nothing chosen yet
      {"ComboBox1", "FindString", "two", "1|0"},
      {"ComboBox1", "FindString", "four", "-1|1"},
      {"ComboBox1", "AddString", "four", "1|0"},
      {"ComboBox1", "FindString", "four", "3|0"},
      {"ComboBox1", "DelString", "3", "1|0"},
      {"ComboBox1", "FindString", "four", "-1|1"},
      {"ComboBox1", "DelString", "9", "1|1"},
      {"ComboBox1", "SetCurrentSelection", "2", "1|0"},
      {"ComboBox1", "GetCurrentSelection", "", "three|0"},
      {"ComboBox1", "selectstring", "one", "1|0"},  // commands in any case
      {"combobox1", "IsVisible", "", "1|1"},        // control ids are exact
      {"ComboBox1", "GetCurrentSelection", "", "one|0"},
      {"ComboBox1", "SetCurrentSelection", "7", "1|1"},
      {"ComboBox1", "SelectString", "zzz", "1|1"},
      {"ListBox1", "GetCurrentSelection", "", "1|1"},
      {"ListBox1", "AddString", "four", "1|0"},
      {"ListBox1", "FindString", "four", "3|0"},
      {"ListBox1", "SetCurrentSelection", "1", "1|0"},
      {"ListBox1", "GetCurrentSelection", "", "two|0"},
      {"ListBox1", "SelectString", "thr", "1|0"},  // the beginning of an item
      {"ListBox1", "GetCurrentSelection", "", "three|0"},
      {"Edit1", "AddString", "x", "1|0"},  // neither a combo nor a list: nothing
      {"Edit1", "FindString", "x", "1|1"},
      {"Edit1", "IsVisible", "", "1|0"},
      {"Edit1", "IsEnabled", "", "1|0"},
      {"Edit1", "EditPaste", "hello world", "1|0"},
      {"Edit1", "GetLineCount", "", "1|0"},
      {"Edit1", "GetLine", "1", "hello world|0"},
      {"Edit1", "GetLine", "0", "|1"},  // no line before the first, not the caret's
      {"Edit1", "GetLine", "-1", "|1"},
      {"Edit1", "GetLine", "2", "|1"},   // none past the last either
      {"Edit1", "GetCurrentLine", "", "1|0"},
      {"Edit1", "GetCurrentCol", "", "12|0"},
      {"Edit1", "GetSelected", "", "1|1"},  // no selection
      {"SysTabControl321", "CurrentTab", "", "1|0"},
      {"Button2", "IsChecked", "", "0|0"},
      {"Button2", "UnCheck", "", "1|0"},
      {"Edit1", "NoSuchCommand", "", "1|1"},
      {"Edit9", "IsVisible", "", "1|1"},  // no such control
  };
  for (const Case& c : cases) EXPECT_EQ(Command(c.control, c.command, c.option), c.outcome) << c.control << " " << c.command;

  // What the lists hold now, read by the test itself.
  HWND combo = target.Control(TestTarget::kCombo), list = target.Control(TestTarget::kList);
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 4);

  // A selection made by a script tells the parent as a user's choice would.
  target.ClearLog();
  EXPECT_EQ(Command("ComboBox1", "SetCurrentSelection", "1"), "1|0");
  EXPECT_EQ(Command("ListBox1", "SelectString", "one"), "1|0");
  EXPECT_EQ(Notifications(), (std::vector<std::string>{"combo WM_COMMAND 1 0", "combo WM_COMMAND 9 0",
                                                        "list WM_COMMAND 1 0", "list WM_COMMAND 2 0"}));

  // Posted keys and clicks are handled by the target after the call returns.
  EXPECT_EQ(Command("SysTabControl321", "TabRight"), "1|0");
  EXPECT_TRUE(PumpUntil([&] { return Command("SysTabControl321", "CurrentTab") == "2|0"; }, 3000));
  EXPECT_EQ(Command("SysTabControl321", "TabLeft"), "1|0");
  EXPECT_TRUE(PumpUntil([&] { return Command("SysTabControl321", "CurrentTab") == "1|0"; }, 3000));
  EXPECT_EQ(Command("Button2", "Check"), "1|0");
  EXPECT_TRUE(PumpUntil([&] { return Command("Button2", "IsChecked") == "1|0"; }, 3000));
  EXPECT_EQ(Command("Button2", "UnCheck"), "1|0");
  EXPECT_TRUE(PumpUntil([&] { return Command("Button2", "IsChecked") == "0|0"; }, 3000));

  EXPECT_EQ(Command("ComboBox1", "ShowDropDown"), "1|0");
  EXPECT_TRUE(PumpUntil([&] { return SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; }, 3000));
  EXPECT_EQ(Command("ComboBox1", "HideDropDown"), "1|0");
  EXPECT_TRUE(PumpUntil([&] { return SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) == 0; }, 3000));

  SendMessageA(target.Control(TestTarget::kEdit), EM_SETSEL, 6, 11);
  EXPECT_EQ(Command("Edit1", "GetSelected"), "world|0");
  EXPECT_EQ(Command("Edit1", "GetCurrentCol"), "7|0");
}

TEST_F(WindowBuiltins, ControlSwitchesFocusAndClicks) {
  HWND button = target.Control(TestTarget::kButton);
  EXPECT_EQ(OnTarget("ControlDisable", "\"Button1\""), "1|0");
  EXPECT_FALSE(IsWindowEnabled(button));
  EXPECT_EQ(Command("Button1", "IsEnabled"), "0|0");
  EXPECT_EQ(OnTarget("ControlEnable", "\"Button1\""), "1|0");
  EXPECT_TRUE(IsWindowEnabled(button));
  EXPECT_EQ(OnTarget("ControlHide", "\"Button1\""), "1|0");
  EXPECT_FALSE(IsWindowVisible(button));
  EXPECT_EQ(OnTarget("ControlShow", "\"Button1\""), "1|0");
  EXPECT_TRUE(IsWindowVisible(button));
  EXPECT_EQ(OnTarget("ControlEnable", "\"Button7\""), "0|0");

  EXPECT_EQ(OnTarget("ControlFocus", "\"ListBox1\""), "1|0");
  EXPECT_EQ(Do("ControlGetFocus(" + Q(kTitle) + ")"), "ListBox1|0");
  EXPECT_EQ(OnTarget("ControlFocus", "\"Edit1\""), "1|0");
  EXPECT_EQ(Do("ControlGetFocus(" + Q(kTitle) + ")"), "Edit1|0");
  EXPECT_EQ(Do("ControlGetFocus(" + Q(kMissing) + ")"), "1|1");
  EXPECT_EQ(OnTarget("ControlFocus", "\"Edit7\""), "0|0");

  // Right clicks at the control's centre (in the target's client area: 220 + 50, 44 + 14).
  target.ClearLog();
  EXPECT_EQ(OnTarget("ControlClick", "\"Button1\", \"right\", 2"), "1|0");
  EXPECT_EQ(OnTarget("ControlClick", "\"Button1\""), "1|0");
  ASSERT_TRUE(target.WaitForMessages("WM_LBUTTONUP", 1));
  std::vector<std::string> clicks;
  for (const std::string& line : target.EventLines())
    if (line.find("BUTTON") != std::string::npos) clicks.push_back(line);
  EXPECT_EQ(clicks, (std::vector<std::string>{"button WM_RBUTTONDOWN 270 58", "button WM_RBUTTONUP 270 58",
                                              "button WM_RBUTTONDOWN 270 58", "button WM_RBUTTONUP 270 58",
                                              "button WM_LBUTTONDOWN 270 58", "button WM_LBUTTONUP 270 58"}));
  EXPECT_EQ(OnTarget("ControlClick", "\"Button7\""), "0|0");
}

TEST_F(WindowBuiltins, TheCaretOfTheForegroundWindowOnTheScreenOrInItsClientArea) {
  ASSERT_TRUE(BringToFront(target.hwnd()));
  EXPECT_EQ(OnTarget("ControlFocus", "\"Edit1\""), "1|0");
  EXPECT_EQ(OnTarget("ControlSetText", "\"Edit1\", \"caret\""), "1|0");
  RECT edit;
  GetWindowRect(target.Control(TestTarget::kEdit), &edit);
  script().CaretCoordMode = 1;
  std::string screen = Do("WinGetCaretPos()");
  int x = 0, y = 0;
  ASSERT_EQ(sscanf(screen.c_str(), "%d,%d|0", &x, &y), 2) << screen;
  EXPECT_TRUE(x >= edit.left && x < edit.right && y >= edit.top && y < edit.bottom) << screen;
  script().CaretCoordMode = 0;
  POINT origin = target.client_origin();
  EXPECT_EQ(Do("WinGetCaretPos()"), std::to_string(x - origin.x) + "," + std::to_string(y - origin.y) + "|0");
}

TEST_F(WindowBuiltins, ControlSendInTheBackgroundReachesAWindowWithoutTheFocus) {
  OwnWindow other("Pindrel Foreground Window");
  ASSERT_TRUE(BringToFront(other.hwnd()));
  script().SetRunParameters(1, 0, 0);
  target.ClearLog();
  EXPECT_EQ(OnTarget("ControlSend", "\"Edit1\", \"ab{SPACE}c\""), "1|0");
  EXPECT_EQ(OnTarget("ControlSend", "\"Edit1\", \"{x}\", 0"), "1|0");  // 0: not raw
  EXPECT_EQ(OnTarget("ControlSend", "\"Edit7\", \"x\""), "0|0");
  ASSERT_TRUE(PumpUntil([&] { return Command("Edit1", "GetLine", "1") == "ab cx|0"; }, 3000))
      << Command("Edit1", "GetLine", "1");
  EXPECT_NE(GetForegroundWindow(), target.hwnd());
  EXPECT_TRUE(target.WaitForMessages("WM_CHAR", 5));
}

TEST_F(WindowBuiltins, StatusBarTextOfAnotherProgramAndALongOne) {
  std::string t = Q(kTitle);
  EXPECT_EQ(Do("StatusbarGetText(" + t + ")"), "Ready|0");
  EXPECT_EQ(Do("StatusbarGetText(" + t + ", \"\", 1)"), "Ready|0");
  EXPECT_EQ(Do("StatusbarGetText(" + t + ", \"\", 0)"), "|1");
  EXPECT_EQ(Do("StatusbarGetText(" + t + ", \"\", 2)"), "|1");
  EXPECT_EQ(Do("StatusbarGetText(" + Q(kMissing) + ")"), "|1");

  // A text longer than any fixed buffer arrives whole.
  OwnWindow own("Pindrel Status Window");
  HWND bar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, own.hwnd(), nullptr, nullptr,
                             nullptr);
  int widths[] = {100, -1};
  SendMessageA(bar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(widths));
  std::string longText(6000, 'x');
  longText += "end";
  SendMessageA(bar, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(longText.c_str()));
  EXPECT_EQ(Do("StatusbarGetText(\"Pindrel Status Window\", \"\", 2)"), longText + "|0");
}

TEST_F(WindowBuiltins, MenuItemsAreChosenByTheirPath) {
  HMENU bar = CreateMenu(), file = CreatePopupMenu(), recent = CreatePopupMenu();
  AppendMenuA(recent, MF_STRING, 301, "&One");
  AppendMenuA(file, MF_STRING, 201, "&Open");
  AppendMenuA(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), "&Recent");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  OwnWindow own("Pindrel Menu Window", bar);
  std::string w = Q("Pindrel Menu Window");
  OwnWindow::commands.clear();
  EXPECT_EQ(Do("WinMenuSelectItem(" + w + ", \"\", \"&File\", \"&Rec\", \"&One\")"), "1|0");
  EXPECT_EQ(Do("WinMenuSelectItem(" + w + ", \"\", \"&File\", \"&Open\")"), "1|0");
  EXPECT_EQ(Do("WinMenuSelectItem(" + w + ", \"\", \"&File\", \"&Recent\")"), "0|0");  // opens a submenu
  EXPECT_EQ(Do("WinMenuSelectItem(" + w + ", \"\", \"File\")"), "0|0");             // "&" is part of the text
  EXPECT_EQ(Do("WinMenuSelectItem(" + Q(kTitle) + ", \"\", \"&File\")"), "0|0");    // no menu
  PumpFor(50);
  EXPECT_EQ(OwnWindow::commands, (std::vector<WPARAM>{301, 201}));
}

TEST_F(WindowBuiltins, CloseAndToolTip) {
  HWND tip = nullptr;
  {
    CQuorvex_ScriptFile file;
    CScriptVariables variables;
    CQuorvex_Script own(&file, &variables);
    for (const char* text : {"a tip", "another tip"}) {
      CValueList args;
      CScriptValue value, result;
      value.SetString(text);
      args.Add(value);
      EXPECT_EQ(own.CallBuiltin(own.FindBuiltin("TOOLTIP"), args, result), 0);
    }
    tip = own.ToolTipWindow;
    ASSERT_TRUE(IsWindow(tip));
    char className[64] = "";
    GetClassNameA(tip, className, sizeof className);
    EXPECT_STREQ(className, "tooltips_class32");
    EXPECT_TRUE(GetWindowLongA(tip, GWL_EXSTYLE) & WS_EX_TOPMOST);
  }
  EXPECT_FALSE(IsWindow(tip)) << "the interpreter's end takes the tooltip with it";
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, target.process_id());
  ASSERT_TRUE(process);
  EXPECT_EQ(Do("WinClose(" + Q(kTitle) + ")"), "1|0");
  EXPECT_EQ(WaitForSingleObject(process, 5000), WAIT_OBJECT_0);
  CloseHandle(process);
  EXPECT_EQ(Do("WinClose(" + Q(kMissing) + ")"), "1|0");
  EXPECT_EQ(Do("WinKill(" + Q(kMissing) + ")"), "1|0");
}
