// Speed of the run loop: the While, For and GOTO loops through the real line store, preparation
// and run loop beside the same loops in python3, and how soon the end hotkey stops a tight loop.
// The other rows time user-function calls, Select and If chains, string and math built-ins and an
// array read, each inside a While loop (fib(25) per call).
//
// ./scripts/bench.sh bench_runloop [iterations] [stops] [--runs n] [--only key]   (defaults 1000000,
// 20 and the best of 3 runs; the script runs bench_runloop.py first and hands its figures on as
// "--python while=ns,for=ns,...")
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/msgbox.h"
#include "script/interpreter.h"
#include "bench/bench_common.h"

namespace {

struct Loop {
  const char* name;
  std::string text;
  double pythonNs;  // python3's nanoseconds per iteration; 0 when not measured
};

std::string N(long n) { return std::to_string(n); }

// A While loop of n turns around `body` (lines that end in "\n"), after `setup`.
std::string Counted(long n, const std::string& setup, const std::string& body) {
  return setup + "$i = 0\nWhile $i < " + N(n) + "\n" + body + "$i = $i + 1\nWend\n";
}

std::string WhileScript(long n) { return Counted(n, "", ""); }
std::string ForScript(long n) { return "$s = 0\nFor $i = 1 To " + N(n) + "\n$s = $s + 1\nNext\n"; }
std::string GotoScript(long n) { return "$i = 0\nTAG $top\n$i = $i + 1\nIf $i < " + N(n) + " Then GOTO $top\n"; }
std::string CallScript(long n) {
  return Counted(n, "Func Add2($a, $b)\nReturn $a + $b\nEndFunc\n$s = 0\n", "$s = Add2($s, 1)\n");
}
// fib(25) makes 242785 calls: the figure is per call, whatever the iteration count.
constexpr long kFibCalls = 242785;
std::string FibScript(long) {
  return "Func Fib($n)\nIf $n < 2 Then Return $n\nReturn Fib($n - 1) + Fib($n - 2)\nEndFunc\n$r = Fib(25)\n";
}
// Five branches taken in turn.
std::string SelectScript(long n) {
  return Counted(n, "$k = 0\n",
                 "Select\nCase $k = 0\n$k = 1\nCase $k = 1\n$k = 2\nCase $k = 2\n$k = 3\nCase $k = 3\n$k = 4\n"
                 "Case Else\n$k = 0\nEndSelect\n");
}
std::string IfScript(long n) {
  return Counted(n, "$k = 0\n",
                 "If $k = 0 Then\n$k = 1\nElseIf $k = 1 Then\n$k = 2\nElseIf $k = 2 Then\n$k = 3\n"
                 "ElseIf $k = 3 Then\n$k = 4\nElse\n$k = 0\nEndIf\n");
}
std::string StringLenScript(long n) {
  return Counted(n, "$t = \"The quick brown fox jumps over the lazy dog\"\n", "$l = StringLen($t)\n");
}
std::string StringReplaceScript(long n) {
  return Counted(n, "$t = \"The quick brown fox jumps over the lazy dog\"\n", "$r = StringReplace($t, \"o\", \"0\")\n");
}
std::string ModScript(long n) { return Counted(n, "", "$m = Mod($i, 7) + BitAND($i, 255)\n"); }
std::string ArrayScript(long n) {
  return Counted(n, "Dim $a[100]\n$a[50] = 7\n$s = 0\n", "$s = $a[50]\n");
}

// The best of `runs` runs: on a shared machine the fastest run is the one least disturbed.
void RunLoop(const Loop& loop, long turns, int runs) {
  CQuorvex_ScriptFile file;
  CScriptVariables variables;
  CQuorvex_Script script(&file, &variables);
  Load(file, loop.text);
  if (script.PrepareScript("bench.txt")) return;
  CQuorvex_Script::RunLoopStats best;
  double seconds = 0;
  long long growth = 0;
  for (int run = 0; run < runs; ++run) {
    CQuorvex_Script::RunLoopStats stats;
    script.Stats = &stats;
    long long memoryBefore = PrivateBytes();
    LARGE_INTEGER begin, finish;
    QueryPerformanceCounter(&begin);
    script.Execute(1, 1);
    QueryPerformanceCounter(&finish);
    double took = Seconds(begin, finish);
    if (run == 0 || took < seconds) {
      seconds = took;
      best = stats;
      growth = (PrivateBytes() - memoryBefore) / 1024;
    }
  }
  script.Stats = nullptr;
  double ns = seconds * 1e9 / turns;
  char ratio[32] = "-";
  if (loop.pythonNs > 0) snprintf(ratio, sizeof ratio, "%.1f", ns / loop.pythonNs);
  LARGE_INTEGER zero = {};
  LARGE_INTEGER drained;
  drained.QuadPart = best.drainTicks;
  printf("%-13s %10ld %11lld %8.2f %12.0f %10.1f %10.1f %9s %9lld %7.1f%% %8lld\n", loop.name, turns, best.lines,
         seconds, best.lines / seconds, ns, loop.pythonNs, ratio, best.drains, 100 * Seconds(zero, drained) / seconds,
         growth);
}

// Stop latency: a hotkey of this thread's window sets the stop flag, as the shell's end hotkey
// does; another thread presses it while the script spins in a tight loop.
CQuorvex_Script* g_script = nullptr;
LARGE_INTEGER g_pressed, g_handled;
constexpr int kEndKey = 0x7A;  // F11, with Ctrl + Alt

LRESULT CALLBACK HotkeyProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_HOTKEY && g_script) {
    QueryPerformanceCounter(&g_handled);
    g_script->StopRun = 1;
    return 0;
  }
  return DefWindowProcA(hwnd, message, w, l);
}

