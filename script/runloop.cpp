// The run loop: drains the message queue, polls the waits, brings recorded windows back and runs
// one line at a time.
#include <atomic>
#include <cstring>
#include <memory>
#include <new>

#include "framework/msgbox.h"
#include "robot/activewinpath.h"
#include "script/builtins/inputseam.h"
#include "script/builtins/runstop.h"
#include "script/interpreter.h"
#include "script/stackguard.h"
#include "script/sysutil/sysutil.h"

#include <mmsystem.h>

namespace {

// The millisecond tick of a run: marks the next look at the clock as due at once.
void CALLBACK ClockTick(UINT, UINT, DWORD_PTR due, DWORD_PTR, DWORD_PTR) {
  reinterpret_cast<std::atomic<bool>*>(due)->store(true, std::memory_order_relaxed);
}

// Runs the tick while an outermost run lives.
class CClockTicks {
public:
  explicit CClockTicks(std::atomic<bool>* due)
      : timer_(timeSetEvent(1, 1, ClockTick, reinterpret_cast<DWORD_PTR>(due),
                            TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS)) {}
  ~CClockTicks() {
    if (timer_) timeKillEvent(timer_);
  }
  CClockTicks(const CClockTicks&) = delete;
  CClockTicks& operator=(const CClockTicks&) = delete;

private:
  UINT timer_;
};

}  // namespace

int CQuorvex_Script::Execute(int startLine, int outermost) {
  CRunInProgress running(*this);  // long built-ins of this run can drain the queue and stop
  if (outermost) {
    // A run starts from a clean state, whatever an earlier run left behind.
    Run = CRunFrame();
    ifStack_.Clear();
    loopStack_.Clear();
    selectStack_.Clear();
    Depth = 0;
    while (variables_->GetScopeDepth() > 0) variables_->PopScope();
  } else {
    // Lines that nest calls inside calls reach the end of the stack before the depth limit.
    if (Depth >= kMaxDepth || StackNearlyFull()) {
      FatalError("Recursion level has been exceeded - Vantorel Pindrel will quit to prevent stack overflow.");
      return 1;
    }
    ++Depth;
  }
  LeaveRun = 0;
  if (startLine >= 1 && !tagsScanned_) {
    for (int line = startLine; const char* text = file_->GetLine(line); ++line) ScanTagLine(text, line);
    tagsScanned_ = startLine == 1;
  }

  if (outermost) {
    DrainDue = true;  // a run begins with what is waiting in the queue
    linesToClock_ = clockStride_ = 1;
  }
  // Lines slower than the tick (StringReplace over megabytes) must not each wait for the count
  // of lines that fast ones set.
  std::unique_ptr<CClockTicks> ticks;
  if (outermost) ticks = std::make_unique<CClockTicks>(&clockDue_);
  CTokenList tokens;
  int nextLine = startLine;
  while (!quitting_ && !LeaveRun) {
    // Most lines only count down to the next look at the clock.
    if (DrainDue || clockDue_.load(std::memory_order_relaxed) || --linesToClock_ <= 0 || Run.WaitState != WAIT_NONE ||
        WaitLongPending) {
      if (DrainIfDue()) break;
    }
    if (Run.WaitState == WAIT_END) break;
    // Nothing to poll (the common case) is told by a few flags, without the calls.
    const bool pending = Run.WaitState != WAIT_NONE || AdlibOn || hotKeyRead_ != hotKeyWrite_ || WaitLongPending;
    if (pending && HandleWaitStates()) continue;
    if (UseRecWin && !StopRun && !Run.WindowCheckPending) {
      Run.WindowCheckPending = 1;
      if (!CheckLineWindow(nextLine)) continue;  // the recorded-window wait runs
    }
    Run.WindowCheckPending = 0;
    Run.CurrentLine = nextLine;
    const char* text = file_->GetLine(nextLine);
    ++nextLine;
    if (!text || StopRun) {
      EndWaitTimer();
      Run.WaitState = WAIT_END;
      continue;
    }
    if (Stats) ++Stats->lines;
    try {
      if (const CTokenList* lineTokens = LineTokens(Run.CurrentLine, text, tokens)) ExecuteLine(*lineTokens, nextLine);
    } catch (const std::bad_alloc&) {
      FatalError("Not enough memory to run this line.");
    } catch (const CTextTooLong&) {
      FatalError("Unable to allocate string - maximum length is 2147483646 characters.");
    }
  }
  LeaveRun = 0;
  if (!outermost) --Depth;
  if (outermost && !quitting_) DrainMessages();  // and ends with it
  if (outermost) EndRunInput();  // however the run ended: no key left down, no input blocked
  if (outermost) ClearScriptEvents();
  if (outermost && quitting_ && !quitPosted_) {
    // Hand the quit request on to the host's own message loop.
    quitPosted_ = 1;
    PostQuitMessage(static_cast<int>(quitCode_));
  }
  return 0;
}

