// File operations on paths and wildcard patterns, file times, versions and lines.
#include "script/sysutil/sysutil.h"

#include <fcntl.h>
#include <io.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "robot/robotname.h"
#include "robot/tempfiles.h"
#include "script/osversion.h"

namespace {

bool HasWildcard(const char* path) { return strpbrk(path, "*?") != nullptr; }

// "C:\dir" -> "C:\dir\*.*", "C:\" -> "C:\*.*".
std::string AllFilesIn(const std::string& folder) {
  if (!folder.empty() && folder.back() == '\\') return folder + "*.*";
  return folder + "\\*.*";
}

// The folder part of a path or pattern, with its final backslash ("" when there is none).
std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The full path of `name`, or "" when it has none that fits MAX_PATH.
std::string FullPath(const char* name) {
  char buffer[MAX_PATH];
  return GetFullPathNoSlash(name, buffer) ? std::string(buffer) : std::string();
}

// True when both names lead to the same file (also through another spelling of its path).
bool SameFile(const std::string& a, const std::string& b) {
  if (lstrcmpiA(a.c_str(), b.c_str()) == 0) return true;
  auto identity = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = GetFileInformationByHandle(h, &info) != FALSE;
    CloseHandle(h);
    return ok;
  };
  BY_HANDLE_FILE_INFORMATION ia, ib;
  if (!identity(a, ia) || !identity(b, ib)) return false;
  return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
         ia.nFileIndexLow == ib.nFileIndexLow;
}

// Runs every match of a pattern that is not a directory through `action` (folder, name);
// false when nothing matched or an action failed, which stops the walk.
template <typename Action>
bool ForEachFile(const std::string& pattern, Action action) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  std::string folder = FolderOf(pattern);
  bool ok = true;
  int done = 0;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (!action(folder, found.cFileName)) {
      ok = false;
      break;
    }
    ++done;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return ok && done > 0;
}

// Splits a path into drive and folder, name, and extension without its dot.
void SplitName(const char* path, std::string& folder, std::string& name, std::string& extension) {
  char drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
  _splitpath(path, drive, dir, fname, ext);
  folder = std::string(drive) + dir;
  name = fname;
  extension = ext[0] == '.' ? ext + 1 : ext;
}

}  // namespace

bool IsDevicePath(const char* path) {
  if (!path) return false;
  auto slash = [](char c) { return c == '\\' || c == '/'; };
  if (slash(path[0]) && slash(path[1]) && (path[2] == '.' || path[2] == '?') && slash(path[3])) {
    if (path[2] == '.') return true;
    // "\\?\C:\..." and "\\?\UNC\..." are long paths of files; anything else is a device.
    const char* rest = path + 4;
    bool drive = isalpha(static_cast<unsigned char>(rest[0])) && rest[1] == ':';
    bool unc = _strnicmp(rest, "UNC", 3) == 0 && slash(rest[3]);
    if (!drive && !unc) return true;
  }
  if (slash(path[0]) && path[1] == '?' && path[2] == '?' && slash(path[3])) return true;
  if (IsDeviceFileName(path)) return true;
  const char* base = path;
  for (const char* p = path; *p; ++p)
    if (slash(*p) || *p == ':') base = p + 1;
  size_t length = strcspn(base, ".");
  while (length > 0 && (base[length - 1] == ' ' || base[length - 1] == '\t')) --length;
  for (const char* name : {"CONIN$", "CONOUT$", "CLOCK$"})
    if (length == strlen(name) && _strnicmp(base, name, length) == 0) return true;
  return false;
}

bool IsDiskFileOrAbsent(const char* path) {
  if (!path || !*path || IsDevicePath(path)) return false;
  // No access and asynchronous: what a path is, is told without reading from it or waiting on it.
  HANDLE probe = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OVERLAPPED, nullptr);
  if (probe == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND;
  }
  bool disk = GetFileType(probe) == FILE_TYPE_DISK;
  CloseHandle(probe);
  return disk;
}

