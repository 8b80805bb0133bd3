// CSortHeaderCtrl: the header of a sortable list; draws the sort arrow in the sorted column
// and saves and loads the column widths.
#pragma once

#include "framework/archive.h"
#include "framework/headerctrl.h"

class CSortHeaderCtrl : public CHeaderCtrl {
public:
  CSortHeaderCtrl() = default;

  // Marks the sorted column (it becomes owner-drawn, and stays so) and repaints.
  void SetSortArrow(int column, BOOL ascending);
  int GetSortColumn() const { return sortColumn_; }
  BOOL IsSortAscending() const { return ascending_; }

  // Stores the column count and each width (32-bit little-endian); loading applies the
  // widths only when the count equals the current column count and every width is there.
  void Serialize(CArchive& ar);

  void DrawItem(LPDRAWITEMSTRUCT dis) override;

protected:
  int sortColumn_ = -1;
  BOOL ascending_ = TRUE;
};
