// The messages through which the hook library reports the user's input to the recorder's window.
#pragma once

#include <windows.h>

// A pointer position: x in the low 16 bits of lParam, y in the high 16 bits, each signed (a
// monitor left of or above the primary one has negative coordinates).
constexpr UINT WM_HOOK_MOUSEPOSITION = WM_USER + 14;
// A mouse event: wParam is the mouse message; lParam is the position for a move (as above), the
// window under the pointer for a button, the direction for the wheel (low word non-zero: up).
constexpr UINT WM_HOOK_MOUSEEVENT = WM_USER + 15;
// A key event: wParam is the virtual key; the high word of lParam is WM_KEYDOWN or WM_KEYUP.
constexpr UINT WM_HOOK_KEY = WM_USER + 16;

inline LPARAM HookPointParam(POINT p) {
  return MAKELPARAM(static_cast<WORD>(static_cast<short>(p.x)), static_cast<WORD>(static_cast<short>(p.y)));
}
inline POINT HookPointOf(LPARAM lParam) {
  return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// The library's entry points, looked up by name.
typedef BOOL(WINAPI* InstallHookFn)(HINSTANCE library, HWND notify);
typedef BOOL(WINAPI* UninstallHookFn)();
