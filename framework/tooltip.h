// CToolTipCtrl: a tooltip window whose tools are rectangles of other windows.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "framework/window.h"

class CToolTipCtrl : public CWnd {
public:
  // A tooltip owned by parent's top-level window, TTS_ALWAYSTIP added to the style.
  BOOL Create(CWnd* parent, DWORD style = 0);
  // A tool of wnd: its rectangle (the client area when null) and id, with the text.
  BOOL AddTool(CWnd* wnd, const char* text, LPCRECT rect = nullptr, UINT_PTR id = 0);
  void DelTool(CWnd* wnd, UINT_PTR id = 0);
  void UpdateTipText(const char* text, CWnd* wnd, UINT_PTR id = 0);
  CString GetText(CWnd* wnd, UINT_PTR id = 0) const;
  int GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
  void Activate(BOOL activate) { SendMessage(TTM_ACTIVATE, activate); }
  int SetMaxTipWidth(int width) { return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, width)); }
  // Hands a mouse message of a tool's window to the tooltip.
  void RelayEvent(MSG* msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
};
