// How fast the real program fills its lists, beside Wine's notepad.exe opening a file: start-up
// with 1 and with 1,000 robots (until the main window shows its full list), Edit Robot on a robot
// of 1,000 and of 5,000 lines (until the editor's window shows), and start-up with one large
// robot (time and the program's peak memory). Prints the median of each and its ratio to notepad.
//   ./scripts/bench.sh bench_robot_lists [runs] [large-robot-MB]     (defaults 5 and 50)
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/pindrel_process.h"
#include "tests/support/robot_folder.h"
#include "tests/support/test_support.h"
#include "tests/support/test_target.h"

using namespace testing_support;

namespace {

constexpr int kTimeoutMs = 120000;

double Seconds(long long micros) { return micros / 1e6; }

// Polls without pumping this thread's queue (nothing of ours needs it) until the test holds.
bool WaitFor(const std::function<bool()>& test, int timeoutMs = kTimeoutMs) {
  DWORD start = GetTickCount();
  while (!test()) {
    if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
    Sleep(1);
  }
  return true;
}

double Median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::vector<std::string> Actions(int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back("MouseMove(" + std::to_string(i % 800) + ", 200, 0)");
  return lines;
}

// Start-up of the program: until its main window is visible with every robot listed.
double ProgramStart(int robots) {
  PindrelProcess app;
  long long begin = NowMicroseconds();
  if (!app.Start()) return -1;
  HWND main = nullptr;
  bool up = WaitFor([&] {
    main = app.FindWindowOfProcess("#32770", "Vantorel Pindrel");
    return main && GetDlgItem(main, 1001) && ListView_GetItemCount(GetDlgItem(main, 1001)) == robots;
  });
  long long end = NowMicroseconds();
  app.Kill();
  return up ? Seconds(end - begin) : -1;
}

struct NotepadSearch {
  DWORD pid;
  HWND found;
};

// A visible window of the process whose edit control holds the file's text. The length is asked
// with WM_GETTEXTLENGTH itself: Wine's GetWindowTextLength sends nothing to another process's
// window and gives the caption it keeps, which an edit control never sets (always 0).
BOOL CALLBACK MatchNotepad(HWND hwnd, LPARAM p) {
  auto* f = reinterpret_cast<NotepadSearch*>(p);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner != f->pid || !IsWindowVisible(hwnd)) return TRUE;
  HWND edit = FindWindowExA(hwnd, nullptr, "Edit", nullptr);
  DWORD_PTR length = 0;
  if (edit && SendMessageTimeoutA(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 1000, &length) && length > 0)
    f->found = hwnd;
  return f->found ? FALSE : TRUE;
}

// Notepad started on a file: until its window is visible with the file's text in it.
double NotepadStart(const std::string& file) {
  HANDLE process = nullptr;
  DWORD pid = 0;
  long long begin = NowMicroseconds();
  if (!StartProcess("notepad.exe \"" + file + "\"", process, pid)) return -1;
  NotepadSearch find = {pid, nullptr};
  bool up = WaitFor([&] {
    find.found = nullptr;
    EnumWindows(&MatchNotepad, reinterpret_cast<LPARAM>(&find));
    return find.found != nullptr;
  });
  long long end = NowMicroseconds();
  TerminateProcess(process, 1);
  WaitForSingleObject(process, 5000);
  CloseHandle(process);
  return up ? Seconds(end - begin) : -1;
}

