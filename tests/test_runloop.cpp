// The run loop: message draining and waits, the quit request, adlib and script hotkeys, long GOTO
// loops, and recorded windows brought back before their lines.
#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>
#include <psapi.h>

#include <string>

#include "robot/activewinpath.h"
#include "tests/support/script_harness.h"

using namespace testing_support;

namespace {

CQuorvex_Script* g_timerScript = nullptr;

// A top-level window of this program that counts the WM_USER messages it is sent.
class CountingWindow {
public:
  explicit CountingWindow(const char* title, bool visible = false, RECT rect = {50, 50, 350, 250}) {
    WNDCLASSA wc = {};
    if (!GetClassInfoA(GetModuleHandleA(nullptr), "PindrelRunLoopTest", &wc)) {
      wc.lpfnWndProc = Proc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = "PindrelRunLoopTest";
      RegisterClassA(&wc);
    }
    hwnd_ = CreateWindowExA(0, "PindrelRunLoopTest", title, WS_POPUP | WS_BORDER | (visible ? WS_VISIBLE : 0),
                            rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    PumpFor(20);
  }
  ~CountingWindow() { DestroyWindow(hwnd_); }
  HWND hwnd() const { return hwnd_; }
  static int received;

private:
  static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_USER) ++received;
    if (m == WM_USER && g_timerScript) g_timerScript->StopRun = 1;
    return DefWindowProcA(h, m, w, l);
  }
  HWND hwnd_;
};
int CountingWindow::received = 0;

void CALLBACK StopFromTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_timerScript) g_timerScript->StopRun = 1;
}

SIZE_T PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PagefileUsage;
}

CString OwnPath() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

RecWinInfo Record(int index, const char* title) {
  RecWinInfo r;
  r.WinIndex = index;
  r.WinTitle = title;
  r.WinPath = OwnPath();
  r.WinParentLevel = -1;
  r.WinRect = {60, 70, 460, 370};
  return r;
}

void DropQuit() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

}  // namespace

TEST(RunLoop, LastLineEndsTheRunAndDepthStays) {
  ScriptHarness h;
  ASSERT_TRUE(h.Run("$a = 1\n$b = 2"));
  EXPECT_EQ(h.script().Run.WaitState, WAIT_END);
  EXPECT_EQ(h.script().Depth, 0);
  // Exit ends the run after its line, also from inside a function.
  ASSERT_TRUE(h.Run("Func F()\n  Exit\nEndFunc\n$c = 1\nF()\n$d = 1"));
  EXPECT_EQ(h.Global("C"), "1");
  EXPECT_EQ(h.Global("D"), "<undeclared>");
  EXPECT_EQ(h.script().Depth, 0);
}

TEST(RunLoop, DelayWaitDrainsMessagesAndHonoursTheStopFlag) {
  ScriptHarness h;
  h.Load("$x = 1");
  CountingWindow window("Pindrel run loop");
  CountingWindow::received = 0;
  PostMessageA(window.hwnd(), WM_USER, 0, 0);
  CQuorvex_Script::CWait delay;
  delay.Timeout = 300;
  CScriptValue result;
  DWORD start = timeGetTime();
  EXPECT_EQ(h.script().NestedWait(WAIT_DELAY, delay, result), 0);
  DWORD elapsed = timeGetTime() - start;
  EXPECT_GE(elapsed, 300u);
  EXPECT_EQ(CountingWindow::received, 1);  // dispatched during the wait
  EXPECT_EQ(h.script().Run.WaitState, WAIT_NONE);
  EXPECT_EQ(h.script().Depth, 0);

  // A stop requested during a wait ends the run at the next poll.
  g_timerScript = &h.script();
  UINT_PTR timer = SetTimer(nullptr, 0, 100, StopFromTimer);
  start = timeGetTime();
  CQuorvex_Script::CWait longDelay;
  longDelay.Timeout = 10000;
  h.script().NestedWait(WAIT_DELAY, longDelay, result);
  KillTimer(nullptr, timer);
  g_timerScript = nullptr;
  EXPECT_LT(timeGetTime() - start, 5000u);
  EXPECT_EQ(h.script().Run.WaitState, WAIT_END);
  EXPECT_EQ(h.script().Depth, 0);
}

TEST(RunLoop, RunWaitEndsWithTheProcessWhateverItsExitCode) {
  for (int code : {3, 259}) {
    ScriptHarness h;
    h.Load("$x = 1");
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string command = "cmd.exe /c exit " + std::to_string(code);
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    CQuorvex_Script::CWait wait;
    wait.Process = pi.hProcess;
    CScriptValue result;
    EXPECT_EQ(h.script().NestedWait(WAIT_RUNWAIT, wait, result), 0);
    EXPECT_EQ(result.GetInt(), code);
    EXPECT_EQ(wait.Process, nullptr);  // its handle is closed
    EXPECT_EQ(h.script().Run.WaitState, WAIT_NONE);
  }
}

