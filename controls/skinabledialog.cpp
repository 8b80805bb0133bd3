// The bitmap-skinned dialog and its skin.
#include "controls/skinabledialog.h"

#include <vector>

#include "framework/app.h"

// ---- CSkinBitmap ----------------------------------------------------------------------------

void CSkinBitmap::Free() {
  if (bitmap_) ::DeleteObject(bitmap_);
  if (palette_) ::DeleteObject(palette_);
  bitmap_ = nullptr, palette_ = nullptr;
  width_ = height_ = 0;
  ready_ = FALSE;
}

HBITMAP CSkinBitmap::LoadFromResource(UINT id) {
  Free();
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  HRSRC found = ::FindResourceA(instance, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  if (!found) return nullptr;
  bitmap_ = static_cast<HBITMAP>(
      ::LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap_) return nullptr;
  HGLOBAL data = ::LoadResource(instance, found);
  const auto* info = data ? static_cast<const BITMAPINFOHEADER*>(::LockResource(data)) : nullptr;
  if (info && ::SizeofResource(instance, found) >= sizeof(BITMAPINFOHEADER) && info->biSize >= 40) {
    int colours = static_cast<int>(info->biClrUsed);
    if (colours == 0 && info->biBitCount <= 15) colours = 1 << info->biBitCount;
    if (info->biBitCount > 15 && info->biClrUsed == 0) colours = 0;
    std::vector<BYTE> buffer(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * (colours > 0 ? colours : 1));
    auto* logical = reinterpret_cast<LOGPALETTE*>(buffer.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = static_cast<WORD>(colours);
    const auto* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(info) + info->biSize);
    for (int i = 0; i < colours; ++i) {
      logical->palPalEntry[i] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
    }
    if (colours > 0) palette_ = ::CreatePalette(logical);
    width_ = info->biWidth;
    height_ = info->biHeight < 0 ? -info->biHeight : info->biHeight;
    ready_ = TRUE;
  }
  return bitmap_;
}

HRGN CSkinBitmap::MakeRegion(HBITMAP bitmap, COLORREF transparent, COLORREF tolerance) {
  BITMAP bm;
  if (!bitmap || !::GetObjectA(bitmap, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return nullptr;
  const int width = bm.bmWidth, height = bm.bmHeight;
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
  HDC screen = ::GetDC(nullptr);
  int rows = ::GetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  if (rows != height) return nullptr;

  auto band = [](int c, int t, int& low, int& high) {
    low = c - t < 0 ? 0 : c - t;
    high = c + t > 255 ? 255 : c + t;
  };
  int rLow, rHigh, gLow, gHigh, bLow, bHigh;
  band(GetRValue(transparent), GetRValue(tolerance), rLow, rHigh);
  band(GetGValue(transparent), GetGValue(tolerance), gLow, gHigh);
  band(GetBValue(transparent), GetBValue(tolerance), bLow, bHigh);
  auto isTransparent = [&](DWORD p) {
    int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    return r >= rLow && r <= rHigh && g >= gLow && g <= gHigh && b >= bLow && b <= bHigh;
  };

  HRGN result = ::CreateRectRgn(0, 0, 0, 0);
  std::vector<RECT> rects;
  auto flush = [&]() {
    if (rects.empty()) return;
    std::vector<BYTE> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
    *header = {sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(rects.size()), 0, {0, 0, width, height}};
    memcpy(data.data() + sizeof(RGNDATAHEADER), rects.data(), rects.size() * sizeof(RECT));
    HRGN part = ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data()));
    if (part) {
      ::CombineRgn(result, result, part, RGN_OR);
      ::DeleteObject(part);
    }
    rects.clear();
  };
  for (int y = 0; y < height; ++y) {
    const DWORD* row = pixels.data() + static_cast<size_t>(y) * width;
    for (int x = 0; x < width;) {
      while (x < width && isTransparent(row[x])) ++x;
      int start = x;
      while (x < width && !isTransparent(row[x])) ++x;
      if (x > start) {
        rects.push_back({start, y, x, y + 1});
        if (rects.size() == 2000) flush();
      }
    }
  }
  flush();
  return result;
}

BOOL CSkinBitmap::Widen(int width) {
  BITMAP bm;
  if (!bitmap_ || !::GetObjectA(bitmap_, sizeof bm, &bm)) return FALSE;
  const int natural = bm.bmWidth, height = bm.bmHeight;
  if (width <= natural) return TRUE;
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP wide = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!wide) return FALSE;
  HDC from = ::CreateCompatibleDC(nullptr), to = ::CreateCompatibleDC(nullptr);
  HGDIOBJ oldFrom = ::SelectObject(from, bitmap_), oldTo = ::SelectObject(to, wide);
  const int left = natural / 2, right = natural - left;
  ::BitBlt(to, 0, 0, left, height, from, 0, 0, SRCCOPY);
  ::SetStretchBltMode(to, COLORONCOLOR);
  ::StretchBlt(to, left, 0, width - natural, height, from, left, 0, 1, height, SRCCOPY);
  ::BitBlt(to, width - right, 0, right, height, from, left, 0, SRCCOPY);
  ::SelectObject(from, oldFrom);
  ::SelectObject(to, oldTo);
  ::DeleteDC(from);
  ::DeleteDC(to);
  ::DeleteObject(bitmap_);
  bitmap_ = wide;
  if (width_) width_ = width;
  return TRUE;
}

