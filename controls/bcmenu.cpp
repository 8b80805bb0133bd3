// The owner-drawn menu, its item records, its globals and its off-screen drawing.
#include "controls/bcmenu.h"

#include <algorithm>

#include "framework/app.h"
#include "framework/lifetime.h"

namespace {

// The process-wide state of the owner-drawn menus.
struct MenuGlobals {
  std::vector<HMENU> handles;  // every owner-drawn menu handle of every BCMenu
  std::vector<int> integers;   // scratch list of the item drawing
  int versionCode = BCMenu::GetWindowsVersionCode();
  int xpLunaMode = 1, otherMode = 0;
  int classicTheme = -1;  // not read yet
  CPINFO codePage = {};
};

// Built by the static initialisation after the application object, so the version code is
// known before any menu exists.
MenuGlobals g_MenuGlobals PINDREL_INIT_ORDER(kInitOrderMenus);
LifetimeNote g_MenuGlobalsNote PINDREL_INIT_ORDER(kInitOrderMenus)("owner-drawn menus");

MenuGlobals& Globals() { return g_MenuGlobals; }

const char kThemeKey[] = "Software\\Microsoft\\Plus!\\Themes\\Current";
const char kClassicTheme[] = "Windows Classic.theme";

void Forget(HMENU menu) {
  auto& handles = Globals().handles;
  handles.erase(std::remove(handles.begin(), handles.end(), menu), handles.end());
}

}  // namespace

// ---- item records ----

BCMenuData::~BCMenuData() { delete child; }

void BCMenuData::SetAnsiString(const char* text) {
  text_.clear();
  if (!text || !*text) return;
  int n = ::MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
  if (n <= 0) return;
  std::vector<wchar_t> wide(n);
  ::MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, wide.data(), n);
  text_ = wide.data();
}

CString BCMenuData::GetAnsiString() const {
  int n = ::WideCharToMultiByte(CP_THREAD_ACP, 0, text_.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return CString();
  std::vector<char> ansi(n);
  ::WideCharToMultiByte(CP_THREAD_ACP, 0, text_.c_str(), -1, ansi.data(), n, nullptr, nullptr);
  return CString(ansi.data());
}

// ---- off-screen drawing ----

BCMenuMemDC::BCMenuMemDC(CDC* dc, const RECT& r) : target_(dc), rect_(r) {
  memory_ = ::GetDeviceCaps(*dc, TECHNOLOGY) != DT_RASPRINTER && CreateCompatibleDC(dc) &&
            bitmap_.CreateCompatibleBitmap(dc, rect_.Width(), rect_.Height());
  if (!memory_) {
    DeleteDC();
    Attach(dc->GetSafeHdc());  // a printer (or no memory) is drawn on directly
    return;
  }
  old_ = SelectObject(&bitmap_);
  ::SetWindowOrgEx(*this, rect_.left, rect_.top, nullptr);
}

BCMenuMemDC::~BCMenuMemDC() {
  if (!memory_) {
    Detach();
    return;
  }
  target_->BitBlt(rect_.left, rect_.top, rect_.Width(), rect_.Height(), this, rect_.left, rect_.top, SRCCOPY);
  SelectObject(old_);
}

// ---- the menu ----

BCMenu::BCMenu() { ::GetCPInfo(CP_ACP, &Globals().codePage); }

BCMenu::~BCMenu() { DestroyMenu(); }

const CPINFO& BCMenu::CodePageInfo() { return Globals().codePage; }

size_t BCMenu::OwnerDrawnMenuCount() { return Globals().handles.size(); }

BOOL BCMenu::IsMenuOfThis(HMENU menu) {
  const auto& handles = Globals().handles;
  return menu && std::find(handles.begin(), handles.end(), menu) != handles.end();
}

int BCMenu::VersionCodeOf(const OSVERSIONINFOA* info) {
  if (!info) return kOtherNT;
  switch (info->dwPlatformId) {
    case VER_PLATFORM_WIN32s:
      return kWin32s;
    case VER_PLATFORM_WIN32_WINDOWS:
      if (info->dwMajorVersion != 4) return kWin95;
      if (info->dwMinorVersion == 10) return kWin98;
      if (info->dwMinorVersion == 90) return kWinME;
      return kWin95;
    default:
      if (info->dwMajorVersion == 4) return kWinNT4;
      if (info->dwMajorVersion == 5 && info->dwMinorVersion == 0) return kWin2000;
      if (info->dwMajorVersion == 5 && info->dwMinorVersion == 1) return kWinXP;
      return kOtherNT;
  }
}

int BCMenu::GetWindowsVersionCode() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  return VersionCodeOf(::GetVersionExA(&info) ? &info : nullptr);
}

