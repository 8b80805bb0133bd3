// Timers, the adlib function, script hotkeys and DELAY; and the end of a run, which takes the
// script's hotkeys and adlib function away.
#include "script/interpreter.h"

#include <mmsystem.h>

namespace {

// MOD_* bits of a hotkey's key code.
UINT HotKeyModifiers(bool shift, bool ctrl, bool alt, bool win) {
  return (alt ? MOD_ALT : 0) | (ctrl ? MOD_CONTROL : 0) | (shift ? MOD_SHIFT : 0) | (win ? MOD_WIN : 0);
}

}  // namespace

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
int CQuorvex_Script::F_Delay(CValueList& args, CScriptValue&) {
  int ms = args.GetAt(0).GetInt();
  if (ms <= 0) {
    Sleep(0);
    return 0;
  }
  return RunWait(WAIT_DELAY, static_cast<DWORD>(ms));
}

// HOTKEYSET(key [, function]): sets, re-targets or (without a function) removes a script hotkey.
int CQuorvex_Script::F_HotKeySet(CValueList& args, CScriptValue& result) {
  const bool withFunction = args.GetCount() > 1;
  const char* function = withFunction ? args.GetAt(1).GetString() : "";
  if (withFunction) {
    int funcLine, paramCount, endFuncLine;
    if (!FindUserFunction(function, funcLine, paramCount, endFuncLine)) return FatalError("Unknown function name.");
  }
  int vk;
  bool shift, ctrl, alt, win;
  if (!CSendKeys::ParseHotkey(args.GetAt(0).GetString(), vk, shift, ctrl, alt, win)) {
    result.SetInt(0);
    return 0;
  }
  const UINT modifiers = HotKeyModifiers(shift, ctrl, alt, win);
  const UINT keyCode = static_cast<UINT>(vk) << 16 | modifiers;

  for (int i = 0; i < kHotKeySlots; ++i) {
    if (!HotKeys[i] || HotKeys[i]->keyCode != keyCode) continue;
    if (withFunction) {
      HotKeys[i]->function = function;
    } else {
      UnregisterHotKey(nullptr, i);
      HotKeys[i].reset();
    }
    return 0;
  }
  result.SetInt(0);
  if (!withFunction) return 0;
  for (int i = 0; i < kHotKeySlots; ++i) {
    if (HotKeys[i]) continue;
    // Registered for this thread: the run loop takes the WM_HOTKEY from the queue.
    if (!RegisterHotKey(nullptr, i, modifiers, static_cast<UINT>(vk))) return 0;
    HotKeys[i] = std::make_unique<CScriptHotkey>();
    HotKeys[i]->keyCode = keyCode;
    HotKeys[i]->function = function;
    result.SetInt(1);
    return 0;
  }
  return 0;
}

void CQuorvex_Script::ClearScriptEvents() {
  // Whatever ended the run: no hotkey or adlib function of this robot acts in the next run.
  for (int i = 0; i < kHotKeySlots; ++i) {
    if (!HotKeys[i]) continue;
    UnregisterHotKey(nullptr, i);
    HotKeys[i].reset();
  }
  // A press still in the thread's queue is drained by the next run's first line, before that
  // run can set any hotkey: it finds no slot and is dropped.
  hotKeyRead_ = hotKeyWrite_ = 0;
  AdlibOn = 0;
}
