// The process-wide script objects, built in this order before the program starts.
#include "script/interpreter.h"

CQuorvex_Script g_Script;
CScriptVariables g_ScriptVariables;
CQuorvex_ScriptFile g_ScriptFile;
