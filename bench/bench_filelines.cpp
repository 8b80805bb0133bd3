// Cost per line of reading a file by line number (FileReadLine($h, $k) for $k = 1 to n) through
// the real run loop, at 300 and 3,000 lines, beside reading the same lines in order
// (FileReadLine($h)) and python3 reading them in order and by index.
//
// ./scripts/bench.sh bench_filelines [runs]   (the script runs bench_filelines.py first and hands
// its figures on as "--python inorder_300=ns,..."; each figure is the best of `runs`, default 3)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "bench/bench_common.h"
#include "framework/msgbox.h"
#include "script/interpreter.h"

namespace {

std::map<std::string, double> g_python;
int g_runs = 3;

double Python(const std::string& key) {
  auto found = g_python.find(key);
  return found == g_python.end() ? 0 : found->second;
}

// Line k of the test file, without its end.
std::string LineText(long k) {
  char text[64];
  snprintf(text, sizeof text, "line %06ld of the file, some words after it", k);
  return text;
}

// A file of n lines ending in CR LF, in the temporary folder; its path.
std::string WriteLines(long n) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  std::string path = std::string(folder) + "pindrel_bench_lines_" + std::to_string(n) + ".txt";
  std::string bytes;
  for (long k = 1; k <= n; ++k) bytes += LineText(k) + "\r\n";
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return path;
}

// Reads lines 1..n of the file, by number or in order; the nanoseconds per line of the fastest
// of g_runs runs, or -1 when a run did not end with the last line.
double NsPerLine(const std::string& path, long n, bool byNumber) {
  std::string text = "$h = FileOpen(\"" + path + "\", 0)\nFor $k = 1 To " + std::to_string(n) + "\n" +
                     (byNumber ? "$line = FileReadLine($h, $k)\n" : "$line = FileReadLine($h)\n") +
                     "Next\nFileClose($h)\n";
  CScriptVariables variables;
  CQuorvex_ScriptFile file;
  CQuorvex_Script script(&file, &variables);
  Load(file, text);
  if (script.PrepareScript("bench.txt")) return -1;
  double best = -1;
  for (int run = 0; run < g_runs; ++run) {
    LARGE_INTEGER begin, finish;
    QueryPerformanceCounter(&begin);
    script.Execute(1, 1);
    QueryPerformanceCounter(&finish);
    CScriptValue* line = nullptr;
    if (!variables.GetRef("LINE", line, SCOPE_ANY) || LineText(n) != line->GetString()) return -1;
    double ns = Seconds(begin, finish) * 1e9 / n;
    if (best < 0 || ns < best) best = ns;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--python") == 0 && i + 1 < argc)
      ReadPythonFigures(argv[++i], g_python);
    else if (atoi(argv[i]) > 0)
      g_runs = atoi(argv[i]);
  }
  SetMessageBoxSink([](HWND, const char* text, const char*, UINT) {
    printf("script error: %s\n", text);
    return IDOK;
  });
  printf("%-22s %7s %16s %12s\n", "ns per line", "lines", "by number/index", "in order");
  double byNumber[2] = {}, inOrder[2] = {};
  const long sizes[2] = {300, 3000};
  for (int i = 0; i < 2; ++i) {
    std::string path = WriteLines(sizes[i]);
    byNumber[i] = NsPerLine(path, sizes[i], true);
    inOrder[i] = NsPerLine(path, sizes[i], false);
    DeleteFileA(path.c_str());
    std::string n = std::to_string(sizes[i]);
    printf("%-22s %7ld %16.0f %12.0f\n", "FileReadLine", sizes[i], byNumber[i], inOrder[i]);
    printf("%-22s %7ld %16.0f %12.0f\n", "python3", sizes[i], Python("byindex_" + n), Python("inorder_" + n));
  }
  if (byNumber[0] > 0 && byNumber[1] > 0 && inOrder[1] > 0) {
    printf("by number, 3,000 against 300 lines: %.2fx (target: within 2x)\n", byNumber[1] / byNumber[0]);
    printf("by number against in order, 3,000 lines: %.2fx (target: within 5x)\n", byNumber[1] / inOrder[1]);
  } else {
    printf("a run did not read the file to its last line\n");
  }
  return 0;
}
