// How close PreciseDelay comes to the wait asked for: median and worst error of many waits.
//
// bench_precise_delay.exe [runs]   (run under Wine by hand)
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "script/sysutil/sysutil.h"

int main(int argc, char** argv) {
  int runs = argc > 1 ? atoi(argv[1]) : 200;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  printf("%8s %6s %12s %12s %12s\n", "wait ms", "runs", "median err", "worst err", "mean ms");
  for (int wait : {1, 5, 9, 10, 20, 100}) {
    int count = wait >= 100 ? std::max(runs / 10, 10) : runs;
    std::vector<double> errors;
    double total = 0;
    for (int i = 0; i < count; ++i) {
      LARGE_INTEGER start, end;
      QueryPerformanceCounter(&start);
      PreciseDelay(wait);
      QueryPerformanceCounter(&end);
      double elapsed = (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
      total += elapsed;
      errors.push_back(elapsed - wait);
    }
    std::vector<double> sorted = errors;
    std::sort(sorted.begin(), sorted.end());
    double median = sorted[sorted.size() / 2];
    double worst = 0;
    for (double e : errors)
      if (std::fabs(e) > std::fabs(worst)) worst = e;
    printf("%8d %6d %+11.3fms %+11.3fms %12.3f\n", wait, count, median, worst, total / count);
  }
  return 0;
}
