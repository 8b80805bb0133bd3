// CHtmlView: a child window that hosts the system's web-browser object through OLE and turns
// its events into virtual calls. Where the system has no browser engine (or the browser cannot
// show a page) it stays empty: a derived view shows pages its own way then.
#pragma once

#include <windows.h>

#include <string>

#include "framework/msgmap.h"
#include "framework/window.h"

struct IWebBrowser2;
struct IOleObject;
struct IConnectionPoint;
struct IUnknown;
struct IDispatch;
class CHtmlBrowserSite;

class CHtmlView : public CWnd {
public:
  CHtmlView() = default;
  ~CHtmlView() override;

  // Whether the system can create a browser engine for this thread (OLE must be initialised).
  static bool BrowserEngineAvailable();
  // Browser sites alive in this process (each holds a reference on its view's browser).
  static int LiveSites();

  // Creates the window, then the browser object in it when an engine exists.
  BOOL Create(const char* className, const char* title, DWORD style, const RECT& rect, CWnd* parent,
              UINT id) override;

  // Navigates to an address or a local file path. Post data and headers go to the browser as
  // they are. Without a browser nothing happens; a browser that cannot show the page is let go.
  virtual void Navigate2(const char* url, DWORD flags = 0, const char* targetFrame = nullptr,
                         const char* headers = nullptr, const void* postData = nullptr, DWORD postLength = 0);
  virtual void GoBack();
  // The browser's address, "" without a browser.
  virtual CString GetLocationURL() const;

  BOOL HasBrowser() const { return m_pBrowserApp != nullptr; }

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

  void OnSize(UINT type, int cx, int cy);
  void OnDestroy();
  DECLARE_MESSAGE_MAP()

  IWebBrowser2* m_pBrowserApp = nullptr;

private:
  bool CreateBrowser();

  IOleObject* oleObject_ = nullptr;
  IConnectionPoint* connection_ = nullptr;
  DWORD cookie_ = 0;
  CHtmlBrowserSite* site_ = nullptr;
  bool oleInitialised_ = false;
};
