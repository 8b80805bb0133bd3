// automation.dll: watches the whole desktop's mouse and keyboard with low-level hooks and posts
// what it sees to one window as the recorder's three hook messages.
#include <windows.h>

#include "editor/hooklib/hookmessages.h"

namespace {

// Low-level hooks run on the thread that installed them, inside its message loop: the state is
// that thread's alone and needs no shared section.
HWND g_notify = nullptr;
HHOOK g_mouseHook = nullptr;
HHOOK g_keyboardHook = nullptr;

// The recorder's own window or one of its controls.
bool IsNotifyWindow(HWND hwnd) { return hwnd && (hwnd == g_notify || IsChild(g_notify, hwnd)); }

void ReportMouse(WPARAM message, const MSLLHOOKSTRUCT& info) {
  switch (message) {
    case WM_MOUSEMOVE:
      PostMessageA(g_notify, WM_HOOK_MOUSEEVENT, WM_MOUSEMOVE, HookPointParam(info.pt));
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
      HWND target = WindowFromPoint(info.pt);
      // A press also reports where it happened: the recorder drops moves that follow each other
      // closely, and a press must still play at its own place.
      if ((message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) && !IsNotifyWindow(target)) {
        PostMessageA(g_notify, WM_HOOK_MOUSEPOSITION, 0, HookPointParam(info.pt));
      }
      PostMessageA(g_notify, WM_HOOK_MOUSEEVENT, message, reinterpret_cast<LPARAM>(target));
      break;
    }
    case WM_MOUSEWHEEL: {
      short delta = static_cast<short>(HIWORD(info.mouseData));
      PostMessageA(g_notify, WM_HOOK_MOUSEEVENT, WM_MOUSEWHEEL, delta > 0 ? 1 : 0);
      break;
    }
    default:
      break;
  }
}

// Low-level hooks see the left and right Shift, Ctrl and Alt keys; the recorder names the keys
// as a window's key messages do, with the common codes.
DWORD CommonKeyCode(DWORD vk) {
  switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT:
      return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
      return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
      return VK_MENU;
    default:
      return vk;
  }
}

LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && g_notify) ReportMouse(wParam, *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam));
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && g_notify) {
    const auto& info = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    // With Alt held the system reports the keys as system keys; the recorder knows only these two.
    UINT message = (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN) ? WM_KEYDOWN : WM_KEYUP;
    PostMessageA(g_notify, WM_HOOK_KEY, CommonKeyCode(info.vkCode), MAKELPARAM(0, message));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void RemoveHooks() {
  if (g_mouseHook) UnhookWindowsHookEx(g_mouseHook);
  if (g_keyboardHook) UnhookWindowsHookEx(g_keyboardHook);
  g_mouseHook = g_keyboardHook = nullptr;
  g_notify = nullptr;
}

}  // namespace

// Reports input to `notify` from now on; a second call moves the reports to the new window.
// FALSE when the hooks cannot be set: then nothing is reported.
extern "C" __declspec(dllexport) BOOL WINAPI InstallHook(HINSTANCE library, HWND notify) {
  RemoveHooks();
  if (!notify) return FALSE;
  g_notify = notify;
  g_mouseHook = SetWindowsHookExA(WH_MOUSE_LL, MouseProc, library, 0);
  g_keyboardHook = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardProc, library, 0);
  if (g_mouseHook && g_keyboardHook) return TRUE;
  RemoveHooks();
  return FALSE;
}

// No report is posted after it returns.
extern "C" __declspec(dllexport) BOOL WINAPI UninstallHook() {
  BOOL installed = g_notify != nullptr;
  RemoveHooks();
  return installed;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  // Hooks left by a caller that forgot them must not call into a library that is gone.
  if (reason == DLL_PROCESS_DETACH) RemoveHooks();
  return TRUE;
}
