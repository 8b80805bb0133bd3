// A robot played by the real program that writes a log file, reads it back line by line and
// copies it: the files it leaves are checked byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/pindrel_process.h"
#include "tests/support/robot_folder.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

TEST(AppFiles, ARobotWritesALogReadsItBackLineByLineAndCopiesIt) {
  RobotFolder folder;
  TempFolder temp("pdlrobot");
  std::string log = Quoted(temp.File("log.txt")), numbered = Quoted(temp.File("numbered.txt")),
              copy = Quoted(temp.File("copy.txt"));
  std::vector<std::string> lines = {
      "$log = FileOpen(" + log + ", 2)",
      "FileWriteLine($log, \"first line\")",
      "FileWriteLine($log, \"second; with, \"\"quotes\"\"\")",
      "FileWriteLine($log, \"\")",
      "FileWrite($log, \"last without an end\")",
      "FileClose($log)",
      "$in = FileOpen(" + log + ", 0)",
      // Left open on purpose: the end of the run puts the written file in place.
      "$out = FileOpen(" + numbered + ", 2)",
      "$n = 0",
      "While 1",
      "$line = FileReadLine($in)",
      "If @error = -1 Then ExitLoop",
      "$n = $n + 1",
      "FileWriteLine($out, $n & \": \" & $line)",
      "Wend",
      "FileClose($in)",
      "FileCopy(" + log + ", " + copy + ")",
  };
  folder.Write({"Logger", "None", "None", 0, 0, 1, lines});

  PindrelProcess app;
  ASSERT_TRUE(app.Start("-a Logger"));
  long code = app.WaitForExit(20000);
  HWND box = app.FindWindowOfProcess("#32770", "Internal Error");
  EXPECT_EQ(box, nullptr) << PindrelProcess::BoxText(box);
  EXPECT_EQ(code, 18);

  const std::string written = "first line\r\nsecond; with, \"quotes\"\r\n\r\nlast without an end";
  EXPECT_EQ(ReadFileBytes(temp.File("log.txt")), written);
  EXPECT_EQ(ReadFileBytes(temp.File("numbered.txt")),
            "1: first line\r\n2: second; with, \"quotes\"\r\n3: \r\n4: last without an end\r\n");
  EXPECT_EQ(ReadFileBytes(temp.File("copy.txt")), written);
}
