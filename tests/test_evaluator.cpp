// Expressions: precedence, associativity, comparison rules, truth, short-circuit, macros and
// every evaluator error with its column.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/script_harness.h"

using namespace testing_support;

TEST(Evaluator, Results) {
  struct Case {
    const char* expression;
    const char* result;
  } cases[] = {
      // precedence and associativity
      {"1 + 2 * 3", "7"}, {"(1 + 2) * 3", "9"}, {"2 ^ 3 ^ 2", "64"}, {"-2 ^ 2", "4"}, {"2 - -1", "3"},
      {"10 - 2 - 3", "5"}, {"100 / 10 / 5", "2"}, {"2 * 3 ^ 2", "18"}, {"(-2) ^ 3", "-8"}, {"- (2 + 3) * 2", "-10"},
      {"1 & 2 + 3", "15"}, {"1 + 2 & 3", "33"}, {"1 < 2 < 3", "1"}, {"3 > 2 > 1", "0"},
      // logic: one level for AND and OR, evaluated left to right; NOT binds tightest
      {"NOT 0 + 1", "2"}, {"1 = 1 AND 2 = 3", "0"}, {"1 OR 0 AND 0", "0"}, {"NOT 5 = 5", "0"}, {"NOT 0 = 1", "1"},
      {"NOT 0.5", "0"}, {"NOT ''", "1"}, {"NOT '0'", "0"}, {"2 AND 'x'", "1"}, {"0 OR ''", "0"},
      // comparisons: two strings as text without case, else as numbers; == compares texts
      {"'abc' = 'ABC'", "1"}, {"'abc' == 'ABC'", "0"}, {"'abc' == 'abc'", "1"}, {"'10' = 10", "1"},
      {"1 == '1'", "1"}, {"1.0 == '1.0'", "0"}, {"'10' < '9'", "1"}, {"10 < '9'", "0"}, {"'' = 0", "1"},
      {"'a' <> 'A'", "0"}, {"1 <> 2", "1"}, {"3 >= 3", "1"}, {"'b' <= 'A'", "0"}, {"'0x10' = 16", "1"},
      // power
      {"0 ^ 0", "1"}, {"0 ^ -1", "1"}, {"0 ^ 2", "0"}, {"2 ^ -1", "0.5"}, {"2 ^ 0.5", "1.4142135623731"},
      // numbers and their text
      {"0.1 + 0.2", "0.3"}, {"1 / 0", "1.#INF"}, {"-1 / 0", "-1.#INF"}, {"1e300 * 1e300", "1.#INF"},
      {"2 ^ 70", "1.18059162071741e+021"}, {"1 / 3", "0.333333333333333"}, {"0x7fffffff + 1", "2147483648"},
      {"'12abc' + 0", "12"}, {"'abc' * 1", "0"}, {"'0x1F' + 1", "32"}, {"7 / 2", "3.5"},
      // short-circuit: the right operand is not looked at
      {"0 AND $undeclared", "0"}, {"1 OR $undeclared", "1"}, {"0 AND ($undeclared OR 1) OR 1", "1"},
      {"1 OR Abs(x y z)", "1"}, {"0 AND $a[Abs(1 2)] OR 1", "1"},
      // macros, in any case
      {"@crlf = @CRLF", "1"}, {"@Tab", "\t"}, {"@CR & @LF", "\r\n"}, {"@sw_showmaximized", "3"}, {"@SW_RESTORE", "9"},
      {"@COMPILED", "0"}, {"@Error", "0"}, {"StringLen(@year) = 4", "1"},
  };
  ScriptHarness h;
  for (const Case& c : cases) {
    if (!*c.result) continue;  // rows that need built-ins of other families
    EXPECT_EQ(h.Eval(c.expression), c.result) << c.expression;
  }
  EXPECT_TRUE(h.boxes().empty()) << h.LastBox();
}

