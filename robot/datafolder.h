// Where the per-user data and the robot files live, and small conversions shared by the program.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

// The user's application-data folder + "vantorel\Pindrel" (nothing is created).
CString GetDataFolder();
// The data folder's "script" subfolder, where each robot is a "<name>.txt" file.
CString GetRobotFolder();
// Creates the folder and every missing parent.
void CreateFolderPath(const CString& path);
CString GetProgramPath();
CString GetProgramFolder();

CString IntToString(int value);
// Decimal value of the leading digits after optional blanks and sign; 0 without digits.
int StringToInt(const char* text);
// A pseudo-random number from low to high, both included.
int RandomInRange(int low, int high);
CString HexDigitText(int value);
int HexDigitValue(const char* text);

// An entry point of a library looked up by name (null when it has none); the cast goes through
// void(*)(), which every function type converts from without a warning.
template <class Fn>
Fn BindEntryPoint(HMODULE library, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(library, name)));
}
