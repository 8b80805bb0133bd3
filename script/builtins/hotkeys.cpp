// Script hotkeys (HOTKEYSET), and the end of a run, which takes the script's hotkeys and adlib
// function away.
#include "script/interpreter.h"

namespace {

// MOD_* bits of a hotkey's key code.
UINT HotKeyModifiers(bool shift, bool ctrl, bool alt, bool win) {
  return (alt ? MOD_ALT : 0) | (ctrl ? MOD_CONTROL : 0) | (shift ? MOD_SHIFT : 0) | (win ? MOD_WIN : 0);
}

}  // namespace

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