TEST(Evaluator, TimeMacrosAreTexts) {
  ScriptHarness h;
  SYSTEMTIME now;
  GetLocalTime(&now);
  EXPECT_EQ(h.Eval("@YEAR"), std::to_string(now.wYear));
  std::string month = h.Eval("@MON");
  ASSERT_EQ(month.size(), 2u);
  EXPECT_EQ(std::stoi(month), now.wMonth);
  EXPECT_EQ(h.Eval("@Mon & ''"), month);  // a string, leading zero kept
  EXPECT_EQ(h.Eval("@WDAY"), std::to_string(now.wDayOfWeek + 1));
  EXPECT_EQ(h.Eval("@MDAY").size(), 2u);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string tempDir = temp;
  tempDir.pop_back();
  EXPECT_EQ(h.Eval("@TEMPDIR"), tempDir);
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  EXPECT_EQ(h.Eval("@DesktopWidth"), std::to_string(desktop.right));
  EXPECT_EQ(h.Eval("@OSTYPE"), "WIN32_NT");
}

TEST(Evaluator, ErrorsAndColumns) {
  struct Case {
    const char* setup;  // lines run first
    const char* expression;
    const char* message;
    int column;
  } cases[] = {
      {"", "(1 + 2", "Missing right bracket ')' in expression.", 0},
      {"", "1 + 2)", "Unbalanced brackets in expression.", 0},
      {"", "  1 2", "Error in expression.", 2},
      {"", "1 +", "Error in expression.", 0},
      {"", "NOT", "Error in expression.", 0},
      {"", "* 2", "Error in expression.", 0},
      {"", "", "Error in expression.", 0},
      {"", "0 AND (1", "Error in expression.", 0},
      {"", "1 + $nope", "Variable used without being declared.", 4},
      {"", "@nope", "Unknown macro.", 0},
      {"$s = 5", "1 + $s[0]", "Subscript used with non-Array variable.", 6},
      {"Dim $a[5]", "$a[-1]", "Array variable subscript badly formatted.", 3},
      {"Dim $a[5]", "$a[1", "Array variable subscript badly formatted.", 3},
      {"Dim $a[5]", "2 * $a[5]", "Array variable has incorrect number of subscripts or subscript dimension range exceeded.", 4},
      {"Dim $a[5]", "$a[1][1]", "Array variable has incorrect number of subscripts or subscript dimension range exceeded.", 0},
      {"Dim $a[5]", "$a[0][0][0][0][0][0][0][0][0]",
       "Array variable has incorrect number of subscripts or subscript dimension range exceeded.", 0},
      {"Dim $a[2][3]", "$a[1]", "Array variable has incorrect number of subscripts or subscript dimension range exceeded.", 0},
  };
  for (const Case& c : cases) {
    ScriptHarness h;
    if (*c.setup) {
      ASSERT_TRUE(h.Run(c.setup)) << h.LastBox();
    }
    EXPECT_EQ(h.Eval(c.expression), "") << c.expression;
    std::string line = c.expression;
    EXPECT_EQ(h.LastBox(), "Line 1:\n\n" + line + "\n" + line.substr(0, c.column) + "^ ERROR\n\nError: " + c.message)
        << c.expression;
  }
}

TEST(Evaluator, DimMarksTheSubscriptItRefuses) {
  // A bad size and a missing "]" both point at the first token of the subscript.
  struct Case {
    const char* line;
    int column;
  } cases[] = {
      {"Dim $a[3", 7}, {"Dim $a[2, 3]", 7}, {"Dim $a[0]", 7}, {"Dim $a[2][1 - 1]", 10}, {"Dim $b[2][ 4 + 1", 11},
      {"ReDim $a[5", 9},
  };
  for (const Case& c : cases) {
    ScriptHarness h;
    EXPECT_FALSE(h.Run(c.line)) << c.line;
    std::string line = c.line;
    EXPECT_EQ(h.LastBox(), "Line 1:\n\n" + line + "\n" + line.substr(0, c.column) +
                               "^ ERROR\n\nError: Array variable subscript badly formatted.")
        << c.line;
  }
}

