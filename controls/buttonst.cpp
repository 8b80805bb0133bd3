// The owner-drawn icon button.
#include "controls/buttonst.h"

#include <shellapi.h>
#include <mmsystem.h>

#include "framework/app.h"

BEGIN_MESSAGE_MAP(CButtonST, CButton)
  ON_MESSAGE(BM_SETSTYLE, &CButtonST::OnSetStyle)
  ON_MESSAGE(BM_GETCHECK, &CButtonST::OnGetCheckMessage)
  ON_MESSAGE(BM_SETCHECK, &CButtonST::OnSetCheckMessage)
  ON_WM_GETDLGCODE()
  ON_WM_CTLCOLOR_REFLECT()
  ON_WM_MOUSEMOVE()
  ON_WM_MOUSELEAVE()
  ON_WM_KILLFOCUS()
  ON_WM_ACTIVATE()
  ON_WM_CANCELMODE()
  ON_WM_ENABLE()
  ON_WM_SETCURSOR()
  ON_WM_SYSCOLORCHANGE()
  ON_CONTROL_REFLECT_EX(BN_CLICKED, &CButtonST::OnClicked)
  ON_MESSAGE(WM_DRAWITEM, &CButtonST::OnMenuDrawItem)
  ON_MESSAGE(WM_MEASUREITEM, &CButtonST::OnMenuMeasureItem)
  ON_MESSAGE(WM_MENUCHAR, &CButtonST::OnMenuChar)
END_MESSAGE_MAP()

CButtonST::CButtonST() {
  SetPressedStyle(BTNST_PRESSED_LEFTRIGHT, FALSE);
  SetDefaultColors(FALSE);
}

CButtonST::~CButtonST() { DropCachedBackground(); }

void CButtonST::PreSubclassWindow() {
  UINT style = GetButtonStyle();
  buttonType_ = style & BS_TYPEMASK;
  if (buttonType_ & 0x2) isCheckBox_ = TRUE;
  if (buttonType_ == BS_DEFPUSHBUTTON) {
    isDefault_ = TRUE;
    buttonType_ = BS_PUSHBUTTON;
  }
  CButton::PreSubclassWindow();
  ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW, SWP_FRAMECHANGED);
}

void CButtonST::InitToolTip() {
  if (tooltip_.m_hWnd || !tooltip_.Create(this)) return;
  tooltip_.Activate(FALSE);
  tooltip_.SetMaxTipWidth(400);
}

BOOL CButtonST::PreTranslateMessage(MSG* msg) {
  InitToolTip();
  if (tooltip_.m_hWnd) tooltip_.RelayEvent(msg);
  // A double click counts as a second click.
  if (msg->message == WM_LBUTTONDBLCLK) msg->message = WM_LBUTTONDOWN;
  return CButton::PreTranslateMessage(msg);
}

LRESULT CButtonST::OnSetStyle(WPARAM wParam, LPARAM lParam) {
  UINT type = static_cast<UINT>(wParam) & BS_TYPEMASK;
  if (type == BS_DEFPUSHBUTTON) {
    isDefault_ = TRUE;
  } else if (type == BS_PUSHBUTTON) {
    isDefault_ = FALSE;
  }
  return DefWindowProc(BM_SETSTYLE, (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW, lParam);
}

LRESULT CButtonST::OnGetCheckMessage(WPARAM, LPARAM) { return checked_ ? BST_CHECKED : BST_UNCHECKED; }

LRESULT CButtonST::OnSetCheckMessage(WPARAM wParam, LPARAM) {
  checked_ = wParam == BST_CHECKED || wParam == BST_INDETERMINATE;
  Invalidate();
  return 0;
}

UINT CButtonST::OnGetDlgCode() {
  UINT code = CButton::OnGetDlgCode();
  code |= isDefault_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON;
  return code;
}

HBRUSH CButtonST::CtlColor(CDC*, UINT) { return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH)); }

