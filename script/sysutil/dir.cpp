// Directory creation, copy, move and removal.
#include "script/sysutil/sysutil.h"

#include <shellapi.h>

#include <string>

bool ShellFileOperation(UINT operation, const std::string& from, const std::string& to, WORD extraFlags) {
  std::string fromList = from + '\0';  // c_str() adds the second zero
  std::string toList = to + '\0';
  SHFILEOPSTRUCTA op = {};
  op.wFunc = operation;
  op.pFrom = fromList.c_str();
  op.pTo = to.empty() ? nullptr : toList.c_str();
  op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_NOCONFIRMMKDIR | extraFlags;
  return SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
}

namespace {

std::string FullPath(const char* name) {
  char buffer[MAX_PATH];
  return GetFullPathNoSlash(name, buffer) ? std::string(buffer) : std::string();
}

}  // namespace

bool CreateDirectoryPath(const char* path) {
  std::string full = FullPath(path);
  if (full.empty()) return false;
  DWORD attributes = GetFileAttributesA(full.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  DWORD error = GetLastError();
  if (error != ERROR_PATH_NOT_FOUND && error != ERROR_FILE_NOT_FOUND) return false;
  size_t slash = full.find_last_of('\\');
  if (slash == std::string::npos) return false;
  std::string parent = full.substr(0, slash);
  // "C:" has nothing above it; its root is "C:\".
  if (parent.size() == 2 && parent[1] == ':') parent += '\\';
  if (GetFileAttributesA(parent.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (parent.size() <= 3 || !CreateDirectoryPath(parent.c_str())) return false;
  }
  return CreateDirectoryA(full.c_str(), nullptr) != FALSE;
}

bool DirCopyHelper(const char* source, const char* destination, bool overwrite) {
  std::string from = FullPath(source), to = FullPath(destination);
  if (from.empty() || to.empty() || !IsDirectory(from.c_str())) return false;
  if (IsDirectory(to.c_str())) {
    if (!overwrite) return false;
  } else if (!CreateDirectoryPath(to.c_str())) {
    return false;
  }
  std::string everything = from + (from.back() == '\\' ? "*.*" : "\\*.*");
  return ShellFileOperation(FO_COPY, everything, to);
}

bool DirMoveHelper(const char* source, const char* destination, bool overwrite) {
  std::string from = FullPath(source), to = FullPath(destination);
  if (from.empty() || to.empty() || !IsDirectory(from.c_str())) return false;
  if (IsDirectory(to.c_str()) && !overwrite) return false;
  if (!DrivesDiffer(from.c_str(), to.c_str())) return ShellFileOperation(FO_MOVE, from, to);
  return DirCopyHelper(from.c_str(), to.c_str(), true) && DirRemoveHelper(from.c_str(), true);
}

bool DirRemoveHelper(const char* path, bool wholeTree) {
  std::string full = FullPath(path);
  if (full.empty() || !IsDirectory(full.c_str())) return false;
  if (!wholeTree) return RemoveDirectoryA(full.c_str()) != FALSE;
  return ShellFileOperation(FO_DELETE, full, std::string());
}
