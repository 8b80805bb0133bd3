// CHeaderCtrl: the column header of a report list; owner-drawn columns draw in DrawItem.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "framework/window.h"

class CHeaderCtrl : public CWnd {
public:
  int GetItemCount() const { return static_cast<int>(SendMessage(HDM_GETITEMCOUNT)); }
  BOOL GetItem(int index, HDITEMA* item) const {
    return static_cast<BOOL>(SendMessage(HDM_GETITEMA, index, reinterpret_cast<LPARAM>(item)));
  }
  BOOL SetItem(int index, HDITEMA* item) {
    return static_cast<BOOL>(SendMessage(HDM_SETITEMA, index, reinterpret_cast<LPARAM>(item)));
  }
  BOOL GetItemRect(int index, LPRECT rect) const {
    return static_cast<BOOL>(SendMessage(HDM_GETITEMRECT, index, reinterpret_cast<LPARAM>(rect)));
  }

  // Drawing of an HDF_OWNERDRAW column (the list's WM_DRAWITEM, reflected).
  virtual void DrawItem(LPDRAWITEMSTRUCT) {}
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    if (message != WM_DRAWITEM) return CWnd::OnChildNotify(message, wParam, lParam, result);
    DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    *result = TRUE;
    return TRUE;
  }
};
