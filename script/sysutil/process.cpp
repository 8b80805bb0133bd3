// Process lookup (toolhelp or psapi, bound at run time), closing windows, shutting down.
#include "script/sysutil/sysutil.h"

#include <tlhelp32.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "script/osversion.h"

namespace {

// The file name with extension of an executable path.
const char* FileNamePart(const char* path) {
  const char* slash = strrchr(path, '\\');
  return slash ? slash + 1 : path;
}

bool Matches(const char* exePath, DWORD id, const char* name, DWORD wantedId) {
  return (wantedId != 0 && id == wantedId) || (*name && lstrcmpiA(FileNamePart(exePath), name) == 0);
}

template <typename T>
T Entry(HMODULE module, const char* name) {
  return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

bool ProcessFind(const char* nameOrId, DWORD& processId, bool& found) {
  if (g_OSVersion.bIsNT4) return ProcessFindPsapi(nameOrId, processId, found);
  return ProcessFindToolhelp(nameOrId, processId, found);
}

bool ProcessFindToolhelp(const char* nameOrId, DWORD& processId, bool& found) {
  using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
  using WalkFn = BOOL(WINAPI*)(HANDLE, LPPROCESSENTRY32);
  found = false;
  processId = 0;
  HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
  if (!kernel) return false;
  auto snapshot = Entry<SnapshotFn>(kernel, "CreateToolhelp32Snapshot");
  auto first = Entry<WalkFn>(kernel, "Process32First");
  auto next = Entry<WalkFn>(kernel, "Process32Next");
  if (!snapshot || !first || !next) return false;

  HANDLE list = snapshot(TH32CS_SNAPPROCESS, 0);
  if (list == INVALID_HANDLE_VALUE) return false;
  DWORD wantedId = static_cast<DWORD>(atoi(nameOrId));
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = first(list, &entry); more; more = next(list, &entry)) {
    if (Matches(entry.szExeFile, entry.th32ProcessID, nameOrId, wantedId)) {
      processId = entry.th32ProcessID;
      found = true;
      break;
    }
  }
  CloseHandle(list);
  return true;
}

bool ProcessFindPsapi(const char* nameOrId, DWORD& processId, bool& found) {
  using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
  using EnumModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
  using BaseNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
  found = false;
  processId = 0;
  HMODULE psapi = LoadLibraryA("psapi.dll");
  if (!psapi) return false;
  auto enumProcesses = Entry<EnumProcessesFn>(psapi, "EnumProcesses");
  auto enumModules = Entry<EnumModulesFn>(psapi, "EnumProcessModules");
  auto baseName = Entry<BaseNameFn>(psapi, "GetModuleBaseNameA");
  if (!enumProcesses || !enumModules || !baseName) {
    FreeLibrary(psapi);
    return false;
  }
  // A list that fills the buffer may have been cut: ask again with more room.
  std::vector<DWORD> ids(512);
  DWORD bytes = 0;
  for (;;) {
    DWORD size = static_cast<DWORD>(ids.size() * sizeof(DWORD));
    if (!enumProcesses(ids.data(), size, &bytes)) {
      FreeLibrary(psapi);
      return false;
    }
    if (bytes < size) break;
    ids.resize(ids.size() * 2);
  }

  DWORD wantedId = static_cast<DWORD>(atoi(nameOrId));
  for (DWORD i = 0; i < bytes / sizeof(DWORD) && !found; ++i) {
    char name[MAX_PATH] = "";
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]);
    if (process) {
      HMODULE module;
      DWORD needed;
      if (enumModules(process, &module, sizeof module, &needed)) baseName(process, module, name, sizeof name);
      CloseHandle(process);
    }
    if (Matches(name, ids[i], nameOrId, wantedId)) {
      processId = ids[i];
      found = true;
    }
  }
  FreeLibrary(psapi);
  return true;
}

bool CloseWindowOrKill(HWND window) {
  DWORD_PTR answer;
  if (SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 500, &answer)) return true;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  // A slow window of this program is left alone: ending it would end the program itself.
  if (processId == 0 || processId == GetCurrentProcessId()) return false;
  HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, processId);
  if (!process) return false;
  bool ended = TerminateProcess(process, 0) != FALSE;
  CloseHandle(process);
  return ended;
}

BOOL CALLBACK CloseWindowProc(HWND window, LPARAM) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId != GetCurrentProcessId()) CloseWindowOrKill(window);
  return TRUE;
}

bool EnableShutdownPrivilege(UINT flags) {
  if (g_OSVersion.bIsNTFamily) {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    DWORD error = GetLastError();
    CloseHandle(token);
    if (error != ERROR_SUCCESS) return false;
  } else if (flags & EWX_FORCE) {
    // 9x does not end programs by itself: close every other program's windows first.
    EnumWindows(CloseWindowProc, 0);
    flags &= ~static_cast<UINT>(EWX_FORCE);
  }
  return ExitWindowsEx(flags, 0) != FALSE;
}

namespace {
ShutdownFunction g_shutdown = nullptr;
}  // namespace

bool ShutdownSystem(UINT flags) { return g_shutdown ? g_shutdown(flags) : EnableShutdownPrivilege(flags); }

ShutdownFunction SetShutdownFunction(ShutdownFunction function) {
  ShutdownFunction previous = g_shutdown;
  g_shutdown = function;
  return previous;
}
