// Small helpers that the window and control built-ins share.
#pragma once

#include <windows.h>

#include "script/scriptvalue.h"
#include "script/sysutil/sysutil.h"

// Ties this thread's input to the window's thread while it lives (focus, active window and
// caret of another program can then be read and set).
class CAttachedInput {
public:
  explicit CAttachedInput(HWND window) : window_(window) {
    if (window_) AttachToWindowThread(window_, true);
  }
  ~CAttachedInput() {
    if (window_) AttachToWindowThread(window_, false);
  }
  CAttachedInput(const CAttachedInput&) = delete;
  CAttachedInput& operator=(const CAttachedInput&) = delete;

private:
  HWND window_;
};

// A message sent to a window of any program; a hung window gives up after 5 s. False when the
// message was not answered.
inline bool SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& answer) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) {
    answer = 0;
    return false;
  }
  answer = static_cast<LRESULT>(result);
  return true;
}

// The answer of a message, or `failed` when it was not answered.
inline LRESULT SendOr(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT failed) {
  LRESULT answer;
  return SendToWindow(window, message, wParam, lParam, answer) ? answer : failed;
}

// The value becomes the array [x, y, width, height] of the rectangle; false when it cannot.
inline bool SetRectArray(CScriptValue& value, const RECT& rect) {
  if (!CreateArray1D(value, 4)) return false;
  GetArrayElement1D(value, 0)->SetInt(rect.left);
  GetArrayElement1D(value, 1)->SetInt(rect.top);
  GetArrayElement1D(value, 2)->SetInt(rect.right - rect.left);
  GetArrayElement1D(value, 3)->SetInt(rect.bottom - rect.top);
  return true;
}
