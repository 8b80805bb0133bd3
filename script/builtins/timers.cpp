// Timers, the adlib function and DELAY.
#include "script/interpreter.h"

#include <mmsystem.h>

// ADLIBENABLE(function [, period]): runs the function between lines every period ms (250 when
// absent or below 1).
int CQuorvex_Script::F_AdlibEnable(CValueList& args, CScriptValue&) {
  AdlibOn = 0;
  int funcLine, paramCount, endFuncLine;
  const char* name = args.GetAt(0).GetString();
  if (!FindUserFunction(name, funcLine, paramCount, endFuncLine)) return FatalError("Unknown function name.");
  AdlibFunction = name;
  AdlibLastTime = timeGetTime();
  int period = args.GetCount() > 1 ? args.GetAt(1).GetInt() : 0;
  AdlibPeriod = period < 1 ? 250 : static_cast<DWORD>(period);
  AdlibOn = 1;
  return 0;
}

int CQuorvex_Script::F_AdlibDisable(CValueList&, CScriptValue&) {
  AdlibOn = 0;
  return 0;
}

// TIMERINIT/TIMERSTART: the performance counter now.
int CQuorvex_Script::F_TimerInit(CValueList&, CScriptValue& result) {
  LARGE_INTEGER now;
  if (!QueryPerformanceCounter(&now)) return FatalError("Unable to access the CPU performance counter.");
  result.SetNumber(static_cast<double>(now.QuadPart));
  return 0;
}

// TIMERDIFF/TIMERSTOP(timestamp): milliseconds since the timestamp, with fraction.
int CQuorvex_Script::F_TimerDiff(CValueList& args, CScriptValue& result) {
  LARGE_INTEGER now, frequency;
  if (!QueryPerformanceCounter(&now) || !QueryPerformanceFrequency(&frequency) || frequency.QuadPart == 0)
    return FatalError("Unable to access the CPU performance counter.");
  double ticks = static_cast<double>(now.QuadPart) - args.GetAt(0).GetNumber();
  result.SetNumber(ticks / static_cast<double>(frequency.QuadPart) * 1000.0);
  return 0;
}

// DELAY(ms): a wait of the run loop, which keeps the queue drained and honours the stop flag.
int CQuorvex_Script::F_Delay(CValueList& args, CScriptValue& result) {
  int ms = args.GetAt(0).GetInt();
  if (ms <= 0) {
    Sleep(0);
    return 0;
  }
  CWait wait;
  wait.Timeout = static_cast<DWORD>(ms);
  return NestedWait(WAIT_DELAY, wait, result);  // a delay's result stays 1
}
