// One-dimensional arrays for built-ins that return lists.
#include "script/sysutil/sysutil.h"

#include "script/scriptvalue.h"

bool CreateArray1D(CScriptValue& value, int n) {
  value.ClearSubscripts();
  value.AddSubscript(n);
  return value.CreateArray();
}

CScriptValue* GetArrayElement1D(CScriptValue& value, int i) {
  value.ClearSubscripts();
  value.AddSubscript(i);
  return value.GetElement();
}
