// CButtonST: a push button (or check box) that draws itself: flat until the mouse is over it,
// an icon beside its caption with a second icon for the idle state (by default a darker copy
// of the first), a tooltip, and a transparent mode that shows the parent's background.
#pragma once

#include "controls/bcmenu.h"
#include "framework/button.h"
#include "framework/dc.h"
#include "framework/gdi.h"
#include "framework/msgmap.h"
#include "framework/tooltip.h"

class CButtonST : public CButton {
public:
  // Results of the setters.
  enum : DWORD { BTNST_OK = 0, BTNST_INVALIDRESOURCE = 1, BTNST_INVALIDALIGN = 4, BTNST_INVALIDPRESSEDSTYLE = 6 };
  // Idle icon choices of SetIcon besides a resource id.
  static constexpr UINT BTNST_AUTO_DARKER = static_cast<UINT>(-3);
  static constexpr UINT BTNST_AUTO_GRAY = static_cast<UINT>(-2);
  enum : BYTE { ST_ALIGN_HORIZ = 0, ST_ALIGN_VERT = 1, ST_ALIGN_HORIZ_RIGHT = 2, ST_ALIGN_OVERLAP = 3 };
  enum : BYTE { BTNST_PRESSED_LEFTRIGHT = 0, BTNST_PRESSED_TOPBOTTOM = 1 };
  // Colour slots of SetColor: background and text for mouse in, mouse out and focus.
  enum : BYTE { BTNST_COLOR_BK_IN, BTNST_COLOR_FG_IN, BTNST_COLOR_BK_OUT, BTNST_COLOR_FG_OUT, BTNST_COLOR_BK_FOCUS,
                BTNST_COLOR_FG_FOCUS, BTNST_MAX_COLORS };

  CButtonST();
  ~CButtonST() override;

  // The icon resource and the idle icon: BTNST_AUTO_DARKER, BTNST_AUTO_GRAY, 0 for none or
  // another icon resource. BTNST_INVALIDRESOURCE (and no icons) when an icon cannot be examined.
  DWORD SetIcon(UINT iconId, UINT idleIconId = 0);
  void SetTooltipText(const char* text, BOOL activate = TRUE);
  DWORD SetAlign(BYTE align, BOOL repaint = TRUE);
  // Switches transparent mode on; the next paint copies the parent's pixels afresh.
  void SetTransparent(BOOL repaint = FALSE);
  DWORD SetPressedStyle(BYTE style, BOOL repaint = TRUE);
  void SetDefaultColors(BOOL repaint = TRUE);
  DWORD SetColor(BYTE slot, COLORREF colour, BOOL repaint = TRUE);
  void SetCheck(BOOL check, BOOL repaint = TRUE);
  BOOL GetCheck() const { return checked_; }
  void SetFlat(BOOL flat = TRUE, BOOL repaint = TRUE);
  void SetLinkCursor(HCURSOR cursor) { linkCursor_ = cursor; }
  // A web address or file a click opens (up to 259 bytes; empty clears it).
  DWORD SetURL(const char* url);
  // A drop-down menu: popup 0 of the menu resource, shown under the button on a click; the
  // chosen command goes to the owner as WM_COMMAND. 0 removes the menu.
  DWORD SetMenu(UINT menuId, HWND owner, BOOL repaint = TRUE);
  BOOL IsMenuShown() const { return menuShown_; }
  BCMenu& GetMenu() { return menu_; }
  // Sound files played on a click and when the mouse enters (null or empty: none).
  void SetSounds(const char* clickSound, const char* hoverSound);
  // Bitmap resources with their transparent colours, drawn like the icons.
  DWORD SetBitmaps(UINT bitmapId, COLORREF transparent, UINT idleBitmapId = 0, COLORREF idleTransparent = 0);

