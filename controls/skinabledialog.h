// CSkinableDialog: a dialog whose window shape is cut from a bitmap (every pixel not of the
// transparent colour belongs to it) and which can be dragged by any point; CSkinBitmap is the
// skin with its palette and the region building.
#pragma once

#include "framework/ui.h"

class CSkinBitmap {
public:
  CSkinBitmap() = default;
  ~CSkinBitmap() { Free(); }
  CSkinBitmap(const CSkinBitmap&) = delete;
  CSkinBitmap& operator=(const CSkinBitmap&) = delete;

  // The bitmap resource as a DIB section (owned by this object); null when there is none.
  HBITMAP LoadFromResource(UINT id);
  // The region of the pixels that are not within `tolerance` of the transparent colour on
  // every channel; the caller owns it. Null when the bitmap cannot be read.
  static HRGN MakeRegion(HBITMAP bitmap, COLORREF transparent, COLORREF tolerance);
  // Makes the bitmap `width` pixels wide when it is narrower: its left and right halves stay
  // as they are and its middle column fills the space between them, so rounded ends keep
  // their shape. FALSE when there is no bitmap or the wider one cannot be made.
  BOOL Widen(int width);
  // Draws at (0, 0): at its natural size when width and height are 0, else stretched.
  void Draw(CDC* dc, int width, int height);

  HBITMAP GetHandle() const { return bitmap_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  BOOL IsReady() const { return ready_; }
  void Free();

private:
  HBITMAP bitmap_ = nullptr;
  HPALETTE palette_ = nullptr;
  int width_ = 0, height_ = 0;
  BOOL ready_ = FALSE;
};

class CSkinableDialog : public CDialog {
public:
  CSkinableDialog(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}
  ~CSkinableDialog() override;

  // Loads the skin, cuts the window to it and sizes the window to the region's bounds; FALSE
  // when the bitmap or the region cannot be made (the window keeps its shape). A width above
  // the bitmap's widens the skin to it first (CSkinBitmap::Widen).
  BOOL SetSkin(UINT bitmapId, COLORREF transparent, int width = 0);

protected:
  BOOL OnInitDialog() override { return CDialog::OnInitDialog(); }
  void OnPaint();
  void OnLButtonDown(UINT flags, CPoint point);
  void OnLButtonUp(UINT flags, CPoint point);
  void OnMouseMove(UINT flags, CPoint point);
  DECLARE_MESSAGE_MAP()

  CSkinBitmap m_Skin;

private:
  BOOL m_Dragging = FALSE;
  CPoint m_DragStart;
};
