// The browser host of CHtmlView: the OLE site the browser object lives in, its event sink, and
// the read-only page view used where the system has no browser engine.
#include "framework/htmlview.h"

#include <ole2.h>
#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <shellapi.h>

#include <cstring>

#include "framework/stdiofile.h"

namespace {

// The HTML document class of the system's browser engine: creating it is the cheapest way to
// learn whether an engine exists at all.
const CLSID kHtmlDocumentClass = {0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};

constexpr UINT kOpenButtonId = 1;
constexpr int kNoteHeight = 44, kButtonWidth = 130, kButtonHeight = 26, kGap = 8;
const char kReadOnlyNote[] =
    "No web browser engine is installed on this system, so the page is shown here as plain text and cannot "
    "be sent from this window. Press \"Open in Browser\" to open it in your web browser.";

int liveSites = 0;

void DefaultOpener(const char* path) { ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL); }
HtmlPageOpener& Opener() {
  static HtmlPageOpener opener = DefaultOpener;
  return opener;
}

std::wstring Wide(const char* text) {
  if (!text || !*text) return std::wstring();
  int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
  if (length > 1) MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
  return wide;
}

CString Narrow(const wchar_t* text) {
  if (!text || !*text) return CString();
  int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(length > 0 ? length - 1 : 0, '\0');
  if (length > 1) WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), length, nullptr, nullptr);
  return CString(narrow);
}

// The text of an event argument, which the browser passes by reference inside a VARIANT.
CString VariantText(const VARIANT& v) {
  const VARIANT* value = &v;
  if (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal) value = value->pvarVal;
  if (value->vt == VT_BSTR) return Narrow(value->bstrVal);
  if (value->vt == (VT_BYREF | VT_BSTR) && value->pbstrVal) return Narrow(*value->pbstrVal);
  return CString();
}

long VariantLong(const VARIANT& v) {
  const VARIANT* value = &v;
  if (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal) value = value->pvarVal;
  VARIANT copy;
  VariantInit(&copy);
  long result = 0;
  if (SUCCEEDED(VariantChangeType(&copy, const_cast<VARIANT*>(value), 0, VT_I4))) result = copy.lVal;
  VariantClear(&copy);
  return result;
}

std::string VariantBytes(const VARIANT& v) {
  // The post data comes wrapped twice: a reference to a reference to the byte array.
  const VARIANT* value = &v;
  while (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal) value = value->pvarVal;
  if (value->vt != (VT_ARRAY | VT_UI1) || !value->parray) return std::string();
  SAFEARRAY* array = value->parray;
  LONG low = 0, high = -1;
  SafeArrayGetLBound(array, 1, &low);
  SafeArrayGetUBound(array, 1, &high);
  void* data = nullptr;
  std::string bytes;
  if (high >= low && SUCCEEDED(SafeArrayAccessData(array, &data))) {
    bytes.assign(static_cast<const char*>(data), static_cast<size_t>(high - low + 1));
    SafeArrayUnaccessData(array);
  }
  return bytes;
}

// The local file of an address: a plain path, or a "file:" address.
CString LocalPathOf(const char* url) {
  CString path = url ? url : "";
  if (path.Left(5).CompareNoCase("file:") == 0) {
    path = path.Mid(5);
    while (path.Left(1) == "/") path = path.Mid(1);
    path.Replace('/', '\\');
    path.Replace("%20", " ");
  }
  bool drivePath = path.GetLength() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  bool uncPath = path.Left(2) == "\\\\";
  return drivePath || uncPath ? path : CString();
}

}  // namespace

// ---- the OLE site -------------------------------------------------------------------------------

