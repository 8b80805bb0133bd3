// Message maps. In the class:      DECLARE_MESSAGE_MAP()
// In its source file:
//   BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//     ON_WM_TIMER()                               // void OnTimer(UINT_PTR id)
//     ON_BN_CLICKED(1002, &CMyDlg::OnRunRobot)    // void OnRunRobot()
//     ON_NOTIFY(LVN_ITEMCHANGED, 1001, &CMyDlg::OnListChanged)  // void (NMHDR*, LRESULT*)
//     ON_MESSAGE(WM_USER + 2, &CMyDlg::OnScheduledRun)          // LRESULT (WPARAM, LPARAM)
//   END_MESSAGE_MAP()
// The map expands to the class's ProcessWindowMessage: the entries are tried in order, each
// handler gets the message's parameters unpacked and typed, and a message that no entry takes
// goes on to the base class's map. Handlers call Default() (or the base's OnXxx) for the
// window's own processing.
//
// Reflected entries (ON_NOTIFY_REFLECT, ON_CONTROL_REFLECT, ON_WM_CTLCOLOR_REFLECT, and
// DrawItem of the control classes) handle, in the control's own object, notifications that its
// parent receives; the parent's entries then do not run. The _EX forms return BOOL: FALSE lets
// the parent's entry run as well.
#pragma once

#include <windows.h>

#include "framework/dc.h"
#include "framework/window.h"

#define DECLARE_MESSAGE_MAP() \
 protected:                   \
  BOOL ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                      \
  BOOL theClass::ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult) { \
    using ThisClass [[maybe_unused]] = theClass;                                                                   \
    using TheBaseClass = baseClass;                                                                 \
    (void)wParam;                                                                                   \
    (void)lParam;

#define END_MESSAGE_MAP()                                                      \
  return TheBaseClass::ProcessWindowMessage(message, wParam, lParam, lResult); \
  }

// Calls a member handler with the expected signature (a wrong signature does not compile).
#define PINDREL_CALL(Signature, fn) (this->*static_cast<Signature>(fn))

#define PINDREL_NMHDR (reinterpret_cast<NMHDR*>(lParam))

// ---- Window messages, with handlers of fixed names ----
#define PINDREL_VOID_ENTRY(msg, call) \
  if (message == (msg)) {             \
    call;                             \
    lResult = 0;                      \
    return TRUE;                      \
  }

#define ON_WM_PAINT() PINDREL_VOID_ENTRY(WM_PAINT, OnPaint())
#define ON_WM_DESTROY() PINDREL_VOID_ENTRY(WM_DESTROY, OnDestroy())
#define ON_WM_CLOSE() PINDREL_VOID_ENTRY(WM_CLOSE, OnClose())
#define ON_WM_TIMER() PINDREL_VOID_ENTRY(WM_TIMER, OnTimer(static_cast<UINT_PTR>(wParam)))
#define ON_WM_SIZE() \
  PINDREL_VOID_ENTRY(WM_SIZE, OnSize(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))))