// Edit Robot on the only robot of the list: until the editor's window is visible.
double EditRobot() {
  PindrelProcess app;
  if (!app.Start() || !app.WaitForMainWindow(kTimeoutMs)) return -1;
  app.SelectRow(0);
  HWND button = GetDlgItem(app.main(), 1006);
  long long begin = NowMicroseconds();
  PostMessageA(app.main(), WM_COMMAND, MAKEWPARAM(1006, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  bool up = WaitFor([&] { return app.FindWindowOfProcess("#32770", "Edit Robot") != nullptr; });
  long long end = NowMicroseconds();
  app.Kill();
  return up ? Seconds(end - begin) : -1;
}

void Row(const char* what, const std::vector<double>& program, const std::vector<double>& notepad) {
  double p = Median(program), n = Median(notepad);
  printf("%-34s %10.3f s %10.3f s %8.2f\n", what, p, n, n > 0 ? p / n : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? atoi(argv[1]) : 5;
  int largeMb = argc > 2 ? atoi(argv[2]) : 50;
  if (runs < 1) runs = 1;
  RobotFolder folder;
  printf("%-34s %12s %12s %8s\n", "median of runs", "Pindrel", "notepad", "ratio");

  // Start-up: one robot, then 1,000 (every one ticked, with keys of their own).
  folder.Write({"Only", "Ctrl + Alt + 1", "None", 1, 0, 1, Actions(3)});
  std::vector<double> program, notepad;
  for (int i = 0; i < runs; ++i) {
    program.push_back(ProgramStart(1));
    notepad.push_back(NotepadStart(folder.File("Only")));
  }
  Row("start-up, 1 robot", program, notepad);
  folder.Clear();
  for (int i = 0; i < 1000; ++i) {
    char name[16], key[32];
    snprintf(name, sizeof name, "R%04d", i);
    snprintf(key, sizeof key, "Ctrl + Shift + Alt + %c", 'A' + i % 26);
    folder.Write({name, i < 26 ? key : "None", "None", 1, 0, 1, Actions(20)});
  }
  program.clear();
  notepad.clear();
  for (int i = 0; i < runs; ++i) {
    program.push_back(ProgramStart(1000));
    notepad.push_back(NotepadStart(folder.File("R0000")));
  }
  Row("start-up, 1,000 robots", program, notepad);

  // Edit Robot on one long robot.
  for (int lines : {1000, 5000}) {
    folder.Clear();
    folder.Write({"Long", "Ctrl + Alt + 1", "None", 1, 0, 1, Actions(lines)});
    program.clear();
    notepad.clear();
    for (int i = 0; i < runs; ++i) {
      program.push_back(EditRobot());
      notepad.push_back(NotepadStart(folder.File("Long")));
    }
    std::string what = "Edit Robot, " + std::to_string(lines) + " lines";
    Row(what.c_str(), program, notepad);
  }

  // One large robot: the normal head and MouseMove(1, 1) lines up to the size asked for.
  if (largeMb > 0) {
    folder.Clear();
    std::string text = RobotFileText({"Large", "Ctrl + Alt + 1", "None", 1, 0, 1, {}});
    const std::string line = "MouseMove(1, 1)\r\n";
    text.reserve(static_cast<size_t>(largeMb) << 20);
    while (text.size() + line.size() <= static_cast<size_t>(largeMb) << 20) text += line;
    WriteFileBytes(folder.File("Large"), text);
    text.clear();
    text.shrink_to_fit();
    PindrelProcess app;
    long long begin = NowMicroseconds();
    if (!app.Start()) return 1;
    HWND main = nullptr;
    bool up = WaitFor([&] {
      if (!app.Running()) return true;
      main = app.FindWindowOfProcess("#32770", "Vantorel Pindrel");
      return main && ListView_GetItemCount(GetDlgItem(main, 1001)) == 1;
    });
    long long end = NowMicroseconds();
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(app.handle(), &memory, sizeof memory);
    if (up && app.Running()) {
      printf("start-up, one %d MB robot: %.2f s, peak memory %.0f MB\n", largeMb, Seconds(end - begin),
             memory.PeakPagefileUsage / 1048576.0);
    } else {
      printf("start-up, one %d MB robot: the program ended (exit code %ld) after %.2f s\n", largeMb,
             app.WaitForExit(1000), Seconds(end - begin));
    }
    app.Kill();
  }
  return 0;
}
