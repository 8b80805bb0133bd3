// Dialog data exchange.
#include "framework/ddx.h"

#include <climits>
#include <cstdlib>

#include "framework/msgbox.h"
#include "framework/window.h"

HWND CDataExchange::PrepareCtrl(int id) {
  last_ = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
  lastIsEdit_ = false;
  return last_;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
  PrepareCtrl(id);
  lastIsEdit_ = true;
  return last_;
}

void CDataExchange::Fail() {
  failed_ = true;
  if (!m_bSaveAndValidate || !last_) return;
  ::SetFocus(last_);
  if (lastIsEdit_) ::SendMessageA(last_, EM_SETSEL, 0, -1);
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (dx->Failed() || control.m_hWnd) return;
  HWND hwnd = dx->PrepareCtrl(id);
  if (hwnd) control.SubclassWindow(hwnd);
}

namespace {
CString ControlText(HWND hwnd) {
  CString text;
  int n = ::GetWindowTextLengthA(hwnd);
  char* buf = text.GetBuffer(n + 1);
  text.ReleaseBuffer(::GetWindowTextA(hwnd, buf, n + 1));
  return text;
}

// Reads a whole number: blanks around it, an optional sign, then digits only.
bool ParseWhole(const CString& text, bool allowSign, long long& value) {
  CString t = text;
  t.Trim(" \t");
  const char* p = t;
  bool negative = false;
  if (allowSign && (*p == '-' || *p == '+')) negative = *p++ == '-';
  if (!*p) return false;
  long long v = 0;
  for (; *p; ++p) {
    if (*p < '0' || *p > '9') return false;
    v = v * 10 + (*p - '0');
    if (v > 0xFFFFFFFFLL) return false;
  }
  value = negative ? -v : v;
  return true;
}
}  // namespace

void DDX_Text(CDataExchange* dx, int id, CString& value) {
  if (dx->Failed()) return;
  HWND hwnd = dx->PrepareEditCtrl(id);
  if (!hwnd) return;
  if (dx->m_bSaveAndValidate) {
    value = ControlText(hwnd);
  } else {
    ::SetWindowTextA(hwnd, value);
  }
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
  if (dx->Failed()) return;
  HWND hwnd = dx->PrepareEditCtrl(id);
  if (!hwnd) return;
  if (!dx->m_bSaveAndValidate) {
    CString text;
    text.Format("%d", value);
    ::SetWindowTextA(hwnd, text);
    return;
  }
  long long v = 0;
  if (!ParseWhole(ControlText(hwnd), true, v) || v < INT_MIN || v > INT_MAX) {
    AfxMessageBox("Please enter an integer.");
    dx->Fail();
    return;
  }
  value = static_cast<int>(v);
}

void DDX_Text(CDataExchange* dx, int id, UINT& value) {
  if (dx->Failed()) return;
  HWND hwnd = dx->PrepareEditCtrl(id);
  if (!hwnd) return;
  if (!dx->m_bSaveAndValidate) {
    CString text;
    text.Format("%u", value);
    ::SetWindowTextA(hwnd, text);
    return;
  }
  long long v = 0;
  if (!ParseWhole(ControlText(hwnd), false, v)) {
    AfxMessageBox("Please enter a positive integer.");
    dx->Fail();
    return;
  }
  value = static_cast<UINT>(v);
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
  if (dx->Failed()) return;
  HWND hwnd = dx->PrepareCtrl(id);
  if (!hwnd) return;
  if (dx->m_bSaveAndValidate) {
    value = static_cast<int>(::SendMessageA(hwnd, BM_GETCHECK, 0, 0));
  } else {
    ::SendMessageA(hwnd, BM_SETCHECK, static_cast<WPARAM>(value), 0);
  }
}

void DDX_Radio(CDataExchange* dx, int id, int& value) {
  if (dx->Failed()) return;
  HWND first = dx->PrepareCtrl(id);
  if (!first) return;
  if (dx->m_bSaveAndValidate) value = -1;
  int index = 0;
  for (HWND h = first; h; h = ::GetWindow(h, GW_HWNDNEXT)) {
    if (h != first && (::GetWindowLongA(h, GWL_STYLE) & WS_GROUP)) break;
    if (!(::SendMessageA(h, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)) continue;
    if (dx->m_bSaveAndValidate) {
      if (::SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
    } else {
      ::SendMessageA(h, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    ++index;
  }
}
