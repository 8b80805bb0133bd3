// Shared test helpers.
#include "tests/support/test_support.h"

#include <cstdio>


namespace testing_support {

TempFolder::TempFolder(const char* tag) {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  static int counter = 0;
  for (;;) {
    char name[MAX_PATH];
    snprintf(name, sizeof name, "%s%s_%lu_%d", base, tag, GetCurrentProcessId(), ++counter);
    if (CreateDirectoryA(name, nullptr)) {
      path_ = name;
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return;
  }
}

TempFolder::~TempFolder() {
  if (!path_.empty()) RemoveTree(path_);
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = path + "\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(path.c_str());
}

std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  char buf[4096];
  DWORD n;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) bytes.append(buf, n);
  CloseHandle(h);
  return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD n;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(h);
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ProgramFolder() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path, n);
  return s.substr(0, s.find_last_of('\\'));
}

bool StartProcess(const std::string& commandLine, HANDLE& process, DWORD& pid) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  // Under Wine a new process now and then dies while Wine sets it up, before any code of the
  // program runs (seen right after an instance was killed): CreateProcess then fails with
  // ERROR_INTERNAL_ERROR, and the start is asked for once more.
  BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  if (!started && GetLastError() == ERROR_INTERNAL_ERROR) {
    Sleep(200);
    started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  }
  if (!started) return false;
  CloseHandle(pi.hThread);
  process = pi.hProcess;
  pid = pi.dwProcessId;
  return true;
}

namespace {
// One argument of a Windows command line, quoted so that Wine hands it over unchanged.
std::string QuotedArgument(const std::string& text) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : text) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}
}  // namespace

bool StartHost(const std::string& command) {
  std::string line = "/bin/sh -c " + QuotedArgument(command);
  std::vector<char> buffer(line.begin(), line.end());
  buffer.push_back('\0');
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  return CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != FALSE;
}

bool RunHost(const std::string& command, int timeoutMs) {
  TempFolder folder("pdlhost");
  std::string status = UnixPath(folder.File("status"));
  if (status.empty() || !StartHost(command + "; echo $? > '" + status + "'")) return false;
  PumpUntil([&] { return !ReadFileBytes(folder.File("status")).empty(); }, timeoutMs);
  return ReadFileBytes(folder.File("status")) == "0\n";
}

std::string UnixPath(const std::string& windowsPath) {
  typedef char*(CDECL * ToUnix)(const wchar_t*);
  auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) return "";
  std::wstring wide(windowsPath.begin(), windowsPath.end());
  char* path = toUnix(wide.c_str());
  if (!path) return "";
  std::string result = path;
  HeapFree(GetProcessHeap(), 0, path);
  return result;
}

bool PumpUntil(const std::function<bool()>& test, int timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (test()) return true;
    if (static_cast<int>(GetTickCount() - start) >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void PumpFor(int milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

namespace {
// A real click on the window's caption, through the X server, with the pointer put back after.
// Clicks on the frame reach no client area, so no test's record of client input changes.
bool ClickCaption(HWND hwnd) {
  RECT frame;
  POINT client = {0, 0}, pointer;
  if (!GetWindowRect(hwnd, &frame) || !ClientToScreen(hwnd, &client) || !GetCursorPos(&pointer)) return false;
  if (client.y - frame.top < 6) return false;  // no caption to click
  POINT at = {(frame.left + frame.right) / 2, (frame.top + client.y) / 2};
  // A click on a window that covers the caption would go to that window instead.
  if (GetAncestor(WindowFromPoint(at), GA_ROOT) != hwnd) return false;
  char cmd[200];
  snprintf(cmd, sizeof cmd, "/usr/bin/xdotool mousemove %ld %ld click 1 mousemove %ld %ld", static_cast<long>(at.x),
           static_cast<long>(at.y), static_cast<long>(pointer.x), static_cast<long>(pointer.y));
  RunHost(cmd, 5000);
  return true;
}
}  // namespace

bool BringToFront(HWND hwnd, int timeoutMs) {
  DWORD start = GetTickCount();
  bool clicked = false;
  do {
    // The test display has no system tray, so Wine shows a stand-in tray window of its own, the
    // only other window there. When a test closes the window in front, Wine hands the front to
    // that tray, whose process takes the X focus a moment later; when that lands after this
    // process has asked for the front, X refuses our (older) focus request and Wine is left
    // with no foreground window at all. A real click carries a fresh X time, which X accepts:
    // it is made once, only after asking has failed for a while.
    if (!clicked && static_cast<int>(GetTickCount() - start) >= 600 && GetForegroundWindow() != hwnd)
      clicked = ClickCaption(hwnd);
    SetForegroundWindow(hwnd);
    if (PumpUntil([&] { return GetForegroundWindow() == hwnd; }, 200)) {
      // Stay in front for a moment: a late focus event from X can still move it.
      PumpFor(50);
      if (GetForegroundWindow() == hwnd) return true;
    }
  } while (static_cast<int>(GetTickCount() - start) < timeoutMs);
  // Say what kept the front, so that a failure names the window in the way.
  HWND front = GetForegroundWindow();
  char title[128] = "", className[64] = "";
  DWORD pid = 0;
  if (front) {
    GetWindowTextA(front, title, sizeof title);
    GetClassNameA(front, className, sizeof className);
    GetWindowThreadProcessId(front, &pid);
  }
  RECT frame{};
  GetWindowRect(hwnd, &frame);
  HWND atCaption = GetAncestor(WindowFromPoint({(frame.left + frame.right) / 2, frame.top + 8}), GA_ROOT);
  char covering[128] = "";
  if (atCaption) GetWindowTextA(atCaption, covering, sizeof covering);
  fprintf(stderr, "BringToFront: the front stays with %p \"%s\" (%s) of process %lu; caption %s, under \"%s\"\n",
          static_cast<void*>(front), title, className, static_cast<unsigned long>(pid),
          clicked ? "clicked" : "not clicked", covering);
  return false;
}

MessageBoxCapture::MessageBoxCapture(int answer) : answer_(answer) {
  previous_ = SetMessageBoxSink([this](HWND, const char* text, const char* caption, UINT type) {
    boxes_.push_back({text, caption, type});
    return answer_;
  });
}

MessageBoxCapture::~MessageBoxCapture() { SetMessageBoxSink(std::move(previous_)); }

std::string WinePath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::vector<std::string> FilesIn(const std::string& folder, const char* pattern) {
  std::vector<std::string> files;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\" + pattern).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return files;
  do
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(folder + "\\" + data.cFileName);
  while (FindNextFileA(find, &data));
  FindClose(find);
  return files;
}

std::string NestedText(const std::string& open, const std::string& middle, const std::string& close, int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += open;
  text += middle;
  for (int i = 0; i < n; ++i) text += close;
  return text;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::string ClipboardText() {
  std::string text;
  if (!OpenClipboard(nullptr)) return "<closed>";
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(GlobalLock(data))) text = p;
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

}  // namespace testing_support
