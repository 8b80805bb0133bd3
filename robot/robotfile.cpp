// Robot-file lines in binary, with CR LF handled here.
#include "robot/robotfile.h"

#include <utility>

#include "robot/robotname.h"

namespace {

constexpr size_t kBlock = 65536;

}  // namespace

RobotFileReader::RobotFileReader(const char* path) {
  // The name is tested before the file is opened: opening a device can already wait on it.
  if (!path || IsDeviceFileName(path)) {
    error_ = ERROR_INVALID_NAME;
    return;
  }
  // The system's ANSI calls take no longer path; said here, as the system may say another thing.
  if (lstrlenA(path) > kMaxRobotPath) {
    error_ = ERROR_FILENAME_EXCED_RANGE;
    return;
  }
  file_ = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) {
    error_ = GetLastError();
    if (!error_) error_ = ERROR_OPEN_FAILED;
    return;
  }
  LARGE_INTEGER size = {};
  if (GetFileType(file_) != FILE_TYPE_DISK || !GetFileSizeEx(file_, &size)) {
    error_ = GetFileType(file_) != FILE_TYPE_DISK ? ERROR_INVALID_NAME : GetLastError();
    if (!error_) error_ = ERROR_READ_FAULT;
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
  }
}

RobotFileReader::~RobotFileReader() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

BOOL RobotFileReader::Fill() {
  if (end_ || failed_ || file_ == INVALID_HANDLE_VALUE) return FALSE;
  buffer_.erase(0, at_);
  at_ = 0;
  size_t had = buffer_.size();
  buffer_.resize(had + kBlock);
  DWORD read = 0;
  if (!ReadFile(file_, &buffer_[had], kBlock, &read, nullptr)) {
    failed_ = TRUE;
    error_ = GetLastError();
    if (!error_) error_ = ERROR_READ_FAULT;
    read = 0;
  }
  buffer_.resize(had + read);
  if (!started_) {
    started_ = TRUE;
    if (buffer_.compare(0, 3, "\xEF\xBB\xBF") == 0) at_ = 3;
  }
  if (read == 0) end_ = TRUE;
  return read != 0;
}

BOOL RobotFileReader::Next(CString& line) {
  size_t searched = at_;
  for (;;) {
    size_t end = buffer_.find('\n', searched);
    if (end != std::string::npos) {
      size_t next = end + 1;
      if (end > at_ && buffer_[end - 1] == '\r') --end;
      line = CString(buffer_.data() + at_, static_cast<int>(end - at_));
      at_ = next;
      return TRUE;
    }
    searched = buffer_.size() - at_;  // offset of the unsearched part once Fill moved the rest
    if (!Fill()) break;
  }
  if (failed_ || at_ >= buffer_.size()) return FALSE;
  line = CString(buffer_.data() + at_, static_cast<int>(buffer_.size() - at_));
  at_ = buffer_.size();
  return TRUE;
}

BOOL ReadRobotFileLines(const char* path, CStringArray& lines, DWORD* error) {
  lines.RemoveAll();
  RobotFileReader reader(path);
  CString line;
  while (reader.Next(line)) AddWholeLine(lines, std::move(line));
  if (error) *error = reader.Error();
  return reader.IsOpen() && !reader.Failed();
}

CString SystemErrorText(DWORD error) {
  char* text = nullptr;
  DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  CString result;
  if (length && text) result = CString(text, static_cast<int>(length));
  if (text) LocalFree(text);
  result.TrimRight("\r\n ");
  if (result.IsEmpty()) result.Format("Error %lu.", static_cast<unsigned long>(error));
  return result;
}

BOOL DeleteRobotFile(const char* path) {
  if (lstrlenA(path) <= kMaxRobotPath) return DeleteFileA(path);
  // A long path only through the wide call, as "\\?\" and the full path.
  int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (length <= 0) return FALSE;
  std::wstring wide(static_cast<size_t>(length) - 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, path, -1, &wide[0], length);
  if (wide.compare(0, 4, L"\\\\?\\") != 0) wide = L"\\\\?\\" + wide;
  return DeleteFileW(wide.c_str());
}

void AddWholeLine(CStringArray& lines, const CString& line) {
  int n = lines.GetSize();
  lines.SetSize(n + 1);
  lines[n] = line;
}

void AddWholeLine(CStringArray& lines, CString&& line) {
  int n = lines.GetSize();
  lines.SetSize(n + 1);
  lines[n] = std::move(line);
}

RobotFileWriter::RobotFileWriter(const CString& folder, const CString& target) : target_(target) {
  // Written beside the target first (".tmp", so the robot list never shows it).
  if (!GetTempFileNameA(folder, "rob", 0, temp_)) {
    temp_[0] = '\0';
    return;
  }
  file_ = CreateFileA(temp_, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ok_ = file_ != INVALID_HANDLE_VALUE;
  buffer_.reserve(kBlock + 1024);
}

RobotFileWriter::~RobotFileWriter() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  if (temp_[0]) DeleteFileA(temp_);
}

void RobotFileWriter::Line(const CString& line) {
  if (!ok_) return;
  buffer_ += line.str();
  buffer_ += "\r\n";
  if (buffer_.size() >= kBlock) Flush();
}

void RobotFileWriter::Flush() {
  size_t done = 0;
  while (ok_ && done < buffer_.size()) {
    DWORD part = buffer_.size() - done > 0x100000 ? 0x100000 : static_cast<DWORD>(buffer_.size() - done);
    DWORD written = 0;
    ok_ = WriteFile(file_, buffer_.data() + done, part, &written, nullptr) && written == part;
    done += written;
  }
  buffer_.clear();
}

BOOL RobotFileWriter::Commit() {
  if (!ok_) return FALSE;
  Flush();
  if (!FlushFileBuffers(file_)) ok_ = FALSE;
  if (!CloseHandle(file_)) ok_ = FALSE;
  file_ = INVALID_HANDLE_VALUE;
  if (!ok_ || !MoveFileExA(temp_, target_, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return FALSE;
  temp_[0] = '\0';
  return TRUE;
}
