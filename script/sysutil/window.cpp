// Window helpers: hung windows, thread attachment, the texts and classes of child windows.
#include "script/sysutil/sysutil.h"

#include <mmsystem.h>

#include <algorithm>

#include "script/builtins/runstop.h"

namespace {

constexpr int kTextLimit = 32767;

// How long one send waits for an answer before the stop request is looked at and the message is
// sent again.
constexpr UINT kAnswerSliceMs = 50;

// SendMessageTimeoutA (abort if hung) in short slices, sent again after each slice until the
// window answers, `patienceMs` have passed, the window is gone or the system counts it hung, or
// the run in progress is to stop. A window that answers late is still heard, and the end key is
// not held back by one that does not answer. Only messages whose one effect is their answer are
// sent this way: a copy answered after its sender gave up does no harm.
bool SendPatiently(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& answer, UINT patienceMs) {
  const DWORD start = timeGetTime();
  for (;;) {
    const DWORD sent = timeGetTime();
    const DWORD left = patienceMs - std::min<DWORD>(sent - start, patienceMs);
    const UINT slice = static_cast<UINT>(std::clamp<DWORD>(left, 1, kAnswerSliceMs));
    if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, slice, &answer)) return true;
    // Refused well before the slice was over: the window is gone, or already counts as hung.
    if (timeGetTime() - sent < slice / 2) return false;
    if (timeGetTime() - start >= patienceMs || RunStopRequested()) return false;
  }
}

// The texts or class names of a window's children, one a line, up to kTextLimit characters.
struct Collect {
  bool includeHidden;
  CScriptString lines;
  CSilentThreads silent;
};

void AppendLine(CScriptString& lines, const char* text, int length) {
  int room = kTextLimit - lines.GetLength();
  lines.AppendText(text, std::min(length, std::max(room, 0)));
  if (lines.GetLength() < kTextLimit) lines.AppendChar('\n');
}

}  // namespace

bool CSilentThreads::Knows(DWORD thread) const {
  return std::find(threads_.begin(), threads_.end(), thread) != threads_.end();
}

bool CSilentThreads::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& answer) {
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  if (Knows(thread)) return false;
  if (SendPatiently(window, message, wParam, lParam, answer, kWindowPatienceMs)) return true;
  if (thread) threads_.push_back(thread);
  return false;
}

bool CSilentThreads::ReadText(HWND window, CScriptString& text) {
  // A reply that comes after the send gave up is still written to the buffer the message named
  // (in this process, a window of another thread writes to it directly): the buffer lives on.
  static char buffer[kTextLimit + 1];
  buffer[0] = '\0';
  DWORD_PTR copied = 0;
  if (!Send(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), copied)) {
    text.Empty();
    return false;
  }
  buffer[kTextLimit] = '\0';
  text.AssignText(buffer);
  return true;
}

bool IsWindowHung(HWND window, UINT timeoutMs) {
  DWORD_PTR answer;
  return !SendPatiently(window, WM_NULL, 0, 0, answer, timeoutMs);
}

void AttachToWindowThread(HWND window, bool attach) {
  if (attach && IsWindowHung(window, kWindowPatienceMs)) return;
  AttachThreadInput(GetCurrentThreadId(), GetWindowThreadProcessId(window, nullptr), attach);
}

BOOL CALLBACK EnumWindowTextProc(HWND child, LPARAM parameter) {
  Collect* collect = reinterpret_cast<Collect*>(parameter);
  if (RunStopRequested()) return FALSE;
  if (!collect->includeHidden && !IsWindowVisible(child)) return TRUE;
  // WM_GETTEXT rather than GetWindowText: it also reads controls of other programs.
  CScriptString text;
  if (collect->silent.ReadText(child, text) && !text.IsEmpty())
    AppendLine(collect->lines, text, text.GetLength());
  return TRUE;
}

BOOL CALLBACK EnumClassNamesProc(HWND child, LPARAM parameter) {
  Collect* collect = reinterpret_cast<Collect*>(parameter);
  char name[256] = "";
  int length = GetClassNameA(child, name, sizeof name);
  AppendLine(collect->lines, name, length);
  return TRUE;
}

CScriptString GetWindowTextAll(HWND window, bool includeHidden) {
  Collect collect = {includeHidden, {}, {}};
  // No window: EnumChildWindows would walk every top-level window.
  if (window) EnumChildWindows(window, EnumWindowTextProc, reinterpret_cast<LPARAM>(&collect));
  return collect.lines;
}

CScriptString GetWindowClassList(HWND window) {
  Collect collect = {false, {}, {}};
  if (window) EnumChildWindows(window, EnumClassNamesProc, reinterpret_cast<LPARAM>(&collect));
  return collect.lines;
}
