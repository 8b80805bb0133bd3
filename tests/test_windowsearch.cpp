// Window and control search over real windows that the test creates.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "script/windowsearch.h"
#include "tests/support/script_harness.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

HWND MakeWindow(const char* cls, const char* title, HWND parent = nullptr, bool visible = true) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = cls;
  RegisterClassA(&wc);  // fails harmlessly for the system classes and the second time
  DWORD style = (parent ? WS_CHILD : WS_OVERLAPPEDWINDOW) | (visible ? WS_VISIBLE : 0);
  return CreateWindowExA(0, cls, title, style, parent ? 5 : 60, parent ? 5 : 60, parent ? 50 : 300, parent ? 20 : 200,
                         parent, nullptr, wc.hInstance, nullptr);
}

// Three top-level windows; Beta has children of several classes, one hidden.
class WindowSearchTest : public ::testing::Test {
public:
  void SetUp() override {
    alpha = MakeWindow("PindrelSearchA", "Pindrel Search Alpha window");
    beta = MakeWindow("PindrelSearchB", "Pindrel Search Beta");
    one = MakeWindow("Button", "One", beta);
    two = MakeWindow("Button", "Two", beta);
    three = MakeWindow("Button", "Three", beta);
    typed = MakeWindow("Edit", "typed words", beta);
    hidden = MakeWindow("Edit", "secret text", beta, false);
    pane = MakeWindow("Pane", "", beta);
    paneX = MakeWindow("PaneX", "pane text", beta);
    gamma = MakeWindow("PindrelSearchC", "Gamma owns Button2", nullptr);
    script().WinTitleMatchMode = 1;
  }
  void TearDown() override {
    for (HWND w : {alpha, beta, gamma}) DestroyWindow(w);
  }

  CQuorvex_Script& script() { return harness.script(); }

  HWND Find(const std::string& title, const std::string& text) {
    CValueList args;
    CScriptValue t, x;
    t.SetString(title.c_str());
    x.SetString(text.c_str());
    args.Add(t);
    if (!text.empty()) args.Add(x);
    script().SetWindowSearch(args);
    return script().FindWindowByTitle() ? script().Search.FoundWindow : nullptr;
  }

  static std::string Hex(HWND w, bool lower) {
    char text[16];
    WindowHandleText(w, text);
    std::string s = text;
    if (lower)
      for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
  }

  ScriptHarness harness;
  HWND alpha, beta, gamma, one, two, three, typed, hidden, pane, paneX;
};

TEST_F(WindowSearchTest, TitleMatchModesAndTexts) {
  struct Case {
    int mode;
    std::string title, text;
    HWND WindowSearchTest::*expected;  // nullptr: not found
    int hiddenText = 0, textMode = 1;
  } cases[] = {
      {1, "Pindrel Search Be", "", &WindowSearchTest::beta},
      {1, "Search Beta", "", nullptr},
      {1, "pindrel search beta", "", nullptr},  // case counts
      {2, "Search Beta", "", &WindowSearchTest::beta},
      {2, "Alpha win", "", &WindowSearchTest::alpha},
      {3, "Pindrel Search Bet", "", nullptr},
      {3, "Pindrel Search Beta", "", &WindowSearchTest::beta},
      {4, "Pindrel Search Be", "", &WindowSearchTest::beta},
      {4, "classname=PindrelSearchB", "", &WindowSearchTest::beta},
      {4, "CLASSNAME=PindrelSearchB", "", &WindowSearchTest::beta},
      {4, "classname=pindrelsearchb", "", nullptr},
      {4, "classname=PindrelSearch", "", nullptr},
      // Texts are looked for in the children.
      {1, "Pindrel Search", "typed", &WindowSearchTest::beta},
      {1, "Pindrel Search", "ed wor", &WindowSearchTest::beta},
      {1, "Pindrel Search", "Typed", nullptr},
      {1, "Pindrel Search", "secret", nullptr},
      {1, "Pindrel Search", "secret", &WindowSearchTest::beta, 1},
      {1, "Pindrel Search", "pane text", &WindowSearchTest::beta, 0, 2},
      {2, "Alpha", "typed", nullptr},
      {1, "", "typed", &WindowSearchTest::beta},  // an empty title matches every window
  };
  for (const Case& c : cases) {
    script().WinTitleMatchMode = c.mode;
    script().WinDetectHiddenText = c.hiddenText;
    script().WinTextMatchMode = c.textMode;
    HWND expected = c.expected ? this->*c.expected : nullptr;
    EXPECT_EQ(Find(c.title, c.text), expected) << "mode " << c.mode << " title '" << c.title << "' text '" << c.text << "'";
  }
}

