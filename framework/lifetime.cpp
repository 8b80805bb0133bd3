// The lifetime notes of the process-wide objects.
#include "framework/lifetime.h"

#include <windows.h>

namespace {

// Plain kernel calls only: this runs before and after the C++ run time's own objects.
void Append(const char* what, const char* name) {
  char path[MAX_PATH];
  DWORD n = ::GetEnvironmentVariableA("PINDREL_LIFETIME_LOG", path, sizeof path);
  if (n == 0 || n >= sizeof path) return;
  HANDLE file = ::CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  char line[256];
  int length = wsprintfA(line, "%s %s\r\n", what, name);
  DWORD written = 0;
  ::WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
  ::CloseHandle(file);
}

}  // namespace

LifetimeNote::LifetimeNote(const char* name) : name_(name) { Append("built", name_); }

LifetimeNote::~LifetimeNote() { Append("destroyed", name_); }
