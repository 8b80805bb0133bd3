// CDoYouKnowDlg: the tip of the day, one line of "tips.txt" beside the program at a time, with
// "Next Tip" and "Do not show this again".
#pragma once

#include <vector>

#include "controls/textdispctrl.h"
#include "framework/ui.h"

class CDoYouKnowDlg : public CDialog {
public:
  explicit CDoYouKnowDlg(CWnd* parent = nullptr);

  // Reads every line of <program folder>\tips.txt; TRUE when at least one was read.
  BOOL LoadTips();
  // Reads the tips of another file (the same rule).
  BOOL LoadTipsFrom(const CString& path);

  // 1 when the tips stay on, 0 when "Do not show this again" was ticked at closing.
  int m_ShowAgain = 1;

  const std::vector<CString>& GetTips() const { return tips_; }
  int GetCurrentTip() const { return current_; }
  CTextDispCtrl& GetTipWindow() { return tipWindow_; }
  // The text the tip window shows for a tip.
  static CString TipText(const CString& tip);

protected:
  BOOL OnInitDialog() override;
  void OnCancel() override;
  void OnNextTip();
  DECLARE_MESSAGE_MAP()

private:
  void CreateTipWindow();
  void ShowTip();

  std::vector<CString> tips_;
  int current_ = 0;
  CTextDispCtrl tipWindow_;
};
