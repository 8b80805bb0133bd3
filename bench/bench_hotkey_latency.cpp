// Latency from a robot's start hotkey to its first synthesised click: the real program runs a
// robot that jumps to a point of the logging target window and clicks there; each press (typed
// from inside Wine) is timed on the clock of the target's log (QueryPerformanceCounter
// microseconds) and compared with the target's WM_LBUTTONDOWN. The same presses are then answered by
// bench_hotkey_clicker, a program that only registers the key and clicks; prints both medians
// and their ratio.
//   ./scripts/bench.sh bench_hotkey_latency [presses]     (default 30)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/pindrel_process.h"
#include "tests/support/robot_folder.h"
#include "tests/support/test_support.h"
#include "tests/support/test_target.h"

using namespace testing_support;

namespace {

void Key(BYTE vk, bool up) {
  keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), up ? KEYEVENTF_KEYUP : 0, 0);
}

// The time of the first left-button press the target logged after `since`, or -1.
long long FirstClickAfter(const TestTarget& target, long long since) {
  for (const TargetEvent& e : target.Events())
    if (e.micros >= since && (e.message == "WM_LBUTTONDOWN" || e.message == "WM_LBUTTONDBLCLK")) return e.micros;
  return -1;
}

// Presses the start key `presses` times and returns the sorted latencies (microseconds).
std::vector<long long> TimePresses(const TestTarget& target, int presses) {
  std::vector<long long> latencies;
  for (int i = 0; i < presses; ++i) {
    Key(VK_CONTROL, false);
    Key(VK_MENU, false);
    long long pressed = NowMicroseconds();
    Key('K', false);
    Key('K', true);
    Key(VK_MENU, true);
    Key(VK_CONTROL, true);
    long long clicked = -1;
    PumpUntil([&] { return (clicked = FirstClickAfter(target, pressed)) >= 0; }, 3000);
    if (clicked < 0) {
      fprintf(stderr, "press %d: no click within 3 s\n", i + 1);
    } else {
      latencies.push_back(clicked - pressed);
    }
    PumpFor(600);  // beyond the double-click time
  }
  std::sort(latencies.begin(), latencies.end());
  return latencies;
}

double MedianMs(const std::vector<long long>& latencies) { return latencies[latencies.size() / 2] / 1000.0; }

void Print(const char* who, const std::vector<long long>& latencies) {
  printf("%-28s %zu presses, median %.2f ms, min %.2f ms, max %.2f ms\n", who, latencies.size(), MedianMs(latencies),
         latencies.front() / 1000.0, latencies.back() / 1000.0);
}

}  // namespace

int main(int argc, char** argv) {
  int presses = argc > 1 ? atoi(argv[1]) : 30;
  RobotFolder folder;
  TestTarget target;
  if (!target.Start("Latency Target", 20, 20)) {
    fprintf(stderr, "the target did not start\n");
    return 1;
  }
  // The robot jumps to a point of the target and clicks there.
  POINT over = target.ScreenPoint(300, 200);
  std::string jump = "MouseMove(" + std::to_string(over.x) + ", " + std::to_string(over.y) + ", 0)";
  folder.Write({"Clicker", "Ctrl + Alt + K", "None", 1, 0, 1, {jump, "MouseClick(\"left\", 1)"}});
  PindrelProcess app;
  if (!app.Start() || !app.WaitForMainWindow()) {
    fprintf(stderr, "the program did not start\n");
    return 1;
  }
  SetForegroundWindow(target.hwnd());
  PumpUntil([&] { return GetForegroundWindow() == target.hwnd(); }, 3000);
  PumpFor(300);

  std::vector<long long> program = TimePresses(target, presses);
  app.Kill();
  if (program.empty()) return 1;

  // The same presses answered by a program that does nothing but register the key and click.
  HANDLE clicker = nullptr;
  DWORD clickerPid = 0;
  std::string command = "\"" + ProgramFolder() + "\\bench_hotkey_clicker.exe\" " + std::to_string(over.x) + " " +
                        std::to_string(over.y);
  std::vector<long long> minimal;
  if (StartProcess(command, clicker, clickerPid)) {
    PumpFor(500);
    SetForegroundWindow(target.hwnd());
    PumpFor(300);
    minimal = TimePresses(target, presses);
    TerminateProcess(clicker, 0);
    WaitForSingleObject(clicker, 5000);
    CloseHandle(clicker);
  }
  Print("hotkey to first click:", program);
  if (minimal.empty()) {
    printf("the minimal hotkey clicker did not run\n");
  } else {
    Print("minimal hotkey clicker:", minimal);
    printf("ratio of the medians: %.2f\n", MedianMs(program) / MedianMs(minimal));
  }
  return 0;
}
