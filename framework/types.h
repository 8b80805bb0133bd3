// CPoint, CSize and CRect: the POINT, SIZE and RECT records with a few handy members.
#pragma once

#include <windows.h>

class CPoint : public POINT {
public:
  CPoint() { x = y = 0; }
  CPoint(int px, int py) { x = px, y = py; }
  CPoint(POINT p) { x = p.x, y = p.y; }
  // The point packed into an lParam of a mouse message (signed words).
  explicit CPoint(LPARAM lParam) {
    x = static_cast<short>(LOWORD(lParam));
    y = static_cast<short>(HIWORD(lParam));
  }
  void Offset(int dx, int dy) { x += dx, y += dy; }
  bool operator==(POINT p) const { return x == p.x && y == p.y; }
  bool operator!=(POINT p) const { return !(*this == p); }
};

class CSize : public SIZE {
public:
  CSize() { cx = cy = 0; }
  CSize(int w, int h) { cx = w, cy = h; }
  CSize(SIZE s) { cx = s.cx, cy = s.cy; }
  bool operator==(SIZE s) const { return cx == s.cx && cy == s.cy; }
};

class CRect : public RECT {
public:
  CRect() { left = top = right = bottom = 0; }
  CRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
  CRect(const RECT& r) { left = r.left, top = r.top, right = r.right, bottom = r.bottom; }
  CRect(POINT topLeft, SIZE size) {
    left = topLeft.x, top = topLeft.y, right = left + size.cx, bottom = top + size.cy;
  }

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return CSize(Width(), Height()); }
  CPoint TopLeft() const { return CPoint(left, top); }
  CPoint BottomRight() const { return CPoint(right, bottom); }
  CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
  bool IsRectEmpty() const { return right <= left || bottom <= top; }
  bool PtInRect(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

  operator LPRECT() { return this; }
  operator LPCRECT() const { return this; }

  void SetRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
  void OffsetRect(int dx, int dy) { left += dx, right += dx, top += dy, bottom += dy; }
  void OffsetRect(POINT p) { OffsetRect(p.x, p.y); }
  void InflateRect(int dx, int dy) { left -= dx, right += dx, top -= dy, bottom += dy; }
  void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
  void DeflateRect(int l, int t, int r, int b) { left += l, top += t, right -= r, bottom -= b; }
  void MoveToXY(int x, int y) { OffsetRect(x - left, y - top); }
  bool operator==(const RECT& r) const {
    return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
  }
  bool operator!=(const RECT& r) const { return !(*this == r); }
};
