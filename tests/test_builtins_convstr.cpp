// Conversion, math, string and registry built-ins: results and @error values from scripts,
// hostile format texts, and registry round trips under a test key of HKCU.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "script/random.h"
#include "script/sysutil/sysutil.h"
#include "tests/support/script_harness.h"

using namespace testing_support;

namespace {

struct Case {
  const char* expression;
  const char* result;
  int error;  // @error after the call
};

void CheckCases(ScriptHarness& h, const Case* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const Case& c = cases[i];
    EXPECT_EQ(h.Eval(c.expression), c.result) << c.expression;
    EXPECT_EQ(h.Eval("@error"), std::to_string(c.error)) << c.expression;
  }
  EXPECT_TRUE(h.boxes().empty()) << h.LastBox();
}

}  // namespace

TEST(Convert, CharactersAndHexadecimal) {
  const Case cases[] = {
      {"Asc('')", "0", 0}, {"Asc('AB')", "65", 0}, {"Asc(Chr(200))", "200", 0}, {"Asc(5)", "53", 0},
      {"Chr(65)", "A", 0}, {"Chr(321)", "A", 0}, {"Chr(-191)", "A", 0}, {"Chr('65')", "", 0}, {"Chr(0)", "", 0},
      {"Chr(512)", "", 0}, {"Chr(65.9)", "A", 0},
      {"Dec('ff')", "255", 0}, {"Dec('FFFFFFFF')", "-1", 0}, {"Dec('7fffffff')", "2147483647", 0}, {"Dec('')", "0", 0},
      {"Dec('100000000')", "0", 1}, {"Dec('g')", "0", 1}, {"Dec(' 1')", "0", 1}, {"Dec(10)", "16", 0},
      {"Hex(255, 2)", "FF", 0}, {"Hex(256, 2)", "00", 1}, {"Hex(1, 9)", "", 1}, {"Hex(1, -1)", "", 1},
      {"Hex(-1, 8)", "FFFFFFFF", 0}, {"Hex(0, 0)", "", 0}, {"Hex(1, 0)", "", 1}, {"Hex('0x1F', 2)", "1F", 0},
      {"Hex(3.9, 1)", "3", 0},
      // Values beyond 32 bits saturate; what is not a number is 0.
      {"Hex(1e20, 8)", "7FFFFFFF", 0}, {"Hex(-1e20, 8)", "80000000", 0}, {"Hex(1 / 0, 8)", "7FFFFFFF", 0},
      {"Hex(Sqrt(-1), 8)", "00000000", 0},
  };
  ScriptHarness h;
  CheckCases(h, cases, std::size(cases));
}

TEST(Convert, ConversionsAndTypeTests) {
  const Case cases[] = {
      {"Int(-1.7)", "-1", 0}, {"Int(1.7)", "1", 0}, {"Int('3.9')", "3", 0}, {"Int(1e15 + 0.5)", "1e+015", 0},
      {"Int(6e9)", "6000000000", 0}, {"Int(1 / 0)", "9.22337203685478e+018", 0},
      {"Int(-1 / 0)", "-9.22337203685478e+018", 0}, {"Int(Sqrt(-1))", "0", 0},
      {"Number('12abc')", "12", 0}, {"IsNumber(Number('5'))", "1", 0}, {"IsString(Number('5'))", "0", 0},
      {"String(3.5)", "3.5", 0}, {"IsString(String(1))", "1", 0}, {"String(1e20)", "1e+020", 0},
      {"IsString('123')", "1", 0}, {"IsNumber('3')", "0", 0}, {"IsNumber(3)", "1", 0}, {"IsArray(3)", "0", 0},
      {"IsInt(3.0)", "1", 0}, {"IsInt(3.5)", "0", 0}, {"IsInt('3')", "0", 0}, {"IsInt(1 / 0)", "0", 0},
      {"IsFloat(3.5)", "1", 0}, {"IsFloat(3)", "0", 0}, {"IsFloat('3.5')", "0", 0}, {"IsFloat(1 / 0)", "0", 0},
  };
  ScriptHarness h;
  CheckCases(h, cases, std::size(cases));
}

