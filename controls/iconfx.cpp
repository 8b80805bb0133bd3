// Darker and grey copies of an icon for the idle state of icon buttons.
#include <windows.h>

#include <vector>

#include "controls/buttonst.h"
#include "framework/gdi.h"

namespace {
// Applies change to every pixel of the icon's colour bitmap that is not black; the mask is kept.
template <class Change>
HICON TransformIcon(HICON source, Change change) {
  ICONINFO info = {};
  if (!source || !::GetIconInfo(source, &info)) return nullptr;
  // GetIconInfo hands out two bitmaps that are the caller's to free.
  CBitmap colour, mask;
  colour.Attach(info.hbmColor);
  mask.Attach(info.hbmMask);
  BITMAP bm = {};
  if (!colour.GetSafeHandle() || !colour.GetBitmap(&bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return nullptr;

  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = bm.bmWidth;
  bi.bmiHeader.biHeight = -bm.bmHeight;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> pixels(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
  HDC screen = ::GetDC(nullptr);
  int rows = ::GetDIBits(screen, colour, 0, bm.bmHeight, pixels.data(), &bi, DIB_RGB_COLORS);
  HICON result = nullptr;
  if (rows == bm.bmHeight) {
    for (DWORD& p : pixels) {
      if ((p & 0xFFFFFF) == 0) continue;
      BYTE b = p & 0xFF, g = (p >> 8) & 0xFF, r = (p >> 16) & 0xFF;
      change(r, g, b);
      p = (p & 0xFF000000) | (static_cast<DWORD>(r) << 16) | (static_cast<DWORD>(g) << 8) | b;
    }
    CBitmap changed;
    if (changed.Attach(::CreateBitmap(bm.bmWidth, bm.bmHeight, bm.bmPlanes, bm.bmBitsPixel, nullptr)) &&
        ::SetDIBits(screen, changed, 0, bm.bmHeight, pixels.data(), &bi, DIB_RGB_COLORS) == bm.bmHeight) {
      ICONINFO made = info;
      made.hbmColor = changed;
      made.hbmMask = mask;
      result = ::CreateIconIndirect(&made);
    }
  }
  ::ReleaseDC(nullptr, screen);
  return result;
}
}  // namespace

HICON CreateDarkerIcon(HICON icon) {
  return TransformIcon(icon, [](BYTE& r, BYTE& g, BYTE& b) {
    r = static_cast<BYTE>(r * 3 / 4);
    g = static_cast<BYTE>(g * 3 / 4);
    b = static_cast<BYTE>(b * 3 / 4);
  });
}

HICON CreateGrayscaleIcon(HICON icon) {
  return TransformIcon(icon, [](BYTE& r, BYTE& g, BYTE& b) {
    BYTE grey = static_cast<BYTE>(0.299 * r + 0.587 * g + 0.114 * b);
    r = g = b = grey;
  });
}
