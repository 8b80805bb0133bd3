// CInputSeam: the one door through which played keys and mouse input reach the system.
//
// The keystroke engine and the mouse built-ins synthesise input, post key messages, move the
// pointer, ask the keyboard layout and wait only through Input(). Tests put a recorder in place
// with SetInputSeam and compare what it saw with a table.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

class CInputSeam {
public:
  virtual ~CInputSeam() = default;

  // ---- effects ----
  virtual void KeybdEvent(BYTE vk, BYTE scan, DWORD flags);
  virtual void MouseEvent(DWORD flags, DWORD dx, DWORD dy, DWORD data);
  // A key message posted to a window (background play).
  virtual BOOL PostKeyMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL SetCursorPos(int x, int y);
  // BlockInput of user32, looked up by name; FALSE when the system has none.
  virtual BOOL BlockInput(BOOL block);

  // ---- waits ----
  // The key and mouse delays: negative waits not at all, 0 only yields the processor.
  virtual void Delay(int milliseconds);
  // A plain sleep (pauses that are not key or mouse delays).
  virtual void Pause(DWORD milliseconds);

  // ---- what the keyboard and pointer look like ----
  virtual SHORT AsyncKeyState(int vk);
  virtual SHORT KeyState(int vk);
  virtual BOOL GetCursorPos(POINT& point);
  // VkKeyScanA: virtual key in the low byte, shift state (0x100 Shift, 0x200 Ctrl, 0x400 Alt) in
  // the high byte; -1 when the layout has no key for the character.
  virtual SHORT ScanChar(char ch);
  // MapVirtualKeyA.
  virtual UINT MapKey(UINT code, UINT mapType);
  // GetKeyboardLayoutNameA: eight hexadecimal digits ("00000409").
  virtual CString LayoutName();
};

// The seam in use: the real system unless a test has put another one in place.
CInputSeam& Input();
// Puts `seam` in place (nullptr: the real system again); returns the one it replaces, nullptr
// for the real system, so that giving the answer back restores it.
CInputSeam* SetInputSeam(CInputSeam* seam);
