// Robot-file lines in binary, with CR LF handled here.
#include "robot/robotfile.h"

#include <cctype>
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
    return;
  }
  stamp_.size = static_cast<unsigned long long>(size.QuadPart);
  stamp_.known = GetFileTime(file_, nullptr, nullptr, &stamp_.written);
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

namespace {
// Wine deletes a file when the handle it opened for that closes, and loses a failure there (a
// file the host does not let go of): the call succeeds and the file stays. That is a failure.
BOOL DeletedAndGone(BOOL deleted, DWORD attributesAfter) {
  if (!deleted) return FALSE;
  if (attributesAfter == INVALID_FILE_ATTRIBUTES) return TRUE;
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}
}  // namespace

BOOL DeleteRobotFile(const char* path) {
  if (lstrlenA(path) <= kMaxRobotPath) {
    BOOL deleted = DeleteFileA(path);
    return DeletedAndGone(deleted, deleted ? GetFileAttributesA(path) : INVALID_FILE_ATTRIBUTES);
  }
  // A long path only through the wide call, as "\\?\" and the full path.
  int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (length <= 0) return FALSE;
  std::wstring wide(static_cast<size_t>(length) - 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, path, -1, &wide[0], length);
  if (wide.compare(0, 4, L"\\\\?\\") != 0) wide = L"\\\\?\\" + wide;
  BOOL deleted = DeleteFileW(wide.c_str());
  return DeletedAndGone(deleted, deleted ? GetFileAttributesW(wide.c_str()) : INVALID_FILE_ATTRIBUTES);
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
    Fail(GetLastError());
    return;
  }
  file_ = CreateFileA(temp_, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ok_ = file_ != INVALID_HANDLE_VALUE;
  if (!ok_) Fail(GetLastError());
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
    if (!WriteFile(file_, buffer_.data() + done, part, &written, nullptr)) {
      Fail(GetLastError());
    } else if (written != part) {
      // A full disk can take part of a write and report success, with no error set.
      Fail(ERROR_DISK_FULL);
    }
    done += written;
  }
  buffer_.clear();
}

void RobotFileWriter::Fail(DWORD error) {
  ok_ = FALSE;
  if (!error_) error_ = error ? error : ERROR_WRITE_FAULT;
}

BOOL RobotFileWriter::TargetMayBeReplaced() {
  DWORD attributes = GetFileAttributesA(target_);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    Fail(ERROR_FILE_READ_ONLY);
    return FALSE;
  }
  if (!checkTarget_) return TRUE;
  // Read access shared for reading only: this fails while another program holds the file open
  // for writing, even when it has paused and nothing has changed yet.
  HANDLE file = CreateFileA(target_, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Fail(ERROR_SHARING_VIOLATION);
    return FALSE;
  }
  LARGE_INTEGER size = {};
  FILETIME written = {};
  BOOL same = !expected_.known || (GetFileSizeEx(file, &size) && GetFileTime(file, nullptr, nullptr, &written) &&
                                   static_cast<unsigned long long>(size.QuadPart) == expected_.size &&
                                   CompareFileTime(&written, &expected_.written) == 0);
  CloseHandle(file);
  if (!same) Fail(ERROR_SHARING_VIOLATION);
  return same;
}

BOOL RobotFileWriter::Commit() {
  if (!ok_) return FALSE;
  Flush();
  if (ok_ && !FlushFileBuffers(file_)) Fail(GetLastError());
  if (!CloseHandle(file_) && ok_) Fail(GetLastError());
  file_ = INVALID_HANDLE_VALUE;
  if (!ok_ || !TargetMayBeReplaced()) return FALSE;
  if (!MoveFileExA(temp_, target_, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    Fail(GetLastError());
    return FALSE;
  }
  temp_[0] = '\0';
  return TRUE;
}

CString RobotFileErrorText(DWORD error) {
  if (error == ERROR_FILE_READ_ONLY) return "The file is read-only.";
  if (error == ERROR_SHARING_VIOLATION) return "Another program is writing the file or changed it since it was read.";
  char* buffer = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  CString text = n && buffer ? CString(buffer) : CString();
  if (buffer) LocalFree(buffer);
  text.TrimRight();
  if (text.IsEmpty()) text.Format("Error %lu.", error);
  return text;
}

namespace {

// "rob" and one to four hexadecimal digits, ".tmp": the writer's temporary names.
bool IsWriterTempName(const char* name) {
  if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name, 3, "rob", 3) != CSTR_EQUAL) return false;
  int digits = 0;
  const char* p = name + 3;
  while (isxdigit(static_cast<unsigned char>(*p))) ++p, ++digits;
  return digits >= 1 && digits <= 4 && lstrcmpiA(p, ".tmp") == 0;
}

// The final path of a file or folder, "" when it cannot be opened.
CString FinalPathOf(const CString& path) {
  HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return CString();
  char buffer[4 * MAX_PATH];
  DWORD n = GetFinalPathNameByHandleA(file, buffer, sizeof buffer, FILE_NAME_NORMALIZED);
  CloseHandle(file);
  return n && n < sizeof buffer ? CString(buffer) : CString();
}

}  // namespace

void RemoveStaleRobotFileTemps(const CString& folder) {
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(folder + "\\rob*.tmp", &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY || !IsWriterTempName(found.cFileName)) continue;
    CString path = folder + "\\" + found.cFileName;
    if (PlaceOfFile(path, folder) == FilePlace::kInFolder) DeleteFileA(path);
  } while (FindNextFileA(find, &found));
  FindClose(find);
}

FilePlace PlaceOfFile(const CString& path, const CString& folder) {
  CString file = FinalPathOf(path);
  if (file.IsEmpty()) return FilePlace::kMissing;
  CString own = FinalPathOf(folder);
  int slash = file.ReverseFind('\\');
  return !own.IsEmpty() && slash > 0 && file.Left(slash).CompareNoCase(own) == 0 ? FilePlace::kInFolder
                                                                                 : FilePlace::kElsewhere;
}

BOOL SetFileNameCase(const CString& path, const CString& newPath) {
  CString wanted = newPath.Mid(newPath.ReverseFind('\\') + 1);
  auto nameOnDisk = [&newPath]() {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(newPath, &found);
    if (find == INVALID_HANDLE_VALUE) return CString();
    FindClose(find);
    return CString(found.cFileName);
  };
  if (nameOnDisk() == wanted) return TRUE;
  if (MoveFileA(path, newPath) && nameOnDisk() == wanted) return TRUE;
  // Through a name of its own, which the robot list never shows: a file system that keeps the
  // old spelling when only the case changes renames a file that moves away and back.
  CString between = newPath + ".renaming";
  if (!MoveFileA(path, between)) return FALSE;
  if (MoveFileA(between, newPath)) return nameOnDisk() == wanted;
  DWORD error = GetLastError();
  MoveFileA(between, path);
  SetLastError(error);
  return FALSE;
}
