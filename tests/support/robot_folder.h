// The robot folder of the (throw-away) test prefix, emptied before and after a test, and robot
// files written into it in the robot file format.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace testing_support {

struct RobotFixture {
  RobotFixture(std::string name_, std::string startKey_ = "None", std::string endKey_ = "None", int enable_ = 0,
            int repeatOption_ = 0, int repeatTimes_ = 1, std::vector<std::string> lines_ = {}, std::string trigger_ = "")
      : name(std::move(name_)), startKey(std::move(startKey_)), endKey(std::move(endKey_)), enable(enable_),
        repeatOption(repeatOption_), repeatTimes(repeatTimes_), lines(std::move(lines_)), trigger(std::move(trigger_)) {}
  std::string name, startKey, endKey;
  int enable, repeatOption, repeatTimes;
  std::vector<std::string> lines;
  std::string trigger;
};

// The text of a robot file as the robot writer makes it (CR LF line ends).
std::string RobotFileText(const RobotFixture& robot);

class RobotFolder {
public:
  RobotFolder();
  ~RobotFolder();
  RobotFolder(const RobotFolder&) = delete;
  RobotFolder& operator=(const RobotFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name + ".txt"; }
  void Write(const RobotFixture& robot) const;
  void Clear() const;

private:
  std::string path_;
};

}  // namespace testing_support