TEST(Convert, BitOperations) {
  const Case cases[] = {
      {"BitAnd(12, 10)", "8", 0}, {"BitOr(12, 10)", "14", 0}, {"BitXor(12, 10)", "6", 0},
      {"BitAnd(-1, 255, 15)", "15", 0}, {"BitOr(1, 2, 4, 8, 16)", "31", 0}, {"BitXor(1, 1, 1)", "1", 0},
      {"BitOr(0x80000000, 1)", "-2147483647", 0}, {"BitAnd('0xFF', 0x0F)", "15", 0}, {"BitAnd(3.9, 1.9)", "1", 0},
      {"BitNot(0)", "-1", 0}, {"BitNot(-1)", "0", 0}, {"BitNot(5)", "-6", 0},
      {"BitShift(-8, 1)", "-4", 0}, {"BitShift(1, -4)", "16", 0}, {"BitShift(1, 33)", "0", 0},
      {"BitShift(16, 32)", "16", 0}, {"BitShift(1, -31)", "-2147483648", 0}, {"BitShift(1, -32)", "1", 0},
      {"BitShift(-1, 31)", "-1", 0}, {"BitShift(0x80000000, 31)", "-1", 0}, {"BitShift(3, -2147483648)", "3", 0},
      {"BitShift(-2147483648, -1)", "0", 0},
  };
  ScriptHarness h;
  CheckCases(h, cases, std::size(cases));
  // 200 arguments are accepted.
  std::string call = "BitOr(1";
  for (int i = 1; i < 200; ++i) call += ", " + std::to_string(1 << (i % 31));
  EXPECT_EQ(h.Eval(call + ")"), "2147483647");
}

TEST(Convert, RoundingAndArithmetic) {
  const Case cases[] = {
      {"Round(2.5)", "3", 0}, {"Round(-2.5)", "-3", 0}, {"Round(0.5)", "1", 0}, {"Round(2.4)", "2", 0},
      {"Round(-2.4)", "-2", 0}, {"Round(1234.5678, 2)", "1234.57", 0}, {"Round(-1234.5678, 1)", "-1234.6", 0},
      {"Round(1234, -2)", "1200", 0}, {"Round(1250, -2)", "1300", 0}, {"Round(-1250, -2)", "-1300", 0},
      {"Round(0.125, 2)", "0.13", 0}, {"Round('2.5')", "3", 0},
      // Places a double cannot hold leave the number; a scale that underflows gives 0.
      {"Round(1.5, 400)", "1.5", 0}, {"Round(1234, -400)", "0", 0}, {"Round(1 / 0)", "1.#INF", 0},
      {"Mod(7, 3)", "1", 0}, {"Mod(-7, 3)", "-1", 0}, {"Mod(7.5, 2)", "1.5", 0}, {"Mod(7, 0) = Mod(7, 0)", "0", 0},
      {"Abs(-2.5)", "2.5", 0}, {"Abs('-3')", "3", 0}, {"Sqrt(16)", "4", 0}, {"Sqrt(-1) = Sqrt(-1)", "0", 0},
      {"Exp(0)", "1", 0}, {"Log(1)", "0", 0}, {"Log(0)", "-1.#INF", 0}, {"Sin(0)", "0", 0}, {"Cos(0)", "1", 0},
      {"Tan(0)", "0", 0}, {"ATan(1) * 4", "3.14159265358979", 0}, {"ASin(1) * 2", "3.14159265358979", 0},
      {"ACos(-1)", "3.14159265358979", 0}, {"ACos(1)", "0", 0}, {"ASin(2) = ASin(2)", "0", 0},
  };
  ScriptHarness h;
  CheckCases(h, cases, std::size(cases));
}

TEST(Convert, RandomRangesAndFailures) {
  ScriptHarness h;
  RandomSeed(12345);
  for (int i = 0; i < 200; ++i) {
    double any = std::stod(h.Eval("Random()"));
    EXPECT_TRUE(any >= 0 && any < 1) << any;
    double scaled = std::stod(h.Eval("Random(10)"));
    EXPECT_TRUE(scaled >= 0 && scaled < 10) << scaled;
    double between = std::stod(h.Eval("Random(-2, 3)"));
    EXPECT_TRUE(between >= -2 && between < 3) << between;
  }
  // Never rounded to an integer.
  std::set<std::string> draws;
  for (int i = 0; i < 20; ++i) draws.insert(h.Eval("Random(1, 2)"));
  EXPECT_GT(draws.size(), 15u);
  for (const std::string& d : draws) EXPECT_NE(d, "1");
  const Case failures[] = {
      {"Random(5, 5)", "1", 2}, {"Random(6, 5)", "1", 2}, {"Random(0)", "1", 2}, {"Random(-1)", "1", 2},
      {"Random('5')", "1", 1},
  };
  CheckCases(h, failures, std::size(failures));
}

