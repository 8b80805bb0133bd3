// Handlers of the built-in families that are not built yet: each ends the run with an error
// that names the function.
//
// Convention: every built-in handler is a member of CQuorvex_Script declared in
// script/interpreter.h. When you build a family, move its handlers out of this file into
// script/builtins/<family>.cpp (delete their NOT_BUILT lines here) and add that file to
// script/builtins/CMakeLists.txt. A handler never succeeds silently while it is a stub here.
#include "script/interpreter.h"

#define NOT_BUILT(name) \
  int CQuorvex_Script::F_##name(CValueList&, CScriptValue&) { return NotAvailable(); }

// Options, timers, hotkeys, messages and the environment.
NOT_BUILT(AdlibDisable)
NOT_BUILT(AdlibEnable)
NOT_BUILT(Break)
NOT_BUILT(Call)
NOT_BUILT(ClipGet)
NOT_BUILT(ClipPut)
NOT_BUILT(Delay)
NOT_BUILT(EnvGet)
NOT_BUILT(EnvSet)
NOT_BUILT(EnvUpdate)
NOT_BUILT(Eval)
NOT_BUILT(HotKeySet)
NOT_BUILT(IsAdmin)
NOT_BUILT(IsDeclared)
NOT_BUILT(MemGetStats)
NOT_BUILT(MsgBox)
NOT_BUILT(Opt)
NOT_BUILT(ProgressOff)
NOT_BUILT(ProgressOn)
NOT_BUILT(ProgressSet)
NOT_BUILT(RuveroWinGetTitle)
NOT_BUILT(RuveroWinSetTitle)
NOT_BUILT(SetError)
NOT_BUILT(SoundPlay)
NOT_BUILT(SoundSetWaveVolume)
NOT_BUILT(SplashImageOn)
NOT_BUILT(SplashOff)
NOT_BUILT(SplashTextOn)
NOT_BUILT(TimerDiff)
NOT_BUILT(TimerInit)
NOT_BUILT(TrayTip)
NOT_BUILT(URLDownloadToFile)


// Robot keys and waits.

