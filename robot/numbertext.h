// Numbers as the robot files and dialogs write them: decimal and hex-digit text, and random picks.
#pragma once

#include "framework/cstring.h"

CString IntToString(int value);
// Decimal value of the leading digits after optional blanks and sign; 0 without digits.
int StringToInt(const char* text);
// A pseudo-random number from low to high, both included.
int RandomInRange(int low, int high);
CString HexDigitText(int value);
int HexDigitValue(const char* text);