TEST(Evaluator, ArraysAndSubscripts) {
  ScriptHarness h;
  ASSERT_TRUE(h.Run("Dim $a[3][4], $i = 2\n"
                    "$a[1][2] = 'x'\n"
                    "$a[$i][$i + 1] = 5\n"
                    "$b = $a\n"
                    "$b[1][2] = 'changed'\n"))
      << h.LastBox();
  struct Case {
    const char* expression;
    const char* result;
  } cases[] = {
      {"$a[1][2]", "x"}, {"$a[2][3] * 2", "10"}, {"$a[0][0]", "0"}, {"$a[1][1 + 1] & '!'", "x!"},
      {"$b[1][2]", "changed"}, {"$a[ 3 - 2 ][ ( 2 ) ]", "x"}, {"$a", ""}, {"$a = $a", "0"},
  };
  for (const Case& c : cases) EXPECT_EQ(h.Eval(c.expression), c.result) << c.expression;
  EXPECT_TRUE(h.boxes().empty()) << h.LastBox();
}

// Lines that run again find their variables and branches quickly: what they find must still
// follow declarations, ByRef bindings and values that changed since.
TEST(Evaluator, LinesThatRunAgainFollowTheScript) {
  struct Case {
    const char* script;
    const char* result;  // of $r
  } cases[] = {
      {"$x = 'g'\n$r = ''\nF()\n$r = $r & $x\nFunc F()\nFor $n = 1 To 2\n$r = $r & $x & ','\n"
       "If $n = 1 Then Local $x = 'l'\nNext\nEndFunc",
       "g,l,g"},
      {"$a = 1\n$b = 10\nG($a)\nG($b)\nG($a)\n$r = $a & ',' & $b\nFunc G(ByRef $p)\n$p = $p + 1\nEndFunc", "3,11"},
      {"$r = ''\nFor $k = 0 To 4\nIf $k = 1 Then\n$r = $r & 'a'\nElseIf $k = 3 Then\n$r = $r & 'b'\nElse\n"
       "$r = $r & '-'\nEndIf\nSelect\nCase $k = 0\n$r = $r & '0'\nCase $k > 2\n$r = $r & '>'\nEndSelect\nNext",
       "-0a-b>->"},
      {"Dim $a[3]\n$r = ''\nFor $i = 0 To 2\n$a[$i] = $i * 2\nNext\nFor $i = 2 To 0 Step -1\n$r = $r & $a[$i]\nNext", "420"},
      // A local of an earlier call is gone in the next one, in this function and in another.
      {"$r = F(1) & F(0) & H()\nFunc F($first)\nIf $first Then Local $t = 5\nReturn IsDeclared('t')\nEndFunc\n"
       "Func H()\nLocal $u = 1\nReturn IsDeclared('t') & IsDeclared('first') & Eval('u')\nEndFunc",
       "-10001"},
      {"$r = Fib(10) & ',' & Call('seven') & ',' & Add2(2, 3)\nFunc Fib($n)\nIf $n < 2 Then Return $n\n"
       "Return Fib($n - 1) + Fib($n - 2)\nEndFunc\nFunc aDD2($a, $b)\nReturn $a + $b\nEndFunc\n"
       "Func Seven()\nReturn 7\nEndFunc",
       "55,7,5"},
      {"$r = ''\n$i = 0\nWhile 1\n$i = $i + 1\nIf $i > 3 Then ExitLoop\n$j = 0\nWhile $j < $i\n$j = $j + 1\n"
       "$r = $r & $j\nWend\n$r = $r & ';'\nWend",
       "1;12;123;"},
      // The line after a TAG line reached from above is skipped.
      {"$r = ''\n$i = 0\nTAG $top\n$i = $i + 1\n$r = $r & $i\nIf $i < 3 Then GOTO $top\n$r = $r & '.'", "0123."},
  };
  for (const Case& c : cases) {
    ScriptHarness h;
    ASSERT_TRUE(h.Run(c.script)) << c.script << "\n" << h.LastBox();
    EXPECT_EQ(h.Global("R"), c.result) << c.script;
  }
}

