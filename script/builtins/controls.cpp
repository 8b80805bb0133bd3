// The control built-ins: focus, clicks, texts, positions, keys and the named commands of combo
// boxes, list boxes, edits, tabs and buttons, and the text of a status bar of any program.
#include "script/interpreter.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "script/builtins/inputseam.h"
#include "script/builtins/winutil.h"
#include "script/sysutil/sysutil.h"

namespace {

constexpr int kTextLimit = 32767;

// The control of the call's title, text and control id (arguments 0 to 2), or null.
HWND FindTargetControl(CQuorvex_Script& script, const CValueList& args) {
  if (!script.FindControl(args.GetAt(0).GetString(), args.GetAt(1).GetString(), args.GetAt(2).GetString()))
    return nullptr;
  return script.Search.FoundControl;
}

// A control's text through WM_GETTEXT (which crosses processes); "" when it has none.
std::string ControlText(HWND control) {
  std::vector<char> text(kTextLimit + 1);
  if (!SendOr(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), 0)) return std::string();
  text[kTextLimit] = '\0';
  return text.data();
}

// The centre of a control in its own client coordinates, as mouse messages carry it.
LPARAM ControlCentre(HWND control) {
  RECT rect = {0, 0, 0, 0};
  GetWindowRect(control, &rect);
  return MAKELPARAM((rect.right - rect.left) / 2, (rect.bottom - rect.top) / 2);
}

// Sends the parent the two notifications a user's choice makes.
void NotifyParent(HWND control, WORD first, WORD second) {
  HWND parent = GetParent(control);
  if (!parent) return;
  WPARAM id = static_cast<WPARAM>(GetDlgCtrlID(control)) & 0xFFFF;
  LRESULT ignored;
  SendToWindow(parent, WM_COMMAND, MAKEWPARAM(id, first), reinterpret_cast<LPARAM>(control), ignored);
  SendToWindow(parent, WM_COMMAND, MAKEWPARAM(id, second), reinterpret_cast<LPARAM>(control), ignored);
}

// Which list a command works on, by the beginning of the control id.
enum ListKind { kNoList, kCombo, kList };
ListKind KindOf(const char* controlId, const char* combo, const char* list) {
  if (_strnicmp(controlId, combo, strlen(combo)) == 0) return kCombo;
  if (_strnicmp(controlId, list, strlen(list)) == 0) return kList;
  return kNoList;
}

using KernelVirtualAlloc = LPVOID(WINAPI*)(HANDLE, LPVOID, SIZE_T, DWORD, DWORD);
using KernelVirtualFree = BOOL(WINAPI*)(HANDLE, LPVOID, SIZE_T, DWORD);

