// CStdioFile over the C runtime's text-mode streams.
#include "framework/stdiofile.h"

#include <cstring>

#include <io.h>

BOOL CStdioFile::Open(const char* path, unsigned flags) {
  Close();
  const bool text = !(flags & typeBinary);
  const bool create = flags & modeCreate;
  const bool keep = flags & modeNoTruncate;
  // Writing without modeCreate, or with modeNoTruncate, keeps the contents ("r+").
  const char* mode = "r";
  if (flags & (modeWrite | modeReadWrite)) mode = create && !keep ? "w+" : "r+";
  char full[8];
  snprintf(full, sizeof full, "%s%s", mode, text ? "t" : "b");
  file_ = fopen(path, full);
  if (!file_ && create && keep) file_ = fopen(path, text ? "w+t" : "w+b");
  failed_ = false;
  path_ = path;
  return file_ != nullptr;
}

BOOL CStdioFile::ReadString(CString& line) {
  line.Empty();
  if (!file_) return FALSE;
  char buf[1024];
  bool any = false;
  while (fgets(buf, sizeof buf, file_)) {
    any = true;
    size_t n = strlen(buf);
    if (n > 0 && buf[n - 1] == '\n') {
      buf[n - 1] = '\0';
      line += buf;
      return TRUE;
    }
    line += buf;
  }
  return any;
}

UINT CStdioFile::Read(void* buffer, UINT count) {
  if (!file_ || !buffer) return 0;
  return static_cast<UINT>(fread(buffer, 1, count, file_));
}

ULONGLONG CStdioFile::GetLength() const {
  if (!file_) return 0;
  long long length = _filelengthi64(_fileno(file_));
  return length > 0 ? static_cast<ULONGLONG>(length) : 0;
}

BOOL CStdioFile::WriteString(const char* text) {
  if (!file_) return FALSE;
  if (fputs(text ? text : "", file_) < 0) failed_ = true;
  return !failed_;
}

BOOL CStdioFile::Close() {
  if (!file_) return TRUE;
  bool ok = !failed_ && fflush(file_) == 0 && !ferror(file_);
  if (fclose(file_) != 0) ok = false;
  file_ = nullptr;
  return ok;
}
