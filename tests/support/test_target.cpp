// TestTarget: the logging test window run as a child process.
#include "tests/support/test_target.h"

#include <cstdio>
#include <cstring>
#include <sstream>

#include "tests/support/test_support.h"

namespace testing_support {

long long NowMicroseconds() {
  LARGE_INTEGER freq, now;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&now);
  return now.QuadPart * 1000000 / freq.QuadPart;
}

bool TestTarget::Start(const std::string& title, int x, int y, bool withMenu) {
  Stop();
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  static int counter = 0;
  char log[MAX_PATH];
  snprintf(log, sizeof log, "%spindrel_target_%lu_%d.log", temp, GetCurrentProcessId(), ++counter);
  log_ = log;
  DeleteFileA(log_.c_str());
  skip_ = 0;

  std::string cmd = "\"" + ProgramFolder() + "\\pindrel_target.exe\" --log \"" + log_ + "\" --title \"" + title +
                    "\" --x " + std::to_string(x) + " --y " + std::to_string(y) + (withMenu ? " --menu 1" : "") +
                    (extra_ ? " --extra 1" : "");
  if (!StartProcess(cmd, process_, pid_)) return false;

  bool up = PumpUntil(
      [&] {
        std::string text = ReadFileBytes(log_);
        if (text.rfind("READY ", 0) != 0 || text.find('\n') == std::string::npos) return false;
        void* h = nullptr;
        long ox = 0, oy = 0;
        if (sscanf(text.c_str(), "READY %p %ld %ld", &h, &ox, &oy) != 3) return false;
        hwnd_ = static_cast<HWND>(h);
        origin_ = {ox, oy};
        return true;
      },
      10000);
  if (up) WaitForInputIdle(process_, 5000);
  return up;
}

void TestTarget::Stop() {
  if (!process_) return;
  if (IsWindow(hwnd_)) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_, 5000) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
  CloseHandle(process_);
  process_ = nullptr;
  hwnd_ = nullptr;
  DeleteFileA(log_.c_str());
}

std::vector<TargetEvent> TestTarget::Events(bool withMoves) const {
  std::vector<TargetEvent> events;
  size_t index = 0;
  for (const std::string& line : SplitLines(ReadFileBytes(log_))) {
    if (line.rfind("READY ", 0) == 0) continue;
    TargetEvent e;
    std::istringstream in(line);
    if (!(in >> e.micros >> e.control >> e.message >> e.a >> e.b)) continue;
    if (index++ < skip_) continue;
    if (!withMoves && e.message == "WM_MOUSEMOVE") continue;
    events.push_back(e);
  }
  return events;
}

std::vector<std::string> TestTarget::EventLines(bool withMoves) const {
  std::vector<std::string> lines;
  for (const TargetEvent& e : Events(withMoves))
    lines.push_back(e.control + " " + e.message + " " + std::to_string(e.a) + " " + std::to_string(e.b));
  return lines;
}

bool TestTarget::WaitForMessages(const std::string& message, size_t count, int timeoutMs) const {
  return PumpUntil(
      [&] {
        size_t n = 0;
        for (const TargetEvent& e : Events(message == "WM_MOUSEMOVE"))
          if (e.message == message) ++n;
        return n >= count;
      },
      timeoutMs);
}

void TestTarget::ClearLog() {
  size_t total = 0;
  for (const std::string& line : SplitLines(ReadFileBytes(log_)))
    if (line.rfind("READY ", 0) != 0 && !line.empty()) ++total;
  skip_ = total;
}

bool TestTarget::Hang(DWORD ms, DWORD answerEveryMs) {
  if (!PostMessageA(hwnd_, WM_APP + 1, ms, answerEveryMs)) return false;
  return PumpUntil(
      [&] {
        DWORD_PTR answer;
        return !SendMessageTimeoutA(hwnd_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 100, &answer);
      },
      5000);
}

}  // namespace testing_support
