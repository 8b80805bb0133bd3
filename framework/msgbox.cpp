// The message-box seam and the application box.
#include "framework/msgbox.h"

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
}  // namespace

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  if (Sink()) return Sink()(owner, text ? text : "", caption ? caption : "", type);
  return MessageBoxA(owner, text, caption, type);
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
