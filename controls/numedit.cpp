// The numeric edit and its spin button.
#include "controls/numedit.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {

// The whole text as one number: optional blanks, a decimal number (no "nan", "inf" or hex),
// optional blanks. FALSE for anything else.
BOOL ParseNumber(const char* text, double& value) {
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  const char* start = p;
  if (*p == '+' || *p == '-') ++p;
  if (!isdigit(static_cast<unsigned char>(*p)) && !(*p == '.' && isdigit(static_cast<unsigned char>(p[1])))) {
    return FALSE;
  }
  char* end = nullptr;
  value = strtod(start, &end);
  if (end == start) return FALSE;
  for (const char* q = start; q < end; ++q) {
    if (!strchr("0123456789.eE+-", *q)) return FALSE;  // hex floats
  }
  while (*end == ' ' || *end == '\t') ++end;
  return *end == '\0';
}

}  // namespace

BEGIN_MESSAGE_MAP(CNumEdit, CEdit)
  ON_WM_CHAR()
END_MESSAGE_MAP()

BOOL CNumEdit::ChangeAmount(int steps) {
  float value = GetValue() + m_Delta * static_cast<float>(steps);
  if (value < m_Min) value = m_Min;
  if (value > m_Max) value = m_Max;
  return SetValue(value);
}

int CNumEdit::IsValidText(const CString& text) {
  if (text == "+" || text == "-") return kOnlySign;
  double value = 0;
  int result = kValid;
  if (!ParseNumber(text, value)) {
    result = kNotANumber;
  } else if (value > m_Max || value < m_Min) {
    result = kOutOfRange;
  }
  if (m_Verbose && (result == kOutOfRange || result == kNotANumber)) {
    const char* message = result == kOutOfRange ? "Given value is out of range.\n" : "Characters must be a number.\n";
    MessageBox(message, nullptr, MB_OK | MB_ICONSTOP);
  }
  return result;
}

int CNumEdit::IsValid() { return IsValidText(GetWindowText()); }

BOOL CNumEdit::SetValue(float value) {
  if (value < m_Min || value > m_Max) return FALSE;
  CString format, text;
  GetFormatString(format, value);
  text.Format(format, static_cast<double>(value));
  SetWindowText(text);
  return TRUE;
}

float CNumEdit::GetValue() {
  if (IsValid() != kValid) return m_Min;
  double value = 0;
  ParseNumber(GetWindowText(), value);
  return static_cast<float>(value);
}

CString CNumEdit::GetFormatString(CString& out, float value) {
  CString text;
  text.Format("%G", static_cast<double>(value));
  int dot = text.Find('.');
  if (dot >= 0) {
    int places = text.GetLength() - dot - 1;
    if (places > m_DecimalPlaces) m_DecimalPlaces = places;
  }
  out.Format("%%.%df", m_DecimalPlaces);
  return out;
}

void CNumEdit::OnChar(UINT ch, UINT, UINT) {
  if (ch == ' ') return;
  float before = GetValue();
  Default();
  switch (IsValid()) {
    case kValid: {
      CString format;
      GetFormatString(format, GetValue());
      break;
    }
    case kOnlySign:
      break;
    default: {
      SetValue(before);
      SetSel(0, -1);
      // A held key or a fast burst must not go on changing the restored text.
      MSG msg;
      while (::PeekMessageA(&msg, m_hWnd, WM_CHAR, WM_CHAR, PM_REMOVE)) {
      }
      break;
    }
  }
}

// ---- CNumSpinCtrl ---------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CNumSpinCtrl, CSpinButtonCtrl)
  ON_NOTIFY_REFLECT(UDN_DELTAPOS, &CNumSpinCtrl::OnDeltaPos)
END_MESSAGE_MAP()

CNumEdit* CNumSpinCtrl::NumBuddy() const {
  HWND buddy = reinterpret_cast<HWND>(SendMessage(UDM_GETBUDDY));
  return dynamic_cast<CNumEdit*>(CWnd::FromHandlePermanent(buddy));
}

void CNumSpinCtrl::SetDelta(float delta) {
  if (CNumEdit* edit = NumBuddy()) edit->SetDelta(delta);
}

float CNumSpinCtrl::GetDelta() {
  CNumEdit* edit = NumBuddy();
  return edit ? edit->GetDelta() : 0.0f;
}

int CNumSpinCtrl::SetBuddy(CWnd* buddy) {
  LRESULT previous = SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy ? buddy->m_hWnd : nullptr));
  if (!buddy) return static_cast<int>(previous);
  CNumEdit* edit = NumBuddy();
  return edit ? edit->SetValue(0) : 0;
}

void CNumSpinCtrl::GetRange(float& min, float& max) {
  min = max = 0;
  if (CNumEdit* edit = NumBuddy()) edit->GetRange(min, max);
}

void CNumSpinCtrl::SetRange(float min, float max) {
  SetRange32(0, 1000);
  if (CNumEdit* edit = NumBuddy()) edit->SetRange(min, max);
}

float CNumSpinCtrl::GetPos() {
  CNumEdit* edit = NumBuddy();
  return edit ? edit->GetValue() : 0.0f;
}

void CNumSpinCtrl::SetPos(float value) {
  SetPos32(500);
  if (CNumEdit* edit = NumBuddy()) edit->SetValue(value);
}

// The value lives in the buddy; the control's own position stays near the middle so that it
// never stops at an end of its range.
void CNumSpinCtrl::OnDeltaPos(NMHDR* hdr, LRESULT* result) {
  auto* updown = reinterpret_cast<NMUPDOWN*>(hdr);
  if (updown->iDelta >= updown->iPos || updown->iPos >= 1000 - updown->iDelta) {
    updown->iPos = 500;
    SetPos32(500);
  }
  if (CNumEdit* edit = NumBuddy()) edit->ChangeAmount(updown->iDelta);
  *result = 0;
}