HANDLE OpenDiskFile(const char* path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  if (!IsDiskFileOrAbsent(path)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  HANDLE file = CreateFileA(path, access, share, nullptr, disposition, flags, nullptr);
  if (file != INVALID_HANDLE_VALUE && GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

FILE* OpenDiskStream(const char* path, const char* mode) {
  DWORD access = GENERIC_READ, disposition = OPEN_EXISTING;
  int flags = _O_BINARY | _O_RDONLY;
  if (!strcmp(mode, "a+b")) {
    access |= GENERIC_WRITE;
    disposition = OPEN_ALWAYS;
    flags = _O_BINARY | _O_RDWR | _O_APPEND;
  } else if (!strcmp(mode, "w+b")) {
    access |= GENERIC_WRITE;
    disposition = CREATE_ALWAYS;
    flags = _O_BINARY | _O_RDWR;
  } else if (strcmp(mode, "rb") != 0) {
    return nullptr;
  }
  HANDLE file = OpenDiskFile(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, disposition, FILE_ATTRIBUTE_NORMAL);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), flags);
  if (descriptor < 0) {
    CloseHandle(file);
    return nullptr;
  }
  FILE* stream = _fdopen(descriptor, mode);
  if (!stream) _close(descriptor);
  return stream;
}

bool MakeScriptTemporary(const char* folder, char* path) {
  RemoveStaleTemporaries(folder, kScriptTempPrefix);
  std::string made;
  if (!CreateStampedTemporary(folder, kScriptTempPrefix, made) || made.size() >= MAX_PATH) {
    if (!made.empty()) DeleteFileA(made.c_str());
    return false;
  }
  CopyTextLimited(path, made.c_str(), MAX_PATH);
  return true;
}

bool FileExistsPattern(const char* path) {
  if (!HasWildcard(path)) return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

bool IsDirectory(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool GetFullPathNoSlash(const char* name, char* buffer) {
  DWORD length = GetFullPathNameA(name, MAX_PATH, buffer, nullptr);
  if (length == 0 || length >= MAX_PATH) {
    buffer[0] = '\0';
    return false;
  }
  // A drive's root keeps its backslash: "C:" alone names the drive's current folder.
  if (!(length == 3 && buffer[1] == ':')) StripTrailingBackslash(buffer);
  return true;
}

void StripTrailingBackslash(char* text) {
  size_t length = strlen(text);
  if (length > 0 && text[length - 1] == '\\') text[length - 1] = '\0';
}

bool GetLongPathViaShell(const char* path, char* buffer) {
  CopyTextLimited(buffer, path, MAX_PATH);
  wchar_t wide[MAX_PATH];
  if (!MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH)) return false;
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop))) return false;
  LPITEMIDLIST items = nullptr;
  bool ok = SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, wide, nullptr, &items, nullptr));
  char longPath[MAX_PATH];
  if (ok) ok = SHGetPathFromIDListA(items, longPath) != FALSE;
  if (items) CoTaskMemFree(items);
  desktop->Release();
  if (ok) CopyTextLimited(buffer, longPath, MAX_PATH);
  return ok;
}

bool DrivesDiffer(const char* path1, const char* path2) {
  auto drive = [](const char* p) { return (p[0] && p[1] == ':') ? static_cast<char>(toupper(p[0])) : '\0'; };
  char d1 = drive(path1), d2 = drive(path2);
  return d1 == '\0' || d2 == '\0' || d1 != d2;
}

bool FileDeletePattern(const char* path) {
  std::string pattern = FullPath(path);
  if (pattern.empty()) return false;
  if (IsDirectory(pattern.c_str())) pattern = AllFilesIn(pattern);
  return ForEachFile(pattern, [](const std::string& folder, const char* name) {
    return DeleteFileA((folder + name).c_str()) != FALSE;
  });
}

void ReplaceWildcard(const char* text, const char* pattern, char* result) {
  const char* star = strchr(pattern, '*');
  if (!star) {
    CopyTextLimited(result, pattern, MAX_PATH);
    return;
  }
  std::string out(pattern, star);
  out += text;
  for (const char* p = star + 1; *p; ++p)
    if (*p != '*') out += *p;
  CopyTextLimited(result, out.c_str(), MAX_PATH);
}

