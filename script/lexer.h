// Lexer helpers shared with the rest of the engine.
#pragma once

#include "script/scriptstring.h"

// Replaces "%%" with "%" and %NAME% with the environment variable NAME (nothing when unset); a
// "%" without its closing "%" takes the rest as the name. At most 4095 characters are kept.
void ExpandEnvVariables(CScriptString& text);
// The text of a keyword id ("" for none).
const char* KeywordName(int id);
