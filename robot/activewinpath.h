// CActiveWinPath: describes a window as a RecWinInfo, and finds and re-activates the recorded window.
#pragma once

#include <windows.h>

#include "framework/collections.h"
#include "robot/recwininfo.h"

// Fixed names of the shell's own windows (title, path).
extern const char kDesktopTitle[];        // "Desktop"
extern const char kDesktopPath[];         // "Program Manager"
extern const char kStartMenuName[];       // "Start Menu"
extern const char kTaskBarName[];         // "Task Bar"
extern const char kDimmedDesktopName[];   // "Dimmed Desktop"

// Window titles are read with this many characters (terminator included), both when a window is
// described and when it is searched for, so a recorded title always compares equal to itself.
const int kWinTitleBufferSize = 260;

// Activates one window and moves it to the record's rectangle; stores the handle in the record.
// A window that is gone or hidden gives FALSE: a hidden window is never shown.
BOOL ActivateWindowAt(HWND hWnd, RecWinInfo& record);

class CActiveWinPath {
public:
  CActiveWinPath();
  virtual ~CActiveWinPath();
  CActiveWinPath(const CActiveWinPath&) = delete;
  CActiveWinPath& operator=(const CActiveWinPath&) = delete;

  // Describes the top-level window that is or contains hWnd (WinIndex is left as it is).
  BOOL GetWindowInfo(HWND hWnd, RecWinInfo& info);
  // Brings the recorded window to the front at its recorded place: the exact match, or, unless
  // exactOnly, the first other visible window of the same program and level.
  BOOL ActivateRecordedWindow(RecWinInfo& record, BOOL exactOnly);
  // Full path of the executable of the process that owns the window.
  BOOL GetWindowProcessPath(HWND hWnd, CString& path);

  static BOOL IsWindowsNT();
  // Binds the process-inspection functions: psapi on the NT family, toolhelp elsewhere.
  void LoadProcessLibrary();
  // As above with the choice made by the caller (TRUE: psapi, FALSE: toolhelp).
  void LoadProcessLibrary(BOOL useProcessStatus);

  // The interpreter presets the found window and fills the exclusion list before a search.
  HWND m_hFoundWnd = nullptr;
  CArray<HWND, HWND> m_ExcludeList;

  HWND SimilarWindow() const { return m_hSimilarWnd; }

private:
  static BOOL CALLBACK EnumTopLevelWindowProc(HWND hWnd, LPARAM lParam);
  static BOOL CALLBACK FindRecordedWindowProc(HWND hWnd, LPARAM lParam);
  bool IsExcluded(HWND hWnd) const;
  void FreeProcessLibrary();

  typedef BOOL(WINAPI* EnumProcessModulesFn)(HANDLE, HMODULE*, DWORD, LPDWORD);
  typedef DWORD(WINAPI* GetModuleFileNameExAFn)(HANDLE, HMODULE, LPSTR, DWORD);
  typedef HANDLE(WINAPI* CreateToolhelp32SnapshotFn)(DWORD, DWORD);
  typedef BOOL(WINAPI* ProcessWalkFn)(HANDLE, void*);
  typedef BOOL(WINAPI* ModuleWalkFn)(HANDLE, void*);

  RecWinInfo m_Key;
  BOOL m_bFound = FALSE;
  HWND m_hSimilarWnd = nullptr;

  HMODULE m_hProcessLib = nullptr;
  EnumProcessModulesFn m_pEnumProcessModules = nullptr;
  GetModuleFileNameExAFn m_pGetModuleFileNameExA = nullptr;
  CreateToolhelp32SnapshotFn m_pCreateToolhelp32Snapshot = nullptr;
  ProcessWalkFn m_pProcess32First = nullptr;
  ProcessWalkFn m_pProcess32Next = nullptr;
  ModuleWalkFn m_pModule32First = nullptr;
  ModuleWalkFn m_pModule32Next = nullptr;
};