BOOL BCMenu::IsClassicThemeName(const char* value, DWORD size) {
  // A registry text need not end in a terminator: the length given is all there is.
  std::string text(value, value + size);
  text = text.substr(0, text.find('\0'));
  const size_t n = sizeof kClassicTheme - 1;
  return text.size() >= n && lstrcmpiA(text.c_str() + text.size() - n, kClassicTheme) == 0;
}

BOOL BCMenu::IsClassicThemeActive() {
  int& answer = Globals().classicTheme;
  if (answer >= 0) return answer;
  answer = 0;
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, kThemeKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return answer;
  char value[260];
  DWORD size = sizeof value, type = 0;
  if (::RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS)
    answer = IsClassicThemeName(value, std::min<DWORD>(size, sizeof value));
  ::RegCloseKey(key);
  return answer;
}

BOOL BCMenu::IsXPLunaActive() { return Globals().versionCode == kWinXP && !IsClassicThemeActive(); }

BOOL BCMenu::UseXPStyle() { return (IsXPLunaActive() ? Globals().xpLunaMode : Globals().otherMode) == 1; }

void BCMenu::SetMenuDrawMode(int xpLuna, int other) {
  Globals().xpLunaMode = xpLuna;
  Globals().otherMode = other;
}

BOOL BCMenu::LoadMenu(UINT id) {
  DestroyMenu();
  HMENU resource = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
  if (!resource) return FALSE;
  CreateMenu();
  Globals().handles.push_back(GetSafeHmenu());
  loadedId_ = static_cast<int>(id);
  char text[256];
  for (int i = 0; i < ::GetMenuItemCount(resource); ++i) {
    HMENU sub = ::GetSubMenu(resource, i);
    ::GetMenuStringA(resource, i, text, sizeof text, MF_BYPOSITION);
    if (!sub) {
      AppendMenu(MF_STRING, ::GetMenuItemID(resource, i), text);
      continue;
    }
    auto* popup = new BCMenu;
    popup->BuildFrom(sub);
    submenus_.push_back(popup);
    popups_.push_back(popup);
    AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popup->GetSafeHmenu()), text);
  }
  ::DestroyMenu(resource);
  return TRUE;
}

void BCMenu::BuildFrom(HMENU source) {
  CreatePopupMenu();
  Globals().handles.push_back(GetSafeHmenu());
  char text[256];
  for (int i = 0; i < ::GetMenuItemCount(source); ++i) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STATE | MIIM_STRING;
    text[0] = '\0';
    info.dwTypeData = text;
    info.cch = sizeof text;
    if (!::GetMenuItemInfoA(source, i, TRUE, &info)) continue;
    auto* data = new BCMenuData;
    data->SetAnsiString(text);
    data->nID = info.wID;
    UINT flags = MF_OWNERDRAW | (info.fState & (MFS_GRAYED | MFS_CHECKED));
    UINT_PTR idOrMenu = info.wID;
    if (info.fType & MFT_SEPARATOR) {
      flags |= MF_SEPARATOR;
    } else if (info.hSubMenu) {
      data->child = new BCMenu;
      data->child->BuildFrom(info.hSubMenu);
      flags |= MF_POPUP;
      idOrMenu = reinterpret_cast<UINT_PTR>(data->child->GetSafeHmenu());
    }
    data->nFlags = flags;
    items_.push_back(data);
    ::AppendMenuA(GetSafeHmenu(), flags, idOrMenu, reinterpret_cast<const char*>(data));
  }
}

BOOL BCMenu::DestroyMenu() {
  HMENU own = GetSafeHmenu();
  if (own) {
    Forget(own);
    // Submenus are freed by their own objects: take them out of this menu first.
    while (::GetMenuItemCount(own) > 0) ::RemoveMenu(own, 0, MF_BYPOSITION);
  }
  for (BCMenu* sub : submenus_) delete sub;
  submenus_.clear();
  popups_.clear();
  for (BCMenuData* item : items_) delete item;  // with its submenu
  items_.clear();
  imageList_ = nullptr;
  imageListShared_ = FALSE;
  return CMenu::DestroyMenu();
}

// ---- measuring and drawing ----

COLORREF BCMenu::LightenColor(COLORREF colour, double factor) {
  auto lift = [factor](int c) { return static_cast<int>(c + (255 - c) * factor); };
  return RGB(lift(GetRValue(colour)), lift(GetGValue(colour)), lift(GetBValue(colour)));
}
COLORREF BCMenu::XPBackground() { return LightenColor(::GetSysColor(COLOR_3DFACE), 0.85); }
COLORREF BCMenu::XPStripLeft() { return LightenColor(::GetSysColor(COLOR_3DFACE), 0.6); }
COLORREF BCMenu::XPStripRight() { return ::GetSysColor(COLOR_3DFACE); }
COLORREF BCMenu::XPSelection() { return LightenColor(::GetSysColor(COLOR_HIGHLIGHT), 0.7); }

