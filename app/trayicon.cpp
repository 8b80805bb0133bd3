// The notification-area icon, its messages and the tray menu.
#include "app/trayicon.h"

#include "app/aboutdlg.h"
#include "app/quorvexdlg.h"
#include "res/resource.h"

namespace {
constexpr UINT kIconId = 128;
constexpr UINT_PTR kRefocusTimer = 1;
}

BEGIN_MESSAGE_MAP(CTrayIcon, CWnd)
  ON_MESSAGE(WM_TRAY_NOTIFY, &CTrayIcon::OnTrayNotification)
  ON_WM_TIMER()
END_MESSAGE_MAP()

CTrayIcon::CTrayIcon() { ZeroMemory(&data_, sizeof data_); }

CTrayIcon::~CTrayIcon() {
  // An icon left behind would stay in the notification area until the mouse passes over it.
  RemoveIcon();
  for (auto& entry : icons_) DestroyIcon(entry.second);
}

BOOL CTrayIcon::LoadIconForType(UINT iconId, UINT type) {
  HICON icon = static_cast<HICON>(LoadImageA(instance_ ? instance_ : AfxGetResourceHandle(), MAKEINTRESOURCEA(iconId),
                                             IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  if (!icon) return FALSE;
  auto it = icons_.find(type);
  if (it != icons_.end()) DestroyIcon(it->second);
  icons_[type] = icon;
  return TRUE;
}

BOOL CTrayIcon::CreateNotifyWindow(CWnd* owner) {
  if (!CreateEx(0, nullptr, "", WS_VISIBLE | WS_CHILD, CRect(0, 0, 0, 0), owner, 0)) return FALSE;
  ShowWindow(SW_HIDE);
  UpdateWindow();
  return TRUE;
}

BOOL CTrayIcon::AddIcon(UINT type) {
  auto it = icons_.find(type);
  if (it == icons_.end() || !m_hWnd) return FALSE;
  ZeroMemory(&data_, sizeof data_);
  data_.cbSize = sizeof data_;
  data_.hWnd = m_hWnd;
  data_.uID = kIconId;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = WM_TRAY_NOTIFY;
  data_.hIcon = it->second;
  lstrcpynA(data_.szTip, tooltip_, 128);
  added_ = Shell_NotifyIconA(NIM_ADD, &data_);
  return added_;
}

BOOL CTrayIcon::RemoveIcon() {
  if (!added_) return FALSE;
  added_ = FALSE;
  return Shell_NotifyIconA(NIM_DELETE, &data_);
}

LRESULT CTrayIcon::OnTrayNotification(WPARAM, LPARAM lParam) {
  if (lParam == WM_LBUTTONDOWN) {
    OnTrayLButtonDown();
  } else if (lParam == WM_RBUTTONDOWN) {
    OnTrayRButtonDown();
  }
  return 0;
}

void CTrayIcon::ShowOwner(int show) {
  if (!owner_) return;
  owner_->ShowWindow(show);
  owner_->SetFocus();
  owner_->SetForegroundWindow();
}

void CTrayIcon::OnTrayLButtonDown() { ShowOwner(SW_SHOWNORMAL); }

void CTrayIcon::OnTrayRButtonDown() { ShowTrayMenu(); }

BOOL CTrayIcon::ShowTrayMenu() {
  CMenu menu;
  if (!menu.LoadMenu(menuId_)) return FALSE;
  CMenu* popup = menu.GetSubMenu(0);
  if (!popup) return FALSE;
  bool ownerShown = owner_ && owner_->IsWindowVisible() && !owner_->IsIconic();
  popup->RemoveMenu(ownerShown ? ID_TRAY_SHOW : ID_TRAY_HIDE, MF_BYCOMMAND);
  POINT cursor;
  GetCursorPos(&cursor);
  // Escape and a click elsewhere reach the menu only while a shown top-level window of ours has
  // the keyboard focus, also on the display: under Wine a window takes the display's focus only
  // when it asks for it with a time later than that of the click on the icon, which gave the
  // focus to the notification area, and the time asked with is that of the last message this
  // thread read. So a one-pixel window under the menu's corner takes the focus right after a
  // message read now, whether the main window is shown or not.
  HWND previous = ::GetForegroundWindow();
  HWND standIn = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "STATIC", "", WS_POPUP, cursor.x, cursor.y, 1, 1,
                                   nullptr, nullptr, AfxGetInstanceHandle(), nullptr);
  HWND owner = m_hWnd;
  if (standIn) {
    ::ShowWindow(standIn, SW_SHOWNA);
    MSG msg;
    ::PostMessageA(standIn, WM_NULL, 0, 0);
    while (::PeekMessageA(&msg, standIn, 0, 0, PM_REMOVE) && msg.message != WM_NULL) {
    }
    ::SetForegroundWindow(standIn);
    ::SetFocus(standIn);
    owner = standIn;
  } else {
    HWND root = ::GetAncestor(m_hWnd, GA_ROOT);
    ::SetForegroundWindow(root ? root : m_hWnd);
  }
  // The program's clock may still be behind the display's until the pointer has entered the
  // menu: the stand-in asks for the focus once more from inside the menu.
  standIn_ = standIn;
  if (standIn) SetTimer(kRefocusTimer, 150, nullptr);
  const UINT id = static_cast<UINT>(
      ::TrackPopupMenu(popup->GetSafeHmenu(), TPM_RETURNCMD | TPM_NONOTIFY, cursor.x, cursor.y, 0, owner, nullptr));
  KillTimer(kRefocusTimer);
  standIn_ = nullptr;
  // A message after the menu, so that the next menu opens and closes normally.
  ::PostMessageA(owner, WM_NULL, 0, 0);
  // A window the command opens (the about box) takes the keyboard from the stand-in.
  if (id != 0) SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
  // When the command left the keyboard with no window the user can see, it goes back where it
  // was, so that the release of the key that closed the menu reaches a window and no key stays
  // down, and so that typing goes on there: nothing took it from the stand-in, or a box that
  // closed gave it to its owner, the main window, which may be hidden.
  HWND front = ::GetForegroundWindow();
  const bool lost = front == standIn || !front || !::IsWindowVisible(front);
  if (standIn) ::DestroyWindow(standIn);
  if (lost && previous && previous != standIn && ::IsWindow(previous)) ::SetForegroundWindow(previous);
  return TRUE;
}

void CTrayIcon::OnTimer(UINT_PTR id) {
  if (id != kRefocusTimer) return;
  KillTimer(id);
  if (standIn_ && ::GetFocus() == standIn_) {
    ::SetFocus(nullptr);
    ::SetFocus(standIn_);
  }
}

BOOL CTrayIcon::OnCommand(WPARAM wParam, LPARAM lParam) {
  OnTrayCommand(LOWORD(wParam));
  return CWnd::OnCommand(wParam, lParam);
}

void CTrayIcon::OnTrayCommand(UINT id) {
  auto* dialog = dynamic_cast<CQuorvexDlg*>(owner_);
  switch (id) {
    case ID_TRAY_SHOW:
      ShowOwner(SW_SHOWNORMAL);
      break;
    case ID_TRAY_HIDE:
      if (owner_) owner_->ShowWindow(SW_HIDE);
      break;
    case ID_TRAY_HELP:
      if (dialog) dialog->OpenHelpFile();
      break;
    case ID_TRAY_ABOUT: {
      CQuorvexAboutDlg about(owner_);
      about.DoModal();
      break;
    }
    case ID_TRAY_EXIT:
      // Exit asks no question.
      if (owner_) owner_->ShowWindow(SW_HIDE);
      RemoveIcon();
      if (dialog) dialog->QuitApplication();
      break;
    default:
      if (owner_) owner_->ShowWindow(SW_SHOW);
      break;
  }
}
