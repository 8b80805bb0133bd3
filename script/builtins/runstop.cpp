// The drain-and-stop check of long-running built-ins.
#include "script/builtins/runstop.h"

#include "script/interpreter.h"

#include <mmsystem.h>

namespace {

// The queue is drained at most this often: one drain costs tens of microseconds under Wine.
constexpr DWORD kDrainSpacingMs = 10;
// The longest slice of a long wait: a stop request ends the wait within about this long.
constexpr DWORD kWaitSliceMs = 20;

// Per thread: the interpreter whose run is in progress and the time of the last drain, in Win32
// thread slots (every run and user-function call marks its run; the compiler's thread_local takes
// a lock at every access in this runtime).
struct CThreadSlots {
  DWORD running = TlsAlloc();
  DWORD lastDrain = TlsAlloc();
};

const CThreadSlots& Slots() {
  static const CThreadSlots slots;
  return slots;
}

void* ReadSlot(DWORD slot) {
  const DWORD lastError = GetLastError();  // a slot read clears it
  void* value = TlsGetValue(slot);
  SetLastError(lastError);
  return value;
}

CQuorvex_Script* Running() { return static_cast<CQuorvex_Script*>(ReadSlot(Slots().running)); }

}  // namespace

CRunInProgress::CRunInProgress(CQuorvex_Script& script) : previous_(Running()) {
  if (previous_ != &script) TlsSetValue(Slots().running, &script);
}

CRunInProgress::~CRunInProgress() {
  if (previous_ != Running()) TlsSetValue(Slots().running, previous_);
}

bool RunStopRequested() {
  CQuorvex_Script* script = Running();
  if (!script) return false;
  DWORD now = timeGetTime();
  if (now - static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(ReadSlot(Slots().lastDrain))) >= kDrainSpacingMs) {
    TlsSetValue(Slots().lastDrain, reinterpret_cast<void*>(static_cast<ULONG_PTR>(now)));
    script->DrainMessages();
  }
  return script->StopRun || script->IsQuitting() || script->Run.WaitState == WAIT_END;
}

bool WaitUnlessStopped(int milliseconds) {
  if (milliseconds <= 0) return false;
  const DWORD start = timeGetTime();
  for (;;) {
    if (RunStopRequested()) return true;
    DWORD elapsed = timeGetTime() - start;
    if (elapsed >= static_cast<DWORD>(milliseconds)) return false;
    DWORD left = static_cast<DWORD>(milliseconds) - elapsed;
    Sleep(left < kWaitSliceMs ? left : kWaitSliceMs);
  }
}
