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
  m_Count = StringToInt(m_CountEdit.GetWindowText());
  CDialog::OnOK();
}
