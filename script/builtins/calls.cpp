// Built-ins that reach into the script itself: @error, CALL, EVAL, ISDECLARED, BREAK and the
// title of the interpreter's own window.
#include "script/interpreter.h"

#include <vector>

// Stored by BREAK; nothing else reads it.
int g_BreakFlag = 0;

int CQuorvex_Script::F_SetError(CValueList& args, CScriptValue&) {
  SetError(args.GetAt(0).GetInt());
  return 0;
}

int CQuorvex_Script::F_Break(CValueList& args, CScriptValue&) {
  g_BreakFlag = args.GetAt(0).GetInt() != 0;
  return 0;
}

// CALL(function): runs a user function without arguments; its Return value, else 1.
int CQuorvex_Script::F_Call(CValueList& args, CScriptValue& result) {
  int funcLine, paramCount, endFuncLine;
  if (!FindUserFunction(args.GetAt(0).GetString(), funcLine, paramCount, endFuncLine)) {
    SetError(1);
    return 0;
  }
  CScriptValue preset;
  preset.SetInt(1);
  return CallUserFunctionAt(funcLine + 1, result, preset);
}

// EVAL(name): the variable's value (local, else global); "" and @error 1 when undeclared.
int CQuorvex_Script::F_Eval(CValueList& args, CScriptValue& result) {
  CScriptValue* value = nullptr;
  if (!Variables().GetRef(args.GetAt(0).GetString(), value, SCOPE_ANY)) {
    SetError(1);
    result.SetString("");
    return 0;
  }
  result = *value;
  return 0;
}

// ISDECLARED(name): -1 local, 1 global, 0 not declared.
int CQuorvex_Script::F_IsDeclared(CValueList& args, CScriptValue& result) {
  result.SetInt(Variables().IsDeclared(args.GetAt(0).GetString()));
  return 0;
}

int CQuorvex_Script::F_RuveroWinSetTitle(CValueList& args, CScriptValue&) {
  if (OwnWindow) SetWindowTextA(OwnWindow, args.GetAt(0).GetString());
  return 0;
}

int CQuorvex_Script::F_RuveroWinGetTitle(CValueList&, CScriptValue& result) {
  std::vector<char> title(32768, '\0');
  if (OwnWindow) GetWindowTextA(OwnWindow, title.data(), static_cast<int>(title.size()));
  result.SetString(title.data());
  return 0;
}
