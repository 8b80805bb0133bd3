// The keystroke built-in SEND.
#include "script/interpreter.h"

// SEND(keys [, raw]): the text in send-keys notation, or every character literally when the
// flag is given and not 0. Keys go to the active window. Never fails.
int CQuorvex_Script::F_Send(CValueList& args, CScriptValue&) {
  const char* keys = args.GetAt(0).GetString();
  if (args.GetCount() > 1 && args.GetAt(1).GetNumber() != 0)
    SendKeys.SendRaw(keys, nullptr);
  else
    SendKeys.Send(keys, nullptr);
  return 0;
}
