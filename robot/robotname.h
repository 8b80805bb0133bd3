// Which texts can name a robot: the robot is kept as "<robot folder>\<name>.txt", so a name must
// give a file the system can write and find again.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

enum class RobotNameProblem {
  kNone,
  kEmpty,          // nothing but blanks
  kBadCharacter,   // one of \ / : * ? " < > | or a control character
  kDeviceName,     // CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9 (before the first dot)
  kTooLong,        // the robot file's path would pass MAX_PATH
};

// The longest path a robot file may have: MAX_PATH less the terminator.
constexpr int kMaxRobotPath = 259;

// The first reason why `name` cannot name a robot kept in `robotFolder` (no trailing backslash).
RobotNameProblem CheckRobotName(const CString& name, const CString& robotFolder);
// How many characters a robot name may have in this robot folder.
int MaxRobotNameLength(const CString& robotFolder);
// TRUE when the name can be a robot's whatever the folder's length: not blank, no folder part
// and none of the characters a file name cannot hold, and no device name.
BOOL IsRobotName(const CString& name);

// TRUE when the base name (the part before the first dot, blanks after it ignored, any case) is
// one of the device names CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9: a file of such a name opens
// the device, whatever its extension, and reading it may never end.
BOOL IsDeviceFileName(const char* fileName);
// TRUE for an entry of the robot folder's "*.txt" listing that is a robot file: not a folder and
// not a device name. Every listing of the folder skips the same entries, so that a robot's index
// means the same file to every reader of it.
BOOL IsRobotFile(const WIN32_FIND_DATAA& found);
