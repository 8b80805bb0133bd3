// The real program as a child process for end-to-end tests.
#include "tests/support/pindrel_process.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "robot/datafolder.h"
#include "tests/support/test_support.h"

namespace testing_support {

namespace {

struct Search {
  DWORD pid;
  const char* cls;
  const char* caption;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<Search*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->pid || !IsWindowVisible(hwnd)) return TRUE;
  char cls[64] = "", caption[256] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  if (strcmp(cls, s->cls) != 0) return TRUE;
  if (s->caption) {
    GetWindowTextA(hwnd, caption, sizeof caption);
    if (strcmp(caption, s->caption) != 0) return TRUE;
  }
  s->found = hwnd;
  return FALSE;
}

// A block of memory inside another process, for list-view messages that carry pointers.
class RemoteMemory {
public:
  RemoteMemory(DWORD pid, size_t size) : size_(size) {
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) base_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteMemory() {
    if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;
  char* at(size_t offset) const { return static_cast<char*>(base_) + offset; }
  bool Write(size_t offset, const void* data, size_t size) const {
    return WriteProcessMemory(process_, at(offset), data, size, nullptr) != 0;
  }
  bool Read(size_t offset, void* data, size_t size) const {
    return ReadProcessMemory(process_, at(offset), data, size, nullptr) != 0;
  }

private:
  HANDLE process_ = nullptr;
  void* base_ = nullptr;
  size_t size_;
};

}  // namespace

bool PindrelProcess::Start(const std::string& arguments, bool showTips) {
  Kill();
  if (!showTips) {
    CreateFolderPath(GetDataFolder());
    WriteFileBytes(std::string(GetDataFolder().GetString()) + "\\option.ini", "showtip=0\r\n");
  }
  const std::string folder = folder_.empty() ? ProgramFolder() : folder_;
  std::string cmd = "\"" + folder + "\\pindrel.exe\"" + (arguments.empty() ? "" : " " + arguments);
  if (!StartProcess(cmd, process_, pid_)) {
    fprintf(stderr, "PindrelProcess: %s did not start (error %lu)\n", cmd.c_str(), GetLastError());
    return false;
  }
  main_ = nullptr;
  return true;
}

bool PindrelProcess::WaitForMainWindow(int timeoutMs) {
  return PumpUntil(
      [&] {
        main_ = FindWindowOfProcess("#32770", "Vantorel Pindrel");
        return main_ && GetDlgItem(main_, 1001) && ListRows().size() == static_cast<size_t>(ListView_GetItemCount(list()));
      },
      timeoutMs);
}

long PindrelProcess::WaitForExit(int timeoutMs) {
  if (!process_) return -1;
  if (!PumpUntil([&] { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }, timeoutMs)) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return static_cast<long>(code);
}

bool PindrelProcess::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

void PindrelProcess::Kill() {
  if (!process_) return;
  if (Running()) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
  process_ = nullptr;
  pid_ = 0;
  main_ = nullptr;
}

HWND PindrelProcess::FindWindowOfProcess(const char* cls, const char* caption) const {
  Search s = {pid_, cls, caption, nullptr};
  EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND PindrelProcess::TrayWindow() const {
  for (HWND child = GetWindow(main_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char cls[64] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (strncmp(cls, "PindrelWnd", 10) == 0 && GetDlgCtrlID(child) == 0) return child;
  }
  return nullptr;
}

std::string PindrelProcess::BoxText(HWND box) {
  std::string text;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char cls[32] = "", buffer[2048] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (_stricmp(cls, "Static") != 0) continue;
    GetWindowTextA(child, buffer, sizeof buffer);
    text += buffer;
  }
  return text;
}

HWND PindrelProcess::WaitForMessageBox(int timeoutMs) const {
  HWND box = nullptr;
  PumpUntil(
      [&] {
        box = FindWindowOfProcess("#32770", "Vantorel Pindrel");
        return box && !GetDlgItem(box, 1001);
      },
      timeoutMs);
  return box && !GetDlgItem(box, 1001) ? box : nullptr;
}

std::vector<std::string> PindrelProcess::ListRows() const {
  std::vector<std::string> rows;
  HWND hwnd = list();
  if (!hwnd) return rows;
  int count = ListView_GetItemCount(hwnd);
  for (int row = 0; row < count; ++row) {
    UINT state = ListView_GetItemState(hwnd, row, LVIS_STATEIMAGEMASK);
    std::string line = ((state >> 12) == 2) ? "x " : "- ";
    for (int column = 1; column <= 3; ++column) line += (column > 1 ? " | " : "") + ListText(hwnd, row, column);
    rows.push_back(line);
  }
  return rows;
}

std::string PindrelProcess::ListText(HWND listView, int row, int column) const {
  const size_t kText = 512;
  RemoteMemory memory(pid_, sizeof(LVITEMA) + kText);
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = memory.at(sizeof(LVITEMA));
  item.cchTextMax = static_cast<int>(kText);
  memory.Write(0, &item, sizeof item);
  SendMessageA(listView, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(memory.at(0)));
  char text[kText] = "";
  memory.Read(sizeof(LVITEMA), text, kText - 1);
  return text;
}

POINT PindrelProcess::CheckBoxPoint(int row) const {
  RemoteMemory memory(pid_, sizeof(RECT));
  RECT rect = {LVIR_BOUNDS, 0, 0, 0};
  memory.Write(0, &rect, sizeof rect);
  SendMessageA(list(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(memory.at(0)));
  memory.Read(0, &rect, sizeof rect);
  // The check box is the state image at the row's left end.
  POINT p = {rect.left + 10, (rect.top + rect.bottom) / 2};
  ClientToScreen(list(), &p);
  return p;
}

int PindrelProcess::RowOf(const std::string& name) const {
  std::vector<std::string> rows = ListRows();
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].compare(2, name.size() + 3, name + " | ") == 0) return static_cast<int>(i);
  return -1;
}

void PindrelProcess::SelectRow(int row) const {
  RemoteMemory memory(pid_, sizeof(LVITEMA));
  LVITEMA item = {};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  memory.Write(0, &item, sizeof item);
  SendMessageA(list(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(memory.at(0)));
}

namespace {
struct ControlSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchControl(HWND h, LPARAM p) {
  auto* s = reinterpret_cast<ControlSearch*>(p);
  char cls[32] = "";
  GetClassNameA(h, cls, sizeof cls);
  if (!s->found && GetDlgCtrlID(h) == s->id && strcmp(cls, "#32770") != 0) s->found = h;
  return TRUE;
}
}  // namespace

HWND Control(HWND window, int id) {
  if (HWND direct = GetDlgItem(window, id)) return direct;
  ControlSearch search = {id, nullptr};
  EnumChildWindows(window, MatchControl, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void Xdo(const std::string& arguments) { RunHost("/usr/bin/xdotool " + arguments, 5000); }

}  // namespace testing_support
