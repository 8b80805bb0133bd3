// CItemPane: one collapsible panel of a CExplorerPane: a caption bar drawn from bitmaps with a
// title and a state glyph; a click on it expands or collapses the content window, animated.
#pragma once

#include <memory>

#include "controls/skinabledialog.h"

class CExplorerPane;

class CItemPane : public CSkinableDialog {
public:
  enum { kCollapsed = 1, kExpanded = 2 };

  CItemPane(UINT templateId, CExplorerPane* owner, CWnd* content, UINT captionBitmapId, UINT collapsedGlyphId,
            UINT expandedGlyphId, int initialState);
  ~CItemPane() override;

  // The title, its colour and, when not null, a font the pane then owns.
  void SetTitle(const CString& title, COLORREF colour, CFont* font);
  // What a click on the caption does: starts the expand or collapse animation and flips the
  // state at once; ignored while an animation runs.
  void Toggle();

  // The width the panel needs: its caption's, or its content's controls with as much room
  // right of them as left of them, whichever is wider. Measured in pixels, after the content's
  // dialog units were applied, so it holds at any DPI.
  int GetNeededWidth() const;
  // Makes the caption (and so the content, which the stack gives the caption's width) this
  // wide; never narrower than the caption bitmap.
  void SetWidth(int width);

  int GetState() const { return m_State; }
  BOOL IsAnimating() const { return m_Animating; }
  int GetFullHeight() const { return m_FullHeight; }
  int GetContentHeight() const { return m_ContentHeight; }
  CWnd* GetContent() const { return m_pContent; }
  const CString& GetTitle() const { return m_Title; }

protected:
  BOOL OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override {}
  void OnPaint();
  void OnLButtonDown(UINT flags, CPoint point);
  BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
  BOOL OnEraseBkgnd(CDC* dc);
  void OnTimer(UINT_PTR id);
  void OnDestroy();
  DECLARE_MESSAGE_MAP()

private:
  // One step of the animation; FALSE when it has ended.
  BOOL AnimationStep();

  CWnd* m_pContent;
  CExplorerPane* m_pOwner;
  BOOL m_Animating = FALSE;
  BOOL m_Expanding = FALSE;
  int m_Step = 0;
  CString m_Title = "Item Pane";
  UINT m_CaptionId, m_CollapsedId, m_ExpandedId;
  COLORREF m_TitleColour = 0;
  std::unique_ptr<CFont> m_TitleFont;
  CBitmap m_Collapsed, m_Expanded;
  HCURSOR m_Hand = nullptr;
  int m_State;
  int m_FullHeight = 0;
  int m_CaptionWidth = 0;  // of the caption bitmap, before any widening
  int m_ContentHeight = 0;
};