TEST(Convert, ArrayBoundsAndTypes) {
  ScriptHarness h;
  ASSERT_TRUE(h.Run("Dim $a[3][4]\n"
                    "$one = UBound($a)\n$two = UBound($a, 2)\n$dims = UBound($a, 0)\n"
                    "$three = UBound($a, 3)\n$threeError = @error\n$minus = UBound($a, -1)\n"
                    "$plain = UBound(5)\n$plainError = @error\n$isArray = IsArray($a)\n$isString = IsString($a)\n"
                    "$copy = String($a)\n$copyIsArray = IsArray($copy)\n"))
      << h.LastBox();
  const std::pair<const char*, const char*> expected[] = {
      {"one", "3"},   {"two", "4"},        {"dims", "2"},    {"three", "0"},      {"threeError", "1"},
      {"minus", "0"}, {"plain", "1"},      {"plainError", "1"}, {"isArray", "1"}, {"isString", "0"},
      {"copyIsArray", "1"},
  };
  for (const auto& [name, text] : expected) EXPECT_EQ(h.Global(name), text) << name;
}

TEST(Strings, LengthsAndRanges) {
  const Case cases[] = {
      {"StringLen('abc')", "3", 0}, {"StringLen(12.5)", "4", 0}, {"StringLen('')", "0", 0},
      {"StringLeft('abcdef', 2)", "ab", 0}, {"StringLeft('abcdef', 10)", "abcdef", 0},
      {"StringLeft('abcdef', 0)", "", 0}, {"StringLeft('abcdef', -1)", "", 0},
      {"StringRight('abcdef', 2)", "ef", 0}, {"StringRight('abcdef', 10)", "abcdef", 0},
      {"StringRight('abcdef', 0)", "", 0}, {"StringRight('abcdef', -3)", "", 0},
      {"StringMid('abcdef', 3, 2)", "cd", 0}, {"StringMid('abcdef', 5, 10)", "ef", 0},
      {"StringMid('abcdef', 0, 2)", "", 0}, {"StringMid('abcdef', -1, 3)", "", 0}, {"StringMid('abcdef', 7, 1)", "", 0},
      {"StringMid('abcdef', 6, 1)", "f", 0}, {"StringMid('abcdef', 3, 0)", "", 0}, {"StringMid('abcdef', 3, -1)", "", 0},
      {"StringMid('abcdef', 1, 2147483647)", "abcdef", 0}, {"StringMid('abcdef', 1e20, 1)", "", 0},
      {"StringTrimLeft('abcdef', 2)", "cdef", 0}, {"StringTrimLeft('abcdef', 0)", "abcdef", 0},
      {"StringTrimLeft('abcdef', 6)", "", 0}, {"StringTrimLeft('abcdef', -1)", "", 0},
      {"StringTrimRight('abcdef', 2)", "abcd", 0}, {"StringTrimRight('abcdef', 0)", "abcdef", 0},
      {"StringTrimRight('abcdef', 7)", "", 0}, {"StringTrimRight('abcdef', -1)", "", 0},
      {"StringLeft(12345, 2)", "12", 0},
  };
  ScriptHarness h;
  CheckCases(h, cases, std::size(cases));
}

