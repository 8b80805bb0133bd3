// CHtmlView: a child window that hosts the system's web-browser object through OLE and turns
// its events into virtual calls. Where the system has no browser engine (or the browser cannot
// show a page) it shows local pages as read-only text instead, with a button that opens the
// page in the user's own browser; nothing is ever opened without that button.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/msgmap.h"
#include "framework/textviewer.h"
#include "framework/window.h"

struct IWebBrowser2;
struct IOleObject;
struct IConnectionPoint;
struct IUnknown;
struct IDispatch;
class CHtmlBrowserSite;

// The readable text of an HTML page: tags dropped, line breaks and paragraphs kept, the values
// of text fields and the contents of text areas shown, head, style and script left out, the
// common character references decoded. Lines end with "\n".
CString HtmlToReadableText(const char* html);

// Opens a page in the user's browser; tests replace it so that nothing is launched.
using HtmlPageOpener = std::function<void(const char* path)>;
HtmlPageOpener SetHtmlPageOpener(HtmlPageOpener opener);

class CHtmlView : public CWnd {
public:
  CHtmlView() = default;
  ~CHtmlView() override;

  // Whether the system can create a browser engine for this thread (OLE must be initialised).
  static bool BrowserEngineAvailable();
  // Browser sites alive in this process (each holds a reference on its view's browser).
  static int LiveSites();

  // Creates the window, then the browser object in it when an engine exists; without one the
  // read-only page view. `context` is unused (there are no documents here).
  BOOL Create(const char* className, const char* title, DWORD style, const RECT& rect, CWnd* parent,
              UINT id) override;

  // Navigates to an address or a local file path. Post data and headers go to the browser as
  // they are.
  virtual void Navigate2(const char* url, DWORD flags = 0, const char* targetFrame = nullptr,
                         const char* headers = nullptr, const void* postData = nullptr, DWORD postLength = 0);
  virtual void GoBack();
  CString GetLocationURL() const;

  BOOL HasBrowser() const { return m_pBrowserApp != nullptr; }
  // The text the read-only view shows, "" while the browser shows the page.
  CString GetReadOnlyText() const;
  HWND GetOpenButton() const { return openButton_; }

  // ---- browser events (the browser calls them while it navigates) ----------------------------
  virtual void OnBeforeNavigate2(const char* url, DWORD flags, const char* targetFrame,
                                 const std::string& postData, const char* headers, BOOL* cancel);
  virtual void OnNavigateComplete2(const char* url);
  virtual void OnDocumentComplete(const char*) {}
  // A page asks for a new window; leaving *cancel alone keeps the browser's default.
  virtual void OnNewWindow2(BOOL*) {}
  // S_OK: the host handled it, the browser shows no menu; S_FALSE: the browser's own menu.
  virtual HRESULT OnShowContextMenu(DWORD id, POINT* point, IUnknown* target, IDispatch* object);

protected:
  // Disconnects the event sink and releases the browser; safe to call more than once.
  void DestroyBrowser();

  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void OnSize(UINT type, int cx, int cy);
  void OnDestroy();
  DECLARE_MESSAGE_MAP()

  IWebBrowser2* m_pBrowserApp = nullptr;

private:
  bool CreateBrowser();
  void ShowReadOnlyView();
  void ReadOnlyNavigate(const char* url, bool addToHistory);
  void LayoutReadOnlyView(int cx, int cy);

  IOleObject* oleObject_ = nullptr;
  IConnectionPoint* connection_ = nullptr;
  DWORD cookie_ = 0;
  CHtmlBrowserSite* site_ = nullptr;
  bool oleInitialised_ = false;

  // The read-only view: a note, the open button and the page text, in an edit field or, when it
  // is too long for one to take in quickly, in the long-text view (only one of them is shown).
  HWND note_ = nullptr, openButton_ = nullptr, text_ = nullptr;
  CTextViewer longText_;
  CString readOnlyText_;
  std::vector<CString> history_;
};
