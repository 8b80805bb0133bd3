// CHtmlCtrl: an HTML view that stands in a dialog as an ordinary child control. It takes the
// place of a static placeholder, stays alive as a member of its dialog when its window goes,
// swallows commands and context menus, runs the page's "app:" links as commands of the program
// and never follows "play:" links.
#pragma once

#include "controls/htmlreadonly.h"

class CHtmlCtrl : public CHtmlReadOnlyView {
public:
  CHtmlCtrl() = default;

  // Replaces the parent's control `id` (a static placeholder) by the view, in the same
  // rectangle and with the same id. FALSE when there is no such control or creation fails.
  BOOL CreateFromStatic(UINT id, CWnd* parent);

  // Navigates unless the address is a "play:" link (which stops further checked navigation
  // until the browser begins another one).
  virtual void NavigateChecked(const char* url, DWORD flags = 0, const char* targetFrame = nullptr,
                               const char* headers = nullptr, const void* postData = nullptr, DWORD postLength = 0);
  // A command of an "app:" link: "Minimise", "Beep"; any other is shown to the user.
  virtual void OnAppCmd(const char* command);

  BOOL IsNavigationAllowed() const { return m_NavigationAllowed; }

  // The system sound of the "Beep" command; tests replace it.
  static BOOL(WINAPI* s_MessageBeep)(UINT type);

  void OnBeforeNavigate2(const char* url, DWORD flags, const char* targetFrame, const std::string& postData,
                         const char* headers, BOOL* cancel) override;
  void OnNavigateComplete2(const char* url) override;
  void OnDocumentComplete(const char*) override {}
  void OnNewWindow2(BOOL*) override {}
  HRESULT OnShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_OK; }

protected:
  // Commands that reach the control end here: it has no commands of its own.
  BOOL OnCommand(WPARAM, LPARAM) override { return TRUE; }
  // The object belongs to its dialog: nothing to free when the window goes.
  // The window's WM_DESTROY (in the view) disconnects the events and releases the browser.
  void PostNcDestroy() override {}

private:
  BOOL m_NavigationAllowed = FALSE;
};
