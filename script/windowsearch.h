// The window and control search state that the window built-ins and the robot key built-ins share.
#pragma once

#include <windows.h>

#include "script/scriptstring.h"
#include "script/sysutil/sysutil.h"

struct CWindowSearch {
  // The texts of the current call (the text is "" when the call gives none).
  CScriptString Title;
  CScriptString Text;
  // The window of the last successful search, kept when a later search fails: the "last" window
  // of title match mode 4.
  HWND FoundWindow = nullptr;
  bool Found = false;
  // The programs that did not answer during the search in progress: passed over from then on.
  CSilentThreads Silent;

  // Control search: the id asked for, the instance count of the class pass, whether the text
  // pass ran, and the control found.
  CScriptString ControlId;
  int Instance = 0;
  bool TextPass = false;
  bool ControlFound = false;
  HWND FoundControl = nullptr;
};

// A window handle as the window built-ins show it and "handle=" matches it: eight upper-case
// hexadecimal digits. `buffer` holds at least 9 bytes.
void WindowHandleText(HWND window, char* buffer);
