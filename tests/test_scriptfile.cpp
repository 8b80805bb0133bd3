// The script line store: adding lines, include files, and reading a robot file for playback.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/scriptfile.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

std::string Robot(const std::string& scriptLines, const std::string& tail = "") {
  return "[General]\r\nName=R\r\nStartKey=None\r\nEndKey=None\r\nDescription=d\r\nEnable=1\r\nRepeatOption=0\r\n"
         "RepeatTimes=1\r\nUseSimilarWin=0\r\nUseRecWin=1\r\nRunAtBackground=1\r\nOriginalSpeed=1\r\n[Script]\r\n" +
         scriptLines + tail;
}

// Every stored line as "source:text" (with "@record" when the line has a window record).
std::string Dump(const CQuorvex_ScriptFile& file) {
  std::string out;
  for (int n = 1; n <= file.GetLineCount(); ++n) {
    if (n > 1) out += " | ";
    out += std::to_string(file.GetLineNumber(n)) + ":" + (file.GetLine(n) ? file.GetLine(n) : "<none>");
    int record;
    if (file.GetLineRecord(n, record)) out += "@" + std::to_string(record);
  }
  return out;
}

}  // namespace

TEST(ScriptFile, AddLineKeepsCommentsOnlyAsTheLastLine) {
  CQuorvex_ScriptFile file;
  file.AddLine(1, "; comment", -1);
  file.AddLine(2, "", -1);
  file.AddLine(3, "$a = 1", -1);
  file.AddLine(4, "", -1);
  file.AddLine(5, "; trailing", -1);
  EXPECT_EQ(file.GetLineCount(), 2);
  EXPECT_EQ(file.GetLine(1), nullptr);  // not in the array until it is built
  file.BuildLineArray();
  EXPECT_EQ(Dump(file), "3:$a = 1 | 5:; trailing");
  EXPECT_EQ(file.GetLine(0), nullptr);
  EXPECT_EQ(file.GetLine(3), nullptr);
  EXPECT_EQ(file.GetLineNumber(3), -1);
  EXPECT_EQ(file.GetLineIncludeIndex(0), -1);
  // Lines added after the array was built are not reachable until it is built again.
  file.AddLine(6, "$b = 2", -1);
  EXPECT_EQ(file.GetLineCount(), 2);
  EXPECT_STREQ(file.GetLine(2), "$b = 2");  // replaced the trailing comment in place
  file.AddLine(7, "$c = 3", -1);
  EXPECT_EQ(file.GetLine(3), nullptr);
  file.BuildLineArray();
  EXPECT_STREQ(file.GetLine(3), "$c = 3");
  file.Clear();
  EXPECT_EQ(file.GetLineCount(), 0);
  EXPECT_EQ(file.GetLine(1), nullptr);
}

TEST(ScriptFile, IncludeFilesAreRegisteredOncePerPath) {
  TempFolder folder;
  CQuorvex_ScriptFile file;
  std::string path = folder.File("Robot.txt");
  std::string upper = path;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(file.AddIncludeFile(path.c_str()), 0);
  EXPECT_EQ(file.AddIncludeFile(upper.c_str()), 0);
  EXPECT_EQ(file.GetIncludeReferences(0), 2);
  EXPECT_STREQ(file.GetIncludeFileName(0), path.c_str());
  for (int i = 1; i < 64; ++i) EXPECT_EQ(file.AddIncludeFile(folder.File("f" + std::to_string(i)).c_str()), i);
  EXPECT_EQ(file.AddIncludeFile(folder.File("one-too-many").c_str()), -1);
  EXPECT_EQ(file.GetIncludeFileName(-1), nullptr);
  EXPECT_EQ(file.GetIncludeFileName(64), nullptr);
  file.Clear();
  EXPECT_EQ(file.GetIncludeFileName(0), nullptr);
}

TEST(ScriptFile, RobotLinesForPlayback) {
  struct Case {
    int speed;
    const char* lines;
    const char* stored;
  } cases[] = {
      {0, "Comment: first\r\n$a = 1\r\n", "2:$a = 1"},
      {0, "comment: any case\r\n$a = 1\r\n", "2:$a = 1"},
      {1, "$a = 1=> [remove on faster speed]\r\n$b = 2\r\n", "2:$b = 2"},
      {0, "$a = 1=> [remove on faster speed]\r\n$b = 2\r\n", "1:$a = 1 | 2:$b = 2"},
      {2, "$a = 1=> [Remove On Faster Speed]\r\n", "1:$a = 1=> [Remove On Faster Speed]"},
      {0, "MouseDown(\"left\")-> At Win [0]\r\n", "1:MouseDown(\"left\")@0"},
      {0, "x(\"-> At Win [1]\")-> At Win [2]\r\n", "1:x(\"-> At Win [1]\")@2"},
      {0, "$a = 1-> At Win [3\r\n", "1:$a = 1-> At Win [3"},
      {0, "$a = 1-> At Win [-2]\r\n", "1:$a = 1"},  // a hand-edited negative index names no record
      {0, "$a = 1-> At Win [1]=> [remove on faster speed]\r\n", "1:$a = 1@1"},
      {0, "; note-> At Win [0]\r\n$a = 1\r\n", "2:$a = 1"},  // the replaced comment's record goes too
      {0, "$a = 1\r\n\r\n; c\r\n$b = 2\r\n", "1:$a = 1 | 4:$b = 2"},
      {0, "", ""},
  };
  TempFolder folder;
  for (const Case& c : cases) {
    std::string path = folder.File("robot.txt");
    WriteFileBytes(path, Robot(c.lines));
    CQuorvex_ScriptFile file;
    file.RobotSpeedMode = c.speed;
    ASSERT_TRUE(file.LoadRobotFile(path.c_str(), 3)) << c.lines;
    file.BuildLineArray();
    EXPECT_EQ(Dump(file), c.stored) << c.lines;
    EXPECT_EQ(file.RunAtBackground, 1);
    if (file.GetLineCount()) {
      EXPECT_EQ(file.GetLineIncludeIndex(1), 3);
    }
  }
}

