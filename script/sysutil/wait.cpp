// Precise short waits.
#include "script/sysutil/sysutil.h"

#include <mmsystem.h>

#include "script/osversion.h"

LONGLONG PerfCounterNow() {
  LARGE_INTEGER now;
  return QueryPerformanceCounter(&now) ? now.QuadPart : 0;
}

LONGLONG PerfTicksPerMs() {
  static const LONGLONG ticks = [] {
    LARGE_INTEGER frequency;
    return QueryPerformanceFrequency(&frequency) && frequency.QuadPart >= 1000 ? frequency.QuadPart / 1000 : 0;
  }();
  return ticks;
}

void WaitUntilPerfCounter(LONGLONG deadline) {
  LONGLONG ticksPerMs = PerfTicksPerMs();
  if (!ticksPerMs) return;
  // Sleep is only as fine as the system tick: 55 ms on 9x; elsewhere 1 ms once the timer
  // resolution is raised. The last stretch is a busy wait that yields its time slice.
  const LONGLONG margin = g_OSVersion.bIsWin9x ? 55 : 2;
  bool raised = false;
  for (;;) {
    LONGLONG remaining = deadline - PerfCounterNow();
    if (remaining <= 0) break;
    LONGLONG ms = remaining / ticksPerMs;
    if (ms > margin) {
      if (!raised) raised = timeBeginPeriod(1) == TIMERR_NOERROR;
      Sleep(static_cast<DWORD>(ms - margin));
    } else {
      Sleep(0);
    }
  }
  if (raised) timeEndPeriod(1);
}

void PreciseDelay(int milliseconds) {
  if (milliseconds < 0) return;
  if (milliseconds == 0) {
    Sleep(0);
    return;
  }
  LONGLONG ticksPerMs = PerfTicksPerMs();
  if (!ticksPerMs) {
    Sleep(milliseconds);
    return;
  }
  WaitUntilPerfCounter(PerfCounterNow() + milliseconds * ticksPerMs);
}
