// Helpers shared by the test programs: temporary folders, files, message-box capture, waiting.
#pragma once

#include <windows.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "framework/cstring.h"
#include "framework/msgbox.h"

// Lets GoogleTest print our strings as text.
inline void PrintTo(const CString& s, std::ostream* os) { *os << '"' << s.GetString() << '"'; }

namespace testing_support {

// A fresh folder under the (throw-away) Windows temp folder, removed with everything in it.
class TempFolder {
public:
  explicit TempFolder(const char* tag = "pindrel");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

private:
  std::string path_;
};

void RemoveTree(const std::string& path);
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// The folder of the running test program (the build's bin folder, where pindrel_target.exe lives).
std::string ProgramFolder();

// Starts a Windows program from a command line; the caller owns the process handle.
bool StartProcess(const std::string& commandLine, HANDLE& process, DWORD& pid);

// Host commands, run by /bin/sh. Wine starts a Unix program but gives back no handles for it:
// the ones it fills in are left over from elsewhere, and closing them closes some other handle
// of this process. So these never touch them, and a command waited for tells its exit code
// through a file. StartHost does not wait; RunHost is true when the command ended with 0.
bool StartHost(const std::string& command);
bool RunHost(const std::string& command, int timeoutMs = 20000);
// The host's path of a Windows path ("" when Wine cannot say).
std::string UnixPath(const std::string& windowsPath);

// Drains this thread's message queue until the test is true or the time is up.
bool PumpUntil(const std::function<bool()>& test, int timeoutMs);
void PumpFor(int milliseconds);
// Makes the window the foreground window, asking again while Wine's X focus handling takes a
// request back; false when it is not in front within the time.
bool BringToFront(HWND hwnd, int timeoutMs = 3000);

struct CapturedBox {
  std::string text;
  std::string caption;
  UINT type;
};

// Records every message box shown while it lives and answers it with `answer`.
class MessageBoxCapture {
public:
  explicit MessageBoxCapture(int answer = IDOK);
  ~MessageBoxCapture();
  MessageBoxCapture(const MessageBoxCapture&) = delete;
  MessageBoxCapture& operator=(const MessageBoxCapture&) = delete;
  const std::vector<CapturedBox>& boxes() const { return boxes_; }
  void set_answer(int answer) { answer_ = answer; }

private:
  std::vector<CapturedBox> boxes_;
  int answer_;
  MessageBoxSink previous_;
};

// A folder of this machine as Wine sees it: "/work/src/tests" becomes "Z:\work\src\tests".
std::string WinePath(const std::string& unixPath);
// The full paths of the files in a folder whose names match the pattern ("*.txt").
std::vector<std::string> FilesIn(const std::string& folder, const char* pattern);

// `open` n times, then `middle`, then `close` n times: a deeply nested script text.
std::string NestedText(const std::string& open, const std::string& middle, const std::string& close, int n);

// The clipboard's text ("" when it holds none, "<closed>" when it cannot be opened).
std::string ClipboardText();

// Splits text into lines (CR LF or LF).
std::vector<std::string> SplitLines(const std::string& text);

}  // namespace testing_support
