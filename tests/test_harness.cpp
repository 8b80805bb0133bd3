// The test harness itself: synthesised clicks and keys reach the logging test window.
#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "tests/support/test_target.h"

using namespace testing_support;

TEST(Harness, ClickAndKeyReachTheTarget) {
  TestTarget target;
  ASSERT_TRUE(target.Start());

  POINT p = target.ScreenPoint(300, 200);  // an empty spot of the main window's client area
  SetCursorPos(p.x, p.y);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  ASSERT_TRUE(target.WaitForMessages("WM_LBUTTONUP", 1));

  ASSERT_TRUE(BringToFront(target.hwnd()));
  target.ClearLog();
  keybd_event('Q', 0, 0, 0);
  keybd_event('Q', 0, KEYEVENTF_KEYUP, 0);
  ASSERT_TRUE(target.WaitForMessages("WM_KEYUP", 1));

  std::vector<std::string> expected = {"edit WM_KEYDOWN 81", "edit WM_CHAR 113", "edit WM_KEYUP 81"};
  std::vector<std::string> got;
  for (const TargetEvent& e : target.Events()) got.push_back(e.control + " " + e.message + " " + std::to_string(e.a));
  EXPECT_EQ(got, expected);
}

TEST(Harness, ClickArrivesAtItsClientPosition) {
  TestTarget target;
  ASSERT_TRUE(target.Start("Pindrel Target Two", 150, 120));
  struct Case {
    int x, y;
    DWORD down, up;
    const char* downName;
    const char* upName;
  } cases[] = {
      {300, 200, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, "WM_LBUTTONDOWN", "WM_LBUTTONUP"},
      {250, 250, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, "WM_RBUTTONDOWN", "WM_RBUTTONUP"},
      {400, 150, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP, "WM_MBUTTONDOWN", "WM_MBUTTONUP"},
  };
  for (const Case& c : cases) {
    target.ClearLog();
    POINT p = target.ScreenPoint(c.x, c.y);
    SetCursorPos(p.x, p.y);
    mouse_event(c.down, 0, 0, 0, 0);
    mouse_event(c.up, 0, 0, 0, 0);
    ASSERT_TRUE(target.WaitForMessages(c.upName, 1)) << c.upName;
    std::vector<std::string> expected = {
        std::string("main ") + c.downName + " " + std::to_string(c.x) + " " + std::to_string(c.y),
        std::string("main ") + c.upName + " " + std::to_string(c.x) + " " + std::to_string(c.y),
    };
    EXPECT_EQ(target.EventLines(), expected);
  }
}