TEST(Evaluator, MustDeclareVarsRefusesImplicitVariables) {
  struct Case {
    const char* script;
    const char* error;  // "" when the script runs
  } cases[] = {
      {"$x = 1", "Variable used without being declared."},
      {"For $i = 1 To 2\nNext", "Variable used without being declared."},
      {"Dim $x\n$x = 1\nFor $x = 1 To 2\nNext", ""},
      {"Local $a[2]\n$a[1] = 5", ""},
  };
  for (const Case& c : cases) {
    ScriptHarness h;
    h.script().MustDeclareVars = 1;
    h.Run(c.script);
    EXPECT_EQ(h.LastError(), c.error) << c.script;
  }
}

TEST(Evaluator, CopiesOfAStringKeepTheirTextWhileOneOfThemGrows) {
  // Copies share a text and one of them may append in place: every other copy reads its own.
  ScriptHarness h;
  ASSERT_TRUE(h.Run("Func Grow($p)\n"
                    "  $p = $p & '!'\n"
                    "  Return $p\n"
                    "EndFunc\n"
                    "$s = 'ab'\n"
                    "$s = $s & 'c'\n"
                    "$t = $s\n"
                    "$s = $s & 'd'\n"
                    "$u = $t & 'X'\n"
                    "$v = $s & 'e' & $s\n"
                    "$w = $s & $s\n"
                    "$g = Grow($s)\n"
                    "Dim $a[2]\n"
                    "$a[0] = $s\n"
                    "$a[1] = $a[0] & 'f'\n"
                    "$n = 12\n"
                    "$m = $n & 3\n"))
      << h.LastBox();
  struct Case {
    const char* expression;
    const char* result;
  } cases[] = {
      {"$s", "abcd"},      {"$t", "abc"},        {"$u", "abcX"},      {"$v", "abcdeabcd"}, {"$w", "abcdabcd"},
      {"$g", "abcd!"},     {"$a[0]", "abcd"},    {"$a[1]", "abcdf"},  {"$t & $t", "abcabc"}, {"$s == 'abcd'", "1"},
      {"$n", "12"},        {"$m + 1", "124"},
  };
  for (const Case& c : cases) EXPECT_EQ(h.Eval(c.expression), c.result) << c.expression;
  EXPECT_TRUE(h.boxes().empty()) << h.LastBox();
}

TEST(Evaluator, ConditionsOnPlainOperandsDecideAsExpressionsDo) {
  // An If on two plain operands is decided on them where they are; in brackets the same
  // comparison takes the general evaluation. Both must agree for every mix of texts and numbers.
  const char* operands[] = {"1", "'1'", "'01'", "10", "'9'", "'abc'", "'ABC'", "''", "0", "1.5", "$n", "$s"};
  const char* operators[] = {"<", ">", "<=", ">=", "<>", "=", "=="};
  std::string script = "$n = 10\n$s = 'Abc'\n$quick = ''\n$general = ''\n";
  for (const char* a : operands)
    for (const char* op : operators)
      for (const char* b : operands) {
        std::string comparison = std::string(a) + " " + op + " " + b;
        script += "If " + comparison + " Then\n$quick = $quick & 1\nElse\n$quick = $quick & 0\nEndIf\n";
        script += "$general = $general & (" + comparison + ")\n";
      }
  ScriptHarness h;
  ASSERT_TRUE(h.Run(script)) << h.LastBox();
  EXPECT_EQ(h.Global("QUICK").size(), 12u * 7u * 12u);
  EXPECT_EQ(h.Global("QUICK"), h.Global("GENERAL"));
}

