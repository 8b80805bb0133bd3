// CStdioFile: a text file read and written line by line (CR LF on disk, LF in memory).
#pragma once

#include <cstdio>

#include "framework/cstring.h"

class CStdioFile {
public:
  enum OpenFlags : unsigned {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareDenyNone = 0x0040,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000,
  };

  CStdioFile() = default;
  ~CStdioFile() { Close(); }
  CStdioFile(const CStdioFile&) = delete;
  CStdioFile& operator=(const CStdioFile&) = delete;

  BOOL Open(const char* path, unsigned flags);
  // The next line without its line end; FALSE at the end of the file.
  BOOL ReadString(CString& line);
  // Reads up to `count` bytes (CR LF read as LF in text mode); how many it read, 0 at the end.
  UINT Read(void* buffer, UINT count);
  // The file's size in bytes on disk.
  ULONGLONG GetLength() const;
  // Writes the text; "\n" becomes CR LF in text mode. FALSE once any write has failed.
  BOOL WriteString(const char* text);
  // Closes the file; FALSE when a write or the final flush failed.
  BOOL Close();
  bool IsOpen() const { return file_ != nullptr; }
  const CString& GetFilePath() const { return path_; }

private:
  FILE* file_ = nullptr;
  CString path_;
  bool failed_ = false;
};
