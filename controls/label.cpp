// The self-painting label.
#include "controls/label.h"

#include <shellapi.h>

#include <algorithm>

#include "controls/fontunits.h"
#include "framework/dc.h"

BEGIN_MESSAGE_MAP(CLabel, CStatic)
  ON_WM_TIMER()
  ON_WM_LBUTTONDOWN()
  ON_WM_SETCURSOR()
  ON_WM_SYSCOLORCHANGE()
  ON_WM_PAINT()
  ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

CLabel::CLabel() : textColour_(::GetSysColor(COLOR_WINDOWTEXT)), savedTextColour_(textColour_) {
  faceBrush_.CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
}

void CLabel::PreSubclassWindow() {
  CStatic::PreSubclassWindow();
  HFONT font = GetFont();
  // A control without a font of its own draws with the system's GUI font.
  if (!font) font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  ::GetObjectA(font, sizeof logFont_, &logFont_);
  font_.CreateFontIndirect(&logFont_);
  SetFontName("Lucida Sans", 0);
  SetFontSize(8);
  CRect rc;
  GetClientRect(&rc);
  ScaleRectToFont(&rc, 4, 6, 13, this);
  SetWindowPos(nullptr, 0, 0, rc.Width(), rc.Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CLabel::PreCreateWindow(CREATESTRUCTA& cs) { return CStatic::PreCreateWindow(cs); }

BOOL CLabel::PreTranslateMessage(MSG* msg) {
  if (!tooltip_.m_hWnd && tooltip_.Create(this)) {
    tooltip_.Activate(FALSE);
    tooltip_.SetMaxTipWidth(400);
  }
  if (tooltip_.m_hWnd) tooltip_.RelayEvent(msg);
  return CStatic::PreTranslateMessage(msg);
}

LRESULT CLabel::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEHOVER && hoverHighlight_) {
    SetFontUnderline(TRUE);
    savedTextColour_ = textColour_;
    SetTextColor(hoverColour_);
  } else if (message == WM_MOUSELEAVE) {
    TrackMouse(TME_HOVER);
    trackingArmed_ = FALSE;
    if (hoverHighlight_) {
      SetFontUnderline(FALSE);
      SetTextColor(savedTextColour_);
    }
  }
  LRESULT result = CStatic::WindowProc(message, wParam, lParam);
  // The static control draws its own look right away when its text or state changes.
  if (message == WM_SETTEXT || message == WM_ENABLE) Invalidate();
  return result;
}

void CLabel::TrackMouse(DWORD flags) {
  TRACKMOUSEEVENT tme = {sizeof tme, flags, m_hWnd, 50};
  ::TrackMouseEvent(&tme);
}

void CLabel::RedrawSurface() {
  if (!m_hWnd) return;
  RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  CWnd* parent = GetParent();
  if (!parent) return;
  // A transparent label shows the parent's fresh pixels.
  CRect rc;
  GetWindowRect(&rc);
  parent->ScreenToClient(&rc);
  parent->InvalidateRect(&rc, TRUE);
  parent->UpdateWindow();
}

void CLabel::RebuildFont() {
  font_.DeleteObject();
  font_.CreateFontIndirect(&logFont_);
}

CLabel& CLabel::SetBkColor(COLORREF colour, COLORREF gradientColour, int gradientMode) {
  bkColour_ = colour;
  gradientColour_ = gradientColour;
  gradientMode_ = gradientMode;
  bkBrush_.DeleteObject();
  if (gradientMode == 0) bkBrush_.CreateSolidBrush(colour);
  RedrawSurface();
  return *this;
}

CLabel& CLabel::SetTextColor(COLORREF colour) {
  textColour_ = colour;
  RedrawSurface();
  return *this;
}

CLabel& CLabel::SetText(const CString& text) {
  SetWindowText(text);
  RedrawSurface();
  return *this;
}

CLabel& CLabel::SetFontBold(BOOL bold) {
  logFont_.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  RebuildFont();
  RedrawSurface();
  return *this;
}

CLabel& CLabel::SetFontName(const CString& face, BYTE charSet) {
  logFont_.lfCharSet = charSet;
  lstrcpynA(logFont_.lfFaceName, face, LF_FACESIZE);
  RebuildFont();
  RedrawSurface();
  return *this;
}

CLabel& CLabel::SetFontUnderline(BOOL underline) {
  logFont_.lfUnderline = underline ? 1 : 0;
  RebuildFont();
  RedrawSurface();
  return *this;
}

CLabel& CLabel::SetFontItalic(BOOL italic) {
  logFont_.lfItalic = italic ? 1 : 0;
  RebuildFont();
  RedrawSurface();
  return *this;
}

