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

// Windows, controls and window waits.
NOT_BUILT(ControlClick)
NOT_BUILT(ControlCommand)
NOT_BUILT(ControlDisable)
NOT_BUILT(ControlEnable)
NOT_BUILT(ControlFocus)
NOT_BUILT(ControlGetFocus)
NOT_BUILT(ControlGetPos)
NOT_BUILT(ControlGetText)
NOT_BUILT(ControlHide)
NOT_BUILT(ControlMove)
NOT_BUILT(ControlSend)
NOT_BUILT(ControlSetText)
NOT_BUILT(ControlShow)
NOT_BUILT(StatusbarGetText)
NOT_BUILT(ToolTip)
NOT_BUILT(WinActivate)
NOT_BUILT(WinActive)
NOT_BUILT(WinClose)
NOT_BUILT(WinExists)
NOT_BUILT(WinGetCaretPos)
NOT_BUILT(WinGetClassList)
NOT_BUILT(WinGetClientSize)
NOT_BUILT(WinGetHandle)
NOT_BUILT(WinGetPos)
NOT_BUILT(WinGetState)
NOT_BUILT(WinGetText)
NOT_BUILT(WinGetTitle)
NOT_BUILT(WinKill)
NOT_BUILT(WinMenuSelectItem)
NOT_BUILT(WinMinimizeAll)
NOT_BUILT(WinMinimizeAllUndo)
NOT_BUILT(WinMove)
NOT_BUILT(WinSetOnTop)
NOT_BUILT(WinSetState)
NOT_BUILT(WinSetTitle)
NOT_BUILT(WinWait)
NOT_BUILT(WinWaitActive)
NOT_BUILT(WinWaitClose)
NOT_BUILT(WinWaitNotActive)

// Processes and programs.
NOT_BUILT(ProcessClose)
NOT_BUILT(ProcessExists)
NOT_BUILT(ProcessSetPriority)
NOT_BUILT(ProcessWait)
NOT_BUILT(ProcessWaitClose)
NOT_BUILT(Run)
NOT_BUILT(RunAsSet)
NOT_BUILT(RunReadyInput)
NOT_BUILT(RunWait)
NOT_BUILT(Shutdown)

// Conditions of the window and process waits: never met while their families are stubs.
int CQuorvex_Script::WindowWaitCondition(int) { return 0; }
int CQuorvex_Script::ProcessWaitCondition(int) { return 0; }
