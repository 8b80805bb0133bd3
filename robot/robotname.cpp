// The check of robot names, and the device names of the file system.
#include "robot/robotname.h"

#include <cstring>

namespace {
const char kBadCharacters[] = "\\/:*?\"<>|";
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
  if (IsDeviceFileName(name.GetString())) return RobotNameProblem::kDeviceName;
  if (name.GetLength() > MaxRobotNameLength(robotFolder)) return RobotNameProblem::kTooLong;
  return RobotNameProblem::kNone;
}

BOOL IsRobotName(const CString& name) {
  RobotNameProblem problem = CheckRobotName(name, CString());
  return problem == RobotNameProblem::kNone || problem == RobotNameProblem::kTooLong;
}

BOOL IsDeviceFileName(const char* fileName) {
  if (!fileName) return FALSE;
  const char* base = fileName;
  for (const char* p = fileName; *p; ++p)
    if (*p == '\\' || *p == '/') base = p + 1;
  size_t length = strcspn(base, ".");
  while (length > 0 && (base[length - 1] == ' ' || base[length - 1] == '\t')) --length;
  char name[5] = "";
  if (length < 3 || length > 4) return FALSE;
  for (size_t i = 0; i < length; ++i) name[i] = static_cast<char>(base[i] >= 'a' && base[i] <= 'z' ? base[i] - 32 : base[i]);
  name[length] = '\0';
  if (length == 3) return !strcmp(name, "CON") || !strcmp(name, "PRN") || !strcmp(name, "AUX") || !strcmp(name, "NUL");
  return (!strncmp(name, "COM", 3) || !strncmp(name, "LPT", 3)) && name[3] >= '1' && name[3] <= '9';
}

BOOL IsRobotFile(const WIN32_FIND_DATAA& found) {
  return !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsDeviceFileName(found.cFileName);
}
