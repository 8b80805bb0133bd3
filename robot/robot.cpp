// The robot file: its writer and its positional reader.
#include "robot/robot.h"

#include "framework/msgbox.h"
#include "robot/numbertext.h"
#include "robot/robotfile.h"

#include <new>
#include <utility>

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

bool StartsWithKey(const CString& line, const char* key) { return line.Left(lstrlenA(key)).CompareNoCase(key) == 0; }

}  // namespace

CString RobotNameOfFile(const CString& path) {
  int slash = path.ReverseFind('\\');
  if (path.ReverseFind('/') > slash) slash = path.ReverseFind('/');
  CString base = path.Mid(slash + 1);
  if (base.ReverseFind('.') >= 0) base = base.Left(base.ReverseFind('.'));
  return base;
}

void CRobot::HeaderLines(CStringArray& lines) const {
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
}

void CRobot::RecordLines(CStringArray& lines) const {
  lines.RemoveAll();
  auto add = [&lines](const CString& line) { AddWholeLine(lines, line); };
  CString number;
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

BOOL CRobot::SaveToFile(const CString& folder) const { return Write(folder, nullptr); }

BOOL CRobot::RewriteFile(const CString& folder) const { return Write(folder, &FileStamp); }

BOOL CRobot::Write(const CString& folder, const RobotFileStamp* read) const {
  BOOL written = FALSE;
  DWORD error = 0;
  {
    // Line by line: a large robot is never held a second time as its file's text.
    RobotFileWriter file(folder, folder + "\\" + Name + ".txt");
    if (read) file.ReplaceOnlyIf(*read);
    CStringArray lines;
    HeaderLines(lines);
    for (const CString& line : lines) file.Line(line);
    for (const CString& line : ActionLines) file.Line(line);
    RecordLines(lines);
    for (const CString& line : lines) file.Line(line);
    written = file.Commit();
    error = file.Error();
  }
  // Set once the writer has removed its temporary file, which would set an error of its own.
  if (!written) SetLastError(error);
  return written;
}

int CRobot::LoadFromFile(const CString& path, BOOL reportErrors) {
  RobotFileReader reader(path);
  FileStamp = reader.Stamp();
  if (!reader.IsOpen()) {
    ActionLines.RemoveAll();
    WinRecords.RemoveAll();
    FileReadsBack = FileIsCurrent = FileReadsWhole = FALSE;
    FileError = reader.Error();
    return 0;
  }
  int loaded = Load([&reader](CString& line) { return reader.Next(line); }, path, reportErrors);
  FileError = reader.Error();
  if (!reader.Failed()) return loaded;
  FileReadsBack = FileIsCurrent = FileReadsWhole = FALSE;
  return 0;
}

int CRobot::LoadFromLines(const CStringArray& lines, const CString& path, BOOL reportErrors) {
  FileStamp = RobotFileStamp();
  int at = 0;
  return Load(
      [&](CString& line) {
        if (at >= lines.GetSize()) return FALSE;
        line = lines[at++];
        return TRUE;
      },
      path, reportErrors);
}

template <class NextLine>
int CRobot::Load(NextLine nextLine, const CString& path, BOOL reportErrors) {
  ActionLines.RemoveAll();
  WinRecords.RemoveAll();
  FileReadsBack = FALSE;
  FileIsCurrent = FALSE;
  FileReadsWhole = FALSE;
  FileError = 0;
  Name = RobotNameOfFile(path);
  try {
    // The lines before the actions and from the records header on, as read, to tell whether
    // the file holds exactly what the writer writes; the action lines are kept as they are.
    CStringArray head, tail;
    CString line;
    auto next = [&]() {
      if (nextLine(line)) {
        AddWholeLine(head, line);
      } else {
        line.Empty();
      }
    };

    // The [General] part is positional: keys are not compared, only cut off by their length.
    // Whether each line held its key is noted: a file read otherwise is never written back.
    BOOL keyed = TRUE;
    auto value = [&](const char* key) {
      keyed = keyed && StartsWithKey(line, key);
      return ValueOf(line, key);
    };
    next();  // "[General]"
    next();  // the name line: the file name identifies the robot, whatever this line says
    value("Name=");
    next();
    StartKey = value("StartKey=");
    next();
    EndKey = value("EndKey=");
    next();
    Description = value("Description=");
    next();
    Enable = StringToInt(value("Enable="));
    next();
    RepeatOption = StringToInt(value("RepeatOption="));
    next();
    RepeatTimes = StringToInt(value("RepeatTimes="));
    next();
    RobotSpeedMode = SpeedFromText(value("OriginalSpeed="));

    // Four settings that older files lack: each is read only while "[Script]" has not come.
    next();
    UseSimilarWin = 0;
    if (!IsScriptHeader(line)) {
      UseSimilarWin = StringToInt(value("UseSimilarWin="));
      next();
    }
    UseRecWin = 0;
    if (!IsScriptHeader(line)) {
      UseRecWin = StringToInt(value("UseRecWin="));
      next();
    }
    TriggerRobot.Empty();
    if (!IsScriptHeader(line)) {
      CString trigger = value("TriggerRobot=");
      if (line.GetLength() > lstrlenA("TriggerRobot=")) TriggerRobot = trigger;
      next();
    }
    RunAtBackground = 0;
    if (!IsScriptHeader(line)) {
      RunAtBackground = StringToInt(value("RunAtBackground="));
      next();  // the "[Script]" line, dropped without a test
    }
    // The playback reader takes the actions after the first line that is exactly "[Script]".
    keyed = keyed && line.str() == "[Script]";

    while (nextLine(line)) {
      if (IsRecWinHeader(line)) {
        AddWholeLine(tail, line);
        break;
      }
      AddWholeLine(ActionLines, std::move(line));
    }

    // One working record: a record that omits a key keeps the value of the record before it.
    RecWinInfo work;
    work.WinParentLevel = -1;
    while (nextLine(line)) {
      AddWholeLine(tail, line);
      RecWinLine read = ReadRecWinLine(line, work);
      if (read == RecWinLine::BadRect) {
        if (reportErrors) ShowMessageBox(GetActiveWindow(), RecWinLoadFailedText(path), AfxGetAppName(), MB_OK);
        return 0;
      }
      if (read == RecWinLine::Complete) WinRecords.Add(work);
    }

    // Writing the record back must give the same lines; the name line is the file name's anyway.
    CStringArray written;
    HeaderLines(written);
    FileReadsBack = written.GetSize() == head.GetSize();
    for (int i = 0; FileReadsBack && i < head.GetSize(); ++i)
      FileReadsBack = i == 1 ? head[i].Left(5) == "Name=" : head[i].str() == written[i].str();
    BOOL nameLine = FileReadsBack && head[1].str() == written[1].str();
    RecordLines(written);
    FileReadsBack = FileReadsBack && written.GetSize() == tail.GetSize();
    for (int i = 0; FileReadsBack && i < tail.GetSize(); ++i) FileReadsBack = tail[i].str() == written[i].str();
    FileIsCurrent = FileReadsBack && nameLine;
    FileReadsWhole = keyed;
    return 1;
  } catch (const std::bad_alloc&) {
    // Too large to hold: nothing of it stays but its name, and the file is never written.
    CStringArray none;
    ActionLines.RemoveAll();
    std::swap(ActionLines, none);
    WinRecords.RemoveAll();
    StartKey.Empty();
    EndKey.Empty();
    Description.Empty();
    TriggerRobot.Empty();
    Enable = 0;
    FileReadsBack = FALSE;
    FileIsCurrent = FALSE;
    FileReadsWhole = FALSE;
    if (reportErrors) ShowMessageBox(GetActiveWindow(), RecWinLoadFailedText(path), AfxGetAppName(), MB_OK);
    return 0;
  }
}
