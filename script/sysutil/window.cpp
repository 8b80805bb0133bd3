// Window helpers: hung windows, thread attachment, the texts and classes of child windows.
#include "script/sysutil/sysutil.h"

#include <cstring>

namespace {

constexpr int kTextLimit = 32767;
char g_windowText[kTextLimit + 1];  // shared by GetWindowTextAll and GetWindowClassList

struct Collect {
  bool includeHidden;
  int length;
};

}  // namespace

bool IsWindowHung(HWND window, UINT timeoutMs) {
  DWORD_PTR answer;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &answer) == 0;
}

void AttachToWindowThread(HWND window, bool attach) {
  if (attach && IsWindowHung(window, 5000)) return;
  AttachThreadInput(GetCurrentThreadId(), GetWindowThreadProcessId(window, nullptr), attach);
}

BOOL CALLBACK EnumWindowTextProc(HWND child, LPARAM parameter) {
  Collect* collect = reinterpret_cast<Collect*>(parameter);
  if (IsWindowHung(child, 5000)) return TRUE;
  if (!collect->includeHidden && !IsWindowVisible(child)) return TRUE;
  // WM_GETTEXT rather than GetWindowText: it also reads controls of other programs.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(child, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length) || length == 0)
    return TRUE;
  static char text[kTextLimit + 1];
  DWORD_PTR copied = 0;
  text[0] = '\0';
  if (!SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                           &copied))
    return TRUE;
  text[kTextLimit] = '\0';
  collect->length = AppendTextLimited(g_windowText, collect->length, text, kTextLimit);
  collect->length = AppendTextLimited(g_windowText, collect->length, "\n", kTextLimit);
  return TRUE;
}

BOOL CALLBACK EnumClassNamesProc(HWND child, LPARAM parameter) {
  Collect* collect = reinterpret_cast<Collect*>(parameter);
  char name[256] = "";
  GetClassNameA(child, name, sizeof name);
  collect->length = AppendTextLimited(g_windowText, collect->length, name, kTextLimit);
  collect->length = AppendTextLimited(g_windowText, collect->length, "\n", kTextLimit);
  return TRUE;
}

const char* GetWindowTextAll(HWND window, bool includeHidden) {
  g_windowText[0] = '\0';
  if (!window) return g_windowText;  // EnumChildWindows would walk every top-level window
  Collect collect = {includeHidden, 0};
  EnumChildWindows(window, EnumWindowTextProc, reinterpret_cast<LPARAM>(&collect));
  return g_windowText;
}

const char* GetWindowClassList(HWND window) {
  g_windowText[0] = '\0';
  if (!window) return g_windowText;
  Collect collect = {false, 0};
  EnumChildWindows(window, EnumClassNamesProc, reinterpret_cast<LPARAM>(&collect));
  return g_windowText;
}
