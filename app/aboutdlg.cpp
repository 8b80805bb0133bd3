// The About box.
#include "app/aboutdlg.h"

#include <shellapi.h>

#include "res/resource.h"

const char kSupportMailAddress[] = "support@vantorel.example";
const char kSalesMailAddress[] = "sales@vantorel.example";
const char kWebSiteAddress[] = "https://vantorel.example/pindrel";

namespace {
const char kNoMailProgram[] = "We are unable to locate your default e-mail program.";
const char kNoBrowser[] = "We are unable to locate your default browser.";

INT_PTR OpenWithShell(const char* target) {
  return reinterpret_cast<INT_PTR>(::ShellExecuteA(::GetDesktopWindow(), "open", target, nullptr, nullptr, SW_SHOW));
}
}  // namespace

CQuorvexAboutDlg::ShellOpen CQuorvexAboutDlg::s_ShellOpen = &OpenWithShell;

BEGIN_MESSAGE_MAP(CQuorvexAboutDlg, CDialog)
  ON_WM_CTLCOLOR()
  ON_STN_CLICKED(IDC_ABOUT_SUPPORT_MAIL, &CQuorvexAboutDlg::OnSupportMail)
  ON_STN_CLICKED(IDC_ABOUT_SALES_MAIL, &CQuorvexAboutDlg::OnSalesMail)
  ON_STN_CLICKED(IDC_ABOUT_WEBSITE, &CQuorvexAboutDlg::OnWebSite)
END_MESSAGE_MAP()

CQuorvexAboutDlg::CQuorvexAboutDlg(CWnd* parent) : CDialog(IDD_ABOUTBOX, parent) {}

void CQuorvexAboutDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_ABOUT_PRODUCT, m_Product);
  DDX_Control(dx, IDC_ABOUT_WEBSITE, m_WebSite);
  DDX_Control(dx, IDC_ABOUT_SUPPORT_MAIL, m_SupportMail);
  DDX_Control(dx, IDC_ABOUT_SALES_MAIL, m_SalesMail);
}

BOOL CQuorvexAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_Brush.CreateSolidBrush(kBackground);
  m_Product.SetTransparent(TRUE).SetFontName("Tahoma", 0).SetFontSize(14).SetTextColor(RGB(0, 0, 0));
  HCURSOR hand = ::LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDC_LINK_CURSOR));
  for (CLabel* link : {&m_WebSite, &m_SupportMail, &m_SalesMail}) {
    // The click comes to this dialog instead of opening the label's text.
    link->SetTransparent(TRUE)
        .SetFontName("Tahoma", 0)
        .SetFontSize(10)
        .SetTextColor(kLinkColour)
        .SetFontUnderline(TRUE)
        .SetLink(TRUE, TRUE)
        .SetLinkCursor(hand);
  }
  return TRUE;
}

HBRUSH CQuorvexAboutDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
  if (ctlColor == CTLCOLOR_BTN || ctlColor == CTLCOLOR_STATIC) {
    dc->SetBkMode(TRANSPARENT);
    return m_Brush;
  }
  if (ctlColor == CTLCOLOR_DLG) return m_Brush;
  return CDialog::OnCtlColor(dc, wnd, ctlColor);
}

void CQuorvexAboutDlg::Open(const CString& target, const char* failure) {
  if (s_ShellOpen(target) <= 32) MessageBox(failure);
}

void CQuorvexAboutDlg::OnSupportMail() { Open(CString("mailto:") + kSupportMailAddress, kNoMailProgram); }

void CQuorvexAboutDlg::OnSalesMail() { Open(CString("mailto:") + kSalesMailAddress, kNoMailProgram); }

void CQuorvexAboutDlg::OnWebSite() { Open(kWebSiteAddress, kNoBrowser); }
