// The engine's string and variant value: number text, conversions, comparisons, arrays, growth.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "script/containers.h"
#include "script/scriptstring.h"
#include "script/scriptvalue.h"

namespace {

CScriptValue Num(double d) {
  CScriptValue v;
  v.SetNumber(d);
  return v;
}

CScriptValue Str(const char* s) {
  CScriptValue v;
  v.SetString(s);
  return v;
}

const double kInf = std::numeric_limits<double>::infinity();

}  // namespace

TEST(ScriptNumberText, PinnedForms) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {5, "5"},
      {0.1 + 0.2, "0.3"},
      {-0.5, "-0.5"},
      {1e15, "1e+015"},
      {123456789012345.0, "123456789012345"},
      {1e20, "1e+020"},
      {1.5e-7, "1.5e-007"},
      {-2.5e300, "-2.5e+300"},
      {1.0 / 3, "0.333333333333333"},
      {kInf, "1.#INF"},
      {-kInf, "-1.#INF"},
      {-std::numeric_limits<double>::quiet_NaN(), "-1.#IND"},
      {std::numeric_limits<double>::quiet_NaN(), "1.#QNAN"},
      {2147483648.0, "2147483648"},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(Num(c.value).GetString(), c.text) << c.text;
  }
  // Division by zero follows the floating-point rules.
  CScriptValue v = Num(1);
  v.Divide(Num(0));
  EXPECT_STREQ(v.GetString(), "1.#INF");
  v = Num(0);
  v.Divide(Num(0));
  EXPECT_TRUE(std::isnan(v.GetNumber()));
}

TEST(ScriptNumberText, TextToNumberAndInteger) {
  struct Case {
    const char* text;
    double number;
    int integer;
  } cases[] = {
      {"0x1F", 31, 31},
      {"0X10", 16, 16},
      {"0xffffffff", -1, -1},
      {"0x123456789", 0, 0},  // a ninth digit
      {"0xG1", 0, 0},
      {"0x", 0, 0},
      {"12abc", 12, 12},
      {"abc", 0, 0},
      {"", 0, 0},
      {"  7", 7, 7},
      {"-.5", -0.5, 0},
      {"+3.75", 3.75, 3},
      {"1e3", 1000, 1},  // the integer reads only the leading digits
      {"1e", 1, 1},
      {"2e+", 2, 2},
      {"inf", 0, 0},
      {"nan", 0, 0},
      {" 0x10", 0, 0},
      {"99999999999", 99999999999.0, INT_MAX},
      {"-99999999999", -99999999999.0, INT_MIN},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Str(c.text).GetNumber(), c.number) << c.text;
    EXPECT_EQ(Str(c.text).GetInt(), c.integer) << c.text;
  }
}

