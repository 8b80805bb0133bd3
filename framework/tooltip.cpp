// Tooltips.
#include "framework/tooltip.h"

#include "framework/app.h"

namespace {
// The record size of the common controls version 5 (no lpReserved), understood by every version.
const UINT kToolInfoSize = TTTOOLINFOA_V2_SIZE;

TTTOOLINFOA ToolInfo(CWnd* wnd, UINT_PTR id) {
  TTTOOLINFOA ti = {};
  ti.cbSize = kToolInfoSize;
  ti.hwnd = wnd->m_hWnd;
  ti.uId = id;
  ti.hinst = AfxGetResourceHandle();
  return ti;
}
}  // namespace

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
  AfxInitCommonControls();
  HWND owner = parent ? ::GetAncestor(parent->m_hWnd, GA_ROOT) : nullptr;
  return CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | style, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr);
}

BOOL CToolTipCtrl::AddTool(CWnd* wnd, const char* text, LPCRECT rect, UINT_PTR id) {
  TTTOOLINFOA ti = ToolInfo(wnd, id);
  ti.uFlags = 0;  // the owner relays the mouse messages (RelayEvent)
  if (rect) {
    ti.rect = *rect;
  } else {
    ::GetClientRect(wnd->m_hWnd, &ti.rect);
  }
  ti.lpszText = const_cast<char*>(text ? text : "");
  return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti)));
}

void CToolTipCtrl::DelTool(CWnd* wnd, UINT_PTR id) {
  TTTOOLINFOA ti = ToolInfo(wnd, id);
  SendMessage(TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::UpdateTipText(const char* text, CWnd* wnd, UINT_PTR id) {
  TTTOOLINFOA ti = ToolInfo(wnd, id);
  ti.lpszText = const_cast<char*>(text ? text : "");
  SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
}

CString CToolTipCtrl::GetText(CWnd* wnd, UINT_PTR id) const {
  char buf[1024] = "";
  TTTOOLINFOA ti = ToolInfo(wnd, id);
  ti.lpszText = buf;
  SendMessage(TTM_GETTEXTA, sizeof buf, reinterpret_cast<LPARAM>(&ti));
  return CString(buf);
}
