// Data folder, folder creation and the number helpers.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "robot/datafolder.h"
#include "robot/numbertext.h"
#include "tests/support/test_support.h"

using namespace testing_support;

TEST(Helpers, DataAndRobotFolders) {
  char appData[MAX_PATH];
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)));
  EXPECT_EQ(GetDataFolder(), CString(appData) + "\\vantorel\\Pindrel");
  EXPECT_EQ(GetRobotFolder(), CString(appData) + "\\vantorel\\Pindrel\\script");
}

TEST(Helpers, CreateFolderPathMakesMissingParents) {
  TempFolder folder;
  std::string deep = folder.path() + "\\a\\b\\c\\";
  CreateFolderPath(deep.c_str());
  EXPECT_TRUE(FileExists(folder.path() + "\\a\\b\\c"));
  // An existing folder is left as it is, files and all.
  WriteFileBytes(folder.File("a\\keep.txt"), "k");
  CreateFolderPath((folder.path() + "\\a").c_str());
  EXPECT_EQ(ReadFileBytes(folder.File("a\\keep.txt")), "k");
  CreateFolderPath("");
}

TEST(Helpers, ProgramPathAndFolder) {
  CString path = GetProgramPath();
  EXPECT_EQ(path.Right(15), "\\test_robot.exe");
  EXPECT_EQ(GetProgramFolder(), CString(ProgramFolder().c_str()));
}

TEST(Helpers, IntegerText) {
  struct Case {
    const char* text;
    int value;
  } cases[] = {{"42", 42},   {"-17", -17}, {"  +8", 8},   {"12abc", 12}, {"abc", 0},
               {"", 0},      {"-", 0},     {" - 3", 0},   {"0x1F", 0},   {"2147483647", 2147483647},
               {"99999999999", 2147483647}, {"-2147483648", -2147483647 - 1}, {"-99999999999", -2147483647 - 1}};
  for (const Case& c : cases) EXPECT_EQ(StringToInt(c.text), c.value) << c.text;
  EXPECT_EQ(IntToString(-5), "-5");
  EXPECT_EQ(IntToString(0), "0");
  EXPECT_EQ(IntToString(-2147483647 - 1), "-2147483648");
}

TEST(Helpers, HexDigits) {
  EXPECT_EQ(HexDigitValue("F"), 15);
  EXPECT_EQ(HexDigitValue("f"), 15);
  EXPECT_EQ(HexDigitValue("9"), 9);
  EXPECT_EQ(HexDigitValue("g"), 0);
  EXPECT_EQ(HexDigitValue("ff"), 0);
  EXPECT_EQ(HexDigitValue(""), 0);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(HexDigitValue(HexDigitText(i)), i);
  EXPECT_EQ(HexDigitText(10), "A");
  EXPECT_EQ(HexDigitText(16), "");
  EXPECT_EQ(HexDigitText(-1), "");
}

TEST(Helpers, RandomInRange) {
  for (int i = 0; i < 100; ++i) EXPECT_EQ(RandomInRange(3, 3), 3);
  bool seen[5] = {};
  for (int i = 0; i < 1000; ++i) {
    int v = RandomInRange(-2, 2);
    ASSERT_GE(v, -2);
    ASSERT_LE(v, 2);
    seen[v + 2] = true;
  }
  for (bool s : seen) EXPECT_TRUE(s);
  // Bounds given the wrong way round are taken as a range, not a division by zero.
  for (int i = 0; i < 100; ++i) {
    int v = RandomInRange(5, 4);
    EXPECT_TRUE(v == 4 || v == 5);
  }
  int wide = RandomInRange(-2147483647 - 1, 2147483647);
  (void)wide;
}
