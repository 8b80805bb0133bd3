// The custom controls one by one: the sortable list, the label and the icon button.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/fontunits.h"
#include "tests/support/test_support.h"
#include "tests/support/ui_support.h"
#include "tests/test_controls_kit.h"

using namespace testing_support;

namespace {

int Sign(int x) { return x < 0 ? -1 : (x > 0 ? 1 : 0); }

// A kit dialog, created modeless and shown, destroyed at the end of the test.
class ShownKit : public ::testing::Test {
protected:
  void SetUp() override { Open(); }
  void TearDown() override {
    if (dlg.m_hWnd) dlg.DestroyWindow();
  }
  void Open() {
    ASSERT_TRUE(dlg.Create(IDD_TEST_KIT));
    dlg.ShowWindow(SW_SHOW);
    dlg.SetForegroundWindow();
    dlg.UpdateWindow();
    PumpUiFor(100);
  }
  CRect LabelRect() {
    CRect r;
    dlg.label.GetClientRect(&r);
    return r;
  }
  KitDialog dlg;
};

}  // namespace

// ---- Sortable list ----

TEST(SortList, CompareTextsDecidesTheKindByTheFirstText) {
  struct Case {
    const char* a;
    const char* b;
    int ascending;  // sign of the result; descending gives the opposite
  } cases[] = {
      {"9", "10", -1},
      {"100", "100", 0},
      {"10", "abc", 1},                 // the other text read as a number: 0
      {"", "5", -1},                    // an empty first text is the number 0
      {"5", "", 1},
      {"01/02/2017", "31/01/2018", -1}, // year first
      {"01/02/2017", "31/01/2017", 1},  // then month
      {"30/01/2017", "31/01/2017", -1}, // then day
      {"31/01/2017", "31/01/2017", 0},
      {"01/02/2017", "01/02", 1},       // a shorter second text: its missing parts count 0
      {"01/02/2017", "", 1},
      {"2017/01/31", "2017/02/01", -1}, // ten characters but no date: text order
      {"abc", "abd", -1},
      {"a", "B", -1},                   // the locale's order, not the byte order
      {"Robot 2", "Robot 10", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sign(CSortListCtrl::CompareTexts(c.a, c.b, TRUE)), c.ascending) << c.a << " vs " << c.b;
    EXPECT_EQ(Sign(CSortListCtrl::CompareTexts(c.a, c.b, FALSE)), -c.ascending) << c.a << " vs " << c.b;
  }
}