// One object is the browser's client site, its in-place site and frame, its UI handler (the
// browser asks the client site for it) and the sink of its events. It outlives its view when
// the browser still holds a reference; Detach cuts the way back to the view.
class CHtmlBrowserSite : public IOleClientSite,
                         public IOleInPlaceSite,
                         public IOleInPlaceFrame,
                         public IDocHostUIHandler,
                         public IDispatch {
public:
  explicit CHtmlBrowserSite(CHtmlView* view) : view_(view) { ++liveSites; }
  virtual ~CHtmlBrowserSite() { --liveSites; }
  void Detach() { view_ = nullptr; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite)) {
      *object = static_cast<IOleClientSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite)) {
      *object = static_cast<IOleInPlaceSite*>(this);
    } else if (IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame)) {
      *object = static_cast<IOleInPlaceFrame*>(this);
    } else if (IsEqualIID(riid, IID_IDocHostUIHandler)) {
      *object = static_cast<IDocHostUIHandler*>(this);
    } else if (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, DIID_DWebBrowserEvents2)) {
      *object = static_cast<IDispatch*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP GetContainer(IOleContainer** container) override {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow
  STDMETHODIMP GetWindow(HWND* hwnd) override {
    if (!hwnd) return E_POINTER;
    *hwnd = view_ ? view_->m_hWnd : nullptr;
    return *hwnd ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return view_ ? S_OK : S_FALSE; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    if (frame) {
      *frame = static_cast<IOleInPlaceFrame*>(this);
      AddRef();
    }
    if (document) *document = nullptr;
    RECT client = {0, 0, 0, 0};
    if (view_) ::GetClientRect(view_->m_hWnd, &client);
    if (position) *position = client;
    if (clip) *clip = client;
    if (info) {
      info->fMDIApp = FALSE;
      info->hwndFrame = view_ ? ::GetAncestor(view_->m_hWnd, GA_ROOT) : nullptr;
      info->haccel = nullptr;
      info->cAccelEntries = 0;
    }
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow and IOleInPlaceFrame: no menus, tool bars or status line to share.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return OLE_E_INVALIDRECT; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // IDocHostUIHandler: the browser's defaults, except the context menu, which the view decides.
  STDMETHODIMP ShowContextMenu(DWORD id, POINT* point, IUnknown* target, IDispatch* object) override {
    return view_ ? view_->OnShowContextMenu(id, point, target, object) : S_OK;
  }
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO*) override { return E_NOTIMPL; }
  STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                      IOleInPlaceUIWindow*) override {
    return S_FALSE;
  }
  STDMETHODIMP HideUI() override { return S_OK; }
  STDMETHODIMP UpdateUI() override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override {
    if (key) *key = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget**) override { return E_NOTIMPL; }
  STDMETHODIMP GetExternal(IDispatch** external) override {
    if (external) *external = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override {
    if (out) *out = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** out) override {
    if (out) *out = nullptr;
    return S_FALSE;
  }

  // IDispatch: the browser's events (DWebBrowserEvents2), arguments in reverse order.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
    if (!view_ || !params) return S_OK;
    VARIANTARG* args = params->rgvarg;
    switch (id) {
      case DISPID_BEFORENAVIGATE2:
        if (params->cArgs == 7 && args[0].vt == (VT_BYREF | VT_BOOL) && args[0].pboolVal) {
          BOOL cancel = *args[0].pboolVal != VARIANT_FALSE;
          view_->OnBeforeNavigate2(VariantText(args[5]), static_cast<DWORD>(VariantLong(args[4])),
                                   VariantText(args[3]), VariantBytes(args[2]), VariantText(args[1]), &cancel);
          *args[0].pboolVal = cancel ? VARIANT_TRUE : VARIANT_FALSE;
        }
        break;
      case DISPID_NAVIGATECOMPLETE2:
        if (params->cArgs == 2) view_->OnNavigateComplete2(VariantText(args[0]));
        break;
      case DISPID_DOCUMENTCOMPLETE:
        if (params->cArgs == 2) view_->OnDocumentComplete(VariantText(args[0]));
        break;
      case DISPID_NEWWINDOW2:
        if (params->cArgs == 2 && args[0].vt == (VT_BYREF | VT_BOOL) && args[0].pboolVal) {
          BOOL cancel = *args[0].pboolVal != VARIANT_FALSE;
          view_->OnNewWindow2(&cancel);
          *args[0].pboolVal = cancel ? VARIANT_TRUE : VARIANT_FALSE;
        }
        break;
      default:
        break;
    }
    return S_OK;
  }

private:
  CHtmlView* view_;
  ULONG refs_ = 1;
};

