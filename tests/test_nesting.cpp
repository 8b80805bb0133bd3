// Deeply nested lines and recursion: every path that recurses ends the run with a script error,
// never with a stack overflow, and single-line Ifs and calls nest without copying the line.
#include <gtest/gtest.h>

#include <string>

#include "script/stackguard.h"
#include "tests/support/script_harness.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

const char kRecursion[] = "Recursion level has been exceeded - Vantorel Pindrel will quit to prevent stack overflow.";

}  // namespace

// Nesting that stays within the stack runs as before; far deeper nesting is refused at the line.
TEST(Nesting, DeepLinesRunOrEndWithAnError) {
  struct Case {
    const char* what;
    std::string script;
    const char* x;  // the value of $x afterwards, or null when the run ends with the nesting error
  } cases[] = {
      {"200 subscripts", "Dim $a[2]\n$a[0] = 0\n$x = " + NestedText("$a[", "0", "]", 200), "0"},
      {"200 built-in calls", "$x = " + NestedText("PixelGetColor(", "-1", ", -1)", 200), "-1"},
      {"200 user calls", "Func f($v)\nReturn $v + 1\nEndFunc\n$x = " + NestedText("f(", "0", ")", 200), "200"},
      {"27,000 subscripts", "Dim $a[2]\n$x = " + NestedText("$a[", "0", "]", 27000), nullptr},
      {"30,000 built-in calls", "$x = " + NestedText("Abs(", "1", ")", 30000), nullptr},
      {"30,000 user calls", "Func f($v)\nReturn $v\nEndFunc\n$x = " + NestedText("f(", "1", ")", 30000), nullptr},
      {"30,000 brackets in calls", "$x = " + NestedText("Abs((", "1", "))", 30000), nullptr},
  };
  // The deep cases fail while their arguments are evaluated: no built-in is called.
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptHarness h;
    bool clean = h.Run(c.script);
    if (c.x) {
      EXPECT_TRUE(clean) << h.LastBox();
      EXPECT_EQ(h.Global("X"), c.x);
    } else {
      EXPECT_EQ(h.LastError(), kNestedTooDeeply);
      EXPECT_EQ(h.Global("X"), "");  // made by the assignment, never given the value
    }
  }
}

// A recursive function whose recursive call sits inside nested subscripts, calls or Ifs reaches
// the end of the stack before the depth limit: the run ends with an error either way.
TEST(Nesting, RecursionInsideNestedExpressionsIsBounded) {
  const std::string subscripts = NestedText("$a[", "f($n + 1)", "]", 100);
  const std::string calls = NestedText("PixelGetColor(", "f($n + 1)", ", -1)", 100);
  const std::string ifs = NestedText("If 1 Then ", "$r = f($n + 1)", "", 100);
  for (const std::string& body : {"Return " + subscripts, "Return " + calls, ifs + "\nReturn 0"}) {
    SCOPED_TRACE(body.substr(0, 40));
    ScriptHarness h;
    h.Run("Global $a[2], $depth = 0\nf(0)\nFunc f($n)\n$depth = $n\n" + body + "\nEndFunc");
    std::string error = h.LastError();
    EXPECT_TRUE(error == kRecursion || error == kNestedTooDeeply) << error;
    EXPECT_EQ(h.boxes().size(), 1u);
  }
}

// 100,000 single-line Ifs in one line (1.3 MB) run their statement; a false condition anywhere
// skips it. Neither copies the rest of the line per level.
TEST(Nesting, SingleLineIfsNestWithoutLimit) {
  for (const char* condition : {"1", "0"}) {
    ScriptHarness h;
    std::string line = NestedText(std::string("If ") + "1 Then ", "", "", 50000) + "If " + condition + " Then " +
                       NestedText("If 1 Then ", "$x = 5", "", 50000);
    ASSERT_TRUE(h.Run("$x = 1\n" + line)) << h.LastBox().substr(0, 200);
    EXPECT_EQ(h.Global("X"), std::string(condition) == "1" ? "5" : "1");
  }
  // The statement after Then may be any statement, also one that changes the next line.
  ScriptHarness h;
  ASSERT_TRUE(h.Run("$n = 0\nWhile 1\n$n = $n + 1\nIf 1 Then If $n = 3 Then ExitLoop\nWend\n$done = $n")) << h.LastBox();
  EXPECT_EQ(h.Global("DONE"), "3");
}
