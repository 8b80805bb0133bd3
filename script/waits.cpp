// Waits of the run loop: the long-wait timer's end.

#include "script/interpreter.h"

#include <mmsystem.h>

volatile LONG g_WaitLongPending = 0;

void CQuorvex_Script::EndWaitTimer() {
  InterlockedExchange(&g_WaitLongPending, 0);
  UINT timer = static_cast<UINT>(InterlockedExchange(reinterpret_cast<volatile LONG*>(&WaitLongTimer), 0));
  if (timer) {
    timeKillEvent(timer);
    if (WaitLongResolution) timeEndPeriod(WaitLongResolution);
    WaitLongResolution = 0;
  }
}
