// CRobotRepeatOption: how often a robot runs: a number of times, or until its end hotkey.
#pragma once

#include "controls/numedit.h"
#include "framework/ui.h"

class CRobotRepeatOption : public CDialog {
public:
  explicit CRobotRepeatOption(CWnd* parent = nullptr);

  int m_Mode = 0;   // 0 the given number of times, 1 until the end hotkey
  int m_Count = 1;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

private:
  CNumEdit m_CountEdit;
  CNumSpinCtrl m_CountSpin;
};
