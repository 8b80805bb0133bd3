// The window built-ins: the four window waits, window states, positions, titles and texts, menu
// items, minimise-all and the tooltip.
#include "script/interpreter.h"

#include <commctrl.h>
#include <mmsystem.h>

#include <cstring>
#include <vector>

#include "script/builtins/winutil.h"
#include "script/sysutil/sysutil.h"

namespace {

constexpr int kTitleLimit = 32767;
constexpr int kMenuItemsLimit = 7;

// Seconds as a wait's time-out in milliseconds; none (0) for 0 or less.
DWORD SecondsToTimeout(const CScriptValue& value) {
  int seconds = value.GetInt();
  if (seconds <= 0) return 0;
  if (seconds > 0x7FFFFFFF / 1000) return 0x7FFFFFFF;
  return static_cast<DWORD>(seconds) * 1000;
}

}  // namespace

// ---- waits -------------------------------------------------------------------------------------

void CQuorvex_Script::SetWindowWait(const CValueList& args, CWait& wait) {
  SetWindowSearch(args);
  wait.Title = Search.Title;
  wait.Text = Search.Text;
  wait.Timeout = args.GetCount() == 3 ? SecondsToTimeout(args.GetAt(2)) : 0;
}

int CQuorvex_Script::WindowWaitCondition(int state) {
  // The search state is shared with every other call: the wait keeps its own window.
  Search.Title = Run.Wait->Title;
  Search.Text = Run.Wait->Text;
  switch (state) {
    case WAIT_WINWAIT: return WindowExists() ? 1 : 0;
    case WAIT_WINWAITCLOSE: return WindowExists() ? 0 : 1;
    case WAIT_WINWAITACTIVE: return IsWindowActive() ? 1 : 0;
    case WAIT_WINWAITNOTACTIVE: return IsWindowActive() ? 0 : 1;
    default: return 0;
  }
}

namespace {
// The window waits differ only in their state.
int WindowWaitBuiltin(CQuorvex_Script& script, int state, CValueList& args, CScriptValue& result) {
  CQuorvex_Script::CWait wait;
  script.SetWindowWait(args, wait);
  return script.NestedWait(state, wait, result);
}
}  // namespace

// WINWAIT(title [, text, time-out]): 1 when the window exists, 0 after the time-out.
int CQuorvex_Script::F_WinWait(CValueList& args, CScriptValue& result) {
  return WindowWaitBuiltin(*this, WAIT_WINWAIT, args, result);
}

int CQuorvex_Script::F_WinWaitActive(CValueList& args, CScriptValue& result) {
  return WindowWaitBuiltin(*this, WAIT_WINWAITACTIVE, args, result);
}

int CQuorvex_Script::F_WinWaitNotActive(CValueList& args, CScriptValue& result) {
  return WindowWaitBuiltin(*this, WAIT_WINWAITNOTACTIVE, args, result);
}

int CQuorvex_Script::F_WinWaitClose(CValueList& args, CScriptValue& result) {
  return WindowWaitBuiltin(*this, WAIT_WINWAITCLOSE, args, result);
}

// ---- tests ---------------------------------------------------------------------------------------

namespace {
// The window of the call's title and text, or null.
HWND FindTarget(CQuorvex_Script& script, const CValueList& args) {
  script.SetWindowSearch(args);
  if (!script.FindWindowByTitle()) return nullptr;
  return script.Search.FoundWindow;
}
}  // namespace

int CQuorvex_Script::F_WinExists(CValueList& args, CScriptValue& result) {
  SetWindowSearch(args);
  result.SetInt(WindowExists() ? 1 : 0);
  return 0;
}

int CQuorvex_Script::F_WinActive(CValueList& args, CScriptValue& result) {
  SetWindowSearch(args);
  result.SetInt(IsWindowActive() ? 1 : 0);
  return 0;
}

// WINGETSTATE(title [, text]): 1 exists, 2 visible, 4 enabled, 8 active, 16 minimised,
// 32 maximised.
int CQuorvex_Script::F_WinGetState(CValueList& args, CScriptValue& result) {
  HWND window = FindTarget(*this, args);
  if (!window) {
    result.SetInt(0);
    SetError(1);
    return 0;
  }
  int state = 1;
  if (IsWindowVisible(window)) state |= 2;
  if (IsWindowEnabled(window)) state |= 4;
  if (GetForegroundWindow() == window) state |= 8;
  if (IsIconic(window)) state |= 16;
  if (IsZoomed(window)) state |= 32;
  result.SetInt(state);
  return 0;
}

// ---- actions -------------------------------------------------------------------------------------

