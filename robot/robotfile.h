// The bytes of a robot file: lines read and written in binary with their CR LF handled here, so
// that a NUL or Ctrl-Z byte inside a line is kept as it is and never ends a line or the file.
#pragma once

#include <windows.h>

#include <string>

#include "framework/collections.h"
#include "framework/cstring.h"

// A robot file as it was read: a file rewritten from what was read must still be that file.
struct RobotFileStamp {
  BOOL known = FALSE;
  unsigned long long size = 0;
  FILETIME written = {};
};

// Gives a robot file's lines one at a time, read in blocks: a large file is held only as the
// lines its reader keeps, never also whole. Each line ends at LF, and one CR before the LF is
// dropped; a last line without a line end counts too. A UTF-8 byte-order mark at the start is
// skipped (an editor may add one; the text is ANSI otherwise). Only a disk file is read: a device
// name (COM1.txt, AUX.txt...) would open the device, whose reading may never end.
class RobotFileReader {
public:
  explicit RobotFileReader(const char* path);
  ~RobotFileReader();
  RobotFileReader(const RobotFileReader&) = delete;
  RobotFileReader& operator=(const RobotFileReader&) = delete;

  BOOL IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }
  // The next line; FALSE at the end of the file and when reading failed (then Failed()).
  BOOL Next(CString& line);
  BOOL Failed() const { return failed_; }
  // Why the file could not be opened or read (a system error code), 0 while all went well.
  DWORD Error() const { return error_; }
  // The file's size and last-write time when it was opened.
  const RobotFileStamp& Stamp() const { return stamp_; }

private:
  BOOL Fill();

  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::string buffer_;
  size_t at_ = 0;
  RobotFileStamp stamp_;
  BOOL end_ = FALSE;
  BOOL failed_ = FALSE;
  BOOL started_ = FALSE;
  DWORD error_ = 0;
};

// Reads the file's lines as RobotFileReader gives them. FALSE when the file cannot be read, with
// the system's error code in `error` when one is given.
BOOL ReadRobotFileLines(const char* path, CStringArray& lines, DWORD* error = nullptr);
// The system's text for an error code, without its line end.
CString SystemErrorText(DWORD error);
// Deletes a robot file, also one whose path is too long for the system's ANSI calls (such a file
// can come in from elsewhere). FALSE, with the system's error code set, when it stays.
BOOL DeleteRobotFile(const char* path);
// Appends a line whole (CStringArray::Add would cut it at a NUL byte).
void AddWholeLine(CStringArray& lines, const CString& line);
void AddWholeLine(CStringArray& lines, CString&& line);

// Writes a file beside `target` first and replaces `target` only once it is wholly on disk, so a
// failed write never loses the file it would replace. Lines are written as they come, each
// followed by CR LF, through a small buffer.
class RobotFileWriter {
public:
  RobotFileWriter(const CString& folder, const CString& target);
  ~RobotFileWriter();  // a file not committed is deleted
  RobotFileWriter(const RobotFileWriter&) = delete;
  RobotFileWriter& operator=(const RobotFileWriter&) = delete;

  void Line(const CString& line);
  // The target is replaced only while it is still the file that was read: same size and
  // last-write time, and no other program has it open for writing.
  void ReplaceOnlyIf(const RobotFileStamp& read) {
    expected_ = read;
    checkTarget_ = TRUE;
  }
  // Puts the file in place; FALSE when any step failed (the target is then unchanged). A
  // read-only target is never replaced.
  BOOL Commit();
  // Why the write failed: a system error code, ERROR_FILE_READ_ONLY, or ERROR_SHARING_VIOLATION
  // for a target that another program writes or changed since it was read.
  DWORD Error() const { return error_; }

private:
  void Flush();
  void Fail(DWORD error);
  BOOL TargetMayBeReplaced();

  CString target_;
  char temp_[MAX_PATH] = "";
  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::string buffer_;
  BOOL ok_ = FALSE;
  DWORD error_ = 0;
  RobotFileStamp expected_;
  BOOL checkTarget_ = FALSE;
};

// The reason for a failed robot-file write as one line, for a message box.
CString RobotFileErrorText(DWORD error);

// Removes what the writer leaves behind when the program is ended while it writes: its own
// temporary files ("rob" and one to four hexadecimal digits, ".tmp") in the robot folder.
void RemoveStaleRobotFileTemps(const CString& folder);

// Where a file of a folder really is. Under Wine a robot file may be a link of the host to a
// file elsewhere, and deleting the link deletes that file.
enum class FilePlace {
  kMissing,    // it cannot be opened
  kInFolder,   // the file itself lies in the folder
  kElsewhere,  // a link to a file outside the folder
};
FilePlace PlaceOfFile(const CString& path, const CString& folder);

// Gives a file the letter case of newPath (the same name in another case): a file system that
// ignores case keeps the old spelling on a plain rename. FALSE when the name on disk could not be
// changed; the file then keeps its old name.
BOOL SetFileNameCase(const CString& path, const CString& newPath);
