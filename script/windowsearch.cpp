// Window and control search: windows by title (four match modes) and text, controls by class
// and instance number or by text.
#include "script/windowsearch.h"

#include <cstdio>
#include <cstring>

#include "script/builtins/runstop.h"
#include "script/interpreter.h"
#include "script/sysutil/sysutil.h"

namespace {

constexpr int kTitleLimit = 1024;
constexpr int kChildTextLimit = 32767;

// Starts with `prefix`, ignoring case; `rest` then points after it.
bool HasPrefixNoCase(const char* text, const char* prefix, const char*& rest) {
  size_t n = strlen(prefix);
  if (_strnicmp(text, prefix, n) != 0) return false;
  rest = text + n;
  return true;
}

struct WindowEnum {
  CQuorvex_Script* script;
  HWND found;
};

struct ChildTextEnum {
  const char* text;
  bool includeHidden;
  bool useGetWindowText;
  CSilentThreads* silent;
  bool matched;
  CScriptString childText;  // the text of the child in hand
};

struct ControlEnum {
  CWindowSearch* search;
  HWND found;
};

BOOL CALLBACK MatchWindowProc(HWND window, LPARAM parameter) {
  WindowEnum* e = reinterpret_cast<WindowEnum*>(parameter);
  if (RunStopRequested()) return FALSE;  // the run ends: nothing is found
  if (!e->script->WindowTitleMatches(window) || !e->script->WindowTextMatches(window)) return TRUE;
  e->found = window;
  return FALSE;
}

BOOL CALLBACK MatchChildTextProc(HWND child, LPARAM parameter) {
  ChildTextEnum* e = reinterpret_cast<ChildTextEnum*>(parameter);
  if (RunStopRequested()) return FALSE;
  if (!e->includeHidden && !IsWindowVisible(child)) return TRUE;
  CScriptString& text = e->childText;
  if (e->useGetWindowText) {
    GetWindowTextA(child, text.GetBuffer(kChildTextLimit), kChildTextLimit + 1);
    text.SetLength(-1);
  } else {
    // A child of another thread may hang even when its top-level window answers.
    e->silent->ReadText(child, text);
  }
  if (!text.IsEmpty() && strstr(text, e->text)) {
    e->matched = true;
    return FALSE;
  }
  return TRUE;
}

// The rest of `id` after `className` is the instance number: one or more decimal digits.
bool IsClassInstance(const char* id, const char* className) {
  size_t n = strlen(className);
  if (n == 0 || strncmp(id, className, n) != 0) return false;
  const char* digits = id + n;
  if (!*digits) return false;
  for (const char* p = digits; *p; ++p)
    if (*p < '0' || *p > '9') return false;
  return true;
}

BOOL CALLBACK ControlByClassProc(HWND child, LPARAM parameter) {
  ControlEnum* e = reinterpret_cast<ControlEnum*>(parameter);
  char className[256] = "";
  GetClassNameA(child, className, sizeof className);
  // Only children whose class name is followed by an instance number in the id count: an id
  // such as "RichEdit20A1" must not count "RichEdit" children.
  if (!IsClassInstance(e->search->ControlId, className)) return TRUE;
  ++e->search->Instance;
  char name[300];
  snprintf(name, sizeof name, "%s%d", className, e->search->Instance);
  if (strcmp(name, e->search->ControlId) != 0) return TRUE;
  e->found = child;
  return FALSE;
}

BOOL CALLBACK ControlByTextProc(HWND child, LPARAM parameter) {
  ControlEnum* e = reinterpret_cast<ControlEnum*>(parameter);
  char text[kTitleLimit] = "";
  GetWindowTextA(child, text, sizeof text);
  if (strcmp(text, e->search->ControlId) != 0) return TRUE;
  e->found = child;
  return FALSE;
}

}  // namespace

