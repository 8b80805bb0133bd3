// CTextDispCtrl: a read-only child window that shows one block of word-wrapped text, drawn once
// into an off-screen bitmap whenever the text changes, so painting never flickers.
#pragma once

#include "framework/dc.h"
#include "framework/gdi.h"
#include "framework/msgmap.h"
#include "framework/window.h"

class CTextDispCtrl : public CWnd {
public:
  CTextDispCtrl() = default;
  ~CTextDispCtrl() override;

  // Creates the window (sunken client edge) and its client-sized off-screen bitmap, filled with
  // the background colour; FALSE when the window or a drawing resource cannot be made.
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  // A point font (size in tenths of a point) of the face; a face that fails keeps the earlier
  // font. TRUE once any call has succeeded.
  BOOL SetTextFont(int pointSizeTenths, const CString& face);
  void SetLineSpacing(int spacing) { lineSpacing_ = spacing; }
  int GetLineSpacing() const { return lineSpacing_; }
  // Redraws the bitmap with the text. A text set before the window exists is kept and drawn
  // when it is created.
  void SetText(const CString& text);
  const CString& GetText() const { return text_; }

  // The text rectangle inside a client rectangle: 5 pixels in from the left and top, 10 from
  // the right and bottom.
  static CRect TextRect(const CRect& client);

protected:
  void OnPaint();
  DECLARE_MESSAGE_MAP()

private:
  void Redraw();
  void FreeSurface();

  COLORREF textColour_ = 0;
  COLORREF backColour_ = 0xFFFFFF;
  CFont font_;
  BOOL fontInUse_ = FALSE;
  int lineSpacing_ = 16;  // kept for callers; the drawing spaces lines by the font
  CRect client_;
  CDC memDC_;
  CBitmap bitmap_;
  HBITMAP oldBitmap_ = nullptr;
  CString text_;
};
