// The script line store and the robot-file reader for playback.
#include "script/scriptfile.h"

#include <windows.h>

#include <commdlg.h>

#include <cstdlib>
#include <cstring>

#include "framework/msgbox.h"
#include "robot/robotfile.h"
#include "script/sysutil/sysutil.h"

namespace {

const char kSpeedMark[] = "=> [remove on faster speed]";
const char kWindowMark[] = "-> At Win [";

}  // namespace

void CQuorvex_ScriptFile::AddLine(int sourceLine, const char* text, int includeIndex) {
  if (!text) text = "";
  if (!lines_.empty()) {
    Line& last = lines_.back();
    if (last.text.IsEmpty() || last.text.GetText()[0] == ';') {
      // The replaced line's window record belongs to it, not to the line taking its place.
      LineToRecord.erase(static_cast<int>(lines_.size()));
      last.text.AssignText(text);
      last.sourceLine = sourceLine;
      last.includeIndex = includeIndex;
      return;
    }
  }
  Line line;
  line.text.AssignText(text);
  line.sourceLine = sourceLine;
  line.includeIndex = includeIndex;
  lines_.push_back(std::move(line));
}

const char* CQuorvex_ScriptFile::GetLine(int n) const {
  if (n < 1 || n > arrayCount_ || n > static_cast<int>(lines_.size())) return nullptr;
  return lines_[n - 1].text.GetText();
}

int CQuorvex_ScriptFile::GetLineNumber(int n) const {
  if (n < 1 || n > static_cast<int>(lines_.size())) return -1;
  return lines_[n - 1].sourceLine;
}

int CQuorvex_ScriptFile::GetLineIncludeIndex(int n) const {
  if (n < 1 || n > static_cast<int>(lines_.size())) return -1;
  return lines_[n - 1].includeIndex;
}

int CQuorvex_ScriptFile::AddIncludeFile(const char* fileName) {
  if (includes_.size() >= kMaxIncludeFiles) return -1;
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(fileName ? fileName : "", MAX_PATH, full, nullptr);
  if (n == 0 || n >= MAX_PATH) lstrcpynA(full, fileName ? fileName : "", MAX_PATH);
  for (size_t i = 0; i < includes_.size(); ++i) {
    if (includes_[i].path.CompareNoCase(full) == 0) {
      ++includes_[i].references;
      return static_cast<int>(i);
    }
  }
  Include include;
  include.path.AssignText(full);
  include.references = 1;
  includes_.push_back(std::move(include));
  return static_cast<int>(includes_.size()) - 1;
}

const char* CQuorvex_ScriptFile::GetIncludeFileName(int i) const {
  if (i < 0 || i >= static_cast<int>(includes_.size())) return nullptr;
  return includes_[i].path.GetText();
}

int CQuorvex_ScriptFile::GetIncludeReferences(int i) const {
  if (i < 0 || i >= static_cast<int>(includes_.size())) return 0;
  return includes_[i].references;
}

void CQuorvex_ScriptFile::Clear() {
  lines_.clear();
  arrayCount_ = 0;
  includes_.clear();
}

bool CQuorvex_ScriptFile::GetLineRecord(int n, int& recordIndex) const {
  auto it = LineToRecord.find(n);
  if (it == LineToRecord.end()) return false;
  recordIndex = it->second;
  return true;
}

bool CQuorvex_ScriptFile::LoadScript(char* path) {
  if (!path[0]) {
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrTitle = "Run Script:";
    ofn.lpstrFilter = "Quorvex files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrDefExt = "txt";
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    if (!GetOpenFileNameA(&ofn)) return false;
  }
  char full[MAX_PATH];
  GetFullPathNoSlash(path, full);
  GetLongPathViaShell(full, path);
  return LoadRobotFile(path, AddIncludeFile(path));
}

bool CQuorvex_ScriptFile::LoadRobotFile(const char* path, int includeIndex) {
  // Read in binary, as the robot reader does: a NUL or Ctrl-Z byte inside a line neither ends
  // the line nor the file.
  CStringArray file;
  if (!ReadRobotFileLines(path, file)) {
    LineToRecord.clear();
    Records.clear();
    RunAtBackground = 0;
    return false;
  }
  return LoadRobotLines(file, path, includeIndex);
}

bool CQuorvex_ScriptFile::LoadRobotLines(const CStringArray& file, const char* path, int includeIndex) {
  LineToRecord.clear();
  Records.clear();
  RunAtBackground = 0;
  int counter = 0;
  const int count = file.GetSize();
  int at = 8;  // the [General] head in the writer's order; keys not compared
  if (count < at) return false;
  for (;; ++at) {
    if (at >= count) return false;
    const CString& line = file[at];
    if (line.str() == "[Script]") break;
    if (line.Left(16) == "RunAtBackground=" && line.Right(1) == "1") RunAtBackground = 1;
  }
  ++at;

  const int markLength = static_cast<int>(strlen(kSpeedMark));
  for (; at < count && !IsRecWinHeader(file[at]); ++at) {
    CString line = file[at];
    ++counter;  // every line counts, also those left out
    if (line.Left(8).CompareNoCase("Comment:") == 0) continue;
    int length = line.GetLength();
    if (length >= markLength && line.Right(markLength).str() == kSpeedMark) {
      if (RobotSpeedMode != 0) continue;
      line = line.Left(length - markLength);
    }
    // The last window mark with a "]" after it splits the statement from its record index.
    int record = -1;
    const char* text = line.GetString();
    const char* mark = nullptr;
    for (const char* p = strstr(text, kWindowMark); p; p = strstr(p + 1, kWindowMark)) mark = p;
    CString statement = line;
    if (mark && strchr(mark + strlen(kWindowMark), ']')) {
      record = atoi(mark + strlen(kWindowMark));
      statement = line.Left(static_cast<int>(mark - text));
      // A hand-edited negative index names no record.
      if (record < 0) record = -1;
    }
    // A line runs up to a NUL byte: the rest of it is kept in the file, not played.
    AddLine(counter, statement, includeIndex);
    if (record >= 0) LineToRecord[GetLineCount()] = record;
  }
  if (at >= count) return true;

  RecWinInfo work;
  for (++at; at < count; ++at) {
    RecWinLine read = ReadRecWinLine(file[at], work);
    if (read == RecWinLine::BadRect) {
      AfxMessageBox(RecWinLoadFailedText(path));
      return false;
    }
    if (read == RecWinLine::Complete) Records.push_back(work);
  }
  return true;
}
