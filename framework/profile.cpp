// The application profile in an initialisation file.
#include "framework/profile.h"

#include <cstdio>
#include <vector>

namespace {
std::string& ProfilePath() {
  static std::string path;
  return path;
}

bool ReadRaw(const char* section, const char* entry, std::string& value) {
  if (ProfilePath().empty()) return false;
  const char* kMissing = "\x01missing\x01";
  std::vector<char> buf(4096);
  for (;;) {
    DWORD n = ::GetPrivateProfileStringA(section, entry, kMissing, buf.data(), static_cast<DWORD>(buf.size()),
                                         ProfilePath().c_str());
    if (n < buf.size() - 2) {
      value.assign(buf.data(), n);
      return value != kMissing;
    }
    buf.resize(buf.size() * 4);
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
}  // namespace

void AfxSetProfileFile(const char* path) { ProfilePath() = path ? path : ""; }

CString AfxGetProfileFile() { return CString(ProfilePath()); }

BOOL AfxGetProfileBinary(const char* section, const char* entry, std::string& bytes) {
  bytes.clear();
  std::string text;
  if (!ReadRaw(section, entry, text) || text.size() % 2 != 0) return FALSE;
  for (size_t i = 0; i < text.size(); i += 2) {
    int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
    if (hi < 0 || lo < 0) {
      bytes.clear();
      return FALSE;
    }
    bytes += static_cast<char>(hi * 16 + lo);
  }
  return TRUE;
}

BOOL AfxGetProfileBinary(const char* section, const char* entry, BYTE** data, UINT* size) {
  *data = nullptr;
  *size = 0;
  std::string bytes;
  if (!AfxGetProfileBinary(section, entry, bytes)) return FALSE;
  *data = new BYTE[bytes.size() + 1];
  memcpy(*data, bytes.data(), bytes.size());
  *size = static_cast<UINT>(bytes.size());
  return TRUE;
}

BOOL AfxWriteProfileBinary(const char* section, const char* entry, const void* data, UINT size) {
  std::string text;
  const auto* p = static_cast<const unsigned char*>(data);
  for (UINT i = 0; i < size; ++i) {
    char pair[3];
    snprintf(pair, sizeof pair, "%02X", p[i]);
    text += pair;
  }
  return AfxWriteProfileString(section, entry, text.c_str());
}

CString AfxGetProfileString(const char* section, const char* entry, const char* fallback) {
  std::string value;
  return ReadRaw(section, entry, value) ? CString(value) : CString(fallback);
}

BOOL AfxWriteProfileString(const char* section, const char* entry, const char* value) {
  if (ProfilePath().empty()) return FALSE;
  return ::WritePrivateProfileStringA(section, entry, value, ProfilePath().c_str());
}

UINT AfxGetProfileInt(const char* section, const char* entry, int fallback) {
  if (ProfilePath().empty()) return static_cast<UINT>(fallback);
  return ::GetPrivateProfileIntA(section, entry, fallback, ProfilePath().c_str());
}

BOOL AfxWriteProfileInt(const char* section, const char* entry, int value) {
  char text[16];
  snprintf(text, sizeof text, "%d", value);
  return AfxWriteProfileString(section, entry, text);
}
