// The click pane of the robot editor.
#include "editor/inputmousedlg.h"

#include "res/resource.h"
#include "editor/inputrobotdlg.h"
#include "robot/numbertext.h"

namespace {
constexpr UINT_PTR kPointerTimer = 1;

// A whole number a move line can carry: an optional minus sign (screens left of or above the
// primary one) and digits, within 32 bits; blanks around it do not count.
bool IsWholeNumber(CString text) {
  text.Trim();
  int i = text.GetLength() > 0 && text[0] == '-' ? 1 : 0;
  if (i == text.GetLength() || text.GetLength() - i > 10) return false;
  long long value = 0;
  for (; i < text.GetLength(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return value <= 2147483647LL;
}
}  // namespace

BEGIN_MESSAGE_MAP(CInputMouseDlg, CDialog)
  ON_WM_TIMER()
  ON_WM_DESTROY()
  ON_BN_CLICKED(IDC_ADD_CLICK, &CInputMouseDlg::OnAddClick)
  ON_BN_CLICKED(IDC_WHEREVER_MOUSE, &CInputMouseDlg::OnClickWhereverMouseIs)
END_MESSAGE_MAP()

CInputMouseDlg::CInputMouseDlg(CWnd* owner) : CDialog(IDD_INPUT_MOUSE, owner) {}

void CInputMouseDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_POINT_X, m_EditX);
  DDX_Control(dx, IDC_POINT_Y, m_EditY);
  DDX_Control(dx, IDC_CLICK_COUNT, m_Count);
  DDX_Control(dx, IDC_CLICK_COUNT_SPIN, m_CountSpin);
  DDX_Control(dx, IDC_INTERVAL, m_Interval);
  DDX_Control(dx, IDC_INTERVAL_SPIN, m_IntervalSpin);
  DDX_Control(dx, IDC_CLICK_TYPE, m_ClickType);
  DDX_Control(dx, IDC_INTERVAL_UNIT, m_Unit);
  DDX_Text(dx, IDC_LIVE_X, m_LiveX);
  DDX_Text(dx, IDC_LIVE_Y, m_LiveY);
}

BOOL CInputMouseDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  InitControls();
  if (!m_Timer) m_Timer = SetTimer(kPointerTimer, 100);
  return TRUE;
}

void CInputMouseDlg::InitControls() {
  m_CountSpin.SetBuddy(&m_Count);
  m_CountSpin.SetRange(1, 999999);
  m_CountSpin.SetPos(1);
  m_CountSpin.SetDelta(1);
  m_ClickType.ResetContent();
  for (const char* kind : {"Click", "Right Click", "Double Click", "Click-Hold", "Release"}) m_ClickType.AddString(kind);
  m_ClickType.SetCurSel(0);
  m_EditX.SetWindowText("0");
  m_EditY.SetWindowText("0");
  m_IntervalSpin.SetBuddy(&m_Interval);
  m_IntervalSpin.SetRange(1, 9999);
  m_IntervalSpin.SetPos(2);
  m_IntervalSpin.SetDelta(1);
  m_Unit.ResetContent();
  for (const char* unit : {"milliseconds", "seconds", "minutes"}) m_Unit.AddString(unit);
  m_Unit.SetCurSel(1);
}

void CInputMouseDlg::OnTimer(UINT_PTR id) {
  if (id == kPointerTimer) {
    POINT p;
    if (::GetCursorPos(&p)) {
      m_LiveX = IntToString(p.x);
      m_LiveY = IntToString(p.y);
      SetDlgItemText(IDC_LIVE_X, m_LiveX);
      SetDlgItemText(IDC_LIVE_Y, m_LiveY);
    }
  }
  CWnd::OnTimer(id);
}

void CInputMouseDlg::OnDestroy() {
  if (m_Timer) KillTimer(m_Timer);
  m_Timer = 0;
  CWnd::OnDestroy();
}

void CInputMouseDlg::SetPointFromCursor() {
  if (!IsWindow()) return;
  m_EditX.SetWindowText(m_LiveX);
  m_EditY.SetWindowText(m_LiveY);
}

BOOL CInputMouseDlg::IsPointField(HWND hwnd) const {
  return hwnd && (hwnd == m_EditX.m_hWnd || hwnd == m_EditY.m_hWnd);
}

BOOL CInputMouseDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN) {
    if (!IsPointField(msg->hwnd)) SetPointFromCursor();
    // Enter and Escape in the pane do nothing; everything else goes to the editor's dialog
    // manager, which tabs across the pane and the editor's own fields.
    if (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE) return TRUE;
  }
  return FALSE;
}

void CInputMouseDlg::OnClickWhereverMouseIs() {
  int show = IsDlgButtonChecked(IDC_WHEREVER_MOUSE) ? SW_HIDE : SW_SHOW;
  m_EditX.ShowWindow(show);
  m_EditY.ShowWindow(show);
  GetDlgItem(IDC_POINT_HINT)->ShowWindow(show);
}

void CInputMouseDlg::GetClickLines(CStringArray& lines) {
  lines.RemoveAll();
  if (!IsDlgButtonChecked(IDC_WHEREVER_MOUSE)) {
    lines.Add("Mouse move to " + m_EditX.GetWindowText() + ", " + m_EditY.GetWindowText());
  }
  CString kind;
  int selected = m_ClickType.GetCurSel();
  if (selected >= 0) kind = m_ClickType.GetLBText(selected);
  if (kind == "Click") {
    kind = "Left Click";
  } else if (kind == "Click-Hold") {
    kind = "Left Down";
  } else if (kind == "Release") {
    kind = "Left Up";
  }
  CString click = "Mouse " + kind;
  CString count = IntToString(static_cast<int>(m_CountSpin.GetPos()));
  if (count != "1") click += ", " + count + " times";
  lines.Add(click);
  CString unit;
  selected = m_Unit.GetCurSel();
  if (selected >= 0) unit = m_Unit.GetLBText(selected);
  lines.Add("Wait " + IntToString(static_cast<int>(m_IntervalSpin.GetPos())) + " " + unit);
}

void CInputMouseDlg::OnAddClick() {
  // A move line without a number in it would be saved and stop the robot when it plays.
  if (!IsDlgButtonChecked(IDC_WHEREVER_MOUSE)) {
    for (CEdit* field : {&m_EditX, &m_EditY}) {
      if (IsWholeNumber(field->GetWindowText())) continue;
      MessageBox(field == &m_EditX ? "Click point X is not a whole number. Please enter X of the click point."
                                   : "Click point Y is not a whole number. Please enter Y of the click point.",
                 nullptr, MB_OK);
      field->SetFocus();
      return;
    }
  }
  CStringArray lines;
  GetClickLines(lines);
  if (!m_pOwner) return;
  for (int i = 0; i < lines.GetSize(); ++i) m_pOwner->AddAction(lines[i]);
  m_pOwner->FocusActionList();
}
