// The sortable list's header: sort arrow, owner-drawn columns, saved widths.
#include "controls/sortheader.h"

#include <vector>

#include "framework/dc.h"

void CSortHeaderCtrl::SetSortArrow(int column, BOOL ascending) {
  sortColumn_ = column;
  ascending_ = ascending;
  HDITEMA item = {};
  item.mask = HDI_FORMAT;
  GetItem(column, &item);
  item.fmt |= HDF_OWNERDRAW;
  SetItem(column, &item);
  Invalidate();
}

void CSortHeaderCtrl::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    int count = GetItemCount();
    if (count == -1) return;
    ar << count;
    for (int i = 0; i < count; ++i) {
      HDITEMA item = {};
      item.mask = HDI_WIDTH;
      GetItem(i, &item);
      ar << item.cxy;
    }
    return;
  }
  int count = 0;
  ar >> count;
  if (ar.Failed() || count != GetItemCount()) return;
  // Read the whole record before applying any of it: a short or damaged one changes nothing.
  std::vector<int> widths(count);
  for (int& w : widths) ar >> w;
  if (ar.Failed()) return;
  for (int w : widths) {
    if (w < 0) return;
  }
  for (int i = 0; i < count; ++i) {
    HDITEMA item = {};
    item.mask = HDI_WIDTH;
    item.cxy = widths[i];
    SetItem(i, &item);
  }
}

void CSortHeaderCtrl::DrawItem(LPDRAWITEMSTRUCT dis) {
  CDC dc(dis->hDC);
  int saved = dc.SaveDC();
  CRect rcItem(dis->rcItem);
  dc.IntersectClipRect(&rcItem);
  dc.FillSolidRect(&rcItem, ::GetSysColor(COLOR_3DFACE));

  char text[256] = "";
  HDITEMA item = {};
  item.mask = HDI_TEXT | HDI_FORMAT;
  item.pszText = text;
  item.cchTextMax = 255;
  GetItem(static_cast<int>(dis->itemID), &item);

  UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | DT_NOCLIP;
  if (item.fmt & HDF_CENTER) {
    format |= DT_CENTER;
  } else if (item.fmt & HDF_RIGHT) {
    format |= DT_RIGHT;
  } else {
    format |= DT_LEFT;
  }

  CRect rcText = rcItem;
  if (dis->itemState & ODS_SELECTED) {
    rcText.left++;
    rcText.top += 2;
    rcText.right++;
  }
  bool sorted = static_cast<int>(dis->itemID) == sortColumn_;
  int m = rcItem.Height() / 4;
  if (sorted) rcText.right -= 3 * m;
  rcText.DeflateRect(m, 0);
  if (rcText.left < rcText.right) {
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(::GetSysColor(COLOR_BTNTEXT));
    dc.DrawText(text, -1, &rcText, format);
  }

  if (sorted) {
    CPen highlight(PS_SOLID, 1, ::GetSysColor(COLOR_3DHILIGHT));
    CPen shadow(PS_SOLID, 1, ::GetSysColor(COLOR_3DSHADOW));
    int r = rcItem.right, b = rcItem.bottom;
    HPEN old = dc.SelectObject(&highlight);
    if (ascending_) {
      dc.MoveTo(r - 2 * m, m);
      dc.LineTo(r - m, b - m - 1);
      dc.LineTo(r - 3 * m - 2, b - m - 1);
      dc.SelectObject(&shadow);
      dc.MoveTo(r - 3 * m - 1, b - m - 1);
      dc.LineTo(r - 2 * m, m - 1);
    } else {
      dc.MoveTo(r - m - 1, m);
      dc.LineTo(r - 2 * m - 1, b - m);
      dc.SelectObject(&shadow);
      dc.MoveTo(r - 2 * m - 2, b - m);
      dc.LineTo(r - 3 * m - 1, m);
      dc.LineTo(r - m - 1, m);
    }
    dc.SelectObject(old);
  }
  dc.RestoreDC(saved);
}
