// The script's table of open files and file searches: 64 numbered slots owned by the interpreter.
#pragma once

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

// One open file or file search of a script.
struct CFileHandle {
  enum Kind { kFile, kSearch };
  enum Mode { kRead = 0, kAppend = 1, kWrite = 2 };

  Kind kind = kFile;
  // kFile: the stream and its mode. A file opened for writing is written to `tempPath` beside
  // `targetPath` and replaces it only when it is closed with every write done, so a failing disk
  // or path never leaves the old file cut short.
  FILE* stream = nullptr;
  int mode = kRead;
  std::string targetPath, tempPath;
  bool writeFailed = false;
  // kFile: the last line FILEREADLINE read by number (0: none), where it starts, where the line
  // after it starts, the file's size and last write time then, and whether the stream is still
  // where that read left it with the line's end read whole. A later line goes on from there
  // instead of reading the file from its start again (see ReadNumberedLine in files.cpp).
  struct LineMark {
    int line = 0;
    long long start = 0, next = 0;
    long long size = 0;
    FILETIME written = {};
    bool inPlace = false;
  } numbered;
  // kSearch: the search and the first match, kept until FILEFINDNEXTFILE returns it.
  HANDLE search = INVALID_HANDLE_VALUE;
  std::string firstName;
  bool firstPending = false;

  CFileHandle() = default;
  CFileHandle(const CFileHandle&) = delete;
  CFileHandle& operator=(const CFileHandle&) = delete;
  ~CFileHandle() { Close(); }
  // Ends the search or closes the stream (putting a written file in place); false when the data
  // of a file could not be saved.
  bool Close();
};

class CFileHandleTable {
public:
  enum { kSlots = 64 };

  CFileHandleTable() = default;
  CFileHandleTable(const CFileHandleTable&) = delete;
  CFileHandleTable& operator=(const CFileHandleTable&) = delete;
  ~CFileHandleTable() { CloseAll(); }

  int GetCount() const { return count_; }
  bool IsFull() const { return count_ >= kSlots; }
  // The record in slot n, or null when n is out of range or the slot is free.
  CFileHandle* Get(int n) const { return (n >= 0 && n < kSlots) ? slots_[n].get() : nullptr; }
  // Puts the record in the lowest free slot and returns its number; -1 when every slot is taken.
  int Add(std::unique_ptr<CFileHandle> handle);
  // Closes slot n and frees it; false when the record's data could not be saved.
  bool Close(int n);
  // Closes every open file and search (the end of the interpreter, with the process: a run's
  // handles stay open for the runs after it).
  void CloseAll();

private:
  std::unique_ptr<CFileHandle> slots_[kSlots];
  int count_ = 0;
};
