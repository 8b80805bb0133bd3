// The engine's text, hexadecimal, line-reading and array helpers.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "script/scriptvalue.h"
#include "script/sysutil/sysutil.h"
#include "tests/support/test_support.h"

using namespace testing_support;

TEST(SysutilHex, IntToHex) {
  struct Case {
    int value, digits;
    const char* text;
    bool fits;
  } cases[] = {
      {255, 2, "FF", true},        {255, 1, "F", false},       {0, 1, "0", true},
      {0, 0, "", true},            {1, 0, "", false},          {-1, 8, "FFFFFFFF", true},
      {-1, 4, "FFFF", false},      {0x1234ABCD, 8, "1234ABCD", true}, {10, 4, "000A", true},
      {INT_MIN, 8, "80000000", true},
  };
  for (const Case& c : cases) {
    char buffer[16];
    EXPECT_EQ(IntToHex(c.value, buffer, c.digits), c.fits) << c.value << " in " << c.digits;
    EXPECT_STREQ(buffer, c.text) << c.value << " in " << c.digits;
  }
}

TEST(SysutilHex, HexToInt) {
  struct Case {
    const char* text;
    int value;
    bool ok;
  } cases[] = {
      {"1F", 31, true},         {"1f", 31, true},        {"G1", 0, false},         {"1G", 0, false},
      {"", 0, true},            {"FFFFFFFF", -1, true},  {"100000000", 0, false},  {"7fffffff", INT_MAX, true},
      {"00000000F", 0, false},  {"abcdef", 0xABCDEF, true}, {" 1", 0, false},      {"0x10", 0, false},
  };
  for (const Case& c : cases) {
    int value = 12345;
    EXPECT_EQ(HexToInt(c.text, value), c.ok) << '"' << c.text << '"';
    EXPECT_EQ(value, c.value) << '"' << c.text << '"';
  }
}

TEST(SysutilText, LineEndConversions) {
  struct Case {
    const char* text;
    const char* stripped;
    const char* expanded;
  } cases[] = {
      {"a\r\nb", "a\nb", "a\r\r\nb"},
      {"a\nb\n", "a\nb\n", "a\r\nb\r\n"},
      {"\r\r\r", "", "\r\r\r"},
      {"", "", ""},
      {"\n\n", "\n\n", "\r\n\r\n"},
  };
  for (const Case& c : cases) {
    std::string s = c.text;
    std::vector<char> stripped(s.begin(), s.end());
    stripped.push_back('\0');
    StripCR(stripped.data());
    EXPECT_STREQ(stripped.data(), c.stripped);
    // The buffer is sized exactly as callers size it: length + line feeds + 1.
    size_t lineFeeds = std::count(s.begin(), s.end(), '\n');
    std::vector<char> expanded(s.size() + lineFeeds + 1, '#');
    ExpandLF(c.text, expanded.data());
    EXPECT_STREQ(expanded.data(), c.expanded);
  }
}

TEST(SysutilText, SwapRedBlue) {
  struct Case {
    DWORD in, out;
  } cases[] = {{0x00112233, 0x00332211}, {0xFF0000FF, 0x00FF0000}, {0x0000FF00, 0x0000FF00}, {0xAABBCCDD, 0x00DDCCBB}};
  for (const Case& c : cases) {
    DWORD colour = c.in;
    SwapRedBlue(colour);
    EXPECT_EQ(colour, c.out) << std::hex << c.in;
  }
}

TEST(SysutilText, ReadFileLineSplitsEveryLineEnd) {
  TempFolder folder;
  std::string path = folder.File("lines.txt");
  WriteFileBytes(path, "one\r\ntwo\rthree\n\nfour\r\rfive-is-long\nlast");
  FILE* file = fopen(path.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  std::vector<std::string> lines;
  char buffer[6];  // keeps 5 characters of a longer line and drops the rest
  while (ReadFileLine(buffer, sizeof buffer, file)) lines.push_back(buffer);
  fclose(file);
  std::vector<std::string> expected = {"one", "two", "three", "", "four", "", "five-", "last"};
  EXPECT_EQ(lines, expected);

  WriteFileBytes(path, "");
  file = fopen(path.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  buffer[0] = 'x';
  EXPECT_FALSE(ReadFileLine(buffer, sizeof buffer, file));
  EXPECT_STREQ(buffer, "");
  fclose(file);

  WriteFileBytes(path, "\r\n");  // one empty line, then the end
  file = fopen(path.c_str(), "rb");
  EXPECT_TRUE(ReadFileLine(buffer, sizeof buffer, file));
  EXPECT_STREQ(buffer, "");
  EXPECT_FALSE(ReadFileLine(buffer, sizeof buffer, file));
  fclose(file);
}

TEST(SysutilArray, OneDimensionalArrays) {
  CScriptValue list;
  ASSERT_TRUE(CreateArray1D(list, 3));
  EXPECT_TRUE(list.IsArray());
  EXPECT_EQ(list.GetDimension(0), 1);
  EXPECT_EQ(list.GetDimension(1), 3);
  for (int i = 0; i < 3; ++i) {
    CScriptValue* element = GetArrayElement1D(list, i);
    ASSERT_NE(element, nullptr) << i;
    element->SetInt(i * 10);
  }
  EXPECT_EQ(GetArrayElement1D(list, 2)->GetInt(), 20);
  EXPECT_EQ(GetArrayElement1D(list, 3), nullptr);
  EXPECT_EQ(GetArrayElement1D(list, -1), nullptr);

  CScriptValue refused;
  EXPECT_FALSE(CreateArray1D(refused, 0));
  EXPECT_FALSE(refused.IsArray());
  CScriptValue number;
  EXPECT_EQ(GetArrayElement1D(number, 0), nullptr);
}
