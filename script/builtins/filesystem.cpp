// The file and folder built-ins: copy, move, delete and recycle by pattern, folders, sizes,
// attributes, times, versions and long and short names.
#include <windows.h>

#include <shellapi.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "script/interpreter.h"
#include "script/sysutil/sysutil.h"

namespace {

bool IsDots(const char* name) { return strcmp(name, ".") == 0 || strcmp(name, "..") == 0; }

// The path of a search's match: the pattern's folder and the match's name.
std::string MatchPath(const char* pattern, const WIN32_FIND_DATAA& found) {
  const char* name = pattern;
  for (const char* p = pattern; *p; ++p)
    if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
  return std::string(pattern, name) + found.cFileName;
}

// Calls `action` with the full path of every match of `pattern` in `folder` (ending in a
// backslash), then, with `recurse`, of every folder below it. `changed` counts the calls;
// false at the first failed action.
template <typename Action>
bool ChangeInFolder(const std::string& folder, const std::string& pattern, bool recurse, Action& action,
                    int& changed) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + pattern).c_str(), &found);
  bool ok = true;
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (IsDots(found.cFileName)) continue;
      ++changed;
      ok = action((folder + found.cFileName).c_str());
    } while (ok && FindNextFileA(search, &found));
    FindClose(search);
  }
  if (!ok || !recurse) return ok;
  search = FindFirstFileA((folder + "*.*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return true;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDots(found.cFileName)) continue;
    ok = ChangeInFolder(folder + found.cFileName + "\\", pattern, recurse, action, changed);
  } while (ok && FindNextFileA(search, &found));
  FindClose(search);
  return ok;
}

// FILESETTIME and FILESETATTRIB: a folder named on its own is changed itself (and, with
// `recurse`, everything below it); otherwise every match of the pattern in its folder (and in
// the folders below). Works on full paths, so the current directory is never touched. False at
// the first failure, and when nothing matched.
template <typename Action>
bool ChangeMatches(const char* pattern, bool recurse, Action action) {
  char stripped[MAX_PATH], full[MAX_PATH];
  CopyTextLimited(stripped, pattern, MAX_PATH);
  StripTrailingBackslash(stripped);
  DWORD length = GetFullPathNameA(stripped, MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return false;
  const char* slash = strrchr(full, '\\');
  if (!slash) return false;
  std::string folder(static_cast<const char*>(full), slash + 1), name(slash + 1);
  if (IsDirectory(full)) {
    if (!action(full)) return false;
    if (!recurse) return true;
    folder = std::string(full) + "\\";
    name = "*.*";
  }
  int changed = 0;
  return ChangeInFolder(folder, name, recurse, action, changed) && changed > 0;
}

// FILESETTIME's time text: "" is now; else YYYY[MM[DD[hh[mm[ss]]]]] in local time. False when
// the text is too short, holds other than digits, or names no real time.
bool ParseFileTimeText(const char* text, FILETIME& utc) {
  SYSTEMTIME time = {};
  size_t length = strlen(text);
  if (length == 0) {
    GetLocalTime(&time);
  } else {
    if (length < 4) return false;
    auto number = [&](size_t at, size_t digits, WORD& field) {
      int value = 0;
      for (size_t i = at; i < at + digits; ++i) {
        if (!isdigit(static_cast<unsigned char>(text[i]))) return false;
        value = value * 10 + (text[i] - '0');
      }
      field = static_cast<WORD>(value);
      return true;
    };
    time.wMonth = time.wDay = 1;
    if (!number(0, 4, time.wYear)) return false;
    WORD* fields[] = {&time.wMonth, &time.wDay, &time.wHour, &time.wMinute, &time.wSecond};
    size_t at = 4;
    for (WORD* field : fields) {
      if (length - at < 2) break;
      if (!number(at, 2, *field)) return false;
      at += 2;
    }
  }
  FILETIME local;
  return SystemTimeToFileTime(&time, &local) && LocalFileTimeToFileTime(&local, &utc);
}

// FILESETATTRIB's text: "+" adds, "-" removes the letters that follow (adding at the start).
bool ParseAttributeText(const char* text, DWORD& set, DWORD& clear) {
  static const struct {
    char letter;
    DWORD bit;
  } kLetters[] = {{'R', FILE_ATTRIBUTE_READONLY}, {'A', FILE_ATTRIBUTE_ARCHIVE},    {'S', FILE_ATTRIBUTE_SYSTEM},
                  {'H', FILE_ATTRIBUTE_HIDDEN},   {'N', FILE_ATTRIBUTE_NORMAL},     {'O', FILE_ATTRIBUTE_OFFLINE},
                  {'T', FILE_ATTRIBUTE_TEMPORARY}};
  set = clear = 0;
  bool adding = true, signPending = false;
  for (const char* p = text; *p; ++p) {
    if (*p == '+' || *p == '-') {
      adding = *p == '+';
      signPending = true;
      continue;
    }
    DWORD bit = 0;
    for (const auto& entry : kLetters)
      if (toupper(static_cast<unsigned char>(*p)) == entry.letter) bit = entry.bit;
    if (!bit) return false;
    (adding ? set : clear) |= bit;
    signPending = false;
  }
  return !signPending;
}

}  // namespace

