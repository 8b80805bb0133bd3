// Which texts can name a robot: the robot is kept as "<robot folder>\<name>.txt", so a name must
// give a file the system can write and find again.
#pragma once

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
// TRUE when the file name's part before its first dot, trailing blanks aside, is a device name.
bool IsDeviceName(const CString& fileName);
// How many characters a robot name may have in this robot folder.
int MaxRobotNameLength(const CString& robotFolder);
