// Two-way translation between an action's display line (what the editor shows) and its script
// statement (what the robot file holds), with the window suffix and the speed mark.
#pragma once

#include "framework/cstring.h"

// The statement of a display line; "" (plus any suffixes) when the line matches no action.
CString ActionTextToScript(const CString& line);
// The display line of a statement; "" (plus any suffixes) when the statement matches no action.
CString ScriptToActionText(const CString& statement);
