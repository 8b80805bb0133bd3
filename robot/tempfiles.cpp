// Stamped temporary files: naming, making, and removing those whose writer has gone.
#include "robot/tempfiles.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kPrefixLength = 4;
constexpr size_t kNameLength = kPrefixLength + 8 + 8 + 4 + 4;  // prefix, id, stamp, number, ".tmp"

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

DWORD HexValue(const char* text, int digits) {
  DWORD value = 0;
  for (int i = 0; i < digits; ++i) {
    char c = text[i];
    value = value * 16 + static_cast<DWORD>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
  }
  return value;
}

std::string WithSlash(const char* folder) {
  std::string path = folder ? folder : "";
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  return path;
}

}  // namespace

DWORD ProcessStartStamp(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  ULARGE_INTEGER start;
  start.LowPart = created.dwLowDateTime;
  start.HighPart = created.dwHighDateTime;
  return static_cast<DWORD>(start.QuadPart / 10000);
}

std::string StampedTemporaryName(const char* prefix, DWORD processId, DWORD startStamp, unsigned number) {
  char name[kNameLength + 1];
  snprintf(name, sizeof name, "%.4s%08lX%08lX%04X.tmp", prefix, static_cast<unsigned long>(processId),
           static_cast<unsigned long>(startStamp), number & 0xFFFFu);
  return name;
}

bool CreateStampedTemporary(const char* folder, const char* prefix, std::string& path) {
  static unsigned next = 0;
  static const DWORD stamp = ProcessStartStamp(GetCurrentProcess());
  const std::string base = WithSlash(folder);
  for (int tries = 0; tries < 0x10000; ++tries) {
    std::string candidate = base + StampedTemporaryName(prefix, GetCurrentProcessId(), stamp, next++);
    HANDLE file = CreateFileA(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      path = candidate;
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

bool IsStampedTemporaryName(const char* name, const char* prefix) {
  if (!name || !prefix || strlen(name) != kNameLength || _strnicmp(name, prefix, kPrefixLength) != 0) return false;
  for (size_t i = kPrefixLength; i < kNameLength - 4; ++i)
    if (!IsHexDigit(name[i])) return false;
  return _stricmp(name + kNameLength - 4, ".tmp") == 0;
}

bool IsStaleTemporary(const char* name, const char* prefix) {
  if (!IsStampedTemporaryName(name, prefix)) return false;
  DWORD id = HexValue(name + kPrefixLength, 8);
  DWORD stamp = HexValue(name + kPrefixLength + 8, 8);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;  // no process of that id
  DWORD code = 0;
  bool ended = GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
  DWORD started = ProcessStartStamp(process);
  CloseHandle(process);
  return ended || (started != 0 && started != stamp);
}

int RemoveStaleTemporaries(const char* folder, const char* prefix) {
  const std::string base = WithSlash(folder);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((base + std::string(prefix, kPrefixLength) + "*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int removed = 0;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (IsStaleTemporary(found.cFileName, prefix) && DeleteFileA((base + found.cFileName).c_str())) ++removed;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return removed;
}
