// CHtmlReadOnlyView: an HTML view that, where the system has no browser engine (or the browser
// cannot show a page), shows local pages as read-only text, with a button that opens the page
// in the user's own browser; nothing is ever opened without that button.
#pragma once

#include <functional>
#include <vector>

#include "framework/htmlview.h"
#include "controls/textviewer.h"

// The readable text of an HTML page: tags dropped, line breaks and paragraphs kept, the values
// of text fields and the contents of text areas shown, head, style and script left out, the
// common character references decoded. Lines end with "\n".
CString HtmlToReadableText(const char* html);

// Opens a page in the user's browser; tests replace it so that nothing is launched.
using HtmlPageOpener = std::function<void(const char* path)>;
HtmlPageOpener SetHtmlPageOpener(HtmlPageOpener opener);

class CHtmlReadOnlyView : public CHtmlView {
public:
  CHtmlReadOnlyView() = default;
  // The window goes while the read-only children's objects are still here.
  ~CHtmlReadOnlyView() override;

  // Creates the window and the browser, or the read-only view without one.
  BOOL Create(const char* className, const char* title, DWORD style, const RECT& rect, CWnd* parent,
              UINT id) override;
  void Navigate2(const char* url, DWORD flags = 0, const char* targetFrame = nullptr, const char* headers = nullptr,
                 const void* postData = nullptr, DWORD postLength = 0) override;
  void GoBack() override;
  CString GetLocationURL() const override;

  // The text the read-only view shows, "" while the browser shows the page.
  CString GetReadOnlyText() const;
  HWND GetOpenButton() const { return openButton_; }

protected:
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void OnSize(UINT type, int cx, int cy);
  void OnDestroy();
  DECLARE_MESSAGE_MAP()

private:
  void ShowReadOnlyView();
  void ReadOnlyNavigate(const char* url, bool addToHistory);
  void LayoutReadOnlyView(int cx, int cy);

  // A note, the open button and the page text, in an edit field or, when it is too long for one
  // to take in quickly, in the long-text view (only one of them is shown).
  HWND note_ = nullptr, openButton_ = nullptr, text_ = nullptr;
  int fontHeight_ = 0;  // of the children's font: their sizes grow with it (another DPI)
  CTextViewer longText_;
  CString readOnlyText_;
  std::vector<CString> history_;
};
