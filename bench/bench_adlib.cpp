// How exactly the adlib function keeps its period and DELAY its length when a script runs them
// through the real run loop: median and worst error of the gaps between adlib calls, and of
// DELAY(10), DELAY(100) and DELAY(1000).
//
// bench_adlib.exe [seconds of adlib per period]   (run under Wine by hand)
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/msgbox.h"
#include "script/interpreter.h"
#include "script/sysutil/sysutil.h"

namespace {

void Load(CQuorvex_Script& script, CQuorvex_ScriptFile& file, const std::string& text) {
  script.ClearScript();
  int n = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    file.AddLine(++n, text.substr(start, end - start).c_str(), -1);
    start = end + 1;
  }
  file.BuildLineArray();
}

void Report(const char* what, int target, std::vector<double> values) {
  if (values.empty()) {
    printf("%-14s %6dms  no samples\n", what, target);
    return;
  }
  double worst = 0, total = 0;
  for (double& v : values) {
    v -= target;
    total += v;
    if (std::fabs(v) > std::fabs(worst)) worst = v;
  }
  std::sort(values.begin(), values.end());
  printf("%-14s %6dms %6zu %+10.3fms %+10.3fms %+10.3fms\n", what, target, values.size(), values[values.size() / 2],
         worst, total / values.size());
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = argc > 1 ? atoi(argv[1]) : 3;
  SetMessageBoxSink([](HWND, const char* text, const char*, UINT) {
    printf("script error: %s\n", text);
    return IDOK;
  });
  CQuorvex_ScriptFile file;
  CScriptVariables variables;
  CQuorvex_Script script(&file, &variables);
  printf("%-14s %8s %6s %12s %12s %12s\n", "what", "target", "count", "median err", "worst err", "mean err");
  for (int period : {10, 50, 250}) {
    int gaps = seconds * 1000 / period;
    Load(script, file,
         "Global $n = 0, $last = TimerInit()\n"
         "Dim $gaps[" + std::to_string(gaps + 1) + "]\n"
         "AdlibEnable(\"Tick\", " + std::to_string(period) + ")\n"
         "Delay(" + std::to_string(seconds * 1000) + ")\n"
         "Func Tick()\n"
         "  If $n <= " + std::to_string(gaps) + " Then\n"
         "    $gaps[$n] = TimerDiff($last)\n"
         "    $n = $n + 1\n"
         "  EndIf\n"
         "  $last = TimerInit()\n"
         "EndFunc\n");
    if (script.PrepareScript("bench.txt")) return 1;
    script.Execute(1, 1);
    CScriptValue* count = nullptr;
    CScriptValue* array = nullptr;
    std::vector<double> values;
    if (variables.GetRef("N", count, SCOPE_GLOBAL) && variables.GetRef("GAPS", array, SCOPE_GLOBAL)) {
      // The first gap starts at the script's start, not at a call.
      for (int i = 1; i < count->GetInt(); ++i) values.push_back(GetArrayElement1D(*array, i)->GetNumber());
    }
    Report("adlib period", period, values);
  }
  for (int wait : {10, 100, 1000}) {
    int runs = wait == 1000 ? 5 : 30;
    Load(script, file, "$t = TimerInit()\nDelay(" + std::to_string(wait) + ")\n$d = TimerDiff($t)\n");
    if (script.PrepareScript("bench.txt")) return 1;
    std::vector<double> values;
    for (int i = 0; i < runs; ++i) {
      script.Execute(1, 1);
      CScriptValue* d = nullptr;
      if (variables.GetRef("D", d, SCOPE_GLOBAL)) values.push_back(d->GetNumber());
    }
    Report("DELAY", wait, values);
  }
  return 0;
}