TEST_F(WindowSearchTest, HandleTextMatchesInAnyCase) {
  script().WinTitleMatchMode = 4;
  EXPECT_EQ(Hex(beta, false).size(), 8u);
  EXPECT_EQ(Find("handle=" + Hex(beta, false), ""), beta);
  EXPECT_EQ(Find("HANDLE=" + Hex(beta, true), ""), beta);
  EXPECT_EQ(Find("handle=0x" + Hex(beta, false), ""), nullptr);
}

TEST_F(WindowSearchTest, LastFoundWindowSurvivesAFailedSearch) {
  script().WinTitleMatchMode = 4;
  EXPECT_EQ(Find("last", ""), nullptr);  // nothing found yet
  EXPECT_EQ(Find("", ""), nullptr);
  EXPECT_EQ(Find("Pindrel Search Al", ""), alpha);
  EXPECT_EQ(Find("No such window at all", ""), nullptr);
  EXPECT_EQ(Find("LAST", ""), alpha);
  EXPECT_EQ(Find("", ""), alpha);
  script().WinTitleMatchMode = 1;  // the other modes know no "last"
  EXPECT_EQ(Find("last", ""), nullptr);
  script().WinTitleMatchMode = 4;
  DestroyWindow(alpha);
  alpha = nullptr;
  EXPECT_EQ(Find("last", ""), nullptr);  // a window that is gone is not found
}

TEST_F(WindowSearchTest, EmptyTitleOrActiveIsTheForegroundWindow) {
  SetForegroundWindow(beta);
  ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == beta; }, 3000));
  for (int mode : {1, 2, 3}) {
    script().WinTitleMatchMode = mode;
    EXPECT_EQ(Find("", ""), beta) << mode;
    EXPECT_TRUE(script().IsWindowActive());
  }
  script().WinTitleMatchMode = 4;
  EXPECT_EQ(Find("Active", ""), beta);
  EXPECT_EQ(Find("Pindrel Search Al", ""), alpha);
  EXPECT_TRUE(script().WindowExists());
  EXPECT_FALSE(script().IsWindowActive());
}

TEST_F(WindowSearchTest, ChildWindowsAreSearchedOnlyWhenAsked) {
  script().WinTitleMatchMode = 3;
  EXPECT_EQ(Find("Three", ""), nullptr);
  script().WinSearchChildren = 1;
  EXPECT_EQ(Find("Three", ""), three);
  EXPECT_EQ(Find("Pindrel Search Beta", ""), beta);
}

TEST_F(WindowSearchTest, ControlsByClassInstanceOrText) {
  struct Case {
    const char* control;
    HWND WindowSearchTest::*expected;
    bool textPass;
  } cases[] = {
      {"", &WindowSearchTest::beta, false},
      {"Button1", &WindowSearchTest::one, false},
      {"Button3", &WindowSearchTest::three, false},
      {"Edit2", &WindowSearchTest::hidden, false},  // hidden controls count
      {"Three", &WindowSearchTest::three, true},
      {"typed words", &WindowSearchTest::typed, true},
      {"Button4", nullptr, true},
      {"button1", nullptr, true},
      {"Button01", nullptr, true},
      {"Pane1", &WindowSearchTest::pane, false},
      // "Pane" children are no instances of "PaneX": they must not shift its count.
      {"PaneX1", &WindowSearchTest::paneX, false},
  };
  for (const Case& c : cases) {
    BOOL found = script().FindControl("Pindrel Search Beta", "", c.control);
    HWND expected = c.expected ? this->*c.expected : nullptr;
    EXPECT_EQ(found != FALSE, expected != nullptr) << c.control;
    EXPECT_EQ(found ? script().Search.FoundControl : nullptr, expected) << c.control;
    EXPECT_EQ(script().Search.TextPass, c.textPass) << c.control;
  }
  EXPECT_FALSE(script().FindControl("No such window at all", "", ""));
  // A control is looked for in the window found, not in another window that has one.
  EXPECT_FALSE(script().FindControl("Gamma", "", "Button2"));
}

}  // namespace