TEST(Strings, SearchReplaceAndCase) {
  const Case cases[] = {
      {"StringInStr('abcABC', 'b')", "2", 0}, {"StringInStr('abcABC', 'B', 1)", "5", 0},
      {"StringInStr('abcABC', 'b', 0, 2)", "5", 0}, {"StringInStr('abcABC', 'b', 0, -1)", "5", 0},
      {"StringInStr('abcABC', 'b', 1, -1)", "2", 0}, {"StringInStr('abcABC', 'b', 1, 2)", "0", 0},
      {"StringInStr('abcABC', 'x')", "0", 0}, {"StringInStr('aaa', 'aa', 0, 2)", "2", 0},
      {"StringInStr('abc', 'b', 0, 0)", "0", 1}, {"StringInStr('abc', '')", "0", 0}, {"StringInStr('', 'a')", "0", 0},
      {"StringInStr('abc', 'abcd')", "0", 0}, {"StringInStr('abcabc', 'c', 0, 3)", "0", 0},
      {"StringInStr('abcabc', 'c', 0, -3)", "0", 0}, {"StringInStr('abc', 'c')", "3", 0},
      {"StringReplace('aXbxc', 'x', '-')", "a-b-c", 0}, {"StringReplace('aXbxc', 'x', '-', 1)", "a-bxc", 0},
      {"StringReplace('aXbxc', 'x', '-', 0, 1)", "aXb-c", 0}, {"StringReplace('aXbxc', 'X', '-', 1, 1)", "a-bxc", 0},
      {"StringReplace('aXbxc', 'x', '-', -5)", "a-b-c", 0}, {"StringReplace('aaa', 'aa', 'b')", "ba", 0},
      {"StringReplace('abc', '', 'z')", "abc", 0}, {"StringReplace('abc', 'abcd', 'z')", "abc", 0},
      {"StringReplace('a.b', '.', '')", "ab", 0}, {"StringReplace('abab', 'ab', 'abab')", "abababab", 0},
      {"StringReplace(1212, 1, 3)", "3232", 0},
      {"StringLower('AbC1')", "abc1", 0}, {"StringUpper('aBc1')", "ABC1", 0},
      {"StringUpper(Chr(228)) == Chr(196)", "1", 0}, {"StringLower(Chr(196)) == Chr(228)", "1", 0},
      {"StringStripCR('a' & @CR & @LF & @CR & 'b') == 'a' & @LF & 'b'", "1", 0},
      {"StringAddCR('a' & @LF & @LF & 'b') == 'a' & @CRLF & @CRLF & 'b'", "1", 0},
      {"StringAddCR('') == ''", "1", 0},
  };
  ScriptHarness h;
  CheckCases(h, cases, std::size(cases));
}

TEST(Strings, StripWhiteSpace) {
  const Case cases[] = {
      {"StringStripWS('  a  b  ', 0)", "  a  b  ", 0}, {"StringStripWS('  a  b  ', 1)", "a  b  ", 0},
      {"StringStripWS('  a  b  ', 2)", "  a  b", 0}, {"StringStripWS('  a  b  ', 3)", "a  b", 0},
      {"StringStripWS('  a  b  ', 4)", " a b ", 0}, {"StringStripWS('  a  b  ', 7)", "a b", 0},
      {"StringStripWS('  a  b  ', 8)", "ab", 0}, {"StringStripWS('  a  b  ', 9)", "ab", 0},
      {"StringStripWS(@TAB & ' a' & @CRLF, 4) == @TAB & 'a' & @CR", "1", 0},
      {"StringStripWS(' ' & @TAB & @LF & Chr(11) & Chr(12), 8)", "", 0}, {"StringStripWS('   ', 3)", "", 0},
  };
  ScriptHarness h;
  CheckCases(h, cases, std::size(cases));
}