TEST(ScriptNumberText, NumberToIntegerIsDefinedEverywhere) {
  struct Case {
    double number;
    int integer;
  } cases[] = {
      {2.9, 2},
      {-2.9, -2},
      {2147483647.5, INT_MAX},
      {-2147483648.5, INT_MIN},
      {1e20, INT_MAX},
      {-1e20, INT_MIN},
      {kInf, INT_MAX},
      {-kInf, INT_MIN},
      {std::numeric_limits<double>::quiet_NaN(), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Num(c.number).GetInt(), c.integer) << c.number;
}

TEST(ScriptValue, ArithmeticAndConcatenation) {
  CScriptValue v = Str("0x1F");
  v.Add(Num(1));
  EXPECT_TRUE(v.IsNumber());
  EXPECT_EQ(v.GetNumber(), 32);
  v = Str("12abc");
  v.Add(Num(0));
  EXPECT_EQ(v.GetNumber(), 12);
  v = Num(1);
  v.Concat(Num(2));
  EXPECT_TRUE(v.IsString());
  EXPECT_STREQ(v.GetString(), "12");
  v.Concat(v);
  EXPECT_STREQ(v.GetString(), "1212");
  EXPECT_EQ(v.GetNumber(), 1212);  // the cached number follows the new text

  // A string that became a number keeps no stale text, and the other way round.
  v = Str("1.50");
  v.ChangeToNumber();
  EXPECT_STREQ(v.GetString(), "1.5");
  v = Num(0.1 + 0.2);
  v.ChangeToString();
  EXPECT_EQ(v.GetNumber(), 0.3);

  // Arrays and references leave arithmetic alone.
  CScriptValue a;
  a.AddSubscript(2);
  ASSERT_TRUE(a.CreateArray());
  v = Num(5);
  v.Add(a);
  EXPECT_EQ(v.GetNumber(), 5);
  v.Concat(a);
  EXPECT_TRUE(v.IsNumber());
}

TEST(ScriptValue, ComparisonsAndTruth) {
  struct Case {
    CScriptValue left, right;
    bool equal, equalCase, less, greater;
  } cases[] = {
      {Str("abc"), Str("ABC"), true, false, false, false},
      {Num(1), Str("1"), true, true, false, false},
      {Num(1.0), Str("1.0"), true, false, false, false},  // texts 1 and 1.0
      {Str("10"), Str("9"), false, false, true, false},   // two strings order as text
      {Num(10), Str("9"), false, false, false, true},     // otherwise as numbers
      {Str("0X10"), Num(16), true, false, false, false},
      {Str("b"), Str("A"), false, false, false, true},
  };
  for (const Case& c : cases) {
    std::string what = std::string(c.left.GetString()) + " vs " + c.right.GetString();
    EXPECT_EQ(c.left.IsEqual(c.right), c.equal) << what;
    EXPECT_EQ(c.left.IsEqualCase(c.right), c.equalCase) << what;
    EXPECT_EQ(c.left.IsLess(c.right), c.less) << what;
    EXPECT_EQ(c.left.IsGreater(c.right), c.greater) << what;
  }

  struct Truth {
    CScriptValue value;
    bool truth;
    double notValue;
  } truths[] = {
      {Str("0"), true, 1},  // the string 0 is true, but converts to 0
      {Str(""), false, 1},  {Num(0.0), false, 1}, {Num(0.5), true, 1},
      {Num(-2), true, 0},   {Str("abc"), true, 1}, {Str("7"), true, 0},
  };
  for (Truth& t : truths) {
    EXPECT_EQ(t.value.IsTrue(), t.truth) << t.value.GetString();
    t.value.Not();
    EXPECT_EQ(t.value.GetNumber(), t.notValue);
  }
  CScriptValue a;
  a.AddSubscript(1);
  ASSERT_TRUE(a.CreateArray());
  EXPECT_FALSE(a.IsTrue());
  EXPECT_FALSE(a.IsEqual(a));
  EXPECT_STREQ(a.GetString(), "");
}

TEST(ScriptValue, ArrayLimits) {
  struct Case {
    std::vector<int> sizes;
    bool made;
    bool tooLarge;
  } cases[] = {
      {{4096, 4096}, false, true},  // 16777216 elements
      {{65536, 65536, 2}, false, true},  // wraps to 0 in 32 bits
      {{2, 3, 0}, false, false},
      {{-1}, false, false},
      {{}, false, false},
      {{1, 1, 1, 1, 1, 1, 1, 1}, true, false},
      {{4095, 4096}, true, false},
  };
  for (const Case& c : cases) {
    CScriptValue v = Str("old");
    for (int s : c.sizes) ASSERT_TRUE(v.AddSubscript(s));
    bool tooLarge = !c.tooLarge;
    EXPECT_EQ(v.CreateArray(&tooLarge), c.made) << c.sizes.size();
    EXPECT_EQ(tooLarge, c.tooLarge) << c.sizes.size();
    if (!c.made) {
      EXPECT_TRUE(v.IsNumber());
      EXPECT_EQ(v.GetNumber(), 0);
    }
  }
  CScriptValue v;
  for (int i = 0; i < 8; ++i) EXPECT_TRUE(v.AddSubscript(1));
  EXPECT_FALSE(v.AddSubscript(1));  // a ninth subscript
}

TEST(ScriptValue, ElementsDimensionsAndReDimCopies) {
  CScriptValue a;
  a.AddSubscript(3);
  a.AddSubscript(4);
  ASSERT_TRUE(a.CreateArray());
  EXPECT_EQ(a.GetDimension(0), 2);
  EXPECT_EQ(a.GetDimension(1), 3);
  EXPECT_EQ(a.GetDimension(2), 4);
  EXPECT_EQ(a.GetDimension(3), 0);
  struct Access {
    std::vector<int> at;
    int index;
  } accesses[] = {{{0, 0}, 0}, {{1, 2}, 6}, {{2, 3}, 11}, {{3, 0}, -1}, {{0, 4}, -1}, {{-1, 0}, -1}, {{1}, -1}, {{1, 1, 1}, -1}};
  for (const Access& x : accesses) {
    a.ClearSubscripts();
    for (int s : x.at) a.AddSubscript(s);
    EXPECT_EQ(a.ElementIndex(), x.index);
    EXPECT_EQ(a.GetElement() != nullptr, x.index >= 0);
  }
  a.ClearSubscripts();
  a.AddSubscript(2);
  a.AddSubscript(1);
  EXPECT_EQ(a.GetElement()->GetNumber(), 0);  // made as the number 0 on first use
  a.GetElement()->SetString("two-one");
  std::shared_ptr<CScriptValue> bound = a.GetElementShared();

  // A copy written after it was made has elements of its own.
  CScriptValue copy(a);
  copy.ClearSubscripts();
  copy.AddSubscript(2);
  copy.AddSubscript(1);
  copy.GetElement()->SetString("changed");
  EXPECT_STREQ(bound->GetString(), "two-one");

  // ReDim keeps the elements inside both shapes; its own elements keep their identity.
  CScriptValue grown = std::move(a);
  for (int first : {5, 6}) {
    grown.ClearSubscripts();
    grown.AddSubscript(first);
    grown.AddSubscript(2);
    ASSERT_TRUE(grown.ResizeArray());
    grown.ClearSubscripts();
    grown.AddSubscript(2);
    grown.AddSubscript(1);
    EXPECT_EQ(grown.GetElement(), bound.get()) << first;
  }

  // ReDim of a copy keeps the elements' values and leaves the array it was copied from alone.
  CScriptValue shrunk(copy);
  shrunk.ClearSubscripts();
  shrunk.AddSubscript(3);
  shrunk.AddSubscript(2);
  ASSERT_TRUE(shrunk.ResizeArray());
  shrunk.ClearSubscripts();
  shrunk.AddSubscript(2);
  shrunk.AddSubscript(1);
  EXPECT_STREQ(shrunk.GetElement()->GetString(), "changed");
  shrunk.GetElement()->SetString("resized");
  copy.ClearSubscripts();
  copy.AddSubscript(2);
  copy.AddSubscript(1);
  EXPECT_STREQ(copy.GetElement()->GetString(), "changed");
  EXPECT_EQ(copy.GetDimension(2), 4);
  // Different numbers of dimensions keep nothing.
  CScriptValue flat(copy);
  flat.ClearSubscripts();
  flat.AddSubscript(12);
  ASSERT_TRUE(flat.ResizeArray());
  flat.ClearSubscripts();
  flat.AddSubscript(9);
  EXPECT_EQ(flat.GetElement()->GetNumber(), 0);

  // Assigning an element of an array to the array itself is safe.
  CScriptValue self;
  self.AddSubscript(2);
  ASSERT_TRUE(self.CreateArray());
  self.ClearSubscripts();
  self.AddSubscript(1);
  self.GetElement()->SetString("inner");
  self.Copy(*self.GetElement());
  EXPECT_STREQ(self.GetString(), "inner");
}

TEST(ScriptString, GrowthAndEdits) {
  CScriptString s;
  EXPECT_EQ(s.GetCapacity(), 1);
  s.AppendChar('a');
  EXPECT_EQ(s.GetCapacity(), 3);
  s.AppendText("bcd");  // length 4 no longer fits in 3
  EXPECT_EQ(s.GetCapacity(), 9);
  s.AppendChar('e');
  EXPECT_EQ(s.GetCapacity(), 9);
  s.Append(s);
  EXPECT_STREQ(s.GetText(), "abcdeabcde");
  s.AssignText("xy");
  EXPECT_EQ(s.GetCapacity(), 21);  // assignment keeps a buffer that is large enough
  s.Empty();
  EXPECT_EQ(s.GetCapacity(), 1);

  struct Edit {
    int a, b;
    const char* erased;
    const char* truncated;
    const char* sub;
  } edits[] = {
      {1, 3, "adef", "a", "bc"}, {0, 6, "", "", "abcdef"}, {3, 3, "abcdef", "abc", ""},
      {-1, 2, "abcdef", "abcdef", ""}, {4, 7, "abcdef", "abcd", ""}, {6, 6, "abcdef", "abcdef", ""},
  };
  for (const Edit& e : edits) {
    CScriptString t("abcdef"), u("abcdef"), v;
    t.EraseRange(e.a, e.b);
    u.Truncate(e.a);
    v.AssignSubstring(CScriptString("abcdef"), e.a, e.b);
    EXPECT_STREQ(t.GetText(), e.erased) << e.a << "," << e.b;
    EXPECT_STREQ(u.GetText(), e.truncated) << e.a;
    EXPECT_STREQ(v.GetText(), e.sub) << e.a << "," << e.b;
  }
  CScriptString w("a b  \t ");
  EXPECT_EQ(w.FindLastNotOf(" \t"), 2);
  EXPECT_EQ(w.FindFirstOf("\t"), 5);
  EXPECT_EQ(w.FindFirstOf("z"), 7);
  w.TrimRight(" \t");
  EXPECT_STREQ(w.GetText(), "a b");
  CScriptString blanks("   ");
  blanks.TrimRight(" ");
  EXPECT_STREQ(blanks.GetText(), "");
  EXPECT_STREQ(CScriptString("abc").CharAt(5), "");
  CScriptString up("MiXed");
  up.MakeUpper();
  EXPECT_STREQ(up.GetText(), "MIXED");
  up.MakeLower();
  EXPECT_STREQ(up.GetText(), "mixed");
}

TEST(ScriptString, FindOccurrence) {
  CScriptString s("aXaxaaxa");  // length 8
  struct Case {
    const char* text;
    bool caseSensitive;
    int n;
    int at;
  } cases[] = {
      {"a", true, 1, 0},  {"a", true, 3, 4},   {"a", true, 6, 8},   {"a", true, -1, 7},
      {"a", true, -5, 0}, {"a", true, -6, -1}, {"x", false, 2, 3},  {"x", true, 2, 6},
      {"aa", true, 1, 4}, {"axa", false, 2, 2},  // overlapping matches count
      {"axa", false, 3, 5}, {"", true, 1, 8},  {"", true, -1, -1},  {"a", true, 0, 8},
      {"aXaxaaxaa", true, 1, 8},
  };
  for (const Case& c : cases)
    EXPECT_EQ(s.FindOccurrence(c.text, c.caseSensitive, c.n), c.at) << c.text << " " << c.n;
}

TEST(ScriptContainers, EndTokensAndEmptyTops) {
  CTokenList tokens;
  EXPECT_EQ(tokens.GetAt(0).kind, TOK_END);
  EXPECT_EQ(tokens.GetAt(-1).kind, TOK_END);
  CValueList values;
  values.Add(Str("x"));
  EXPECT_STREQ(values.GetAt(0).GetString(), "x");
  EXPECT_EQ(values.GetAt(1).GetNumber(), 0);
  CValueStack stack;
  EXPECT_EQ(stack.Top().GetNumber(), 0);
  CIntStack ints;
  EXPECT_EQ(ints.Top(), 0);
  CBlockStack blocks;
  EXPECT_EQ(blocks.Head(), nullptr);
  EXPECT_EQ(blocks.Top().kind, BLOCK_IF);

  // A reference entry points at the caller's value; an ordinary entry owns a copy.
  CVariableTable table;
  auto outer = std::make_shared<CScriptValue>(Num(1));
  table.SetReference("R", outer);
  table.SetValue("V", *outer);
  table.SetValue("R", Num(9));
  EXPECT_EQ(outer->GetNumber(), 9);
  EXPECT_EQ(table.Find("V")->GetNumber(), 1);
  EXPECT_EQ(table.Find("v"), nullptr);  // callers upper-case names
}

TEST(ScriptValue, CopiesOfAStringKeepTheirOwnText) {
  // Copies share a text; one of them appending leaves every other copy's text and length alone.
  CScriptValue s = Str("ab");
  s.Concat(Str("c"));  // a buffer with room
  CScriptValue t(s);
  s.Concat(Str("d"));
  EXPECT_STREQ(t.GetString(), "abc");
  EXPECT_EQ(t.GetStringLength(), 3);
  CScriptValue u(t), v(t);
  u.Concat(u);
  v.Concat(Str("e"));
  const char* texts[][2] = {{s.GetString(), "abcd"}, {t.GetString(), "abc"}, {u.GetString(), "abcabc"},
                            {v.GetString(), "abce"}};
  for (auto& text : texts) EXPECT_STREQ(text[0], text[1]);
  CScriptValue five = Num(5);
  CScriptValue copy(five);
  EXPECT_STREQ(five.GetString(), "5");
  copy.Concat(five);
  EXPECT_STREQ(copy.GetString(), "55");
  EXPECT_STREQ(five.GetString(), "5");
  EXPECT_EQ(copy.GetInt(), 55);
}

TEST(ScriptString, EmptyStringsShareNoBufferThatTheyWrite) {
  // Empty strings cost no allocation; each still grows into a buffer of its own.
  CScriptString a, b(a), c(""), d(std::move(b));
  for (CScriptString* s : {&a, &b, &c, &d}) {
    EXPECT_STREQ(s->GetText(), "");
    EXPECT_EQ(s->GetCapacity(), s == &b ? 0 : 1);
  }
  a.AppendChar('x');
  c.AssignText("yz");
  d.GetBuffer(0);
  d.SetLength(-1);
  EXPECT_STREQ(a.GetText(), "x");
  EXPECT_STREQ(c.GetText(), "yz");
  EXPECT_STREQ(d.GetText(), "");
  CScriptString e;
  EXPECT_STREQ(e.GetText(), "");
  a.Empty();
  a.AssignText("");
  a.MakeUpper();
  a.TrimRight(" ");
  EXPECT_STREQ(a.GetText(), "");
  CScriptString f(a);
  f = c;
  EXPECT_STREQ(f.GetText(), "yz");
  EXPECT_STREQ(CScriptString().GetText(), "");
}

TEST(VariableTable, ManyNamesAreFoundBeforeAndAfterTheTableGrowsAnIndex) {
  CVariableTable table;
  auto name = [](int i) { return "NAME" + std::to_string(i); };
  for (int i = 0; i < 40; ++i) {
    CScriptValue value;
    value.SetInt(i);
    table.SetValue(name(i).c_str(), value);
    // Every name so far, whether found by a scan or by the index.
    for (int j = 0; j <= i; ++j) {
      CScriptValue* found = table.Find(name(j).c_str());
      ASSERT_NE(found, nullptr) << i << " " << j;
      EXPECT_EQ(found->GetInt(), j);
    }
    EXPECT_EQ(table.Find("NAME"), nullptr);
  }
  CScriptValue seven;
  seven.SetInt(7);
  table.SetValue("NAME3", seven);  // an update adds no entry
  EXPECT_EQ(table.GetCount(), 40);
  auto target = std::make_shared<CScriptValue>(seven);
  table.SetReference("NAME30", target);
  table.SetReference("BYREF", target);
  EXPECT_TRUE(table.IsReference("NAME30"));
  EXPECT_TRUE(table.IsReference("BYREF"));
  EXPECT_FALSE(table.IsReference("NAME3"));
  EXPECT_EQ(table.FindShared("BYREF"), target);
  EXPECT_EQ(table.Find("NAME3")->GetInt(), 7);
  table.Clear();
  EXPECT_EQ(table.Find("NAME3"), nullptr);
  EXPECT_EQ(table.Find("BYREF"), nullptr);
  table.SetValue("AGAIN", seven);
  EXPECT_EQ(table.Find("AGAIN")->GetInt(), 7);
}