void CButtonST::OnMouseMove(UINT flags, CPoint point) {
  CButton::OnMouseMove(flags, point);
  if (!flat_) return;
  if ((flags & MK_LBUTTON) && !mouseOver_) return;
  POINT screen = point;
  ClientToScreen(&screen);
  HWND under = ::WindowFromPoint(screen);
  if (under == m_hWnd && (::GetActiveWindow() || trackAlways_)) {
    if (mouseOver_) return;
    mouseOver_ = TRUE;
    Invalidate();
    if (!hoverSound_.IsEmpty()) ::PlaySoundA(hoverSound_, nullptr, SND_ASYNC | SND_NODEFAULT | SND_FILENAME);
    TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, m_hWnd, 0};
    ::TrackMouseEvent(&tme);
  } else {
    CancelHover();
  }
}

void CButtonST::CancelHover() {
  if (flat_ && mouseOver_) {
    mouseOver_ = FALSE;
    Invalidate();
  }
}

void CButtonST::OnMouseLeave() {
  CancelHover();
  CButton::OnMouseLeave();
}

void CButtonST::OnKillFocus(CWnd* newWnd) {
  CButton::OnKillFocus(newWnd);
  CancelHover();
}

void CButtonST::OnActivate(UINT state, CWnd* other, BOOL minimized) {
  CButton::OnActivate(state, other, minimized);
  if (state == WA_INACTIVE) CancelHover();
}

void CButtonST::OnCancelMode() {
  CButton::OnCancelMode();
  CancelHover();
}

void CButtonST::OnEnable(BOOL enable) {
  CButton::OnEnable(enable);
  if (enable) return;
  CWnd* parent = GetParent();
  if (parent) {
    CWnd* next = parent->GetNextDlgTabItem(this);
    if (next && next->m_hWnd != m_hWnd) {
      next->SetFocus();
    } else {
      parent->SetFocus();
    }
  }
  CancelHover();
}

BOOL CButtonST::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
  if (!linkCursor_) return CButton::OnSetCursor(wnd, hitTest, message);
  ::SetCursor(linkCursor_);
  return TRUE;
}

void CButtonST::OnSysColorChange() {
  CButton::OnSysColorChange();
  DropCachedBackground();
  SetDefaultColors();
}

BOOL CButtonST::OnClicked() {
  SetFocus();
  if (!clickSound_.IsEmpty()) ::PlaySoundA(clickSound_, nullptr, SND_ASYNC | SND_NODEFAULT | SND_FILENAME);
  if (isCheckBox_) {
    checked_ = !checked_;
    Invalidate();
  } else if (BCMenu* popup = menu_.GetPopup()) {
    menuShown_ = TRUE;
    Invalidate();
    UpdateWindow();
    CRect r;
    GetWindowRect(&r);
    UINT command = ::TrackPopupMenu(popup->GetSafeHmenu(), TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD, r.left,
                                    r.bottom, 0, m_hWnd, nullptr);
    menuShown_ = FALSE;
    Invalidate();
    if (command && menuOwner_) ::PostMessageA(menuOwner_, WM_COMMAND, MAKEWPARAM(command, 0), 0);
  } else if (!url_.IsEmpty()) {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "open";
    info.lpFile = url_;
    info.nShow = SW_SHOWMAXIMIZED;
    ::ShellExecuteExA(&info);
  }
  return FALSE;  // the parent's own BN_CLICKED handler runs as well
}

DWORD CButtonST::SetMenu(UINT menuId, HWND owner, BOOL repaint) {
  menu_.DestroyMenu();
  menuOwner_ = owner;
  DWORD result = BTNST_OK;
  if (menuId && !menu_.LoadMenu(menuId)) result = BTNST_INVALIDRESOURCE;
  if (repaint && m_hWnd) Invalidate();
  return result;
}

LRESULT CButtonST::OnMenuDrawItem(WPARAM, LPARAM lParam) {
  auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
  if (dis->CtlType != ODT_MENU || !BCMenu::IsMenuOfThis(reinterpret_cast<HMENU>(dis->hwndItem))) return Default();
  menu_.DrawItem(dis);
  return TRUE;
}

