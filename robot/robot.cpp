// The robot file: its writer and its positional reader.
#include "robot/robot.h"

#include "framework/msgbox.h"
#include "robot/helpers.h"
#include "robot/robotfile.h"

namespace {

const char* SpeedText(int mode) {
  if (mode == 0) return "1";
  if (mode == 1) return "0";
  return "2";
}

int SpeedFromText(const CString& text) {
  if (text == "2") return 2;
  if (text == "0") return 1;
  return 0;
}

// The value of a positional line: the line without as many characters as its key has.
CString ValueOf(const CString& line, const char* key) { return line.Mid(lstrlenA(key)); }

bool IsScriptHeader(const CString& line) {
  return line.GetLength() == lstrlenA("[Script]") && line.CompareNoCase("[Script]") == 0;
}

}  // namespace

CString RobotNameOfFile(const CString& path) {
  int slash = path.ReverseFind('\\');
  if (path.ReverseFind('/') > slash) slash = path.ReverseFind('/');
  CString base = path.Mid(slash + 1);
  if (base.ReverseFind('.') >= 0) base = base.Left(base.ReverseFind('.'));
  return base;
}

void CRobot::GetFileLines(CStringArray& lines) const {
  lines.RemoveAll();
  auto add = [&lines](const CString& line) { AddWholeLine(lines, line); };
  CString number;
  add("[General]");
  add("Name=" + Name);
  add("StartKey=" + StartKey);
  add("EndKey=" + EndKey);
  add("Description=" + Description);
  add(Enable ? "Enable=1" : "Enable=0");
  number.Format("RepeatOption=%d", RepeatOption);
  add(number);
  number.Format("RepeatTimes=%d", RepeatTimes);
  add(number);
  number.Format("OriginalSpeed=%s", SpeedText(RobotSpeedMode));
  add(number);
  add(UseSimilarWin ? "UseSimilarWin=1" : "UseSimilarWin=0");
  add(UseRecWin ? "UseRecWin=1" : "UseRecWin=0");
  add("TriggerRobot=" + TriggerRobot);
  add(RunAtBackground ? "RunAtBackground=1" : "RunAtBackground=0");
  add("[Script]");
  for (const CString& line : ActionLines) add(line);
  if (WinRecords.GetSize() > 0) add("[RecWinInfo]");
  for (const RecWinInfo& r : WinRecords) {
    number.Format("WinIndex=%d", r.WinIndex);
    add(number);
    add("WinTitle=" + r.WinTitle);
    add("WinPath=" + r.WinPath);
    number.Format("WinParentLevel=%d", r.WinParentLevel);
    add(number);
    number.Format("WinRect=%d,%d,%d,%d", static_cast<int>(r.WinRect.left), static_cast<int>(r.WinRect.top),
                  static_cast<int>(r.WinRect.right), static_cast<int>(r.WinRect.bottom));
    add(number);
  }
}

BOOL CRobot::SaveToFile(const CString& folder) const {
  CStringArray lines;
  GetFileLines(lines);
  return ReplaceFileWithText(folder, folder + "\\" + Name + ".txt", JoinRobotFileLines(lines));
}

int CRobot::LoadFromFile(const CString& path, BOOL reportErrors) {
  ActionLines.RemoveAll();
  WinRecords.RemoveAll();
  FileReadsBack = FALSE;
  // Read in binary: a NUL or Ctrl-Z byte inside a line neither ends the line nor the file.
  CStringArray file;
  if (!ReadRobotFileLines(path, file)) return 0;
  int at = 0;

  // The [General] part is positional: keys are not compared, only cut off by their length.
  CString line;
  auto next = [&]() {
    if (at < file.GetSize()) {
      line = file[at++];
    } else {
      line.Empty();
    }
  };
  next();  // "[General]"
  next();   // the name line: the file name identifies the robot, whatever this line says
  Name = RobotNameOfFile(path);
  next();
  StartKey = ValueOf(line, "StartKey=");
  next();
  EndKey = ValueOf(line, "EndKey=");
  next();
  Description = ValueOf(line, "Description=");
  next();
  Enable = StringToInt(ValueOf(line, "Enable="));
  next();
  RepeatOption = StringToInt(ValueOf(line, "RepeatOption="));
  next();
  RepeatTimes = StringToInt(ValueOf(line, "RepeatTimes="));
  next();
  RobotSpeedMode = SpeedFromText(ValueOf(line, "OriginalSpeed="));

  // Four settings that older files lack: each is read only while "[Script]" has not come.
  next();
  UseSimilarWin = 0;
  if (!IsScriptHeader(line)) {
    UseSimilarWin = StringToInt(ValueOf(line, "UseSimilarWin="));
    next();
  }
  UseRecWin = 0;
  if (!IsScriptHeader(line)) {
    UseRecWin = StringToInt(ValueOf(line, "UseRecWin="));
    next();
  }
  TriggerRobot.Empty();
  if (!IsScriptHeader(line)) {
    if (line.GetLength() > lstrlenA("TriggerRobot=")) TriggerRobot = ValueOf(line, "TriggerRobot=");
    next();
  }
  RunAtBackground = 0;
  if (!IsScriptHeader(line)) {
    RunAtBackground = StringToInt(ValueOf(line, "RunAtBackground="));
    next();  // the "[Script]" line, dropped without a test
  }

  while (at < file.GetSize() && !IsRecWinHeader(file[at])) AddWholeLine(ActionLines, file[at++]);
  ++at;  // the "[RecWinInfo]" line

  // One working record: a record that omits a key keeps the value of the record before it.
  RecWinInfo work;
  work.WinParentLevel = -1;
  for (; at < file.GetSize(); ++at) {
    RecWinLine read = ReadRecWinLine(file[at], work);
    if (read == RecWinLine::BadRect) {
      if (reportErrors) ShowMessageBox(GetActiveWindow(), RecWinLoadFailedText(path), AfxGetAppName(), MB_OK);
      return 0;
    }
    if (read == RecWinLine::Complete) WinRecords.Add(work);
  }

  // Writing the record back must give the same lines; the name line is the file name's anyway.
  CStringArray written;
  GetFileLines(written);
  FileReadsBack = written.GetSize() == file.GetSize();
  for (int i = 0; FileReadsBack && i < file.GetSize(); ++i)
    FileReadsBack = i == 1 ? file[i].Left(5) == "Name=" : file[i].str() == written[i].str();
  return 1;
}
