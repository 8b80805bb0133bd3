// InputRecorder: the recording input seam of the tests.
#include "tests/support/input_recorder.h"

#include <cstdio>

namespace testing_support {

namespace {

const char* KeyMessageName(UINT message) {
  switch (message) {
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_SYSKEYDOWN: return "WM_SYSKEYDOWN";
    case WM_SYSKEYUP: return "WM_SYSKEYUP";
    default: return "WM_OTHER";
  }
}

}  // namespace

InputRecorder::InputRecorder() : previous_(SetInputSeam(this)) {}

InputRecorder::~InputRecorder() { SetInputSeam(previous_); }

std::vector<std::string> InputRecorder::Keys() const {
  std::vector<std::string> keys;
  for (const std::string& e : events)
    if (e.rfind("down ", 0) == 0 || e.rfind("up ", 0) == 0 || e.rfind("post ", 0) == 0) keys.push_back(e);
  return keys;
}

void InputRecorder::Clear() {
  events.clear();
  postedTo.clear();
}

void InputRecorder::SetLayout(const char* name, const std::map<unsigned char, SHORT>& keys) {
  customLayout_ = true;
  layoutName_ = name;
  layoutKeys_ = keys;
}

void InputRecorder::KeybdEvent(BYTE vk, BYTE, DWORD flags) {
  bool up = (flags & KEYEVENTF_KEYUP) != 0;
  std::string e = std::string(up ? "up " : "down ") + std::to_string(vk);
  if (flags & KEYEVENTF_EXTENDEDKEY) e += " ext";
  events.push_back(e);
  if (up) {
    down.erase(vk);
  } else {
    down.insert(vk);
    if (vk == VK_CAPITAL || vk == VK_NUMLOCK || vk == VK_SCROLL) {
      if (!toggledOn.erase(vk)) toggledOn.insert(vk);
    }
  }
}

void InputRecorder::MouseEvent(DWORD flags, DWORD dx, DWORD dy, DWORD data) {
  char e[96];
  snprintf(e, sizeof e, "mouse %lX %ld %ld %ld", flags, static_cast<long>(dx), static_cast<long>(dy),
           static_cast<long>(data));
  events.push_back(e);
}

BOOL InputRecorder::PostKeyMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  char e[96];
  snprintf(e, sizeof e, "post %s %u %08lX", KeyMessageName(message), static_cast<unsigned>(wParam),
           static_cast<unsigned long>(lParam));
  events.push_back(e);
  postedTo.push_back(hWnd);
  return TRUE;
}

BOOL InputRecorder::SetCursorPos(int x, int y) {
  cursor = {x, y};
  events.push_back("cursor " + std::to_string(x) + " " + std::to_string(y));
  return TRUE;
}

void InputRecorder::Delay(int milliseconds) { events.push_back("wait " + std::to_string(milliseconds)); }

void InputRecorder::Pause(DWORD milliseconds) { events.push_back("sleep " + std::to_string(milliseconds)); }

SHORT InputRecorder::AsyncKeyState(int vk) { return static_cast<SHORT>(down.count(vk) ? 0x8000 : 0); }

SHORT InputRecorder::KeyState(int vk) {
  return static_cast<SHORT>((down.count(vk) ? 0x8000 : 0) | (toggledOn.count(vk) ? 1 : 0));
}

BOOL InputRecorder::GetCursorPos(POINT& point) {
  point = cursor;
  return TRUE;
}

SHORT InputRecorder::ScanChar(char ch) {
  unsigned char c = static_cast<unsigned char>(ch);
  if (customLayout_) {
    auto it = layoutKeys_.find(c);
    if (it != layoutKeys_.end()) return it->second;
    if (c >= 128) return -1;
  }
  return VkKeyScanA(ch);
}

CString InputRecorder::LayoutName() { return customLayout_ ? CString(layoutName_.c_str()) : CInputSeam::LayoutName(); }

std::vector<std::string> Seq(const std::string& text) {
  std::vector<std::string> items;
  for (size_t start = 0; start < text.size();) {
    size_t comma = text.find(", ", start);
    if (comma == std::string::npos) comma = text.size();
    items.push_back(text.substr(start, comma - start));
    start = comma + 2;
  }
  return items;
}

MutedInput::MutedInput(bool waits) : waits_(waits), previous_(SetInputSeam(this)) {}

MutedInput::~MutedInput() { SetInputSeam(previous_); }

void MutedInput::Delay(int milliseconds) {
  if (waits_) CInputSeam::Delay(milliseconds);
}

void MutedInput::Pause(DWORD milliseconds) {
  if (waits_) CInputSeam::Pause(milliseconds);
}

}  // namespace testing_support
