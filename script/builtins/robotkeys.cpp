// The robot's key and wait built-ins: KEYSEND, KEYDOWN, KEYUP, WAIT and WAITLONG.
#include "script/interpreter.h"

#include <mmsystem.h>

#include <cstdlib>

#include "robot/keynames.h"
#include "script/builtins/inputseam.h"
#include "script/builtins/robotkeys.h"
#include "script/builtins/runstop.h"
#include "script/sysutil/sysutil.h"

UINT g_WaitLongPartLimit = 0xFFFFFFFF;
MMRESULT(WINAPI* g_WaitLongSetTimer)(UINT, UINT, LPTIMECALLBACK, DWORD_PTR, UINT) = timeSetEvent;

namespace {

// Waits of this length or less are left out at the faster speeds.
constexpr int kShortWait = 200;

// The count of KEYSEND: the fifth argument's text; empty counts as 1, a missing argument as 0.
int KeyCount(const CValueList& args) {
  if (args.GetCount() < 5) return 0;
  const char* text = args.GetAt(4).GetString();
  if (!*text) return 1;
  long n = strtol(text, nullptr, 10);
  return n > 0x7FFFFFFFL ? 0x7FFFFFFF : static_cast<int>(n);
}

}  // namespace

// KEYSEND(title, text, control, key [, count]): presses and releases the key count times once
// the window and control exist; result 0 when they do not.
int CQuorvex_Script::F_KeySend(CValueList& args, CScriptValue& result) {
  if (!FindControl(args.GetAt(0).GetString(), args.GetAt(1).GetString(), args.GetAt(2).GetString())) {
    result.SetInt(0);
    return 0;
  }
  int count = KeyCount(args);
  int vk = KeyNameToCode(args.GetAt(3).GetString());
  for (int i = 0; i < count && !RunStopRequested(); ++i) SendKeys.PressKey(vk);
  return 0;
}

// KEYDOWN(title, text, control, key [, count]): one key press, no release and no delay.
int CQuorvex_Script::F_KeyDown(CValueList& args, CScriptValue& result) {
  if (!FindControl(args.GetAt(0).GetString(), args.GetAt(1).GetString(), args.GetAt(2).GetString())) {
    result.SetInt(0);
    return 0;
  }
  SendKeys.KeyDown(KeyNameToCode(args.GetAt(3).GetString()));
  return 0;
}

// KEYUP(title, text, control, key [, count]): one key release.
int CQuorvex_Script::F_KeyUp(CValueList& args, CScriptValue& result) {
  if (!FindControl(args.GetAt(0).GetString(), args.GetAt(1).GetString(), args.GetAt(2).GetString())) {
    result.SetInt(0);
    return 0;
  }
  SendKeys.KeyUp(KeyNameToCode(args.GetAt(3).GetString()));
  return 0;
}

// WAIT(ms): blocks the run for ms; at the faster speeds short waits are left out.
int CQuorvex_Script::F_Wait(CValueList& args, CScriptValue&) {
  int ms = args.GetAt(0).GetInt();
  if (ScriptFile().RobotSpeedMode == 0 || ms > kShortWait) Input().Delay(ms);
  return 0;
}

// WAITLONG(ms): a one-shot multimedia timer (a chain of them beyond the timer's range) marks the
// wait's end while the run loop keeps pumping messages, so the end hotkey works during it. Never
// left out at the faster speeds.
int CQuorvex_Script::F_WaitLong(CValueList& args, CScriptValue&) {
  int ms = args.GetAt(0).GetInt();
  EndWaitTimer();  // a wait started from an adlib or hotkey function never leaves a timer behind
  UINT resolution = 1, longest = 65535;
  TIMECAPS caps;
  if (timeGetDevCaps(&caps, sizeof caps) == TIMERR_NOERROR) {
    resolution = caps.wPeriodMin < caps.wPeriodMax ? caps.wPeriodMin : caps.wPeriodMax;
    longest = caps.wPeriodMax;
  }
  if (longest > g_WaitLongPartLimit) longest = g_WaitLongPartLimit;
  if (timeBeginPeriod(resolution) == TIMERR_NOERROR) WaitLongResolution = resolution;
  // A wait beyond the timer's range runs in parts, so that it stays a long wait: the run keeps
  // pumping messages and the end hotkey stops it.
  WaitLongEnd = timeGetTime() + static_cast<DWORD>(ms);
  WaitLongPart = longest;
  UINT delay = ms > 0 && static_cast<UINT>(ms) > longest ? longest : static_cast<UINT>(ms);
  if (ArmWaitLongTimer(delay)) {
    if (ms > 0 && PerfTicksPerMs()) WaitLongDeadline = PerfCounterNow() + ms * PerfTicksPerMs();
    WaitLongPending = 1;
    return 0;
  }
  // No timer for this delay (0 or less): a plain wait.
  EndWaitTimer();
  if (ScriptFile().RobotSpeedMode == 0 || ms > kShortWait) Input().Delay(ms);
  return 0;
}
