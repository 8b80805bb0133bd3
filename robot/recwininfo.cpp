// Reading the lines of a robot file's window records.
#include "robot/recwininfo.h"

#include "robot/numbertext.h"

RecWinLine ReadRecWinLine(const CString& line, RecWinInfo& work) {
  if (line.Left(9) == "WinIndex=") {
    work.WinIndex = StringToInt(line.Mid(9));
  } else if (line.Left(9) == "WinTitle=") {
    work.WinTitle = line.Mid(9);
  } else if (line.Left(8) == "WinPath=") {
    work.WinPath = line.Mid(8);
  } else if (line.Left(15) == "WinParentLevel=") {
    work.WinParentLevel = StringToInt(line.Mid(15));
  } else if (line.Left(8) == "WinRect=") {
    // Four numbers at the first three commas; anything after a fourth comma is cut off by the
    // number conversion of the last piece.
    CString rest = line.Mid(8);
    int c1 = rest.Find(',');
    int c2 = c1 < 0 ? -1 : rest.Find(',', c1 + 1);
    int c3 = c2 < 0 ? -1 : rest.Find(',', c2 + 1);
    if (c3 < 0) return RecWinLine::BadRect;
    work.WinRect.left = StringToInt(rest.Left(c1));
    work.WinRect.top = StringToInt(rest.Mid(c1 + 1, c2 - c1 - 1));
    work.WinRect.right = StringToInt(rest.Mid(c2 + 1, c3 - c2 - 1));
    work.WinRect.bottom = StringToInt(rest.Mid(c3 + 1));
    return RecWinLine::Complete;
  } else {
    return RecWinLine::Other;
  }
  return RecWinLine::Field;
}

CString RecWinLoadFailedText(const CString& path) { return "Failed to load record Window info\n" + path; }
bool IsRecWinHeader(const CString& line) {
  static const char kHeader[] = "[RecWinInfo]";
  // The length first: a NUL byte inside the line must not make a longer line compare equal.
  return line.GetLength() == lstrlenA(kHeader) && line.CompareNoCase(kHeader) == 0;
}
