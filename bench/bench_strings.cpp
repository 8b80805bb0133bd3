// Cost of building a string by appending to it ($s = $s & "x") through the real run loop, beside
// the same loop in python3, and the memory an array element takes.
//
// ./scripts/bench.sh bench_strings   (the script runs bench_strings.py first and hands its figures
// on as "--python a1_10000=ns,...,element=bytes")
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "framework/msgbox.h"
#include "script/interpreter.h"
#include "bench/bench_common.h"

namespace {

// A run whose estimate passes this is skipped: the string grows quadratically on some builds.
constexpr double kLongestRunSeconds = 120;

std::map<std::string, double> g_python;

double Python(const std::string& key) {
  auto found = g_python.find(key);
  return found == g_python.end() ? 0 : found->second;
}

// Runs a script to its end; the seconds it took, or -1 when it did not prepare.
double Run(const std::string& text, CScriptVariables& variables) {
  CQuorvex_ScriptFile file;
  CQuorvex_Script script(&file, &variables);
  Load(file, text);
  if (script.PrepareScript("bench.txt")) return -1;
  LARGE_INTEGER begin, finish;
  QueryPerformanceCounter(&begin);
  script.Execute(1, 1);
  QueryPerformanceCounter(&finish);
  return Seconds(begin, finish);
}

std::string AppendScript(long n, const std::string& tail) {
  return "$s = \"\"\nFor $i = 1 To " + std::to_string(n) + "\n$s = $s & \"" + tail + "\"\nNext\n";
}

// Appends `n` times and prints the time per append; returns the nanoseconds per append, or 0
// when the run was skipped.
double Appends(const char* label, const std::string& key, long n, const std::string& tail, double previousNs,
               long previousN) {
  // Estimated as if each append cost grows with the length, so a quadratic build is not started
  // for minutes.
  if (previousNs > 0 && previousN > 0) {
    double estimate = previousNs * 1e-9 * n * (double(n) / previousN);
    if (estimate > kLongestRunSeconds) {
      printf("%-16s %9ld %9s %12s %12.1f %9s   skipped: about %.0f s\n", label, n, "-", "-", Python(key), "-",
             estimate);
      return 0;
    }
  }
  CScriptVariables variables;
  double seconds = Run(AppendScript(n, tail), variables);
  CScriptValue* s = nullptr;
  bool complete = variables.GetRef("S", s, SCOPE_ANY) &&
                  s->GetStringLength() == static_cast<long long>(n) * static_cast<long long>(tail.size());
  double ns = seconds * 1e9 / n;
  char ratio[32] = "-";
  if (Python(key) > 0) snprintf(ratio, sizeof ratio, "%.1f", ns / Python(key));
  printf("%-16s %9ld %9.3f %12.1f %12.1f %9s%s\n", label, n, seconds, ns, Python(key), ratio,
         complete ? "" : "   wrong length");
  return ns;
}

void LoopOnly(long n) {
  CScriptVariables variables;
  double seconds = Run("For $i = 1 To " + std::to_string(n) + "\nNext\n", variables);
  printf("%-16s %9ld %9.3f %12.1f %12s %9s\n", "loop alone", n, seconds, seconds * 1e9 / n, "-", "-");
}

// Private bytes per element of a fresh array, and after every element was given a number.
void ArrayMemory(long n) {
  CScriptVariables variables;
  long long before = PrivateBytes();
  Run("Dim $a[" + std::to_string(n) + "]\n", variables);
  long long declared = PrivateBytes();
  Run("For $i = 0 To " + std::to_string(n - 1) + "\n$a[$i] = $i\nNext\n", variables);
  long long filled = PrivateBytes();
  printf("\n%-36s %9s %12s %12s\n", "array memory", "elements", "bytes/elem", "python");
  printf("%-36s %9ld %12.1f %12s\n", "Dim $a[n]", n, double(declared - before) / n, "-");
  double python = Python("element");
  char pythonText[32] = "-";
  if (python > 0) snprintf(pythonText, sizeof pythonText, "%.1f", python);
  printf("%-36s %9ld %12.1f %12s\n", "Dim $a[n], every $a[$i] = $i", n, double(filled - before) / n, pythonText);
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (strcmp(argv[i], "--python") != 0) continue;
    ReadPythonFigures(argv[++i], g_python);
  }
  SetMessageBoxSink([](HWND, const char* text, const char*, UINT) {
    printf("script error: %s\n", text);
    return IDOK;
  });
  printf("%-16s %9s %9s %12s %12s %9s\n", "append", "appends", "seconds", "ns/append", "python ns", "ours/py");
  double ns10k = Appends("1 char", "a1_10000", 10000, "x", 0, 0);
  double ns100k = Appends("1 char", "a1_100000", 100000, "x", ns10k, 10000);
  double ns1m = Appends("1 char", "a1_1000000", 1000000, "x", ns100k, 100000);
  double ns10 = Appends("10 chars", "a10_30000", 30000, "0123456789", 0, 0);
  Appends("10 chars", "a10_300000", 300000, "0123456789", ns10, 30000);
  LoopOnly(1000000);
  if (ns10k > 0 && ns1m > 0) printf("per-append cost, 1M against 10k: %.2fx\n", ns1m / ns10k);
  ArrayMemory(1000000);
  return 0;
}
