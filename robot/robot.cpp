// The robot file: its writer and its positional reader.
#include "robot/robot.h"

#include "framework/msgbox.h"
#include "framework/stdiofile.h"
#include "robot/helpers.h"

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

bool IsScriptHeader(const CString& line) { return line.CompareNoCase("[Script]") == 0; }

}  // namespace

CString RobotNameOfFile(const CString& path) {
  int slash = path.ReverseFind('\\');
  if (path.ReverseFind('/') > slash) slash = path.ReverseFind('/');
  CString base = path.Mid(slash + 1);
  if (base.ReverseFind('.') >= 0) base = base.Left(base.ReverseFind('.'));
  return base;
}

BOOL CRobot::SaveToFile(const CString& folder) const {
  CString target = folder + "\\" + Name + ".txt";
  // Write beside the target first (".tmp", so the robot list never shows it).
  char temp[MAX_PATH];
  if (!GetTempFileNameA(folder, "rob", 0, temp)) return FALSE;

  CStdioFile file;
  if (!file.Open(temp, CStdioFile::modeCreate | CStdioFile::modeWrite | CStdioFile::typeText)) {
    DeleteFileA(temp);
    return FALSE;
  }
  CString text;
  text += "[General]\n";
  text += "Name=" + Name + "\n";
  text += "StartKey=" + StartKey + "\n";
  text += "EndKey=" + EndKey + "\n";
  text += "Description=" + Description + "\n";
  text += Enable ? "Enable=1\n" : "Enable=0\n";
  text.AppendFormat("RepeatOption=%d\n", RepeatOption);
  text.AppendFormat("RepeatTimes=%d\n", RepeatTimes);
  text.AppendFormat("OriginalSpeed=%s\n", SpeedText(RobotSpeedMode));
  text += UseSimilarWin ? "UseSimilarWin=1\n" : "UseSimilarWin=0\n";
  text += UseRecWin ? "UseRecWin=1\n" : "UseRecWin=0\n";
  text += "TriggerRobot=" + TriggerRobot + "\n";
  text += RunAtBackground ? "RunAtBackground=1\n" : "RunAtBackground=0\n";
  text += "[Script]\n";
  bool ok = file.WriteString(text);
  for (int i = 0; ok && i < ActionLines.GetSize(); ++i) ok = file.WriteString(ActionLines[i] + "\n");
  if (ok && WinRecords.GetSize() > 0) ok = file.WriteString("[RecWinInfo]\n");
  for (int i = 0; ok && i < WinRecords.GetSize(); ++i) {
    const RecWinInfo& r = WinRecords[i];
    text.Format("WinIndex=%d\n", r.WinIndex);
    text += "WinTitle=" + r.WinTitle + "\n";
    text += "WinPath=" + r.WinPath + "\n";
    text.AppendFormat("WinParentLevel=%d\n", r.WinParentLevel);
    text.AppendFormat("WinRect=%d,%d,%d,%d\n", static_cast<int>(r.WinRect.left), static_cast<int>(r.WinRect.top),
                      static_cast<int>(r.WinRect.right), static_cast<int>(r.WinRect.bottom));
    ok = file.WriteString(text);
  }
  if (!file.Close()) ok = false;
  if (!ok || !MoveFileExA(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(temp);
    return FALSE;
  }
  return TRUE;
}

int CRobot::LoadFromFile(const CString& path) {
  ActionLines.RemoveAll();
  WinRecords.RemoveAll();
  CStdioFile file;
  if (!file.Open(path, CStdioFile::modeRead | CStdioFile::typeText)) return 0;

  // The [General] part is positional: keys are not compared, only cut off by their length.
  CString line;
  auto next = [&]() {
    if (!file.ReadString(line)) line.Empty();
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

  while (file.ReadString(line) && line.CompareNoCase("[RecWinInfo]") != 0) ActionLines.Add(line);

  // One working record: a record that omits a key keeps the value of the record before it.
  RecWinInfo work;
  work.WinParentLevel = -1;
  while (file.ReadString(line)) {
    RecWinLine read = ReadRecWinLine(line, work);
    if (read == RecWinLine::BadRect) {
      ShowMessageBox(GetActiveWindow(), RecWinLoadFailedText(path), AfxGetAppName(), MB_OK);
      file.Close();
      return 0;
    }
    if (read == RecWinLine::Complete) WinRecords.Add(work);
  }
  file.Close();
  return 1;
}