CLabel& CLabel::SetFontSize(int points) {
  int pixels = points * 10 * 96 / 720;
  CClientDC screen(nullptr);
  POINT pt = {0, pixels}, origin = {0, 0};
  screen.DPtoLP(&pt);
  screen.DPtoLP(&origin);
  LOGFONTA probe = {};
  probe.lfHeight = -abs(pt.y - origin.y);
  probe.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(probe.lfFaceName, logFont_.lfFaceName, LF_FACESIZE);
  CFont probeFont;
  if (probeFont.CreateFontIndirect(&probe)) probeFont.GetLogFont(&probe);
  logFont_.lfHeight = probe.lfHeight;
  logFont_.lfWidth = probe.lfWidth;
  RebuildFont();
  RedrawSurface();
  return *this;
}

CLabel& CLabel::SetHoverColor(BOOL enable, COLORREF colour) {
  hoverHighlight_ = enable;
  hoverColour_ = colour;
  return *this;
}

CLabel& CLabel::SetSunken(BOOL sunken) {
  if (sunken) {
    ModifyStyleEx(0, WS_EX_STATICEDGE, SWP_DRAWFRAME);
  } else {
    ModifyStyleEx(WS_EX_STATICEDGE, 0, SWP_DRAWFRAME);
  }
  return *this;
}

CLabel& CLabel::SetBorder(BOOL border) {
  if (border) {
    ModifyStyle(0, WS_BORDER, SWP_DRAWFRAME);
  } else {
    ModifyStyle(WS_BORDER, 0, SWP_DRAWFRAME);
  }
  return *this;
}

CLabel& CLabel::SetTransparent(BOOL transparent) {
  transparent_ = transparent;
  if (m_hWnd) ModifyStyleEx(0, WS_EX_TRANSPARENT);
  RedrawSurface();
  return *this;
}

CLabel& CLabel::FlashText(BOOL flash) {
  if (flash) {
    if (timerRunning_) KillTimer(kFlashTimer);
    flashPhase_ = FALSE;
    timerRunning_ = TRUE;
    SetTimer(kFlashTimer, 500);
    flashMode_ = 1;
  } else {
    if (timerRunning_) KillTimer(kFlashTimer);
    timerRunning_ = FALSE;
    flashMode_ = 0;
    // Stopped in the dark phase, the text would stay invisible until the next paint.
    if (m_hWnd) Invalidate();
  }
  return *this;
}

CLabel& CLabel::FlashBackground(BOOL flash) {
  if (flash) {
    if (timerRunning_) KillTimer(kFlashTimer);
    flashPhase_ = FALSE;
    timerRunning_ = TRUE;
    SetTimer(kFlashTimer, 500);
    flashMode_ = 2;
  } else if (timerRunning_) {
    KillTimer(kFlashTimer);
    timerRunning_ = FALSE;
  }
  return *this;
}

CLabel& CLabel::SetLink(BOOL link, BOOL notifyParent) {
  link_ = link;
  notifyParent_ = notifyParent;
  if (m_hWnd) {
    if (link) {
      ModifyStyle(0, SS_NOTIFY);
    } else {
      ModifyStyle(SS_NOTIFY, 0);
    }
  }
  return *this;
}

CLabel& CLabel::SetLinkCursor(HCURSOR cursor) {
  linkCursor_ = cursor;
  return *this;
}

CLabel& CLabel::SetText3D(BOOL enable, int style) {
  text3D_ = enable;
  style3D_ = style;
  RedrawSurface();
  return *this;
}

CLabel& CLabel::SetRotationAngle(int degrees, BOOL rotate) {
  logFont_.lfEscapement = logFont_.lfOrientation = degrees * 10;
  rotation_ = rotate;
  RebuildFont();
  RedrawSurface();
  return *this;
}

CLabel& CLabel::SetText3DHiliteColor(COLORREF colour) {
  hiliteColour_ = colour;
  RedrawSurface();
  return *this;
}

void CLabel::OnTimer(UINT_PTR) {
  flashPhase_ = !flashPhase_;
  RedrawSurface();
}

void CLabel::OnLButtonDown(UINT flags, CPoint point) {
  if (notifyParent_) {
    NMHDR nm = {m_hWnd, static_cast<UINT_PTR>(GetDlgCtrlID()), kLinkClicked};
    ::SendMessageA(::GetParent(m_hWnd), WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
  } else {
    ::ShellExecuteA(nullptr, "open", GetWindowText(), nullptr, nullptr, SW_SHOWNORMAL);
  }
  CStatic::OnLButtonDown(flags, point);
}

BOOL CLabel::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
  if (!linkCursor_) return CStatic::OnSetCursor(wnd, hitTest, message);
  ::SetCursor(linkCursor_);
  return TRUE;
}

