// The message-box seam and the application box.
#include "framework/msgbox.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {
MessageBoxSink& Sink() {
  static MessageBoxSink sink;
  return sink;
}
std::string& AppName() {
  static std::string name = "Vantorel Pindrel";
  return name;
}

// A message box breaks its lines at blanks only, so one long word (a long robot name or path)
// makes it as wide as the word, past the edge of the screen. Such words are broken into pieces
// no wider than half the screen, measured in the font of message boxes.
std::string BreakLongWords(const char* text) {
  std::string out;
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = sizeof metrics;
  if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return text;
  HDC dc = ::GetDC(nullptr);
  HFONT font = ::CreateFontIndirectA(&metrics.lfMessageFont);
  HGDIOBJ old = ::SelectObject(dc, font);
  const int limit = ::GetSystemMetrics(SM_CXSCREEN) / 2;
  for (const char* p = text; *p;) {
    int run = static_cast<int>(strcspn(p, " \t\r\n"));
    if (run == 0) {
      out += *p++;
      continue;
    }
    for (;;) {
      int fit = run;
      SIZE size;
      ::GetTextExtentExPointA(dc, p, run, limit, &fit, nullptr, &size);
      fit = std::max(1, std::min(fit, run));
      out.append(p, fit);
      p += fit;
      run -= fit;
      if (run == 0) break;
      out += '\n';
    }
  }
  ::SelectObject(dc, old);
  ::DeleteObject(font);
  ::ReleaseDC(nullptr, dc);
  return out;
}
}  // namespace

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  if (Sink()) return Sink()(owner, text ? text : "", caption ? caption : "", type);
  return MessageBoxA(owner, text ? BreakLongWords(text).c_str() : nullptr, caption, type);
}

MessageBoxSink SetMessageBoxSink(MessageBoxSink sink) {
  MessageBoxSink old = std::move(Sink());
  Sink() = std::move(sink);
  return old;
}

const char* AfxGetAppName() { return AppName().c_str(); }

void AfxSetAppName(const char* title) { AppName() = title ? title : ""; }

int AfxMessageBox(const char* text, UINT type, UINT /*helpId*/) {
  if (!(type & MB_ICONMASK)) type |= MB_ICONEXCLAMATION;
  return ShowMessageBox(GetActiveWindow(), text, AfxGetAppName(), type);
}
