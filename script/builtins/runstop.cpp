// The drain-and-stop check of long-running built-ins.
#include "script/builtins/runstop.h"

#include "script/interpreter.h"

#include <mmsystem.h>

namespace {

// The queue is drained at most this often: one drain costs tens of microseconds under Wine.
constexpr DWORD kDrainSpacingMs = 10;
// The longest slice of a long wait: a stop request ends the wait within about this long.
constexpr DWORD kWaitSliceMs = 20;

thread_local CQuorvex_Script* t_running = nullptr;
thread_local DWORD t_lastDrain = 0;

}  // namespace

CRunInProgress::CRunInProgress(CQuorvex_Script& script) : previous_(t_running) { t_running = &script; }

CRunInProgress::~CRunInProgress() { t_running = previous_; }

bool RunStopRequested() {
  CQuorvex_Script* script = t_running;
  if (!script) return false;
  DWORD now = timeGetTime();
  if (now - t_lastDrain >= kDrainSpacingMs) {
    t_lastDrain = now;
    script->DrainMessages();
  }
  return script->StopRun || script->IsQuitting() || script->WaitState == WAIT_END;
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