// ---- the readable text of a page ----------------------------------------------------------------

namespace {

CString DecodeReferences(const CString& text) {
  static const struct {
    const char* name;
    char ch;
  } kReferences[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}, {"&nbsp;", ' '}};
  CString out;
  for (int i = 0; i < text.GetLength();) {
    bool decoded = false;
    if (text[i] == '&') {
      for (const auto& ref : kReferences) {
        int length = static_cast<int>(strlen(ref.name));
        if (text.Mid(i, length).CompareNoCase(ref.name) == 0) {
          out += ref.ch;
          i += length;
          decoded = true;
          break;
        }
      }
    }
    if (!decoded) out += text[i++];
  }
  return out;
}

// The value of an attribute of a tag's inside text ("INPUT TYPE=text value=\"x\""), "" without it.
CString AttributeOf(const CString& tag, const char* name) {
  int i = tag.Find(' ');
  while (i >= 0 && i < tag.GetLength()) {
    while (i < tag.GetLength() && isspace(static_cast<unsigned char>(tag[i]))) ++i;
    int start = i;
    while (i < tag.GetLength() && tag[i] != '=' && !isspace(static_cast<unsigned char>(tag[i]))) ++i;
    CString attribute = tag.Mid(start, i - start);
    if (attribute.IsEmpty()) break;
    CString value;
    if (tag[i] == '=') {
      ++i;
      char quote = tag[i];
      if (quote == '"' || quote == '\'') {
        int end = tag.Find(quote, i + 1);
        if (end < 0) end = tag.GetLength();
        value = tag.Mid(i + 1, end - i - 1);
        i = end + 1;
      } else {
        int begin = i;
        while (i < tag.GetLength() && !isspace(static_cast<unsigned char>(tag[i]))) ++i;
        value = tag.Mid(begin, i - begin);
      }
    }
    if (attribute.CompareNoCase(name) == 0) return DecodeReferences(value);
  }
  return CString();
}

void EndLine(CString& out, int wanted) {
  // Ends the current line, then adds blank lines up to `wanted` line ends in a row.
  int have = 0;
  for (int i = out.GetLength() - 1; i >= 0 && out[i] == '\n'; --i) ++have;
  if (out.IsEmpty()) return;
  for (; have < wanted; ++have) out += '\n';
}

}  // namespace

CString HtmlToReadableText(const char* html) {
  CString page = html ? html : "";
  CString out, text;
  bool skipping = false;  // inside head matter: title, style, script
  CString skipEnd;
  auto flushText = [&] {
    CString collapsed;
    for (int i = 0; i < text.GetLength(); ++i) {
      char ch = text[i];
      bool space = isspace(static_cast<unsigned char>(ch)) != 0;
      bool atLineStart = collapsed.IsEmpty() ? (out.IsEmpty() || out.Right(1) == "\n") : collapsed.Right(1) == " ";
      if (space) {
        if (!atLineStart) collapsed += ' ';
      } else {
        collapsed += ch;
      }
    }
    out += DecodeReferences(collapsed);
    text.Empty();
  };
  for (int i = 0; i < page.GetLength();) {
    if (page[i] != '<') {
      if (!skipping) text += page[i];
      ++i;
      continue;
    }
    int close = page.Find('>', i);
    if (close < 0) close = page.GetLength();
    CString tag = page.Mid(i + 1, close - i - 1);
    i = close + 1;
    CString name = tag.SpanExcluding(" \t\r\n/");
    if (name.IsEmpty() && tag.Left(1) == "/") name = "/" + tag.Mid(1).SpanExcluding(" \t\r\n");
    name.MakeUpper();
    if (skipping) {
      if (name == skipEnd) skipping = false;
      continue;
    }
    if (name == "TITLE" || name == "STYLE" || name == "SCRIPT" || name == "HEAD") {
      skipping = true;
      skipEnd = "/" + name;
      continue;
    }
    flushText();
    while (out.Right(1) == " ") out = out.Left(out.GetLength() - 1);
    if (name == "BR") {
      out += '\n';
    } else if (name == "P" || name == "/P" || name == "TABLE" || name == "/TABLE" || name == "FORM" ||
               name == "/FORM") {
      EndLine(out, 2);
    } else if (name == "TR" || name == "/TR" || name == "DIV" || name == "/DIV") {
      EndLine(out, 1);
    } else if (name == "INPUT") {
      CString type = AttributeOf(tag, "TYPE");
      if (type.IsEmpty() || type.CompareNoCase("text") == 0) out += AttributeOf(tag, "VALUE");
    } else if (name == "TEXTAREA") {
      // The text area's contents stand as they are, line for line.
      int end = page.Find("</", i);
      while (end >= 0 && page.Mid(end, 11).CompareNoCase("</TEXTAREA>") != 0) end = page.Find("</", end + 2);
      if (end < 0) end = page.GetLength();
      CString contents = DecodeReferences(page.Mid(i, end - i));
      contents.Remove('\r');
      out += contents;
      i = end + 11;
    }
  }
  flushText();
  while (out.Right(1) == " " || out.Right(1) == "\n") out = out.Left(out.GetLength() - 1);
  return out;
}