int CQuorvex_Script::F_FileCopy(CValueList& args, CScriptValue& result) {
  result.SetInt(FileCopyMovePattern(args.GetAt(0).GetString(), args.GetAt(1).GetString(),
                                    args.GetAt(2).GetInt() != 0, false));
  return 0;
}

int CQuorvex_Script::F_FileMove(CValueList& args, CScriptValue& result) {
  result.SetInt(FileCopyMovePattern(args.GetAt(0).GetString(), args.GetAt(1).GetString(),
                                    args.GetAt(2).GetInt() != 0, true));
  return 0;
}

int CQuorvex_Script::F_FileInstall(CValueList& args, CScriptValue& result) { return F_FileCopy(args, result); }

int CQuorvex_Script::F_FileDelete(CValueList& args, CScriptValue& result) {
  result.SetInt(FileDeletePattern(args.GetAt(0).GetString()));
  return 0;
}

int CQuorvex_Script::F_FileExists(CValueList& args, CScriptValue& result) {
  result.SetInt(FileExistsPattern(args.GetAt(0).GetString()));
  return 0;
}

int CQuorvex_Script::F_FileRecycle(CValueList& args, CScriptValue& result) {
  char full[MAX_PATH];
  result.SetInt(GetFullPathNoSlash(args.GetAt(0).GetString(), full) &&
                ShellFileOperation(FO_DELETE, full, std::string(), FOF_ALLOWUNDO));
  return 0;
}

int CQuorvex_Script::F_FileRecycleEmpty(CValueList& args, CScriptValue& result) {
  typedef HRESULT(WINAPI * EmptyBinFn)(HWND, LPCSTR, DWORD);
  HMODULE shell = LoadLibraryA("shell32.dll");
  auto empty = shell ? reinterpret_cast<EmptyBinFn>(reinterpret_cast<void*>(GetProcAddress(shell, "SHEmptyRecycleBinA"))) : nullptr;
  bool ok = empty && empty(nullptr, args.GetCount() > 0 ? args.GetAt(0).GetString() : nullptr,
                           SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND) == S_OK;
  if (shell) FreeLibrary(shell);
  result.SetInt(ok);
  return 0;
}

int CQuorvex_Script::F_FileChangeDir(CValueList& args, CScriptValue& result) {
  result.SetInt(SetCurrentDirectoryA(args.GetAt(0).GetString()) != FALSE);
  return 0;
}

int CQuorvex_Script::F_DirCreate(CValueList& args, CScriptValue& result) {
  result.SetInt(CreateDirectoryPath(args.GetAt(0).GetString()));
  return 0;
}

int CQuorvex_Script::F_DirRemove(CValueList& args, CScriptValue& result) {
  result.SetInt(DirRemoveHelper(args.GetAt(0).GetString(), args.GetAt(1).GetInt() != 0));
  return 0;
}

int CQuorvex_Script::F_DirCopy(CValueList& args, CScriptValue& result) {
  result.SetInt(DirCopyHelper(args.GetAt(0).GetString(), args.GetAt(1).GetString(), args.GetAt(2).GetInt() != 0));
  return 0;
}

int CQuorvex_Script::F_DirMove(CValueList& args, CScriptValue& result) {
  result.SetInt(DirMoveHelper(args.GetAt(0).GetString(), args.GetAt(1).GetString(), args.GetAt(2).GetInt() != 0));
  return 0;
}

