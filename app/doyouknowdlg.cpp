// The tip of the day dialog.
#include "app/doyouknowdlg.h"

#include "res/resource.h"
#include "framework/stdiofile.h"
#include "robot/datafolder.h"
#include "robot/numbertext.h"

namespace {
constexpr UINT kTipWindowId = 1000;
}

BEGIN_MESSAGE_MAP(CDoYouKnowDlg, CDialog)
  ON_BN_CLICKED(IDC_NEXT_TIP, &CDoYouKnowDlg::OnNextTip)
END_MESSAGE_MAP()

CDoYouKnowDlg::CDoYouKnowDlg(CWnd* parent) : CDialog(IDD_TIP_OF_THE_DAY, parent) {}

BOOL CDoYouKnowDlg::LoadTips() { return LoadTipsFrom(GetProgramFolder() + "\\tips.txt"); }

BOOL CDoYouKnowDlg::LoadTipsFrom(const CString& path) {
  CStdioFile file;
  if (!file.Open(path, CStdioFile::modeRead | CStdioFile::typeText)) return FALSE;
  CString line;
  while (file.ReadString(line)) tips_.push_back(line);
  file.Close();
  return !tips_.empty();
}

CString CDoYouKnowDlg::TipText(const CString& tip) { return "Did you know...\n\n" + tip; }

BOOL CDoYouKnowDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  CreateTipWindow();
  current_ = tips_.empty() ? 0 : RandomInRange(0, static_cast<int>(tips_.size()) - 1);
  ShowTip();
  return TRUE;
}

void CDoYouKnowDlg::CreateTipWindow() {
  CRect place;
  if (CWnd* placeholder = GetDlgItem(IDC_TIP_PLACEHOLDER)) {
    placeholder->GetWindowRect(&place);
    ScreenToClient(&place);
  }
  if (!tipWindow_.Create(WS_CHILD | WS_VISIBLE, place, this, kTipWindowId)) MessageBox("Big Mistakes!");
  tipWindow_.SetTextFont(100, "MS Sans Serif");
  tipWindow_.SetLineSpacing(14);
}

void CDoYouKnowDlg::ShowTip() {
  if (current_ < static_cast<int>(tips_.size())) tipWindow_.SetText(TipText(tips_[current_]));
}

void CDoYouKnowDlg::OnNextTip() {
  if (tips_.empty()) return;
  current_ = (current_ + 1) % static_cast<int>(tips_.size());
  ShowTip();
}

void CDoYouKnowDlg::OnCancel() {
  m_ShowAgain = IsDlgButtonChecked(IDC_TIP_DONTSHOW) == BST_CHECKED ? 0 : 1;
  CDialog::OnCancel();
}