TEST(RunLoop, QuitRequestEndsTheRunAndReachesTheHost) {
  ScriptHarness h;
  DropQuit();
  PostQuitMessage(7);
  EXPECT_TRUE(h.Run("$x = 1"));
  EXPECT_EQ(h.Global("X"), "<undeclared>");
  EXPECT_TRUE(h.script().IsQuitting());
  // Later runs return before their first line.
  EXPECT_TRUE(h.Run("$y = 1"));
  EXPECT_EQ(h.Global("Y"), "<undeclared>");
  // The host's own loop still gets the request.
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  DropQuit();
}

TEST(RunLoop, AdlibFunctionRunsBetweenLines) {
  ScriptHarness h;
  h.script().AdlibOn = 1;
  h.script().AdlibFunction.AssignText("Tick");
  h.script().AdlibPeriod = 5;
  h.script().AdlibLastTime = timeGetTime();
  EXPECT_TRUE(h.Run("Global $ticks = 0, $spins = 0\n"
                    "Func Tick()\n"
                    "  $ticks = $ticks + 1\n"
                    "  $local = 1\n"
                    "EndFunc\n"
                    "While $ticks < 3\n"
                    "  $spins = $spins + 1\n"
                    "Wend\n"))
      << h.LastBox();
  // A slow line (a loaded machine) can let one more period pass before the loop's test.
  EXPECT_GE(std::stoi(h.Global("TICKS")), 3);
  EXPECT_EQ(h.Global("LOCAL"), "<undeclared>");
  EXPECT_GT(std::stoi(h.Global("SPINS")), 0);
  EXPECT_EQ(h.script().Run.AdlibRunning, 0);
}

TEST(RunLoop, ScriptHotkeyRunsItsFunction) {
  ScriptHarness h;
  h.script().HotKeys[5] = std::make_unique<CQuorvex_Script::CScriptHotkey>();
  h.script().HotKeys[5]->function.AssignText("Pressed");
  ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_HOTKEY, 5, 0));
  ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_HOTKEY, 9, 0));  // no such slot: ignored
  MSG peek;
  ASSERT_TRUE(PeekMessageA(&peek, nullptr, WM_HOTKEY, WM_HOTKEY, PM_NOREMOVE));
  EXPECT_EQ(peek.hwnd, nullptr);
  EXPECT_EQ(peek.wParam, 5u);
  // The hotkey is taken from the queue before the first line runs.
  CScriptValue zero;
  h.variables().Assign("HIT", zero, SCOPE_GLOBAL);
  EXPECT_TRUE(h.Run("Func Pressed()\n"
                    "  $hit = $hit + 1\n"
                    "EndFunc\n"
                    "$n = 0\n"
                    "Do\n"
                    "  $n = $n + 1\n"
                    "Until $hit = 1 Or $n = 1000\n"))
      << h.LastBox();
  EXPECT_EQ(h.Global("HIT"), "1");
  EXPECT_LT(std::stoi(h.Global("N")), 1000);
}

TEST(RunLoop, LongGotoLoopKeepsStacksAndMemoryFlat) {
  auto script = [](int passes) {
    return "$n = 0\n"
           "TAG $loop\n"
           "While 1\n"
           "  $n = $n + 1\n"
           "  If $n < " +
           std::to_string(passes) +
           " Then\n"
           "    GOTO $loop\n"
           "  EndIf\n"
           "  ExitLoop\n"
           "Wend\n";
  };
  ScriptHarness h;
  ASSERT_TRUE(h.Run(script(1000))) << h.LastBox();
  SIZE_T before = PrivateBytes();
  ASSERT_TRUE(h.Run(script(100000))) << h.LastBox();
  SIZE_T after = PrivateBytes();
  EXPECT_EQ(h.Global("N"), "100000");
  EXPECT_EQ(h.script().GetIfDepth(), 0);
  EXPECT_EQ(h.script().GetLoopDepth(), 0);
  EXPECT_EQ(h.script().GetTagCount(), 1);
  EXPECT_LT(after, before + 1024 * 1024) << before << " -> " << after;
}

