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

// What one line of a "[RecWinInfo]" section did to the working record.
enum class RecWinLine {
  Other,     // not a record key: ignored
  Field,     // a key was stored in the working record
  Complete,  // "WinRect=" closed the record: append a copy of it
  BadRect,   // "WinRect=" with fewer than four numbers
};

// Reads one line of a "[RecWinInfo]" section into the working record. Keys are compared exactly;
// the record is not reset between records, so one that omits a key inherits the key's last value.
RecWinLine ReadRecWinLine(const CString& line, RecWinInfo& work);

// The message about a robot file whose window records do not read: which file it is goes on a
// second line.
CString RecWinLoadFailedText(const CString& path);
// The "[RecWinInfo]" line that ends the action lines, in any letter case: the robot reader and the
// playback reader must agree on where the action lines end.
bool IsRecWinHeader(const CString& line);