TEST(Strings, Classifiers) {
  const Case cases[] = {
      {"StringIsAlpha('')", "1", 0}, {"StringIsAlpha('abC')", "1", 0}, {"StringIsAlpha('ab1')", "0", 0},
      {"StringIsAlpha(' ')", "0", 0}, {"StringIsAlNum('ab1')", "1", 0}, {"StringIsAlNum('ab_')", "0", 0},
      {"StringIsDigit('0129')", "1", 0}, {"StringIsDigit('12a')", "0", 0}, {"StringIsDigit('-1')", "0", 0},
      {"StringIsDigit(123)", "1", 0}, {"StringIsDigit('')", "1", 0},
      {"StringIsXDigit('09afAF')", "1", 0}, {"StringIsXDigit('g')", "0", 0}, {"StringIsXDigit('0x1')", "0", 0},
      {"StringIsLower('abc')", "1", 0}, {"StringIsLower('abC')", "0", 0}, {"StringIsLower('ab1')", "0", 0},
      {"StringIsUpper('ABC')", "1", 0}, {"StringIsUpper('AbC')", "0", 0},
      {"StringIsSpace(' ' & @TAB & @CR & @LF & Chr(11) & Chr(12))", "1", 0}, {"StringIsSpace('a ')", "0", 0},
      {"StringIsSpace('')", "1", 0},
      {"StringIsASCII(Chr(127) & Chr(1))", "1", 0}, {"StringIsASCII('a' & Chr(128))", "0", 0},
      {"StringIsASCII(Chr(255))", "0", 0},
      {"StringIsFloat('1.')", "1", 0}, {"StringIsFloat('.5')", "1", 0}, {"StringIsFloat('-0.25')", "1", 0},
      {"StringIsFloat('+1.5')", "1", 0}, {"StringIsFloat('1')", "0", 0}, {"StringIsFloat('5')", "0", 0},
      {"StringIsFloat('1e5')", "0", 0}, {"StringIsFloat('1.2.3')", "0", 0}, {"StringIsFloat('.')", "0", 0},
      {"StringIsFloat('+.')", "0", 0}, {"StringIsFloat('-.')", "0", 0}, {"StringIsFloat('')", "0", 0},
      {"StringIsFloat(' 1.5')", "0", 0}, {"StringIsFloat(1.5)", "1", 0},
      {"StringIsInt('+5')", "1", 0}, {"StringIsInt('-12')", "1", 0}, {"StringIsInt('007')", "1", 0},
      {"StringIsInt('+')", "0", 0}, {"StringIsInt('-')", "0", 0}, {"StringIsInt('')", "0", 0},
      {"StringIsInt('12a')", "0", 0}, {"StringIsInt('1.0')", "0", 0}, {"StringIsInt('--1')", "0", 0},
  };
  ScriptHarness h;
  CheckCases(h, cases, std::size(cases));
}

TEST(Strings, SplitIntoArrays) {
  ScriptHarness h;
  ASSERT_TRUE(h.Run("$a = StringSplit('a,,b', ',')\n$aError = @error\n"
                    "$a0 = $a[0]\n$a1 = $a[1]\n$a2 = $a[2]\n$a3 = $a[3]\n$aSize = UBound($a)\n"
                    "$b = StringSplit('a,,b', ';')\n$bError = @error\n$b0 = $b[0]\n$b1 = $b[1]\n$bSize = UBound($b)\n"
                    "$c = StringSplit('ab', '')\n$c0 = $c[0]\n$c1 = $c[1]\n$c2 = $c[2]\n$cSize = UBound($c)\n"
                    "$d = StringSplit('x;y,z', ',;')\n$d0 = $d[0]\n$d3 = $d[3]\n"
                    "$e = StringSplit('', ',')\n$eError = @error\n$e0 = $e[0]\n$e1 = $e[1]\n"
                    "$f = StringSplit(',', ',')\n$f0 = $f[0]\n$f1 = $f[1]\n$f2 = $f[2]\n"
                    "$g = StringSplit('', '')\n$g0 = $g[0]\n$gSize = UBound($g)\n"
                    "$strip = StringStripWS($c, 3)\n$stripError = @error\n"))
      << h.LastBox();
  const std::pair<const char*, const char*> expected[] = {
      {"aError", "0"}, {"a0", "3"}, {"a1", "a"}, {"a2", ""}, {"a3", "b"}, {"aSize", "4"},
      {"bError", "1"}, {"b0", "1"}, {"b1", "a,,b"}, {"bSize", "2"},
      {"c0", "2"}, {"c1", "a"}, {"c2", "b"}, {"cSize", "3"},
      {"d0", "3"}, {"d3", "z"},
      {"eError", "1"}, {"e0", "1"}, {"e1", ""},
      {"f0", "2"}, {"f1", ""}, {"f2", ""},
      {"g0", "0"}, {"gSize", "1"},
      {"strip", "1"}, {"stripError", "1"},  // an array has no white space to strip
  };
  for (const auto& [name, text] : expected) EXPECT_EQ(h.Global(name), text) << name;
}

