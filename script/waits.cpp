// Waits of the run loop: the end of a long wait, and the polls of the timed waits.
#include "script/interpreter.h"
#include "script/sysutil/sysutil.h"

#include <mmsystem.h>

volatile LONG g_WaitLongPending = 0;

void CQuorvex_Script::EndWaitTimer(UINT firedTimer) {
  // Whoever takes a resource out of its member releases it; the flag that lets the next line
  // run is cleared last, so a new long wait never meets the end of an old one.
  volatile LONG* timer = reinterpret_cast<volatile LONG*>(&WaitLongTimer);
  if (firedTimer) {
    // The timer's thread; the run itself still ends the wait at its deadline.
    InterlockedCompareExchange(timer, 0, static_cast<LONG>(firedTimer));
  } else {
    WaitLongDeadline = 0;
    if (UINT id = static_cast<UINT>(InterlockedExchange(timer, 0))) timeKillEvent(id);
  }
  if (UINT resolution = static_cast<UINT>(InterlockedExchange(reinterpret_cast<volatile LONG*>(&WaitLongResolution), 0)))
    timeEndPeriod(resolution);
  InterlockedExchange(&g_WaitLongPending, 0);
}

void CQuorvex_Script::PollLongWait() {
  LONGLONG ticksPerMs = PerfTicksPerMs();
  LONGLONG remaining = WaitLongDeadline && ticksPerMs ? WaitLongDeadline - PerfCounterNow() : 0;
  if (WaitLongDeadline && remaining <= 2 * ticksPerMs) {
    WaitUntilPerfCounter(WaitLongDeadline);
    EndWaitTimer();
    return;
  }
  DWORD wait = 10;
  if (WaitLongDeadline) {
    LONGLONG ms = remaining / ticksPerMs - 2;
    if (ms < wait) wait = static_cast<DWORD>(ms);
  }
  if (AdlibOn && !AdlibRunning) {
    DWORD since = timeGetTime() - AdlibLastTime;
    DWORD due = since >= AdlibPeriod ? 0 : AdlibPeriod - since;
    if (due < wait) wait = due;
  }
  // Any message ends the sleep early: the end hotkey stops the run at once.
  MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

namespace {

// Time since `start` reached `timeout` (the difference is taken so that the clock's wrap does
// no harm); a time-out of 0 never ends.
bool TimedOut(DWORD start, DWORD timeout) { return timeout != 0 && timeGetTime() - start >= timeout; }

}  // namespace

void CQuorvex_Script::EndWait() {
  WaitState = WAIT_NONE;
  LeaveRun = 1;
}

bool CQuorvex_Script::PollWindowWait() {
  if (WaitState < WAIT_DELAY || WaitState > WAIT_WINWAITNOTACTIVE) return false;
  Sleep(10);
  if (TimedOut(WaitStart, WaitTimeout)) {
    if (WaitState != WAIT_DELAY) WaitResult.SetInt(0);
    EndWait();
    return true;
  }
  if (WaitState != WAIT_DELAY && WindowWaitCondition(WaitState)) {
    EndWait();
    Pause(WinWaitDelay);
  }
  return true;
}

bool CQuorvex_Script::PollProcessWait() {
  if (WaitState != WAIT_PROCESSWAIT && WaitState != WAIT_PROCESSWAITCLOSE) return false;
  Sleep(10);
  if (TimedOut(WaitStart, WaitTimeout)) {
    WaitResult.SetInt(0);
    EndWait();
    return true;
  }
  int met = ProcessWaitCondition(WaitState);
  if (met < 0) return true;  // reported; the run has ended
  if (met) {
    EndWait();
    Pause(WinWaitDelay);
  }
  return true;
}

void CQuorvex_Script::Pause(int milliseconds) { PreciseDelay(milliseconds); }
