// Waits of the run loop: the long wait with its timer, and the polls of the timed waits.
#include "script/interpreter.h"

#include <mmsystem.h>

#include <atomic>

#include "script/builtins/robotkeys.h"
#include "script/sysutil/sysutil.h"

namespace {

// The signals of the long-wait timers. A timer only stores its generation in the slot of that
// generation; the run's own thread sees it there and does the rest. Process-wide, so that a
// callback that comes late never reaches into an interpreter.
constexpr unsigned kSignalSlots = 64;
std::atomic<unsigned> g_WaitLongSignals[kSignalSlots];
std::atomic<unsigned> g_WaitLongGenerations{0};

void CALLBACK WaitLongTimerProc(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  const unsigned fired = static_cast<unsigned>(user);
  std::atomic<unsigned>& slot = g_WaitLongSignals[fired % kSignalSlots];
  unsigned seen = slot.load(std::memory_order_relaxed);
  // A timer of an earlier wait that comes late never hides a newer one's signal.
  while (static_cast<int>(fired - seen) > 0 &&
         !slot.compare_exchange_weak(seen, fired, std::memory_order_release, std::memory_order_relaxed)) {
  }
}

// Killed synchronously: once the run has killed it, its callback does not run any more.
constexpr UINT kTimerFlags = TIME_ONESHOT | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS;

}  // namespace

bool CQuorvex_Script::ArmWaitLongTimer(UINT delay) {
  unsigned generation = g_WaitLongGenerations.fetch_add(1, std::memory_order_relaxed) + 1;
  if (generation == 0) generation = g_WaitLongGenerations.fetch_add(1, std::memory_order_relaxed) + 1;  // 0 is none
  UINT resolution = WaitLongResolution ? WaitLongResolution : 1;
  UINT timer = g_WaitLongSetTimer(delay, resolution, WaitLongTimerProc, generation, kTimerFlags);
  if (!timer) return false;
  WaitLongTimer = timer;
  WaitLongGeneration = generation;
  return true;
}

bool CQuorvex_Script::WaitLongTimerFired() const {
  return WaitLongTimer &&
         g_WaitLongSignals[WaitLongGeneration % kSignalSlots].load(std::memory_order_acquire) == WaitLongGeneration;
}

void CQuorvex_Script::EndWaitTimer() {
  // A one-shot timer that has fired is gone, and its id may be another timer's by now.
  if (WaitLongTimer && !WaitLongTimerFired()) timeKillEvent(WaitLongTimer);
  WaitLongTimer = 0;
  if (WaitLongResolution) timeEndPeriod(WaitLongResolution);
  WaitLongResolution = 0;
  WaitLongDeadline = 0;
  WaitLongPending = 0;
}

void CQuorvex_Script::PollLongWait() {
  if (WaitLongTimerFired()) {
    // A part has passed: the next one, while the wait has time left. Without the performance
    // counter the timer's end is the wait's end.
    WaitLongTimer = 0;
    const LONG left = static_cast<LONG>(WaitLongEnd - timeGetTime());
    const UINT next = left > 0 && static_cast<UINT>(left) < WaitLongPart ? static_cast<UINT>(left) : WaitLongPart;
    if ((left <= 0 || !ArmWaitLongTimer(next)) && !WaitLongDeadline) {
      EndWaitTimer();
      return;
    }
  }
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
