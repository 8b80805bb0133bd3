// COM helpers of the shell built-ins: COM for one call, interface references, wide paths.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>

// COM for the length of one call; uninitialised only when this call initialised it.
class CComScope {
public:
  CComScope() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~CComScope() {
    if (initialised_) CoUninitialize();
  }
  CComScope(const CComScope&) = delete;
  CComScope& operator=(const CComScope&) = delete;

private:
  bool initialised_;
};

// Releases a COM interface when it goes out of scope.
template <typename T>
class CComRef {
public:
  CComRef() = default;
  ~CComRef() {
    if (p) p->Release();
  }
  CComRef(const CComRef&) = delete;
  CComRef& operator=(const CComRef&) = delete;
  T* operator->() const { return p; }
  void** Out() { return reinterpret_cast<void**>(&p); }
  T* p = nullptr;
};

// A path as the shell's wide interfaces take it ("" when it does not convert within MAX_PATH).
inline std::wstring Wide(const std::string& text) {
  wchar_t wide[MAX_PATH];
  if (!MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, MAX_PATH)) return std::wstring();
  return wide;
}