int CQuorvex_Script::F_FileGetSize(CValueList& args, CScriptValue& result) {
  const char* pattern = args.GetAt(0).GetString();
  WIN32_FIND_DATAA found;
  HANDLE search = IsDevicePath(pattern) ? INVALID_HANDLE_VALUE : FindFirstFileA(pattern, &found);
  bool matched = search != INVALID_HANDLE_VALUE;
  if (matched) FindClose(search);
  // A device has no size, whatever the search says of it: it fails as a missing file does.
  if (matched && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    matched = IsDiskFileOrAbsent(MatchPath(pattern, found).c_str());
  if (!matched) {
    result.SetInt(0);
    SetError(1);
    return 0;
  }
  result.SetNumber(static_cast<double>((static_cast<unsigned long long>(found.nFileSizeHigh) << 32) |
                                       found.nFileSizeLow));
  return 0;
}

int CQuorvex_Script::F_FileGetAttrib(CValueList& args, CScriptValue& result) {
  static const struct {
    DWORD bit;
    char letter;
  } kLetters[] = {{FILE_ATTRIBUTE_READONLY, 'R'}, {FILE_ATTRIBUTE_ARCHIVE, 'A'},   {FILE_ATTRIBUTE_SYSTEM, 'S'},
                  {FILE_ATTRIBUTE_HIDDEN, 'H'},   {FILE_ATTRIBUTE_NORMAL, 'N'},    {FILE_ATTRIBUTE_DIRECTORY, 'D'},
                  {FILE_ATTRIBUTE_OFFLINE, 'O'},  {FILE_ATTRIBUTE_COMPRESSED, 'C'}, {FILE_ATTRIBUTE_TEMPORARY, 'T'}};
  DWORD attributes = GetFileAttributesA(args.GetAt(0).GetString());
  CScriptString letters;
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    SetError(1);
  } else {
    for (const auto& entry : kLetters)
      if (attributes & entry.bit) letters.AppendChar(entry.letter);
  }
  result.SetString(letters);
  return 0;
}

int CQuorvex_Script::F_FileSetAttrib(CValueList& args, CScriptValue& result) {
  DWORD set, clear;
  bool ok = ParseAttributeText(args.GetAt(1).GetString(), set, clear) &&
            ChangeMatches(args.GetAt(0).GetString(), args.GetAt(2).GetInt() == 1, [&](const char* path) {
              DWORD attributes = GetFileAttributesA(path);
              return attributes != INVALID_FILE_ATTRIBUTES &&
                     SetFileAttributesA(path, (attributes | set) & ~clear) != FALSE;
            });
  result.SetInt(ok);
  return 0;
}

int CQuorvex_Script::F_FileGetTime(CValueList& args, CScriptValue& result) {
  // Shares writing too: a log the script holds open still tells its times.
  // A folder opens too (with backup semantics); a device never.
  const char* path = args.GetAt(0).GetString();
  HANDLE file = IsDevicePath(path) ? INVALID_HANDLE_VALUE
                                   : CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    SetError(1);
    return 0;
  }
  FILETIME created, accessed, written;
  BOOL read = GetFileTime(file, &created, &accessed, &written);
  CloseHandle(file);
  int type = args.GetAt(1).GetInt();
  FILETIME local;
  SYSTEMTIME time;
  if (!read || !FileTimeToLocalFileTime(type == 1 ? &created : type == 2 ? &accessed : &written, &local) ||
      !FileTimeToSystemTime(&local, &time) || !CreateArray1D(result, 6)) {
    SetError(1);
    return 0;
  }
  const int fields[6] = {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
  for (int i = 0; i < 6; ++i) {
    char text[16];
    snprintf(text, sizeof text, i == 0 ? "%4d" : "%02d", fields[i]);
    GetArrayElement1D(result, i)->SetString(text);
  }
  return 0;
}

int CQuorvex_Script::F_FileSetTime(CValueList& args, CScriptValue& result) {
  int type = args.GetAt(2).GetInt();
  if (type < 0 || type > 2) type = 0;
  FILETIME time;
  // A time that does not convert changes nothing.
  bool ok = ParseFileTimeText(args.GetAt(1).GetString(), time) &&
            ChangeMatches(args.GetAt(0).GetString(), args.GetCount() >= 4 && args.GetAt(3).GetInt() == 1,
                          [&](const char* path) { return SetFileTimeEx(path, time, type); });
  result.SetInt(ok);
  return 0;
}

int CQuorvex_Script::F_FileGetVersion(CValueList& args, CScriptValue& result) {
  char version[32];
  if (!GetFileVersionText(args.GetAt(0).GetString(), version)) {
    strcpy(version, "0.0.0.0");
    SetError(1);
  }
  result.SetString(version);
  return 0;
}

int CQuorvex_Script::F_FileGetLongName(CValueList& args, CScriptValue& result) {
  char path[MAX_PATH];
  if (!GetLongPathViaShell(args.GetAt(0).GetString(), path)) SetError(1);
  result.SetString(path);
  return 0;
}

int CQuorvex_Script::F_FileGetShortName(CValueList& args, CScriptValue& result) {
  const char* name = args.GetAt(0).GetString();
  char path[MAX_PATH];
  DWORD length = GetShortPathNameA(name, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    SetError(1);
    result.SetString(name);
    return 0;
  }
  result.SetString(path);
  return 0;
}
