// Host commands from inside Wine: Wine starts a Unix program given by its absolute path.
#include "tests/support/host_files.h"

#include <windows.h>

#include <vector>

#include "tests/support/test_support.h"

namespace testing_support {

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

bool RunHost(const std::string& command) {
  // The exit code is written to a file: the code of a Unix process may not reach Wine.
  TempFolder folder("pdlhost");
  std::string status = UnixPath(folder.File("status"));
  std::string line = "/bin/sh -c \"" + command + "; echo $? > '" + status + "'\"";
  std::vector<char> buffer(line.begin(), line.end());
  buffer.push_back('\0');
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  WaitForSingleObject(pi.hProcess, 20000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  PumpUntil([&] { return ReadFileBytes(folder.File("status")).size() > 0; }, 5000);
  return ReadFileBytes(folder.File("status")) == "0\n";
}

ImmutableFile::ImmutableFile(const std::string& windowsPath) : unix_(UnixPath(windowsPath)) {
  ok_ = !unix_.empty() && RunHost("chattr +i '" + unix_ + "'");
}

ImmutableFile::~ImmutableFile() {
  if (!unix_.empty()) RunHost("chattr -i '" + unix_ + "'");
}

FullDisk::FullDisk(const std::string& windowsFolder, unsigned freeBytes) : unix_(UnixPath(windowsFolder)) {
  if (unix_.empty() || !RunHost("mount -t tmpfs -o size=256k tmpfs '" + unix_ + "'")) {
    unix_.clear();
    return;
  }
  // tmpfs counts whole pages: the room left is freeBytes rounded down to a page.
  ok_ = RunHost("head -c " + std::to_string(256 * 1024 - freeBytes) + " /dev/zero > '" + unix_ + "/fill'");
}

FullDisk::~FullDisk() {
  if (!unix_.empty()) RunHost("umount '" + unix_ + "'");
}

}  // namespace testing_support
