// Helpers for tests of real windows.
#include "tests/support/ui_support.h"

#include <map>
#include <vector>

#include "framework/app.h"
#include "tests/support/test_support.h"

namespace testing_support {

bool PumpUiUntil(const std::function<bool()>& test, int timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return test();
      }
      if (!AfxPreTranslateMessage(&msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
    if (test()) return true;
    if (static_cast<int>(GetTickCount() - start) >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void PumpUiFor(int milliseconds) {
  PumpUiUntil([] { return false; }, milliseconds);
}

namespace {
std::map<UINT_PTR, std::function<void()>>& Pending() {
  static std::map<UINT_PTR, std::function<void()>> pending;
  return pending;
}

void CALLBACK RunPending(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto it = Pending().find(id);
  if (it == Pending().end()) return;
  std::function<void()> fn = std::move(it->second);
  Pending().erase(it);
  fn();
}
}  // namespace

void RunLater(int delayMs, std::function<void()> fn) {
  UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(delayMs), &RunPending);
  Pending()[id] = std::move(fn);
}

void PressKey(BYTE vk) {
  keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), 0, 0);
  keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), KEYEVENTF_KEYUP, 0);
}

void TypeText(const char* text) {
  for (; *text; ++text) {
    char c = *text;
    PressKey(static_cast<BYTE>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c));
  }
}

void MoveMouseTo(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
}

void ClickAt(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

void DoubleClickAt(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  for (int i = 0; i < 2; ++i) {
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  }
}

POINT ScreenPointOf(HWND hwnd, int x, int y) {
  POINT p = {x, y};
  ClientToScreen(hwnd, &p);
  return p;
}

COLORREF ClientPixel(HWND hwnd, int x, int y) {
  HDC dc = GetDC(hwnd);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(hwnd, dc);
  return c;
}

int CountPixels(HWND hwnd, const RECT& r, COLORREF colour) {
  HDC dc = GetDC(hwnd);
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      if (GetPixel(dc, x, y) == colour) ++n;
    }
  }
  ReleaseDC(hwnd, dc);
  return n;
}

bool SaveWindowBitmap(HWND hwnd, const std::string& path) {
  RECT wr;
  GetWindowRect(hwnd, &wr);
  int w = wr.right - wr.left, h = wr.bottom - wr.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;  // bottom-up, as BMP files store it
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, wr.left, wr.top, SRCCOPY);
  SelectObject(mem, old);
  GdiFlush();
  DWORD stride = ((w * 3 + 3) / 4) * 4;
  BITMAPFILEHEADER fh = {};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = fh.bfOffBits + stride * h;
  std::string bytes(reinterpret_cast<const char*>(&fh), sizeof fh);
  bytes.append(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
  bytes.append(static_cast<const char*>(bits), stride * h);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  WriteFileBytes(path, bytes);
  return FileExists(path);
}

std::string ArtifactFolder() {
  std::string folder = ProgramFolder();
  folder = folder.substr(0, folder.find_last_of('\\')) + "\\artifacts";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

LogPixels::LogPixels(DWORD dpi) {
  RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
  DWORD size = sizeof old_;
  had_ = RegQueryValueExA(key_, "LogPixels", nullptr, &type_, old_, &size) == ERROR_SUCCESS;
  size_ = size;
  RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
}

LogPixels::~LogPixels() {
  if (had_) {
    RegSetValueExA(key_, "LogPixels", 0, type_, old_, size_);
  } else {
    RegDeleteValueA(key_, "LogPixels");
  }
  RegCloseKey(key_);
}

namespace {
std::string Describe(HWND hwnd, const RECT& r) {
  char text[64] = "", cls[32] = "";
  GetWindowTextA(hwnd, text, sizeof text);
  GetClassNameA(hwnd, cls, sizeof cls);
  return std::to_string(GetDlgCtrlID(hwnd)) + " " + cls + " \"" + text + "\" (" + std::to_string(r.left) + "," +
         std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}
BOOL CALLBACK CollectWindow(HWND child, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}

}  // namespace

std::vector<std::string> CutOffWindows(HWND top) {
  std::vector<std::string> cut;
  MONITORINFO monitor = {sizeof monitor, {}, {}, 0};
  GetMonitorInfoA(MonitorFromWindow(top, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  RECT r;
  GetWindowRect(top, &r);
  if (!Inside(r, work)) cut.push_back(Describe(top, r) + " is not inside the work area");
  std::vector<HWND> children;
  EnumChildWindows(top, CollectWindow, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children) {
    if (!IsWindowVisible(child)) continue;
    GetWindowRect(child, &r);
    RECT client;
    HWND parent = GetParent(child);
    GetClientRect(parent, &client);
    MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
    if (!Inside(r, client)) cut.push_back(Describe(child, r) + " is cut by its parent " + Describe(parent, client));
    if (!Inside(r, work)) cut.push_back(Describe(child, r) + " is not inside the work area");
  }
  return cut;
}

}  // namespace testing_support