TEST(Strings, FormatConversions) {
  const Case cases[] = {
      {"StringFormat('%05.1f%%', 3.14159)", "003.1%", 0}, {"StringFormat('%d items', 3)", "3 items", 0},
      {"StringFormat('%s-%s', 'a', 'b')", "a-b", 0}, {"StringFormat('%s', 12.5)", "12.5", 0},
      {"StringFormat('%i', '42abc')", "42", 0}, {"StringFormat('%x', 255)", "ff", 0},
      {"StringFormat('%#X', 255)", "0XFF", 0}, {"StringFormat('%X', -1)", "FFFFFFFF", 0},
      {"StringFormat('%o', 8)", "10", 0}, {"StringFormat('%u', -1)", "4294967295", 0},
      {"StringFormat('%5d|', 42)", "   42|", 0}, {"StringFormat('%-5d|', 42)", "42   |", 0},
      {"StringFormat('%+d', 5)", "+5", 0}, {"StringFormat('%.3d', 5)", "005", 0}, {"StringFormat('%d', 1e20)", "2147483647", 0},
      {"StringFormat('%d', 'abc')", "0", 0}, {"StringFormat('%d', Sqrt(-1))", "0", 0},
      {"StringFormat('%5s|%-5s|', 'ab', 'cd')", "   ab|cd   |", 0}, {"StringFormat('%.2s', 'abcdef')", "ab", 0},
      {"StringFormat('%e', 12345.678)", "1.234568e+004", 0}, {"StringFormat('%10.2e|', 1234.5)", " 1.23e+003|", 0},
      {"StringFormat('%012.2e', -1234.5)", "-001.23e+003", 0}, {"StringFormat('%-12.2E|', 1234.5)", "1.23E+003   |", 0},
      {"StringFormat('%g', 1e20)", "1e+020", 0}, {"StringFormat('%G', 1e-10)", "1E-010", 0},
      {"StringFormat('%g', 0.5)", "0.5", 0}, {"StringFormat('%+.1f', 2)", "+2.0", 0},
      {"StringFormat('%e', 1e300)", "1.000000e+300", 0},
      {"StringFormat('%f', 1 / 0)", "1.#INF", 0}, {"StringFormat('%8f|', -1 / 0)", " -1.#INF|", 0},
      {"StringFormat('%08.1f|', -1 / 0)", " -1.#INF|", 0}, {"StringFormat('%-8g|', 1 / 0)", "1.#INF  |", 0},
      // Escapes take no value.
      {"StringFormat('a\\nb') == 'a' & @LF & 'b'", "1", 0}, {"StringFormat('\\t%d\\r', 1) == @TAB & '1' & @CR", "1", 0},
      {"StringFormat('100\\%')", "100%", 0}, {"StringFormat('\\x\\')", "\\x\\", 0}, {"StringFormat('%%d', 1)", "%d", 0},
      // A conversion with no value left ends the text; values left over are ignored.
      {"StringFormat('%d and %d!', 1)", "1 and ", 0}, {"StringFormat('abc%d')", "abc", 0},
      {"StringFormat('%s', 'x', 'y')", "x", 0}, {"StringFormat('plain')", "plain", 0},
  };
  ScriptHarness h;
  CheckCases(h, cases, std::size(cases));
}

TEST(Strings, FormatReadsSizeLettersAsTheConversionWithoutThem) {
  const Case cases[] = {
      {"StringFormat('%ld|%hd|%lf', 5, 7, 2.5)", "5|7|2.500000", 0}, {"StringFormat('%lli|%lu', -3, -1)", "-3|4294967295", 0},
      {"StringFormat('%05hx|%#llo|%lX', 255, 8, 255)", "000ff|010|FF", 0},
      {"StringFormat('%.2le|%lE|%-5lg|%lG', 1234.5, 1, 0.5, 1e-10)", "1.23e+003|1.000000E+000|0.5  |1E-010", 0},
  };
  ScriptHarness h;
  CheckCases(h, cases, std::size(cases));
}

