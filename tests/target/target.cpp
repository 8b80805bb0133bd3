// A test window that logs every mouse and keyboard message it receives to a file.
//
// pindrel_target.exe --log <file> [--title <text>] [--x <n>] [--y <n>] [--menu 1] [--extra 1]
//
// With --menu 1 the window has a menu bar, and entering its menu mode is logged as
// "main WM_ENTERMENULOOP 0 0".
// With --extra the window also has a tab control and a check box, and logs the notifications
// its controls send it: "<microseconds> <control> WM_COMMAND <notification code> 0".
//
// WM_APP+1 posted to the main window makes the program stop answering for wParam milliseconds,
// as a hung program does; with lParam it looks at its messages every lParam milliseconds, as a
// busy program does that answers late but never counts as hung.
//
// The log gets one line per message, written at once:
//   <microseconds> <control> <message> <a> <b>
// Mouse messages give the position in the main window's client coordinates (a, b);
// key messages give the virtual key (a) and the scan code with its flags (b); character
// messages give the character code (a). The first line is "READY <hwnd> <client x> <client y>",
// the screen position of the client area's top-left corner.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

HANDLE g_log = INVALID_HANDLE_VALUE;
HWND g_main, g_edit, g_list, g_combo, g_button, g_status, g_tab, g_check;
LARGE_INTEGER g_freq;
bool g_ready = false;  // the READY line is written: notifications may be logged

void WriteLog(const char* line) {
  DWORD written;
  WriteFile(g_log, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
}

long long NowMicroseconds() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart * 1000000 / g_freq.QuadPart;
}

const char* ControlName(HWND hwnd) {
  if (hwnd == g_main) return "main";
  if (hwnd == g_edit) return "edit";
  if (hwnd == g_list) return "list";
  if (hwnd == g_button) return "button";
  if (hwnd == g_status) return "status";
  if (hwnd && hwnd == g_tab) return "tab";
  if (hwnd && hwnd == g_check) return "check";
  if (hwnd == g_combo || IsChild(g_combo, hwnd)) return "combo";
  return "other";
}

const char* MessageName(UINT msg) {
  switch (msg) {
    case WM_MOUSEMOVE: return "WM_MOUSEMOVE";
    case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP: return "WM_LBUTTONUP";
    case WM_LBUTTONDBLCLK: return "WM_LBUTTONDBLCLK";
    case WM_RBUTTONDOWN: return "WM_RBUTTONDOWN";
    case WM_RBUTTONUP: return "WM_RBUTTONUP";
    case WM_RBUTTONDBLCLK: return "WM_RBUTTONDBLCLK";
    case WM_MBUTTONDOWN: return "WM_MBUTTONDOWN";
    case WM_MBUTTONUP: return "WM_MBUTTONUP";
    case WM_MBUTTONDBLCLK: return "WM_MBUTTONDBLCLK";
    case WM_MOUSEWHEEL: return "WM_MOUSEWHEEL";
    case WM_XBUTTONDOWN: return "WM_XBUTTONDOWN";
    case WM_XBUTTONUP: return "WM_XBUTTONUP";
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_CHAR: return "WM_CHAR";
    case WM_SYSKEYDOWN: return "WM_SYSKEYDOWN";
    case WM_SYSKEYUP: return "WM_SYSKEYUP";
    case WM_SYSCHAR: return "WM_SYSCHAR";
    default: return nullptr;
  }
}

