// Starts the logging test window (pindrel_target.exe) and reads what it received.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

struct TargetEvent {
  long long micros;     // QueryPerformanceCounter time, in microseconds
  std::string control;  // main, edit, list, combo, button, status
  std::string message;  // WM_LBUTTONDOWN, WM_KEYDOWN, ...
  long a;               // client x, virtual key or character
  long b;               // client y, or scan code with flags
};

// The current time on the clock of the target's log.
long long NowMicroseconds();

class TestTarget {
public:
  TestTarget() = default;
  ~TestTarget() { Stop(); }
  TestTarget(const TestTarget&) = delete;
  TestTarget& operator=(const TestTarget&) = delete;

  // Starts the target at screen position (x, y), with a menu bar when asked, and waits until
  // its window is up.
  bool Start(const std::string& title = "Pindrel Test Target", int x = 100, int y = 100, bool withMenu = false);
  // Also a tab control and a check box, and the controls' notifications in the log.
  void set_extra(bool extra) { extra_ = extra; }
  void Stop();

  HWND hwnd() const { return hwnd_; }
  DWORD process_id() const { return pid_; }
  // Screen position of the client area's top-left corner.
  POINT client_origin() const { return origin_; }
  // Screen position of a client point.
  POINT ScreenPoint(int x, int y) const { return {origin_.x + x, origin_.y + y}; }
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
  enum { kEdit = 101, kList = 102, kCombo = 103, kButton = 104, kStatus = 105, kTab = 106, kCheck = 107 };

  // Everything logged so far, mouse moves left out unless asked for.
  std::vector<TargetEvent> Events(bool withMoves = false) const;
  // Events as "control message a b" lines, for comparing with a table.
  std::vector<std::string> EventLines(bool withMoves = false) const;
  // Waits (pumping this thread's queue) until `count` events of `message` have arrived.
  bool WaitForMessages(const std::string& message, size_t count, int timeoutMs = 5000) const;
  void ClearLog();
  // Makes the target stop answering messages for `ms` milliseconds, as a hung program does, or
  // with `answerEveryMs` answer only that often, as a busy one does; returns once it does not
  // answer at once.
  bool Hang(DWORD ms, DWORD answerEveryMs = 0);

private:
  std::string log_;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND hwnd_ = nullptr;
  POINT origin_ = {0, 0};
  size_t skip_ = 0;  // events cleared by ClearLog
  bool extra_ = false;
};

}  // namespace testing_support