int CQuorvex_Script::F_WinActivate(CValueList& args, CScriptValue&) {
  if (HWND window = FindTarget(*this, args)) {
    ForceForegroundWindow(window);
    Pause(WinWaitDelay);
  }
  return 0;
}

// WINSETSTATE and WINSHOW(title, text, flag): ShowWindow with the flag.
int CQuorvex_Script::F_WinSetState(CValueList& args, CScriptValue&) {
  if (HWND window = FindTarget(*this, args)) {
    ShowWindow(window, args.GetAt(2).GetInt());
    Pause(WinWaitDelay);
  }
  return 0;
}

// WINMOVE(title, text, x, y [, width, height]): a missing size keeps the current one.
int CQuorvex_Script::F_WinMove(CValueList& args, CScriptValue&) {
  HWND window = FindTarget(*this, args);
  RECT rect;
  if (!window || !GetWindowRect(window, &rect)) return 0;
  int width = args.GetCount() > 4 ? args.GetAt(4).GetInt() : rect.right - rect.left;
  int height = args.GetCount() > 5 ? args.GetAt(5).GetInt() : rect.bottom - rect.top;
  MoveWindow(window, args.GetAt(2).GetInt(), args.GetAt(3).GetInt(), width, height, TRUE);
  Pause(WinWaitDelay);
  return 0;
}

int CQuorvex_Script::F_WinClose(CValueList& args, CScriptValue&) {
  if (HWND window = FindTarget(*this, args)) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    Pause(WinWaitDelay);
  }
  return 0;
}

// WINKILL(title [, text]): asks the window to close and ends its program when it does not answer
// (never this program).
int CQuorvex_Script::F_WinKill(CValueList& args, CScriptValue&) {
  if (HWND window = FindTarget(*this, args)) {
    CloseWindowOrKill(window);
    Pause(WinWaitDelay);
  }
  return 0;
}

int CQuorvex_Script::F_WinSetTitle(CValueList& args, CScriptValue&) {
  if (HWND window = FindTarget(*this, args)) SetWindowTextA(window, args.GetAt(2).GetString());
  return 0;
}

