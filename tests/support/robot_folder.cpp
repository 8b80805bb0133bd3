// The robot folder of the test prefix and robot files for the shell's tests.
#include "tests/support/robot_folder.h"

#include "robot/datafolder.h"
#include "tests/support/test_support.h"

namespace testing_support {

std::string RobotFileText(const RobotFixture& r) {
  std::string text = "[General]\r\nName=" + r.name + "\r\nStartKey=" + r.startKey + "\r\nEndKey=" + r.endKey +
                     "\r\nDescription=\r\nEnable=" + std::to_string(r.enable) +
                     "\r\nRepeatOption=" + std::to_string(r.repeatOption) +
                     "\r\nRepeatTimes=" + std::to_string(r.repeatTimes) +
                     "\r\nOriginalSpeed=1\r\nUseSimilarWin=0\r\nUseRecWin=0\r\nTriggerRobot=" + r.trigger +
                     "\r\nRunAtBackground=0\r\n[Script]\r\n";
  for (const std::string& line : r.lines) text += line + "\r\n";
  return text;
}

RobotFolder::RobotFolder() : path_(GetRobotFolder().GetString()) {
  CreateFolderPath(path_.c_str());
  Clear();
}

RobotFolder::~RobotFolder() { Clear(); }

void RobotFolder::Write(const RobotFixture& robot) const { WriteFileBytes(File(robot.name), RobotFileText(robot)); }

void RobotFolder::Clear() const {
  RemoveTree(path_);
  CreateFolderPath(path_.c_str());
}

}  // namespace testing_support
