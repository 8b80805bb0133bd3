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
  // Escape and a click elsewhere reach the menu only while a window of ours is the foreground
  // window. The icon's own window is a child, which cannot be: its top-level window, the main
  // dialog (hidden or not), is brought to the front instead.
  HWND front = ::GetAncestor(m_hWnd, GA_ROOT);
  ::SetForegroundWindow(front ? front : m_hWnd);
  BOOL tracked = popup->TrackPopupMenu(0, cursor.x, cursor.y, this);
  // A message after the menu, so that the next menu opens and closes normally.
  PostMessage(WM_NULL);
  return tracked;
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
