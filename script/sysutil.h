// Operating-system and small text utilities shared by the interpreter and its built-ins.
#pragma once

#include <windows.h>

// Hexadecimal text to a 32-bit value: 0-9, A-F, a-f, at most 8 digits. An empty text gives 0
// and true; a bad character or a ninth digit gives 0 and false.
bool HexToInt(const char* text, int& value);
// Exactly `digits` upper-case hexadecimal digits; false when the value needs more.
bool IntToHex(int value, char* buffer, int digits);
