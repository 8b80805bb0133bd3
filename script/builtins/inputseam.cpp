// The real input seam: the Win32 calls themselves.
#include "script/builtins/inputseam.h"

#include "script/builtins/runstop.h"
#include "script/sysutil/sysutil.h"

namespace {

// Delays up to this long are waited precisely in one piece.
constexpr int kPreciseDelayLimitMs = 50;

// Made on first use: engines built during static initialisation already ask for it.
CInputSeam& RealSeam() {
  static CInputSeam seam;
  return seam;
}

CInputSeam* g_seam = nullptr;  // a test's replacement, or none

}  // namespace

CInputSeam& Input() { return g_seam ? *g_seam : RealSeam(); }

CInputSeam* SetInputSeam(CInputSeam* seam) {
  CInputSeam* previous = g_seam;
  g_seam = seam;
  return previous;
}

void CInputSeam::KeybdEvent(BYTE vk, BYTE scan, DWORD flags) { keybd_event(vk, scan, flags, 0); }

void CInputSeam::MouseEvent(DWORD flags, DWORD dx, DWORD dy, DWORD data) { mouse_event(flags, dx, dy, data, 0); }

BOOL CInputSeam::PostKeyMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return PostMessageA(hWnd, message, wParam, lParam);
}

BOOL CInputSeam::SetCursorPos(int x, int y) { return ::SetCursorPos(x, y); }

BOOL CInputSeam::BlockInput(BOOL block) {
  HMODULE user32 = LoadLibraryA("user32.dll");
  if (!user32) return FALSE;
  typedef BOOL(WINAPI * BlockInputProc)(BOOL);
  BlockInputProc blockInput = reinterpret_cast<BlockInputProc>(reinterpret_cast<void (*)()>(GetProcAddress(user32, "BlockInput")));
  BOOL done = blockInput ? blockInput(block) : FALSE;
  FreeLibrary(user32);
  return done;
}

void CInputSeam::Delay(int milliseconds) {
  // A long delay (a long WAIT, a large key or click delay) ends early when the run is stopped.
  if (milliseconds > kPreciseDelayLimitMs) {
    WaitUnlessStopped(milliseconds);
    return;
  }
  PreciseDelay(milliseconds);
}

void CInputSeam::Pause(DWORD milliseconds) { Sleep(milliseconds); }

SHORT CInputSeam::AsyncKeyState(int vk) { return ::GetAsyncKeyState(vk); }

SHORT CInputSeam::KeyState(int vk) { return ::GetKeyState(vk); }

BOOL CInputSeam::GetCursorPos(POINT& point) { return ::GetCursorPos(&point); }

SHORT CInputSeam::ScanChar(char ch) { return VkKeyScanA(ch); }

UINT CInputSeam::MapKey(UINT code, UINT mapType) { return MapVirtualKeyA(code, mapType); }

CString CInputSeam::LayoutName() {
  char name[KL_NAMELENGTH] = "";
  GetKeyboardLayoutNameA(name);
  return name;
}
