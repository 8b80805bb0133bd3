// CRobotUploadDlg: the sharing page of one robot. It writes a filled-in form (name, description,
// the whole robot file, screen size, Windows and program versions) into the data folder's
// "share" folder and shows it in an HTML view; only the form's own button, pressed in a real
// browser engine, sends anything.
#pragma once

#include "controls/htmlctrl.h"
#include "framework/button.h"
#include "framework/ui.h"

// The values the sharing page shows; each is escaped for HTML when the page is made.
struct SharePageFields {
  CString name, description, script;
  int screenWidth = 0, screenHeight = 0;
  CString osVersion, programVersion;
};

// The text of the sharing page.
CString MakeSharePage(const SharePageFields& fields);
// The text with &, <, > and " written as character references.
CString HtmlEscape(const char* text);
// <data folder>\share
CString GetShareFolder();
// The name of a Windows version as the sharing page shows it ("" for NT versions after 5.1).
CString OSVersionName(DWORD platform, DWORD major, DWORD minor);
// The name of the running Windows version ("" when the system does not say).
void GetOSVersionName(CString& name);

class CRobotUploadDlg : public CDialog {
public:
  explicit CRobotUploadDlg(CWnd* parent = nullptr);
  ~CRobotUploadDlg() override;

  BOOL ShowSharePage();
  // Writes the page of the robot file into the share folder; FALSE without a robot file or
  // when the page cannot be written.
  BOOL BuildSharePage(const char* fileName);
  BOOL WriteSharePage(const char* fileName, const CString& text);
  BOOL NavigateToSharePage(const char* fileName);

  CHtmlCtrl& GetHtmlView() { return m_HtmlView; }

  // The robot file: <robot folder>\<name>.txt, set before DoModal.
  CString m_RobotPath;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnSize(UINT type, int cx, int cy);
  LRESULT OnWindowPosChanging(WPARAM, LPARAM windowPos);
  DECLARE_MESSAGE_MAP()

private:
  void PlaceControls();

  CButton m_btnClose;
  CHtmlCtrl m_HtmlView;
};
