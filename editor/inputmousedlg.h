// CInputMouseDlg: the editor's click pane. The user points at the screen (the pane follows the
// pointer; any key press while the editor is active takes its position), picks a click kind and
// a wait, and adds them to the robot as display lines.
#pragma once

#include "controls/numedit.h"
#include "framework/collections.h"
#include "framework/ui.h"

class CInputRobotDlg;

class CInputMouseDlg : public CDialog {
public:
  explicit CInputMouseDlg(CWnd* owner = nullptr);

  void InitControls();
  // The X and Y edits take the live pointer position shown by the pane.
  void SetPointFromCursor();
  // TRUE for the X and Y edits: keys typed there edit the point instead of taking the pointer's.
  BOOL IsPointField(HWND hwnd) const;
  // The display lines "Add Click" gives for the pane's current settings.
  void GetClickLines(CStringArray& lines);

  BOOL PreTranslateMessage(MSG* msg) override;

  CInputRobotDlg* m_pOwner = nullptr;
  CString m_LiveX, m_LiveY;

  // Controls, reachable for tests.
  CEdit m_EditX, m_EditY;
  CNumEdit m_Count, m_Interval;
  CNumSpinCtrl m_CountSpin, m_IntervalSpin;
  CComboBox m_ClickType, m_Unit;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  // Enter and Escape inside the pane neither close it nor the editor.
  void OnOK() override {}
  void OnCancel() override {}
  void OnTimer(UINT_PTR id);
  void OnDestroy();
  void OnAddClick();
  void OnClickWhereverMouseIs();
  DECLARE_MESSAGE_MAP()

private:
  UINT_PTR m_Timer = 0;
};
