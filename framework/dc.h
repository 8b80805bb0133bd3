// Device contexts: CDC (a memory DC it made, or a view of any HDC), and the paint, client
// and window DCs that give their handle back in the destructor.
#pragma once

#include <windows.h>

#include "framework/cstring.h"
#include "framework/gdi.h"
#include "framework/types.h"

class CWnd;

class CDC {
public:
  CDC() = default;
  // A view of a DC that someone else owns (for example the DC of a WM_DRAWITEM request).
  explicit CDC(HDC hdc) : hdc_(hdc) {}
  virtual ~CDC() { DeleteDC(); }
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  HDC GetSafeHdc() const { return hdc_; }
  operator HDC() const { return hdc_; }
  // A memory DC compatible with dc (the screen when null), owned and counted.
  BOOL CreateCompatibleDC(CDC* dc);
  // Frees a memory DC made here; a view is only forgotten.
  BOOL DeleteDC();
  void Attach(HDC hdc);
  HDC Detach();

  // Selecting gives back the handle that was selected before, to select again afterwards.
  HPEN SelectObject(CPen* pen) { return static_cast<HPEN>(::SelectObject(hdc_, *pen)); }
  HBRUSH SelectObject(CBrush* brush) { return static_cast<HBRUSH>(::SelectObject(hdc_, *brush)); }
  HFONT SelectObject(CFont* font) { return static_cast<HFONT>(::SelectObject(hdc_, *font)); }
  HBITMAP SelectObject(CBitmap* bitmap) { return static_cast<HBITMAP>(::SelectObject(hdc_, *bitmap)); }
  HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(hdc_, object); }
  HGDIOBJ SelectStockObject(int index) { return ::SelectObject(hdc_, ::GetStockObject(index)); }

  int SaveDC() { return ::SaveDC(hdc_); }
  BOOL RestoreDC(int saved) { return ::RestoreDC(hdc_, saved); }

  COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(hdc_, c); }
  COLORREF GetTextColor() const { return ::GetTextColor(hdc_); }
  COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(hdc_, c); }
  COLORREF GetBkColor() const { return ::GetBkColor(hdc_); }
  int SetBkMode(int mode) { return ::SetBkMode(hdc_, mode); }
  UINT SetTextAlign(UINT align) { return ::SetTextAlign(hdc_, align); }
  CPoint SetViewportOrg(int x, int y) {
    POINT old = {0, 0};
    ::SetViewportOrgEx(hdc_, x, y, &old);
    return old;
  }
  CPoint SetViewportOrg(POINT p) { return SetViewportOrg(p.x, p.y); }
  CPoint SetWindowOrg(int x, int y) {
    POINT old = {0, 0};
    ::SetWindowOrgEx(hdc_, x, y, &old);
    return old;
  }
  int GetMapMode() const { return ::GetMapMode(hdc_); }
  int SetMapMode(int mode) { return ::SetMapMode(hdc_, mode); }
  int GetDeviceCaps(int index) const { return ::GetDeviceCaps(hdc_, index); }
  BOOL DPtoLP(LPPOINT points, int count = 1) const { return ::DPtoLP(hdc_, points, count); }
  BOOL LPtoDP(LPPOINT points, int count = 1) const { return ::LPtoDP(hdc_, points, count); }

  int IntersectClipRect(LPCRECT r) { return ::IntersectClipRect(hdc_, r->left, r->top, r->right, r->bottom); }
  int GetClipBox(LPRECT r) const { return ::GetClipBox(hdc_, r); }

  // Fills with a colour without making a brush.
  void FillSolidRect(LPCRECT r, COLORREF colour);
  void FillSolidRect(int x, int y, int cx, int cy, COLORREF colour);
  int FillRect(LPCRECT r, HBRUSH brush) { return ::FillRect(hdc_, r, brush); }
  int FrameRect(LPCRECT r, HBRUSH brush) { return ::FrameRect(hdc_, r, brush); }
  // Top and left edges in one colour, bottom and right in the other, one pixel wide.
  void Draw3dRect(LPCRECT r, COLORREF topLeft, COLORREF bottomRight);
  BOOL DrawFocusRect(LPCRECT r) { return ::DrawFocusRect(hdc_, r); }
  BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(hdc_, l, t, r, b); }
  BOOL Rectangle(LPCRECT r) { return Rectangle(r->left, r->top, r->right, r->bottom); }
  CPoint MoveTo(int x, int y) {
    POINT old = {0, 0};
    ::MoveToEx(hdc_, x, y, &old);
    return old;
  }
  BOOL LineTo(int x, int y) { return ::LineTo(hdc_, x, y); }
  COLORREF GetPixel(int x, int y) const { return ::GetPixel(hdc_, x, y); }
  COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(hdc_, x, y, c); }

  int DrawText(const char* text, int length, LPRECT r, UINT format) {
    return ::DrawTextA(hdc_, text, length, r, format);
  }
  int DrawText(const CString& text, LPRECT r, UINT format) {
    return ::DrawTextA(hdc_, text, text.GetLength(), r, format);
  }
  BOOL TextOut(int x, int y, const CString& text) { return ::TextOutA(hdc_, x, y, text, text.GetLength()); }
  CSize GetTextExtent(const char* text, int length) const;
  CSize GetTextExtent(const CString& text) const { return GetTextExtent(text, text.GetLength()); }
  BOOL GetTextMetrics(TEXTMETRICA* tm) const { return ::GetTextMetricsA(hdc_, tm); }

  BOOL BitBlt(int x, int y, int cx, int cy, CDC* src, int sx, int sy, DWORD rop) {
    return ::BitBlt(hdc_, x, y, cx, cy, src ? src->hdc_ : nullptr, sx, sy, rop);
  }
  BOOL StretchBlt(int x, int y, int cx, int cy, CDC* src, int sx, int sy, int scx, int scy, DWORD rop) {
    return ::StretchBlt(hdc_, x, y, cx, cy, src->hdc_, sx, sy, scx, scy, rop);
  }
  int SetStretchBltMode(int mode) { return ::SetStretchBltMode(hdc_, mode); }
  BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(hdc_, x, y, icon); }
  // An icon at (x, y) of cx by cy pixels, with the disabled look when asked for.
  BOOL DrawIconState(int x, int y, int cx, int cy, HICON icon, bool disabled) {
    return ::DrawStateA(hdc_, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, cx, cy,
                        DST_ICON | (disabled ? DSS_DISABLED : DSS_NORMAL));
  }

protected:
  enum class Owner { None, Memory, Window, Paint };
  HDC hdc_ = nullptr;
  Owner owner_ = Owner::None;
};

class CPaintDC : public CDC {
public:
  explicit CPaintDC(CWnd* wnd);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps = {};

private:
  HWND hwnd_;
};

class CClientDC : public CDC {
public:
  explicit CClientDC(CWnd* wnd);  // null: the screen
  ~CClientDC() override;

protected:
  HWND hwnd_;
};

class CWindowDC : public CDC {
public:
  explicit CWindowDC(CWnd* wnd);
  ~CWindowDC() override;

private:
  HWND hwnd_;
};
