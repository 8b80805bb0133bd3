// Data folder, program path and number helpers.
#include "robot/datafolder.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <climits>
#include <cstdlib>
#include <utility>

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

CString IntToString(int value) {
  CString text;
  text.Format("%d", value);
  return text;
}

int StringToInt(const char* text) {
  if (!text) return 0;
  while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\v' || *text == '\f') ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  long long value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > 1LL + INT_MAX) value = 1LL + INT_MAX;  // saturate instead of overflowing
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  return static_cast<int>(value);
}

int RandomInRange(int low, int high) {
  if (high < low) std::swap(low, high);
  long long span = static_cast<long long>(high) - low + 1;
  return static_cast<int>(low + rand() % span);
}

CString HexDigitText(int value) {
  if (value < 0 || value > 15) return CString();
  return CString("0123456789ABCDEF"[value]);
}

int HexDigitValue(const char* text) {
  if (!text || !text[0] || text[1]) return 0;
  char c = text[0];
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}