void CLabel::OnSysColorChange() {
  faceBrush_.DeleteObject();
  faceBrush_.CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
  RedrawSurface();
}

void CLabel::OnMouseMove(UINT flags, CPoint point) {
  if (!trackingArmed_) {
    trackingArmed_ = TRUE;
    TrackMouse(TME_HOVER | TME_LEAVE);
  }
  CStatic::OnMouseMove(flags, point);
}

void CLabel::PaintGradient(CDC* dc, const CRect& rect, COLORREF from, COLORREF to, int bands) {
  int width = rect.Width();
  int n = std::min(bands, width);
  if (n <= 0) return;  // nothing to paint on a label of no width
  int bandWidth = width / n;
  int r = GetRValue(from) << 8, g = GetGValue(from) << 8, b = GetBValue(from) << 8;
  int dr = (GetRValue(to) - GetRValue(from)) * 256 / n;
  int dg = (GetGValue(to) - GetGValue(from)) * 256 / n;
  int db = (GetBValue(to) - GetBValue(from)) * 256 / n;
  for (int i = 0; i < n; ++i) {
    int left = rect.left + i * bandWidth;
    int right = i == n - 1 ? rect.right : left + bandWidth;
    dc->FillSolidRect(CRect(left, rect.top, right, rect.bottom), RGB(r >> 8, g >> 8, b >> 8));
    r += dr, g += dg, b += db;
  }
}

void CLabel::OnPaint() {
  CPaintDC paint(this);
  CRect rc;
  GetClientRect(&rc);
  if (rc.IsRectEmpty()) return;
  CString text = GetWindowText();

  CDC memory;
  CBitmap bitmap;
  HBITMAP oldBitmap = nullptr;
  CDC* dc = &paint;
  if (!transparent_ && memory.CreateCompatibleDC(&paint) &&
      bitmap.CreateCompatibleBitmap(&paint, rc.Width(), rc.Height())) {
    oldBitmap = memory.SelectObject(&bitmap);
    dc = &memory;
  }

  int oldMode = dc->SetBkMode(TRANSPARENT);
  COLORREF oldColour = dc->SetTextColor(textColour_);
  HFONT oldFont = dc->SelectObject(&font_);

  if (!transparent_) {
    if (gradientMode_ != 0) {
      PaintGradient(dc, rc, bkColour_, gradientColour_, 100);
    } else {
      dc->FillRect(&rc, bkBrush_.GetSafeHandle() ? static_cast<HBRUSH>(bkBrush_) : static_cast<HBRUSH>(faceBrush_));
    }
  }

  if (flashMode_ == 1 && !flashPhase_) {
    LOGBRUSH lb = {};
    if (bkBrush_.GetSafeHandle()) bkBrush_.GetObject(sizeof lb, &lb);
    dc->SetTextColor(bkBrush_.GetSafeHandle() ? lb.lbColor : 0);
  }

  DWORD style = GetStyle();
  UINT format;
  switch (style & SS_TYPEMASK) {
    case SS_CENTER:
      format = DT_CENTER | DT_WORDBREAK;
      break;
    case SS_RIGHT:
      format = DT_RIGHT | DT_WORDBREAK;
      break;
    case SS_LEFTNOWORDWRAP:
      format = DT_LEFT;
      break;
    default:
      format = DT_LEFT | DT_WORDBREAK;
      break;
  }
  if (style & SS_CENTERIMAGE) {
    format = DT_CENTER;
    if (text.Find("\r\n") == -1) format |= DT_VCENTER | DT_SINGLELINE;
  }

  if (rotation_) {
    UINT oldAlign = dc->SetTextAlign(TA_BASELINE);
    CPoint oldOrigin = dc->SetViewportOrg(rc.CenterPoint());
    dc->TextOut(0, 0, text);
    dc->SetViewportOrg(oldOrigin);
    dc->SetTextAlign(oldAlign);
  } else {
    CRect textRect = rc;
    dc->DrawText(text, &textRect, format);
    if (text3D_) {
      dc->SetTextColor(hiliteColour_);
      textRect.OffsetRect(style3D_ ? 1 : -1, style3D_ ? 1 : -1);
      dc->DrawText(text, &textRect, format);
    }
  }

  dc->SetBkMode(oldMode);
  dc->SelectObject(oldFont);
  dc->SetTextColor(oldColour);
  if (dc == &memory) {
    paint.BitBlt(0, 0, rc.Width(), rc.Height(), &memory, 0, 0, SRCCOPY);
    memory.SelectObject(oldBitmap);
  }
}