// The text of a status bar part. SB_GETTEXT is not carried across processes: the text is
// written into a block of the status bar's own process, as large as the text.
bool StatusBarPartText(HWND bar, int part, std::string& text) {
  LRESULT length;
  if (!SendToWindow(bar, SB_GETTEXTLENGTHA, static_cast<WPARAM>(part), 0, length)) return false;
  SIZE_T size = static_cast<SIZE_T>(LOWORD(length)) + 1;
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto allocate = reinterpret_cast<KernelVirtualAlloc>(
      reinterpret_cast<void*>(kernel ? GetProcAddress(kernel, "VirtualAllocEx") : nullptr));
  auto release = reinterpret_cast<KernelVirtualFree>(
      reinterpret_cast<void*>(kernel ? GetProcAddress(kernel, "VirtualFreeEx") : nullptr));
  DWORD processId = 0;
  GetWindowThreadProcessId(bar, &processId);
  if (!allocate || !release || !processId) return false;
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return false;
  bool read = false;
  if (void* remote = allocate(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {
    std::vector<char> buffer(size + 1, '\0');
    LRESULT ignored;
    SIZE_T copied = 0;
    if (SendToWindow(bar, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(remote), ignored) &&
        ReadProcessMemory(process, remote, buffer.data(), size, &copied)) {
      buffer[size - 1] = '\0';
      text = buffer.data();
      read = true;
    }
    release(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return read;
}

struct FocusCount {
  HWND focus;
  const char* className;
  int count;
  bool reached;
};

BOOL CALLBACK CountUpToFocusProc(HWND child, LPARAM parameter) {
  FocusCount* f = reinterpret_cast<FocusCount*>(parameter);
  char className[256] = "";
  GetClassNameA(child, className, sizeof className);
  if (strcmp(className, f->className) == 0) ++f->count;
  if (child != f->focus) return TRUE;
  f->reached = true;
  return FALSE;
}

}  // namespace

bool CQuorvex_Script::GetFocusControlName(HWND window, CScriptString& name) {
  HWND focus;
  {
    CAttachedInput attached(window);
    focus = GetFocus();
  }
  if (!focus) return false;
  char className[256] = "";
  GetClassNameA(focus, className, sizeof className);
  FocusCount f = {focus, className, 0, false};
  EnumChildWindows(window, CountUpToFocusProc, reinterpret_cast<LPARAM>(&f));
  if (!f.reached) return false;  // the focus is in another window
  char text[300];
  snprintf(text, sizeof text, "%s%d", className, f.count);
  name.AssignText(text);
  return true;
}

// CONTROLGETFOCUS(title [, text]).
int CQuorvex_Script::F_ControlGetFocus(CValueList& args, CScriptValue& result) {
  SetWindowSearch(args);
  CScriptString name;
  if (!FindWindowByTitle() || !Search.FoundWindow || !GetFocusControlName(Search.FoundWindow, name)) {
    SetError(1);
    return 0;
  }
  result.SetString(name);
  return 0;
}

int CQuorvex_Script::F_ControlFocus(CValueList& args, CScriptValue& result) {
  HWND control = FindTargetControl(*this, args);
  if (!control) {
    result.SetInt(0);
    return 0;
  }
  CAttachedInput attached(Search.FoundWindow);
  if (!SetFocus(control)) result.SetInt(0);
  return 0;
}

// CONTROLCLICK(title, text, control [, button, clicks]): clicks posted at the control's centre.
int CQuorvex_Script::F_ControlClick(CValueList& args, CScriptValue& result) {
  HWND control = FindTargetControl(*this, args);
  if (!control) {
    result.SetInt(0);
    return 0;
  }
  CAttachedInput attached(Search.FoundWindow);
  SetActiveWindow(Search.FoundWindow);
  int clicks = args.GetCount() == 5 ? args.GetAt(4).GetInt() : 1;
  const char* button = args.GetCount() > 3 ? args.GetAt(3).GetString() : "";
  UINT down = WM_LBUTTONDOWN, up = WM_LBUTTONUP;
  WPARAM flag = MK_LBUTTON;
  if (_stricmp(button, "RIGHT") == 0) {
    down = WM_RBUTTONDOWN, up = WM_RBUTTONUP, flag = MK_RBUTTON;
  } else if (_stricmp(button, "MIDDLE") == 0) {
    down = WM_MBUTTONDOWN, up = WM_MBUTTONUP, flag = MK_MBUTTON;
  }
  LPARAM at = ControlCentre(control);
  for (int i = 0; i < clicks; ++i) {
    PostMessageA(control, down, flag, at);
    PostMessageA(control, up, 0, at);
    Input().Delay(MouseClickDelay);
  }
  return 0;
}

int CQuorvex_Script::F_ControlSetText(CValueList& args, CScriptValue& result) {
  HWND control = FindTargetControl(*this, args);
  if (!control) {
    result.SetInt(0);
    return 0;
  }
  CAttachedInput attached(Search.FoundWindow);
  LRESULT set;
  if (!SendToWindow(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args.GetAt(3).GetString()), set) || set != TRUE)
    result.SetInt(0);
  return 0;
}

int CQuorvex_Script::F_ControlGetText(CValueList& args, CScriptValue& result) {
  HWND control = FindTargetControl(*this, args);
  std::string text;
  if (control) {
    CAttachedInput attached(Search.FoundWindow);
    text = ControlText(control);
  }
  result.SetString(text.c_str());
  if (text.empty()) SetError(1);
  return 0;
}

// CONTROLGETPOS(title, text, control): [x, y, width, height], x and y in the window's client area.
int CQuorvex_Script::F_ControlGetPos(CValueList& args, CScriptValue& result) {
  HWND control = FindTargetControl(*this, args);
  RECT rect;
  if (!control || !GetWindowRect(control, &rect)) {
    SetError(1);
    return 0;
  }
  CAttachedInput attached(Search.FoundWindow);
  POINT corner = {rect.left, rect.top};
  ScreenToClient(Search.FoundWindow, &corner);
  OffsetRect(&rect, corner.x - rect.left, corner.y - rect.top);
  if (!SetRectArray(result, rect)) SetError(1);
  return 0;
}

// CONTROLMOVE(title, text, control, x, y [, width, height]): a missing size keeps the current one.
int CQuorvex_Script::F_ControlMove(CValueList& args, CScriptValue& result) {
  HWND control = FindTargetControl(*this, args);
  RECT rect;
  if (!control || !GetWindowRect(control, &rect)) {
    result.SetInt(0);
    return 0;
  }
  CAttachedInput attached(Search.FoundWindow);
  int width = args.GetCount() > 5 ? args.GetAt(5).GetInt() : rect.right - rect.left;
  int height = args.GetCount() > 6 ? args.GetAt(6).GetInt() : rect.bottom - rect.top;
  MoveWindow(control, args.GetAt(3).GetInt(), args.GetAt(4).GetInt(), width, height, TRUE);
  return 0;
}

namespace {
// The control built-ins that only switch a control: result 0 when it is not found.
template <typename Action>
int SwitchControl(CQuorvex_Script& script, CValueList& args, CScriptValue& result, Action action) {
  HWND control = FindTargetControl(script, args);
  if (!control) {
    result.SetInt(0);
    return 0;
  }
  CAttachedInput attached(script.Search.FoundWindow);
  action(control);
  return 0;
}
}  // namespace

int CQuorvex_Script::F_ControlEnable(CValueList& args, CScriptValue& result) {
  return SwitchControl(*this, args, result, [](HWND c) { EnableWindow(c, TRUE); });
}

int CQuorvex_Script::F_ControlDisable(CValueList& args, CScriptValue& result) {
  return SwitchControl(*this, args, result, [](HWND c) { EnableWindow(c, FALSE); });
}

int CQuorvex_Script::F_ControlShow(CValueList& args, CScriptValue& result) {
  return SwitchControl(*this, args, result, [](HWND c) { ShowWindow(c, SW_SHOWNOACTIVATE); });
}

int CQuorvex_Script::F_ControlHide(CValueList& args, CScriptValue& result) {
  return SwitchControl(*this, args, result, [](HWND c) { ShowWindow(c, SW_HIDE); });
}

// CONTROLSEND(title, text, control, keys [, raw]): the keys go to the control (posted to it in a
// background run); a fifth argument other than 0 sends them literally.
int CQuorvex_Script::F_ControlSend(CValueList& args, CScriptValue& result) {
  HWND control = FindTargetControl(*this, args);
  if (!control) {
    result.SetInt(0);
    return 0;
  }
  CAttachedInput attached(Search.FoundWindow);
  const char* keys = args.GetAt(3).GetString();
  if (args.GetCount() == 5 && args.GetAt(4).GetInt() != 0)
    SendKeys.SendRaw(keys, control);
  else
    SendKeys.Send(keys, control);
  return 0;
}

// STATUSBARGETTEXT(title [, text, part]): the text of part n (from 1) of the window's status bar.
int CQuorvex_Script::F_StatusbarGetText(CValueList& args, CScriptValue& result) {
  result.SetString("");
  const char* text = args.GetCount() > 1 ? args.GetAt(1).GetString() : "";
  if (!FindControl(args.GetAt(0).GetString(), text, "msctls_statusbar321")) {
    SetError(1);
    return 0;
  }
  HWND bar = Search.FoundControl;
  int part = args.GetCount() == 3 ? args.GetAt(2).GetInt() : 1;
  CAttachedInput attached(Search.FoundWindow);
  int parts = static_cast<int>(SendOr(bar, SB_GETPARTS, 0, 0, 0));
  std::string partText;
  if (part < 1 || part > parts || !StatusBarPartText(bar, part - 1, partText)) {
    SetError(1);
    return 0;
  }
  result.SetString(partText.c_str());
  return 0;
}

// ---- CONTROLCOMMAND ------------------------------------------------------------------------------

namespace {

// One named command on a found control. `id` is the control id text of the call.
class CControlCommand {
public:
  CControlCommand(CQuorvex_Script& script, HWND window, HWND control, const char* id, const CScriptValue& option,
                  CScriptValue& result)
      : script_(script), window_(window), control_(control), id_(id), option_(option), result_(result) {}

  void Run(const char* command);

private:
  void Fail() { script_.SetError(1); }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendOr(control_, message, wParam, lParam, -1);
  }
  LPARAM OptionText() const { return reinterpret_cast<LPARAM>(option_.GetString()); }
  void PostKey(int vk);
  void Click();
  void AddString();
  void DelString();
  void FindString();
  void SetCurrentSelection();
  void SelectString();
  // Selects an item of a combo box or list box and tells the parent as a user's choice would.
  void Select(int kind, UINT comboMessage, UINT listMessage, WPARAM wParam, LPARAM lParam);
  void GetCurrentSelection();
  void GetSelected();
  void GetCurrentCol();
  void GetLine();

  CQuorvex_Script& script_;
  HWND window_, control_;
  const char* id_;
  const CScriptValue& option_;
  CScriptValue& result_;
};

void CControlCommand::Run(const char* command) {
  struct Entry {
    const char* name;
    void (CControlCommand::*run)();
  };
  static const Entry kCommands[] = {
      {"ADDSTRING", &CControlCommand::AddString},
      {"DELSTRING", &CControlCommand::DelString},
      {"FINDSTRING", &CControlCommand::FindString},
      {"SETCURRENTSELECTION", &CControlCommand::SetCurrentSelection},
      {"SELECTSTRING", &CControlCommand::SelectString},
      {"GETCURRENTSELECTION", &CControlCommand::GetCurrentSelection},
      {"GETSELECTED", &CControlCommand::GetSelected},
      {"GETCURRENTCOL", &CControlCommand::GetCurrentCol},
      {"GETLINE", &CControlCommand::GetLine},
  };
  for (const Entry& e : kCommands) {
    if (_stricmp(command, e.name) == 0) {
      (this->*e.run)();
      return;
    }
  }
  if (_stricmp(command, "ISVISIBLE") == 0) {
    result_.SetInt(IsWindowVisible(control_) ? 1 : 0);
  } else if (_stricmp(command, "ISENABLED") == 0) {
    result_.SetInt(IsWindowEnabled(control_) ? 1 : 0);
  } else if (_stricmp(command, "TABLEFT") == 0) {
    PostKey(VK_LEFT);
  } else if (_stricmp(command, "TABRIGHT") == 0) {
    PostKey(VK_RIGHT);
  } else if (_stricmp(command, "CURRENTTAB") == 0) {
    LRESULT tab = Send(TCM_GETCURSEL);
    result_.SetInt(tab < 0 ? 0 : static_cast<int>(tab) + 1);
    if (tab < 0) Fail();
  } else if (_stricmp(command, "SHOWDROPDOWN") == 0) {
    Send(CB_SHOWDROPDOWN, TRUE);
  } else if (_stricmp(command, "HIDEDROPDOWN") == 0) {
    Send(CB_SHOWDROPDOWN, FALSE);
  } else if (_stricmp(command, "ISCHECKED") == 0) {
    result_.SetInt(Send(BM_GETCHECK) == BST_CHECKED ? 1 : 0);
  } else if (_stricmp(command, "CHECK") == 0) {
    if (Send(BM_GETCHECK) != BST_CHECKED) Click();
  } else if (_stricmp(command, "UNCHECK") == 0) {
    if (Send(BM_GETCHECK) == BST_CHECKED) Click();
  } else if (_stricmp(command, "GETLINECOUNT") == 0) {
    result_.SetInt(static_cast<int>(Send(EM_GETLINECOUNT)));
  } else if (_stricmp(command, "GETCURRENTLINE") == 0) {
    result_.SetInt(static_cast<int>(Send(EM_LINEFROMCHAR, static_cast<WPARAM>(-1))) + 1);
  } else if (_stricmp(command, "EDITPASTE") == 0) {
    Send(EM_REPLACESEL, TRUE, OptionText());
  } else {
    Fail();
  }
}

void CControlCommand::PostKey(int vk) {
  LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(vk), 0)) << 16;
  PostMessageA(control_, WM_KEYDOWN, static_cast<WPARAM>(vk), scan | 1);
  Sleep(0);
  PostMessageA(control_, WM_KEYUP, static_cast<WPARAM>(vk), scan | 1 | 0xC0000000);
}

