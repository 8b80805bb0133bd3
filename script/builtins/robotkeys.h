// The long wait of WAITLONG: the longest part that one multimedia timer waits.
#pragma once

#include <windows.h>

#include <mmsystem.h>

// A long wait beyond this many milliseconds (or beyond the timer's own maximum, when that is
// smaller) runs as a chain of timers. Tests make it short to see the chain work.
extern UINT g_WaitLongPartLimit;

// The call that starts a long wait's timer (timeSetEvent). Tests wrap it to call a timer's
// callback again later, as a late callback would.
extern MMRESULT(WINAPI* g_WaitLongSetTimer)(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user,
                                            UINT flags);
