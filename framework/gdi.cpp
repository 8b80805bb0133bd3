// The GDI and icon owners and their live counts.
#include "framework/gdi.h"

#include "framework/app.h"
#include "framework/dc.h"

namespace {
GdiLiveCounts g_counts;
}

GdiLiveCounts AfxGetGdiLiveCounts() { return g_counts; }

namespace gdi_count {
void Objects(int delta) { g_counts.objects += delta; }
void Dcs(int delta) { g_counts.dcs += delta; }
void Icons(int delta) { g_counts.icons += delta; }
}  // namespace gdi_count

BOOL CGdiObject::Attach(HGDIOBJ handle) {
  DeleteObject();
  if (!handle) return FALSE;
  handle_ = handle;
  gdi_count::Objects(+1);
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ h = handle_;
  if (h) gdi_count::Objects(-1);
  handle_ = nullptr;
  return h;
}

BOOL CGdiObject::DeleteObject() {
  if (!handle_) return FALSE;
  HGDIOBJ h = Detach();
  return ::DeleteObject(h);
}

BOOL CFont::CreatePointFont(int pointTenths, const char* face, CDC* dc) {
  HDC hdc = dc ? dc->GetSafeHdc() : ::GetDC(nullptr);
  LOGFONTA lf = {};
  // Tenths of a point to logical units of the device.
  POINT pt = {0, MulDiv(GetDeviceCaps(hdc, LOGPIXELSY), pointTenths, 720)};
  POINT origin = {0, 0};
  DPtoLP(hdc, &pt, 1);
  DPtoLP(hdc, &origin, 1);
  lf.lfHeight = -abs(pt.y - origin.y);
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(lf.lfFaceName, face ? face : "", LF_FACESIZE);
  if (!dc) ::ReleaseDC(nullptr, hdc);
  return CreateFontIndirect(&lf);
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
  return Attach(::CreateCompatibleBitmap(dc->GetSafeHdc(), width, height));
}

BOOL CBitmap::LoadBitmap(UINT id) {
  return Attach(::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id)));
}

BOOL CIcon::Load(UINT id, int cx, int cy) {
  return Attach(static_cast<HICON>(
      ::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR)));
}

BOOL CIcon::Attach(HICON icon) {
  Destroy();
  if (!icon) return FALSE;
  icon_ = icon;
  gdi_count::Icons(+1);
  return TRUE;
}

HICON CIcon::Detach() {
  HICON h = icon_;
  if (h) gdi_count::Icons(-1);
  icon_ = nullptr;
  return h;
}

void CIcon::Destroy() {
  if (icon_) ::DestroyIcon(Detach());
}
