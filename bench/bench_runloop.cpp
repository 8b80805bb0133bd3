// Lines per second through the real line store, preparation and run loop, and the share of the
// time spent draining the message queue before each line.
//
// bench_runloop.exe [passes]   (run under Wine by hand)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/msgbox.h"
#include "script/interpreter.h"

namespace {

// A counting loop with a user-function call, a block If and a GOTO back to its TAG.
std::string LoopScript(int passes) {
  return "Func Twice($v)\n"
         "  Return $v * 2\n"
         "EndFunc\n"
         "$n = 0\n"
         "$sum = 0\n"
         "TAG $loop\n"
         "While 1\n"
         "  $n = $n + 1\n"
         "  $sum = $sum + Twice($n)\n"
         "  If $n < " +
         std::to_string(passes) +
         " Then\n"
         "    GOTO $loop\n"
         "  EndIf\n"
         "  ExitLoop\n"
         "Wend\n";
}

// A plain For loop: the same work without GOTO.
std::string ForScript(int passes) {
  return "$sum = 0\n"
         "For $i = 1 To " +
         std::to_string(passes) +
         "\n"
         "  $sum = $sum + $i * 2\n"
         "Next\n";
}

void Run(const char* name, const std::string& text) {
  CQuorvex_ScriptFile file;
  CScriptVariables variables;
  CQuorvex_Script script(&file, &variables);
  int n = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) file.AddLine(++n, text.substr(start, end - start).c_str(), -1);
    start = end + 1;
  }
  file.BuildLineArray();
  if (script.PrepareScript("bench.txt")) return;
  CQuorvex_Script::RunLoopStats stats;
  script.Stats = &stats;
  LARGE_INTEGER frequency, begin, finish;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&begin);
  script.Execute(1, 1);
  QueryPerformanceCounter(&finish);
  double seconds = double(finish.QuadPart - begin.QuadPart) / frequency.QuadPart;
  double drainSeconds = double(stats.drainTicks) / frequency.QuadPart;
  printf("%-6s %9lld lines %8.2f s %10.0f lines/s | %9lld drains %7.2f s (%4.1f%%) %6.1f us each\n", name,
         stats.lines, seconds, stats.lines / seconds, stats.drains, drainSeconds, 100 * drainSeconds / seconds,
         1e6 * drainSeconds / (stats.drains ? stats.drains : 1));
}

}  // namespace

int main(int argc, char** argv) {
  int passes = argc > 1 ? atoi(argv[1]) : 100000;
  SetMessageBoxSink([](HWND, const char* text, const char*, UINT) {
    printf("script error: %s\n", text);
    return IDOK;
  });
  Run("goto", LoopScript(passes));
  Run("for", ForScript(passes));
  return 0;
}