HtmlPageOpener SetHtmlPageOpener(HtmlPageOpener opener) {
  HtmlPageOpener previous = Opener();
  Opener() = opener ? std::move(opener) : HtmlPageOpener(DefaultOpener);
  return previous;
}

// ---- the view -----------------------------------------------------------------------------------

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

int CHtmlView::LiveSites() { return liveSites; }

BOOL CHtmlView::Create(const char* className, const char* title, DWORD style, const RECT& rect, CWnd* parent,
                       UINT id) {
  const char* windowClass = className && *className
                                ? className
                                : RegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                                   reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  if (!CWnd::Create(windowClass, title, style | WS_CLIPCHILDREN, rect, parent, id)) return FALSE;
  HRESULT init = OleInitialize(nullptr);
  oleInitialised_ = SUCCEEDED(init);
  if (!oleInitialised_ || !CreateBrowser()) ShowReadOnlyView();
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

void CHtmlView::ShowReadOnlyView() {
  if (text_) return;
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(m_hWnd, GWLP_HINSTANCE));
  note_ = ::CreateWindowExA(0, "STATIC", kReadOnlyNote, WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 0, 0, m_hWnd, nullptr,
                            instance, nullptr);
  openButton_ = ::CreateWindowExA(0, "BUTTON", "Open in Browser", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                  0, 0, 0, 0, m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kOpenButtonId)),
                                  instance, nullptr);
  text_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY |
                                ES_AUTOVSCROLL,
                            0, 0, 0, 0, m_hWnd, nullptr, instance, nullptr);
  // The dialog's own font, borrowed: the parent keeps it alive.
  HWND parent = ::GetParent(m_hWnd);
  WPARAM font = parent ? static_cast<WPARAM>(::SendMessageA(parent, WM_GETFONT, 0, 0)) : 0;
  if (!font) font = reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT));
  for (HWND child : {note_, openButton_, text_}) ::SendMessageA(child, WM_SETFONT, font, FALSE);
  ::EnableWindow(openButton_, FALSE);
  CRect client;
  GetClientRect(&client);
  LayoutReadOnlyView(client.Width(), client.Height());
}

void CHtmlView::LayoutReadOnlyView(int cx, int cy) {
  if (!text_) return;
  int noteWidth = cx - kButtonWidth - 3 * kGap;
  ::MoveWindow(note_, kGap, kGap, noteWidth > 0 ? noteWidth : 0, kNoteHeight - kGap, TRUE);
  ::MoveWindow(openButton_, cx - kButtonWidth - kGap, kGap, kButtonWidth, kButtonHeight, TRUE);
  int textHeight = cy - kNoteHeight - 2 * kGap;
  ::MoveWindow(text_, kGap, kNoteHeight + kGap, cx > 2 * kGap ? cx - 2 * kGap : 0, textHeight > 0 ? textHeight : 0,
               TRUE);
}

CString CHtmlView::GetReadOnlyText() const { return text_ ? readOnlyText_ : CString(); }

