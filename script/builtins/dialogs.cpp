// Windows that talk to the user: message boxes, the splash text or picture, the progress
// window and the tray balloon.
#include "script/interpreter.h"

#include <commctrl.h>
#include <ocidl.h>
#include <olectl.h>
#include <shellapi.h>

#include <cstring>
#include <string>

#include "framework/msgbox.h"
#include "script/builtins/dialogs.h"
#include "script/osversion.h"
#include "script/sysutil/sysutil.h"

namespace {

const char kWindowClass[] = "VantorelPindrel v1";

// One splash and one progress window at a time, with what they own.
HWND g_splash = nullptr;
HFONT g_splashFont = nullptr;
HBITMAP g_splashBitmap = nullptr;
HWND g_progress = nullptr, g_progressMain = nullptr, g_progressSub = nullptr, g_progressBar = nullptr;
HFONT g_progressFont = nullptr;

bool RegisterWindowClass() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  registered = RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return registered;
}

template <typename T>
void DeleteObjectOnce(T& object) {
  if (object) DeleteObject(object);
  object = nullptr;
}

void DestroySplash() {
  if (g_splash) DestroyWindow(g_splash);
  g_splash = nullptr;
  DeleteObjectOnce(g_splashFont);
  DeleteObjectOnce(g_splashBitmap);
}

void DestroyProgress() {
  if (g_progress) DestroyWindow(g_progress);
  g_progress = g_progressMain = g_progressSub = g_progressBar = nullptr;
  DeleteObjectOnce(g_progressFont);
}

// An optional integer argument; `fallback` when absent.
int IntArg(const CValueList& args, int i, int fallback) { return args.GetCount() > i ? args.GetAt(i).GetInt() : fallback; }

// The face name of the default GUI font.
std::string DefaultFace() {
  LOGFONTA font = {};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  return font.lfFaceName;
}

HFONT MakeFont(const char* face, int points, int weight) {
  HDC screen = GetDC(nullptr);
  int height = -(GetDeviceCaps(screen, LOGPIXELSY) * points / 72);
  ReleaseDC(nullptr, screen);
  return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                     PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

// Window styles for the option bits shared by the splash and progress windows.
void ApplyWindowOptions(int opt, DWORD noCaptionStyle, DWORD& style, DWORD& exStyle) {
  style = WS_POPUP | WS_DISABLED | WS_CAPTION;
  exStyle = WS_EX_TOPMOST;
  if (opt == -1) return;
  if (opt & 2) exStyle = 0;
  if (opt & 1) style = noCaptionStyle;
  if (opt & 16) style &= ~WS_DISABLED;
}

// The picture file as a bitmap of our own; nullptr when it cannot be read or decoded.
HBITMAP LoadPictureFile(const char* path) {
  HANDLE file = OpenDiskFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  DWORD size = GetFileSize(file, nullptr);
  HGLOBAL memory = size != INVALID_FILE_SIZE && size > 0 ? GlobalAlloc(GMEM_MOVEABLE, size) : nullptr;
  bool read = false;
  if (void* bytes = memory ? GlobalLock(memory) : nullptr) {
    DWORD got = 0;
    read = ReadFile(file, bytes, size, &got, nullptr) && got == size;
    GlobalUnlock(memory);
  }
  CloseHandle(file);
  if (!read) {
    if (memory) GlobalFree(memory);
    return nullptr;
  }
  HBITMAP bitmap = nullptr;
  HRESULT com = CoInitialize(nullptr);
  IStream* stream = nullptr;
  if (SUCCEEDED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    IPicture* picture = nullptr;
    if (SUCCEEDED(OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                 reinterpret_cast<void**>(&picture)))) {
      SHORT type = PICTYPE_UNINITIALIZED;
      OLE_HANDLE handle = 0;
      // The picture owns its bitmap: keep a copy that outlives it.
      if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP && SUCCEEDED(picture->get_Handle(&handle)))
        bitmap = static_cast<HBITMAP>(CopyImage(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)), IMAGE_BITMAP,
                                                0, 0, 0));
      picture->Release();
    }
    stream->Release();  // frees the memory too
  } else {
    GlobalFree(memory);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return bitmap;
}

}  // namespace

bool TrayBalloonSupported(const OSVersionInfo& os) { return os.bIsNTFamily && os.dwMajorVersion >= 5; }