TEST(Strings, FormatRefusesHostileSpecifiers) {
  const Case cases[] = {
      {"StringFormat('%n', 1)", "", 1}, {"StringFormat('a%nb', 1)", "", 1}, {"StringFormat('%*d', 1, 2)", "", 1},
      {"StringFormat('%.*f', 1, 2)", "", 1}, {"StringFormat('%99999d', 1)", "", 1},
      {"StringFormat('%.99999f', 1)", "", 1}, {"StringFormat('%99999999999999999999d', 1)", "", 1},
      {"StringFormat('%5', 1)", "", 1}, {"StringFormat('50%', 1)", "", 1}, {"StringFormat('%ls', 'x')", "", 1},
      {"StringFormat('%S', 'x')", "", 1}, {"StringFormat('%hhd', 1)", "", 1}, {"StringFormat('%hf', 1)", "", 1},
      {"StringFormat('%llg', 1)", "", 1}, {"StringFormat('%lc', 65)", "", 1}, {"StringFormat('%l', 1)", "", 1},
      {"StringFormat('%I64d', 1)", "", 1}, {"StringFormat('%p', 1)", "", 1}, {"StringFormat('%c', 65)", "", 1},
      {"StringFormat('%d %q', 1, 2)", "", 1},
      // At the limits: widths and precisions up to 65535 are written whole.
      {"StringLen(StringFormat('%65535d', 1))", "65535", 0},
      {"StringLen(StringFormat('%.65535d', 1))", "65535", 0},
      {"StringLen(StringFormat('%.65535f', 1e308))", "65845", 0},
      {"StringLen(StringFormat('%-65535s|', 'x'))", "65536", 0},
  };
  ScriptHarness h;
  CheckCases(h, cases, std::size(cases));
  // A successful call after a refused one clears @error.
  EXPECT_EQ(h.Eval("StringFormat('%d', 7)"), "7");
  EXPECT_EQ(h.Eval("@error"), "0");
}

TEST(Strings, FormatManyConversionsAndLongTexts) {
  ScriptHarness h;
  // 40 conversions and the most values a call takes: the text ends at the 33rd conversion.
  std::string format, values, expected;
  for (int i = 0; i < 40; ++i) format += "%d,";
  for (int i = 1; i <= 32; ++i) values += ", " + std::to_string(i), expected += std::to_string(i) + ",";
  EXPECT_EQ(h.Eval("StringFormat('" + format + "'" + values + ")"), expected);
  ASSERT_TRUE(h.Run("$long = StringFormat('%60000s', 'x') & StringFormat('%60000s', 'y')\n"
                    "$cut = StringFormat('%s|', $long)\n$cutLength = StringLen($cut)\n"
                    "$wide = StringLen(StringFormat('%65535s%65535s%65535s', $long, $long, $long))\n"))
      << h.LastBox();
  EXPECT_EQ(h.Global("cutLength"), "65536");  // the value's text is cut at 65535 characters
  EXPECT_EQ(h.Global("wide"), std::to_string(3 * 65535));
  std::string cut = h.Global("cut");
  EXPECT_EQ(cut.substr(cut.size() - 2), " |");
}

// The longest text is about 2 GB; a shorter limit stands in for it. A text that would grow past
// it ends the run with a script error at the line that grew it, whichever way it grows.
TEST(StringBuiltins, TextGrowingPastTheLongestLengthEndsTheRunWithAnError) {
  struct Limited {
    Limited() { SetTextLengthLimitForTest(1000); }
    ~Limited() { SetTextLengthLimitForTest(0); }
  } limited;
  const std::string x600 = "StringReplace(StringFormat(\"%600s\", \"\"), \" \", \"x\")";
  const std::string lf600 = "StringReplace(StringFormat(\"%600s\", \"\"), \" \", @LF)";
  struct Row {
    std::string grow;  // the line that grows the text
    bool fails;
  } rows[] = {
      {"$s = \"ab\"\nWhile 1\n$s = $s & $s\nWend", true},
      {"$s = " + x600 + " & " + x600, true},
      {"$s = StringReplace(" + x600 + ", \"x\", \"xy\")", true},
      {"$s = StringReplace(StringLeft(" + x600 + ", 500), \"x\", \"xy\")", false},  // exactly 1000
      {"$s = StringFormat(\"%s%s\", " + x600 + ", " + x600 + ")", true},
      {"$s = StringFormat(\"%1001s\", \"\")", true},
      {"$s = StringAddCR(" + lf600 + ")", true},
      {"$s = StringAddCR(StringLeft(" + lf600 + ", 500))", false},
  };
  for (const Row& row : rows) {
    ScriptHarness h;
    h.Run(row.grow + "\n$done = 1");
    if (row.fails) {
      EXPECT_EQ(h.LastError(), "Unable to allocate string - maximum length is 2147483646 characters.") << row.grow;
      EXPECT_EQ(h.Global("DONE"), "<undeclared>") << row.grow;
    } else {
      EXPECT_TRUE(h.boxes().empty()) << row.grow << ": " << h.LastBox();
      EXPECT_EQ(h.Eval("StringLen($s)"), "1000") << row.grow;
    }
  }
}
