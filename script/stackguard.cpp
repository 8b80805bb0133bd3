// The stack reserve check of the interpreter's recursive routines.
#include "script/stackguard.h"

#include <windows.h>

const char kNestedTooDeeply[] =
    "Statement nested too deeply (subscripts, function calls or brackets) - Vantorel Pindrel stops the robot to "
    "prevent stack overflow.";

namespace {

// The lowest address of the calling thread's stack reservation.
ULONG_PTR StackBottom(const void* inside) {
  typedef VOID(WINAPI * LimitsProc)(PULONG_PTR, PULONG_PTR);
  static LimitsProc limits = reinterpret_cast<LimitsProc>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetCurrentThreadStackLimits")));
  ULONG_PTR low = 0, high = 0;
  if (limits) limits(&low, &high);
  if (!low) {
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(inside, &info, sizeof info)) low = reinterpret_cast<ULONG_PTR>(info.AllocationBase);
  }
  return low;
}

// The thread's limit lives in a Win32 thread slot: the compiler's thread_local takes a lock at
// every read in this runtime, and this check runs at every call and nested expression.
DWORD LimitSlot() {
  static const DWORD slot = TlsAlloc();
  return slot;
}

}  // namespace

bool StackNearlyFull() {
  // The limit is found once per thread; the check itself is one comparison.
  const DWORD slot = LimitSlot();
  const DWORD lastError = GetLastError();  // a slot read clears it
  ULONG_PTR limit = reinterpret_cast<ULONG_PTR>(TlsGetValue(slot));
  SetLastError(lastError);
  char here = 0;
  const ULONG_PTR at = reinterpret_cast<ULONG_PTR>(&here);
  if (!limit) {
    ULONG_PTR bottom = StackBottom(&here);
    if (!bottom || bottom >= at) return false;
    ULONG_PTR reserve = (at - bottom) / 16;
    if (reserve > 0x100000) reserve = 0x100000;
    if (reserve < 0x10000) reserve = 0x10000;
    limit = bottom + reserve;
    TlsSetValue(slot, reinterpret_cast<void*>(limit));
  }
  return at < limit;
}
