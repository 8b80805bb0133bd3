// How soon a stop request that arrives through the message queue (as the end hotkey does) ends a
// long-running built-in, and how long a deeply nested line takes to run or to be refused.
//
// bench_stop_latency.exe [repeats]   (run under Wine by hand: scripts/bench.sh bench_stop_latency)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/msgbox.h"
#include "script/interpreter.h"
#include "tests/support/input_recorder.h"
#include "tests/support/test_support.h"

using testing_support::NestedText;

namespace {

CQuorvex_Script* g_script = nullptr;
bool g_stopped = false;

void CALLBACK Stop(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_stopped = true;
  g_script->StopRun = 1;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return (to.QuadPart - from.QuadPart) * 1000.0 / frequency.QuadPart;
}

// Runs one line; with `stopAfterMs` a stop request is queued after that long. The time from the
// moment the request was due (or from the start, when the line ended first) to the end of the
// run: the request waits in the queue until the built-in drains it.
double RunLine(const std::string& line, UINT stopAfterMs) {
  CQuorvex_ScriptFile file;
  CScriptVariables variables;
  CQuorvex_Script script(&file, &variables);
  file.AddLine(1, line.c_str(), -1);
  file.BuildLineArray();
  if (script.PrepareScript("bench.txt")) return -1;
  g_script = &script;
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  g_stopped = false;
  UINT_PTR timer = stopAfterMs ? SetTimer(nullptr, 0, stopAfterMs, Stop) : 0;
  script.Execute(1, 1);
  QueryPerformanceCounter(&end);
  if (timer) KillTimer(nullptr, timer);
  g_script = nullptr;
  double total = Milliseconds(start, end);
  return g_stopped ? total - stopAfterMs : total;
}

}  // namespace

int main(int argc, char** argv) {
  int repeats = argc > 1 ? atoi(argv[1]) : 5;
  if (repeats < 1) repeats = 1;
  SetMessageBoxSink([](HWND, const char*, const char*, UINT) { return IDOK; });
  testing_support::MutedInput input;  // nothing reaches the system; delays wait as in a run

  std::printf("stop latency after a queued stop request (ms, worst of %d):\n", repeats);
  const char* lines[] = {
      "Send(\"{a 2147483647}\")",
      "MouseClick(\"left\", 2147483647)",
      "MouseDoubleClick(\"left\", 2147483647)",
      "MouseWheel(\"up\", 2147483647)",
      "KeySend(\"\", \"\", \"\", \"a\", 2147483647)",
      "Wait(2147483647)",
      "PixelChecksum(-2147483648, -2147483648, 2147483647, 2147483647)",
  };
  for (const char* line : lines) {
    double worst = 0;
    for (int i = 0; i < repeats; ++i) {
      double ms = RunLine(line, 300);
      if (ms > worst) worst = ms;
    }
    std::printf("  %-70s %8.1f\n", line, worst);
  }

  std::printf("deeply nested lines (ms to run or refuse):\n");
  struct Nested {
    const char* name;
    std::string line;
  } nested[] = {
      {"10,000 nested single-line Ifs", NestedText("If 1 Then ", "$x = 1", "", 10000)},
      {"100,000 nested single-line Ifs", NestedText("If 1 Then ", "$x = 1", "", 100000)},
      {"27,000 nested subscripts (refused)", "Dim $a[2], $x = " + NestedText("$a[", "0", "]", 27000)},
      {"30,000 nested calls (refused)", "$x = " + NestedText("Abs(", "1", ")", 30000)},
  };
  for (const Nested& n : nested) {
    double worst = 0;
    for (int i = 0; i < repeats; ++i) {
      double ms = RunLine(n.line, 0);
      if (ms > worst) worst = ms;
    }
    std::printf("  %-70s %8.1f\n", n.name, worst);
  }
  return 0;
}
