// CHtmlView: the browser object hosted through OLE, its life and its navigation; the site is in
// htmlsite.cpp.
#include "framework/htmlview.h"

#include <cstring>

#include "framework/htmlsite.h"

namespace {

// The HTML document class of the system's browser engine: creating it is the cheapest way to
// learn whether an engine exists at all.
const CLSID kHtmlDocumentClass = {0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};

}  // namespace

BEGIN_MESSAGE_MAP(CHtmlView, CWnd)
  ON_WM_SIZE()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CHtmlView::~CHtmlView() {
  DestroyBrowser();
  if (m_hWnd) DestroyWindow();
}

bool CHtmlView::BrowserEngineAvailable() {
  IUnknown* document = nullptr;
  if (FAILED(CoCreateInstance(kHtmlDocumentClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              reinterpret_cast<void**>(&document)))) {
    return false;
  }
  document->Release();
  return true;
}

int CHtmlView::LiveSites() { return CHtmlBrowserSite::live; }

BOOL CHtmlView::Create(const char* className, const char* title, DWORD style, const RECT& rect, CWnd* parent,
                       UINT id) {
  const char* windowClass = className && *className
                                ? className
                                : RegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                                   reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  if (!CWnd::Create(windowClass, title, style | WS_CLIPCHILDREN, rect, parent, id)) return FALSE;
  HRESULT init = OleInitialize(nullptr);
  oleInitialised_ = SUCCEEDED(init);
  if (oleInitialised_) CreateBrowser();
  return TRUE;
}

bool CHtmlView::CreateBrowser() {
  if (!BrowserEngineAvailable()) return false;
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              reinterpret_cast<void**>(&oleObject_)))) {
    oleObject_ = nullptr;
    return false;
  }
  site_ = new CHtmlBrowserSite(this);
  RECT client;
  GetClientRect(&client);
  bool ok = SUCCEEDED(oleObject_->SetClientSite(static_cast<IOleClientSite*>(site_)));
  if (ok) {
    OleSetContainedObject(oleObject_, TRUE);
    ok = SUCCEEDED(oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(site_), 0,
                                      m_hWnd, &client));
  }
  if (ok) {
    ok = SUCCEEDED(oleObject_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&m_pBrowserApp)));
    if (!ok) m_pBrowserApp = nullptr;
  }
  IConnectionPointContainer* points = nullptr;
  if (ok && SUCCEEDED(m_pBrowserApp->QueryInterface(IID_IConnectionPointContainer,
                                                    reinterpret_cast<void**>(&points)))) {
    if (FAILED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &connection_))) connection_ = nullptr;
    points->Release();
  }
  // Without its events the view could not keep its links in check: no browser then.
  if (ok) ok = connection_ && SUCCEEDED(connection_->Advise(static_cast<IDispatch*>(site_), &cookie_));
  if (!ok) {
    if (connection_) {
      connection_->Release();
      connection_ = nullptr;
    }
    DestroyBrowser();
    return false;
  }
  return true;
}

void CHtmlView::DestroyBrowser() {
  if (connection_) {
    connection_->Unadvise(cookie_);
    connection_->Release();
    connection_ = nullptr;
    cookie_ = 0;
  }
  if (m_pBrowserApp) {
    m_pBrowserApp->Stop();
    m_pBrowserApp->Release();
    m_pBrowserApp = nullptr;
  }
  if (oleObject_) {
    IOleInPlaceObject* inPlace = nullptr;
    if (SUCCEEDED(oleObject_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
      inPlace->InPlaceDeactivate();
      inPlace->Release();
    }
    oleObject_->Close(OLECLOSE_NOSAVE);
    oleObject_->SetClientSite(nullptr);
    oleObject_->Release();
    oleObject_ = nullptr;
  }
  if (site_) {
    site_->Detach();
    site_->Release();
    site_ = nullptr;
  }
  if (oleInitialised_) {
    OleUninitialize();
    oleInitialised_ = false;
  }
}




CString CHtmlView::GetLocationURL() const {
  if (m_pBrowserApp) {
    BSTR location = nullptr;
    CString url;
    if (SUCCEEDED(m_pBrowserApp->get_LocationURL(&location)) && location) url = HtmlNarrow(location);
    SysFreeString(location);
    return url;
  }
  return CString();
}

void CHtmlView::Navigate2(const char* url, DWORD flags, const char* targetFrame, const char* headers,
                          const void* postData, DWORD postLength) {
  if (!m_pBrowserApp) return;
  VARIANT address, flagValue, target, post, headerValue;
  for (VARIANT* v : {&address, &flagValue, &target, &post, &headerValue}) VariantInit(v);
  address.vt = VT_BSTR;
  address.bstrVal = SysAllocString(HtmlWide(url).c_str());
  flagValue.vt = VT_I4;
  flagValue.lVal = static_cast<LONG>(flags);
  if (targetFrame && *targetFrame) {
    target.vt = VT_BSTR;
    target.bstrVal = SysAllocString(HtmlWide(targetFrame).c_str());
  }
  if (headers && *headers) {
    headerValue.vt = VT_BSTR;
    headerValue.bstrVal = SysAllocString(HtmlWide(headers).c_str());
  }
  if (postData && postLength) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, postLength);
    void* data = nullptr;
    if (array && SUCCEEDED(SafeArrayAccessData(array, &data))) {
      memcpy(data, postData, postLength);
      SafeArrayUnaccessData(array);
      post.vt = VT_ARRAY | VT_UI1;
      post.parray = array;
    } else if (array) {
      SafeArrayDestroy(array);
    }
  }
  HRESULT hr = m_pBrowserApp->Navigate2(&address, &flagValue, &target, &post, &headerValue);
  for (VARIANT* v : {&address, &flagValue, &target, &post, &headerValue}) VariantClear(v);
  // The browser cannot show it: a derived view finds the browser gone and shows the page its own way.
  if (FAILED(hr)) DestroyBrowser();
}

void CHtmlView::GoBack() {
  if (m_pBrowserApp) m_pBrowserApp->GoBack();
}


void CHtmlView::OnBeforeNavigate2(const char*, DWORD, const char*, const std::string&, const char*, BOOL*) {}

void CHtmlView::OnNavigateComplete2(const char*) {}

HRESULT CHtmlView::OnShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return S_FALSE; }


void CHtmlView::OnSize(UINT type, int cx, int cy) {
  Default();
  if (type == SIZE_MINIMIZED) return;
  if (oleObject_) {
    IOleInPlaceObject* inPlace = nullptr;
    if (SUCCEEDED(oleObject_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
      RECT r = {0, 0, cx, cy};
      inPlace->SetObjectRects(&r, &r);
      inPlace->Release();
    }
  }
}

void CHtmlView::OnDestroy() {
  DestroyBrowser();
  Default();
}
