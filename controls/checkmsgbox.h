// CCheckMsgBox: a yes/no question with a "Do not show this again" check box; the caller stores
// the choice.
#pragma once

#include "framework/ui.h"

class CCheckMsgBox : public CDialog {
public:
  explicit CCheckMsgBox(CWnd* parent = nullptr);

  CString m_Question;
  int m_DontShow = 0;  // the check box: 1 ticked
  int m_Answer = 0;    // 1 Yes; 0 No, Escape or the close box

protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnCancel() override;
  void OnYes();
  void OnNo();
  DECLARE_MESSAGE_MAP()

private:
  CStatic m_Text;
  CButton m_Check;
};
