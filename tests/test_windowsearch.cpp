// Window and control search over real windows that the test creates.
#include <gtest/gtest.h>

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
  return CreateWindowExA(0, cls, title, style, 60, 60, 300, 200, parent, nullptr, wc.hInstance, nullptr);
}

// Two top-level windows; Beta has children of several classes, one of them hidden.
class WindowSearch : public ::testing::Test {
public:
  void SetUp() override {
    alpha = MakeWindow("PindrelSearchA", "Pindrel Search Alpha window");
    beta = MakeWindow("PindrelSearchB", "Pindrel Search Beta");
    one = MakeWindow("Button", "One", beta);
    MakeWindow("Button", "Two", beta);
    three = MakeWindow("Button", "Three", beta);
    typed = MakeWindow("Edit", "typed words", beta);
    hidden = MakeWindow("Edit", "secret text", beta, false);
    pane = MakeWindow("Pane", "", beta);
    paneX = MakeWindow("PaneX", "pane text", beta);
  }
  void TearDown() override {
    DestroyWindow(alpha);
    DestroyWindow(beta);
  }

  HWND Find(int mode, const std::string& title, const std::string& text = "") {
    script().WinTitleMatchMode = mode;
    CValueList args;
    CScriptValue t, x;
    t.SetString(title.c_str());
    x.SetString(text.c_str());
    args.Add(t);
    if (!text.empty()) args.Add(x);
    script().SetWindowSearch(args);
    return script().FindWindowByTitle() ? script().Search.FoundWindow : nullptr;
  }
  CQuorvex_Script& script() { return harness.script(); }

  ScriptHarness harness;
  HWND alpha, beta, one, three, typed, hidden, pane, paneX;
};

}  // namespace

TEST_F(WindowSearch, TitleMatchModesAndTexts) {
  char handle[16];
  WindowHandleText(beta, handle);
  std::string lower = handle;
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  struct Case {
    int mode;
    std::string title, text;
    HWND expected;
    int hiddenText = 0, textMode = 1;
  } cases[] = {
      {1, "Pindrel Search Be", "", beta},
      {1, "Search Beta", "", nullptr},
      {1, "pindrel search beta", "", nullptr},  // case counts
      {2, "Alpha win", "", alpha},
      {3, "Pindrel Search Bet", "", nullptr},
      {3, "Pindrel Search Beta", "", beta},
      {4, "Pindrel Search Be", "", beta},
      {4, "CLASSNAME=PindrelSearchB", "", beta},
      {4, "classname=pindrelsearchb", "", nullptr},
      {4, std::string("handle=") + handle, "", beta},
      {4, "HANDLE=" + lower, "", beta},
      {4, std::string("handle=0x") + handle, "", nullptr},
      {1, "Pindrel Search", "ed wor", beta},  // texts are those of the children
      {1, "Pindrel Search", "secret", nullptr},
      {1, "Pindrel Search", "secret", beta, 1},
      {1, "Pindrel Search", "pane text", beta, 0, 2},
      {2, "Alpha", "typed", nullptr},
      {1, "", "typed", beta},
  };
  for (const Case& c : cases) {
    script().WinDetectHiddenText = c.hiddenText;
    script().WinTextMatchMode = c.textMode;
    EXPECT_EQ(Find(c.mode, c.title, c.text), c.expected) << c.mode << " '" << c.title << "' '" << c.text << "'";
  }
  EXPECT_EQ(std::string(handle).size(), 8u);
}

TEST_F(WindowSearch, LastActiveAndChildWindows) {
  EXPECT_EQ(Find(4, "last"), nullptr);  // nothing found yet
  EXPECT_EQ(Find(4, ""), nullptr);
  EXPECT_EQ(Find(4, "Pindrel Search Al"), alpha);
  EXPECT_EQ(Find(4, "No such window at all"), nullptr);
  EXPECT_EQ(Find(4, "LAST"), alpha);  // a failed search keeps the last window found
  EXPECT_EQ(Find(1, "last"), nullptr);

  ASSERT_TRUE(BringToFront(beta));
  for (int mode : {1, 2, 3}) EXPECT_EQ(Find(mode, ""), beta) << mode;
  EXPECT_TRUE(script().IsWindowActive());
  EXPECT_EQ(Find(4, "Active"), beta);
  Find(4, "Pindrel Search Al");
  EXPECT_TRUE(script().WindowExists());
  EXPECT_FALSE(script().IsWindowActive());

  EXPECT_EQ(Find(3, "Three"), nullptr);
  script().WinSearchChildren = 1;
  EXPECT_EQ(Find(3, "Three"), three);
  script().WinSearchChildren = 0;

  Find(4, "Pindrel Search Al");
  DestroyWindow(alpha);
  EXPECT_EQ(Find(4, "last"), nullptr);  // a window that is gone is not found
}

TEST_F(WindowSearch, ControlsByClassInstanceOrText) {
  struct Case {
    const char* control;
    HWND expected;
    bool textPass;
  } cases[] = {
      {"", beta, false},
      {"Button1", one, false},
      {"Button3", three, false},
      {"Edit2", hidden, false},  // hidden controls count
      {"Three", three, true},
      {"typed words", typed, true},
      {"Button4", nullptr, true},
      {"Pane1", pane, false},
      // "Pane" children are no instances of "PaneX": they must not shift its count.
      {"PaneX1", paneX, false},
  };
  script().WinTitleMatchMode = 1;
  for (const Case& c : cases) {
    BOOL found = script().FindControl("Pindrel Search Beta", "", c.control);
    EXPECT_EQ(found ? script().Search.FoundControl : nullptr, c.expected) << c.control;
    EXPECT_EQ(script().Search.TextPass, c.textPass) << c.control;
  }
  EXPECT_FALSE(script().FindControl("No such window at all", "", ""));
}
