// Entry points of libraries loaded at run time.
#pragma once

#include <windows.h>

// An entry point of a library looked up by name (null when it has none); the cast goes through
// void(*)(), which every function type converts from without a warning.
template <class Fn>
Fn BindEntryPoint(HMODULE library, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(library, name)));
}
