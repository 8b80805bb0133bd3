// CListCtrlEx: the editor's list of action rows (step number, display line). It moves the
// selected rows up or down and deletes them, after a confirmation the user can switch off for
// good ("dcm.ini"), keeping the step numbers in order. A row's item data travels with its action.
#pragma once

#include "framework/ui.h"

class CListCtrlEx : public CListCtrl {
public:
  void SelectItem(int row, BOOL focus);
  void DeselectItem(int row);
  void MoveSelectedUp();
  void MoveSelectedDown();
  void DeleteSelected();
  // Renumbers column 0 from `first` to the end with the rows' 1-based positions.
  void Renumber(int first = 0);

  // "dcm.ini" of the data folder: "showcofm=0" turns the delete confirmation off.
  static BOOL IsConfirmOff();
  static void SaveConfirmOff(BOOL off);

protected:
  void OnKeyUp(UINT key, UINT repeat, UINT flags);
  DECLARE_MESSAGE_MAP()

private:
  // Swaps the action (column 1 and item data) of two rows.
  void SwapActions(int a, int b);
  void ReselectMoved(const int* before, int count, const int* moved, int movedCount);
};