LRESULT CButtonST::OnMenuMeasureItem(WPARAM, LPARAM lParam) {
  auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
  if (mis->CtlType != ODT_MENU || !menu_.GetPopup()) return Default();
  menu_.MeasureItem(mis);
  return TRUE;
}

LRESULT CButtonST::OnMenuChar(WPARAM, LPARAM lParam) {
  if (!BCMenu::IsMenuOfThis(reinterpret_cast<HMENU>(lParam))) return Default();
  // The items carry no mnemonics: the key closes nothing and selects nothing.
  return MAKELRESULT(0, MNC_IGNORE);
}

// ---- Images ----

void CButtonST::FreeImages() {
  for (Image& image : images_) {
    image.icon.Destroy();
    image.bitmap.DeleteObject();
    image.width = image.height = 0;
  }
}

BOOL CButtonST::TakeIcons(HICON in, HICON out) {
  HICON icons[2] = {in, out};
  for (int i = 0; i < 2; ++i) {
    if (!icons[i]) continue;
    images_[i].icon.Attach(icons[i]);
    ICONINFO info = {};
    if (!::GetIconInfo(icons[i], &info)) return FALSE;
    // GetIconInfo makes two bitmaps that belong to the caller.
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    images_[i].width = static_cast<int>(info.xHotspot * 2);
    images_[i].height = static_cast<int>(info.yHotspot * 2);
  }
  return TRUE;
}

DWORD CButtonST::SetIcon(UINT iconId, UINT idleIconId) {
  FreeImages();
  HINSTANCE instance = AfxGetResourceHandle();
  auto load = [instance](UINT id) {
    return static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
  };
  HICON in = load(iconId);
  HICON out = nullptr;
  bool failed = !in;
  if (!failed) {
    if (idleIconId == BTNST_AUTO_DARKER) {
      out = CreateDarkerIcon(in);
      failed = !out;
    } else if (idleIconId == BTNST_AUTO_GRAY) {
      out = CreateGrayscaleIcon(in);
      failed = !out;
    } else if (idleIconId != 0) {
      out = load(idleIconId);
    }
  }
  BOOL taken = !failed && TakeIcons(in, out);
  if (!taken) {
    // Icons that were not taken over are freed here; FreeImages frees the rest.
    if (in && images_[0].icon.GetSafeHandle() != in) ::DestroyIcon(in);
    if (out && images_[1].icon.GetSafeHandle() != out) ::DestroyIcon(out);
    FreeImages();
  }
  if (m_hWnd) Invalidate();
  return taken ? BTNST_OK : BTNST_INVALIDRESOURCE;
}

DWORD CButtonST::SetBitmaps(UINT bitmapId, COLORREF transparent, UINT idleBitmapId, COLORREF idleTransparent) {
  FreeImages();
  UINT ids[2] = {bitmapId, idleBitmapId};
  COLORREF colours[2] = {transparent, idleTransparent};
  for (int i = 0; i < 2; ++i) {
    if (i == 1 && ids[i] == 0) break;
    BITMAP bm = {};
    if (!images_[i].bitmap.LoadBitmap(ids[i]) || !images_[i].bitmap.GetBitmap(&bm)) {
      FreeImages();
      if (m_hWnd) Invalidate();
      return BTNST_INVALIDRESOURCE;
    }
    images_[i].width = bm.bmWidth;
    images_[i].height = bm.bmHeight;
    images_[i].transparent = colours[i];
  }
  if (m_hWnd) Invalidate();
  return BTNST_OK;
}

void CButtonST::SetTooltipText(const char* text, BOOL activate) {
  if (!text) return;
  InitToolTip();
  if (!tooltip_.m_hWnd) return;
  if (tooltip_.GetToolCount() == 0) {
    CRect rc;
    GetClientRect(&rc);
    tooltip_.AddTool(this, text, &rc, 1);
  }
  tooltip_.UpdateTipText(text, this, 1);
  tooltip_.Activate(activate);
}

DWORD CButtonST::SetAlign(BYTE align, BOOL repaint) {
  if (align > ST_ALIGN_OVERLAP) return BTNST_INVALIDALIGN;
  align_ = align;
  if (repaint && m_hWnd) Invalidate();
  return BTNST_OK;
}

