// Failures that Wine alone cannot make, made on the host: a file that even root cannot change,
// a full disk, a link of the host to a file elsewhere.
#pragma once

#include <string>

#include "tests/support/test_support.h"  // RunHost, UnixPath

namespace testing_support {

// A file that cannot be written, renamed or deleted while this lives; a folder that takes no new
// file and loses none.
class ImmutableFile {
public:
  explicit ImmutableFile(const std::string& windowsPath);
  ~ImmutableFile();
  ImmutableFile(const ImmutableFile&) = delete;
  ImmutableFile& operator=(const ImmutableFile&) = delete;
  bool ok() const { return ok_; }

private:
  std::string unix_;
  bool ok_ = false;
};

// A small file system mounted on an empty folder and filled until `freeBytes` are left (whole
// pages of 4096 bytes); unmounted again when this goes.
class FullDisk {
public:
  FullDisk(const std::string& windowsFolder, unsigned freeBytes);
  ~FullDisk();
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;
  bool ok() const { return ok_; }

private:
  std::string unix_;
  bool ok_ = false;
};

}  // namespace testing_support
