// A collapsible panel of the pane stack. The animation runs on this window's timer, on the
// user-interface thread, so closing the dialog in the middle of it is safe.
#include "controls/itempane.h"

#include <algorithm>
#include <climits>

#include "controls/explorerpane.h"
#include "controls/xmemdc.h"

namespace {
constexpr UINT_PTR kAnimationTimer = 1;
// Heights change by 2 pixels a step; a tick does several steps so that an animation of a
// few hundred pixels lasts a fraction of a second.
constexpr int kStepPixels = 2;
constexpr int kStepsPerTick = 8;
constexpr COLORREF kTransparent = RGB(255, 0, 255);

std::unique_ptr<CFont> TitleFont(int height) {
  LOGFONTA lf = {};
  lf.lfHeight = height;
  lf.lfWeight = FW_BOLD;
  lstrcpynA(lf.lfFaceName, "Verdana", LF_FACESIZE);
  auto font = std::make_unique<CFont>();
  font->CreateFontIndirect(&lf);
  return font;
}
}  // namespace

BEGIN_MESSAGE_MAP(CItemPane, CSkinableDialog)
  ON_WM_PAINT()
  ON_WM_LBUTTONDOWN()
  ON_WM_SETCURSOR()
  ON_WM_ERASEBKGND()
  ON_WM_TIMER()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CItemPane::CItemPane(UINT templateId, CExplorerPane* owner, CWnd* content, UINT captionBitmapId,
                     UINT collapsedGlyphId, UINT expandedGlyphId, int initialState)
    : CSkinableDialog(templateId, owner),
      m_pContent(content),
      m_pOwner(owner),
      m_CaptionId(captionBitmapId),
      m_CollapsedId(collapsedGlyphId),
      m_ExpandedId(expandedGlyphId),
      m_State(initialState) {}

CItemPane::~CItemPane() = default;

void CItemPane::SetTitle(const CString& title, COLORREF colour, CFont* font) {
  m_Title = title;
  m_TitleColour = colour;
  if (font) m_TitleFont.reset(font);
  if (IsWindow()) Invalidate(FALSE);
}

BOOL CItemPane::OnInitDialog() {
  CSkinableDialog::OnInitDialog();
  m_Hand = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649) /* IDC_HAND */);
  SetSkin(m_CaptionId, kTransparent);
  CRect caption;
  GetWindowRect(&caption);
  m_CaptionWidth = caption.Width();
  m_Collapsed.LoadBitmap(m_CollapsedId);
  m_Expanded.LoadBitmap(m_ExpandedId);
  if (m_pContent && m_pContent->IsWindow()) {
    CRect r;
    m_pContent->GetWindowRect(&r);
    m_FullHeight = r.Height();
    if (m_State == kCollapsed) {
      m_pContent->ShowWindow(SW_HIDE);
      m_ContentHeight = 0;
    } else {
      m_pContent->ShowWindow(SW_SHOWNA);
      m_ContentHeight = m_FullHeight;
    }
  }
  m_TitleFont = TitleFont(13);
  m_TitleColour = 0;
  return TRUE;
}

int CItemPane::GetNeededWidth() const {
  int width = m_CaptionWidth;
  if (!m_pContent || !m_pContent->IsWindow()) return width;
  // Hidden controls count too: the content shows some of them only on demand.
  int left = INT_MAX, right = 0;
  for (HWND child = ::GetWindow(m_pContent->m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, m_pContent->m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    left = std::min<int>(left, r.left);
    right = std::max<int>(right, r.right);
  }
  if (left == INT_MAX) return width;
  return std::max(width, right + std::max(left, 0));
}

void CItemPane::SetWidth(int width) {
  if (width < m_CaptionWidth) width = m_CaptionWidth;
  CRect caption;
  GetWindowRect(&caption);
  if (width == caption.Width()) return;
  SetSkin(m_CaptionId, kTransparent, width);
  Invalidate(FALSE);
}

void CItemPane::Toggle() {
  if (m_Animating || !m_pContent) return;
  m_Expanding = m_State == kCollapsed;
  m_Animating = TRUE;
  m_Step = 0;
  m_pContent->ShowWindow(SW_SHOWNA);
  m_State = m_Expanding ? kExpanded : kCollapsed;
  Invalidate(FALSE);
  SetTimer(kAnimationTimer, 10);
}

BOOL CItemPane::AnimationStep() {
  int moved = m_Step * kStepPixels;
  if (moved <= m_FullHeight) {
    m_ContentHeight = m_Expanding ? moved : m_FullHeight - moved;
    ++m_Step;
    m_pOwner->RepositionPanes(this);
    return TRUE;
  }
  // The last step lands on the exact end height, odd heights included.
  if (m_Expanding) {
    m_pContent->Invalidate();
    m_ContentHeight = m_FullHeight;
  } else {
    m_ContentHeight = 0;
    m_pContent->ShowWindow(SW_HIDE);
  }
  m_pOwner->RepositionPanes(this);
  m_Animating = FALSE;
  return FALSE;
}

void CItemPane::OnTimer(UINT_PTR id) {
  if (id != kAnimationTimer) return CWnd::OnTimer(id);
  for (int i = 0; i < kStepsPerTick; ++i) {
    if (!AnimationStep()) {
      KillTimer(kAnimationTimer);
      break;
    }
  }
}

void CItemPane::OnDestroy() {
  KillTimer(kAnimationTimer);
  m_Animating = FALSE;
  CWnd::OnDestroy();
}

void CItemPane::OnLButtonDown(UINT flags, CPoint point) {
  Toggle();
  CRect client;
  GetClientRect(&client);
  if (client.PtInRect(point) && m_Hand) ::SetCursor(m_Hand);
  CWnd::OnLButtonDown(flags, point);
}

BOOL CItemPane::OnSetCursor(CWnd*, UINT, UINT) {
  if (m_Hand) ::SetCursor(m_Hand);
  return TRUE;
}

BOOL CItemPane::OnEraseBkgnd(CDC*) { return TRUE; }

void CItemPane::OnPaint() {
  CPaintDC paint(this);
  CRect client;
  GetClientRect(&client);
  CXMemDC dc(&paint, &client);
  if (HBITMAP caption = m_Skin.GetHandle()) {
    CDC memory;
    memory.CreateCompatibleDC(&dc);
    HGDIOBJ old = memory.SelectObject(static_cast<HGDIOBJ>(caption));
    dc.BitBlt(client.left, client.top, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
    CBitmap& glyph = m_State == kCollapsed ? m_Collapsed : m_Expanded;
    if (glyph.GetSafeHandle()) {
      memory.SelectObject(static_cast<HGDIOBJ>(static_cast<HBITMAP>(glyph)));
      dc.BitBlt(client.right - 25, client.bottom - 21, 16, 16, &memory, 0, 0, SRCPAINT);
    }
    memory.SelectObject(old);
  }
  if (!m_TitleFont) m_TitleFont = TitleFont(14);
  HFONT oldFont = dc.SelectObject(m_TitleFont.get());
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(m_TitleColour);
  CRect text(client.left + 30, client.bottom - 19, client.right - 30, client.bottom - 5);
  dc.DrawText(m_Title, &text, DT_LEFT | DT_TOP | DT_SINGLELINE);
  dc.SelectObject(static_cast<HGDIOBJ>(oldFont));
}
