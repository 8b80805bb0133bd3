// The editor's action list: moving, deleting and numbering rows, and the delete confirmation.
#include "editor/listctrlex.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "controls/checkmsgbox.h"
#include "robot/datafolder.h"
#include "robot/numbertext.h"

namespace {

CString ConfirmFilePath() { return GetDataFolder() + "\\dcm.ini"; }

std::vector<int> SelectedRows(const CListCtrl& list) {
  std::vector<int> rows;
  for (int i = list.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = list.GetNextItem(i, LVNI_SELECTED)) rows.push_back(i);
  return rows;
}

}  // namespace

BEGIN_MESSAGE_MAP(CListCtrlEx, CListCtrl)
  ON_WM_KEYUP()
END_MESSAGE_MAP()

void CListCtrlEx::SelectItem(int row, BOOL focus) {
  if (focus) {
    SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus();
  } else {
    SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
  }
}

void CListCtrlEx::DeselectItem(int row) { SetItemState(row, 0, LVIS_SELECTED); }

void CListCtrlEx::Renumber(int first) {
  for (int i = first < 0 ? 0 : first; i < GetItemCount(); ++i) SetItemText(i, 0, IntToString(i + 1));
}

void CListCtrlEx::SwapActions(int a, int b) {
  CString textA = GetItemText(a, 1), textB = GetItemText(b, 1);
  DWORD_PTR dataA = GetItemData(a), dataB = GetItemData(b);
  SetItemText(a, 1, textB);
  SetItemText(b, 1, textA);
  SetItemData(a, dataB);
  SetItemData(b, dataA);
}

void CListCtrlEx::ReselectMoved(const int* before, int count, const int* moved, int movedCount) {
  for (int i = 0; i < count; ++i) DeselectItem(before[i]);
  for (int i = 0; i < movedCount; ++i) SelectItem(moved[i], TRUE);
}

void CListCtrlEx::MoveSelectedUp() {
  std::vector<int> rows = SelectedRows(*this);
  if (rows.empty()) {
    AfxMessageBox("No item selected, please select one item from list above.");
    return;
  }
  std::sort(rows.begin(), rows.end());
  std::vector<int> moved;
  int blocked = -1;
  for (int s : rows) {
    if (s > blocked + 1) {
      SwapActions(s, s - 1);
      blocked = s - 1;
      moved.push_back(s - 1);
    } else {
      blocked = s;
      moved.push_back(s);
    }
    EnsureVisible(s - 1 < 0 ? 0 : s - 1, FALSE);
  }
  ReselectMoved(rows.data(), static_cast<int>(rows.size()), moved.data(), static_cast<int>(moved.size()));
}

void CListCtrlEx::MoveSelectedDown() {
  std::vector<int> rows = SelectedRows(*this);
  if (rows.empty()) {
    AfxMessageBox("No item selected, please select one item from list above.");
    return;
  }
  std::sort(rows.rbegin(), rows.rend());
  std::vector<int> moved;
  int bound = GetItemCount();
  for (int s : rows) {
    if (s < bound - 1) {
      SwapActions(s, s + 1);
      bound = s + 1;
      moved.push_back(s + 1);
    } else {
      bound = s;
      moved.push_back(s);
    }
    EnsureVisible(s + 1 < GetItemCount() ? s + 1 : s, FALSE);
  }
  ReselectMoved(rows.data(), static_cast<int>(rows.size()), moved.data(), static_cast<int>(moved.size()));
}

void CListCtrlEx::DeleteSelected() {
  if (GetNextItem(-1, LVNI_SELECTED) < 0) {
    AfxMessageBox("No item selected, please select one item from list above to delete.");
    return;
  }
  if (!IsConfirmOff()) {
    CCheckMsgBox box(GetParent());
    box.m_Question = "Are you sure you want to delete selected robot actions?";
    box.DoModal();
    if (box.m_Answer != 1) return;
    if (box.m_DontShow) SaveConfirmOff(TRUE);
  }
  int lowest = -1;
  for (int row = GetNextItem(-1, LVNI_SELECTED); row >= 0; row = GetNextItem(-1, LVNI_SELECTED)) {
    if (lowest < 0 || row < lowest) lowest = row;
    DeleteItem(row);
  }
  Renumber(lowest);
  int count = GetItemCount();
  if (count > 0) SelectItem(lowest < count ? lowest : count - 1, TRUE);
}

void CListCtrlEx::OnKeyUp(UINT key, UINT repeat, UINT flags) {
  if (key == VK_DELETE) DeleteSelected();
  CWnd::OnKeyUp(key, repeat, flags);
}

BOOL CListCtrlEx::IsConfirmOff() {
  FILE* file = fopen(ConfirmFilePath(), "r");
  if (!file) return FALSE;
  char line[260];
  BOOL off = FALSE;
  while (fgets(line, sizeof line, file)) {
    line[strcspn(line, "\r\n")] = '\0';
    if (strncmp(line, "showcofm=", 9) == 0) {
      off = strcmp(line + 9, "0") == 0;
      break;
    }
  }
  fclose(file);
  return off;
}

void CListCtrlEx::SaveConfirmOff(BOOL off) {
  CreateFolderPath(GetDataFolder());  // a first start may have no data folder yet
  FILE* file = fopen(ConfirmFilePath(), "w");
  if (!file) return;
  fprintf(file, "showcofm=%d\n", off ? 0 : 1);
  fclose(file);
}