TEST(Evaluator, AssignmentsThatUpdateTheirOwnVariable) {
  // "$v = $v op x" changes $v where it is: the result, the copies taken before and the errors
  // are those of the general evaluation.
  ScriptHarness h;
  ASSERT_TRUE(h.Run("$s = 'ab'\n$t = $s\n$s = $s & $s\n$s = $s & 'c'\n$n = 5\n$n = $n + 1\n$n = $n * $n\n"
                    "$q = '7'\n$q = $q - 2\n$p = 2\n$p = $p ^ 3\n$e = $e & 'x'\n$z = 1\n$z = $z & $z\n"
                    "Dim $a[2]\n$a[1] = 4\n$b = $a\n$b = $b + 1\n$f = 1\n$f = $f / 0\n"))
      << h.LastBox();
  struct Case {
    const char* expression;
    const char* result;
  } cases[] = {
      {"$s", "ababc"}, {"$t", "ab"}, {"$n", "36"},   {"$q", "5"},      {"$p", "8"},
      {"$e", "x"},     {"$z", "11"}, {"$b[1]", "4"}, {"$f", "1.#INF"}, {"$z + 1", "12"},
  };
  for (const Case& c : cases) EXPECT_EQ(h.Eval(c.expression), c.result) << c.expression;
  ScriptHarness undeclared;
  EXPECT_FALSE(undeclared.Run("$k = 1\n$k = $k + $nope\n"));
  EXPECT_EQ(undeclared.LastError(), "Variable used without being declared.");
  EXPECT_EQ(undeclared.Global("K"), "1");
  ScriptHarness trailing;
  EXPECT_FALSE(trailing.Run("$k = 1\n$k = $k + 1 2\n"));
  EXPECT_EQ(trailing.LastError(), "Error in expression.");
  EXPECT_EQ(trailing.Global("K"), "1");
}

// The shortcuts for plain operands (a lone operand or two around an operator, "$v = $v op x",
// an If on two operands) must answer as the general evaluation does: the same value of the same
// kind, or the same error report, for every operator over every kind of plain operand.
TEST(Evaluator, ShortcutsAnswerAsTheGeneralEvaluation) {
  const std::vector<std::string> operands = {"0",    "1",   "2.5", "10", "'12'", "'007'", "'0x1A'", "' '", "''",
                                             "'abc'", "$n", "$t",  "$h", "$b",   "$e",    "$nope"};
  const char* operators[] = {"<", ">", "<=", ">=", "<>", "=", "==", "&", "+", "-", "*", "/", "^", "AND", "OR"};
  struct Case {
    std::string left, rest;  // the first operand, and the operator and operand after it
  };
  std::vector<Case> cases;
  for (const std::string& a : operands) cases.push_back({a, ""});
  for (const std::string& a : operands)
    for (const char* op : operators)
      for (const std::string& b : operands) cases.push_back({a, std::string(" ") + op + " " + b});
  auto transcript = [&](bool general) {
    ScriptHarness h;
    h.script().ForceGeneralEvaluation = general;
    EXPECT_TRUE(h.Run("$n = 4\n$t = '5'\n$h = '0x10'\n$b = ' '\n$e = ''\n")) << h.LastBox();
    std::vector<std::string> out;
    auto outcome = [&](size_t boxes, bool failed, const CScriptValue& value) {
      if (h.boxes().size() != boxes) return "error " + h.LastBox() + (failed ? "" : " (not failed)");
      return std::string(failed ? "failed silently " : value.IsNumber() ? "number " : "text ") + value.GetString();
    };
    auto run = [&](const std::string& line, auto step) {
      CTokenList tokens;
      if (h.Tokenize(line, tokens)) return std::string("lexer error");
      int index = 0;
      size_t boxes = h.boxes().size();
      CScriptValue value;
      bool failed = step(tokens, index, value);
      h.script().Run.WaitState = WAIT_NONE;  // an error report ends only this step
      return line + ": " + outcome(boxes, failed, value) + (failed ? "" : " at " + std::to_string(index));
    };
    for (const Case& c : cases) {
      const std::string expression = c.left + c.rest;
      out.push_back(run(expression, [&](const CTokenList& tokens, int& index, CScriptValue& value) {
        return h.script().EvaluateExpression(tokens, index, value);
      }));
      out.push_back(run("If " + expression, [&](const CTokenList& tokens, int& index, CScriptValue& value) {
        bool truth = false;
        ++index;
        bool failed = h.script().EvaluateCondition(tokens, index, truth);
        value.SetInt(truth ? 1 : 0);
        return failed;
      }));
      if (c.rest.empty()) continue;  // a lone operand updates nothing
      out.push_back(run("$v = " + c.left, [&](const CTokenList& tokens, int& index, CScriptValue&) {
        return h.script().DoAssignment(tokens, index);
      }) + " / " + run("$v = $v" + c.rest, [&](const CTokenList& tokens, int& index, CScriptValue& value) {
        bool failed = h.script().DoAssignment(tokens, index);
        CScriptValue* v = nullptr;
        if (h.variables().GetRef("V", v, SCOPE_GLOBAL)) value = *v;
        return failed;
      }));
    }
    return out;
  };
  std::vector<std::string> quick = transcript(false), general = transcript(true);
  ASSERT_EQ(quick.size(), general.size());
  int differences = 0;
  for (size_t i = 0; i < quick.size() && differences < 10; ++i) {
    if (quick[i] != general[i]) {
      EXPECT_EQ(quick[i], general[i]);
      ++differences;
    }
  }
}

