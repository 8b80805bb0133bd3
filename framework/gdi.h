// Owners of GDI objects (pens, brushes, fonts, bitmaps, regions) and icons. Each frees its
// handle in the destructor, and every owned handle is counted, so tests can prove that a
// window gives back all it made (the system's own GDI counter reads 0 under Wine).
#pragma once

#include <windows.h>

class CDC;

// How many handles the owners of this process hold at this moment.
struct GdiLiveCounts {
  int objects = 0;  // pens, brushes, fonts, bitmaps, regions, palettes
  int dcs = 0;      // memory DCs and DCs borrowed from windows (GetDC, BeginPaint)
  int icons = 0;
  bool operator==(const GdiLiveCounts& o) const {
    return objects == o.objects && dcs == o.dcs && icons == o.icons;
  }
};
GdiLiveCounts AfxGetGdiLiveCounts();

namespace gdi_count {
void Objects(int delta);
void Dcs(int delta);
void Icons(int delta);
}  // namespace gdi_count

class CGdiObject {
public:
  CGdiObject() = default;
  virtual ~CGdiObject() { DeleteObject(); }
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  HGDIOBJ GetSafeHandle() const { return handle_; }
  // Takes ownership of a handle made elsewhere (it is then counted and freed here).
  BOOL Attach(HGDIOBJ handle);
  // Gives the handle up without freeing it.
  HGDIOBJ Detach();
  BOOL DeleteObject();
  int GetObject(int size, void* buffer) const { return ::GetObjectA(handle_, size, buffer); }

protected:
  HGDIOBJ handle_ = nullptr;
};

class CPen : public CGdiObject {
public:
  CPen() = default;
  CPen(int style, int width, COLORREF colour) { CreatePen(style, width, colour); }
  BOOL CreatePen(int style, int width, COLORREF colour) { return Attach(::CreatePen(style, width, colour)); }
  operator HPEN() const { return static_cast<HPEN>(handle_); }
};

class CBrush : public CGdiObject {
public:
  CBrush() = default;
  explicit CBrush(COLORREF colour) { CreateSolidBrush(colour); }
  BOOL CreateSolidBrush(COLORREF colour) { return Attach(::CreateSolidBrush(colour)); }
  operator HBRUSH() const { return static_cast<HBRUSH>(handle_); }
};

class CFont : public CGdiObject {
public:
  BOOL CreateFontIndirect(const LOGFONTA* font) { return Attach(::CreateFontIndirectA(font)); }
  // A font of pointTenths tenths of a point for the screen (or the given DC).
  BOOL CreatePointFont(int pointTenths, const char* face, CDC* dc = nullptr);
  BOOL GetLogFont(LOGFONTA* font) const { return GetObject(sizeof *font, font) != 0; }
  operator HFONT() const { return static_cast<HFONT>(handle_); }
};

class CBitmap : public CGdiObject {
public:
  BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
  BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    return Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
  }
  BOOL LoadBitmap(UINT id);
  BOOL GetBitmap(BITMAP* info) const { return GetObject(sizeof *info, info) != 0; }
  operator HBITMAP() const { return static_cast<HBITMAP>(handle_); }
};

class CRgn : public CGdiObject {
public:
  BOOL CreateRectRgn(int l, int t, int r, int b) { return Attach(::CreateRectRgn(l, t, r, b)); }
  operator HRGN() const { return static_cast<HRGN>(handle_); }
};

// An icon handle owner (DestroyIcon in the destructor).
class CIcon {
public:
  CIcon() = default;
  ~CIcon() { Destroy(); }
  CIcon(const CIcon&) = delete;
  CIcon& operator=(const CIcon&) = delete;

  // Loads an icon resource of the program at its own size (cx = cy = 0) or the given size.
  BOOL Load(UINT id, int cx = 0, int cy = 0);
  BOOL Attach(HICON icon);
  HICON Detach();
  void Destroy();
  HICON GetSafeHandle() const { return icon_; }
  operator HICON() const { return icon_; }

private:
  HICON icon_ = nullptr;
};
