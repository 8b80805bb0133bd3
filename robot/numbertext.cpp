// Decimal and hex-digit text of numbers, and random picks.
#include "robot/numbertext.h"

#include <climits>
#include <cstdlib>
#include <utility>

CString IntToString(int value) {
  CString text;
  text.Format("%d", value);
  return text;
}

int StringToInt(const char* text) {
  if (!text) return 0;
  while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\v' || *text == '\f') ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  long long value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > 1LL + INT_MAX) value = 1LL + INT_MAX;  // saturate instead of overflowing
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  return static_cast<int>(value);
}

int RandomInRange(int low, int high) {
  if (high < low) std::swap(low, high);
  long long span = static_cast<long long>(high) - low + 1;
  return static_cast<int>(low + rand() % span);
}

CString HexDigitText(int value) {
  if (value < 0 || value > 15) return CString();
  return CString("0123456789ABCDEF"[value]);
}

int HexDigitValue(const char* text) {
  if (!text || !text[0] || text[1]) return 0;
  char c = text[0];
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}