TEST(ScriptFile, RobotWindowRecords) {
  TempFolder folder;
  std::string path = folder.File("robot.txt");
  WriteFileBytes(path, Robot("$a = 1-> At Win [1]\r\n",
                             "[RecWinInfo]\r\nWinIndex=1\r\nWinTitle=Editor\r\nWinPath=C:\\e.exe\r\nWinParentLevel=0\r\n"
                             "WinRect=1,2,3,4\r\nWinIndex=2\r\nWinTitle=Other\r\nWinRect=5,6,7,8,9\r\nWinIndex=3\r\n"));
  CQuorvex_ScriptFile file;
  file.Records.push_back(RecWinInfo());  // an earlier robot's records are replaced
  ASSERT_TRUE(file.LoadRobotFile(path.c_str(), 0));
  ASSERT_EQ(file.Records.size(), 2u);
  const RecWinInfo& second = file.Records[1];
  EXPECT_EQ(second.WinIndex, 2);
  EXPECT_EQ(second.WinTitle, "Other");
  EXPECT_EQ(second.WinPath, "C:\\e.exe");  // kept from the record before
  EXPECT_EQ(second.WinParentLevel, 0);
  EXPECT_EQ(second.WinRect.right, 7);
  EXPECT_EQ(second.WinRect.bottom, 8);

  // A bad rectangle stops the reading with its box; what was read stays.
  WriteFileBytes(path, Robot("$a = 1\r\n", "[RecWinInfo]\r\nWinIndex=1\r\nWinRect=1,2,3,4\r\nWinRect=1,2\r\n"));
  MessageBoxCapture boxes;
  file.Clear();
  EXPECT_FALSE(file.LoadRobotFile(path.c_str(), 0));
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "Failed to load record Window info\n" + path);
  EXPECT_EQ(file.Records.size(), 1u);
  EXPECT_EQ(file.GetLineCount(), 1);
}

TEST(ScriptFile, FilesThatAreNotRobots) {
  TempFolder folder;
  CQuorvex_ScriptFile file;
  EXPECT_FALSE(file.LoadRobotFile(folder.File("missing.txt").c_str(), 0));
  std::string path = folder.File("plain.txt");
  WriteFileBytes(path, "[General]\r\nName=R\r\n$a = 1\r\n");
  EXPECT_FALSE(file.LoadRobotFile(path.c_str(), 0));  // no [Script] line
  WriteFileBytes(path, Robot("$a = 1\r\n"));
  char buffer[MAX_PATH];
  lstrcpynA(buffer, (folder.path() + "\\.\\plain.txt").c_str(), MAX_PATH);
  ASSERT_TRUE(file.LoadScript(buffer));
  EXPECT_STREQ(buffer, path.c_str());
  EXPECT_STREQ(file.GetIncludeFileName(0), path.c_str());
  file.BuildLineArray();
  EXPECT_EQ(file.GetLineIncludeIndex(1), 0);
}

// The playback reader reads in binary too: a NUL byte or Ctrl-Z inside a line ends neither the
// line nor the file (a line plays up to its NUL), and "[RecWinInfo]" counts in any letter case.
TEST(ScriptFile, RobotFileBytesAreReadAsTheRobotReaderReadsThem) {
  struct Case {
    const char* what;
    std::string script;
    std::string lines;
    size_t records;
  } cases[] = {
      {"NUL", std::string("$a = 1\0 junk\r\n$b = 2\r\n", 22), "1:$a = 1 | 2:$b = 2", 0},
      {"Ctrl-Z", "$a = \"x\x1Ay\"\r\n\x1A\r\n$b = 2\r\n", "1:$a = \"x\x1Ay\" | 2:\x1A | 3:$b = 2", 0},
      {"LF only", "$a = 1\n$b = 2", "1:$a = 1 | 2:$b = 2", 0},
      {"records header in lower case", "$a = 1\r\n[recwininfo]\r\nWinIndex=1\r\nWinRect=1,2,3,4\r\n", "1:$a = 1", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    WriteFileBytes(folder.File("R.txt"), Robot(c.script));
    CQuorvex_ScriptFile file;
    ASSERT_TRUE(file.LoadRobotFile(folder.File("R.txt").c_str(), 0));
    file.BuildLineArray();
    EXPECT_EQ(Dump(file), c.lines);
    EXPECT_EQ(file.Records.size(), c.records);
  }
}
