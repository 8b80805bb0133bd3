// Small helpers the benchmarks share: a script loaded from text, seconds between two counter
// readings, and the process's private memory.
#pragma once

#include <windows.h>

#include <psapi.h>

#include <string>

#include "script/scriptfile.h"

// Loads `text` (lines split at "\n") into the line store and builds its line array.
inline void Load(CQuorvex_ScriptFile& file, const std::string& text) {
  int n = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    file.AddLine(++n, text.substr(start, end - start).c_str(), -1);
    start = end + 1;
  }
  file.BuildLineArray();
}

inline double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

// The process's private bytes as the system counts them (its page-file usage).
inline long long PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<long long>(counters.PagefileUsage);
}
