// CWnd: a thin object over an HWND. A window made or subclassed through CWnd is found again
// from its handle (the per-thread handle map) and gets its messages through the class's
// message map (msgmap.h); the notifications of its children are reflected to the child's own
// object first. Any other handle can be viewed with FromHandle.
#pragma once

#include <windows.h>

#include "framework/cstring.h"
#include "framework/types.h"

class CDC;
class CMenu;

// Reflected messages: a child's object receives WM_REFLECT_BASE + the message that its parent
// received on its behalf (never sent to a window, only to the child's message map).
constexpr UINT WM_REFLECT_BASE = 0xBC00;

class CWnd {
public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }

  // The object of a window: its own (made or subclassed through CWnd), else a temporary view
  // that lives until the outermost message loop is idle. Null for a null handle.
  static CWnd* FromHandle(HWND hwnd);
  // Only the window's own object, or null.
  static CWnd* FromHandlePermanent(HWND hwnd);
  // Frees the temporary views (the message loop does it when idle).
  static void DeleteTempMap();

  // Enters the window in the handle map without taking its messages.
  BOOL Attach(HWND hwnd);
  HWND Detach();
  // Takes the window's messages: the map entry, PreSubclassWindow, then the new procedure.
  BOOL SubclassWindow(HWND hwnd);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  HWND UnsubclassWindow();

  // Creation through a registered class (null or empty class name: the framework's own class).
  virtual BOOL CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect,
                        CWnd* parent, UINT id, void* param = nullptr);
  BOOL CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y, int cx, int cy,
                HWND parent, HMENU idOrMenu, void* param = nullptr);
  virtual BOOL Create(const char* className, const char* title, DWORD style, const RECT& rect, CWnd* parent,
                      UINT id);
  virtual BOOL DestroyWindow();
  // Registers (once) and names the framework's plain window class with the given class styles.
  static const char* RegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                      HICON icon = nullptr);

  virtual void PreSubclassWindow() {}
  virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
  virtual void PostNcDestroy() {}
  // Called for every message of the message loop whose window is this one or a child of it
  // (innermost first); TRUE means the message was handled and is not dispatched.
  virtual BOOL PreTranslateMessage(MSG* msg);

  // Message processing: WindowProc -> OnWndMsg (commands, notifications, reflection) -> the
  // message map -> DefWindowProc (the procedure the window had before).
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
  // A message of the parent about this control: the reflected entries of the message map.
  virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The default processing of the message being handled.
  LRESULT Default();
  // Sends the message the parent is handling to the child's object; TRUE when it took it.
  static BOOL ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

  // The usual window calls.
  LRESULT SendMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return ::SendMessageA(m_hWnd, msg, w, l); }
  BOOL PostMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return ::PostMessageA(m_hWnd, msg, w, l); }
  void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }
  void GetWindowText(CString& text) const;
  CString GetWindowText() const;
  int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
  int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
  CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
  void SetDlgItemText(int id, const char* text) { ::SetDlgItemTextA(m_hWnd, id, text); }
  CString GetDlgItemText(int id) const;
  void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE) { ::SetDlgItemInt(m_hWnd, id, value, isSigned); }
  UINT GetDlgItemInt(int id, BOOL* ok = nullptr, BOOL isSigned = TRUE) const {
    return ::GetDlgItemInt(m_hWnd, id, ok, isSigned);
  }
  LRESULT SendDlgItemMessage(int id, UINT msg, WPARAM w = 0, LPARAM l = 0) const {
    return ::SendDlgItemMessageA(m_hWnd, id, msg, w, l);
  }
  void CheckDlgButton(int id, UINT check) { ::CheckDlgButton(m_hWnd, id, check); }
  UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
  void CheckRadioButton(int first, int last, int check) { ::CheckRadioButton(m_hWnd, first, last, check); }
  CWnd* GetNextDlgTabItem(CWnd* control, BOOL previous = FALSE) const {
    return FromHandle(::GetNextDlgTabItem(m_hWnd, control ? control->m_hWnd : nullptr, previous));
  }

  CWnd* GetParent() const;  // the parent of a child window, else the owner
  CWnd* GetOwner() const { return FromHandle(::GetWindow(m_hWnd, GW_OWNER)); }
  CWnd* GetTopLevelParent() const { return FromHandle(::GetAncestor(m_hWnd, GA_ROOT)); }
  static CWnd* GetFocus() { return FromHandle(::GetFocus()); }
  static CWnd* GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
  static CWnd* GetForegroundWindow() { return FromHandle(::GetForegroundWindow()); }
  static CWnd* WindowFromPoint(POINT p) { return FromHandle(::WindowFromPoint(p)); }
  static CWnd* GetDesktopWindow() { return FromHandle(::GetDesktopWindow()); }
  CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
  BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
  CWnd* SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
  BOOL BringWindowToTop() { return ::BringWindowToTop(m_hWnd); }
  CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }

  DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
  DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }
  // Removes then adds style bits; with flags, also SetWindowPos(flags | SWP_NOSIZE...) to redraw the frame.
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
  BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);

  BOOL IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }
  BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
  BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
  BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
  BOOL IsChild(const CWnd* wnd) const { return ::IsChild(m_hWnd, wnd->m_hWnd); }
  BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
  BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
  void MoveWindow(int x, int y, int cx, int cy, BOOL repaint = TRUE) { ::MoveWindow(m_hWnd, x, y, cx, cy, repaint); }
  void MoveWindow(LPCRECT r, BOOL repaint = TRUE) {
    MoveWindow(r->left, r->top, r->right - r->left, r->bottom - r->top, repaint);
  }
  BOOL SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, after ? after->m_hWnd : nullptr, x, y, cx, cy, flags);
  }
  // Centres the window over its owner (a child over its parent); over the work area when the
  // owner is missing, hidden or minimised. A top-level window is kept inside the work area. The
  // work area is that of the owner's monitor (without an owner, the window's own).
  void CenterWindow(CWnd* alternateOwner = nullptr);
  // The work area of the monitor nearest to a window (the primary one for no window). Tests set
  // another source (null: the system's), since the machines they run on have one monitor.
  static RECT MonitorWorkArea(HWND window);
  static void SetMonitorWorkAreaSource(RECT (*source)(HWND window));
  void GetClientRect(LPRECT r) const { ::GetClientRect(m_hWnd, r); }
  void GetWindowRect(LPRECT r) const { ::GetWindowRect(m_hWnd, r); }
  void ScreenToClient(LPPOINT p) const { ::ScreenToClient(m_hWnd, p); }
  void ScreenToClient(LPRECT r) const;
  void ClientToScreen(LPPOINT p) const { ::ClientToScreen(m_hWnd, p); }
  void ClientToScreen(LPRECT r) const;

  void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
  void InvalidateRect(LPCRECT r, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, r, erase); }
  void UpdateWindow() { ::UpdateWindow(m_hWnd); }
  BOOL RedrawWindow(LPCRECT r = nullptr, HRGN rgn = nullptr, UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) {
    return ::RedrawWindow(m_hWnd, r, rgn, flags);
  }

  UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr) {
    return ::SetTimer(m_hWnd, id, elapse, proc);
  }
  BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

  void SetFont(HFONT font, BOOL redraw = TRUE) { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw); }
  HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
  HICON SetIcon(HICON icon, BOOL big) {
    return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
  }
  BOOL SetMenu(CMenu* menu);
  // A message box owned by this window, through the program's message-box seam; the caption
  // defaults to the application title.
  int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);

