// CWnd: handle map, subclassing, creation, message dispatch and reflection.
#include "framework/window.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "framework/app.h"
#include "framework/menu.h"
#include "framework/msgbox.h"

namespace {
// Both maps belong to the thread that owns the windows.
thread_local std::unordered_map<HWND, CWnd*> t_permanent;
thread_local std::unordered_map<HWND, std::unique_ptr<CWnd>> t_temporary;
}  // namespace

struct WindowCreateHook {
  static inline thread_local CWnd* pending = nullptr;
  static inline thread_local HHOOK hook = nullptr;
  static inline thread_local int depth = 0;

  static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && pending) {
      CWnd* wnd = pending;
      pending = nullptr;
      wnd->SubclassNow(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(hook, code, wParam, lParam);
  }
};

CWnd::~CWnd() {
  if (!m_hWnd) return;
  if (link_ == Link::Subclassed) {
    // The derived parts are gone: give the window its own procedure back before destroying it.
    HWND h = UnsubclassWindow();
    if (::IsWindow(h)) ::DestroyWindow(h);
  } else if (link_ == Link::Attached) {
    Detach();
  }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  auto it = t_permanent.find(hwnd);
  return it == t_permanent.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  if (CWnd* wnd = FromHandlePermanent(hwnd)) return wnd;
  auto& temp = t_temporary[hwnd];
  if (!temp) {
    temp = std::make_unique<CWnd>();
    temp->m_hWnd = hwnd;
    temp->link_ = Link::Temporary;
  }
  return temp.get();
}

void CWnd::DeleteTempMap() {
  for (auto& entry : t_temporary) entry.second->m_hWnd = nullptr;
  t_temporary.clear();
}

BOOL CWnd::Attach(HWND hwnd) {
  if (!hwnd || m_hWnd || FromHandlePermanent(hwnd)) return FALSE;
  m_hWnd = hwnd;
  link_ = Link::Attached;
  t_permanent[hwnd] = this;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND h = m_hWnd;
  if (h && link_ != Link::Temporary) t_permanent.erase(h);
  m_hWnd = nullptr;
  link_ = Link::None;
  return h;
}

void CWnd::SubclassNow(HWND hwnd) {
  m_hWnd = hwnd;
  link_ = Link::Subclassed;
  t_permanent[hwnd] = this;
  PreSubclassWindow();
  oldProc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StdWndProc)));
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
  if (!hwnd || m_hWnd || !::IsWindow(hwnd) || FromHandlePermanent(hwnd)) return FALSE;
  SubclassNow(hwnd);
  return oldProc_ != nullptr;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  return SubclassWindow(::GetDlgItem(parent->m_hWnd, id));
}

HWND CWnd::UnsubclassWindow() {
  if (link_ == Link::Subclassed && oldProc_ && ::IsWindow(m_hWnd)) {
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
  }
  oldProc_ = nullptr;
  return Detach();
}

void CWnd::HookWindowCreate(CWnd* wnd) {
  if (WindowCreateHook::depth++ == 0) {
    WindowCreateHook::hook = ::SetWindowsHookExA(WH_CBT, &WindowCreateHook::Proc, nullptr, ::GetCurrentThreadId());
  }
  WindowCreateHook::pending = wnd;
}

void CWnd::UnhookWindowCreate() {
  WindowCreateHook::pending = nullptr;
  if (--WindowCreateHook::depth == 0 && WindowCreateHook::hook) {
    ::UnhookWindowsHookEx(WindowCreateHook::hook);
    WindowCreateHook::hook = nullptr;
  }
}

