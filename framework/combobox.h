// CComboBox: combo boxes and drop-down lists.
#pragma once

#include "framework/window.h"

class CComboBox : public CWnd {
public:
  int AddString(const char* text) { return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
  int InsertString(int index, const char* text) {
    return static_cast<int>(SendMessage(CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text)));
  }
  int DeleteString(int index) { return static_cast<int>(SendMessage(CB_DELETESTRING, index)); }
  void ResetContent() { SendMessage(CB_RESETCONTENT); }
  int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
  int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
  int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, index)); }
  int FindStringExact(int start, const char* text) const {
    return static_cast<int>(SendMessage(CB_FINDSTRINGEXACT, start, reinterpret_cast<LPARAM>(text)));
  }
  int SelectString(int start, const char* text) {
    return static_cast<int>(SendMessage(CB_SELECTSTRING, start, reinterpret_cast<LPARAM>(text)));
  }
  // The text of the item at index ("" when there is none).
  CString GetLBText(int index) const {
    CString text;
    int n = static_cast<int>(SendMessage(CB_GETLBTEXTLEN, index));
    if (n < 0) return text;
    char* buf = text.GetBuffer(n + 1);
    int got = static_cast<int>(SendMessage(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buf)));
    text.ReleaseBuffer(got < 0 ? 0 : got);
    return text;
  }
  DWORD_PTR GetItemData(int index) const { return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, index)); }
  int SetItemData(int index, DWORD_PTR data) { return static_cast<int>(SendMessage(CB_SETITEMDATA, index, data)); }
};
