// The application object and the message loop.
#include "framework/app.h"

#include <windows.h>

#include <commctrl.h>

#include "framework/profile.h"
#include "framework/window.h"

namespace {
CWinApp* g_app = nullptr;
int g_loopDepth = 0;
}  // namespace

CWinApp::CWinApp() {
  g_app = this;
  m_hInstance = ::GetModuleHandleA(nullptr);
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }
CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }
HINSTANCE AfxGetInstanceHandle() { return ::GetModuleHandleA(nullptr); }
HINSTANCE AfxGetResourceHandle() { return ::GetModuleHandleA(nullptr); }

void AfxInitCommonControls() {
  static bool done = false;
  if (done) return;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
  done = ::InitCommonControlsEx(&icc) != FALSE;
}

BOOL CWinApp::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CWinApp::OnIdle(LONG) {
  AfxIdle();
  return FALSE;
}

BOOL AfxPreTranslateMessage(MSG* msg) {
  for (HWND h = msg->hwnd; h; h = (::GetWindowLongA(h, GWL_STYLE) & WS_CHILD) ? ::GetParent(h) : nullptr) {
    CWnd* wnd = CWnd::FromHandlePermanent(h);
    if (wnd && wnd->PreTranslateMessage(msg)) return TRUE;
  }
  CWinApp* app = AfxGetApp();
  return app ? app->PreTranslateMessage(msg) : FALSE;
}

BOOL AfxPumpMessage() {
  MSG msg;
  if (::GetMessageA(&msg, nullptr, 0, 0) <= 0) {
    ::PostQuitMessage(static_cast<int>(msg.wParam));
    return FALSE;
  }
  if (!AfxPreTranslateMessage(&msg)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return TRUE;
}

void AfxIdle() {
  // Temporary views may still be in use by the handlers of an outer loop.
  if (g_loopDepth <= 1) CWnd::DeleteTempMap();
}

namespace app_detail {
LoopDepth::LoopDepth() { ++g_loopDepth; }
LoopDepth::~LoopDepth() { --g_loopDepth; }
int LoopDepth::Current() { return g_loopDepth; }

BOOL WaitAndPump() {
  MSG msg;
  if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    CWinApp* app = AfxGetApp();
    if (app) {
      for (LONG n = 0; app->OnIdle(n) && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); ++n) {
      }
    } else {
      AfxIdle();
    }
  }
  return AfxPumpMessage();
}
}  // namespace app_detail

int AfxRunMessageLoop(CWinApp* app) {
  app_detail::LoopDepth depth;
  for (;;) {
    if (!app_detail::WaitAndPump()) break;
  }
  MSG msg;
  // Take back the WM_QUIT that AfxPumpMessage left in the queue.
  if (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) app->exitCode_ = static_cast<int>(msg.wParam);
  return app->ExitInstance();
}

int CWinApp::Run() { return AfxRunMessageLoop(this); }

int AfxWinMain(HINSTANCE instance) {
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  app->m_hInstance = instance;
  AfxInitCommonControls();
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}

BOOL CWinApp::GetProfileBinary(const char* section, const char* entry, BYTE** data, UINT* bytes) {
  return AfxGetProfileBinary(section, entry, data, bytes);
}
BOOL CWinApp::WriteProfileBinary(const char* section, const char* entry, const void* data, UINT bytes) {
  return AfxWriteProfileBinary(section, entry, data, bytes);
}
CString CWinApp::GetProfileString(const char* section, const char* entry, const char* fallback) {
  return AfxGetProfileString(section, entry, fallback);
}
BOOL CWinApp::WriteProfileString(const char* section, const char* entry, const char* value) {
  return AfxWriteProfileString(section, entry, value);
}
UINT CWinApp::GetProfileInt(const char* section, const char* entry, int fallback) {
  return AfxGetProfileInt(section, entry, fallback);
}
BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value) {
  return AfxWriteProfileInt(section, entry, value);
}
