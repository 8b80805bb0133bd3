// Cost of whole-array reads and of growing an array by one, through the real run loop, beside
// the same work in python3: a While loop bounded by UBound, ReDim by one with UBound, and a large
// array passed by value to a function that reads one element.
//
// ./scripts/bench.sh bench_arrays [--limit seconds]   (the script runs bench_arrays.py first and
// hands its figures on as "--python ubound_2000=ns,..."; a larger run whose estimate, were each
// step's cost to grow with the size, passes the limit (default 60 s) is skipped)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "framework/msgbox.h"
#include "script/interpreter.h"
#include "bench/bench_common.h"

namespace {

std::map<std::string, double> g_python;
double g_limitSeconds = 60;

double Python(const std::string& key) {
  auto found = g_python.find(key);
  return found == g_python.end() ? 0 : found->second;
}

std::string N(long n) { return std::to_string(n); }

// The seconds a timed run took and the share of them the run loop spent draining the message
// queue (once a millisecond: dearer on a busy machine, whose window server answers late).
struct Timing {
  double seconds = -1;
  double drained = 0;
};

// Runs a script to its end in `variables`, `runs` times; the fastest run, the one least
// disturbed on a shared machine.
Timing Run(const std::string& text, CScriptVariables& variables, int runs = 1) {
  CQuorvex_ScriptFile file;
  CQuorvex_Script script(&file, &variables);
  Load(file, text);
  Timing best;
  if (script.PrepareScript("bench.txt")) return best;
  for (int run = 0; run < runs; ++run) {
    CQuorvex_Script::RunLoopStats stats;
    script.Stats = &stats;
    LARGE_INTEGER begin, finish;
    QueryPerformanceCounter(&begin);
    script.Execute(1, 1);
    QueryPerformanceCounter(&finish);
    double seconds = Seconds(begin, finish);
    if (best.seconds < 0 || seconds < best.seconds) {
      LARGE_INTEGER zero = {}, drained;
      drained.QuadPart = stats.drainTicks;
      best.seconds = seconds;
      best.drained = Seconds(zero, drained) / seconds;
    }
  }
  script.Stats = nullptr;
  return best;
}

double Number(CScriptVariables& variables, const char* name) {
  CScriptValue* value = nullptr;
  return variables.GetRef(name, value, SCOPE_ANY) ? value->GetNumber() : -1;
}

// One row: the time per step, beside python's, and whether the script got the right answer.
void Print(const char* label, const std::string& key, long steps, const Timing& timing, bool right) {
  double ns = timing.seconds * 1e9 / steps;
  char ratio[32] = "-";
  if (Python(key) > 0) snprintf(ratio, sizeof ratio, "%.1f", ns / Python(key));
  printf("%-30s %9ld %9.3f %12.1f %12.1f %9s %7.1f%% %12.1f%s\n", label, steps, timing.seconds, ns, Python(key), ratio,
         100 * timing.drained, ns * (1 - timing.drained), right ? "" : "   wrong result");
}

// True (and a row saying so) when a run of n steps, after one of `previousN` steps that took
// `previousNs` per step, would take longer than the limit if each step's cost grew with n.
bool Skipped(const char* label, const std::string& key, long n, double previousNs, long previousN) {
  double estimate = previousNs * 1e-9 * n * (double(n) / previousN);
  if (previousNs <= 0 || estimate <= g_limitSeconds) return false;
  printf("%-30s %9ld %9s %12s %12.1f %9s %8s %12s   skipped: about %.0f s\n", label, n, "-", "-", Python(key), "-", "-", "-",
         estimate);
  return true;
}

// While $i < UBound($a): sums the elements 0 .. n-1 (filled beforehand, not timed).
double UBoundLoop(long n, double previousNs = 0, long previousN = 0) {
  if (Skipped(("While $i < UBound($a), " + N(n)).c_str(), "ubound_" + N(n), n, previousNs, previousN)) return 0;
  CScriptVariables variables;
  Run("Dim $a[" + N(n) + "]\nFor $i = 0 To " + N(n - 1) + "\n$a[$i] = $i\nNext\n", variables);
  Timing timing = Run("$s = 0\n$i = 0\nWhile $i < UBound($a)\n$s = $s + $a[$i]\n$i = $i + 1\nWend\n", variables, 3);
  bool right = Number(variables, "S") == double(n) * (n - 1) / 2;
  Print(("While $i < UBound($a), " + N(n)).c_str(), "ubound_" + N(n), n, timing, right);
  return timing.seconds * 1e9 / n;
}

// Grows an array by one n times, with ReDim and UBound, writing each new last element.
double GrowByOne(long n, double previousNs = 0, long previousN = 0) {
  if (Skipped(("ReDim by one with UBound, " + N(n)).c_str(), "grow_" + N(n), n, previousNs, previousN)) return 0;
  CScriptVariables variables;
  Timing timing = Run("Dim $a[1]\n$n = 0\nWhile $n < " + N(n) +
                           "\nReDim $a[UBound($a) + 1]\n$a[UBound($a) - 1] = $n\n$n = $n + 1\nWend\n"
                           "$s = UBound($a) + $a[" + N(n) + "]\n",
                      variables, 3);
  bool right = Number(variables, "S") == double(n) + 1 + (n - 1);
  Print(("ReDim by one with UBound, " + N(n)).c_str(), "grow_" + N(n), n, timing, right);
  return timing.seconds * 1e9 / n;
}

// An array of n elements passed by value `calls` times to a function that reads one element.
void PassByValue(long n, long calls) {
  CScriptVariables variables;
  Run("Dim $a[" + N(n) + "]\n$a[0] = 1\n", variables);
  Timing timing = Run("Func First($v)\nReturn $v[0]\nEndFunc\n$s = 0\nFor $k = 1 To " + N(calls) +
                          "\n$s = $s + First($a)\nNext\n",
                      variables, 3);
  bool right = Number(variables, "S") == double(calls);
  Print(("pass " + N(n) + " by value (per call)").c_str(), "pass_" + N(n), calls, timing, right);
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (!strcmp(argv[i], "--limit")) g_limitSeconds = atof(argv[++i]);
    if (strcmp(argv[i], "--python") != 0) continue;
    ReadPythonFigures(argv[++i], g_python);
  }
  SetMessageBoxSink([](HWND, const char* text, const char*, UINT) {
    printf("script error: %s\n", text);
    return IDOK;
  });
  printf("%-30s %9s %9s %12s %12s %9s %8s %12s\n", "work", "steps", "seconds", "ns/step", "python ns", "ours/py", "drained",
         "undrained ns");
  double small = UBoundLoop(2000);
  double large = UBoundLoop(20000, small, 2000);
  if (large > 0) printf("per-step cost of the UBound loop, 20k against 2k: %.2fx\n", large / small);
  small = GrowByOne(4000);
  large = GrowByOne(20000, small, 4000);
  if (large > 0) printf("per-step cost of growing by one, 20k against 4k: %.2fx\n", large / small);
  PassByValue(1000000, 100);
  return 0;
}
