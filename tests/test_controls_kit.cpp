// The control tests' dialog, and tests of the four controls working together in it.
#include "tests/test_controls_kit.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "tests/support/ui_support.h"

using namespace testing_support;

BEGIN_MESSAGE_MAP(KitDialog, CDialog)
  ON_BN_CLICKED(IDC_KIT_BUTTON, &KitDialog::OnButton)
  ON_NOTIFY(LVN_COLUMNCLICK, IDC_KIT_LIST, &KitDialog::OnColumnClick)
  ON_NOTIFY(CLabel::kLinkClicked, IDC_KIT_LABEL, &KitDialog::OnLink)
  ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

void KitDialog::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_KIT_LIST, list);
  DDX_Control(dx, IDC_KIT_LABEL, label);
  DDX_Control(dx, IDC_KIT_BUTTON, button);
}

BOOL KitDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  list.SetHeadings("Enable,50;Name,100;Start Key,60;End Key,60");
  list.LoadColumnInfo();
  page = std::make_unique<CChildDialog>(IDD_TEST_PAGE, this);
  if (page->Create(IDD_TEST_PAGE, this)) {
    CRect frame;
    GetDlgItem(IDC_KIT_PAGE_FRAME)->GetWindowRect(&frame);
    ScreenToClient(&frame);
    page->SetWindowPos(nullptr, frame.left, frame.top, frame.Width(), frame.Height(), SWP_NOZORDER | SWP_SHOWWINDOW);
  }
  return TRUE;
}

HBRUSH KitDialog::OnCtlColor(CDC* dc, CWnd* wnd, UINT type) {
  if (greenBackground && type == CTLCOLOR_DLG) return green;
  return CDialog::OnCtlColor(dc, wnd, type);
}

void KitDialog::FillRows() {
  list.AddItem("10", "Bravo", "31/01/2018", "<F2>");
  list.AddItem("9", "alpha", "01/02/2017", "Ctrl + K");
  list.AddItem("100", "Charlie", "31/01/2017", "None");
}

std::vector<std::string> KitDialog::ColumnTexts(int column) {
  std::vector<std::string> texts;
  for (int i = 0; i < list.GetItemCount(); ++i) texts.push_back(list.GetItemText(i, column).str());
  return texts;
}

namespace {

POINT HeaderItemCentre(CSortListCtrl& list, int column) {
  CRect r;
  list.GetHeaderCtrl().GetItemRect(column, &r);
  return ScreenPointOf(list.GetHeaderCtrl(), r.CenterPoint().x, r.CenterPoint().y);
}

void ShowAndSettle(CWnd& wnd) {
  wnd.ShowWindow(SW_SHOW);
  wnd.SetForegroundWindow();
  wnd.UpdateWindow();
  PumpUiFor(150);
}

}  // namespace

TEST(SortList, HeaderClicksSortAscendingDescendingAscending) {
  KitDialog dlg;
  ASSERT_TRUE(dlg.Create(IDD_TEST_KIT));
  dlg.FillRows();
  ShowAndSettle(dlg);

  struct Step {
    int column;
    std::vector<std::string> names;  // the Name column afterwards
    BOOL ascending;
  } steps[] = {
      {0, {"alpha", "Bravo", "Charlie"}, TRUE},   // 9, 10, 100: numbers as numbers
      {0, {"Charlie", "Bravo", "alpha"}, FALSE},  // the same column again: descending
      {0, {"alpha", "Bravo", "Charlie"}, TRUE},   // and ascending again
      {2, {"Charlie", "alpha", "Bravo"}, TRUE},   // dates by year, month, day
      {1, {"alpha", "Bravo", "Charlie"}, TRUE},   // text, locale order
      {1, {"Charlie", "Bravo", "alpha"}, FALSE},
  };
  for (const Step& s : steps) {
    PumpUiFor(static_cast<int>(GetDoubleClickTime()) + 100);  // two clicks, not a double click
    ClickAt(HeaderItemCentre(dlg.list, s.column));
    ASSERT_TRUE(PumpUiUntil([&] { return dlg.list.GetSortColumn() == s.column && dlg.list.IsSortAscending() == s.ascending; }, 3000))
        << "column " << s.column;
    EXPECT_EQ(dlg.ColumnTexts(1), s.names) << "column " << s.column;
  }
  EXPECT_EQ(dlg.columnClicks, 0) << "the list took LVN_COLUMNCLICK itself";
  dlg.DestroyWindow();
}