void CControlCommand::Click() {
  SetActiveWindow(window_);
  LPARAM at = ControlCentre(control_);
  PostMessageA(control_, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(control_, WM_LBUTTONUP, 0, at);
}

void CControlCommand::AddString() {
  ListKind kind = KindOf(id_, "Combo", "List");
  if (kind == kNoList) return;
  LRESULT added = Send(kind == kCombo ? CB_ADDSTRING : LB_ADDSTRING, 0, OptionText());
  if (added < 0) Fail();  // CB_ERR, CB_ERRSPACE (and LB_ alike)
}

void CControlCommand::DelString() {
  ListKind kind = KindOf(id_, "Combo", "List");
  if (kind == kNoList) return;
  if (Send(kind == kCombo ? CB_DELETESTRING : LB_DELETESTRING, static_cast<WPARAM>(option_.GetInt())) < 0) Fail();
}

void CControlCommand::FindString() {
  ListKind kind = KindOf(id_, "Combo", "List");
  if (kind == kNoList) {
    Fail();
    return;
  }
  LRESULT found = Send(kind == kCombo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT, 1, OptionText());
  result_.SetInt(found < 0 ? -1 : static_cast<int>(found));
  if (found < 0) Fail();
}

void CControlCommand::SetCurrentSelection() {
  Select(KindOf(id_, "Combo", "List"), CB_SETCURSEL, LB_SETCURSEL, static_cast<WPARAM>(option_.GetInt()), 0);
}

void CControlCommand::SelectString() {
  Select(KindOf(id_, "ComboBox", "ListBox"), CB_SELECTSTRING, LB_SELECTSTRING, 1, OptionText());
}

void CControlCommand::Select(int kind, UINT comboMessage, UINT listMessage, WPARAM wParam, LPARAM lParam) {
  if (kind == kNoList) return;
  if (Send(kind == kCombo ? comboMessage : listMessage, wParam, lParam) < 0) {
    Fail();
    return;
  }
  if (kind == kCombo)
    NotifyParent(control_, CBN_SELCHANGE, CBN_SELENDOK);
  else
    NotifyParent(control_, LBN_SELCHANGE, LBN_DBLCLK);
}

void CControlCommand::GetCurrentSelection() {
  ListKind kind = KindOf(id_, "ComboBox", "ListBox");
  if (kind == kNoList) return;
  bool combo = kind == kCombo;
  LRESULT index = Send(combo ? CB_GETCURSEL : LB_GETCURSEL);
  LRESULT length = index < 0 ? -1 : Send(combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(index));
  if (length < 0) {
    Fail();
    return;
  }
  // Read as UTF-16: the ANSI form of these messages loses the text between processes under Wine.
  std::vector<wchar_t> wide(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(control_, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(index),
                           reinterpret_cast<LPARAM>(wide.data()), SMTO_ABORTIFHUNG, 5000, &copied) ||
      static_cast<LRESULT>(copied) < 0) {
    Fail();
    return;
  }
  wide[static_cast<size_t>(length)] = L'\0';
  std::vector<char> text(wide.size() * 2 + 1, '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
  result_.SetString(text.data());
}

void CControlCommand::GetSelected() {
  LRESULT selection = Send(EM_GETSEL);
  int start = LOWORD(selection), end = HIWORD(selection);
  std::string text = ControlText(control_);
  if (selection < 0 || start >= end || end > kTextLimit || text.empty()) {
    Fail();
    return;
  }
  if (static_cast<size_t>(end) > text.size()) end = static_cast<int>(text.size());
  if (static_cast<size_t>(start) > text.size()) start = end;
  result_.SetString(text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)).c_str());
}

