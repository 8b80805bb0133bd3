// The real input seam: the Win32 calls themselves.
#include "script/builtins/input_seam.h"

namespace {

CInputSeam g_realSeam;
CInputSeam* g_seam = &g_realSeam;

}  // namespace

CInputSeam& Input() { return *g_seam; }

CInputSeam* SetInputSeam(CInputSeam* seam) {
  CInputSeam* previous = g_seam;
  g_seam = seam ? seam : &g_realSeam;
  return previous == &g_realSeam ? nullptr : previous;
}

void CInputSeam::KeybdEvent(BYTE vk, BYTE scan, DWORD flags) { keybd_event(vk, scan, flags, 0); }

void CInputSeam::MouseEvent(DWORD flags, DWORD dx, DWORD dy, DWORD data) { mouse_event(flags, dx, dy, data, 0); }

BOOL CInputSeam::PostKeyMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return PostMessageA(hWnd, message, wParam, lParam);
}

BOOL CInputSeam::SetCursorPos(int x, int y) { return ::SetCursorPos(x, y); }

void CInputSeam::Delay(int milliseconds) {
  if (milliseconds >= 0) Sleep(milliseconds);
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