HWND SplashWindow() { return g_splash; }
HWND ProgressWindow() { return g_progress; }

// MSGBOX(flag, title, text [, timeout]): the pressed button's id; -1 when the time-out closed it.
int CQuorvex_Script::F_MsgBox(CValueList& args, CScriptValue& result) {
  UINT style = static_cast<UINT>(args.GetAt(0).GetInt()) | MB_SETFOREGROUND;
  const char* title = args.GetAt(1).GetString();
  const char* text = args.GetAt(2).GetString();
  double seconds = args.GetCount() > 3 ? args.GetAt(3).GetNumber() : 0;
  // Beyond the timer's range the box simply waits for its button.
  DWORD timeoutMs = seconds > 0 && seconds < 4000000.0 ? static_cast<DWORD>(seconds * 1000) : 0;
  // The timed box closes only itself, never another box or the main window.
  result.SetInt(timeoutMs ? MessageBoxWithTimeout(nullptr, text, title, style, timeoutMs)
                          : ShowMessageBox(nullptr, text, title, style));
  return 0;
}

// SPLASHTEXTON(title, text [, width [, height [, x [, y [, opt [, font [, size [, weight]]]]]]]])
int CQuorvex_Script::F_SplashTextOn(CValueList& args, CScriptValue&) { return ShowSplash(args, false); }

// SPLASHIMAGEON(title, file [, width [, height [, x [, y [, opt]]]]])
int CQuorvex_Script::F_SplashImageOn(CValueList& args, CScriptValue&) { return ShowSplash(args, true); }

int CQuorvex_Script::F_SplashOff(CValueList&, CScriptValue&) {
  DestroySplash();
  return 0;
}