// WINSETONTOP(title, text, flag): flag 1 topmost, anything else not.
int CQuorvex_Script::F_WinSetOnTop(CValueList& args, CScriptValue&) {
  if (HWND window = FindTarget(*this, args)) {
    HWND after = args.GetAt(2).GetInt() == 1 ? HWND_TOPMOST : HWND_NOTOPMOST;
    SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return 0;
}

// WINMINIMIZEALL / WINMINIMIZEALLUNDO: the task bar's own commands.
int CQuorvex_Script::F_WinMinimizeAll(CValueList&, CScriptValue&) {
  if (HWND taskBar = FindWindowA("Shell_TrayWnd", nullptr)) PostMessageA(taskBar, WM_COMMAND, 419, 0);
  Pause(WinWaitDelay);
  return 0;
}

int CQuorvex_Script::F_WinMinimizeAllUndo(CValueList&, CScriptValue&) {
  if (HWND taskBar = FindWindowA("Shell_TrayWnd", nullptr)) PostMessageA(taskBar, WM_COMMAND, 416, 0);
  Pause(WinWaitDelay);
  return 0;
}

// WINMENUSELECTITEM(title, text, item 1 [, ... item 7]): each item is the beginning of a menu
// text ("&File"), the last one a command; result 0 when the path does not lead to one.
int CQuorvex_Script::F_WinMenuSelectItem(CValueList& args, CScriptValue& result) {
  result.SetInt(0);
  HWND window = FindTarget(*this, args);
  HMENU menu = window ? GetMenu(window) : nullptr;
  if (!menu) return 0;
  int last = args.GetCount() - 1;
  if (last > 1 + kMenuItemsLimit) last = 1 + kMenuItemsLimit;
  UINT command = 0;
  for (int arg = 2; arg <= last; ++arg) {
    const char* wanted = args.GetAt(arg).GetString();
    size_t length = strlen(wanted);
    int count = GetMenuItemCount(menu);
    int found = -1;
    for (int i = 0; i < count && found < 0; ++i) {
      char text[1024] = "";
      GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
      if (strncmp(text, wanted, length) == 0) found = i;
    }
    if (found < 0) return 0;
    if (arg == last) {
      command = GetMenuItemID(menu, found);
      if (command == static_cast<UINT>(-1)) return 0;  // opens a submenu: no command
    } else {
      menu = GetSubMenu(menu, found);
      if (!menu) return 0;
    }
  }
  CAttachedInput attached(window);
  PostMessageA(window, WM_COMMAND, command, 0);
  result.SetInt(1);
  return 0;
}

// ---- reads ---------------------------------------------------------------------------------------

// WINGETTITLE(title [, text]): a missing window leaves the result 1.
int CQuorvex_Script::F_WinGetTitle(CValueList& args, CScriptValue& result) {
  HWND window = FindTarget(*this, args);
  if (!window) return 0;
  std::vector<char> title(kTitleLimit + 1);
  GetWindowTextA(window, title.data(), kTitleLimit + 1);
  result.SetString(title.data());
  return 0;
}

int CQuorvex_Script::F_WinGetText(CValueList& args, CScriptValue& result) {
  HWND window = FindTarget(*this, args);
  if (!window) return 0;
  result.SetString(GetWindowTextAll(window, WinDetectHiddenText == 1));
  return 0;
}

int CQuorvex_Script::F_WinGetClassList(CValueList& args, CScriptValue& result) {
  HWND window = FindTarget(*this, args);
  if (!window) {
    SetError(1);
    return 0;
  }
  result.SetString(GetWindowClassList(window));
  return 0;
}

// WINGETPOS(title [, text]): [x, y, width, height] on the screen.
int CQuorvex_Script::F_WinGetPos(CValueList& args, CScriptValue& result) {
  HWND window = FindTarget(*this, args);
  RECT rect;
  if (!window || !GetWindowRect(window, &rect) || !SetRectArray(result, rect)) SetError(1);
  return 0;
}

int CQuorvex_Script::F_WinGetClientSize(CValueList& args, CScriptValue& result) {
  HWND window = FindTarget(*this, args);
  RECT rect;
  if (!window || !GetClientRect(window, &rect) || !CreateArray1D(result, 2)) {
    SetError(1);
    return 0;
  }
  GetArrayElement1D(result, 0)->SetInt(rect.right - rect.left);
  GetArrayElement1D(result, 1)->SetInt(rect.bottom - rect.top);
  return 0;
}

// WINGETHANDLE(title [, text]): the handle as "handle=" matches it.
int CQuorvex_Script::F_WinGetHandle(CValueList& args, CScriptValue& result) {
  HWND window = FindTarget(*this, args);
  if (!window) {
    result.SetString("");
    SetError(1);
    return 0;
  }
  char text[16];
  WindowHandleText(window, text);
  result.SetString(text);
  return 0;
}

// WINGETCARETPOS(): the caret of the foreground window, on the screen (CaretCoordMode 1) or in
// the foreground window's client area.
int CQuorvex_Script::F_WinGetCaretPos(CValueList&, CScriptValue& result) {
  HWND foreground = GetForegroundWindow();
  if (!foreground) {
    SetError(1);
    return 0;
  }
  POINT caret;
  HWND owner;
  bool read;
  {
    CAttachedInput attached(foreground);
    read = GetCaretPos(&caret) != FALSE;
    owner = GetFocus();
  }
  if (!owner) owner = foreground;
  if (!read || !CreateArray1D(result, 2)) {
    SetError(1);
    return 0;
  }
  MapWindowPoints(owner, CaretCoordMode == 1 ? nullptr : foreground, &caret, 1);
  GetArrayElement1D(result, 0)->SetInt(caret.x);
  GetArrayElement1D(result, 1)->SetInt(caret.y);
  return 0;
}

// ---- tooltip -------------------------------------------------------------------------------------

// TOOLTIP(text [, x, y]): one tracking tooltip, at the given point or just below and right of
// the pointer.
int CQuorvex_Script::F_ToolTip(CValueList& args, CScriptValue&) {
  POINT at = {0, 0};
  GetCursorPos(&at);
  at.x = args.GetCount() > 1 ? args.GetAt(1).GetInt() : at.x + 16;
  at.y = args.GetCount() > 2 ? args.GetAt(2).GetInt() : at.y + 16;

  TOOLINFOA tool = {};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  tool.lpszText = const_cast<char*>(args.GetAt(0).GetString());
  if (!ToolTipWindow || !IsWindow(ToolTipWindow)) {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    ToolTipWindow = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP | TTS_NOPREFIX,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
    if (!ToolTipWindow) return 0;
    SendMessageA(ToolTipWindow, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    SendMessageA(ToolTipWindow, TTM_SETMAXTIPWIDTH, 0, desktop.right - desktop.left);
  } else {
    SendMessageA(ToolTipWindow, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  SendMessageA(ToolTipWindow, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
  SendMessageA(ToolTipWindow, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  return 0;
}

void CQuorvex_Script::EndWindowsAndProcesses() {
  if (ToolTipWindow && IsWindow(ToolTipWindow)) DestroyWindow(ToolTipWindow);
  ToolTipWindow = nullptr;
  ForgetRunAs();
}
