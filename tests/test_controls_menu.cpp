// The owner-drawn menu: its version and theme answers, its handle list, its items drawn in the
// classic and the XP look, and the icon button's drop-down menu reporting the chosen item.
#include <gtest/gtest.h>

#include "controls/bcmenu.h"
#include "controls/buttonst.h"
#include "tests/res/test_ids.h"
#include "tests/support/test_support.h"
#include "tests/support/ui_support.h"

using namespace testing_support;

TEST(BCMenu, VersionCodesOfTheVersionRecords) {
  struct Case {
    DWORD platform, major, minor;
    int code;
  } cases[] = {
      {VER_PLATFORM_WIN32s, 3, 1, 0},         {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 2},
      {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 3}, {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 4},
      {VER_PLATFORM_WIN32_WINDOWS, 4, 3, 2},  {VER_PLATFORM_WIN32_NT, 4, 0, 5},
      {VER_PLATFORM_WIN32_NT, 5, 0, 6},       {VER_PLATFORM_WIN32_NT, 5, 1, 7},
      {VER_PLATFORM_WIN32_NT, 5, 2, 1},       {VER_PLATFORM_WIN32_NT, 6, 1, 1},
      {VER_PLATFORM_WIN32_NT, 10, 0, 1},
  };
  for (const Case& c : cases) {
    OSVERSIONINFOA info = {};
    info.dwPlatformId = c.platform;
    info.dwMajorVersion = c.major;
    info.dwMinorVersion = c.minor;
    EXPECT_EQ(BCMenu::VersionCodeOf(&info), c.code) << c.platform << " " << c.major << "." << c.minor;
  }
  EXPECT_EQ(BCMenu::VersionCodeOf(nullptr), 1);
  // Every Windows after XP (Wine says 6.1) draws the classic look with the start settings.
  EXPECT_EQ(BCMenu::GetWindowsVersionCode(), 1);
  EXPECT_FALSE(BCMenu::IsXPLunaActive());
  EXPECT_FALSE(BCMenu::UseXPStyle());
}

TEST(BCMenu, TheClassicThemeIsANameEndingInWindowsClassicTheme) {
  struct Case {
    std::string value;
    BOOL classic;
  } cases[] = {
      {"C:\\WINDOWS\\Resources\\Themes\\Windows Classic.theme", TRUE},
      {"C:\\WINDOWS\\RESOURCES\\THEMES\\WINDOWS CLASSIC.THEME", TRUE},
      {"Windows Classic.theme", TRUE},
      {"C:\\WINDOWS\\Resources\\Themes\\Luna.theme", FALSE},
      {"Windows Classic.theme.bak", FALSE},
      {"Classic.theme", FALSE},
      {"", FALSE},
      {std::string("Windows Classic.theme\0junk", 26), TRUE},  // the terminator ends the text
  };
  for (const Case& c : cases)
    EXPECT_EQ(BCMenu::IsClassicThemeName(c.value.data(), static_cast<DWORD>(c.value.size())), c.classic) << c.value;
  // A value without a terminator is read only as far as its length.
  char unterminated[26];
  memcpy(unterminated, "xxxxWindows Classic.theme", 25);
  unterminated[25] = 'Q';
  EXPECT_TRUE(BCMenu::IsClassicThemeName(unterminated, 25));
  EXPECT_FALSE(BCMenu::IsClassicThemeName(unterminated, 26));
}

TEST(BCMenu, LoadedMenusAreOnTheGlobalListUntilDestroyed) {
  size_t before = BCMenu::OwnerDrawnMenuCount();
  {
    CButtonST button;  // an empty menu adds and removes nothing
    EXPECT_EQ(BCMenu::OwnerDrawnMenuCount(), before);
  }
  EXPECT_EQ(BCMenu::OwnerDrawnMenuCount(), before);
  BCMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
  ASSERT_TRUE(menu.GetPopup());
  EXPECT_EQ(BCMenu::OwnerDrawnMenuCount(), before + 2);
  EXPECT_TRUE(BCMenu::IsMenuOfThis(menu.GetSafeHmenu()));
  EXPECT_TRUE(BCMenu::IsMenuOfThis(menu.GetPopup()));
  EXPECT_FALSE(BCMenu::IsMenuOfThis(static_cast<HMENU>(nullptr)));
  HMENU popup = menu.GetPopup()->GetSafeHmenu();
  ASSERT_EQ(GetMenuItemCount(popup), 4);
  EXPECT_EQ(GetMenuItemID(popup, 1), static_cast<UINT>(IDM_TEST_SECOND));
  EXPECT_TRUE(GetMenuState(popup, 2, MF_BYPOSITION) & MF_OWNERDRAW);
  menu.DestroyMenu();
  EXPECT_EQ(BCMenu::OwnerDrawnMenuCount(), before);
  EXPECT_FALSE(BCMenu::IsMenuOfThis(popup));
  EXPECT_NE(BCMenu::CodePageInfo().MaxCharSize, 0u);
}

namespace {

// One item of the test menu drawn into a 120 x 20 bitmap.
class MenuPixels {
public:
  MenuPixels() {
    screen_ = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen_);
    bitmap_ = CreateCompatibleBitmap(screen_, 120, 20);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~MenuPixels() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
    ReleaseDC(nullptr, screen_);
  }
  void Draw(BCMenu& menu, int position, UINT state) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA | MIIM_ID;
    GetMenuItemInfoA(menu.GetPopup()->GetSafeHmenu(), position, TRUE, &info);
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_MENU;
    dis.itemID = info.wID;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hwndItem = reinterpret_cast<HWND>(menu.GetPopup()->GetSafeHmenu());
    dis.hDC = dc_;
    dis.rcItem = {0, 0, 120, 20};
    dis.itemData = info.dwItemData;
    menu.GetPopup()->DrawItem(&dis);
  }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