#define ON_WM_LBUTTONDOWN() PINDREL_VOID_ENTRY(WM_LBUTTONDOWN, OnLButtonDown(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_LBUTTONUP() PINDREL_VOID_ENTRY(WM_LBUTTONUP, OnLButtonUp(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_LBUTTONDBLCLK() \
  PINDREL_VOID_ENTRY(WM_LBUTTONDBLCLK, OnLButtonDblClk(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_RBUTTONDOWN() PINDREL_VOID_ENTRY(WM_RBUTTONDOWN, OnRButtonDown(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_MOUSEMOVE() PINDREL_VOID_ENTRY(WM_MOUSEMOVE, OnMouseMove(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_MOUSEHOVER() PINDREL_VOID_ENTRY(WM_MOUSEHOVER, OnMouseHover(static_cast<UINT>(wParam), CPoint(lParam)))
#define ON_WM_MOUSELEAVE() PINDREL_VOID_ENTRY(WM_MOUSELEAVE, OnMouseLeave())
#define ON_WM_SYSCOLORCHANGE() PINDREL_VOID_ENTRY(WM_SYSCOLORCHANGE, OnSysColorChange())
#define ON_WM_KEYDOWN()                                                                                    \
  PINDREL_VOID_ENTRY(WM_KEYDOWN, OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_KEYUP() PINDREL_VOID_ENTRY(WM_KEYUP, OnKeyUp(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_CHAR() PINDREL_VOID_ENTRY(WM_CHAR, OnChar(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_SETFOCUS() PINDREL_VOID_ENTRY(WM_SETFOCUS, OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))))
#define ON_WM_KILLFOCUS() \
  PINDREL_VOID_ENTRY(WM_KILLFOCUS, OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))))
#define ON_WM_ACTIVATE()                                                                         \
  PINDREL_VOID_ENTRY(WM_ACTIVATE, OnActivate(LOWORD(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), \
                                             HIWORD(wParam) != 0))
#define ON_WM_CANCELMODE() PINDREL_VOID_ENTRY(WM_CANCELMODE, OnCancelMode())
#define ON_WM_ENABLE() PINDREL_VOID_ENTRY(WM_ENABLE, OnEnable(static_cast<BOOL>(wParam)))
#define ON_WM_SHOWWINDOW() \
  PINDREL_VOID_ENTRY(WM_SHOWWINDOW, OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam)))
#define ON_WM_HOTKEY() \
  PINDREL_VOID_ENTRY(WM_HOTKEY, OnHotKey(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_VSCROLL()                                                                    \
  PINDREL_VOID_ENTRY(WM_VSCROLL, OnVScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), \
                                           CWnd::FromHandle(reinterpret_cast<HWND>(lParam))))
#define ON_WM_HSCROLL()                                                                    \
  PINDREL_VOID_ENTRY(WM_HSCROLL, OnHScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), \
                                           CWnd::FromHandle(reinterpret_cast<HWND>(lParam))))
#define ON_WM_MEASUREITEM() \
  PINDREL_VOID_ENTRY(WM_MEASUREITEM, OnMeasureItem(static_cast<int>(wParam), reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)))

#define ON_WM_SETCURSOR()                                                                                     \
  if (message == WM_SETCURSOR) {                                                                              \
    lResult = OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(lParam), HIWORD(lParam)); \
    return TRUE;                                                                                              \
  }
#define ON_WM_ERASEBKGND()                   \
  if (message == WM_ERASEBKGND) {            \
    CDC dc_(reinterpret_cast<HDC>(wParam));  \
    lResult = OnEraseBkgnd(&dc_);            \
    return TRUE;                             \
  }
#define ON_WM_GETDLGCODE()        \
  if (message == WM_GETDLGCODE) { \
    lResult = OnGetDlgCode();     \
    return TRUE;                  \
  }
#define ON_WM_QUERYDRAGICON()                                       \
  if (message == WM_QUERYDRAGICON) {                                \
    lResult = reinterpret_cast<LRESULT>(OnQueryDragIcon());         \
    return TRUE;                                                    \
  }
// The parent's colours for its controls: HBRUSH OnCtlColor(CDC*, CWnd* control, UINT CTLCOLOR_xxx).
#define ON_WM_CTLCOLOR()                                                                                 \
  if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {                                    \
    CDC dc_(reinterpret_cast<HDC>(wParam));                                                             \
    lResult = reinterpret_cast<LRESULT>(OnCtlColor(&dc_, CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), \
                                                   message - WM_CTLCOLORMSGBOX));                        \
    return TRUE;                                                                                         \
  }

// ---- Any message: LRESULT fn(WPARAM, LPARAM) ----
#define ON_MESSAGE(msg, fn)                                                                \
  if (message == static_cast<UINT>(msg)) {                                                 \
    lResult = PINDREL_CALL(LRESULT (ThisClass::*)(WPARAM, LPARAM), fn)(wParam, lParam);    \
    return TRUE;                                                                           \
  }

// ---- Commands and control notifications that reach the parent: void fn() ----
#define ON_COMMAND(id, fn)                                                                  \
  if (message == WM_COMMAND && LOWORD(wParam) == static_cast<WORD>(id) && HIWORD(wParam) <= 1) { \
    PINDREL_CALL(void (ThisClass::*)(), fn)();                                              \
    lResult = 0;                                                                            \
    return TRUE;                                                                            \
  }
// void fn(UINT id) for every id in [first, last].
#define ON_COMMAND_RANGE(first, last, fn)                                                       \
  if (message == WM_COMMAND && HIWORD(wParam) <= 1 && LOWORD(wParam) >= (first) && LOWORD(wParam) <= (last)) { \
    PINDREL_CALL(void (ThisClass::*)(UINT), fn)(LOWORD(wParam));                                \
    lResult = 0;                                                                                \
    return TRUE;                                                                                \
  }