void CButtonST::SetTransparent(BOOL repaint) {
  transparent_ = TRUE;
  DropCachedBackground();
  if (repaint && m_hWnd) Invalidate();
}

DWORD CButtonST::SetPressedStyle(BYTE style, BOOL repaint) {
  if (style == BTNST_PRESSED_LEFTRIGHT) {
    pressedOffset_ = CPoint(1, 1);
  } else if (style == BTNST_PRESSED_TOPBOTTOM) {
    pressedOffset_ = CPoint(0, 2);
  } else {
    return BTNST_INVALIDPRESSEDSTYLE;
  }
  if (repaint && m_hWnd) Invalidate();
  return BTNST_OK;
}

void CButtonST::SetDefaultColors(BOOL repaint) {
  for (int i = 0; i < BTNST_MAX_COLORS; i += 2) {
    colours_[i] = ::GetSysColor(COLOR_BTNFACE);
    colours_[i + 1] = ::GetSysColor(COLOR_BTNTEXT);
  }
  if (repaint && m_hWnd) Invalidate();
}

DWORD CButtonST::SetColor(BYTE slot, COLORREF colour, BOOL repaint) {
  if (slot >= BTNST_MAX_COLORS) return BTNST_INVALIDRESOURCE;
  colours_[slot] = colour;
  if (repaint && m_hWnd) Invalidate();
  return BTNST_OK;
}

void CButtonST::SetCheck(BOOL check, BOOL repaint) {
  if (!isCheckBox_) return;
  checked_ = check;
  if (repaint && m_hWnd) Invalidate();
}

void CButtonST::SetFlat(BOOL flat, BOOL repaint) {
  flat_ = flat;
  if (repaint && m_hWnd) Invalidate();
}

DWORD CButtonST::SetURL(const char* url) {
  url_ = url ? CString(url).Left(259) : CString();
  return BTNST_OK;
}

void CButtonST::SetSounds(const char* clickSound, const char* hoverSound) {
  clickSound_ = clickSound ? clickSound : "";
  hoverSound_ = hoverSound ? hoverSound : "";
}

// ---- Drawing ----

void CButtonST::DropCachedBackground() {
  if (!bkDC_.GetSafeHdc()) return;
  bkDC_.SelectObject(bkOldBitmap_);
  bkDC_.DeleteDC();
  bkBitmap_.DeleteObject();
  bkOldBitmap_ = nullptr;
}

void CButtonST::PaintBk(CDC* dc) {
  CRect rect, onParent;
  GetClientRect(&rect);
  if (!bkDC_.GetSafeHdc()) {
    CWnd* parent = GetParent();
    if (!parent) return;
    GetWindowRect(&onParent);
    parent->ScreenToClient(&onParent);
    CClientDC parentDC(parent);
    if (!bkDC_.CreateCompatibleDC(&parentDC)) return;
    if (!bkBitmap_.CreateCompatibleBitmap(&parentDC, rect.Width(), rect.Height())) {
      bkDC_.DeleteDC();
      return;
    }
    bkOldBitmap_ = bkDC_.SelectObject(&bkBitmap_);
    bkDC_.BitBlt(0, 0, rect.Width(), rect.Height(), &parentDC, onParent.left, onParent.top, SRCCOPY);
  }
  dc->BitBlt(0, 0, rect.Width(), rect.Height(), &bkDC_, 0, 0, SRCCOPY);
}

int CButtonST::ImageIndex(BOOL pressed, bool haveIdle) const {
  if (!haveIdle) return 0;
  if (isCheckBox_) return checked_ ? 0 : 1;
  return (mouseOver_ || pressed) ? 0 : 1;
}

