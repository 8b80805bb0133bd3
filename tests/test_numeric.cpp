// The Windows version record, the random generator and the numeric routines.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <numbers>
#include <random>
#include <string>

#include "script/mathops.h"
#include "script/osversion.h"
#include "script/random.h"

namespace {

// The flags in their declared order, one letter each (1 set, . clear).
std::string Flags(const OSVersionInfo& v) {
  std::string s;
  for (bool b : {v.bIsNTFamily, v.bIsWin9x, v.bIsNT4, v.bIsNT4OrLater, v.bIsXP, v.bIsXPOrLater, v.bIs2000,
                 v.bIs2000OrLater, v.bIs98, v.bIs98OrLater, v.bIs95, v.bIs95OrLater, v.bIsMe, v.bIsMeOrLater})
    s += b ? '1' : '.';
  return s;
}

OSVERSIONINFOA Version(DWORD platform, DWORD major, DWORD minor, DWORD build, const char* csd) {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  info.dwPlatformId = platform;
  info.dwMajorVersion = major;
  info.dwMinorVersion = minor;
  info.dwBuildNumber = build;
  lstrcpynA(info.szCSDVersion, csd, sizeof info.szCSDVersion);
  return info;
}

}  // namespace

TEST(OSVersion, FlagsForEachSystem) {
  struct Case {
    const char* system;
    DWORD platform, major, minor, build;
    const char* flags;  // NT 9x NT4 NT4+ XP XP+ 2k 2k+ 98 98+ 95 95+ Me Me+
    DWORD storedBuild;
  } cases[] = {
      {"NT 4", VER_PLATFORM_WIN32_NT, 4, 0, 1381, "1.11..........", 1381},
      {"2000", VER_PLATFORM_WIN32_NT, 5, 0, 2195, "1..1..11......", 2195},
      {"XP", VER_PLATFORM_WIN32_NT, 5, 1, 2600, "1..111.1......", 2600},
      {"Server 2003", VER_PLATFORM_WIN32_NT, 5, 2, 3790, "1..111.1......", 3790},
      {"7", VER_PLATFORM_WIN32_NT, 6, 1, 7601, "1.............", 7601},
      {"10", VER_PLATFORM_WIN32_NT, 10, 0, 19045, "1.............", 19045},
      {"95", VER_PLATFORM_WIN32_WINDOWS, 4, 0, 0x040003B6, ".1........11..", 0x03B6},
      {"98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0x040A07CE, ".1......11.1..", 0x07CE},
      {"Me", VER_PLATFORM_WIN32_WINDOWS, 4, 90, 0x045A0BB8, ".1.......1.111", 0x0BB8},
  };
  for (const Case& c : cases) {
    OSVersionInfo v(Version(c.platform, c.major, c.minor, c.build, ""));
    EXPECT_EQ(Flags(v), c.flags) << c.system;
    EXPECT_EQ(v.dwMajorVersion, c.major) << c.system;
    EXPECT_EQ(v.dwMinorVersion, c.minor) << c.system;
    EXPECT_EQ(v.dwBuildNumber, c.storedBuild) << c.system;
  }
}

TEST(OSVersion, ServicePackTextIsTrimmed) {
  struct Case {
    const char* stored;
    const char* expected;
  } cases[] = {{"Service Pack 1", "Service Pack 1"}, {"  Service Pack 2  ", "Service Pack 2"}, {"   ", ""}, {"", ""},
               {" A ", "A"}};
  for (const Case& c : cases)
    EXPECT_STREQ(OSVersionInfo(Version(VER_PLATFORM_WIN32_NT, 5, 1, 2600, c.stored)).szCSDVersion, c.expected)
        << '"' << c.stored << '"';
}

TEST(Random, MatchesTheReferenceGeneratorAcrossBlocks) {
  for (uint32_t seed : {5489u, 0u, 1u, 0xFFFFFFFFu, 20261201u}) {
    RandomSeed(seed);
    std::mt19937 reference(seed);
    for (int i = 0; i < 2000; ++i) {  // more than three blocks of 624
      double expected = reference() / 4294967296.0;
      double got = RandomDouble();
      ASSERT_EQ(got, expected) << "seed " << seed << " draw " << i;
      ASSERT_LT(got, 1.0);
      ASSERT_GE(got, 0.0);
    }
  }
}

TEST(Random, FirstOutputForTheDefaultSeed) {
  RandomSeed(5489);
  EXPECT_EQ(RandomDouble(), 3499211612.0 / 4294967296.0);
  EXPECT_EQ(RandomDouble(), 581869302.0 / 4294967296.0);
  // Seeding again restarts the sequence.
  RandomSeed(5489);
  EXPECT_EQ(RandomDouble(), 3499211612.0 / 4294967296.0);
}

TEST(MathRoutines, Results) {
  const double pi = std::numbers::pi;
  const double nan = std::nan("");
  struct Case {
    const char* expr;
    double got, expected;
  } cases[] = {
      {"Pow(0, 0)", MathPow(0, 0), 0},
      {"Pow(0, -1)", MathPow(0, -1), 0},
      {"Pow(2, 10)", MathPow(2, 10), 1024},
      {"Pow(10, 15)", MathPow(10, 15), 1e15},
      {"Pow(2, -1)", MathPow(2, -1), 0.5},
      {"Pow(-2, 2)", MathPow(-2, 2), 4},
      {"Pow(-2, 3)", MathPow(-2, 3), -8},
      {"Pow(-8, 1/3)", MathPow(-8, 1.0 / 3), nan},
      {"Mod(-7, 3)", MathMod(-7, 3), -1},
      {"Mod(7, -3)", MathMod(7, -3), 1},
      {"Mod(5.5, 2)", MathMod(5.5, 2), 1.5},
      {"Floor(-0.5)", MathFloor(-0.5), -1},
      {"Ceil(-0.5)", MathCeil(-0.5), -0.0},
      {"Acos(-1)", MathAcos(-1), pi},
      {"Acos(1)", MathAcos(1), 0},
      {"Acos(2)", MathAcos(2), nan},
      {"Asin(1)", MathAsin(1), pi / 2},
      {"Asin(-0.5)", MathAsin(-0.5), -pi / 6},
      {"Asin(2)", MathAsin(2), nan},
  };
  for (const Case& c : cases) {
    if (std::isnan(c.expected)) {
      EXPECT_TRUE(std::isnan(c.got)) << c.expr << " gave " << c.got;
    } else {
      EXPECT_NEAR(c.got, c.expected, 1e-15 * std::max(1.0, std::fabs(c.expected))) << c.expr;
      EXPECT_EQ(std::signbit(c.got), std::signbit(c.expected)) << c.expr;
    }
  }
}

TEST(MathRoutines, ToIntIsDefinedEverywhere) {
  struct Case {
    double x;
    int expected;
  } cases[] = {
      {0.0, 0},          {2.9, 2},          {-2.9, -2},          {2147483646.5, 2147483646}, {2147483647.0, INT_MAX},
      {1e300, INT_MAX},  {INFINITY, INT_MAX}, {-2147483648.0, INT_MIN}, {-2147483649.5, INT_MIN}, {-INFINITY, INT_MIN},
      {std::nan(""), 0}, {-0.0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(MathToInt(c.x), c.expected) << c.x;
}