bool CQuorvex_Script::DrainIfDue() {
  bool waiting = Run.WaitState != WAIT_NONE || WaitLongPending;
  if (clockDue_.load(std::memory_order_relaxed)) {
    clockDue_.store(false, std::memory_order_relaxed);
    DrainDue = true;
  }
  LARGE_INTEGER now;
  if (!DrainDue && !waiting) {
    // Reading the clock costs more than a short line: it is read once every few lines, as many
    // as keep the reads some 50 microseconds apart, and at once again when lines grow slow.
    // (The run loop counts the lines down.)
    if (linesToClock_ > 0) return false;
    const LONGLONG ticksPerMs = PerfTicksPerMs();
    QueryPerformanceCounter(&now);
    const LONGLONG sinceClock = now.QuadPart - lastClock_;
    lastClock_ = now.QuadPart;
    if (sinceClock < ticksPerMs / 40) {
      if (clockStride_ < kMaxClockStride) clockStride_ *= 2;
    } else if (sinceClock > ticksPerMs / 10) {
      clockStride_ = 1;
    } else if (sinceClock > ticksPerMs / 20 && clockStride_ > 1) {
      clockStride_ /= 2;
    }
    linesToClock_ = clockStride_;
    if (ticksPerMs && now.QuadPart - lastDrain_ < ticksPerMs) return false;
  } else {
    QueryPerformanceCounter(&now);
  }
  DrainDue = false;
  bool quit = DrainMessages();
  if (Stats) {
    LARGE_INTEGER after;
    QueryPerformanceCounter(&after);
    ++Stats->drains;
    Stats->drainTicks += after.QuadPart - now.QuadPart;
  }
  return quit;
}

bool CQuorvex_Script::DrainMessages() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  lastDrain_ = now.QuadPart;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quitting_ = 1;
      quitCode_ = msg.wParam;
      Run.WaitState = WAIT_END;
      return true;
    }
    // A script hotkey (registered without a window) runs its function before the next line.
    if (msg.message == WM_HOTKEY && !msg.hwnd && msg.wParam < kHotKeySlots && HotKeys[msg.wParam]) {
      QueueHotKey(static_cast<int>(msg.wParam));
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return false;
}

void CQuorvex_Script::QueueHotKey(int id) {
  int next = (hotKeyWrite_ + 1) % kHotKeySlots;
  if (next == hotKeyRead_) return;  // full: the press is dropped
  hotKeyQueue_[hotKeyWrite_] = id;
  hotKeyWrite_ = next;
}

bool CQuorvex_Script::HandleHotKey() {
  if (hotKeyRead_ == hotKeyWrite_) return false;
  int id = hotKeyQueue_[hotKeyRead_];
  hotKeyRead_ = (hotKeyRead_ + 1) % kHotKeySlots;
  if (id < 0 || id >= kHotKeySlots || !HotKeys[id]) return false;
  int funcLine, paramCount, endFuncLine;
  if (!FindUserFunction(HotKeys[id]->function, funcLine, paramCount, endFuncLine)) return false;
  RunAsideFunction(funcLine + 1);
  return true;
}

bool CQuorvex_Script::HandleAdlib() {
  if (!AdlibOn || Run.AdlibRunning) return false;
  DWORD now = timeGetTime();
  DWORD elapsed = now - AdlibLastTime;
  if (now < AdlibLastTime) --elapsed;  // the clock has wrapped
  if (elapsed < AdlibPeriod) return false;
  AdlibLastTime = now;
  int funcLine, paramCount, endFuncLine;
  if (!FindUserFunction(AdlibFunction, funcLine, paramCount, endFuncLine)) return false;
  return RunAsideFunction(funcLine + 1);
}

bool CQuorvex_Script::RunAsideFunction(int firstLine) {
  // A function that runs between two lines (adlib, script hotkey), perhaps inside a wait: the
  // wait, or the line that was due, goes on afterwards as it was, unless the run ended inside
  // the function. No adlib function starts while it runs.
  CNestedRun aside(*this);
  Run.AdlibRunning = 1;
  CScriptValue result, preset;
  CallUserFunctionAt(firstLine, result, preset, true);
  return aside.Ended();
}

