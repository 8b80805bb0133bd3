// The stack of collapsible panels and its scroll bookkeeping.
#include "controls/explorerpane.h"

#include <algorithm>

#include "controls/itempane.h"

// ---- CExplorerPaneScroller ------------------------------------------------------------------

void CExplorerPaneScroller::SetContentSize(int width, int height) {
  m_ContentWidth = width, m_ContentHeight = height;
  if (!m_pWnd || !m_pWnd->IsWindow()) return;
  CRect client;
  m_pWnd->GetClientRect(&client);
  UpdateBar(SB_HORZ, client.Width(), m_ContentWidth, m_PageWidth, m_PosX);
  UpdateBar(SB_VERT, client.Height(), m_ContentHeight, m_PageHeight, m_PosY);
}

void CExplorerPaneScroller::UpdateBar(int bar, int window, int content, int& page, int& pos) {
  int old = pos;
  if (content > window && window > 0) {
    // Keep the place in proportion to the page; an unset page has no proportion to keep.
    if (page > 0) pos = static_cast<int>(static_cast<long long>(pos) * window / page);
    int limit = content - window - 1;
    if (pos > limit) pos = limit;
    if (pos < 0) pos = 0;
    page = window;
  } else {
    page = 0, pos = 0;
  }
  SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0,
                     content > window ? content - 1 : 0, static_cast<UINT>(page), pos, 0};
  ::SetScrollInfo(m_pWnd->m_hWnd, bar, &info, TRUE);
  if (old != pos) {
    if (bar == SB_HORZ) {
      ::ScrollWindow(m_pWnd->m_hWnd, old - pos, 0, nullptr, nullptr);
    } else {
      ::ScrollWindow(m_pWnd->m_hWnd, 0, old - pos, nullptr, nullptr);
    }
  }
}

void CExplorerPaneScroller::ResetScroll(BOOL horizontal, BOOL vertical) {
  if (!m_pWnd || !m_pWnd->IsWindow()) return;
  if (horizontal && m_PosX) {
    ::ScrollWindow(m_pWnd->m_hWnd, m_PosX, 0, nullptr, nullptr);
    m_PosX = 0;
    ::SetScrollPos(m_pWnd->m_hWnd, SB_HORZ, 0, TRUE);
  }
  if (vertical && m_PosY) {
    ::ScrollWindow(m_pWnd->m_hWnd, 0, m_PosY, nullptr, nullptr);
    m_PosY = 0;
    ::SetScrollPos(m_pWnd->m_hWnd, SB_VERT, 0, TRUE);
  }
}

int CExplorerPaneScroller::GetTrackPos(int bar, CWnd* wnd) const {
  SCROLLINFO info = {sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
  ::GetScrollInfo((wnd ? wnd : m_pWnd)->m_hWnd, bar, &info);
  return info.nTrackPos;
}

void CExplorerPaneScroller::ScrollVertTo(int pos) {
  int limit = m_ContentHeight - m_PageHeight;
  if (pos > limit) pos = limit;
  if (pos < 0) pos = 0;
  if (pos == m_PosY) return;
  int old = m_PosY;
  m_PosY = pos;
  ::SetScrollPos(m_pWnd->m_hWnd, SB_VERT, pos, TRUE);
  ::ScrollWindow(m_pWnd->m_hWnd, 0, old - pos, nullptr, nullptr);
}

// ---- CExplorerPane --------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CExplorerPane, CDialog)
  ON_WM_PAINT()
  ON_WM_VSCROLL()
END_MESSAGE_MAP()

CExplorerPane::CExplorerPane(UINT templateId, CWnd* owner)
    : CDialog(templateId, owner), m_Scroller(std::make_unique<CExplorerPaneScroller>(this)), m_pOwner(owner) {}

CExplorerPane::~CExplorerPane() = default;

BOOL CExplorerPane::OnInitDialog() {
  CDialog::OnInitDialog();
  CRect r;
  GetWindowRect(&r);
  m_Scroller->m_ContentWidth = r.Width();
  m_Scroller->m_ContentHeight = r.Height();
  return TRUE;
}

void CExplorerPane::AddPane(CItemPane* pane) {
  m_Panes[m_PaneCount++] = pane;
  RecalcLayout();
}

int CExplorerPane::FitPaneWidths(int minWidth) {
  int width = minWidth;
  for (const auto& [index, pane] : m_Panes) width = std::max(width, pane->GetNeededWidth());
  for (const auto& [index, pane] : m_Panes) pane->SetWidth(width);
  RecalcLayout();
  return width;
}

int CExplorerPane::GetPanesHeight() const {
  int height = 0;
  for (const auto& [index, pane] : m_Panes) {
    CRect caption;
    pane->GetWindowRect(&caption);
    height += caption.Height() + pane->GetContentHeight() + m_Spacing;
  }
  return height;
}

int CExplorerPane::PlaceFrom(int first, int y) {
  CRect client;
  GetClientRect(&client);
  for (auto it = m_Panes.lower_bound(first); it != m_Panes.end(); ++it) {
    CItemPane* pane = it->second;
    CRect caption;
    pane->GetWindowRect(&caption);
    pane->SetWindowPos(nullptr, client.left, client.top + y, caption.Width(), caption.Height(),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    if (CWnd* content = pane->GetContent()) {
      content->SetWindowPos(nullptr, client.left, client.top + y + caption.Height(), caption.Width(),
                            pane->GetContentHeight(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    y += caption.Height() + pane->GetContentHeight() + m_Spacing;
  }
  return y;
}

void CExplorerPane::RecalcLayout() {
  if (m_ScrollBarEnabled) m_Scroller->ResetScroll(FALSE, TRUE);
  int height = PlaceFrom(0, 0);
  if (m_ScrollBarEnabled) {
    CRect client;
    GetClientRect(&client);
    m_Scroller->SetContentSize(client.Width(), height);
    ::ShowScrollBar(m_hWnd, SB_VERT, height > client.Height());
  }
}

void CExplorerPane::RepositionPanes(CItemPane* animating) {
  int fixed = 0, first = 0;
  for (const auto& [index, pane] : m_Panes) {
    if (pane == animating) {
      first = index;
      break;
    }
    CRect caption;
    pane->GetWindowRect(&caption);
    fixed += caption.Height() + pane->GetContentHeight() + m_Spacing;
  }
  int scrolled = m_ScrollBarEnabled ? m_Scroller->m_PosY : 0;
  int bottom = PlaceFrom(first, fixed - scrolled);
  if (m_ScrollBarEnabled) {
    CRect client;
    GetClientRect(&client);
    int content = bottom + scrolled;
    m_Scroller->SetContentSize(client.Width(), content);
    ::ShowScrollBar(m_hWnd, SB_VERT, content > client.Height());
  }
}

void CExplorerPane::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  dc.FillSolidRect(&client, m_BkColor);
}

void CExplorerPane::OnVScroll(UINT code, UINT, CWnd*) {
  CExplorerPaneScroller& s = *m_Scroller;
  int pos = s.m_PosY;
  switch (code) {
    case SB_LINEUP: pos -= 60; break;
    case SB_LINEDOWN: pos += 60; break;
    case SB_PAGEUP: pos -= s.m_PageHeight; break;
    case SB_PAGEDOWN: pos += s.m_PageHeight; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: pos = s.GetTrackPos(SB_VERT); break;
    default: return;
  }
  s.ScrollVertTo(pos);
}
