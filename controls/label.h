// CLabel: a static text that paints itself: colours, a solid or gradient background, its own
// font, 3D text, flashing, a hover highlight and link behaviour. Setters return the label, so a
// dialog configures it in one chain after attaching it:
//   m_title.SetTransparent(TRUE).SetFontName("Tahoma").SetFontSize(14).SetTextColor(0);
#pragma once

#include "framework/gdi.h"
#include "framework/msgmap.h"
#include "framework/static.h"
#include "framework/tooltip.h"

class CLabel : public CStatic {
public:
  // The WM_NOTIFY code a link label sends its parent when clicked with notify-parent on.
  static constexpr UINT kLinkClicked = 0x8200;
  static constexpr UINT_PTR kFlashTimer = 1;

  CLabel();
  ~CLabel() override = default;

  virtual CLabel& SetBkColor(COLORREF colour, COLORREF gradientColour = 0, int gradientMode = 0);
  virtual CLabel& SetTextColor(COLORREF colour);
  virtual CLabel& SetText(const CString& text);
  virtual CLabel& SetFontBold(BOOL bold);
  virtual CLabel& SetFontName(const CString& face, BYTE charSet = ANSI_CHARSET);
  virtual CLabel& SetFontUnderline(BOOL underline);
  virtual CLabel& SetFontItalic(BOOL italic);
  virtual CLabel& SetFontSize(int points);
  virtual CLabel& SetHoverColor(BOOL enable, COLORREF colour);
  virtual CLabel& SetSunken(BOOL sunken);
  virtual CLabel& SetBorder(BOOL border);
  virtual CLabel& SetTransparent(BOOL transparent);
  virtual CLabel& FlashText(BOOL flash);
  virtual CLabel& FlashBackground(BOOL flash);
  virtual CLabel& SetLink(BOOL link, BOOL notifyParent);
  virtual CLabel& SetLinkCursor(HCURSOR cursor);
  virtual CLabel& SetText3D(BOOL enable, int style = 0);
  virtual CLabel& SetRotationAngle(int degrees, BOOL rotate);
  virtual CLabel& SetText3DHiliteColor(COLORREF colour);

  const LOGFONTA& GetLabelFont() const { return logFont_; }
  COLORREF GetTextColor() const { return textColour_; }
  BOOL IsTransparent() const { return transparent_; }
  BOOL GetFlashPhase() const { return flashPhase_; }

protected:
  void PreSubclassWindow() override;
  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  void OnTimer(UINT_PTR id);
  void OnLButtonDown(UINT flags, CPoint point);
  BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
  void OnSysColorChange();
  void OnPaint();
  void OnMouseMove(UINT flags, CPoint point);
  DECLARE_MESSAGE_MAP()

  // Vertical bands from left to right, from `from` to `to`; at most one band per pixel column.
  static void PaintGradient(CDC* dc, const CRect& rect, COLORREF from, COLORREF to, int bands);

private:
  void RedrawSurface();
  void RebuildFont();
  void TrackMouse(DWORD flags);

  COLORREF textColour_;
  COLORREF hiliteColour_ = 0xFFFFFF;
  CBrush faceBrush_;
  CBrush bkBrush_;
  LOGFONTA logFont_ = {};
  CFont font_;
  BOOL flashPhase_ = FALSE;
  BOOL timerRunning_ = FALSE;
  BOOL link_ = TRUE;
  BOOL transparent_ = FALSE;
  BOOL text3D_ = FALSE;
  BOOL notifyParent_ = FALSE;
  BOOL rotation_ = FALSE;
  BOOL trackingArmed_ = FALSE;
  int flashMode_ = 0;  // 0 none, 1 text, 2 background
  HCURSOR linkCursor_ = nullptr;
  int style3D_ = 0;
  int gradientMode_ = 0;
  COLORREF gradientColour_ = 0;
  COLORREF bkColour_ = 0;
  COLORREF hoverColour_ = 0xFF0000;
  COLORREF savedTextColour_;
  BOOL hoverHighlight_ = FALSE;
  CToolTipCtrl tooltip_;
};