DWORD WINAPI PressLater(void* viaPost) {
  Sleep(100 + rand() % 100);
  QueryPerformanceCounter(&g_pressed);
  if (viaPost) {
    PostMessageA(static_cast<HWND>(viaPost), WM_HOTKEY, 1, 0);
    return 0;
  }
  keybd_event(VK_CONTROL, 0, 0, 0);
  keybd_event(VK_MENU, 0, 0, 0);
  keybd_event(kEndKey, 0, 0, 0);
  keybd_event(kEndKey, 0, KEYEVENTF_KEYUP, 0);
  keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
  keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
  return 0;
}

void StopLatency(int stops) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = HotkeyProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "PindrelBenchStop";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
  bool hotkey = RegisterHotKey(hwnd, 1, MOD_CONTROL | MOD_ALT, kEndKey) != 0;
  CQuorvex_ScriptFile file;
  CScriptVariables variables;
  CQuorvex_Script script(&file, &variables);
  Load(file, "$i = 0\nWhile 1\n$i = $i + 1\nWend\n");
  if (script.PrepareScript("bench.txt")) return;
  g_script = &script;
  printf("\n%-24s %5s %12s %12s %12s\n", "stop latency", "runs", "median ms", "worst ms", "handled ms");
  for (int pass = 0; pass < 2; ++pass) {
    bool viaPost = pass == 1 || !hotkey;
    std::vector<double> stop, handled;
    for (int i = 0; i < stops; ++i) {
      script.StopRun = 0;
      g_pressed.QuadPart = g_handled.QuadPart = 0;
      HANDLE thread = CreateThread(nullptr, 0, PressLater, viaPost ? hwnd : nullptr, 0, nullptr);
      DWORD started = GetTickCount();
      // The loop ends on the stop; a key that never arrives ends it after 3 s.
      UINT_PTR guard = SetTimer(hwnd, 2, 3000, nullptr);
      script.Execute(1, 1);
      LARGE_INTEGER finished;
      QueryPerformanceCounter(&finished);
      KillTimer(hwnd, guard);
      WaitForSingleObject(thread, INFINITE);
      CloseHandle(thread);
      if (!g_handled.QuadPart || GetTickCount() - started > 3000) continue;
      stop.push_back(Seconds(g_pressed, finished) * 1000);
      handled.push_back(Seconds(g_pressed, g_handled) * 1000);
    }
    if (stop.empty()) {
      printf("%-24s %5d %12s\n", viaPost ? "posted WM_HOTKEY" : "end hotkey (keybd_event)", 0, "no stop");
      continue;
    }
    std::vector<double> sorted = stop;
    std::sort(sorted.begin(), sorted.end());
    std::sort(handled.begin(), handled.end());
    printf("%-24s %5d %12.3f %12.3f %12.3f\n", viaPost ? "posted WM_HOTKEY" : "end hotkey (keybd_event)",
           static_cast<int>(stop.size()), sorted[sorted.size() / 2], sorted.back(), handled[handled.size() / 2]);
  }
  g_script = nullptr;
  if (hotkey) UnregisterHotKey(hwnd, 1);
  DestroyWindow(hwnd);
}

}  // namespace

int main(int argc, char** argv) {
  long iterations = 1000000;
  int stops = 20;
  std::string python;  // "key=ns,key=ns,..." from bench_runloop.py
  const char* only = nullptr;  // one loop by its key (for a profile)
  int runs = 3;
  int plain = 0;
  for (int i = 1; i < argc; ++i) {
    if (!strcmp(argv[i], "--python") && i + 1 < argc) {
      python = std::string(",") + argv[++i];
    } else if (!strcmp(argv[i], "--only") && i + 1 < argc) {
      only = argv[++i];
    } else if (!strcmp(argv[i], "--runs") && i + 1 < argc) {
      runs = atoi(argv[++i]) > 0 ? atoi(argv[i]) : 1;
    } else if (plain++ == 0) {
      iterations = atol(argv[i]);
    } else {
      stops = atoi(argv[i]);
    }
  }
  auto pythonNs = [&python](const char* key) {
    size_t at = python.find("," + std::string(key) + "=");
    return at == std::string::npos ? 0.0 : atof(python.c_str() + at + strlen(key) + 2);
  };
  SetMessageBoxSink([](HWND, const char* text, const char*, UINT) {
    printf("script error: %s\n", text);
    return IDOK;
  });
  struct Row {
    const char* name;
    const char* key;  // in the python figures
    std::string (*script)(long);
  };
  const Row rows[] = {
      {"While", "while", WhileScript},        {"For", "for", ForScript},
      {"GOTO", "goto", GotoScript},           {"Call 2 args", "call", CallScript},
      {"fib(25)/call", "fib", FibScript},     {"Select 5", "select", SelectScript},
      {"If/ElseIf 5", "if", IfScript},        {"StringLen", "strlen", StringLenScript},
      {"StringReplace", "replace", StringReplaceScript}, {"Mod+BitAND", "modbit", ModScript},
      {"array read", "array", ArrayScript},
  };
  printf("%-13s %10s %11s %8s %12s %10s %10s %9s %9s %8s %8s\n", "loop", "iterations", "lines", "seconds", "lines/s",
         "ns/iter", "python ns", "ours/py", "drains", "drained", "mem KB");
  for (const Row& row : rows) {
    bool fib = row.script == FibScript;
    if (only && strcmp(only, row.key) != 0) continue;
    RunLoop({row.name, row.script(iterations), pythonNs(row.key)}, fib ? kFibCalls : iterations, runs);
  }
  if (stops > 0) StopLatency(stops);
  return 0;
}
