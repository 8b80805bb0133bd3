// Private memory of the real program sitting idle at its main window, beside Notepad's, read
// with GetProcessMemoryInfo after both have settled.
//   ./scripts/bench.sh bench_idle_memory [settle seconds]     (default 5)
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>

#include "tests/support/pindrel_process.h"
#include "tests/support/robot_folder.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

constexpr double kTargetMb = 12;

double PrivateMb(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) return -1;
  return counters.PrivateUsage / (1024.0 * 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  int settleMs = (argc > 1 ? atoi(argv[1]) : 5) * 1000;
  RobotFolder folder;
  folder.Write({"Sample", "Ctrl + Alt + P", "Ctrl + Alt + E", 1, 0, 1, {"MouseMove(100, 100, 0)"}});
  PindrelProcess app;
  if (!app.Start() || !app.WaitForMainWindow()) {
    fprintf(stderr, "the program did not start\n");
    return 1;
  }
  HANDLE notepad = nullptr;
  DWORD notepadId = 0;
  if (!StartProcess("notepad.exe", notepad, notepadId)) {
    fprintf(stderr, "notepad did not start\n");
    return 1;
  }
  WaitForInputIdle(notepad, 10000);
  PumpFor(settleMs);
  double program = PrivateMb(app.handle()), editor = PrivateMb(notepad);
  printf("%-28s %12s %10s\n", "idle private memory", "MB", "target");
  printf("%-28s %12.1f %7.0f MB %s\n", "pindrel.exe", program, kTargetMb, program <= kTargetMb ? "met" : "MISSED");
  printf("%-28s %12.1f\n", "notepad.exe", editor);
  TerminateProcess(notepad, 0);
  CloseHandle(notepad);
  return 0;
}
