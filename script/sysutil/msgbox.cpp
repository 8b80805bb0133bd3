// A message box that closes itself after a time-out, through a worker thread.
#include "script/sysutil/sysutil.h"

#include <mmsystem.h>

#include <atomic>
#include <cstring>

#include "framework/msgbox.h"

namespace {

// One box being shown; lives on the showing thread's stack until its worker has ended.
struct TimedBox {
  DWORD threadId = 0;
  DWORD timeoutMs = 0;
  std::atomic<HWND> box{nullptr};     // the box itself, caught when it is created
  std::atomic<bool> boxOpen{false};   // written by the showing thread
  std::atomic<bool> windowFound{false};
  std::atomic<bool> timedOut{false};  // written by the worker, read after it has ended
};

// The box of the innermost MessageBoxWithTimeout on this thread.
thread_local TimedBox* t_pending = nullptr;

// Notes the first dialog window created on this thread after the box was asked for: the box.
// Only that window is ever closed by the time-out, never another dialog of the program.
LRESULT CALLBACK CatchBoxProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && t_pending && !t_pending->box.load()) {
    char className[16] = {};
    GetClassNameA(reinterpret_cast<HWND>(wParam), className, sizeof className);
    if (strcmp(className, "#32770") == 0) t_pending->box = reinterpret_cast<HWND>(wParam);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

BOOL CALLBACK FindDialogWindowProc(HWND window, LPARAM parameter) {
  TimedBox* call = reinterpret_cast<TimedBox*>(parameter);
  if (window != call->box.load()) return TRUE;
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (strcmp(className, "#32770") != 0) return TRUE;
  call->windowFound = true;
  return FALSE;
}

DWORD WINAPI MsgBoxTimeoutThread(LPVOID parameter) {
  TimedBox* call = static_cast<TimedBox*>(parameter);
  DWORD start = timeGetTime();
  while (call->boxOpen) {
    // Unsigned difference: a wrap of the millisecond clock does not end the wait early.
    if (timeGetTime() - start >= call->timeoutMs && call->box.load()) {
      // The box must still be a window of the showing thread (its handle is not reused yet).
      // On a busy machine it may come up after its time-out, and an end asked for while the
      // dialog is still being built can be lost: it is asked for again, every 50 ms, for as long
      // as the box is being shown.
      call->windowFound = false;
      EnumThreadWindows(call->threadId, FindDialogWindowProc, reinterpret_cast<LPARAM>(call));
      if (call->windowFound && EndDialog(call->box.load(), 1)) {
        call->timedOut = true;
        Sleep(40);
      }
    }
    Sleep(10);
  }
  return 0;
}

int MessageBoxWithTimeout(HWND owner, const char* text, const char* caption, UINT style, DWORD timeoutMs) {
  if (timeoutMs == 0) return ShowMessageBox(owner, text, caption, style);

  TimedBox call;
  call.threadId = GetCurrentThreadId();
  call.timeoutMs = timeoutMs;
  call.boxOpen = true;
  TimedBox* outer = t_pending;
  t_pending = &call;
  HHOOK hook = SetWindowsHookExA(WH_CBT, CatchBoxProc, nullptr, call.threadId);
  HANDLE worker = hook ? CreateThread(nullptr, 0, MsgBoxTimeoutThread, &call, 0, nullptr) : nullptr;

  int result = ShowMessageBox(owner, text, caption, style);

  call.boxOpen = false;
  if (worker) {
    WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
  }
  if (hook) UnhookWindowsHookEx(hook);
  t_pending = outer;
  return call.timedOut ? -1 : result;
}