void BCMenu::MeasureItem(LPMEASUREITEMSTRUCT mis) {
  auto* data = reinterpret_cast<BCMenuData*>(mis->itemData);
  if (!data || (data->nFlags & MF_SEPARATOR)) {
    mis->itemWidth = 0;
    mis->itemHeight = std::max(::GetSystemMetrics(SM_CYMENU) / 2, 3);
    return;
  }
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof metrics;
  ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  CFont font;
  font.CreateFontIndirect(&metrics.lfMenuFont);
  CClientDC dc(nullptr);
  HFONT old = dc.SelectObject(&font);
  CString text = data->GetAnsiString();
  SIZE extent = {};
  ::GetTextExtentPoint32A(dc, text, text.GetLength(), &extent);
  dc.SelectObject(old);
  mis->itemWidth = kIconColumn + 8 + extent.cx + 16;
  mis->itemHeight = std::max<int>(iconSize_.cy + 5, extent.cy + 6);
}

void BCMenu::DrawItem(LPDRAWITEMSTRUCT dis) {
  if (dis->CtlType != ODT_MENU) return;
  CDC target(dis->hDC);
  {
    BCMenuMemDC dc(&target, dis->rcItem);
    if ((::GetDeviceCaps(dis->hDC, RASTERCAPS) & RC_PALETTE) || !UseXPStyle()) {
      DrawClassic(&dc, dis);
    } else {
      DrawXP(&dc, dis);
    }
  }
  target.Detach();
}

namespace {

void DrawItemText(CDC* dc, const CRect& item, const BCMenuData* data, COLORREF colour) {
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof metrics;
  ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  CFont font;
  font.CreateFontIndirect(&metrics.lfMenuFont);
  HFONT old = dc->SelectObject(&font);
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(colour);
  CRect text(item.left + BCMenu::kIconColumn + 8, item.top, item.right - 4, item.bottom);
  dc->DrawText(data->GetAnsiString(), &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  dc->SelectObject(old);
}

}  // namespace

void BCMenu::DrawClassic(CDC* dc, const DRAWITEMSTRUCT* dis) {
  auto* data = reinterpret_cast<const BCMenuData*>(dis->itemData);
  CRect item = dis->rcItem;
  bool selected = (dis->itemState & ODS_SELECTED) != 0;
  bool disabled = (dis->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  if (data && (data->nFlags & MF_SEPARATOR)) {
    dc->FillSolidRect(&item, ::GetSysColor(COLOR_MENU));
    int middle = (item.top + item.bottom) / 2;
    dc->FillSolidRect(item.left + 2, middle - 1, item.Width() - 4, 1, ::GetSysColor(COLOR_3DSHADOW));
    dc->FillSolidRect(item.left + 2, middle, item.Width() - 4, 1, ::GetSysColor(COLOR_3DHILIGHT));
    return;
  }
  dc->FillSolidRect(&item, ::GetSysColor(selected && !disabled ? COLOR_HIGHLIGHT : COLOR_MENU));
  if (!data) return;
  COLORREF text = disabled ? ::GetSysColor(COLOR_GRAYTEXT)
                           : ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
  DrawItemText(dc, item, data, text);
}

void BCMenu::DrawXP(CDC* dc, const DRAWITEMSTRUCT* dis) {
  auto* data = reinterpret_cast<const BCMenuData*>(dis->itemData);
  CRect item = dis->rcItem;
  bool selected = (dis->itemState & ODS_SELECTED) != 0;
  bool disabled = (dis->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
  // The icon column: a light gradient strip from left to right.
  COLORREF from = XPStripLeft(), to = XPStripRight();
  for (int x = 0; x < kIconColumn; ++x) {
    auto mix = [&](int a, int b) { return a + (b - a) * x / (kIconColumn - 1); };
    COLORREF c = RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
                     mix(GetBValue(from), GetBValue(to)));
    dc->FillSolidRect(item.left + x, item.top, 1, item.Height(), c);
  }
  dc->FillSolidRect(item.left + kIconColumn, item.top, item.Width() - kIconColumn, item.Height(), XPBackground());
  if (data && (data->nFlags & MF_SEPARATOR)) {
    int middle = (item.top + item.bottom) / 2;
    dc->FillSolidRect(item.left + kIconColumn + 4, middle, item.Width() - kIconColumn - 4, 1,
                      ::GetSysColor(COLOR_3DSHADOW));
    return;
  }
  if (selected && !disabled) {
    // A framed selection over the whole item.
    dc->FillSolidRect(&item, ::GetSysColor(COLOR_HIGHLIGHT));
    CRect inner(item.left + 1, item.top + 1, item.right - 1, item.bottom - 1);
    dc->FillSolidRect(&inner, XPSelection());
  }
  if (!data) return;
  DrawItemText(dc, item, data, ::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
}