TEST(RunLoop, GotoOutOfLoopsInsideAFunctionKeepsTheCallersBlocks) {
  ScriptHarness h;
  ASSERT_TRUE(h.Run("Func F()\n"
                    "  While 1\n"
                    "    GOTO $done\n"
                    "  Wend\n"
                    "TAG $done\n"
                    "  $inF = 1\n"
                    "EndFunc\n"
                    "For $i = 1 To 3\n"
                    "  F()\n"
                    "Next\n"))
      << h.LastBox();
  EXPECT_EQ(h.Global("I"), "4");
  EXPECT_EQ(h.script().GetLoopDepth(), 0);
}

TEST(RunLoop, MissingRecordedWindowStopsTheRunWithItsBox) {
  struct Case {
    BOOL similar;
    const char* advice;
  } cases[] = {
      {FALSE, "If the window title changes every time you run the robot, edit the robot and check the option 'Enable to "
              "run with other similar files or window titles'."},
      {TRUE, "If inputs do not associate with any window, edit the robot and uncheck the option 'Enable RecWin "
             "Technology for this robot'."},
  };
  for (const Case& c : cases) {
    ScriptHarness h;
    h.Load("$before = 1\n$x = 1\n$after = 1");
    h.file().Records.push_back(Record(1, "No Such Window Anywhere"));
    h.file().LineToRecord[2] = 0;
    h.script().UseRecWin = TRUE;
    h.script().UseSimilarWin = c.similar;
    h.script().WindowTryCount = 3;
    h.script().WindowTryInterval = 10;
    ASSERT_EQ(h.script().PrepareScript("robot.txt"), 0);
    h.script().Execute(1, 1);
    ASSERT_EQ(h.boxes().size(), 1u);
    EXPECT_EQ(h.boxes()[0].text, std::string("Cannot find window or application titled 'No Such Window Anywhere' that "
                                             "was open during recording.\n\n") +
                                     c.advice);
    EXPECT_EQ(h.boxes()[0].caption, "Vantorel Pindrel Error");
    EXPECT_EQ(h.boxes()[0].type, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(h.Global("BEFORE"), "1");
    EXPECT_EQ(h.Global("X"), "<undeclared>");
    EXPECT_EQ(h.Global("AFTER"), "<undeclared>");
    EXPECT_EQ(h.script().StopRun, 1);
    EXPECT_EQ(h.script().Run.WindowTries, 3);
  }
  // After a Run the wait allows more tries.
  ScriptHarness h;
  h.Load("$x = 1");
  h.file().Records.push_back(Record(1, "No Such Window Anywhere"));
  h.file().LineToRecord[1] = 0;
  h.script().UseRecWin = TRUE;
  h.script().WindowTryCount = 3;
  h.script().WindowTryCountAfterRun = 5;
  h.script().WindowTryInterval = 10;
  h.script().AfterRun = 1;
  ASSERT_EQ(h.script().PrepareScript("robot.txt"), 0);
  h.script().Execute(1, 1);
  EXPECT_EQ(h.script().Run.WindowTries, 5);
  EXPECT_EQ(h.script().AfterRun, 0);
}

TEST(RunLoop, RecordsOfOneProgramNeverShareAWindow) {
  CountingWindow a("Pindrel Window A", true, {40, 40, 340, 240});
  CountingWindow b("Pindrel Window B", true, {400, 40, 700, 240});
  ScriptHarness h;
  h.Load("$a = 1\n$b = 2\n$again = 3");
  h.file().Records.push_back(Record(1, "Pindrel Window A"));
  h.file().Records.push_back(Record(2, "A Title That Changed"));
  h.file().LineToRecord[1] = 0;
  h.file().LineToRecord[2] = 1;
  h.file().LineToRecord[3] = 0;
  h.script().UseRecWin = TRUE;
  h.script().UseSimilarWin = TRUE;
  h.script().WinWaitDelay = 0;
  ASSERT_EQ(h.script().PrepareScript("robot.txt"), 0);
  h.script().Execute(1, 1);
  EXPECT_TRUE(h.boxes().empty()) << h.LastBox();
  EXPECT_EQ(h.Global("AGAIN"), "3");
  EXPECT_EQ(h.file().Records[0].hWnd, a.hwnd());
  // The second record takes the other window of the program.
  EXPECT_EQ(h.file().Records[1].hWnd, b.hwnd());
}

TEST(RunLoop, RobotFileWithLoopFunctionAndWindowRuns) {
  CountingWindow window("Pindrel Robot Window", true, {80, 80, 380, 280});
  TempFolder folder;
  std::string path = folder.File("Loop Robot.txt");
  WriteFileBytes(path,
                 "[General]\r\nName=Loop Robot\r\nStartKey=None\r\nEndKey=None\r\nDescription=\r\nEnable=1\r\n"
                 "RepeatOption=0\r\nRepeatTimes=1\r\nUseRecWin=1\r\nRunAtBackground=0\r\n[Script]\r\n"
                 "Func Twice($v)\r\n"
                 "  Return $v * 2\r\n"
                 "EndFunc\r\n"
                 "$sum = 0\r\n"
                 "For $i = 1 To 4\r\n"
                 "  $sum = $sum + Twice($i)\r\n"
                 "Next\r\n"
                 "$seen = $sum-> At Win [0]\r\n"
                 "$fast = 1=> [remove on faster speed]\r\n"
                 "[RecWinInfo]\r\nWinIndex=1\r\nWinTitle=Pindrel Robot Window\r\nWinPath=" +
                     std::string(OwnPath()) + "\r\nWinParentLevel=-1\r\nWinRect=100,90,500,390\r\n");
  ScriptHarness h;
  h.file().RobotSpeedMode = 0;
  ASSERT_TRUE(h.file().LoadRobotFile(path.c_str(), 0));
  h.file().BuildLineArray();
  ASSERT_EQ(h.script().PrepareScript(path.c_str()), 0);
  h.script().SetRunParameters(h.file().RunAtBackground, 0, 0);
  h.script().UseRecWin = TRUE;
  h.script().WinWaitDelay = 0;
  EXPECT_EQ(h.script().Execute(1, 1), 0);
  EXPECT_TRUE(h.boxes().empty()) << h.LastBox();
  EXPECT_EQ(h.Global("SUM"), "20");
  EXPECT_EQ(h.Global("SEEN"), "20");
  EXPECT_EQ(h.Global("FAST"), "1");
  EXPECT_EQ(h.file().Records[0].hWnd, window.hwnd());
  RECT r;
  GetWindowRect(window.hwnd(), &r);
  EXPECT_EQ(r.left, 100);  // moved to its recorded place
  EXPECT_EQ(r.top, 90);
  EXPECT_STREQ(h.script().ScriptName, "Loop Robot.txt");
  EXPECT_STREQ(h.script().ScriptDir, folder.path().c_str());
  EXPECT_STREQ(h.script().ScriptFullPath, path.c_str());
}

TEST(RunLoop, BuiltinsThatTouchWindowsInputOrTheQueueDrainAroundThem) {
  ScriptHarness h;
  struct Case {
    const char* name;
    bool drains;
  } cases[] = {
      {"WINEXISTS", true},      {"CONTROLCLICK", true}, {"MOUSECLICK", true},   {"SEND", true},
      {"KEYDOWN", true},        {"MSGBOX", true},       {"WAIT", true},         {"WAITLONG", true},
      {"HOTKEYSET", true},      {"RUNWAIT", true},      {"PIXELGETCOLOR", true}, {"FILEOPENDIALOG", true},
      {"FILESELECTFOLDER", true}, {"TOOLTIP", true},    {"STRINGLEN", false},   {"ABS", false},
      {"BITAND", false},        {"FILEREAD", false},    {"INIREAD", false},     {"REGREAD", false},
      {"ISARRAY", false},       {"UBOUND", false},      {"EVAL", false},        {"TIMERDIFF", false},
  };
  for (const Case& c : cases) {
    int index = h.script().FindBuiltin(c.name);
    ASSERT_GE(index, 0) << c.name;
    EXPECT_EQ(h.script().GetBuiltin(index).drainsQueue, c.drains) << c.name;
  }
}

TEST(RunLoop, TightLoopDrainsAboutOnceAMillisecondAndStillStops) {
  ScriptHarness h;
  CQuorvex_Script::RunLoopStats stats;
  h.script().Stats = &stats;
  ASSERT_TRUE(h.Run("$n = 0\nWhile $n < 30000\n$n = $n + 1\nWend")) << h.LastBox();
  h.script().Stats = nullptr;
  EXPECT_EQ(h.Global("N"), "30000");
  EXPECT_EQ(stats.lines, 90002);
  EXPECT_GE(stats.drains, 2);  // the run's start and its end state
  EXPECT_LT(stats.drains, stats.lines / 4);

  // The end hotkey's stop flag, set by a message handled in a drain, ends an endless loop.
  g_timerScript = &h.script();
  UINT_PTR timer = SetTimer(nullptr, 0, 100, StopFromTimer);
  DWORD start = timeGetTime();
  h.Run("While 1\n$n = $n + 1\nWend");
  KillTimer(nullptr, timer);
  g_timerScript = nullptr;
  EXPECT_LT(timeGetTime() - start, 5000u);
  EXPECT_EQ(h.script().Run.WaitState, WAIT_END);

  // A message waiting when a built-in that touches windows runs is handled before it.
  CountingWindow window("Pindrel drain");
  CountingWindow::received = 0;
  h.Load("$seen = WinExists(\"Pindrel drain\")");
  ASSERT_EQ(h.script().PrepareScript("drain.txt"), 0);
  h.script().DrainMessages();
  PostMessageA(window.hwnd(), WM_USER, 0, 0);
  h.script().Execute(1, 1);
  EXPECT_EQ(CountingWindow::received, 1);
}

// Posts the stop message to the window once the script has set PINDREL_PHASE (a process-wide
// variable the helper thread can see).
DWORD WINAPI PostStopWhenSlow(void* window) {
  char phase[8] = "";
  for (int i = 0; i < 20000 && !GetEnvironmentVariableA("PINDREL_PHASE", phase, sizeof phase); ++i) Sleep(1);
  PostMessageA(static_cast<HWND>(window), WM_USER, 0, 0);
  return 0;
}

TEST(RunLoop, StopRequestDuringSlowLinesEndsTheRunAfterTheLineInProgress) {
  ScriptHarness h;
  CountingWindow window("Pindrel slow lines");
  CountingWindow::received = 0;
  SetEnvironmentVariableA("PINDREL_PHASE", nullptr);
  // Fast lines first, so the run loop looks at the clock seldom; then lines that each take many
  // milliseconds (StringReplace over 10 MB), during the first of which the stop message comes.
  std::string text = "$b = \"0123456789\"\nFor $k = 1 To 20\n$b = $b & $b\nNext\nFor $j = 1 To 500\nNext\n"
                     "EnvSet(\"PINDREL_PHASE\", \"slow\")\n$n = 0\n";
  for (int i = 0; i < 30; ++i) text += "$r = StringReplace($b, \"1\", \"2\")\n$n = $n + 1\n";
  h.Load(text);
  ASSERT_EQ(h.script().PrepareScript("slow.txt"), 0);
  HANDLE helper = CreateThread(nullptr, 0, PostStopWhenSlow, window.hwnd(), 0, nullptr);
  // The window's handler stands for the end hotkey's: the message it gets stops the run.
  g_timerScript = &h.script();
  h.script().Execute(1, 1);
  WaitForSingleObject(helper, INFINITE);
  CloseHandle(helper);
  SetEnvironmentVariableA("PINDREL_PHASE", nullptr);
  g_timerScript = nullptr;
  EXPECT_EQ(CountingWindow::received, 1);
  EXPECT_LE(atoi(h.Global("N").c_str()), 1);
}

TEST(RunLoop, LinesAreTokenisedOncePerPreparedScript) {
  ScriptHarness h;
  h.Load("$s = \"%PINDREL_TOKENS%\" & 1");
  ASSERT_EQ(h.script().PrepareScript("tokens.txt"), 0);
  const char* text = h.file().GetLine(1);
  CTokenList scratch;
  const CTokenList* first = h.script().LineTokens(1, text, scratch);
  ASSERT_NE(first, nullptr);
  EXPECT_NE(first, &scratch);
  EXPECT_EQ(h.script().LineTokens(1, text, scratch), first);  // the same tokens again
  EXPECT_EQ(first->GetCount(), 6);
  EXPECT_STREQ((*first)[0].value.GetString(), "S");
  EXPECT_STREQ((*first)[2].value.GetString(), "%PINDREL_TOKENS%");

  // Under ExpandEnvStrings a literal reads the environment as the line runs: never kept.
  h.script().ExpandEnvStrings = 1;
  SetEnvironmentVariableA("PINDREL_TOKENS", "one");
  EXPECT_EQ(h.script().LineTokens(1, text, scratch), &scratch);
  EXPECT_STREQ(scratch[2].value.GetString(), "one");
  SetEnvironmentVariableA("PINDREL_TOKENS", "two");
  h.script().LineTokens(1, text, scratch);
  EXPECT_STREQ(scratch[2].value.GetString(), "two");
  h.script().ExpandEnvStrings = 0;
  SetEnvironmentVariableA("PINDREL_TOKENS", nullptr);

  // A line with a lexer error is never kept: it is reported again when asked for again.
  h.Load("$x = \"open");
  EXPECT_EQ(h.script().PrepareScript("tokens.txt"), 1);  // reported by the preparation
  size_t boxes = h.boxes().size();
  EXPECT_EQ(h.script().LineTokens(1, h.file().GetLine(1), scratch), nullptr);
  EXPECT_EQ(h.script().LineTokens(1, h.file().GetLine(1), scratch), nullptr);
  EXPECT_EQ(h.boxes().size(), boxes + 2);
}