void LogMessage(const MSG& msg) {
  const char* name = MessageName(msg.message);
  if (!name) return;
  long a = 0, b = 0;
  if (msg.message == WM_MOUSEWHEEL) {
    a = GET_WHEEL_DELTA_WPARAM(msg.wParam);
    b = 0;
  } else if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) {
    POINT pt = {static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
    MapWindowPoints(msg.hwnd, g_main, &pt, 1);
    a = pt.x;
    b = pt.y;
  } else {
    a = static_cast<long>(msg.wParam);
    b = static_cast<long>((msg.lParam >> 16) & 0xFFFF);
  }
  char line[256];
  snprintf(line, sizeof line, "%lld %s %s %ld %ld\n", NowMicroseconds(), ControlName(msg.hwnd), name, a, b);
  WriteLog(line);
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ENTERMENULOOP: {
      char line[128];
      snprintf(line, sizeof line, "%lld main WM_ENTERMENULOOP 0 0\n", NowMicroseconds());
      WriteLog(line);
      break;
    }
    case WM_SIZE:
      if (g_status) SendMessageA(g_status, WM_SIZE, 0, 0);
      return 0;
    case WM_COMMAND:
      if (g_tab && g_ready && lp) {
        char line[128];
        snprintf(line, sizeof line, "%lld %s WM_COMMAND %u 0\n", NowMicroseconds(), ControlName(reinterpret_cast<HWND>(lp)),
                 HIWORD(wp));
        WriteLog(line);
      }
      break;
    case WM_APP + 1: {
      const DWORD start = GetTickCount();
      while (GetTickCount() - start < wp) {
        Sleep(lp ? static_cast<DWORD>(lp) : static_cast<DWORD>(wp));
        MSG peeked;
        if (lp) PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE);  // answers what was sent meanwhile
      }
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

const char* Arg(int argc, char** argv, const char* name, const char* fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (strcmp(argv[i], name) == 0) return argv[i + 1];
  return fallback;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  QueryPerformanceFrequency(&g_freq);
  // Without --log the log goes beside the program (in the build folder), never into the
  // folder it was started from.
  char defaultLog[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, defaultLog, MAX_PATH);
  char* slash = n > 0 && n < MAX_PATH ? strrchr(defaultLog, '\\') : nullptr;
  if (slash && slash + 11 < defaultLog + MAX_PATH) strcpy(slash + 1, "target.log");
  else strcpy(defaultLog, "target.log");
  const char* logPath = Arg(__argc, __argv, "--log", defaultLog);
  const char* title = Arg(__argc, __argv, "--title", "Pindrel Test Target");
  int x = atoi(Arg(__argc, __argv, "--x", "100"));
  int y = atoi(Arg(__argc, __argv, "--y", "100"));
  bool extra = atoi(Arg(__argc, __argv, "--extra", "0")) != 0;

  g_log = CreateFileA(logPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (g_log == INVALID_HANDLE_VALUE) return 2;

  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = MainProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "PindrelTestTarget";
  wc.style = CS_DBLCLKS;
  RegisterClassA(&wc);

  HMENU menu = nullptr;
  if (atoi(Arg(__argc, __argv, "--menu", "0"))) {
    menu = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 201, "&Open");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  }
  g_main = CreateWindowExA(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 480, 360, nullptr,
                           menu, instance, nullptr);
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  auto child = [&](const char* cls, const char* text, DWORD style, int cx, int cy, int w, int h, int id) {
    HWND c = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, cx, cy, w, h, g_main,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    return c;
  };
  g_edit = child("EDIT", "", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 10, 10, 200, 24, 101);
  g_list = child("LISTBOX", "", WS_BORDER | LBS_NOTIFY | WS_VSCROLL, 10, 44, 200, 100, 102);
  g_combo = child("COMBOBOX", "", CBS_DROPDOWN | WS_VSCROLL, 220, 10, 200, 150, 103);
  g_button = child("BUTTON", "Press", BS_PUSHBUTTON | WS_TABSTOP, 220, 44, 100, 28, 104);
  g_status = child(STATUSCLASSNAMEA, "Ready", 0, 0, 0, 0, 0, 105);
  if (extra) {
    g_tab = child(WC_TABCONTROLA, "", WS_TABSTOP, 10, 160, 200, 60, 106);
    const char* tabs[] = {"First", "Second", "Third"};
    for (int i = 0; i < 3; ++i) {
      TCITEMA item = {};
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<char*>(tabs[i]);
      SendMessageA(g_tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    g_check = child("BUTTON", "Tick", BS_AUTOCHECKBOX | WS_TABSTOP, 220, 160, 100, 24, 107);
  }
  for (const char* item : {"one", "two", "three"}) {
    SendMessageA(g_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageA(g_combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  }
  ShowWindow(g_main, SW_SHOW);
  UpdateWindow(g_main);
  SetForegroundWindow(g_main);
  SetFocus(g_edit);

  POINT origin = {0, 0};
  ClientToScreen(g_main, &origin);
  char ready[128];
  snprintf(ready, sizeof ready, "READY %p %ld %ld\n", static_cast<void*>(g_main), origin.x, origin.y);
  WriteLog(ready);
  g_ready = true;

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    LogMessage(msg);
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  CloseHandle(g_log);
  return 0;
}
