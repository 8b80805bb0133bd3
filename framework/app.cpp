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

namespace {

// Messages whose wParam is a character: the 8-bit calls give it as the code page's byte, "?"
// where the code page has none.
bool CarriesCharacter(UINT message) {
  return message == WM_CHAR || message == WM_DEADCHAR || message == WM_SYSCHAR || message == WM_SYSDEADCHAR ||
         message == WM_IME_CHAR;
}

bool IsWideCharacterMessage(const MSG& msg) {
  return msg.hwnd && CarriesCharacter(msg.message) && ::IsWindowUnicode(msg.hwnd);
}

// The next message; FALSE for WM_QUIT. `wide`: taken through the wide call. The program is 8-bit
// and takes its messages through GetMessageA, except while the focus is in a Unicode window (a
// field that must see characters the code page lacks): then a character for such a window is
// taken as it is, and the wait is not spent in GetMessageA, which would turn a character that
// comes in meanwhile into "?".
BOOL TakeMessage(MSG& msg, bool& wide) {
  wide = false;
  HWND focus = ::GetFocus();
  if (!focus || !::IsWindowUnicode(focus)) return ::GetMessageA(&msg, nullptr, 0, 0) > 0;
  for (;;) {
    MSG next;
    if (!::PeekMessageW(&next, nullptr, 0, 0, PM_NOREMOVE)) {
      ::WaitMessage();
      continue;
    }
    // The message seen is taken by its window and number, so that none that came in meanwhile
    // is taken in the other form.
    wide = IsWideCharacterMessage(next);
    BOOL taken = wide ? ::PeekMessageW(&msg, next.hwnd, next.message, next.message, PM_REMOVE)
                      : ::PeekMessageA(&msg, next.hwnd, next.message, next.message, PM_REMOVE);
    if (taken) return msg.message != WM_QUIT;
  }
}

// A character for a Unicode window that came through the 8-bit call: the character its byte (or
// the two bytes of an input method's character) stands for.
void WidenCharacter(MSG& msg) {
  char bytes[2];
  int count = 0;
  const WORD code = LOWORD(msg.wParam);
  if (msg.message == WM_IME_CHAR && HIBYTE(code)) bytes[count++] = static_cast<char>(HIBYTE(code));
  bytes[count++] = static_cast<char>(LOBYTE(code));
  wchar_t character = 0;
  if (::MultiByteToWideChar(CP_ACP, 0, bytes, count, &character, 1) == 1) {
    msg.wParam = MAKEWPARAM(character, HIWORD(msg.wParam));
  }
}

}  // namespace

// Character messages of a Unicode window always leave here in their wide form.
BOOL AfxPumpMessage() {
  MSG msg;
  bool wide = false;
  if (!TakeMessage(msg, wide)) {
    ::PostQuitMessage(static_cast<int>(msg.wParam));
    return FALSE;
  }
  const bool forWideWindow = IsWideCharacterMessage(msg);
  if (forWideWindow && !wide) WidenCharacter(msg);
  if (!AfxPreTranslateMessage(&msg)) {
    ::TranslateMessage(&msg);
    if (forWideWindow) {
      ::DispatchMessageW(&msg);
    } else {
      ::DispatchMessageA(&msg);
    }
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
