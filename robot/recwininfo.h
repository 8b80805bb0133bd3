// RecWinInfo: the record of a window that a robot's actions belong to.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

struct RecWinInfo {
  int WinIndex = 0;         // number among the recorded windows of the same program, from 1
  HWND hWnd = nullptr;      // the live window; never written to a file
  CString WinTitle;         // title, or a fixed shell name
  CString WinPath;          // executable path, or a fixed shell name
  RECT WinRect = {0, 0, 0, 0};
  int WinParentLevel = -1;  // GetParent steps to the top; -1 matches any level
};