private:
  HDC screen_, dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

}  // namespace

TEST(BCMenu, ItemsInTheClassicAndTheXPLook) {
  BCMenu menu;
  ASSERT_TRUE(menu.LoadMenu(IDR_TEST_MENU));
  MenuPixels pixels;
  const int body = 110;  // right of the text of "First"

  BCMenu::SetMenuDrawMode(1, 0);
  ASSERT_FALSE(BCMenu::UseXPStyle());
  pixels.Draw(menu, 0, 0);
  EXPECT_EQ(pixels.At(2, 10), GetSysColor(COLOR_MENU));
  EXPECT_EQ(pixels.At(body, 10), GetSysColor(COLOR_MENU));
  pixels.Draw(menu, 0, ODS_SELECTED);
  EXPECT_EQ(pixels.At(2, 10), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(pixels.At(body, 10), GetSysColor(COLOR_HIGHLIGHT));
  pixels.Draw(menu, 0, ODS_SELECTED | ODS_GRAYED);
  EXPECT_EQ(pixels.At(body, 10), GetSysColor(COLOR_MENU)) << "a disabled item is not highlighted";
  pixels.Draw(menu, 2, 0);  // the separator: an etched line across the middle
  EXPECT_EQ(pixels.At(60, 9), GetSysColor(COLOR_3DSHADOW));
  EXPECT_EQ(pixels.At(60, 10), GetSysColor(COLOR_3DHILIGHT));
  EXPECT_EQ(pixels.At(60, 3), GetSysColor(COLOR_MENU));

  BCMenu::SetMenuDrawMode(1, 1);
  ASSERT_TRUE(BCMenu::UseXPStyle());
  EXPECT_EQ(BCMenu::LightenColor(RGB(0, 100, 255), 0.5), RGB(127, 177, 255));
  pixels.Draw(menu, 0, 0);
  EXPECT_EQ(pixels.At(0, 10), BCMenu::XPStripLeft());
  EXPECT_EQ(pixels.At(BCMenu::kIconColumn - 1, 10), BCMenu::XPStripRight());
  EXPECT_EQ(pixels.At(body, 10), BCMenu::XPBackground());
  pixels.Draw(menu, 0, ODS_SELECTED);
  EXPECT_EQ(pixels.At(0, 0), GetSysColor(COLOR_HIGHLIGHT)) << "the selection frame";
  EXPECT_EQ(pixels.At(119, 19), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(pixels.At(body, 10), BCMenu::XPSelection());
  pixels.Draw(menu, 2, 0);
  EXPECT_EQ(pixels.At(60, 10), GetSysColor(COLOR_3DSHADOW));
  EXPECT_EQ(pixels.At(60, 3), BCMenu::XPBackground());
  EXPECT_EQ(pixels.At(0, 10), BCMenu::XPStripLeft());
  BCMenu::SetMenuDrawMode(1, 0);
}

namespace {

// A window that records the commands it receives.
class CommandSink : public CWnd {
public:
  std::vector<UINT> commands;

protected:
  BOOL OnCommand(WPARAM wParam, LPARAM) override {
    commands.push_back(LOWORD(wParam));
    return TRUE;
  }
};

}  // namespace

TEST(ButtonST, TheDropDownMenuOpensUnderTheButtonAndReportsTheChosenItem) {
  CommandSink sink;
  ASSERT_TRUE(sink.CreateEx(0, nullptr, "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
  CWnd host;
  ASSERT_TRUE(host.CreateEx(0, nullptr, "Drop-down", WS_POPUP | WS_VISIBLE | WS_CAPTION, CRect(100, 100, 400, 300),
                            nullptr, 0));
  HWND hwnd = CreateWindowExA(0, "BUTTON", "Menu", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 20, 100, 30, host, nullptr,
                              nullptr, nullptr);
  CButtonST button;
  ASSERT_TRUE(button.SubclassWindow(hwnd));
  EXPECT_EQ(button.SetMenu(9999, sink), static_cast<DWORD>(CButtonST::BTNST_INVALIDRESOURCE));
  ASSERT_EQ(button.SetMenu(IDR_TEST_MENU, sink), static_cast<DWORD>(CButtonST::BTNST_OK));
  BringToFront(host);
  BCMenu::SetMenuDrawMode(1, 1);

  RECT menuRect = {}, buttonRect = {};
  bool shownWhileOpen = false;
  int xpBackground = 0;
  RunLater(200, [&] {
    HWND menu = nullptr;
    PumpUiUntil([&] { return (menu = FindWindowA("#32768", nullptr)) && IsWindowVisible(menu); }, 3000);
    if (!menu) return;
    shownWhileOpen = button.IsMenuShown();
    GetWindowRect(menu, &menuRect);
    RECT client;
    GetClientRect(menu, &client);
    xpBackground = CountPixels(menu, client, BCMenu::XPBackground());
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
  });
  button.GetWindowRect(&buttonRect);
  button.SendMessage(BM_CLICK);
  PumpUiUntil([&] { return !sink.commands.empty(); }, 3000);
  BCMenu::SetMenuDrawMode(1, 0);

  EXPECT_TRUE(shownWhileOpen);
  EXPECT_FALSE(button.IsMenuShown());
  EXPECT_EQ(menuRect.left, buttonRect.left) << "the menu opens at the button's bottom left";
  EXPECT_EQ(menuRect.top, buttonRect.bottom);
  EXPECT_GT(xpBackground, 100) << "the items are drawn in the XP look";
  EXPECT_EQ(sink.commands, std::vector<UINT>{IDM_TEST_SECOND});
  button.UnsubclassWindow();
  host.DestroyWindow();
  sink.DestroyWindow();
}
