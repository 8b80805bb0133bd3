// Private memory of the real program sitting idle at its main window, beside Notepad's, after
// both have settled.
//   ./scripts/bench.sh bench_idle_memory [settle seconds]     (default 5)
//
// Wine 8 reports a process's private usage as its swapped-out memory (0 where nothing is
// swapped), so under Wine the private figure is the host's own count of the process's private
// memory (RssAnon in /proc/<pid>/status, read through drive Z:); the working set comes from
// GetProcessMemoryInfo.
#include <windows.h>

#include <psapi.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/support/pindrel_process.h"
#include "tests/support/robot_folder.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

constexpr double kTargetMb = 12;

double WorkingSetMb(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return -1;
  return static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0);
}

// The host's private (anonymous resident) memory, in MB, of the process of this Wine prefix
// whose command line starts with a program named `exe`; -1 when there is no such process.
double HostPrivateMb(const char* exe) {
  char prefix[MAX_PATH] = "";
  GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
  const std::string ownPrefix = std::string("WINEPREFIX=") + prefix;  // the same Wine as ours
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
  if (search == INVALID_HANDLE_VALUE) return -1;
  double found = -1;
  do {
    if (!isdigit(static_cast<unsigned char>(entry.cFileName[0]))) continue;
    const std::string dir = std::string("Z:\\proc\\") + entry.cFileName + "\\";
    std::string command = ReadFileBytes(dir + "cmdline");
    command = command.substr(0, command.find('\0'));
    size_t slash = command.find_last_of("\\/");
    if (_stricmp(command.substr(slash == std::string::npos ? 0 : slash + 1).c_str(), exe) != 0) continue;
    std::string environment = '\0' + ReadFileBytes(dir + "environ") + '\0';
    if (environment.find('\0' + ownPrefix + '\0') == std::string::npos) continue;
    std::string status = ReadFileBytes(dir + "status");
    size_t line = status.find("RssAnon:");
    if (line != std::string::npos) found = atof(status.c_str() + line + 8) / 1024.0;
  } while (found < 0 && FindNextFileA(search, &entry));
  FindClose(search);
  return found;
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
  double program = HostPrivateMb("pindrel.exe"), editor = HostPrivateMb("notepad.exe");
  printf("%-16s %12s %14s %10s\n", "idle memory", "private MB", "working set MB", "target");
  printf("%-16s %12.1f %14.1f %7.0f MB %s\n", "pindrel.exe", program, WorkingSetMb(app.handle()), kTargetMb,
         program < 0 ? "(not found)" : program <= kTargetMb ? "met" : "MISSED");
  printf("%-16s %12.1f %14.1f\n", "notepad.exe", editor, WorkingSetMb(notepad));
  TerminateProcess(notepad, 0);
  CloseHandle(notepad);
  return 0;
}
