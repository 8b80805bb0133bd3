// How quickly the window and process waits notice what they wait for, and how late their
// time-outs end: median and worst of several runs, each one robot line through the run loop,
// with the median's target.
//
// bench_window_waits.exe [runs]   (run under Wine by hand)
#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/msgbox.h"
#include "script/interpreter.h"

namespace {

LARGE_INTEGER g_frequency;
LARGE_INTEGER g_event;  // when the awaited window appeared or went
HWND g_window = nullptr;

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  return (to.QuadPart - from.QuadPart) * 1000.0 / g_frequency.QuadPart;
}

void CALLBACK OpenWindow(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  g_window = CreateWindowExA(0, "STATIC", "Pindrel Bench Window", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr,
                             nullptr, nullptr);
  QueryPerformanceCounter(&g_event);
}

void CALLBACK CloseWindow(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  DestroyWindow(g_window);
  g_window = nullptr;
  QueryPerformanceCounter(&g_event);
}

// Runs one line; milliseconds from `since` (or from the start when null) to its end.
double RunLine(CQuorvex_Script& script, CQuorvex_ScriptFile& file, const std::string& line, bool fromEvent) {
  script.ClearScript();
  file.AddLine(1, line.c_str(), -1);
  file.BuildLineArray();
  if (script.PrepareScript("bench.txt")) return -1;
  LARGE_INTEGER begin, end;
  QueryPerformanceCounter(&begin);
  script.Execute(1, 1);
  QueryPerformanceCounter(&end);
  return Milliseconds(fromEvent ? g_event : begin, end);
}

// One row: the median beside the most it may be.
void Report(const char* what, std::vector<double> values, double target) {
  std::sort(values.begin(), values.end());
  double median = values[values.size() / 2];
  printf("%-40s %5zu %10.2f %10.2f %8.1f %s\n", what, values.size(), median, values.back(), target,
         median <= target ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? atoi(argv[1]) : 20;
  QueryPerformanceFrequency(&g_frequency);
  SetMessageBoxSink([](HWND, const char* text, const char*, UINT) {
    printf("script error: %s\n", text);
    return IDOK;
  });
  CQuorvex_ScriptFile file;
  CScriptVariables variables;
  CQuorvex_Script script(&file, &variables);
  script.WinWaitDelay = 0;
  printf("%-40s %5s %10s %10s %8s\n", "measure (ms)", "runs", "median", "worst", "target");

  std::vector<double> met, closed, late, processLate;
  for (int i = 0; i < runs; ++i) {
    SetTimer(nullptr, 0, 50, OpenWindow);
    met.push_back(RunLine(script, file, "WinWait(\"Pindrel Bench Window\", \"\", 5)", true));
    SetTimer(nullptr, 0, 50, CloseWindow);
    closed.push_back(RunLine(script, file, "WinWaitClose(\"Pindrel Bench Window\", \"\", 5)", true));
  }
  for (int i = 0; i < std::max(runs / 4, 3); ++i) {
    late.push_back(RunLine(script, file, "WinWait(\"Pindrel No Such Window\", \"\", 1)", false) - 1000);
    processLate.push_back(RunLine(script, file, "ProcessWait(\"pindrel_no_such.exe\", 1)", false) - 1000);
  }
  Report("window appeared -> WinWait returned", met, 6);
  Report("window closed -> WinWaitClose returned", closed, 6);
  Report("WinWait 1 s time-out, overshoot", late, 2);
  Report("ProcessWait 1 s time-out, overshoot", processLate, 2);
  return 0;
}