void WildcardTargetName(const char* sourceName, const char* destination, char* target) {
  if (!strchr(destination, '*')) {
    CopyTextLimited(target, destination, MAX_PATH);
    return;
  }
  std::string srcFolder, srcName, srcExt, dstFolder, dstName, dstExt;
  SplitName(sourceName, srcFolder, srcName, srcExt);
  SplitName(destination, dstFolder, dstName, dstExt);
  char name[MAX_PATH], extension[MAX_PATH];
  ReplaceWildcard(srcName.c_str(), dstName.c_str(), name);
  ReplaceWildcard(srcExt.c_str(), dstExt.c_str(), extension);
  std::string out = dstFolder + name;
  if (extension[0])
    out += std::string(".") + extension;
  else if (!srcExt.empty())
    out += "." + srcExt;
  CopyTextLimited(target, out.c_str(), MAX_PATH);
}

bool FileCopyMovePattern(const char* source, const char* destination, bool overwrite, bool move) {
  std::string from = FullPath(source), to = FullPath(destination);
  if (from.empty() || to.empty()) return false;
  bool otherDrive = DrivesDiffer(from.c_str(), to.c_str());
  if (IsDirectory(from.c_str())) from = AllFilesIn(from);
  if (IsDirectory(to.c_str())) to = AllFilesIn(to);

  return ForEachFile(from, [&](const std::string& folder, const char* name) {
    std::string file = folder + name;
    char target[MAX_PATH];
    WildcardTargetName(name, to.c_str(), target);
    // A device (a serial port listed as a file) is neither read nor written: it may never end.
    if (!IsDiskFileOrAbsent(file.c_str()) || !IsDiskFileOrAbsent(target)) return false;
    if (FileExistsPattern(target)) {
      if (!overwrite) return false;
      // A file copied or moved onto itself is already where it should be: deleting the
      // "old" target would delete the only copy.
      if (SameFile(file, target)) return true;
      if (!DeleteFileA(target)) return false;
    }
    if (!move) return CopyFileA(file.c_str(), target, FALSE) != FALSE;
    if (!otherDrive) return MoveFileA(file.c_str(), target) != FALSE;
    return CopyFileA(file.c_str(), target, FALSE) && DeleteFileA(file.c_str());
  });
}

bool SetFileTimeEx(const char* path, const FILETIME& time, int which) {
  if (g_OSVersion.bIsWin9x && IsDirectory(path)) return true;  // 9x cannot open folders
  if (IsDevicePath(path)) return false;
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BOOL ok = SetFileTime(file, which == 1 ? &time : nullptr, (which != 0 && which != 1) ? &time : nullptr,
                        which == 0 ? &time : nullptr);
  CloseHandle(file);
  return ok != FALSE;
}

bool GetFileVersionText(const char* file, char* buffer) {
  buffer[0] = '\0';
  if (!IsDiskFileOrAbsent(file)) return false;
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(file, &handle);
  if (size == 0) return false;
  std::string data(size, '\0');
  if (!GetFileVersionInfoA(file, 0, size, data.data())) return false;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info ||
      length < sizeof *info)
    return false;
  wsprintfA(buffer, "%u.%u.%u.%u", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
            HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
  return true;
}

bool ReadFileLine(char* buffer, int size, FILE* file, long long* consumed) {
  if (size > 0) buffer[0] = '\0';
  int c = fgetc(file);
  if (c == EOF) return false;
  long long taken = 1;
  int length = 0;
  for (; c != EOF && c != '\n' && c != '\r'; c = fgetc(file), ++taken)
    if (length < size - 1) buffer[length++] = static_cast<char>(c);
  if (c == EOF) --taken;
  if (c == '\r') {
    int next = fgetc(file);
    if (next == '\n') ++taken;
    else if (next != EOF) ungetc(next, file);
  }
  if (size > 0) buffer[length] = '\0';
  if (consumed) *consumed += taken;
  return true;
}