#define ON_CONTROL(notifyCode, id, fn)                                                                    \
  if (message == WM_COMMAND && LOWORD(wParam) == static_cast<WORD>(id) && HIWORD(wParam) == static_cast<WORD>(notifyCode)) { \
    PINDREL_CALL(void (ThisClass::*)(), fn)();                                                      \
    lResult = 0;                                                                                    \
    return TRUE;                                                                                    \
  }
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_BN_DOUBLECLICKED(id, fn) ON_CONTROL(BN_DOUBLECLICKED, id, fn)
#define ON_STN_CLICKED(id, fn) ON_CONTROL(STN_CLICKED, id, fn)
#define ON_EN_CHANGE(id, fn) ON_CONTROL(EN_CHANGE, id, fn)
#define ON_EN_KILLFOCUS(id, fn) ON_CONTROL(EN_KILLFOCUS, id, fn)
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)

// ---- WM_NOTIFY at the parent: void fn(NMHDR*, LRESULT* result) ----
#define ON_NOTIFY(notifyCode, id, fn)                                                                              \
  if (message == WM_NOTIFY && PINDREL_NMHDR->code == static_cast<UINT>(notifyCode) && PINDREL_NMHDR->idFrom == static_cast<UINT_PTR>(id)) { \
    lResult = 0;                                                                                             \
    PINDREL_CALL(void (ThisClass::*)(NMHDR*, LRESULT*), fn)(PINDREL_NMHDR, &lResult);                        \
    return TRUE;                                                                                             \
  }

// ---- Reflected to the control's own object ----
// void fn(NMHDR*, LRESULT*); the parent's entry does not run.
#define ON_NOTIFY_REFLECT(notifyCode, fn)                                                                  \
  if (message == WM_REFLECT_BASE + WM_NOTIFY && PINDREL_NMHDR->code == static_cast<UINT>(notifyCode)) {   \
    lResult = 0;                                                                                     \
    PINDREL_CALL(void (ThisClass::*)(NMHDR*, LRESULT*), fn)(PINDREL_NMHDR, &lResult);                \
    return TRUE;                                                                                     \
  }
// BOOL fn(NMHDR*, LRESULT*); FALSE lets the parent's entry run too.
#define ON_NOTIFY_REFLECT_EX(notifyCode, fn)                                                                     \
  if (message == WM_REFLECT_BASE + WM_NOTIFY && PINDREL_NMHDR->code == static_cast<UINT>(notifyCode)) {         \
    lResult = 0;                                                                                           \
    if (PINDREL_CALL(BOOL (ThisClass::*)(NMHDR*, LRESULT*), fn)(PINDREL_NMHDR, &lResult)) return TRUE;     \
  }
// void fn() for a WM_COMMAND notification code of the control.
#define ON_CONTROL_REFLECT(notifyCode, fn)                                                             \
  if (message == WM_REFLECT_BASE + WM_COMMAND && HIWORD(wParam) == static_cast<WORD>(notifyCode)) {   \
    PINDREL_CALL(void (ThisClass::*)(), fn)();                                                   \
    lResult = 0;                                                                                 \
    return TRUE;                                                                                 \
  }
// BOOL fn(); FALSE lets the parent's entry run too.
#define ON_CONTROL_REFLECT_EX(notifyCode, fn)                                                          \
  if (message == WM_REFLECT_BASE + WM_COMMAND && HIWORD(wParam) == static_cast<WORD>(notifyCode)) {   \
    lResult = 0;                                                                                 \
    if (PINDREL_CALL(BOOL (ThisClass::*)(), fn)()) return TRUE;                                  \
  }
// HBRUSH CtlColor(CDC*, UINT CTLCOLOR_xxx); a null brush leaves the colours to the parent.
#define ON_WM_CTLCOLOR_REFLECT()                                                                       \
  if (message >= WM_REFLECT_BASE + WM_CTLCOLORMSGBOX && message <= WM_REFLECT_BASE + WM_CTLCOLORSTATIC) { \
    CDC dc_(reinterpret_cast<HDC>(wParam));                                                            \
    HBRUSH brush_ = CtlColor(&dc_, message - WM_REFLECT_BASE - WM_CTLCOLORMSGBOX);                     \
    if (brush_) {                                                                                      \
      lResult = reinterpret_cast<LRESULT>(brush_);                                                     \
      return TRUE;                                                                                     \
    }                                                                                                  \
  }