  BOOL IsMouseOver() const { return mouseOver_; }
  BOOL IsDefault() const { return isDefault_; }
  BOOL IsCheckBox() const { return isCheckBox_; }
  BYTE GetAlign() const { return align_; }
  CToolTipCtrl& GetToolTip() { return tooltip_; }

protected:
  void PreSubclassWindow() override;
  BOOL PreTranslateMessage(MSG* msg) override;
  void DrawItem(LPDRAWITEMSTRUCT dis) override;

  virtual DWORD OnDrawBackground(CDC* dc, CRect* rect);
  virtual DWORD OnDrawBorder(CDC* dc, CRect* rect);
  virtual void DrawTheIcon(CDC* dc, BOOL hasTitle, const RECT* item, CRect* caption, BOOL pressed, BOOL disabled);
  virtual void DrawTheBitmap(CDC* dc, BOOL hasTitle, const RECT* item, CRect* caption, BOOL pressed, BOOL disabled);
  virtual void DrawTheText(CDC* dc, const char* title, const RECT* item, CRect* caption, BOOL pressed,
                           BOOL disabled);

  LRESULT OnSetStyle(WPARAM wParam, LPARAM lParam);
  LRESULT OnGetCheckMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetCheckMessage(WPARAM wParam, LPARAM lParam);
  UINT OnGetDlgCode();
  HBRUSH CtlColor(CDC* dc, UINT ctlColor);
  void OnMouseMove(UINT flags, CPoint point);
  void OnMouseLeave();
  void OnKillFocus(CWnd* newWnd);
  void OnActivate(UINT state, CWnd* other, BOOL minimized);
  void OnCancelMode();
  void OnEnable(BOOL enable);
  BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
  void OnSysColorChange();
  BOOL OnClicked();
  LRESULT OnMenuDrawItem(WPARAM wParam, LPARAM lParam);
  LRESULT OnMenuMeasureItem(WPARAM wParam, LPARAM lParam);
  LRESULT OnMenuChar(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

private:
  struct Image {
    CIcon icon;
    CBitmap bitmap;
    COLORREF transparent = 0;
    int width = 0, height = 0;
  };
  void FreeImages();
  BOOL TakeIcons(HICON in, HICON out);
  void PrepareImageRect(BOOL hasTitle, const RECT* item, CRect* caption, BOOL pressed, int w, int h, CRect* image);
  void CancelHover();
  void PaintBk(CDC* dc);
  void DropCachedBackground();
  void InitToolTip();
  // The image shown now: the first one, or the idle one when there is one and the button rests.
  int ImageIndex(BOOL pressed, bool haveIdle) const;

  CPoint margin_{3, 3};
  CPoint pressedOffset_{1, 1};
  BOOL flat_ = TRUE;
  BOOL mouseOver_ = FALSE;
  BOOL transparent_ = FALSE;
  BOOL isPressed_ = FALSE;
  BOOL hasFocus_ = FALSE;
  BOOL disabled_ = FALSE;
  BOOL isDefault_ = FALSE;
  BOOL isCheckBox_ = FALSE;
  BYTE align_ = ST_ALIGN_HORIZ;
  BOOL drawBorder_ = TRUE;
  BOOL drawFlatFocus_ = FALSE;
  COLORREF colours_[BTNST_MAX_COLORS] = {};
  HCURSOR linkCursor_ = nullptr;
  CToolTipCtrl tooltip_;
  CDC bkDC_;
  CBitmap bkBitmap_;
  HBITMAP bkOldBitmap_ = nullptr;
  BOOL trackAlways_ = TRUE;
  BOOL checked_ = FALSE;
  UINT buttonType_ = 15;
  CString url_;
  Image images_[2];
  CString clickSound_, hoverSound_;
  BCMenu menu_;
  BOOL menuShown_ = FALSE;
  HWND menuOwner_ = nullptr;
};

// A copy of the icon in which every non-black pixel is darker (each channel x 0.75) or grey
// (0.299 R + 0.587 G + 0.114 B); the icon's mask is kept. Null when the icon cannot be read.
HICON CreateDarkerIcon(HICON icon);
HICON CreateGrayscaleIcon(HICON icon);