CString CHtmlView::GetLocationURL() const {
  if (m_pBrowserApp) {
    BSTR location = nullptr;
    CString url;
    if (SUCCEEDED(m_pBrowserApp->get_LocationURL(&location)) && location) url = Narrow(location);
    SysFreeString(location);
    return url;
  }
  return history_.empty() ? CString() : history_.back();
}

void CHtmlView::Navigate2(const char* url, DWORD flags, const char* targetFrame, const char* headers,
                          const void* postData, DWORD postLength) {
  if (!m_pBrowserApp) {
    ReadOnlyNavigate(url, true);
    return;
  }
  VARIANT address, flagValue, target, post, headerValue;
  for (VARIANT* v : {&address, &flagValue, &target, &post, &headerValue}) VariantInit(v);
  address.vt = VT_BSTR;
  address.bstrVal = SysAllocString(Wide(url).c_str());
  flagValue.vt = VT_I4;
  flagValue.lVal = static_cast<LONG>(flags);
  if (targetFrame && *targetFrame) {
    target.vt = VT_BSTR;
    target.bstrVal = SysAllocString(Wide(targetFrame).c_str());
  }
  if (headers && *headers) {
    headerValue.vt = VT_BSTR;
    headerValue.bstrVal = SysAllocString(Wide(headers).c_str());
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
  if (FAILED(hr)) {
    // The browser cannot show it: the page is shown read-only instead.
    DestroyBrowser();
    ShowReadOnlyView();
    ReadOnlyNavigate(url, true);
  }
}

void CHtmlView::GoBack() {
  if (m_pBrowserApp) {
    m_pBrowserApp->GoBack();
    return;
  }
  if (history_.size() < 2) return;
  history_.pop_back();
  ReadOnlyNavigate(history_.back(), false);
}

// The read-only view goes through the same events as the browser, so that the rules a view
// sets for its links hold here too.
void CHtmlView::ReadOnlyNavigate(const char* url, bool addToHistory) {
  CString address = url ? url : "";
  if (addToHistory) {
    BOOL cancel = FALSE;
    OnBeforeNavigate2(address, 0, "", std::string(), "", &cancel);
    if (cancel) return;
  }
  CString path = LocalPathOf(address);
  CString page;
  CStdioFile file;
  if (!path.IsEmpty() && file.Open(path, CStdioFile::modeRead | CStdioFile::typeText)) {
    CString line;
    while (file.ReadString(line)) page += line + "\n";
    file.Close();
    readOnlyText_ = HtmlToReadableText(page);
  } else {
    readOnlyText_ = "This page can only be shown by a web browser:\n" + address;
  }
  ::EnableWindow(openButton_, !path.IsEmpty());
  if (text_) {
    CString shown = readOnlyText_;
    shown.Replace("\n", "\r\n");
    ::SetWindowTextA(text_, shown);
  }
  if (addToHistory) {
    history_.push_back(address);
    OnNavigateComplete2(address);
    OnDocumentComplete(address);
  }
}

void CHtmlView::OnBeforeNavigate2(const char*, DWORD, const char*, const std::string&, const char*, BOOL*) {}

void CHtmlView::OnNavigateComplete2(const char*) {}

HRESULT CHtmlView::OnShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return S_FALSE; }

BOOL CHtmlView::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  // The open button of the read-only view is the view's own, whatever its owner does with commands.
  if (message == WM_COMMAND && openButton_ && reinterpret_cast<HWND>(lParam) == openButton_ &&
      HIWORD(wParam) == BN_CLICKED) {
    CString path = LocalPathOf(GetLocationURL());
    if (!path.IsEmpty()) Opener()(path);
    *result = 0;
    return TRUE;
  }
  return CWnd::OnWndMsg(message, wParam, lParam, result);
}

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
  LayoutReadOnlyView(cx, cy);
}

void CHtmlView::OnDestroy() {
  DestroyBrowser();
  Default();
  // The children go with the window; a later Create starts afresh.
  note_ = openButton_ = text_ = nullptr;
  readOnlyText_.Empty();
  history_.clear();
}
