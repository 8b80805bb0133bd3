// The application object, the message loop and its pre-translate walk.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

class CWnd;

class CWinApp {
public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // FALSE ends the program at once.
  virtual BOOL InitInstance() { return TRUE; }
  // The message loop; returns ExitInstance's result once WM_QUIT arrives.
  virtual int Run();
  // The exit code: by default the wParam of the WM_QUIT that ended the loop.
  virtual int ExitInstance() { return exitCode_; }
  // Called for every message before it is dispatched, after the windows' own walk.
  virtual BOOL PreTranslateMessage(MSG* msg);
  // Called when the queue is empty; return TRUE to be called again before waiting.
  virtual BOOL OnIdle(LONG count);

  // The program's main window; its destruction ends the message loop.
  CWnd* m_pMainWnd = nullptr;
  HINSTANCE m_hInstance = nullptr;

  // The application profile (an initialisation file): see profile.h.
  BOOL GetProfileBinary(const char* section, const char* entry, BYTE** data, UINT* bytes);
  BOOL WriteProfileBinary(const char* section, const char* entry, const void* data, UINT bytes);
  CString GetProfileString(const char* section, const char* entry, const char* fallback = "");
  BOOL WriteProfileString(const char* section, const char* entry, const char* value);
  UINT GetProfileInt(const char* section, const char* entry, int fallback);
  BOOL WriteProfileInt(const char* section, const char* entry, int value);

private:
  friend int AfxRunMessageLoop(CWinApp* app);
  int exitCode_ = 0;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();

// Registers the common control classes (list view, header, tooltips, up-down, date picker...).
void AfxInitCommonControls();

// The walk every message loop makes before dispatching a message: from the message's window up
// through its parents, each window that has an object gets PreTranslateMessage (dialogs run
// IsDialogMessage there), then the application's PreTranslateMessage. TRUE: handled.
BOOL AfxPreTranslateMessage(MSG* msg);

// Takes one message (waiting for it), walks it and dispatches it; FALSE on WM_QUIT, which is
// left in the queue again.
BOOL AfxPumpMessage();

// Idle work of the outermost running loop (frees temporary window views).
void AfxIdle();

// Runs a loop nested in the current one until done() is true; returns FALSE when WM_QUIT came
// (it is posted again for the outer loop).
template <class Done>
BOOL AfxRunNestedLoop(Done done);

// WinMain's body: InitInstance, then Run (or ExitInstance when InitInstance fails).
int AfxWinMain(HINSTANCE instance);

namespace app_detail {
struct LoopDepth {
  LoopDepth();
  ~LoopDepth();
  static int Current();
};
BOOL WaitAndPump();
}  // namespace app_detail

template <class Done>
BOOL AfxRunNestedLoop(Done done) {
  app_detail::LoopDepth depth;
  while (!done()) {
    if (!app_detail::WaitAndPump()) return FALSE;
  }
  return TRUE;
}