TEST(Evaluator, CopiesOfAnArrayStayIndependentOfIt) {
  // An array copied by assignment, as an operand, as an argument or as a return value is its
  // own after either side is written; a ByRef element writes only its own array.
  const std::string setup = "Dim $a[2], $c\n$a[0] = 'a'\n$a[1] = 'b'\n";
  struct Case {
    const char* script;
    const char* result;  // of $r
  } cases[] = {
      {"$b = $a\n$b[0] = 'x'\n$a[1] = 'y'\n$r = $a[0] & $a[1] & $b[0] & $b[1]", "ayxb"},
      {"$b = ($a)\n$b[0] = 'x'\n$a[1] = 'y'\n$r = $a[0] & $a[1] & $b[0] & $b[1]", "ayxb"},
      {"$r = F($a) & $a[0]\nFunc F($p)\n$p[0] = 'f'\nReturn $p[0]\nEndFunc", "fa"},
      {"$r = G($a) & $a[0]\nFunc G($p)\n$a[0] = 'g'\nReturn $p[0]\nEndFunc", "ag"},
      {"$b = H()\n$b[0] = 'h'\n$r = $a[0] & $b[0]\nFunc H()\nReturn $a\nEndFunc", "ah"},
      {"$b = K()\n$b[0] = 'k'\n$r = $a[0] & $b[0] & $c[0]\nFunc K()\n$c = $a\nReturn $c\nEndFunc", "aka"},
      {"Dim $o[1]\n$o[0] = $a\n$a[0] = 'z'\n$i = $o[0]\n$r = $i[0] & $a[0]", "az"},
      // ReDim of one holder leaves the other as it was.
      {"$b = $a\nReDim $a[3]\n$a[0] = 'x'\n$r = $b[0] & UBound($b) & $a[0] & $a[1] & UBound($a)", "a2xb3"},
      {"$b = $a\nReDim $b[1]\n$b[0] = 'x'\n$r = $a[0] & UBound($a) & $b[0] & UBound($b)", "a2x1"},
      // A bound element: a copy taken while it is bound, or before it, does not see its writes,
      // and it outlives a ReDim that drops it.
      {"W($a[0])\n$r = $a[0] & $c[0]\nFunc W(ByRef $e)\n$c = $a\n$e = 'w'\nEndFunc", "wa"},
      {"$c = $a\nW($a[0])\n$r = $a[0] & $c[0]\nFunc W(ByRef $e)\n$e = 'w'\nEndFunc", "wa"},
      {"$r = D($a[1]) & $c[1] & UBound($a)\nFunc D(ByRef $e)\n$c = $a\nReDim $a[1]\n$e = 'e'\nReturn $e\nEndFunc",
       "eb1"},
      {"$r = U($a) & IsArray($a) & IsArray($c)\nFunc U(ByRef $p)\nReturn UBound($p)\nEndFunc", "210"},
  };
  for (const Case& c : cases) {
    ScriptHarness h;
    ASSERT_TRUE(h.Run(setup + c.script)) << c.script << "\n" << h.LastBox();
    EXPECT_EQ(h.Global("R"), c.result) << c.script;
  }
}
