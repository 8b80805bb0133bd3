// The control tests' dialog: a sortable list, a label, an icon button and a child page.
#pragma once

#include <memory>

#include "controls/buttonst.h"
#include "controls/childdialog.h"
#include "controls/label.h"
#include "controls/sortlist.h"
#include "framework/ui.h"
#include "tests/res/test_ids.h"

class KitDialog : public CDialog {
public:
  KitDialog() : CDialog(IDD_TEST_KIT) {}

  CSortListCtrl list;
  CLabel label;
  CButtonST button;
  std::unique_ptr<CChildDialog> page;

  // What reached the dialog's own handlers.
  int buttonClicks = 0;
  int columnClicks = 0;
  int linkClicks = 0;
  NMHDR lastLink = {};
  // A green dialog background, to see through transparent controls.
  bool greenBackground = false;
  CBrush green{RGB(0, 255, 0)};

  // Fills the list with rows of (number, name, date, key).
  void FillRows();
  // The texts of one column, top row first.
  std::vector<std::string> ColumnTexts(int column);

protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnButton() { ++buttonClicks; }
  void OnColumnClick(NMHDR*, LRESULT*) { ++columnClicks; }
  void OnLink(NMHDR* hdr, LRESULT*) {
    ++linkClicks;
    lastLink = *hdr;
  }
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT type);
  DECLARE_MESSAGE_MAP()
};
