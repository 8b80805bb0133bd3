// Which names a robot can have: the name is the base of its file in the robot folder.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

// TRUE when the base name (the part before the first dot, blanks after it ignored, any case) is
// one of the device names CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9: a file of such a name opens
// the device, whatever its extension, and reading it may never end.
BOOL IsDeviceFileName(const char* fileName);
// TRUE when the name can be a robot's: not empty, no folder part and none of the characters a
// file name cannot hold (\ / : * ? " < > |), and no device name.
BOOL IsRobotName(const CString& name);
// TRUE for an entry of the robot folder's "*.txt" listing that is a robot file: not a folder and
// not a device name. Every listing of the folder skips the same entries, so that a robot's index
// means the same file to every reader of it.
BOOL IsRobotFile(const WIN32_FIND_DATAA& found);
