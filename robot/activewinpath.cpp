// Window association: what window an action belongs to, and bringing that window back.
#include "robot/activewinpath.h"

#include <tlhelp32.h>

#include "robot/entrypoint.h"

const char kDesktopTitle[] = "Desktop";
const char kDesktopPath[] = "Program Manager";
const char kStartMenuName[] = "Start Menu";
const char kTaskBarName[] = "Task Bar";
const char kDimmedDesktopName[] = "Dimmed Desktop";

namespace {

const int kClassNameSize = 260;
const int kModulePathSize = 1024;
const DWORD kQueryAndReadAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;  // 0x410
// Owner chains are short; the bound only guards against a chain that never ends.
const int kMaxParentLevel = 1000;

int ParentLevel(HWND hWnd) {
  int level = 0;
  for (HWND parent = GetParent(hWnd); parent && level < kMaxParentLevel; parent = GetParent(parent)) ++level;
  return level;
}

CString WindowTitle(HWND hWnd) {
  char title[kWinTitleBufferSize] = "";
  GetWindowTextA(hWnd, title, kWinTitleBufferSize);
  return title;
}

CString WindowClass(HWND hWnd) {
  char name[kClassNameSize] = "";
  GetClassNameA(hWnd, name, kClassNameSize);
  return name;
}

void SetFixedNames(RecWinInfo& info, const char* title, const char* path) {
  info.WinTitle = title;
  info.WinPath = path;
}

bool IsNamed(const RecWinInfo& r, const char* title, const char* path) {
  return r.WinTitle.CompareNoCase(title) == 0 && r.WinPath.CompareNoCase(path) == 0;
}

void PressKey(BYTE vk, DWORD flags) { keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), flags, 0); }

}  // namespace

BOOL ActivateWindowAt(HWND hWnd, RecWinInfo& record) {
  // SWP_SHOWWINDOW below would show a hidden window of the program, such as a tool window it
  // keeps around; such a window is not the one the user worked in.
  if (!IsWindow(hWnd) || !IsWindowVisible(hWnd)) return FALSE;
  if (IsIconic(hWnd)) ShowWindow(hWnd, SW_RESTORE);
  SetForegroundWindow(hWnd);
  const RECT& r = record.WinRect;
  SetWindowPos(hWnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_SHOWWINDOW);
  record.hWnd = hWnd;
  return TRUE;
}

CActiveWinPath::CActiveWinPath() { LoadProcessLibrary(); }

CActiveWinPath::~CActiveWinPath() { FreeProcessLibrary(); }

BOOL CActiveWinPath::IsWindowsNT() {
  OSVERSIONINFOA vi = {};
  vi.dwOSVersionInfoSize = sizeof vi;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  BOOL ok = GetVersionExA(&vi);
#pragma GCC diagnostic pop
  return ok && vi.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

void CActiveWinPath::LoadProcessLibrary() { LoadProcessLibrary(IsWindowsNT()); }

void CActiveWinPath::LoadProcessLibrary(BOOL useProcessStatus) {
  FreeProcessLibrary();
  if (useProcessStatus) {
    m_hProcessLib = LoadLibraryA("psapi.dll");
    if (!m_hProcessLib) return;
    m_pEnumProcessModules = BindEntryPoint<EnumProcessModulesFn>(m_hProcessLib, "EnumProcessModules");
    m_pGetModuleFileNameExA = BindEntryPoint<GetModuleFileNameExAFn>(m_hProcessLib, "GetModuleFileNameExA");
  } else {
    m_hProcessLib = LoadLibraryA("kernel32.dll");
    if (!m_hProcessLib) return;
    m_pCreateToolhelp32Snapshot = BindEntryPoint<CreateToolhelp32SnapshotFn>(m_hProcessLib, "CreateToolhelp32Snapshot");
    m_pProcess32First = BindEntryPoint<ProcessWalkFn>(m_hProcessLib, "Process32First");
    m_pProcess32Next = BindEntryPoint<ProcessWalkFn>(m_hProcessLib, "Process32Next");
    m_pModule32First = BindEntryPoint<ModuleWalkFn>(m_hProcessLib, "Module32First");
    m_pModule32Next = BindEntryPoint<ModuleWalkFn>(m_hProcessLib, "Module32Next");
  }
}

void CActiveWinPath::FreeProcessLibrary() {
  if (m_hProcessLib) FreeLibrary(m_hProcessLib);
  m_hProcessLib = nullptr;
  m_pEnumProcessModules = nullptr;
  m_pGetModuleFileNameExA = nullptr;
  m_pCreateToolhelp32Snapshot = nullptr;
  m_pProcess32First = nullptr;
  m_pProcess32Next = nullptr;
  m_pModule32First = nullptr;
  m_pModule32Next = nullptr;
}

BOOL CActiveWinPath::GetWindowProcessPath(HWND hWnd, CString& path) {
  DWORD pid = 0;
  if (!GetWindowThreadProcessId(hWnd, &pid) || !pid) return FALSE;

  if (m_pEnumProcessModules && m_pGetModuleFileNameExA) {
    HANDLE process = OpenProcess(kQueryAndReadAccess, FALSE, pid);
    if (!process) return FALSE;
    HMODULE module = nullptr;
    DWORD needed = 0;
    BOOL ok = FALSE;
    if (m_pEnumProcessModules(process, &module, sizeof module, &needed) && module) {
      char name[kModulePathSize] = "";
      if (m_pGetModuleFileNameExA(process, module, name, kModulePathSize)) {
        path = name;
        ok = TRUE;
      }
    }
    CloseHandle(process);
    return ok;
  }

  if (m_pCreateToolhelp32Snapshot && m_pModule32First) {
    HANDLE snapshot = m_pCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE || !snapshot) return FALSE;
    MODULEENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    BOOL ok = m_pModule32First(snapshot, &entry);
    if (ok) path = entry.szExePath;
    CloseHandle(snapshot);
    return ok;
  }
  return FALSE;
}

