// BCMenu: an owner-drawn popup menu (an icon column beside the items), drawn in the classic look
// with the system colours or in the XP look (a light gradient strip and a framed selection). It
// is the drop-down menu of the icon button (CButtonST::SetMenu). BCMenuMemDC is the off-screen
// device context of its item drawing.
#pragma once

#include <string>
#include <vector>

#include "framework/dc.h"
#include "framework/gdi.h"
#include "framework/menu.h"

// One owner-drawn item: its text as a wide string, and its submenu when it opens one.
class BCMenuData {
public:
  BCMenuData() = default;
  ~BCMenuData();
  BCMenuData(const BCMenuData&) = delete;
  BCMenuData& operator=(const BCMenuData&) = delete;

  void SetWideString(const wchar_t* text) { text_ = text ? text : L""; }
  // Converted with the thread's ANSI code page.
  void SetAnsiString(const char* text);
  const std::wstring& GetWideString() const { return text_; }
  CString GetAnsiString() const;

  UINT nID = 0;
  UINT nFlags = 0;
  class BCMenu* child = nullptr;  // the item's submenu, owned

private:
  std::wstring text_;
};

class BCMenuMemDC : public CDC {
public:
  // A memory copy of r on dc (drawn straight onto dc when dc prints); copied back when it goes.
  BCMenuMemDC(CDC* dc, const RECT& r);
  ~BCMenuMemDC() override;
  BCMenuMemDC(const BCMenuMemDC&) = delete;
  BCMenuMemDC& operator=(const BCMenuMemDC&) = delete;

private:
  CDC* target_;
  CRect rect_;
  CBitmap bitmap_;
  HBITMAP old_ = nullptr;
  bool memory_ = false;
};

class BCMenu : public CMenu {
public:
  // The Windows version codes of GetWindowsVersionCode.
  enum { kWin32s = 0, kOtherNT = 1, kWin95 = 2, kWin98 = 3, kWinME = 4, kWinNT4 = 5, kWin2000 = 6, kWinXP = 7 };
  // Widths of the drawing.
  static constexpr int kIconColumn = 24;

  BCMenu();
  ~BCMenu() override;

  // Reads the menu resource and rebuilds its popups as owner-drawn items; submenus become further
  // BCMenu objects. The menu's popup 0 is what a button shows.
  BOOL LoadMenu(UINT id);
  // Frees every item record and submenu and takes the handles off the global list.
  BOOL DestroyMenu() override;
  // The popup the button shows (the first popup of the loaded resource), or null.
  BCMenu* GetPopup() const { return popups_.empty() ? nullptr : popups_[0]; }

  void MeasureItem(LPMEASUREITEMSTRUCT mis);
  virtual void DrawItem(LPDRAWITEMSTRUCT dis);

  // TRUE when the handle is one of the owner-drawn menus of any BCMenu.
  static BOOL IsMenuOfThis(HMENU menu);
  static BOOL IsMenuOfThis(const CMenu* menu) { return menu && IsMenuOfThis(menu->GetSafeHmenu()); }
  // The classic theme is in use (read once from the registry).
  static BOOL IsClassicThemeActive();
  // Whether a theme file name names the classic theme ("Windows Classic.theme" at its end, in any
  // case); the value may lack its terminator within `size` bytes.
  static BOOL IsClassicThemeName(const char* value, DWORD size);
  static BOOL IsXPLunaActive();
  static BOOL UseXPStyle();
  // The XP-look settings: for Windows XP with Luna and for every other system (1: the XP look).
  static void SetMenuDrawMode(int xpLuna, int other);
  static int GetWindowsVersionCode();
  // The version code of a version record (null: the record could not be had).
  static int VersionCodeOf(const OSVERSIONINFOA* info);
  // How many menu handles the global list holds.
  static size_t OwnerDrawnMenuCount();
  // The page of the ANSI code page the constructor read.
  static const CPINFO& CodePageInfo();

  // The drawing colours.
  static COLORREF LightenColor(COLORREF colour, double factor);
  static COLORREF XPBackground();
  static COLORREF XPStripLeft();
  static COLORREF XPStripRight();
  static COLORREF XPSelection();

protected:
  void DrawClassic(CDC* dc, const DRAWITEMSTRUCT* dis);
  void DrawXP(CDC* dc, const DRAWITEMSTRUCT* dis);

private:
  // Copies the items of a resource popup into this menu as owner-drawn items.
  void BuildFrom(HMENU source);

  std::vector<BCMenuData*> items_;
  std::vector<BCMenu*> submenus_;  // also owns the popups of a loaded resource
  std::vector<BCMenu*> popups_;
  CSize iconSize_{16, 15};
  COLORREF bitmapBackground_ = 0xC0C0C0;
  void* imageList_ = nullptr;  // icons of the items: none in this program
  BOOL imageListShared_ = FALSE;
  int selectedIndex_ = -1, checkIndex_ = -1;
  int loadedId_ = 0, xpBitmap_ = 0, unusedFlags_ = 0;
};
