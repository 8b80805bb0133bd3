// Robot-file lines in binary, with CR LF handled here.
#include "robot/robotfile.h"

#include <windows.h>

BOOL ReadRobotFileLines(const char* path, CStringArray& lines) {
  lines.RemoveAll();
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  BOOL ok = TRUE;
  for (;;) {
    if (!ReadFile(file, buffer, sizeof buffer, &read, nullptr)) {
      ok = FALSE;
      break;
    }
    if (read == 0) break;
    bytes.append(buffer, read);
  }
  CloseHandle(file);
  if (!ok) return FALSE;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    size_t next = end == std::string::npos ? bytes.size() : end + 1;
    if (end == std::string::npos) end = bytes.size();
    else if (end > start && bytes[end - 1] == '\r') --end;
    AddWholeLine(lines, CString(bytes.substr(start, end - start)));
    start = next;
  }
  return TRUE;
}

void AddWholeLine(CStringArray& lines, const CString& line) {
  int n = lines.GetSize();
  lines.SetSize(n + 1);
  lines[n] = line;
}

CString JoinRobotFileLines(const CStringArray& lines) {
  std::string text;
  for (const CString& line : lines) {
    text += line.str();
    text += "\r\n";
  }
  return CString(text);
}

BOOL ReplaceFileWithText(const CString& folder, const CString& target, const CString& text) {
  // Written beside the target first (".tmp", so the robot list never shows it).
  char temp[MAX_PATH];
  if (!GetTempFileNameA(folder, "rob", 0, temp)) return FALSE;
  HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DeleteFileA(temp);
    return FALSE;
  }
  const std::string& bytes = text.str();
  size_t done = 0;
  BOOL ok = TRUE;
  while (ok && done < bytes.size()) {
    DWORD part = bytes.size() - done > 0x100000 ? 0x100000 : static_cast<DWORD>(bytes.size() - done);
    DWORD written = 0;
    ok = WriteFile(file, bytes.data() + done, part, &written, nullptr) && written == part;
    done += written;
  }
  if (!FlushFileBuffers(file)) ok = FALSE;
  if (!CloseHandle(file)) ok = FALSE;
  if (!ok || !MoveFileExA(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(temp);
    return FALSE;
  }
  return TRUE;
}
