// Small text helpers of the engine.
#include "script/sysutil/sysutil.h"

#include <cstring>

void StripCR(char* text) {
  if (!text) return;
  char* out = text;
  for (const char* in = text; *in; ++in)
    if (*in != '\r') *out++ = *in;
  *out = '\0';
}

void ExpandLF(const char* text, char* buffer) {
  char* out = buffer;
  for (const char* in = text ? text : ""; *in; ++in) {
    if (*in == '\n') *out++ = '\r';
    *out++ = *in;
  }
  *out = '\0';
}

int AppendTextLimited(char* buffer, int length, const char* text, int limit) {
  if (text)
    while (length < limit && *text) buffer[length++] = *text++;
  buffer[length] = '\0';
  return length;
}

void CopyTextLimited(char* buffer, const char* text, int size) {
  if (size <= 0) return;
  int i = 0;
  if (text)
    for (; i < size - 1 && text[i]; ++i) buffer[i] = text[i];
  buffer[i] = '\0';
}

char* DuplicateText(const char* text) {
  if (!text) text = "";
  size_t length = strlen(text);
  char* copy = new char[length + 1];
  memcpy(copy, text, length + 1);
  return copy;
}

void SwapRedBlue(DWORD& colour) {
  colour = ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

const char* FormatLastErrorText(int code) {
  static char text[4096];
  DWORD error = code == -1 ? GetLastError() : static_cast<DWORD>(code);
  text[0] = '\0';
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                 sizeof text - 1, nullptr);
  text[sizeof text - 1] = '\0';
  return text;
}
