// CQuorvexAboutDlg: the About box with the product name, the version and the maker's addresses
// as links.
#pragma once

#include "controls/label.h"
#include "framework/ui.h"

// The maker's addresses the About box shows and opens.
extern const char kSupportMailAddress[];
extern const char kSalesMailAddress[];
extern const char kWebSiteAddress[];

class CQuorvexAboutDlg : public CDialog {
public:
  // The background of the dialog, its buttons and its statics.
  static constexpr COLORREF kBackground = RGB(181, 211, 211);
  // The colour of the three links.
  static constexpr COLORREF kLinkColour = 0xFF0005;

  explicit CQuorvexAboutDlg(CWnd* parent = nullptr);

  // Opens a target with the shell ("open"); above 32 when it succeeded. Tests replace it.
  using ShellOpen = INT_PTR (*)(const char* target);
  static ShellOpen s_ShellOpen;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
  void OnSupportMail();
  void OnSalesMail();
  void OnWebSite();
  DECLARE_MESSAGE_MAP()

private:
  // Opens the target with the shell; the message when nothing could open it.
  void Open(const CString& target, const char* failure);

  CBrush m_Brush;
  CLabel m_Product, m_WebSite, m_SupportMail, m_SalesMail;
};
