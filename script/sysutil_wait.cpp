// Precise short waits.
#include "script/sysutil.h"

#include "script/osversion.h"

void PreciseDelay(int milliseconds) {
  if (milliseconds < 0) return;
  if (milliseconds == 0) {
    Sleep(0);
    return;
  }
  // Sleep is only as fine as the system tick: 55 ms on 9x, about 10 ms elsewhere.
  int threshold = g_OSVersion.bIsWin9x ? 55 : 10;
  LARGE_INTEGER start, frequency, now;
  if (milliseconds >= threshold || !QueryPerformanceCounter(&start) || !QueryPerformanceFrequency(&frequency) ||
      frequency.QuadPart == 0) {
    Sleep(milliseconds);
    return;
  }
  for (;;) {
    Sleep(0);
    QueryPerformanceCounter(&now);
    long long elapsed = (now.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart;
    if (elapsed >= milliseconds) return;
  }
}