const char* CWnd::RegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
  // Room for the longest name: eight digits of style and three pointers of sixteen digits.
  static thread_local char name[96];
  wsprintfA(name, "PindrelWnd:%x:%p:%p:%p", classStyle, cursor, background, icon);
  WNDCLASSA wc = {};
  HINSTANCE instance = AfxGetInstanceHandle();
  if (!::GetClassInfoA(instance, name, &wc)) {
    wc.style = classStyle;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = instance;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    if (!::RegisterClassA(&wc)) return nullptr;
  }
  return name;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA& cs) {
  if (!cs.lpszClass || !*cs.lpszClass) {
    cs.lpszClass = RegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                    reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  }
  return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y, int cx,
                    int cy, HWND parent, HMENU idOrMenu, void* param) {
  if (m_hWnd) return FALSE;
  CREATESTRUCTA cs = {};
  cs.dwExStyle = exStyle;
  cs.lpszClass = className;
  cs.lpszName = title;
  cs.style = static_cast<LONG>(style);
  cs.x = x, cs.y = y, cs.cx = cx, cs.cy = cy;
  cs.hwndParent = parent;
  cs.hMenu = idOrMenu;
  cs.hInstance = AfxGetInstanceHandle();
  cs.lpCreateParams = param;
  if (!PreCreateWindow(cs)) return FALSE;
  HookWindowCreate(this);
  HWND hwnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
  UnhookWindowCreate();
  if (!hwnd) {
    // A window that failed during WM_CREATE has already been destroyed and detached.
    if (m_hWnd) Detach();
    return FALSE;
  }
  return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, void* param) {
  return CreateEx(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL CWnd::Create(const char* className, const char* title, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CreateEx(0, className, title, style | WS_CHILD, rect, parent, id);
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CALLBACK CWnd::StdWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = FromHandlePermanent(hwnd);
  if (!wnd) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  CurrentMessage current = {message, wParam, lParam};
  CurrentMessage* previous = wnd->current_;
  wnd->current_ = &current;
  LRESULT result = wnd->WindowProc(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    wnd->current_ = previous;
    wnd->FinishNcDestroy();  // may delete the object
    return result;
  }
  // The handler may have destroyed the window, and with it the object.
  if (FromHandlePermanent(hwnd) == wnd) wnd->current_ = previous;
  return result;
}

void CWnd::FinishNcDestroy() {
  if (link_ == Link::Subclassed) {
    UnsubclassWindow();
  } else {
    Detach();
  }
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd == this) {
    app->m_pMainWnd = nullptr;
    ::PostQuitMessage(0);
  }
  PostNcDestroy();
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

BOOL CWnd::ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  CWnd* wnd = child ? FromHandlePermanent(child) : nullptr;
  return wnd ? wnd->OnChildNotify(message, wParam, lParam, result) : FALSE;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_COMMAND:
      if (!OnCommand(wParam, lParam)) return FALSE;
      *result = 0;
      return TRUE;
    case WM_NOTIFY:
      return OnNotify(wParam, lParam, result);
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (dis->CtlType != ODT_MENU && ReflectToChild(dis->hwndItem, message, wParam, lParam, result)) return TRUE;
      break;
    }
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (mis->CtlType != ODT_MENU &&
          ReflectToChild(::GetDlgItem(m_hWnd, static_cast<int>(mis->CtlID)), message, wParam, lParam, result)) {
        return TRUE;
      }
      break;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) != m_hWnd &&
          ReflectToChild(reinterpret_cast<HWND>(lParam), message, wParam, lParam, result)) {
        return TRUE;
      }
      break;
    default:
      break;
  }
  return ProcessWindowMessage(message, wParam, lParam, *result);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  HWND control = reinterpret_cast<HWND>(lParam);
  if (control && control != m_hWnd && ReflectToChild(control, WM_COMMAND, wParam, lParam, &result)) return TRUE;
  return ProcessWindowMessage(WM_COMMAND, wParam, lParam, result);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  if (hdr->hwndFrom != m_hWnd && ReflectToChild(hdr->hwndFrom, WM_NOTIFY, wParam, lParam, result)) return TRUE;
  return ProcessWindowMessage(WM_NOTIFY, wParam, lParam, *result);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return ProcessWindowMessage(WM_REFLECT_BASE + message, wParam, lParam, *result);
}