void CControlCommand::GetCurrentCol() {
  LRESULT selection = Send(EM_GETSEL);
  int start = LOWORD(selection);
  LRESULT line = Send(EM_LINEFROMCHAR, static_cast<WPARAM>(start));
  LRESULT lineStart = Send(EM_LINEINDEX, static_cast<WPARAM>(line));
  result_.SetInt(start - static_cast<int>(lineStart) + 1);
}

void CControlCommand::GetLine() {
  constexpr int kLineLimit = 32768;
  // EM_GETLINE reads any negative line as the caret's, and a single-line edit gives its one
  // line for any number: a line before the first or past the last is told here.
  if (option_.GetInt() < 1 || option_.GetInt() > Send(EM_GETLINECOUNT)) {
    result_.SetString("");
    Fail();
    return;
  }
  std::vector<char> text(kLineLimit + 1, '\0');
  *reinterpret_cast<WORD*>(text.data()) = kLineLimit;  // EM_GETLINE reads its room from the buffer
  LRESULT copied = Send(EM_GETLINE, static_cast<WPARAM>(option_.GetInt() - 1), reinterpret_cast<LPARAM>(text.data()));
  if (copied <= 0) {  // an empty line: no text either
    result_.SetString("");
    Fail();
    return;
  }
  text[static_cast<size_t>(copied < kLineLimit ? copied : kLineLimit)] = '\0';
  result_.SetString(text.data());
}

}  // namespace

// CONTROLCOMMAND(title, text, control, command, option).
int CQuorvex_Script::F_ControlCommand(CValueList& args, CScriptValue& result) {
  HWND control = FindTargetControl(*this, args);
  if (!control) {
    SetError(1);
    return 0;
  }
  CAttachedInput attached(Search.FoundWindow);
  CControlCommand(*this, Search.FoundWindow, control, args.GetAt(2).GetString(), args.GetAt(4), result)
      .Run(args.GetAt(3).GetString());
  return 0;
}
