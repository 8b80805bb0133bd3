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

// Every family of the table is built: no stub is left.

