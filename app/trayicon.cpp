// The notification-area icon, its messages and the tray menu.
#include "app/trayicon.h"

#include "app/aboutdlg.h"
#include "app/quorvexdlg.h"
#include "res/resource.h"

namespace {
constexpr UINT kIconId = 128;
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
  // Escape and a click elsewhere reach the menu only while a shown top-level window of ours is
  // the foreground window and owns the menu (under Wine, only a shown window takes the keyboard
  // and the pointer). The icon's own window is a child; its top-level window, the main dialog,
  // may be hidden: then a one-pixel window under the menu's corner stands in for it.
  HWND root = ::GetAncestor(m_hWnd, GA_ROOT);
  HWND previous = ::GetForegroundWindow();
  HWND standIn = nullptr;
  if (!root || !::IsWindowVisible(root)) {
    standIn = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "STATIC", "", WS_POPUP, cursor.x, cursor.y, 1, 1,
                                nullptr, nullptr, AfxGetInstanceHandle(), nullptr);
    if (standIn) ::ShowWindow(standIn, SW_SHOWNA);
  }
  HWND owner = standIn ? standIn : m_hWnd;
  ::SetForegroundWindow(standIn ? standIn : root ? root : m_hWnd);
  const UINT id = static_cast<UINT>(
      ::TrackPopupMenu(popup->GetSafeHmenu(), TPM_RETURNCMD | TPM_NONOTIFY, cursor.x, cursor.y, 0, owner, nullptr));
  // A message after the menu, so that the next menu opens and closes normally.
  ::PostMessageA(owner, WM_NULL, 0, 0);
  if (standIn) {
    ::DestroyWindow(standIn);
    // The keyboard goes back where it was, so that the release of the key that closed the menu
    // reaches a window and no key stays down.
    if (previous && ::IsWindow(previous)) ::SetForegroundWindow(previous);
  }
  if (id != 0) SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
  return TRUE;
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
