// Data folder, folder creation and program path.
#include "robot/datafolder.h"

#include <shlobj.h>
#include <shlwapi.h>

namespace {

CString FindDataFolder() {
  char path[MAX_PATH] = "";
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)) || !path[0]) {
    // Without a profile folder, keep the data beside the program rather than in a relative path.
    lstrcpynA(path, GetProgramFolder(), MAX_PATH);
  }
  PathAppendA(path, "vantorel");
  PathAppendA(path, "Pindrel");
  return CString(path);
}

}  // namespace

CString GetDataFolder() {
  // Found once per process: the shell's answer is a registry look-up every time, and a run
  // builds robot paths at every hotkey. The user's profile does not move while a program runs.
  static const CString folder = FindDataFolder();
  return folder;
}

CString GetRobotFolder() { return GetDataFolder() + "\\script"; }

void CreateFolderPath(const CString& given) {
  CString path = given;
  if (path.IsEmpty()) return;
  if (path[path.GetLength() - 1] == '\\') path = path.Left(path.GetLength() - 1);
  if (path.IsEmpty() || GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return;
  int cut = path.ReverseFind('\\');
  if (cut > 0) CreateFolderPath(path.Left(cut));
  CreateDirectoryA(path, nullptr);
}

CString GetProgramPath() {
  char path[500];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return CString();
  return CString(path, static_cast<int>(n));
}

CString GetProgramFolder() {
  CString path = GetProgramPath();
  int cut = path.ReverseFind('\\');
  return cut < 0 ? CString() : path.Left(cut);
}