void CButtonST::DrawItem(LPDRAWITEMSTRUCT dis) {
  CDC dc(dis->hDC);
  isPressed_ = isCheckBox_ ? ((dis->itemState & ODS_SELECTED) || checked_)
                           : (dis->itemState & ODS_SELECTED) != 0 || menuShown_;
  hasFocus_ = (dis->itemState & ODS_FOCUS) != 0;
  disabled_ = (dis->itemState & ODS_DISABLED) != 0;
  dc.SetBkMode(TRANSPARENT);

  CRect item(dis->rcItem);
  if (transparent_) {
    PaintBk(&dc);
  } else {
    OnDrawBackground(&dc, &item);
  }
  OnDrawBorder(&dc, &item);

  CString title = GetWindowText();
  CRect caption(dis->rcItem);
  if (images_[0].icon.GetSafeHandle()) {
    DrawTheIcon(&dc, !title.IsEmpty(), &dis->rcItem, &caption, isPressed_, disabled_);
  } else if (images_[0].bitmap.GetSafeHandle()) {
    DrawTheBitmap(&dc, !title.IsEmpty(), &dis->rcItem, &caption, isPressed_, disabled_);
  }
  if (!title.IsEmpty()) DrawTheText(&dc, title, &dis->rcItem, &caption, isPressed_, disabled_);

  if (hasFocus_ && (!flat_ || drawFlatFocus_)) {
    CRect focus(dis->rcItem);
    focus.DeflateRect(3, 3);
    dc.DrawFocusRect(&focus);
  }
}