void CSkinBitmap::Draw(CDC* dc, int width, int height) {
  if (!ready_ || !bitmap_) return;
  HPALETTE oldPalette = nullptr;
  if (palette_) {
    oldPalette = ::SelectPalette(dc->GetSafeHdc(), palette_, FALSE);
    ::RealizePalette(dc->GetSafeHdc());
  }
  CDC memory;
  memory.CreateCompatibleDC(dc);
  HGDIOBJ old = memory.SelectObject(static_cast<HGDIOBJ>(bitmap_));
  if (width == 0 && height == 0) {
    dc->BitBlt(0, 0, width_, height_, &memory, 0, 0, SRCCOPY);
  } else {
    dc->SetStretchBltMode(COLORONCOLOR);
    dc->StretchBlt(0, 0, width, height, &memory, 0, 0, width_, height_, SRCCOPY);
  }
  memory.SelectObject(old);
  if (oldPalette) ::SelectPalette(dc->GetSafeHdc(), oldPalette, FALSE);
}

// ---- CSkinableDialog ------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CSkinableDialog, CDialog)
  ON_WM_PAINT()
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONUP()
  ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

CSkinableDialog::~CSkinableDialog() = default;

BOOL CSkinableDialog::SetSkin(UINT bitmapId, COLORREF transparent, int width) {
  if (!m_Skin.LoadFromResource(bitmapId)) return FALSE;
  m_Skin.Widen(width);  // a skin that cannot be widened keeps its own width
  HBITMAP bitmap = m_Skin.GetHandle();
  HRGN region = CSkinBitmap::MakeRegion(bitmap, transparent, RGB(8, 8, 8));
  if (!region) return FALSE;
  RECT box;
  ::GetRgnBox(region, &box);
  SetWindowPos(nullptr, 0, 0, box.right - box.left, box.bottom - box.top, SWP_NOMOVE | SWP_NOZORDER);
  ::SetWindowRgn(m_hWnd, region, TRUE);  // the window owns the region from here on
  return TRUE;
}

void CSkinableDialog::OnPaint() {
  CPaintDC dc(this);
  m_Skin.Draw(&dc, 0, 0);
}

void CSkinableDialog::OnLButtonDown(UINT, CPoint point) {
  m_Dragging = TRUE;
  m_DragStart = point;
  SetCapture();
}

void CSkinableDialog::OnMouseMove(UINT flags, CPoint point) {
  if (!m_Dragging) return CWnd::OnMouseMove(flags, point);
  CRect r;
  GetWindowRect(&r);
  if (GetStyle() & WS_CHILD) GetParent()->ScreenToClient(&r);
  SetWindowPos(nullptr, r.left + point.x - m_DragStart.x, r.top + point.y - m_DragStart.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
}

void CSkinableDialog::OnLButtonUp(UINT flags, CPoint point) {
  if (!m_Dragging) return CWnd::OnLButtonUp(flags, point);
  m_Dragging = FALSE;
  ::ReleaseCapture();
}
