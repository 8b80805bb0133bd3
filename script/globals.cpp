// The process-wide script objects, built in this order before the program starts.
#include "framework/lifetime.h"
#include "script/interpreter.h"

CQuorvex_Script g_Script PINDREL_INIT_ORDER(kInitOrderScriptEngine);
static LifetimeNote g_ScriptNote PINDREL_INIT_ORDER(kInitOrderScriptEngine)("interpreter");
CScriptVariables g_ScriptVariables PINDREL_INIT_ORDER(kInitOrderScriptEngine);
static LifetimeNote g_ScriptVariablesNote PINDREL_INIT_ORDER(kInitOrderScriptEngine)("variable store");
CQuorvex_ScriptFile g_ScriptFile PINDREL_INIT_ORDER(kInitOrderScriptEngine);
static LifetimeNote g_ScriptFileNote PINDREL_INIT_ORDER(kInitOrderScriptEngine)("line store");
