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
  if (AdlibOn && !Run.AdlibRunning) {
    DWORD since = timeGetTime() - AdlibLastTime;
    DWORD due = since >= AdlibPeriod ? 0 : AdlibPeriod - since;
    if (due < wait) wait = due;
  }
  // Any message ends the sleep early: the end hotkey stops the run at once.
  MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

namespace {

constexpr int kPollMs = 10;  // how often a window or process wait tests its condition

// Whether a wait begun at `start` (timeGetTime) or `startTicks` (performance counter, 0 when
// there is none) has run for `timeout` ms; a time-out of 0 never ends.
bool TimedOut(DWORD start, LONGLONG startTicks, DWORD timeout) {
  if (timeout == 0) return false;
  // The difference is taken so that the clock's wrap does no harm.
  if (!startTicks) return timeGetTime() - start >= timeout;
  return PerfCounterNow() - startTicks >= static_cast<LONGLONG>(timeout) * PerfTicksPerMs();
}

// Sleeps until the wait's next poll (every 10 ms from its start) or its time-out, whichever
// comes first. Any message ends the sleep early, so the end hotkey stops the run at once.
// The time-out is met to a fraction of a millisecond: its last stretch is the precise wait,
// taken here so that no test of the condition (a process list can take several ms) delays it.
void SleepToNextPoll(LONGLONG startTicks, DWORD timeout) {
  LONGLONG ticksPerMs = PerfTicksPerMs();
  if (!startTicks || !ticksPerMs) {
    Sleep(kPollMs);
    return;
  }
  LONGLONG now = PerfCounterNow(), period = kPollMs * ticksPerMs;
  LONGLONG next = startTicks + ((now - startTicks) / period + 1) * period;
  LONGLONG deadline = timeout ? startTicks + static_cast<LONGLONG>(timeout) * ticksPerMs : 0;
  bool last = deadline && deadline <= next;
  if (last) next = deadline - 2 * ticksPerMs;
  if (next > now) {
    // Before the time-out's last stretch the sleep is rounded down, so that it never eats into it.
    DWORD wait = static_cast<DWORD>((next - now + (last ? 0 : ticksPerMs - 1)) / ticksPerMs);
    if (MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE) != WAIT_TIMEOUT) return;
  }
  if (last) WaitUntilPerfCounter(deadline);
}

}  // namespace

void CQuorvex_Script::EndWait() {
  Run.WaitState = WAIT_NONE;
  LeaveRun = 1;
}

bool CQuorvex_Script::PollWindowWait() {
  if (Run.WaitState < WAIT_DELAY || Run.WaitState > WAIT_WINWAITNOTACTIVE) return false;
  // The condition is tested before any sleep: a window already there ends the wait at once.
  CWait& wait = *Run.Wait;
  if (TimedOut(wait.Start, wait.StartTicks, wait.Timeout)) {
    if (Run.WaitState != WAIT_DELAY) wait.Result.SetInt(0);
    EndWait();
    return true;
  }
  if (Run.WaitState != WAIT_DELAY && WindowWaitCondition(Run.WaitState)) {
    EndWait();
    Pause(WinWaitDelay);
    return true;
  }
  SleepToNextPoll(wait.StartTicks, wait.Timeout);
  return true;
}

bool CQuorvex_Script::PollProcessWait() {
  if (Run.WaitState != WAIT_PROCESSWAIT && Run.WaitState != WAIT_PROCESSWAITCLOSE) return false;
  CWait& wait = *Run.Wait;
  if (TimedOut(wait.Start, wait.StartTicks, wait.Timeout)) {
    wait.Result.SetInt(0);
    EndWait();
    return true;
  }
  int met = ProcessWaitCondition(Run.WaitState);
  if (met < 0) return true;  // reported; the run has ended
  if (met) {
    EndWait();
    Pause(WinWaitDelay);
    return true;
  }
  SleepToNextPoll(wait.StartTicks, wait.Timeout);
  return true;
}

void CQuorvex_Script::Pause(int milliseconds) { PreciseDelay(milliseconds); }