protected:
  // Default processing of the messages that the message maps name (each calls Default()).
  void OnPaint() { Default(); }
  void OnDestroy() { Default(); }
  void OnClose() { Default(); }
  void OnTimer(UINT_PTR) { Default(); }
  void OnSize(UINT, int, int) { Default(); }
  void OnLButtonDown(UINT, CPoint) { Default(); }
  void OnLButtonUp(UINT, CPoint) { Default(); }
  void OnLButtonDblClk(UINT, CPoint) { Default(); }
  void OnRButtonDown(UINT, CPoint) { Default(); }
  void OnMouseMove(UINT, CPoint) { Default(); }
  void OnMouseHover(UINT, CPoint) { Default(); }
  void OnMouseLeave() { Default(); }
  BOOL OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
  void OnSysColorChange() { Default(); }
  void OnKeyDown(UINT, UINT, UINT) { Default(); }
  void OnKeyUp(UINT, UINT, UINT) { Default(); }
  void OnChar(UINT, UINT, UINT) { Default(); }
  void OnSetFocus(CWnd*) { Default(); }
  void OnKillFocus(CWnd*) { Default(); }
  void OnActivate(UINT, CWnd*, BOOL) { Default(); }
  void OnCancelMode() { Default(); }
  void OnEnable(BOOL) { Default(); }
  void OnShowWindow(BOOL, UINT) { Default(); }
  BOOL OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
  UINT OnGetDlgCode() { return static_cast<UINT>(Default()); }
  HBRUSH OnCtlColor(CDC*, CWnd*, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
  HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
  void OnHotKey(UINT, UINT, UINT) { Default(); }
  void OnVScroll(UINT, UINT, CWnd*) { Default(); }
  void OnHScroll(UINT, UINT, CWnd*) { Default(); }
  void OnMeasureItem(int, LPMEASUREITEMSTRUCT) { Default(); }

  // The message map (BEGIN_MESSAGE_MAP ... END_MESSAGE_MAP): TRUE when an entry handled it.
  virtual BOOL ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  static LRESULT CALLBACK StdWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Window creation hands the new window to this object as soon as it exists.
  static void HookWindowCreate(CWnd* wnd);
  static void UnhookWindowCreate();

private:
  friend struct WindowCreateHook;
  enum class Link { None, Attached, Subclassed, Temporary };
  struct CurrentMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  void SubclassNow(HWND hwnd);
  void FinishNcDestroy();

  WNDPROC oldProc_ = nullptr;
  Link link_ = Link::None;
  CurrentMessage* current_ = nullptr;
};