bool CQuorvex_Script::HandleWaitStates() {
  if (StopRun) return false;
  if (HandleHotKey()) return true;
  if (WaitLongPending) {
    PollLongWait();
    return true;
  }
  if (HandleAdlib()) return true;
  if (Run.WaitState == WAIT_RECWINDOW) {
    if (Run.WindowTries < Run.WindowTryLimit) {
      if (!ActivateRecWindow()) {
        Sleep(WindowTryInterval);
        ++Run.WindowTries;
        return true;
      }
      Run.WaitState = WAIT_NONE;
      return false;
    }
    CScriptString text("Cannot find window or application titled '");
    text.AppendText(file_->Records[Run.CurrentWindowIndex].WinTitle);
    text.AppendText("' that was open during recording.\n\n");
    text.AppendText(UseSimilarWin ? "If inputs do not associate with any window, edit the robot and uncheck the option "
                                    "'Enable RecWin Technology for this robot'."
                                  : "If the window title changes every time you run the robot, edit the robot and "
                                    "check the option 'Enable to run with other similar files or window titles'.");
    ShowMessageBox(nullptr, text, "Vantorel Pindrel Error", MB_ICONERROR);
    Run.WaitState = WAIT_NONE;
    StopRun = 1;
    return false;
  }
  if (Run.WaitState == WAIT_RUNWAIT) {
    // The wait ends when the process has ended, whatever its exit code (259 included).
    CWait& wait = *Run.Wait;
    if (wait.Process && WaitForSingleObject(wait.Process, 0) == WAIT_TIMEOUT) {
      Sleep(10);
      return true;
    }
    DWORD code = 0;
    if (wait.Process) {
      GetExitCodeProcess(wait.Process, &code);
      CloseHandle(wait.Process);
      wait.Process = nullptr;
    }
    wait.Result.SetInt(static_cast<int>(code));
    LeaveRun = 1;
    Run.WaitState = WAIT_NONE;
    return true;
  }
  if (PollProcessWait()) return true;
  return PollWindowWait();
}

bool CQuorvex_Script::CheckLineWindow(int line) {
  int record;
  if (!file_->GetLineRecord(line, record)) return true;
  if (record < 0 || record >= static_cast<int>(file_->Records.size())) return true;
  Run.CurrentWindowIndex = record;
  Run.WindowTryLimit = WindowTryCount;
  if (AfterRun) {
    AfterRun = 0;
    Run.WindowTryLimit = WindowTryCountAfterRun;
  }
  Run.WindowTries = 0;
  if (ActivateRecWindow()) return true;
  Run.WaitState = WAIT_RECWINDOW;
  Sleep(WindowTryInterval);
  Run.WindowTries = 1;
  return false;
}

bool CQuorvex_Script::ActivateRecWindow() {
  std::vector<RecWinInfo>& records = file_->Records;
  const int index = Run.CurrentWindowIndex;
  if (index < 0 || index >= static_cast<int>(records.size())) return false;
  // A copy of the record: a search that finds nothing leaves it as it was, so each try starts
  // from the line store's record.
  RecWinInfo current = records[index];
  CActiveWinPath service;
  // Earlier records of the same program: the same index is the same window; another index is
  // another window, never to be bound to this record.
  for (int i = 0; i < index; ++i) {
    const RecWinInfo& other = records[i];
    if (other.WinPath.CompareNoCase(current.WinPath) != 0) continue;
    if (other.WinIndex == current.WinIndex) {
      service.m_hFoundWnd = other.hWnd;
      break;
    }
    bool listed = false;
    for (HWND h : service.m_ExcludeList) listed = listed || h == other.hWnd;
    if (!listed) service.m_ExcludeList.Add(other.hWnd);
  }
  if (service.ActivateRecordedWindow(current, TRUE)) {
    records[index].hWnd = current.hWnd ? current.hWnd : service.m_hFoundWnd;
    Pause(WinWaitDelay);
    return true;
  }
  if (UseSimilarWin && service.ActivateRecordedWindow(current, FALSE)) {
    records[index] = current;
    Pause(WinWaitDelay);
    return true;
  }
  return false;
}

int CQuorvex_Script::NestedWait(int state, CWait& wait, CScriptValue& result) {
  // A function that runs while this wait is in progress (adlib, script hotkey) may wait itself:
  // its wait has a frame and a CWait of its own, and this one goes on afterwards with its own.
  CNestedRun nested(*this);
  wait.Start = timeGetTime();
  wait.StartTicks = PerfTicksPerMs() ? PerfCounterNow() : 0;
  wait.Result.SetInt(1);
  Run.Wait = &wait;
  Run.WaitState = state;
  int failed = Execute(0, 0);
  result = wait.Result;
  return failed;
}

void CQuorvex_Script::MouseClickAt(int x, int y) {
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  int width = desktop.right - 1 > 0 ? desktop.right - 1 : 1;
  int height = desktop.bottom - 1 > 0 ? desktop.bottom - 1 : 1;
  Input().MouseEvent(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x * 65535 / width + 1, y * 65535 / height + 1, 0);
  Input().Pause(1);
  Input().MouseEvent(MOUSEEVENTF_LEFTDOWN, 0, 0, 0);
  Input().Pause(1);
  Input().MouseEvent(MOUSEEVENTF_LEFTUP, 0, 0, 0);
}
