// CMenu: a menu handle, owned (destroyed with the object) or viewed (submenus, window menus).
#pragma once

#include <windows.h>

#include "framework/cstring.h"

class CWnd;

class CMenu {
public:
  CMenu() = default;
  virtual ~CMenu() { DestroyMenu(); }
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  HMENU GetSafeHmenu() const { return menu_; }
  operator HMENU() const { return menu_; }

  BOOL LoadMenu(UINT id);
  BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
  BOOL CreateMenu() { return Attach(::CreateMenu()); }
  // Takes ownership of a menu handle.
  BOOL Attach(HMENU menu);
  HMENU Detach();
  virtual BOOL DestroyMenu();

  // A view of the submenu at pos (valid while this menu lives), or null. The view is
  // kept inside this object.
  CMenu* GetSubMenu(int pos);
  int GetMenuItemCount() const { return ::GetMenuItemCount(menu_); }
  UINT GetMenuItemID(int pos) const { return ::GetMenuItemID(menu_, pos); }
  int GetMenuString(UINT item, CString& text, UINT flags) const;
  BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr) {
    return ::AppendMenuA(menu_, flags, id, text);
  }
  BOOL InsertMenu(UINT pos, UINT flags, UINT_PTR id = 0, const char* text = nullptr) {
    return ::InsertMenuA(menu_, pos, flags, id, text);
  }
  BOOL RemoveMenu(UINT item, UINT flags) { return ::RemoveMenu(menu_, item, flags); }
  BOOL DeleteMenu(UINT item, UINT flags) { return ::DeleteMenu(menu_, item, flags); }
  UINT EnableMenuItem(UINT item, UINT flags) { return ::EnableMenuItem(menu_, item, flags); }
  UINT CheckMenuItem(UINT item, UINT flags) { return ::CheckMenuItem(menu_, item, flags); }
  UINT GetMenuState(UINT item, UINT flags) const { return ::GetMenuState(menu_, item, flags); }
  BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* wnd, LPCRECT rect = nullptr);

private:
  HMENU menu_ = nullptr;
  bool owned_ = false;
  CMenu* sub_ = nullptr;  // views of submenus, chained
  CMenu* next_ = nullptr;
};
