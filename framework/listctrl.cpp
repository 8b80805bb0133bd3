// List views.
#include "framework/listctrl.h"

int CListCtrl::InsertColumn(int column, const char* heading, int format, int width, int subItem) {
  LVCOLUMNA col = {};
  col.mask = LVCF_FMT | LVCF_TEXT;
  col.fmt = format;
  col.pszText = const_cast<char*>(heading);
  if (width != -1) col.mask |= LVCF_WIDTH, col.cx = width;
  if (subItem != -1) col.mask |= LVCF_SUBITEM, col.iSubItem = subItem;
  return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&col)));
}

int CListCtrl::InsertItem(int item, const char* text) {
  LVITEMA it = {};
  it.mask = LVIF_TEXT;
  it.iItem = item;
  it.pszText = const_cast<char*>(text);
  return InsertItem(&it);
}

BOOL CListCtrl::SetItemText(int item, int subItem, const char* text) {
  LVITEMA it = {};
  it.iSubItem = subItem;
  it.pszText = const_cast<char*>(text);
  return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTA, item, reinterpret_cast<LPARAM>(&it)));
}

CString CListCtrl::GetItemText(int item, int subItem) const {
  // The list copies at most the buffer's size; grow until the text fits.
  for (int size = 256;; size *= 4) {
    CString text;
    char* buf = text.GetBuffer(size);
    LVITEMA it = {};
    it.iSubItem = subItem;
    it.pszText = buf;
    it.cchTextMax = size;
    int n = static_cast<int>(SendMessage(LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&it)));
    text.ReleaseBuffer(n);
    if (n < size - 1 || size > (1 << 20)) return text;
  }
}

BOOL CListCtrl::SetItemData(int item, DWORD_PTR data) {
  LVITEMA it = {};
  it.mask = LVIF_PARAM;
  it.iItem = item;
  it.lParam = static_cast<LPARAM>(data);
  return static_cast<BOOL>(SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it)));
}

DWORD_PTR CListCtrl::GetItemData(int item) const {
  LVITEMA it = {};
  it.mask = LVIF_PARAM;
  it.iItem = item;
  SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  return static_cast<DWORD_PTR>(it.lParam);
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
  LVITEMA it = {};
  it.state = state;
  it.stateMask = mask;
  return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&it)));
}
