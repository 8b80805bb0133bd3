// CRobot: one robot as a value record, and its robot file.
#pragma once

#include "framework/collections.h"
#include "framework/cstring.h"
#include "robot/recwininfo.h"
#include "robot/robotfile.h"

// The name of the robot a file holds: the file name without its folder and extension (a file's
// name identifies its robot, whatever its name line says).
CString RobotNameOfFile(const CString& path);

class CRobot {
public:
  CRobot() = default;
  CRobot(const CRobot&) = default;
  CRobot& operator=(const CRobot&) = default;
  CRobot(CRobot&&) = default;
  CRobot& operator=(CRobot&&) = default;
  virtual ~CRobot() = default;

  // Writes "<folder>\<Name>.txt". The old file is replaced only once the new one is fully
  // written, so a failed save never loses a robot. FALSE when the file could not be written,
  // with the reason as the last error (see RobotFileWriter::Error). A read-only file is kept.
  BOOL SaveToFile(const CString& folder) const;
  // The same for a record read from its file, written back from what was read: the file is
  // replaced only while it is still the file that was read (FileStamp), else it is left alone.
  BOOL RewriteFile(const CString& folder) const;
  // Reads a robot file; 1 on success, 0 when it cannot be opened or a window record is malformed.
  // A malformed record is shown in a message box unless `reportErrors` is FALSE (a file that was
  // reported once when the list was loaded is not reported again).
  // A file too large to be held is not loaded either (0, and the record holds only its name).
  int LoadFromFile(const CString& path, BOOL reportErrors = TRUE);
  // The same from the file's lines, read already (a run reads its file once for both readers).
  int LoadFromLines(const CStringArray& lines, const CString& path, BOOL reportErrors = TRUE);
  void AddWindowRecord(const RecWinInfo& record) { WinRecords.Add(record); }

  CString GetName() const { return Name; }
  CString GetTriggerRobot() const { return TriggerRobot; }
  CString GetStartKey() const { return StartKey; }
  CString GetEndKey() const { return EndKey; }

  CString Name;
  CString TriggerRobot;  // a run is refused while no robot file of this name exists
  CString StartKey;      // hotkey display text, "None" when not set
  CString EndKey;
  CString Description;
  int Enable = 0;
  int RepeatOption = 0;  // 1 = repeat until stopped, else RepeatTimes runs
  int RepeatTimes = 1;
  CStringArray ActionLines;  // script statements in playback order
  int RobotSpeedMode = 0;    // 0 original speed; 1 and 2 faster
  int UseRecWin = 0;
  int UseSimilarWin = 0;
  int RunAtBackground = 0;
  CArray<RecWinInfo> WinRecords;
  // Set by LoadFromFile: the file held exactly the lines that SaveToFile writes for this record
  // (the name line aside), so writing the record back loses nothing. Any other file (another
  // header layout, lines that one of the two readers takes differently) must not be rewritten.
  BOOL FileReadsBack = FALSE;
  // Set by LoadFromFile: the reader took every header line for what it is (each starts with its
  // key, and "[Script]" stands where both readers take it), though perhaps in an older layout or
  // written otherwise. Writing the record back then keeps what the file says, in the full layout.
  BOOL FileReadsWhole = FALSE;
  // Set by LoadFromFile: why the file could not be read (a system error code), 0 when it was.
  DWORD FileError = 0;
  // Also set by LoadFromFile: the file reads back whole and its name line is the file name's,
  // so writing the record unchanged would give the same bytes.
  BOOL FileIsCurrent = FALSE;
  // Also set by LoadFromFile: the file's size and last-write time as it was read.
  RobotFileStamp FileStamp;

private:
  BOOL Write(const CString& folder, const RobotFileStamp* read) const;
  // Reads the file's lines as `next` gives them (FALSE at the end).
  template <class NextLine>
  int Load(NextLine next, const CString& path, BOOL reportErrors);
  void HeaderLines(CStringArray& lines) const;
  void RecordLines(CStringArray& lines) const;
};
