// InputRecorder: an input seam that records key, mouse and wait events instead of playing them.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "script/builtins/inputseam.h"

namespace testing_support {

// Installed while it lives. Events read as:
//   "down 65", "up 13 ext"            keybd_event (ext: KEYEVENTF_EXTENDEDKEY)
//   "post WM_KEYDOWN 65 001E0001"     a key message posted to a window (wParam, lParam in hex)
//   "mouse 8002 100 200 0"            mouse_event (flags in hex, dx, dy, data)
//   "cursor 10 20"                    SetCursorPos
//   "wait 5", "sleep 250"             key/mouse delay, plain pause
// The keyboard layout is the system's (US under the test prefix) unless a test overrides it.
class InputRecorder : public CInputSeam {
public:
  InputRecorder();
  ~InputRecorder() override;
  InputRecorder(const InputRecorder&) = delete;
  InputRecorder& operator=(const InputRecorder&) = delete;

  std::vector<std::string> events;
  std::vector<HWND> postedTo;  // the window of every "post" event
  std::set<int> down;          // keys that read as held down
  std::set<int> toggledOn;     // CapsLock, NumLock, ScrollLock that read as on
  POINT cursor = {0, 0};

  // Only the key events ("down", "up", "post"), without the waits.
  std::vector<std::string> Keys() const;
  void Clear();

  // A layout of the given name: the listed characters map as given; every other character as on
  // the system's layout, except 128-255, which have no key.
  void SetLayout(const char* name, const std::map<unsigned char, SHORT>& keys);

  void KeybdEvent(BYTE vk, BYTE scan, DWORD flags) override;
  void MouseEvent(DWORD flags, DWORD dx, DWORD dy, DWORD data) override;
  BOOL PostKeyMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL SetCursorPos(int x, int y) override;
  void Delay(int milliseconds) override;
  void Pause(DWORD milliseconds) override;
  SHORT AsyncKeyState(int vk) override;
  SHORT KeyState(int vk) override;
  BOOL GetCursorPos(POINT& point) override;
  SHORT ScanChar(char ch) override;
  CString LayoutName() override;

private:
  CInputSeam* previous_;
  bool customLayout_ = false;
  std::string layoutName_;
  std::map<unsigned char, SHORT> layoutKeys_;
};

// An input seam that lets nothing reach the system. Delays wait as in a robot run, unless
// `waits` is false: then long repeats spin until something stops them.
class MutedInput : public CInputSeam {
public:
  explicit MutedInput(bool waits = true);
  ~MutedInput() override;
  MutedInput(const MutedInput&) = delete;
  MutedInput& operator=(const MutedInput&) = delete;

  void KeybdEvent(BYTE, BYTE, DWORD) override {}
  void MouseEvent(DWORD, DWORD, DWORD, DWORD) override {}
  BOOL PostKeyMessage(HWND, UINT, WPARAM, LPARAM) override { return TRUE; }
  BOOL SetCursorPos(int, int) override { return TRUE; }
  BOOL BlockInput(BOOL) override { return TRUE; }
  void Delay(int milliseconds) override;
  void Pause(DWORD milliseconds) override;

private:
  bool waits_;
  CInputSeam* previous_;
};

// A table row of events written as one text: "down 17, wait 1, up 17" -> three events.
std::vector<std::string> Seq(const std::string& text);

}  // namespace testing_support
