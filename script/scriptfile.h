// CQuorvex_ScriptFile: the lines the interpreter runs, the files they came from, and a robot's
// window records with the map from script line to record.
#pragma once

#include <unordered_map>
#include <vector>

#include "framework/collections.h"
#include "robot/recwininfo.h"
#include "script/scriptstring.h"

class CQuorvex_ScriptFile {
public:
  enum { kMaxIncludeFiles = 64 };

  CQuorvex_ScriptFile() = default;
  virtual ~CQuorvex_ScriptFile() = default;
  CQuorvex_ScriptFile(const CQuorvex_ScriptFile&) = delete;
  CQuorvex_ScriptFile& operator=(const CQuorvex_ScriptFile&) = delete;

  // Appends a line; an empty or comment (";") last line is replaced by the new one instead.
  void AddLine(int sourceLine, const char* text, int includeIndex);
  // Makes lines 1..count reachable through GetLine.
  void BuildLineArray() { arrayCount_ = static_cast<int>(lines_.size()); }
  // Text of line n (1-based) of the built array, else null.
  const char* GetLine(int n) const;
  int GetLineCount() const { return static_cast<int>(lines_.size()); }
  // Source line number and include-file index of line n; -1 outside 1..count.
  int GetLineNumber(int n) const;
  int GetLineIncludeIndex(int n) const;

  // Registers a file (same path in any case: same index, one more reference); -1 when full.
  int AddIncludeFile(const char* fileName);
  // Path of include file i, or null.
  const char* GetIncludeFileName(int i) const;
  int GetIncludeReferences(int i) const;

  // Empties the lines and the include files; records, map, speed mode and RunAtBackground stay.
  void Clear();

  // Reads a plain script file; an empty path asks for one with the open-file dialog. The path
  // buffer (MAX_PATH characters) receives the full long path.
  bool LoadScript(char* path);
  // Reads the script lines and window records of a robot file for playback.
  bool LoadRobotFile(const char* path, int includeIndex);
  // The same from the file's lines, read already; `path` names the file in messages.
  bool LoadRobotLines(const CStringArray& file, const char* path, int includeIndex);

  // The window record of line n (1-based); false when the line has none.
  bool GetLineRecord(int n, int& recordIndex) const;

  std::unordered_map<int, int> LineToRecord;  // line number in the store -> record index
  std::vector<RecWinInfo> Records;
  int RobotSpeedMode = 0;   // 0 plays every line; 1 and 2 are the faster modes
  int RunAtBackground = 0;  // as read by LoadRobotFile

private:
  struct Line {
    CScriptString text;
    int sourceLine = 0;
    int includeIndex = -1;
  };
  struct Include {
    CScriptString path;
    int references = 0;
  };

  std::vector<Line> lines_;
  int arrayCount_ = 0;
  std::vector<Include> includes_;
};
