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

volatile LONG* AsLong(UINT& value) { return reinterpret_cast<volatile LONG*>(&value); }

// A long wait longer than one timer can wait goes on in parts: its end, and the longest part.
volatile DWORD g_WaitLongDeadline = 0;
volatile UINT g_WaitLongPart = 0;

constexpr UINT kTimerFlags = TIME_ONESHOT | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS;

void CALLBACK WaitLongTimerProc(UINT timer, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  CQuorvex_Script* script = reinterpret_cast<CQuorvex_Script*>(user);
  LONG remaining = static_cast<LONG>(g_WaitLongDeadline - timeGetTime());
  if (remaining > 0 && script->WaitLongTimer == timer) {
    UINT part = static_cast<UINT>(remaining) < g_WaitLongPart ? static_cast<UINT>(remaining) : g_WaitLongPart;
    UINT resolution = script->WaitLongResolution ? script->WaitLongResolution : 1;
    UINT next = timeSetEvent(part, resolution, WaitLongTimerProc, user, kTimerFlags);
    if (next) {
      // The next part takes over, unless the run has ended the wait meanwhile.
      if (static_cast<UINT>(InterlockedCompareExchange(AsLong(script->WaitLongTimer), static_cast<LONG>(next),
                                                       static_cast<LONG>(timer))) == timer)
        return;
      timeKillEvent(next);
    }
  }
  script->EndWaitTimer(timer);
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

// WAITLONG(ms): a one-shot multimedia timer (a chain of them beyond the timer's range) ends the
// wait while the run loop keeps pumping messages, so the end hotkey works during it. Never left
// out at the faster speeds.
int CQuorvex_Script::F_WaitLong(CValueList& args, CScriptValue&) {
  int ms = args.GetAt(0).GetInt();
  EndWaitTimer();  // a wait started from an adlib or hotkey function never leaves a timer behind
  InterlockedExchange(&g_WaitLongPending, 1);
  UINT resolution = 1, longest = 65535;
  TIMECAPS caps;
  if (timeGetDevCaps(&caps, sizeof caps) == TIMERR_NOERROR) {
    resolution = caps.wPeriodMin < caps.wPeriodMax ? caps.wPeriodMin : caps.wPeriodMax;
    longest = caps.wPeriodMax;
  }
  if (longest > g_WaitLongPartLimit) longest = g_WaitLongPartLimit;
  if (timeBeginPeriod(resolution) == TIMERR_NOERROR) InterlockedExchange(AsLong(WaitLongResolution), resolution);
  // A wait beyond the timer's range runs in parts, so that it stays a long wait: the run keeps
  // pumping messages and the end hotkey stops it.
  g_WaitLongDeadline = timeGetTime() + static_cast<DWORD>(ms);
  if (ms > 0 && PerfTicksPerMs()) WaitLongDeadline = PerfCounterNow() + ms * PerfTicksPerMs();
  g_WaitLongPart = longest;
  UINT delay = ms > 0 && static_cast<UINT>(ms) > longest ? longest : static_cast<UINT>(ms);
  // Killed synchronously: once the run has killed it, no late callback can touch a newer wait.
  UINT timer = timeSetEvent(delay, resolution, WaitLongTimerProc, reinterpret_cast<DWORD_PTR>(this), kTimerFlags);
  if (timer) {
    InterlockedExchange(AsLong(WaitLongTimer), static_cast<LONG>(timer));
    // It may have fired before its id was kept: then it is over and needs no kill.
    if (!g_WaitLongPending) InterlockedCompareExchange(AsLong(WaitLongTimer), 0, static_cast<LONG>(timer));
    return 0;
  }
  // No timer for this delay (0 or less): a plain wait.
  EndWaitTimer();
  if (ScriptFile().RobotSpeedMode == 0 || ms > kShortWait) Input().Delay(ms);
  return 0;
}
