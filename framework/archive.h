// CArchive: a byte archive in memory, little-endian, for objects that save and load
// themselves (Serialize). Reading past the end reads zeros and marks the archive as failed.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>

class CArchive {
public:
  enum Mode { store = 0, load = 1 };
  // An archive to store into (Mode store) or to load from the given bytes.
  explicit CArchive(Mode mode, std::string bytes = std::string()) : mode_(mode), bytes_(std::move(bytes)) {}

  BOOL IsStoring() const { return mode_ == store; }
  BOOL IsLoading() const { return mode_ == load; }
  // TRUE once a read went past the end.
  bool Failed() const { return failed_; }
  // Bytes stored so far (or given to load from), and how many are still unread.
  const std::string& Bytes() const { return bytes_; }
  size_t Remaining() const { return bytes_.size() - pos_; }

  CArchive& operator<<(int v) { return Put(&v, sizeof v); }
  CArchive& operator<<(DWORD v) { return Put(&v, sizeof v); }
  CArchive& operator<<(LONG v) { return Put(&v, sizeof v); }
  CArchive& operator<<(WORD v) { return Put(&v, sizeof v); }
  CArchive& operator<<(BYTE v) { return Put(&v, sizeof v); }
  CArchive& operator>>(int& v) { return Get(&v, sizeof v); }
  CArchive& operator>>(DWORD& v) { return Get(&v, sizeof v); }
  CArchive& operator>>(LONG& v) { return Get(&v, sizeof v); }
  CArchive& operator>>(WORD& v) { return Get(&v, sizeof v); }
  CArchive& operator>>(BYTE& v) { return Get(&v, sizeof v); }

private:
  CArchive& Put(const void* p, size_t n) {
    bytes_.append(static_cast<const char*>(p), n);
    return *this;
  }
  CArchive& Get(void* p, size_t n) {
    if (Remaining() < n) {
      memset(p, 0, n);
      failed_ = true;
      pos_ = bytes_.size();
    } else {
      memcpy(p, bytes_.data() + pos_, n);
      pos_ += n;
    }
    return *this;
  }

  Mode mode_;
  std::string bytes_;
  size_t pos_ = 0;
  bool failed_ = false;
};
