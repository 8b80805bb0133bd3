// CExplorerPane: a vertical stack of collapsible panels (CItemPane) with a background colour and
// an optional vertical scroll bar; CExplorerPaneScroller keeps its scroll bookkeeping.
#pragma once

#include <map>
#include <memory>

#include "framework/ui.h"

class CItemPane;

class CExplorerPaneScroller {
public:
  explicit CExplorerPaneScroller(CWnd* wnd) : m_pWnd(wnd) {}
  // Stores the content size and, when the window exists, sets both scroll bars again.
  void SetContentSize(int width, int height);
  // Scrolls the chosen directions back to 0.
  void ResetScroll(BOOL horizontal, BOOL vertical);
  // The thumb's track position of the bar (SB_HORZ / SB_VERT) of the window (own when null).
  int GetTrackPos(int bar, CWnd* wnd = nullptr) const;
  // Moves the vertical position to `pos`, clamped; scrolls the contents by the difference.
  void ScrollVertTo(int pos);

  CWnd* m_pWnd;
  int m_PageWidth = 0, m_PageHeight = 0;
  int m_ContentWidth = 0, m_ContentHeight = 0;
  int m_PosX = 0, m_PosY = 0;

private:
  void UpdateBar(int bar, int window, int content, int& page, int& pos);
};

class CExplorerPane : public CDialog {
public:
  CExplorerPane(UINT templateId, CWnd* owner);
  ~CExplorerPane() override;

  void SetBkColor(COLORREF colour) { m_BkColor = colour; }
  void SetScrollBarEnabled(BOOL enabled) { m_ScrollBarEnabled = enabled; }
  // Adds a panel below the others (not owned) and lays the stack out.
  void AddPane(CItemPane* pane);
  void RecalcLayout();
  // The layout while `animating` changes its height: the panels above it stay.
  void RepositionPanes(CItemPane* animating);

  // Gives every panel one width: what the widest of them needs (CItemPane::GetNeededWidth), and
  // at least minWidth; lays the stack out and returns that width.
  int FitPaneWidths(int minWidth);
  // The height the panels take one under another, spacings included.
  int GetPanesHeight() const;

  int GetPaneCount() const { return m_PaneCount; }
  CExplorerPaneScroller& GetScroller() { return *m_Scroller; }

  int m_Spacing = 5;  // pixels between panels

protected:
  BOOL OnInitDialog() override;
  // A page inside the editor: Enter and Escape do not end it.
  void OnOK() override {}
  void OnCancel() override {}
  void OnPaint();
  void OnVScroll(UINT code, UINT pos, CWnd* bar);
  DECLARE_MESSAGE_MAP()

private:
  // Places the panels from index `first` on, starting at y; returns the y below the last one.
  int PlaceFrom(int first, int y);

  std::map<int, CItemPane*> m_Panes;
  int m_PaneCount = 0;
  COLORREF m_BkColor = 0xE16464;
  std::unique_ptr<CExplorerPaneScroller> m_Scroller;
  BOOL m_ScrollBarEnabled = TRUE;
  CWnd* m_pOwner;
};
