// CSortListCtrl: a report list whose columns come from one "name,width;..." text, which keeps
// its own copy of every cell text and sorts its rows by the column whose header is clicked
// (numbers as numbers, day/month/year dates by their parts, the rest as text).
#pragma once

#include <initializer_list>
#include <vector>

#include "controls/sortheader.h"
#include "framework/cstring.h"
#include "framework/listctrl.h"
#include "framework/msgmap.h"

class CSortListCtrl : public CListCtrl {
public:
  CSortListCtrl() = default;
  ~CSortListCtrl() override;

  // Adds the columns of headings ("Enable,50;Name,100;Start Key,60;End Key,60"): a name, a comma
  // and a width per entry, entries separated by ";". FALSE when the list refuses a column.
  BOOL SetHeadings(const CString& headings);
  // Appends a row with exactly one text per column; returns its index, or -1 (also when the
  // number of texts is not the number of columns).
  template <class... More>
  int AddItem(const char* first, const More&... more) {
    return AddItemTexts({first, static_cast<const char*>(more)...});
  }
  int AddItemTexts(std::initializer_list<const char*> texts) { return AddItemTexts(std::vector<const char*>(texts)); }
  int AddItemTexts(const std::vector<const char*>& texts);
  BOOL DeleteItem(int item);
  BOOL DeleteAllItems();
  // Sets a cell and the kept copy of it (rows added by AddItem only); FALSE keeps the old copy.
  BOOL SetItemText(int item, int subItem, const char* text);
  // Applies the column widths saved in the profile section "ListCtrls" under the list's id.
  void LoadColumnInfo();
  void Sort(int column, BOOL ascending);

  // The row comparison: the kind (number, date, text) is decided by a, the first row's text;
  // descending exchanges the operands.
  static int CompareTexts(const char* a, const char* b, BOOL ascending);
  static int CALLBACK CompareFunction(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

  int GetColumnCount() const { return columnCount_; }
  int GetSortColumn() const { return sortColumn_; }
  BOOL IsSortAscending() const { return ascending_; }
  CSortHeaderCtrl& GetHeaderCtrl() { return header_; }
  // Item records alive in the process (each row added by AddItem holds one).
  static int LiveItemRecords();

protected:
  void PreSubclassWindow() override;
  void OnColumnClick(NMHDR* hdr, LRESULT* result);
  void OnDestroy();
  DECLARE_MESSAGE_MAP()

private:
  struct ItemRecord;
  void EnsureHeader();
  void FreeItemRecord(int item);
  void FreeAllItemRecords();

  CSortHeaderCtrl header_;
  int columnCount_ = 0;
  int sortColumn_ = -1;
  BOOL ascending_ = TRUE;
};
