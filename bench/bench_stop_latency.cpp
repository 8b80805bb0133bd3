// How soon a stop request that arrives through the message queue (as the end hotkey does) ends a
// long-running built-in, and how long a deeply nested line takes to run or to be refused.
//
// bench_stop_latency.exe [repeats]   (run under Wine by hand: scripts/bench.sh bench_stop_latency)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_common.h"
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

// Runs the script; with `stopAfterMs` a stop request is queued after that long. The time from the
// moment the request was due (or from the start, when the line ended first) to the end of the
// run: the request waits in the queue until the built-in drains it.
double RunScript(const std::string& text, UINT stopAfterMs) {
  CQuorvex_ScriptFile file;
  CScriptVariables variables;
  CQuorvex_Script script(&file, &variables);
  Load(file, text);
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

double RunLine(const std::string& line, UINT stopAfterMs) { return RunScript(line + "\n", stopAfterMs); }

// A text of 1,310,720 characters, and a loop that runs 600 fast lines and then 16 slow ones
// (StringReplace over the whole text) in turn: the slow lines come when the loop has long been
// looking at the clock seldom.
const char kBigText[] = "$b = \"0123456789\"\nFor $k = 1 To 17\n$b = $b & $b\nNext\n";
std::string SlowLinesScript() {
  std::string text = kBigText;
  text += "While 1\nFor $j = 1 To 300\nNext\n";
  for (int i = 0; i < 16; ++i) text += "$r = StringReplace($b, \"1\", \"2\")\n";
  return text + "Wend\n";
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

  // A stop that comes while slow lines run waits for the line in progress, and should wait for
  // that line only: the worst latency less one line's time is what the run loop added.
  {
    double line = 0;
    for (int i = 0; i < repeats; ++i) {
      double whole = RunScript(kBigText + std::string("$r = StringReplace($b, \"1\", \"2\")\n"), 0);
      double setup = RunScript(kBigText, 0);
      if (whole - setup > line) line = whole - setup;
    }
    double worst = 0;
    for (int i = 0; i < repeats * 4; ++i) {
      double ms = RunScript(SlowLinesScript(), 300 + 7 * i);
      if (ms > worst) worst = ms;
    }
    std::printf("  %-70s %8.1f\n", "slow lines (StringReplace over 1.3 MB, 600 fast lines between)", worst);
    std::printf("  %-70s %8.1f\n", "  one slow line takes", line);
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