int CQuorvex_Script::ShowSplash(const CValueList& args, bool picture) {
  DestroySplash();
  // The picture is read before any window exists: a file that fails leaves nothing on screen.
  HBITMAP bitmap = nullptr;
  if (picture && !(bitmap = LoadPictureFile(args.GetAt(1).GetString())))
    return FatalError("The requested picture file could not be loaded.");

  int width = IntArg(args, 2, -1), height = IntArg(args, 3, -1);
  if (width == -1) width = 500;
  if (height == -1) height = 400;
  int opt = IntArg(args, 6, -1);
  DWORD style, exStyle;
  ApplyWindowOptions(opt, WS_POPUP | WS_DISABLED | WS_BORDER, style, exStyle);
  DWORD align = SS_CENTER;
  if (!picture && opt != -1) {
    if (opt & 8) align = SS_RIGHT;
    if (opt & 4) align = align == SS_CENTER ? SS_LEFT : SS_CENTER;
  }

  int x = IntArg(args, 4, -1), y = IntArg(args, 5, -1);
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  if (x == -1) x = (desktop.right - width) / 2;
  if (y == -1) y = (desktop.bottom - height) / 2;
  RECT outer = {0, 0, width, height};
  AdjustWindowRectEx(&outer, style, FALSE, exStyle);

  RegisterWindowClass();
  HINSTANCE instance = GetModuleHandleA(nullptr);
  g_splash = CreateWindowExA(exStyle, kWindowClass, args.GetAt(0).GetString(), style, x, y, outer.right - outer.left,
                             outer.bottom - outer.top, OwnWindow, nullptr, instance, nullptr);
  if (!g_splash) {
    if (bitmap) DeleteObject(bitmap);
    return 0;
  }
  if (picture) {
    g_splashBitmap = bitmap;
    HWND child = CreateWindowExA(0, "static", "", WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 0, width, height, g_splash,
                                 nullptr, instance, nullptr);
    SendMessageA(child, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    // A bitmap static sizes itself to the picture: the picture fills the client area instead.
    SetWindowPos(child, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    HWND child = CreateWindowExA(0, "static", args.GetAt(1).GetString(), WS_CHILD | WS_VISIBLE | align, 0, 0, width,
                                 height, g_splash, nullptr, instance, nullptr);
    std::string face = args.GetCount() > 7 ? args.GetAt(7).GetString() : "";
    if (face.empty()) face = DefaultFace();
    int size = IntArg(args, 8, 12);
    if (size < 6) size = 12;
    int weight = IntArg(args, 9, 400);
    if (weight < 0 || weight > 1000) weight = 400;
    g_splashFont = MakeFont(face.c_str(), size, weight);
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(g_splashFont), TRUE);
  }
  ShowWindow(g_splash, SW_SHOWNOACTIVATE);
  UpdateWindow(g_splash);
  return 0;
}

// PROGRESSON(title, main text [, sub text [, x [, y [, opt]]]])
int CQuorvex_Script::F_ProgressOn(CValueList& args, CScriptValue&) {
  DestroyProgress();
  const int width = 300, height = 100;
  DWORD style, exStyle;
  ApplyWindowOptions(IntArg(args, 5, -1), WS_POPUP | WS_DISABLED, style, exStyle);
  int x = IntArg(args, 3, -1), y = IntArg(args, 4, -1);
  RECT work = {0, 0, 0, 0};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  if (x == -1) x = (work.right - width) / 2;
  if (y == -1) y = (work.bottom - height) / 2;
  RECT outer = {0, 0, width, height};
  AdjustWindowRectEx(&outer, style, FALSE, exStyle);

  RegisterWindowClass();
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  g_progress = CreateWindowExA(exStyle, kWindowClass, args.GetAt(0).GetString(), style, x, y,
                               outer.right - outer.left, outer.bottom - outer.top, OwnWindow, nullptr, instance, nullptr);
  if (!g_progress) return 0;
  RECT client;
  GetClientRect(g_progress, &client);
  const int w = client.right;
  g_progressMain = CreateWindowExA(0, "static", args.GetAt(1).GetString(), WS_CHILD | WS_VISIBLE, w - 281, 4, 1280, 24,
                                   g_progress, nullptr, instance, nullptr);
  g_progressFont = MakeFont(DefaultFace().c_str(), 10, 600);
  SendMessageA(g_progressMain, WM_SETFONT, reinterpret_cast<WPARAM>(g_progressFont), TRUE);
  g_progressBar = CreateWindowExA(WS_EX_CLIENTEDGE, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | PBS_SMOOTH,
                                  (w - 260) / 2, 30, 260, 20, g_progress, nullptr, instance, nullptr);
  SendMessageA(g_progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  SendMessageA(g_progressBar, PBM_SETSTEP, 1, 0);
  g_progressSub = CreateWindowExA(0, "static", args.GetCount() > 2 ? args.GetAt(2).GetString() : "",
                                  WS_CHILD | WS_VISIBLE, w - 280, 55, 1280, 50, g_progress, nullptr, instance, nullptr);
  SendMessageA(g_progressSub, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  ShowWindow(g_progress, SW_SHOWNOACTIVATE);
  UpdateWindow(g_progress);
  return 0;
}

// PROGRESSSET(percent [, sub text [, main text]])
int CQuorvex_Script::F_ProgressSet(CValueList& args, CScriptValue&) {
  if (!g_progress) return 0;
  int percent = args.GetAt(0).GetInt();
  if (percent >= 0 && percent <= 100) SendMessageA(g_progressBar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
  if (args.GetCount() > 1 && *args.GetAt(1).GetString()) SetWindowTextA(g_progressSub, args.GetAt(1).GetString());
  if (args.GetCount() > 2) SetWindowTextA(g_progressMain, args.GetAt(2).GetString());
  return 0;
}

int CQuorvex_Script::F_ProgressOff(CValueList&, CScriptValue&) {
  DestroyProgress();
  return 0;
}

// TRAYTIP(title, text, seconds [, info flags]): a balloon at the interpreter's tray icon.
int CQuorvex_Script::F_TrayTip(CValueList& args, CScriptValue&) {
  if (!TrayBalloonSupported(g_OSVersion) || !OwnWindow) return 0;
  NOTIFYICONDATAA data = {};
  data.cbSize = sizeof data;
  data.hWnd = OwnWindow;
  data.uID = 1;
  data.uFlags = NIF_INFO;
  CopyTextLimited(data.szInfoTitle, args.GetAt(0).GetString(), 64);
  CopyTextLimited(data.szInfo, args.GetAt(1).GetString(), 256);
  data.uTimeout = static_cast<UINT>(args.GetAt(2).GetInt()) * 1000;
  data.dwInfoFlags = static_cast<DWORD>(IntArg(args, 3, 0));
  Shell_NotifyIconA(NIM_MODIFY, &data);
  return 0;
}
