// Small helpers the benchmarks share: a script loaded from text, seconds between two counter
// readings, the process's private memory, and python's figures handed on the command line.
#pragma once

#include <windows.h>

#include <psapi.h>

#include <cstdlib>
#include <map>
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

// Python's figures as its twin script hands them on: "name=value,name=value,...".
inline void ReadPythonFigures(const std::string& list, std::map<std::string, double>& figures) {
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    std::string item = list.substr(start, end - start);
    size_t equals = item.find('=');
    if (equals != std::string::npos) figures[item.substr(0, equals)] = atof(item.c_str() + equals + 1);
    start = end + 1;
  }
}
