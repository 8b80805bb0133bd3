// The yes/no box with "Do not show this again".
#include "controls/checkmsgbox.h"

#include "res/ids_editor.h"

CCheckMsgBox::CCheckMsgBox(CWnd* parent) : CDialog(IDD_CHECK_MSGBOX, parent) {}

BEGIN_MESSAGE_MAP(CCheckMsgBox, CDialog)
  ON_BN_CLICKED(IDYES, &CCheckMsgBox::OnYes)
  ON_BN_CLICKED(IDNO, &CCheckMsgBox::OnNo)
END_MESSAGE_MAP()

void CCheckMsgBox::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_CHECKMSG_TEXT, m_Text);
  DDX_Control(dx, IDC_CHECKMSG_DONTSHOW, m_Check);
}

BOOL CCheckMsgBox::OnInitDialog() {
  CDialog::OnInitDialog();
  m_Text.SetWindowText(m_Question);
  return TRUE;
}

void CCheckMsgBox::OnYes() {
  m_DontShow = m_Check.GetCheck() == BST_CHECKED ? 1 : 0;
  m_Answer = 1;
  EndDialog(IDOK);
}

void CCheckMsgBox::OnNo() {
  m_DontShow = m_Check.GetCheck() == BST_CHECKED ? 1 : 0;
  m_Answer = 0;
  EndDialog(IDNO);
}

// Escape and the close box are a No: closing the question is no consent.
void CCheckMsgBox::OnCancel() {
  m_Answer = 0;
  CDialog::OnCancel();
}
