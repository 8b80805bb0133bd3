// The check of robot names.
#include "robot/robotname.h"

#include <cstring>

namespace {
const char kBadCharacters[] = "\\/:*?\"<>|";
}

bool IsDeviceName(const CString& fileName) {
  CString base = fileName;
  int dot = base.Find('.');
  if (dot >= 0) base = base.Left(dot);
  base.TrimRight(" ");
  base.MakeUpper();
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
  return base.GetLength() == 4 && (base.Left(3) == "COM" || base.Left(3) == "LPT") && base[3] >= '1' && base[3] <= '9';
}

int MaxRobotNameLength(const CString& robotFolder) {
  return kMaxRobotPath - robotFolder.GetLength() - static_cast<int>(sizeof "\\.txt" - 1);
}

RobotNameProblem CheckRobotName(const CString& name, const CString& robotFolder) {
  CString trimmed = name;
  trimmed.Trim(" ");
  if (trimmed.IsEmpty()) return RobotNameProblem::kEmpty;
  for (int i = 0; i < name.GetLength(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (c < 32 || ::strchr(kBadCharacters, c)) return RobotNameProblem::kBadCharacter;
  }
  if (IsDeviceName(name)) return RobotNameProblem::kDeviceName;
  if (name.GetLength() > MaxRobotNameLength(robotFolder)) return RobotNameProblem::kTooLong;
  return RobotNameProblem::kNone;
}
