// Menus.
#include "framework/menu.h"

#include "framework/app.h"
#include "framework/window.h"

BOOL CMenu::LoadMenu(UINT id) {
  return Attach(::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id)));
}

BOOL CMenu::Attach(HMENU menu) {
  DestroyMenu();
  if (!menu) return FALSE;
  menu_ = menu;
  owned_ = true;
  return TRUE;
}

HMENU CMenu::Detach() {
  HMENU h = menu_;
  menu_ = nullptr;
  owned_ = false;
  return h;
}

BOOL CMenu::DestroyMenu() {
  while (sub_) {
    CMenu* next = sub_->next_;
    sub_->menu_ = nullptr;
    delete sub_;
    sub_ = next;
  }
  if (!menu_) return FALSE;
  BOOL ok = owned_ ? ::DestroyMenu(menu_) : TRUE;
  menu_ = nullptr;
  owned_ = false;
  return ok;
}

CMenu* CMenu::GetSubMenu(int pos) {
  HMENU h = ::GetSubMenu(menu_, pos);
  if (!h) return nullptr;
  for (CMenu* m = sub_; m; m = m->next_) {
    if (m->menu_ == h) return m;
  }
  CMenu* view = new CMenu;
  view->menu_ = h;  // not owned: destroyed with this menu
  view->next_ = sub_;
  sub_ = view;
  return view;
}

int CMenu::GetMenuString(UINT item, CString& text, UINT flags) const {
  int n = ::GetMenuStringA(menu_, item, nullptr, 0, flags);
  char* buf = text.GetBuffer(n + 1);
  int got = ::GetMenuStringA(menu_, item, buf, n + 1, flags);
  text.ReleaseBuffer(got);
  return got;
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* wnd, LPCRECT rect) {
  return ::TrackPopupMenu(menu_, flags, x, y, 0, wnd->GetSafeHwnd(), rect);
}
