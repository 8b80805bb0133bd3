// Device contexts.
#include "framework/dc.h"

#include "framework/window.h"

BOOL CDC::CreateCompatibleDC(CDC* dc) {
  DeleteDC();
  hdc_ = ::CreateCompatibleDC(dc ? dc->hdc_ : nullptr);
  if (!hdc_) return FALSE;
  owner_ = Owner::Memory;
  gdi_count::Dcs(+1);
  return TRUE;
}

BOOL CDC::DeleteDC() {
  if (!hdc_) return FALSE;
  BOOL ok = TRUE;
  if (owner_ == Owner::Memory) {
    ok = ::DeleteDC(hdc_);
    gdi_count::Dcs(-1);
  }
  if (owner_ == Owner::None || owner_ == Owner::Memory) {
    hdc_ = nullptr;
    owner_ = Owner::None;
  }
  return ok;
}

void CDC::Attach(HDC hdc) {
  DeleteDC();
  hdc_ = hdc;
  owner_ = Owner::None;
}

HDC CDC::Detach() {
  HDC h = hdc_;
  if (owner_ == Owner::Memory) gdi_count::Dcs(-1);
  hdc_ = nullptr;
  owner_ = Owner::None;
  return h;
}

void CDC::FillSolidRect(LPCRECT r, COLORREF colour) {
  COLORREF old = ::SetBkColor(hdc_, colour);
  ::ExtTextOutA(hdc_, 0, 0, ETO_OPAQUE, r, nullptr, 0, nullptr);
  ::SetBkColor(hdc_, old);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF colour) {
  CRect r(x, y, x + cx, y + cy);
  FillSolidRect(&r, colour);
}

void CDC::Draw3dRect(LPCRECT r, COLORREF topLeft, COLORREF bottomRight) {
  int w = r->right - r->left, h = r->bottom - r->top;
  FillSolidRect(r->left, r->top, w - 1, 1, topLeft);
  FillSolidRect(r->left, r->top, 1, h - 1, topLeft);
  FillSolidRect(r->right - 1, r->top, 1, h, bottomRight);
  FillSolidRect(r->left, r->bottom - 1, w, 1, bottomRight);
}

CSize CDC::GetTextExtent(const char* text, int length) const {
  SIZE s = {0, 0};
  ::GetTextExtentPoint32A(hdc_, text, length, &s);
  return s;
}

CPaintDC::CPaintDC(CWnd* wnd) : hwnd_(wnd->GetSafeHwnd()) {
  hdc_ = ::BeginPaint(hwnd_, &m_ps);
  owner_ = Owner::Paint;
  if (hdc_) gdi_count::Dcs(+1);
}

CPaintDC::~CPaintDC() {
  if (hdc_) {
    ::EndPaint(hwnd_, &m_ps);
    gdi_count::Dcs(-1);
  }
  hdc_ = nullptr;
}

CClientDC::CClientDC(CWnd* wnd) : hwnd_(wnd ? wnd->GetSafeHwnd() : nullptr) {
  hdc_ = ::GetDC(hwnd_);
  owner_ = Owner::Window;
  if (hdc_) gdi_count::Dcs(+1);
}

CClientDC::~CClientDC() {
  if (hdc_) {
    ::ReleaseDC(hwnd_, hdc_);
    gdi_count::Dcs(-1);
  }
  hdc_ = nullptr;
}

CWindowDC::CWindowDC(CWnd* wnd) : hwnd_(wnd ? wnd->GetSafeHwnd() : nullptr) {
  hdc_ = ::GetWindowDC(hwnd_);
  owner_ = Owner::Window;
  if (hdc_) gdi_count::Dcs(+1);
}

CWindowDC::~CWindowDC() {
  if (hdc_) {
    ::ReleaseDC(hwnd_, hdc_);
    gdi_count::Dcs(-1);
  }
  hdc_ = nullptr;
}