BOOL CWnd::ProcessWindowMessage(UINT, WPARAM, LPARAM, LRESULT&) { return FALSE; }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (oldProc_) return ::CallWindowProcA(oldProc_, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
  if (!current_) return 0;
  return DefWindowProc(current_->message, current_->wParam, current_->lParam);
}

void CWnd::GetWindowText(CString& text) const {
  int n = ::GetWindowTextLengthA(m_hWnd);
  char* buf = text.GetBuffer(n + 1);
  int got = ::GetWindowTextA(m_hWnd, buf, n + 1);
  text.ReleaseBuffer(got);
}

CString CWnd::GetWindowText() const {
  CString text;
  GetWindowText(text);
  return text;
}

CString CWnd::GetDlgItemText(int id) const {
  CString text;
  HWND item = ::GetDlgItem(m_hWnd, id);
  if (!item) return text;
  int n = ::GetWindowTextLengthA(item);
  char* buf = text.GetBuffer(n + 1);
  int got = ::GetWindowTextA(item, buf, n + 1);
  text.ReleaseBuffer(got);
  return text;
}

CWnd* CWnd::GetParent() const {
  if (!m_hWnd) return nullptr;
  if (GetStyle() & WS_CHILD) return FromHandle(::GetParent(m_hWnd));
  return FromHandle(::GetWindow(m_hWnd, GW_OWNER));
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
  DWORD style = GetStyle();
  DWORD changed = (style & ~remove) | add;
  if (changed == style) return FALSE;
  ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(changed));
  if (flags) ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
  return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags) {
  DWORD style = GetExStyle();
  DWORD changed = (style & ~remove) | add;
  if (changed == style) return FALSE;
  ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, static_cast<LONG>(changed));
  if (flags) ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
  return TRUE;
}

namespace {

RECT (*g_workAreaSource)(HWND) = nullptr;

}  // namespace

RECT CWnd::MonitorWorkArea(HWND window) {
  if (g_workAreaSource) return g_workAreaSource(window);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  HMONITOR monitor = window ? ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)
                            : ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  if (monitor && ::GetMonitorInfoA(monitor, &info)) return info.rcWork;
  RECT work = {};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

void CWnd::SetMonitorWorkAreaSource(RECT (*source)(HWND window)) { g_workAreaSource = source; }

void CWnd::CenterWindow(CWnd* alternateOwner) {
  CRect self, area;
  GetWindowRect(&self);
  HWND over = alternateOwner ? alternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
  if (GetStyle() & WS_CHILD) over = ::GetParent(m_hWnd);
  // The owner's monitor, not the primary one: a dialog stays on the screen its owner is on.
  const CRect work(MonitorWorkArea(over ? over : m_hWnd));
  if (over && ::IsWindowVisible(over) && !::IsIconic(over)) {
    ::GetWindowRect(over, &area);
  } else {
    area = work;
  }
  int x = area.left + (area.Width() - self.Width()) / 2;
  int y = area.top + (area.Height() - self.Height()) / 2;
  if (!(GetStyle() & WS_CHILD)) {
    x = std::max<int>(work.left, std::min<int>(x, work.right - self.Width()));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - self.Height()));
  }
  if (GetStyle() & WS_CHILD) {
    POINT p = {x, y};
    ::ScreenToClient(::GetParent(m_hWnd), &p);
    x = p.x, y = p.y;
  }
  SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::ScreenToClient(LPRECT r) const {
  ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&r->left));
  ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&r->right));
}

void CWnd::ClientToScreen(LPRECT r) const {
  ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&r->left));
  ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&r->right));
}

BOOL CWnd::SetMenu(CMenu* menu) { return ::SetMenu(m_hWnd, menu ? menu->GetSafeHmenu() : nullptr); }

int CWnd::MessageBox(const char* text, const char* caption, UINT type) {
  return ShowMessageBox(m_hWnd, text, caption ? caption : AfxGetAppName(), type);
}
