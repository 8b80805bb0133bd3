// CHtmlCtrl: the placeholder swap, the checked navigation and the "app:" / "play:" link rules.
#include "controls/htmlctrl.h"

#include "framework/app.h"
#include "framework/msgbox.h"

namespace {

bool HasScheme(const char* url, const char* scheme) {
  CString text = url ? url : "";
  int length = static_cast<int>(strlen(scheme));
  return text.Left(length).CompareNoCase(scheme) == 0;
}

}  // namespace

BOOL(WINAPI* CHtmlCtrl::s_MessageBeep)(UINT) = ::MessageBeep;

BOOL CHtmlCtrl::CreateFromStatic(UINT id, CWnd* parent) {
  if (!parent || !parent->m_hWnd) return FALSE;
  HWND placeholder = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
  if (!placeholder) return FALSE;
  CRect rect;
  ::GetWindowRect(placeholder, &rect);
  parent->ScreenToClient(&rect);
  ::DestroyWindow(placeholder);
  m_NavigationAllowed = TRUE;
  return Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, rect, parent, id);
}

void CHtmlCtrl::NavigateChecked(const char* url, DWORD flags, const char* targetFrame, const char* headers,
                                const void* postData, DWORD postLength) {
  if (HasScheme(url, "play:")) {
    m_NavigationAllowed = FALSE;
    return;
  }
  if (m_NavigationAllowed) Navigate2(url, flags, targetFrame, headers, postData, postLength);
}

void CHtmlCtrl::OnAppCmd(const char* command) {
  CString text = command ? command : "";
  if (text == "Minimise") {
    if (CWnd* main = AfxGetMainWnd(); main && main->m_hWnd) main->ShowWindow(SW_MINIMIZE);
  } else if (text == "Beep") {
    s_MessageBeep(MB_ICONASTERISK);
  } else {
    ShowMessageBox(m_hWnd, text, "Unexpected Command", MB_OK | MB_ICONQUESTION);
  }
}

void CHtmlCtrl::OnBeforeNavigate2(const char* url, DWORD, const char*, const std::string&, const char*,
                                  BOOL* cancel) {
  m_NavigationAllowed = TRUE;
  if (HasScheme(url, "app:")) {
    OnAppCmd(CString(url).Mid(4));
    if (cancel) *cancel = TRUE;
  }
}

void CHtmlCtrl::OnNavigateComplete2(const char* url) {
  if (HasScheme(url, "play:")) GoBack();
  CHtmlReadOnlyView::OnNavigateComplete2(url);
}