DWORD CButtonST::OnDrawBackground(CDC* dc, CRect* rect) {
  if (!flat_ && (hasFocus_ || isDefault_)) {
    dc->FrameRect(rect, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    rect->DeflateRect(1, 1);
  }
  COLORREF colour = colours_[BTNST_COLOR_BK_OUT];
  if (mouseOver_ || isPressed_) {
    colour = colours_[BTNST_COLOR_BK_IN];
  } else if (hasFocus_) {
    colour = colours_[BTNST_COLOR_BK_FOCUS];
  }
  dc->FillSolidRect(rect, colour);
  return BTNST_OK;
}

DWORD CButtonST::OnDrawBorder(CDC* dc, CRect* rect) {
  COLORREF highlight = ::GetSysColor(COLOR_BTNHILIGHT), shadow = ::GetSysColor(COLOR_BTNSHADOW);
  if (isPressed_) {
    if (flat_) {
      if (drawBorder_) dc->Draw3dRect(rect, shadow, highlight);
    } else {
      dc->FrameRect(rect, ::GetSysColorBrush(COLOR_BTNSHADOW));
    }
    return BTNST_OK;
  }
  if (!flat_) {
    const CRect& r = *rect;
    COLORREF light = ::GetSysColor(COLOR_3DLIGHT), dark = ::GetSysColor(COLOR_3DDKSHADOW);
    dc->FillSolidRect(r.left, r.top, r.Width() - 1, 1, highlight);  // outer top-left
    dc->FillSolidRect(r.left, r.top, 1, r.Height() - 1, highlight);
    dc->FillSolidRect(r.left + 1, r.top + 1, r.Width() - 3, 1, light);  // inner top-left
    dc->FillSolidRect(r.left + 1, r.top + 1, 1, r.Height() - 3, light);
    dc->FillSolidRect(r.left, r.bottom - 1, r.Width(), 1, dark);  // outer bottom-right
    dc->FillSolidRect(r.right - 1, r.top, 1, r.Height(), dark);
    dc->FillSolidRect(r.left + 1, r.bottom - 2, r.Width() - 2, 1, shadow);  // inner bottom-right
    dc->FillSolidRect(r.right - 2, r.top + 1, 1, r.Height() - 2, shadow);
  } else if (mouseOver_ && drawBorder_) {
    dc->Draw3dRect(rect, highlight, shadow);
  }
  return BTNST_OK;
}

void CButtonST::PrepareImageRect(BOOL hasTitle, const RECT* item, CRect* caption, BOOL pressed, int w, int h,
                                 CRect* image) {
  CRect button(*item);
  *image = button;
  int mx = margin_.x, my = margin_.y;
  switch (align_) {
    case ST_ALIGN_HORIZ:
      if (hasTitle) {
        image->left += mx;
        caption->left += w + mx;
      } else {
        image->left += (button.Width() - w) / 2;
      }
      image->top += (button.Height() - h) / 2;
      break;
    case ST_ALIGN_VERT:
      image->left += (button.Width() - w) / 2;
      if (hasTitle) {
        image->top += my;
        caption->top += h;
      } else {
        image->top += (button.Height() - h) / 2;
      }
      break;
    case ST_ALIGN_HORIZ_RIGHT: {
      CRect client;
      GetClientRect(&client);
      if (hasTitle) {
        image->left = client.Width() - mx - w;
        int oldLeft = caption->left;
        caption->left = mx;
        caption->right -= mx + oldLeft + w;
      } else {
        image->left += (button.Width() - w) / 2;
      }
      image->top += (button.Height() - h) / 2;
      break;
    }
    default:  // overlapped: the image at the top left, under the text
      break;
  }
  if (pressed && !isCheckBox_) image->OffsetRect(pressedOffset_);
  image->right = image->left + w;
  image->bottom = image->top + h;
}

void CButtonST::DrawTheIcon(CDC* dc, BOOL hasTitle, const RECT* item, CRect* caption, BOOL pressed,
                            BOOL disabled) {
  const Image& image = images_[ImageIndex(pressed, images_[1].icon.GetSafeHandle() != nullptr)];
  CRect rc;
  PrepareImageRect(hasTitle, item, caption, pressed, image.width, image.height, &rc);
  dc->DrawIconState(rc.left, rc.top, rc.Width(), rc.Height(), image.icon, disabled);
}

void CButtonST::DrawTheBitmap(CDC* dc, BOOL hasTitle, const RECT* item, CRect* caption, BOOL pressed,
                              BOOL disabled) {
  const Image& image = images_[ImageIndex(pressed, images_[1].bitmap.GetSafeHandle() != nullptr)];
  CRect rc;
  PrepareImageRect(hasTitle, item, caption, pressed, image.width, image.height, &rc);
  if (disabled) {
    ::DrawStateA(*dc, nullptr, nullptr, reinterpret_cast<LPARAM>(static_cast<HBITMAP>(image.bitmap)), 0, rc.left,
                 rc.top, rc.Width(), rc.Height(), DST_BITMAP | DSS_DISABLED);
    return;
  }
  CDC memory;
  if (!memory.CreateCompatibleDC(dc)) return;
  HGDIOBJ old = memory.SelectObject(image.bitmap.GetSafeHandle());
  ::TransparentBlt(*dc, rc.left, rc.top, rc.Width(), rc.Height(), memory, 0, 0, image.width, image.height,
                   image.transparent);
  memory.SelectObject(old);
}

void CButtonST::DrawTheText(CDC* dc, const char* title, const RECT*, CRect* caption, BOOL pressed, BOOL disabled) {
  if (pressed && !isCheckBox_) caption->OffsetRect(pressedOffset_);
  CRect centre = *caption;
  dc->DrawText(title, -1, caption, DT_WORDBREAK | DT_CENTER | DT_CALCRECT);
  caption->OffsetRect((centre.Width() - caption->Width()) / 2 + centre.left - caption->left,
                      (centre.Height() - caption->Height()) / 2 + centre.top - caption->top);
  dc->SetBkMode(TRANSPARENT);
  if (disabled) {
    caption->OffsetRect(1, 1);
    dc->SetTextColor(::GetSysColor(COLOR_3DHILIGHT));
    dc->DrawText(title, -1, caption, DT_WORDBREAK | DT_CENTER);
    caption->OffsetRect(-1, -1);
    dc->SetTextColor(::GetSysColor(COLOR_3DSHADOW));
    dc->DrawText(title, -1, caption, DT_WORDBREAK | DT_CENTER);
    return;
  }
  COLORREF colour = 0;
  if (mouseOver_ || pressed) {
    colour = 0xFFFFFF;
  } else if (hasFocus_) {
    colour = colours_[BTNST_COLOR_FG_FOCUS];
  }
  dc->SetTextColor(colour);
  dc->DrawText(title, -1, caption, DT_WORDBREAK | DT_CENTER);
}
