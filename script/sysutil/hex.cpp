// Hexadecimal text conversions.
#include "script/sysutil/sysutil.h"

bool HexToInt(const char* text, int& value) {
  value = 0;
  if (!text) return true;
  int length = lstrlenA(text);
  unsigned result = 0;
  int shift = 0;
  for (int i = length - 1; i >= 0; --i, shift += 4) {
    char c = text[i];
    unsigned digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else
      return false;
    if (shift >= 32) return false;
    result |= digit << shift;
  }
  value = static_cast<int>(result);
  return true;
}

bool IntToHex(int value, char* buffer, int digits) {
  unsigned v = static_cast<unsigned>(value);
  for (int i = digits - 1; i >= 0; --i) {
    buffer[i] = "0123456789ABCDEF"[v & 0xF];
    v >>= 4;
  }
  buffer[digits > 0 ? digits : 0] = '\0';
  return v == 0;
}
