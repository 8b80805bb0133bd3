// The repeat options dialog.
#include "editor/robotrepeatoption.h"

#include "res/resource.h"
#include "robot/numbertext.h"

CRobotRepeatOption::CRobotRepeatOption(CWnd* parent) : CDialog(IDD_REPEAT_OPTION, parent) {}

void CRobotRepeatOption::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_REPEAT_COUNT, m_CountEdit);
  DDX_Control(dx, IDC_REPEAT_SPIN, m_CountSpin);
  DDX_Radio(dx, IDC_REPEAT_TIMES_RADIO, m_Mode);
}

BOOL CRobotRepeatOption::OnInitDialog() {
  CDialog::OnInitDialog();
  m_CountSpin.SetBuddy(&m_CountEdit);
  m_CountSpin.SetRange(1, 999999);
  m_CountSpin.SetPos(1);
  m_CountSpin.SetDelta(1);
  return TRUE;
}

void CRobotRepeatOption::OnOK() {
  const bool times = IsDlgButtonChecked(IDC_REPEAT_TIMES_RADIO) == BST_CHECKED;
  if (times) {
    // A count outside the spin's range would be saved, and a robot run 0 times does nothing on
    // its hotkey: the field says what is wrong, as it does for typed text.
    m_CountEdit.SetVerbose(TRUE);
    const int validity = m_CountEdit.IsValid();
    m_CountEdit.SetVerbose(FALSE);
    if (validity == CNumEdit::kOnlySign) MessageBox("Characters must be a number.\n", nullptr, MB_OK | MB_ICONSTOP);
    if (validity != CNumEdit::kValid) {
      GotoDlgCtrl(&m_CountEdit);
      return;
    }
  }
  m_Count = StringToInt(m_CountEdit.GetWindowText());
  if (!times && (m_Count < 1 || m_Count > 999999)) m_Count = 1;  // not used until the end key stops it
  CDialog::OnOK();
}
