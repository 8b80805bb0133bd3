// The browser's client site, in-place frame, UI handler and event sink (see htmlsite.h).
#include "framework/htmlsite.h"

#include <exdispid.h>

int CHtmlBrowserSite::live = 0;

std::wstring HtmlWide(const char* text) {
  if (!text || !*text) return std::wstring();
  int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
  if (length > 1) MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
  return wide;
}

CString HtmlNarrow(const wchar_t* text) {
  if (!text || !*text) return CString();
  int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(length > 0 ? length - 1 : 0, '\0');
  if (length > 1) WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), length, nullptr, nullptr);
  return CString(narrow);
}

namespace {

// The text of an event argument, which the browser passes by reference inside a VARIANT.
CString VariantText(const VARIANT& v) {
  const VARIANT* value = &v;
  if (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal) value = value->pvarVal;
  if (value->vt == VT_BSTR) return HtmlNarrow(value->bstrVal);
  if (value->vt == (VT_BYREF | VT_BSTR) && value->pbstrVal) return HtmlNarrow(*value->pbstrVal);
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

}  // namespace

STDMETHODIMP CHtmlBrowserSite::QueryInterface(REFIID riid, void** object) {
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

STDMETHODIMP_(ULONG) CHtmlBrowserSite::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

STDMETHODIMP CHtmlBrowserSite::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP CHtmlBrowserSite::GetWindow(HWND* hwnd) {
  if (!hwnd) return E_POINTER;
  *hwnd = view_ ? view_->m_hWnd : nullptr;
  return *hwnd ? S_OK : E_FAIL;
}

STDMETHODIMP CHtmlBrowserSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
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

STDMETHODIMP CHtmlBrowserSite::ShowContextMenu(DWORD id, POINT* point, IUnknown* target, IDispatch* object) {
  return view_ ? view_->OnShowContextMenu(id, point, target, object) : S_OK;
}

STDMETHODIMP CHtmlBrowserSite::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                      IOleInPlaceUIWindow*) {
  return S_FALSE;
}

STDMETHODIMP CHtmlBrowserSite::GetOptionKeyPath(LPOLESTR* key, DWORD) {
  if (key) *key = nullptr;
  return S_FALSE;
}

STDMETHODIMP CHtmlBrowserSite::GetExternal(IDispatch** external) {
  if (external) *external = nullptr;
  return S_FALSE;
}

STDMETHODIMP CHtmlBrowserSite::TranslateUrl(DWORD, LPWSTR, LPWSTR* out) {
  if (out) *out = nullptr;
  return S_FALSE;
}

STDMETHODIMP CHtmlBrowserSite::FilterDataObject(IDataObject*, IDataObject** out) {
  if (out) *out = nullptr;
  return S_FALSE;
}

STDMETHODIMP CHtmlBrowserSite::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return S_OK;
}

STDMETHODIMP CHtmlBrowserSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
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
