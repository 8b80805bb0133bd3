// How long WAIT, WAITLONG and DELAY really wait when a robot line runs them: median and worst
// error of 10, 100 and 1000 ms, each through the real line store and run loop; DELAY's median
// beside its target.
//
// bench_waits.exe [runs of the 10 ms wait]   (run under Wine by hand)
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/msgbox.h"
#include "script/interpreter.h"

namespace {

// Milliseconds that one run of the single line takes.
double RunOnce(CQuorvex_Script& script, CQuorvex_ScriptFile& file, const std::string& line) {
  script.ClearScript();
  file.AddLine(1, line.c_str(), -1);
  file.BuildLineArray();
  if (script.PrepareScript("bench.txt")) return -1;
  LARGE_INTEGER frequency, begin, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&begin);
  script.Execute(1, 1);
  QueryPerformanceCounter(&end);
  return (end.QuadPart - begin.QuadPart) * 1000.0 / frequency.QuadPart;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? atoi(argv[1]) : 100;
  SetMessageBoxSink([](HWND, const char* text, const char*, UINT) {
    printf("script error: %s\n", text);
    return IDOK;
  });
  CQuorvex_ScriptFile file;
  CScriptVariables variables;
  CQuorvex_Script script(&file, &variables);
  printf("%-9s %7s %5s %12s %12s %10s %8s\n", "built-in", "wait", "runs", "median err", "worst err", "mean ms",
         "target");
  for (const char* name : {"WAIT", "WAITLONG", "DELAY"}) {
    for (int wait : {10, 100, 1000}) {
      int count = wait == 10 ? runs : wait == 100 ? std::max(runs / 4, 5) : std::max(runs / 20, 5);
      std::string line = std::string(name) + "(" + std::to_string(wait) + ")";
      std::vector<double> errors;
      double total = 0;
      for (int i = 0; i < count; ++i) {
        double elapsed = RunOnce(script, file, line);
        total += elapsed;
        errors.push_back(elapsed - wait);
      }
      std::vector<double> sorted = errors;
      std::sort(sorted.begin(), sorted.end());
      double worst = 0;
      for (double e : errors)
        if (std::fabs(e) > std::fabs(worst)) worst = e;
      double median = sorted[sorted.size() / 2];
      printf("%-9s %5dms %5d %+10.3fms %+10.3fms %10.3f", name, wait, count, median, worst, total / count);
      // DELAY ends with the same precise last stretch as WAIT: half a millisecond either way.
      if (std::string(name) == "DELAY") printf(" %7.1fms %s", 0.5, std::fabs(median) <= 0.5 ? "met" : "MISSED");
      printf("\n");
    }
  }
  return 0;
}
