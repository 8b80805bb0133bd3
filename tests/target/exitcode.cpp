// A program that ends with a chosen exit code, for the tests of the run built-ins.
//
// pindrel_exitcode.exe <code> [--sleep <ms>] [--report <file>]
//
// With --report it first writes "cwd=<current directory>", "show=<show flag it was given>" and
// "args=<its command line after the program>" into the file, one a line.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  int code = __argc > 1 ? atoi(__argv[1]) : 0;
  for (int i = 2; i + 1 < __argc; ++i) {
    if (strcmp(__argv[i], "--sleep") == 0) Sleep(static_cast<DWORD>(atoi(__argv[i + 1])));
    if (strcmp(__argv[i], "--report") == 0) {
      char cwd[MAX_PATH] = "";
      GetCurrentDirectoryA(MAX_PATH, cwd);
      STARTUPINFOA startup = {};
      startup.cb = sizeof startup;
      GetStartupInfoA(&startup);
      int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
      if (FILE* report = fopen(__argv[i + 1], "w")) {
        fprintf(report, "cwd=%s\nshow=%d\nargs=%s\n", cwd, show, commandLine);
        fclose(report);
      }
    }
  }
  return code;
}
