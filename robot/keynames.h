// Names of virtual keys and mouse buttons, and hotkey display text to script key notation.
#pragma once

#include "framework/cstring.h"

// The name of a virtual-key code ("A", "<F1>", "<MouseLeft>"); empty for a code without a name,
// including every value outside 0..255.
CString KeyCodeToName(int code);

// The code whose name is exactly `name` (case-sensitive, no trimming). An unknown name gives 57,
// the code of "9", which the key built-ins then press like any other key.
int KeyNameToCode(const char* name);

// A hotkey's display text ("Ctrl + Shift + Alt + M", "<F2>") in key notation ("^+!M", "<F2>"):
// the leading modifier words become "^", "+" and "!"; the key name is left as it is.
CString HotkeyTextToScript(const char* text);

// The display text of a hotkey: the modifier words in the order Ctrl, Shift, Alt, then the key's
// name. A key without a name leaves the modifier words alone ("Ctrl + ").
CString HotkeyDisplayText(int code, bool ctrl, bool shift, bool alt);
