// The sortable report list.
#include "controls/sortlist.h"

#include <cstdlib>
#include <utility>

#include "framework/profile.h"

namespace {
int g_liveRecords = 0;

bool AllDigits(const char* s) {
  for (; *s; ++s) {
    if (*s < '0' || *s > '9') return false;
  }
  return true;  // an empty text counts as a number too
}

// dd/mm/yyyy
bool LooksLikeDate(const CString& s) {
  if (s.GetLength() != 10) return false;
  static const int kDigits[] = {0, 1, 3, 4, 6, 7, 8, 9};
  for (int i : kDigits) {
    if (s[i] < '0' || s[i] > '9') return false;
  }
  return s[2] == '/' && s[5] == '/';
}

int Sign(int x, int y) { return x < y ? -1 : (x > y ? 1 : 0); }
}  // namespace

// The kept texts of one row and a word for the owner (never read by the list).
struct CSortListCtrl::ItemRecord {
  std::vector<CString> texts;
  DWORD_PTR userData = 0;
  ItemRecord() { ++g_liveRecords; }
  ~ItemRecord() { --g_liveRecords; }
};

int CSortListCtrl::LiveItemRecords() { return g_liveRecords; }

BEGIN_MESSAGE_MAP(CSortListCtrl, CListCtrl)
  ON_NOTIFY_REFLECT(LVN_COLUMNCLICK, &CSortListCtrl::OnColumnClick)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CSortListCtrl::~CSortListCtrl() {
  // Destroyed before its window: the window goes without WM_DESTROY reaching this object.
  if (m_hWnd) FreeAllItemRecords();
}

void CSortListCtrl::PreSubclassWindow() {
  CListCtrl::PreSubclassWindow();
  EnsureHeader();
}

void CSortListCtrl::EnsureHeader() {
  // A list made through Create has no header yet when it is subclassed.
  if (!header_.m_hWnd && GetHeaderHwnd()) header_.SubclassWindow(GetHeaderHwnd());
}

BOOL CSortListCtrl::SetHeadings(const CString& headings) {
  int p = 0;
  while (p < headings.GetLength()) {
    int comma = headings.Find(',', p);
    if (comma == -1) break;
    CString name = headings.Mid(p, comma - p);
    int semi = headings.Find(';', comma + 1);
    CString width = semi == -1 ? headings.Mid(comma + 1) : headings.Mid(comma + 1, semi - comma - 1);
    if (InsertColumn(columnCount_, name, LVCFMT_LEFT, atoi(width)) == -1) return FALSE;
    ++columnCount_;
    EnsureHeader();  // some lists make their header with the first column
    p = semi == -1 ? headings.GetLength() : semi + 1;
  }
  return TRUE;
}

int CSortListCtrl::AddItemTexts(const std::vector<const char*>& texts) {
  if (columnCount_ < 1 || static_cast<int>(texts.size()) != columnCount_) return -1;
  int index = InsertItem(GetItemCount(), texts[0] ? texts[0] : "");
  if (index == -1) return -1;
  auto* record = new ItemRecord;
  for (int i = 0; i < columnCount_; ++i) {
    const char* text = texts[i] ? texts[i] : "";
    if (i > 0) CListCtrl::SetItemText(index, i, text);
    record->texts.emplace_back(text);
  }
  CListCtrl::SetItemData(index, reinterpret_cast<DWORD_PTR>(record));
  return index;
}

void CSortListCtrl::FreeItemRecord(int item) {
  auto* record = reinterpret_cast<ItemRecord*>(GetItemData(item));
  if (!record) return;
  CListCtrl::SetItemData(item, 0);
  delete record;
}

void CSortListCtrl::FreeAllItemRecords() {
  for (int i = 0; i < GetItemCount(); ++i) FreeItemRecord(i);
}

BOOL CSortListCtrl::DeleteItem(int item) {
  FreeItemRecord(item);
  return CListCtrl::DeleteItem(item);
}

BOOL CSortListCtrl::DeleteAllItems() {
  FreeAllItemRecords();
  return CListCtrl::DeleteAllItems();
}

BOOL CSortListCtrl::SetItemText(int item, int subItem, const char* text) {
  if (!CListCtrl::SetItemText(item, subItem, text)) return FALSE;
  auto* record = reinterpret_cast<ItemRecord*>(GetItemData(item));
  if (record && subItem >= 0 && subItem < static_cast<int>(record->texts.size())) {
    record->texts[subItem] = text ? text : "";
  }
  return TRUE;
}

void CSortListCtrl::LoadColumnInfo() {
  CString entry;
  entry.Format("%d", GetDlgCtrlID());
  std::string bytes;
  if (!AfxGetProfileBinary("ListCtrls", entry, bytes) || bytes.empty()) return;
  EnsureHeader();
  CArchive ar(CArchive::load, bytes);
  header_.Serialize(ar);
  header_.Invalidate();
}

void CSortListCtrl::Sort(int column, BOOL ascending) {
  sortColumn_ = column;
  ascending_ = ascending;
  EnsureHeader();
  header_.SetSortArrow(column, ascending);
  SortItems(&CSortListCtrl::CompareFunction, reinterpret_cast<DWORD_PTR>(this));
}

void CSortListCtrl::OnColumnClick(NMHDR* hdr, LRESULT* result) {
  int column = reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem;
  Sort(column, !(column == sortColumn_ && ascending_));
  *result = 0;
}

void CSortListCtrl::OnDestroy() {
  FreeAllItemRecords();
  CListCtrl::OnDestroy();
}

int CSortListCtrl::CompareTexts(const char* a, const char* b, BOOL ascending) {
  if (!a) a = "";
  if (!b) b = "";
  if (AllDigits(a)) {
    int x = atoi(a), y = atoi(b);
    return ascending ? Sign(x, y) : Sign(y, x);
  }
  CString first(a), second(b);
  if (!LooksLikeDate(first)) return ascending ? lstrcmpA(a, b) : lstrcmpA(b, a);
  // Year, then month, then day. The second text may be shorter: Mid never reads past its end.
  static const int kParts[3][2] = {{6, 4}, {3, 2}, {0, 2}};
  for (const auto& part : kParts) {
    int x = atoi(first.Mid(part[0], part[1]));
    int y = atoi(second.Mid(part[0], part[1]));
    if (!ascending) std::swap(x, y);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

int CALLBACK CSortListCtrl::CompareFunction(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort) {
  auto* list = reinterpret_cast<CSortListCtrl*>(lParamSort);
  auto* r1 = reinterpret_cast<ItemRecord*>(lParam1);
  auto* r2 = reinterpret_cast<ItemRecord*>(lParam2);
  int column = list->sortColumn_;
  auto text = [column](ItemRecord* r) -> const char* {
    return r && column >= 0 && column < static_cast<int>(r->texts.size()) ? r->texts[column].GetString() : "";
  };
  return CompareTexts(text(r1), text(r2), list->ascending_);
}