TEST(SortList, HeadingsComeFromNameAndWidthPairs) {
  struct Case {
    const char* headings;
    std::vector<std::string> columns;  // "name width"
  } cases[] = {
      {"Enable,50;Name,100;Start Key,60;End Key,60", {"Enable 50", "Name 100", "Start Key 60", "End Key 60"}},
      {"Task Description,230;Next Run Time,150", {"Task Description 230", "Next Run Time 150"}},
      {"A,10;B", {"A 10"}},  // an entry without a comma ends the list
      {"A,10;", {"A 10"}},
      {"A,", {"A 0"}},       // a comma at the end: width 0
      {"A,x7;B,12px", {"A 0", "B 12"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    HWND hwnd = CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT, 0, 0, 400, 200, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    CSortListCtrl list;
    ASSERT_TRUE(list.SubclassWindow(hwnd));
    EXPECT_TRUE(list.SetHeadings(c.headings));
    std::vector<std::string> got;
    for (int i = 0; i < list.GetColumnCount(); ++i) {
      char name[64] = "";
      LVCOLUMNA col = {};
      col.mask = LVCF_TEXT | LVCF_WIDTH;
      col.pszText = name;
      col.cchTextMax = sizeof name;
      list.SendMessage(LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
      got.push_back(std::string(name) + " " + std::to_string(col.cx));
    }
    EXPECT_EQ(got, c.columns) << c.headings;
    list.DestroyWindow();
  }
}

TEST_F(ShownKit, RowsKeepTheirTextsUntilDeletedOnce) {
  int base = CSortListCtrl::LiveItemRecords();
  dlg.FillRows();
  EXPECT_EQ(CSortListCtrl::LiveItemRecords(), base + 3);
  EXPECT_EQ(dlg.list.AddItem("1", "too few"), -1) << "one text per column";
  EXPECT_EQ(dlg.list.GetItemCount(), 3);

  // A changed cell is sorted by its new text.
  EXPECT_TRUE(dlg.list.SetItemText(0, 1, "zulu"));
  dlg.list.Sort(1, TRUE);
  EXPECT_EQ(dlg.ColumnTexts(1), (std::vector<std::string>{"alpha", "Charlie", "zulu"}));

  EXPECT_TRUE(dlg.list.DeleteItem(0));
  EXPECT_EQ(CSortListCtrl::LiveItemRecords(), base + 2);
  EXPECT_TRUE(dlg.list.DeleteAllItems());
  EXPECT_EQ(CSortListCtrl::LiveItemRecords(), base);
  EXPECT_EQ(dlg.list.GetItemCount(), 0);

  dlg.FillRows();
  dlg.DestroyWindow();
  EXPECT_EQ(CSortListCtrl::LiveItemRecords(), base) << "closing the dialog frees the rows";

  // An object that goes before its window frees its rows too.
  HWND hwnd = CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT, 0, 0, 400, 200, nullptr, nullptr, nullptr,
                              nullptr);
  {
    CSortListCtrl list;
    list.SubclassWindow(hwnd);
    list.SetHeadings("A,10");
    list.AddItem("x");
    EXPECT_EQ(CSortListCtrl::LiveItemRecords(), base + 1);
  }
  EXPECT_EQ(CSortListCtrl::LiveItemRecords(), base);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(SortList, AListMadeThroughCreateSortsWithItsHeaderToo) {
  CSortListCtrl list;
  ASSERT_TRUE(list.CreateEx(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT, CRect(0, 0, 300, 200), nullptr, 0));
  ASSERT_TRUE(list.SetHeadings("Name,100"));
  EXPECT_EQ(list.GetHeaderCtrl().m_hWnd, list.GetHeaderHwnd());
  list.AddItem("b");
  list.AddItem("a");
  list.Sort(0, TRUE);
  EXPECT_EQ(list.GetItemText(0, 0), "a");
  EXPECT_EQ(list.GetHeaderCtrl().GetSortColumn(), 0);
  list.DestroyWindow();
}

TEST(SortList, SavedColumnWidthsApplyOnlyWhenTheyFit) {
  TempFolder dir("widths");
  AfxSetProfileFile(dir.File("Pindrel.ini").c_str());
  auto record = [](std::vector<int> values) {
    CArchive ar(CArchive::store);
    for (int v : values) ar << v;
    return ar.Bytes();
  };
  const std::vector<int> defaults = {50, 100, 60, 60};
  struct Case {
    const char* what;
    std::string bytes;
    bool raw;  // bytes is the value text itself
    std::vector<int> widths;
  } cases[] = {
      {"four widths", record({4, 70, 80, 90, 100}), false, {70, 80, 90, 100}},
      {"three columns", record({3, 70, 80, 90}), false, defaults},
      {"short record", record({4, 70, 80}), false, defaults},
      {"count only", record({4}), false, defaults},
      {"negative width", record({4, 70, -5, 90, 100}), false, defaults},
      {"empty", "", true, defaults},
      {"not hexadecimal", "04zz", true, defaults},
      {"missing", "", false, defaults},
  };
  for (const Case& c : cases) {
    WritePrivateProfileStringA("ListCtrls", nullptr, nullptr, dir.File("Pindrel.ini").c_str());
    if (c.raw) {
      AfxWriteProfileString("ListCtrls", "1001", c.bytes.c_str());
    } else if (!c.bytes.empty()) {
      AfxWriteProfileBinary("ListCtrls", "1001", c.bytes.data(), static_cast<UINT>(c.bytes.size()));
    }
    KitDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_TEST_KIT));
    std::vector<int> widths;
    for (int i = 0; i < 4; ++i) widths.push_back(dlg.list.GetColumnWidth(i));
    EXPECT_EQ(widths, c.widths) << c.what;
    dlg.DestroyWindow();
  }
  AfxSetProfileFile(nullptr);
}

TEST(SortList, TheHeaderStoresItsWidthsForLoadingBack) {
  KitDialog dlg;
  ASSERT_TRUE(dlg.Create(IDD_TEST_KIT));
  dlg.list.SetColumnWidth(2, 33);
  CArchive out(CArchive::store);
  dlg.list.GetHeaderCtrl().Serialize(out);
  EXPECT_EQ(out.Bytes(), std::string("\x04\0\0\0\x32\0\0\0\x64\0\0\0\x21\0\0\0\x3c\0\0\0", 20));
  dlg.DestroyWindow();
}

// ---- Label ----

TEST_F(ShownKit, AFreshLabelDrawsLucidaSans8OnTheFaceColour) {
  const LOGFONTA& lf = dlg.label.GetLabelFont();
  EXPECT_STREQ(lf.lfFaceName, "Lucida Sans");
  EXPECT_EQ(lf.lfHeight, -10) << "8 points at 96 dots per inch";
  EXPECT_EQ(dlg.label.GetTextColor(), GetSysColor(COLOR_WINDOWTEXT));
  CRect r = LabelRect();
  EXPECT_EQ(ClientPixel(dlg.label, r.right - 1, r.bottom - 1), GetSysColor(COLOR_BTNFACE));
  EXPECT_GT(CountPixels(dlg.label, r, GetSysColor(COLOR_BTNFACE)), 0);
  EXPECT_LT(CountPixels(dlg.label, r, GetSysColor(COLOR_BTNFACE)), r.Width() * r.Height()) << "some text";

  dlg.label.SetFontSize(10).SetFontBold(TRUE).SetFontName("Tahoma");
  EXPECT_EQ(dlg.label.GetLabelFont().lfHeight, -13);
  EXPECT_EQ(dlg.label.GetLabelFont().lfWeight, FW_BOLD);
  EXPECT_STREQ(dlg.label.GetLabelFont().lfFaceName, "Tahoma");
}

TEST_F(ShownKit, LabelBackgroundsSolidGradientAndTransparent) {
  dlg.label.SetText("");
  CRect r = LabelRect();
  dlg.label.SetBkColor(RGB(255, 0, 0));
  EXPECT_EQ(CountPixels(dlg.label, r, RGB(255, 0, 0)), r.Width() * r.Height());

  // Gradient from blue to red in vertical bands: at most 100, one per pixel column on a narrow label.
  for (int width : {r.Width(), 40}) {
    dlg.label.SetWindowPos(nullptr, 0, 0, width, r.Height(), SWP_NOMOVE | SWP_NOZORDER);
    dlg.label.SetBkColor(RGB(0, 0, 255), RGB(255, 0, 0), 1);
    int n = std::min(100, width), band = width / n;
    int step = 255 * 256 / n;
    for (int x : {0, width / 2, width - 1}) {
      int i = std::min(x / band, n - 1);
      int red = (i * step) >> 8, blue = ((255 << 8) - i * step) >> 8;
      EXPECT_EQ(ClientPixel(dlg.label, x, r.Height() / 2), RGB(red, 0, blue)) << "width " << width << " x " << x;
    }
  }

  // Transparent: the dialog's own background shows; switched off it is painted again.
  dlg.greenBackground = true;
  dlg.label.SetTransparent(TRUE);
  EXPECT_TRUE(dlg.label.GetExStyle() & WS_EX_TRANSPARENT);
  EXPECT_EQ(ClientPixel(dlg.label, 0, 2), RGB(0, 255, 0));
  dlg.label.SetTransparent(FALSE);
  EXPECT_TRUE(dlg.label.GetExStyle() & WS_EX_TRANSPARENT);
  EXPECT_EQ(ClientPixel(dlg.label, 0, 2), RGB(0, 0, 255)) << "the gradient again, its first band";
}

TEST_F(ShownKit, AFlashingLabelHidesItsTextEveryOtherTick) {
  CRect r = LabelRect();
  auto blueText = [&] {
    int n = 0;
    HDC dc = GetDC(dlg.label);
    for (int y = 0; y < r.bottom; ++y) {
      for (int x = 0; x < r.right; ++x) {
        COLORREF c = GetPixel(dc, x, y);
        if (GetBValue(c) > 150 && GetRValue(c) < 100 && GetGValue(c) < 100) ++n;
      }
    }
    ReleaseDC(dlg.label, dc);
    return n;
  };

  // Solid background: the text takes the background's colour in the dark phase.
  dlg.label.SetTextColor(RGB(0, 0, 255)).SetBkColor(RGB(255, 255, 0)).FlashText(TRUE);
  dlg.label.RedrawWindow();
  EXPECT_FALSE(dlg.label.GetFlashPhase());
  EXPECT_EQ(CountPixels(dlg.label, r, RGB(255, 255, 0)), r.Width() * r.Height());
  dlg.label.SendMessage(WM_TIMER, CLabel::kFlashTimer);
  EXPECT_GT(blueText(), 0);
  dlg.label.SendMessage(WM_TIMER, CLabel::kFlashTimer);
  EXPECT_EQ(blueText(), 0);

  // The real timer ticks every 500 ms.
  ASSERT_TRUE(PumpUiUntil([&] { return dlg.label.GetFlashPhase() == TRUE; }, 2000));
  dlg.label.FlashText(FALSE);
  dlg.label.UpdateWindow();
  EXPECT_GT(blueText(), 0) << "stopped: the text shows";
}

TEST_F(ShownKit, ALinkLabelNotifiesItsParentOnAClick) {
  dlg.label.SetLink(TRUE, TRUE);
  EXPECT_TRUE(dlg.label.GetStyle() & SS_NOTIFY);
  ClickAt(ScreenPointOf(dlg.label, 3, 3));
  ASSERT_TRUE(PumpUiUntil([&] { return dlg.linkClicks > 0; }));
  EXPECT_EQ(dlg.linkClicks, 1);
  EXPECT_EQ(dlg.lastLink.hwndFrom, dlg.label.m_hWnd);
  EXPECT_EQ(dlg.lastLink.idFrom, static_cast<UINT_PTR>(IDC_KIT_LABEL));
  EXPECT_EQ(dlg.lastLink.code, 0x8200u);
  dlg.label.SetLink(FALSE, TRUE);
  EXPECT_FALSE(dlg.label.GetStyle() & SS_NOTIFY);
}

namespace {
struct GradientPainter : CLabel {
  using CLabel::PaintGradient;
};
}  // namespace

TEST(Label, NoWidthNoBandsAndFontScalingEdges) {
  CDC dc;
  ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
  GradientPainter::PaintGradient(&dc, CRect(10, 0, 10, 20), RGB(0, 0, 0), RGB(255, 255, 255), 100);
  GradientPainter::PaintGradient(&dc, CRect(10, 0, 5, 20), RGB(0, 0, 0), RGB(255, 255, 255), 100);

  KitDialog dlg;
  ASSERT_TRUE(dlg.Create(IDD_TEST_KIT));
  int w = 0, h = 0;
  int packed = GetWindowFontUnits(&w, &h, &dlg);
  EXPECT_GT(w, 0);
  EXPECT_GT(h, 0);
  EXPECT_EQ(packed, (h << 16) | w);

  // 2, 3, 12 and 5 characters of the window's font, scaled to a font of 7 x 15 pixels.
  const CRect original(w * 2, h * 3, w * 12, h * 5);
  const CRect scaled(14, 45, 84, 75), moved(14, 45, 14 + w * 10, 45 + h * 2);
  struct Case {
    int mode;
    CRect expected;
  } cases[] = {{0, scaled}, {2, scaled}, {4, scaled}, {6, scaled}, {1, moved}, {5, moved}, {7, original}, {-1, original}};
  for (const Case& c : cases) {
    CRect r = original;
    ScaleRectToFont(&r, c.mode, 7, 15, &dlg);
    EXPECT_EQ(r, c.expected) << "mode " << c.mode;
  }
  dlg.DestroyWindow();
}

// ---- Icon button ----

namespace {
const COLORREF kTop = RGB(200, 100, 40), kBottom = RGB(40, 160, 240);
const COLORREF kTopDarker = RGB(150, 75, 30), kBottomDarker = RGB(30, 120, 180);
const COLORREF kTopGrey = RGB(123, 123, 123), kBottomGrey = RGB(133, 133, 133);
}  // namespace

TEST_F(ShownKit, TheIdleIconIsDarkerAndTheHoveredOneItself) {
  CRect r;
  dlg.button.GetClientRect(&r);
  int top = (r.Height() - 32) / 2;  // icon left of the caption, 3 pixels in, vertically centred
  auto iconPixels = [&] {
    dlg.button.UpdateWindow();
    return std::vector<COLORREF>{ClientPixel(dlg.button, 3 + 6, top + 6), ClientPixel(dlg.button, 3 + 6, top + 25),
                                 ClientPixel(dlg.button, 3 + 15, top + 15)};
  };
  struct Case {
    UINT idle;
    std::vector<COLORREF> resting, hovered;
  } cases[] = {
      {CButtonST::BTNST_AUTO_DARKER, {kTopDarker, kBottomDarker, 0}, {kTop, kBottom, 0}},
      {CButtonST::BTNST_AUTO_GRAY, {kTopGrey, kBottomGrey, 0}, {kTop, kBottom, 0}},
      {0, {kTop, kBottom, 0}, {kTop, kBottom, 0}},
  };
  for (const Case& c : cases) {
    MoveMouseTo(ScreenPointOf(dlg, 2, 2));
    PumpUiUntil([&] { return !dlg.button.IsMouseOver(); }, 2000);
    ASSERT_EQ(dlg.button.SetIcon(IDI_TEST, c.idle), CButtonST::BTNST_OK);
    EXPECT_EQ(iconPixels(), c.resting) << "idle " << static_cast<int>(c.idle);
    MoveMouseTo(ScreenPointOf(dlg.button, r.Width() / 2, r.Height() / 2));
    ASSERT_TRUE(PumpUiUntil([&] { return dlg.button.IsMouseOver(); }, 2000));
    EXPECT_EQ(iconPixels(), c.hovered) << "idle " << static_cast<int>(c.idle);
  }
  MoveMouseTo(ScreenPointOf(dlg, 2, 2));
  ASSERT_TRUE(PumpUiUntil([&] { return !dlg.button.IsMouseOver(); }, 2000)) << "hover ends on leaving";

  // A button that is not flat never hovers.
  dlg.button.SetFlat(FALSE);
  MoveMouseTo(ScreenPointOf(dlg.button, r.Width() / 2, r.Height() / 2));
  PumpUiFor(300);
  EXPECT_FALSE(dlg.button.IsMouseOver());
}

TEST(ButtonST, TransparentModeShowsTheParentsBackground) {
  KitDialog dlg;
  ASSERT_TRUE(dlg.Create(IDD_TEST_KIT));
  dlg.greenBackground = true;
  dlg.button.SetTransparent();
  dlg.ShowWindow(SW_SHOW);
  dlg.UpdateWindow();
  PumpUiFor(100);
  CRect r;
  dlg.button.GetClientRect(&r);
  EXPECT_EQ(ClientPixel(dlg.button, 1, 1), RGB(0, 255, 0));
  EXPECT_EQ(ClientPixel(dlg.button, r.right - 2, r.bottom - 2), RGB(0, 255, 0));
  dlg.DestroyWindow();
}

TEST_F(ShownKit, ButtonSettersRefuseBadValues) {
  EXPECT_EQ(dlg.button.SetAlign(4), CButtonST::BTNST_INVALIDALIGN);
  EXPECT_EQ(dlg.button.GetAlign(), CButtonST::ST_ALIGN_HORIZ);
  EXPECT_EQ(dlg.button.SetAlign(2), CButtonST::BTNST_OK);
  EXPECT_EQ(dlg.button.GetAlign(), CButtonST::ST_ALIGN_HORIZ_RIGHT);
  EXPECT_EQ(dlg.button.SetPressedStyle(2), CButtonST::BTNST_INVALIDPRESSEDSTYLE);
  EXPECT_EQ(dlg.button.SetPressedStyle(1), CButtonST::BTNST_OK);
  EXPECT_EQ(dlg.button.SetIcon(4242, CButtonST::BTNST_AUTO_DARKER), CButtonST::BTNST_INVALIDRESOURCE);

  dlg.button.SetTooltipText("Run the selected robot");
  dlg.button.SetTooltipText(nullptr);
  EXPECT_EQ(dlg.button.GetToolTip().GetToolCount(), 1);
  EXPECT_EQ(dlg.button.GetToolTip().GetText(&dlg.button, 1), "Run the selected robot");
}

TEST_F(ShownKit, ButtonsAreOwnerDrawnAndKeepTheirDefaultRole) {
  CButtonST ok;
  ASSERT_TRUE(ok.SubclassDlgItem(IDOK, &dlg));
  struct Case {
    CButtonST* button;
    bool isDefault;
    UINT code;
  } cases[] = {{&ok, true, DLGC_DEFPUSHBUTTON}, {&dlg.button, false, DLGC_UNDEFPUSHBUTTON}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.button->GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
    EXPECT_EQ(c.button->IsDefault(), c.isDefault ? TRUE : FALSE);
    EXPECT_EQ(c.button->SendMessage(WM_GETDLGCODE) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON), c.code);
  }
  // The dialog manager moves the default role with BM_SETSTYLE; the button stays owner-drawn.
  dlg.button.SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  EXPECT_TRUE(dlg.button.IsDefault());
  EXPECT_EQ(dlg.button.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
  ok.UnsubclassWindow();
}

TEST_F(ShownKit, ADoubleClickOnTheButtonIsTwoClicks) {
  CRect r;
  dlg.button.GetClientRect(&r);
  DoubleClickAt(ScreenPointOf(dlg.button, r.Width() / 2, r.Height() / 2));
  PumpUiUntil([&] { return dlg.buttonClicks >= 2; }, 3000);
  EXPECT_EQ(dlg.buttonClicks, 2);
  EXPECT_EQ(::GetFocus(), dlg.button.m_hWnd) << "a click takes the focus";
}

namespace {

// A check box made into an icon button: its own click handling toggles it before the parent's runs.
class CheckDialog : public CDialog {
public:
  CheckDialog() : CDialog(IDD_TEST_DDX) {}
  CButtonST check;
  std::vector<BOOL> seenByParent;

protected:
  void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_DDX_CHECK, check); }
  void OnCheck() { seenByParent.push_back(check.GetCheck()); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CheckDialog, CDialog)
  ON_BN_CLICKED(IDC_DDX_CHECK, &CheckDialog::OnCheck)
END_MESSAGE_MAP()

}  // namespace

TEST(ButtonST, TheParentsClickHandlerRunsAfterTheButtonsOwn) {
  CheckDialog dlg;
  ASSERT_TRUE(dlg.Create(IDD_TEST_DDX));
  EXPECT_TRUE(dlg.check.IsCheckBox());
  dlg.check.SendMessage(BM_CLICK);
  dlg.check.SendMessage(BM_CLICK);
  EXPECT_EQ(dlg.seenByParent, (std::vector<BOOL>{TRUE, FALSE}));
  EXPECT_EQ(dlg.check.SendMessage(BM_GETCHECK), BST_UNCHECKED);
  dlg.check.SendMessage(BM_SETCHECK, BST_INDETERMINATE);
  EXPECT_TRUE(dlg.check.GetCheck());
  dlg.DestroyWindow();
}
