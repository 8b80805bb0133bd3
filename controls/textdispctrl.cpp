// The self-painted text display.
#include "controls/textdispctrl.h"

BEGIN_MESSAGE_MAP(CTextDispCtrl, CWnd)
  ON_WM_PAINT()
END_MESSAGE_MAP()

CTextDispCtrl::~CTextDispCtrl() { FreeSurface(); }

void CTextDispCtrl::FreeSurface() {
  if (oldBitmap_) memDC_.SelectObject(oldBitmap_);
  oldBitmap_ = nullptr;
  memDC_.DeleteDC();
  bitmap_.DeleteObject();
}

CRect CTextDispCtrl::TextRect(const CRect& client) {
  return CRect(5, 5, client.Width() - 10, client.Height() - 10);
}

BOOL CTextDispCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  const char* cls = RegisterWndClass(CS_HREDRAW | CS_VREDRAW);
  if (!CreateEx(WS_EX_CLIENTEDGE, cls, "", style, rect, parent, id)) return FALSE;
  GetClientRect(&client_);
  FreeSurface();
  CClientDC dc(this);
  if (!memDC_.CreateCompatibleDC(&dc)) return FALSE;
  if (!bitmap_.CreateCompatibleBitmap(&dc, client_.Width(), client_.Height())) return FALSE;
  oldBitmap_ = memDC_.SelectObject(&bitmap_);
  CBrush background;
  if (!background.CreateSolidBrush(backColour_)) return FALSE;
  ::FillRect(memDC_, &client_, background);
  // A text given before the window existed is shown now.
  if (!text_.IsEmpty()) Redraw();
  return TRUE;
}

BOOL CTextDispCtrl::SetTextFont(int pointSizeTenths, const CString& face) {
  CFont font;
  if (font.CreatePointFont(pointSizeTenths, face)) {
    font_.DeleteObject();
    font_.Attach(font.Detach());
    fontInUse_ = TRUE;
  }
  return fontInUse_;
}

void CTextDispCtrl::SetText(const CString& text) {
  text_ = text;
  Redraw();
}

void CTextDispCtrl::Redraw() {
  if (!m_hWnd || !memDC_.GetSafeHdc()) return;
  memDC_.SetTextColor(textColour_);
  memDC_.SetBkColor(backColour_);
  memDC_.FillSolidRect(&client_, backColour_);
  CRect area = TextRect(client_);
  HFONT old = fontInUse_ ? memDC_.SelectObject(&font_) : nullptr;
  memDC_.DrawText(text_, &area, DT_WORDBREAK | DT_LEFT | DT_TOP);
  if (old) memDC_.SelectObject(old);
  Invalidate(TRUE);
}

void CTextDispCtrl::OnPaint() {
  CPaintDC dc(this);
  dc.BitBlt(0, 0, client_.Width(), client_.Height(), &memDC_, 0, 0, SRCCOPY);
}