TEST(SortList, TheSortedColumnShowsItsArrow) {
  KitDialog dlg;
  ASSERT_TRUE(dlg.Create(IDD_TEST_KIT));
  dlg.FillRows();
  ShowAndSettle(dlg);
  CSortHeaderCtrl& header = dlg.list.GetHeaderCtrl();
  COLORREF highlight = GetSysColor(COLOR_3DHILIGHT), shadow = GetSysColor(COLOR_3DSHADOW);

  for (BOOL ascending : {TRUE, FALSE}) {
    dlg.list.Sort(0, ascending);
    header.UpdateWindow();
    PumpUiFor(100);
    HDITEMA item = {};
    item.mask = HDI_FORMAT;
    header.GetItem(0, &item);
    EXPECT_TRUE(item.fmt & HDF_OWNERDRAW);
    CRect r;
    header.GetItemRect(0, &r);
    int m = r.Height() / 4, R = r.right, B = r.bottom;
    if (ascending) {
      EXPECT_EQ(ClientPixel(header, R - 2 * m, m), highlight) << "tip of the up arrow";
      EXPECT_EQ(ClientPixel(header, R - 3 * m - 1, B - m - 1), shadow) << "left end of its base";
    } else {
      EXPECT_EQ(ClientPixel(header, R - m - 1, m), highlight) << "right end of the down arrow's base";
      EXPECT_EQ(ClientPixel(header, R - 3 * m - 1, m), shadow) << "left end of its base";
    }
    EXPECT_EQ(ClientPixel(header, R - 2 * m, B - 2), GetSysColor(COLOR_3DFACE)) << "below the arrow";
  }
  dlg.DestroyWindow();
}

TEST(ChildDialog, APageSurvivesEnterAndEscapeInsideAModalDialog) {
  KitDialog dlg;
  std::vector<std::string> events;
  RunLater(400, [&] {
    HWND edit = ::GetDlgItem(*dlg.page, IDC_PAGE_EDIT);
    dlg.SetForegroundWindow();
    ::SetFocus(edit);
    PressKey(VK_RETURN);
    PressKey(VK_ESCAPE);
    PumpUiFor(200);
    events.push_back(std::string("page ") + (dlg.page->IsWindowVisible() ? "shown" : "gone"));
    events.push_back(std::string("dialog ") + (dlg.IsWindowVisible() ? "open" : "closed"));
    events.push_back(std::string("focus ") + (::GetFocus() == edit ? "in the page" : "elsewhere"));
    dlg.EndDialog(77);
  });
  EXPECT_EQ(dlg.DoModal(), 77);
  EXPECT_EQ(events, (std::vector<std::string>{"page shown", "dialog open", "focus in the page"}));
}

TEST(ControlKit, DestroyingTheDialogGivesBackEveryGdiObject) {
  GdiLiveCounts start = AfxGetGdiLiveCounts();
  int records = CSortListCtrl::LiveItemRecords();
  {
    KitDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST_KIT));
    dlg.FillRows();
    dlg.label.SetFontBold(TRUE).SetTextColor(RGB(0, 0, 128)).SetBkColor(RGB(255, 255, 255), RGB(0, 0, 255), 1);
    dlg.label.SetFontSize(12).SetFontItalic(TRUE).SetText3D(TRUE, 1).FlashText(TRUE);
    dlg.button.SetIcon(IDI_TEST, CButtonST::BTNST_AUTO_DARKER);
    dlg.button.SetTooltipText("Run the selected robot");
    dlg.button.SetTransparent(TRUE);
    ShowAndSettle(dlg);
    dlg.list.Sort(1, TRUE);
    MoveMouseTo(ScreenPointOf(dlg.button, 10, 10));
    PumpUiUntil([&] { return dlg.button.IsMouseOver(); }, 2000);
    dlg.label.SendMessage(WM_TIMER, CLabel::kFlashTimer);
    dlg.button.SetIcon(IDI_TEST, CButtonST::BTNST_AUTO_GRAY);
    dlg.label.SetBkColor(RGB(255, 0, 0));
    dlg.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    MoveMouseTo(ScreenPointOf(dlg, 5, 5));
    PumpUiFor(200);
    EXPECT_GT(AfxGetGdiLiveCounts().objects, start.objects);
    dlg.DestroyWindow();
  }
  EXPECT_EQ(AfxGetGdiLiveCounts(), start);
  EXPECT_EQ(CSortListCtrl::LiveItemRecords(), records);
}

TEST(ControlKit, ScreenshotOfTheDialog) {
  KitDialog dlg;
  ASSERT_TRUE(dlg.Create(IDD_TEST_KIT));
  dlg.FillRows();
  dlg.list.AddItem("7", "Delta", "15/06/2016", "Ctrl + Shift + 9");
  dlg.label.SetFontBold(TRUE).SetFontSize(11).SetTextColor(RGB(0, 0, 160));
  dlg.button.SetIcon(IDI_TEST, CButtonST::BTNST_AUTO_DARKER);
  dlg.button.SetTooltipText("Run the selected robot");
  dlg.page->SetDlgItemText(IDC_PAGE_EDIT, "Every 2 days");
  ShowAndSettle(dlg);
  dlg.list.Sort(1, TRUE);
  dlg.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpUiFor(200);
  std::string path = ArtifactFolder() + "\\control_kit.bmp";
  ASSERT_TRUE(SaveWindowBitmap(dlg, path));
  EXPECT_GT(ReadFileBytes(path).size(), 10000u);
  dlg.DestroyWindow();
}