void WindowHandleText(HWND window, char* buffer) {
  snprintf(buffer, 9, "%08lX", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
}

void CQuorvex_Script::SetWindowSearch(const CValueList& args) {
  Search.Title.AssignText(args.GetAt(0).GetString());
  Search.Text.AssignText(args.GetCount() >= 2 ? args.GetAt(1).GetString() : "");
}

BOOL CQuorvex_Script::FindWindowByTitle() {
  const char* title = Search.Title;
  if (WinTitleMatchMode == 4) {
    if (!*title || _stricmp(title, "last") == 0) {
      // The last window found, while it still exists.
      Search.Found = Search.FoundWindow != nullptr && IsWindow(Search.FoundWindow);
      return Search.Found;
    }
    if (_stricmp(title, "active") == 0) {
      Search.FoundWindow = GetForegroundWindow();
      return Search.Found = true;
    }
  } else if (!*title && Search.Text.IsEmpty()) {
    Search.FoundWindow = GetForegroundWindow();
    return Search.Found = true;
  }

  Search.Found = false;
  Search.Silent = CSilentThreads();
  WindowEnum e = {this, nullptr};
  if (WinSearchChildren == 1)
    EnumChildWindows(GetDesktopWindow(), MatchWindowProc, reinterpret_cast<LPARAM>(&e));
  else
    EnumWindows(MatchWindowProc, reinterpret_cast<LPARAM>(&e));
  if (!e.found) return FALSE;
  Search.FoundWindow = e.found;
  return Search.Found = true;
}

BOOL CQuorvex_Script::WindowExists() { return FindWindowByTitle(); }

BOOL CQuorvex_Script::IsWindowActive() {
  return FindWindowByTitle() && Search.FoundWindow == GetForegroundWindow();
}

bool CQuorvex_Script::WindowTitleMatches(HWND window) {
  const char* wanted = Search.Title;
  char title[kTitleLimit] = "";
  switch (WinTitleMatchMode) {
    case 2:
      GetWindowTextA(window, title, sizeof title);
      return strstr(title, wanted) != nullptr;
    case 3:
      GetWindowTextA(window, title, sizeof title);
      return strcmp(title, wanted) == 0;
    case 4: {
      const char* rest;
      if (HasPrefixNoCase(wanted, "classname=", rest)) {
        char className[256] = "";
        GetClassNameA(window, className, sizeof className);
        return strcmp(className, rest) == 0;
      }
      if (HasPrefixNoCase(wanted, "handle=", rest)) {
        char handle[16];
        WindowHandleText(window, handle);
        return _stricmp(handle, rest) == 0;
      }
      break;
    }
  }
  GetWindowTextA(window, title, sizeof title);
  return strncmp(title, wanted, strlen(wanted)) == 0;
}

bool CQuorvex_Script::WindowTextMatches(HWND window) {
  if (Search.Text.IsEmpty()) return true;
  if (WinTextMatchMode == 1 && !Search.Silent.Answers(window)) return false;
  ChildTextEnum e = {Search.Text, WinDetectHiddenText == 1, WinTextMatchMode == 2, &Search.Silent, false, {}};
  EnumChildWindows(window, MatchChildTextProc, reinterpret_cast<LPARAM>(&e));
  return e.matched;
}

BOOL CQuorvex_Script::FindControl(const char* title, const char* text, const char* control) {
  Search.Title.AssignText(title ? title : "");
  Search.Text.AssignText(text ? text : "");
  Search.ControlId.AssignText(control ? control : "");
  Search.ControlFound = false;
  Search.FoundControl = nullptr;
  Search.Instance = 0;
  Search.TextPass = false;
  if (!FindWindowByTitle()) return FALSE;
  if (Search.ControlId.IsEmpty()) {
    Search.FoundControl = Search.FoundWindow;
    return Search.ControlFound = true;
  }
  if (!Search.FoundWindow) return FALSE;  // no foreground window has no controls
  ControlEnum e = {&Search, nullptr};
  EnumChildWindows(Search.FoundWindow, ControlByClassProc, reinterpret_cast<LPARAM>(&e));
  if (!e.found) {
    Search.TextPass = true;
    EnumChildWindows(Search.FoundWindow, ControlByTextProc, reinterpret_cast<LPARAM>(&e));
  }
  if (!e.found) return FALSE;
  Search.FoundControl = e.found;
  return Search.ControlFound = true;
}
