// The long wait of WAITLONG: the longest part that one multimedia timer waits.
#pragma once

#include <windows.h>

// A long wait beyond this many milliseconds (or beyond the timer's own maximum, when that is
// smaller) runs as a chain of timers. Tests make it short to see the chain work.
extern UINT g_WaitLongPartLimit;