BOOL CALLBACK CActiveWinPath::EnumTopLevelWindowProc(HWND hWnd, LPARAM lParam) {
  CActiveWinPath* self = reinterpret_cast<CActiveWinPath*>(lParam);
  HWND given = self->m_Key.hWnd;
  if (hWnd == given || IsChild(hWnd, given)) {
    self->m_Key.hWnd = hWnd;
    self->m_bFound = TRUE;
    return FALSE;
  }
  return TRUE;
}

BOOL CActiveWinPath::GetWindowInfo(HWND hWnd, RecWinInfo& info) {
  if (!hWnd) return FALSE;
  HWND desktop = GetDesktopWindow();
  HWND top = hWnd;
  // The desktop window is not among the top-level windows that EnumWindows lists.
  if (hWnd != desktop) {
    m_Key.hWnd = hWnd;
    m_bFound = FALSE;
    EnumWindows(EnumTopLevelWindowProc, reinterpret_cast<LPARAM>(this));
    if (!m_bFound) return FALSE;
    top = m_Key.hWnd;
  }

  info.hWnd = top;
  RECT rect;
  if (!GetWindowRect(top, &rect)) return FALSE;
  info.WinParentLevel = ParentLevel(top);
  CString cls = WindowClass(top);

  const char* fixedTitle = nullptr;
  const char* fixedPath = nullptr;
  if (top == desktop || top == FindWindowA(nullptr, "Program Manager")) {
    fixedTitle = kDesktopTitle;
    fixedPath = kDesktopPath;
  } else if (cls.CompareNoCase("BaseBar") == 0) {
    fixedTitle = fixedPath = kStartMenuName;
  } else if (cls.CompareNoCase("WorkerW") == 0) {
    fixedTitle = kDesktopTitle;
    fixedPath = kDesktopPath;
  } else if (cls.CompareNoCase("Shell_TrayWnd") == 0) {
    fixedTitle = fixedPath = kTaskBarName;
  } else if (cls.CompareNoCase("DimmedWindowClass") == 0 || cls.CompareNoCase("FakeDesktopWClass") == 0) {
    fixedTitle = fixedPath = kDimmedDesktopName;
  }
  if (fixedTitle) {
    SetFixedNames(info, fixedTitle, fixedPath);
    info.WinRect = rect;
    return TRUE;
  }

  CString path;
  if (!GetWindowProcessPath(top, path)) return FALSE;
  CString title = WindowTitle(top);
  if (title.CompareNoCase(kStartMenuName) == 0 && cls.CompareNoCase("DV2ControlHost") == 0) {
    SetFixedNames(info, kStartMenuName, kStartMenuName);
  } else {
    info.WinTitle = title;
    info.WinPath = path;
  }
  info.WinRect = rect;
  return TRUE;
}

bool CActiveWinPath::IsExcluded(HWND hWnd) const {
  for (HWND excluded : m_ExcludeList)
    if (excluded == hWnd) return true;
  return false;
}

BOOL CALLBACK CActiveWinPath::FindRecordedWindowProc(HWND hWnd, LPARAM lParam) {
  CActiveWinPath* self = reinterpret_cast<CActiveWinPath*>(lParam);
  if (!hWnd || self->IsExcluded(hWnd)) return TRUE;
  // Programs keep hidden top-level windows; activating one would show it.
  if (!IsWindowVisible(hWnd)) return TRUE;
  CString title = WindowTitle(hWnd);
  if (title == "Program Manager") return TRUE;
  CString path;
  if (!self->GetWindowProcessPath(hWnd, path) || path.CompareNoCase(self->m_Key.WinPath) != 0) return TRUE;
  if (self->m_Key.WinParentLevel != -1 && ParentLevel(hWnd) != self->m_Key.WinParentLevel) return TRUE;
  if (title == self->m_Key.WinTitle) {
    self->m_hFoundWnd = hWnd;
    return FALSE;
  }
  if (!self->m_hSimilarWnd) self->m_hSimilarWnd = hWnd;
  return TRUE;
}

BOOL CActiveWinPath::ActivateRecordedWindow(RecWinInfo& record, BOOL exactOnly) {
  if (IsNamed(record, kDesktopTitle, kDesktopPath)) {
    // Win+D shows the desktop.
    PressKey(VK_LWIN, 0);
    PressKey('D', 0);
    PressKey('D', KEYEVENTF_KEYUP);
    PressKey(VK_LWIN, KEYEVENTF_KEYUP);
    return TRUE;
  }
  if (IsNamed(record, kTaskBarName, kTaskBarName) || IsNamed(record, kStartMenuName, kStartMenuName) ||
      IsNamed(record, kDimmedDesktopName, kDimmedDesktopName))
    return TRUE;

  if (m_hFoundWnd) return ActivateWindowAt(m_hFoundWnd, record);

  m_Key = record;
  EnumWindows(FindRecordedWindowProc, reinterpret_cast<LPARAM>(this));
  if (m_hFoundWnd) return ActivateWindowAt(m_hFoundWnd, record);
  if (m_hSimilarWnd && !exactOnly) return ActivateWindowAt(m_hSimilarWnd, record);
  return FALSE;
}
