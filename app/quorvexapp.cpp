// Start-up: the single-instance rule, the hand-over of a second instance's request, the main
// dialog and the tray icon.
#include "app/quorvexapp.h"

#include "app/quorvexdlg.h"
#include "res/resource.h"
#include "robot/datafolder.h"
#include "robot/robot.h"
#include "robot/robotname.h"

namespace {

const char kMutexName[] = "Vantorel Pindrel Mutex";
const char kTooltip[] = "Vantorel Pindrel";
constexpr int kMoreTries = 5;
// How long a second instance looks for the first one's window, which may still be starting.
constexpr DWORD kFindWindowMs = 5000;
// How often a second instance asks again while the first one is busy.
constexpr DWORD kAskAgainMs = 100;

BOOL CALLBACK MatchMainWindow(HWND hwnd, LPARAM lParam) {
  // By the main dialog's mark, not by its caption, which a robot may have changed.
  if (GetPropA(hwnd, kMainWindowMark) != hwnd) return TRUE;
  *reinterpret_cast<HWND*>(lParam) = hwnd;
  return FALSE;
}

// A job of the Task Scheduler may start this program on a desktop of its own (Wine's service
// does): a second instance then looks for the first one on the desktop that takes the user's
// input. Only a thread without windows can change its desktop, so this runs before any is made.
void UseInputDesktop() {
  const ACCESS_MASK access = DESKTOP_READOBJECTS | DESKTOP_WRITEOBJECTS | DESKTOP_ENUMERATE;
  // Wine hands a service's process a desktop of its own that it also calls the input desktop:
  // the user's desktop is asked for by name first.
  HDESK input = OpenDesktopA("Default", 0, FALSE, access);
  if (!input) input = OpenInputDesktop(0, FALSE, access);
  if (input && !SetThreadDesktop(input)) CloseDesktop(input);
}

}  // namespace

HWND FindFirstInstanceWindow() {
  HWND found = nullptr;
  EnumWindows(&MatchMainWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

int FindRobotFileIndex(const CString& name) {
  CString folder = GetRobotFolder();
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(folder + "\\*.txt", &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int index = 0;
  do {
    if (!IsRobotFile(found)) continue;
    // Only the name is needed, and the file name is the robot's name: no file is read, so an
    // unrelated broken file cannot stop an unattended run on a message box.
    if (RobotNameOfFile(found.cFileName).CompareNoCase(name) == 0) break;
    ++index;
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return index;
}

CQuorvexApp::~CQuorvexApp() {
  if (mainDialog_) {
    DestroyMainDialog();
    mainDialog_ = nullptr;
  }
}

void CQuorvexApp::DestroyMainDialog() {
  if (mainDialog_->m_hWnd) {
    RemovePropA(mainDialog_->m_hWnd, kMainWindowMark);
    mainDialog_->DestroyWindow();
  }
  delete mainDialog_;
}

int CQuorvexApp::ExitInstance() {
  return handOverExitCode_ >= 0 ? handOverExitCode_ : CWinApp::ExitInstance();
}

bool CQuorvexApp::CommandLineRobot(CString& name) const {
  CString line = commandLine_;
  line.MakeLower();
  if (line.Left(3) != "-a ") return false;
  name = line.Mid(3);
  // A name written in double quotes (as shells and shortcuts quote names with blanks) is the
  // name inside them.
  CString inner = name;
  inner.TrimRight();
  if (inner.GetLength() >= 2 && inner[0] == '"' && inner[inner.GetLength() - 1] == '"') {
    name = inner.Mid(1, inner.GetLength() - 2);
  }
  return true;
}

BOOL CQuorvexApp::InitInstance() {
  AfxSetAppName(AppText(IDS_APP_TITLE));
  AfxSetProfileFile(GetDataFolder() + "\\pindrel.ini");
  HANDLE mutex = CreateMutexA(nullptr, TRUE, kMutexName);
  if (!mutex) return TRUE;
  if (GetLastError() != ERROR_ALREADY_EXISTS) {
    // The handle stays open for the life of the process: it marks the first instance.
    ReleaseMutex(mutex);
    return TRUE;
  }
  return ServeAsSecondInstance(mutex) ? TRUE : FALSE;
}

bool CQuorvexApp::ServeAsSecondInstance(HANDLE mutex) {
  // Second instances are served one at a time.
  WaitForSingleObject(mutex, INFINITE);
  HWND first = FindFirstInstanceWindow();
  if (!first) {
    UseInputDesktop();
    first = FindFirstInstanceWindow();
  }
  for (DWORD start = GetTickCount(); !first && GetTickCount() - start < kFindWindowMs;) {
    Sleep(100);
    first = FindFirstInstanceWindow();
  }
  bool playsItself = false;
  if (first) {
    ShowWindow(first, SW_SHOWNORMAL);
    SetFocus(first);
    SetForegroundWindow(first);
    CString name;
    if (CommandLineRobot(name)) {
      // The first instance runs the robot inside the handler: this returns when the run is over,
      // with the code this instance ends with. While it plays another robot, however that run
      // was started, or is ending, it answers that it is busy, and the request is made again
      // (the index afresh: the folder may change meanwhile); holding the mutex keeps later
      // requests behind this one. When an instance that said it was busy ends without taking
      // the request (a request sent while it closes gets no answer), this one plays it.
      for (bool refused = false;;) {
        LRESULT answer = SendMessageA(first, WM_SCHEDULED_RUN, 0, FindRobotFileIndex(name));
        const bool busy = answer == kRequestBusyAnswer || (refused && answer == 0 && !IsWindow(first));
        if (!busy) {
          handOverExitCode_ = static_cast<int>(answer);
          break;
        }
        refused = true;
        if (!IsWindow(first)) {
          playsItself = true;
          break;
        }
        Sleep(kAskAgainMs);
      }
    }
  }
  ReleaseMutex(mutex);
  return playsItself;
}

int CQuorvexApp::Run() {
  bool created = false;
  for (int tries = 0; tries <= kMoreTries && !created; ++tries) created = CreateMainWindow();
  // Without a main window nothing could ever end the message loop: it ends at once, with 0.
  if (!created) PostQuitMessage(0);
  return CWinApp::Run();
}

BOOL CQuorvexApp::CreateMainWindow() {
  if (!hiddenWnd_.m_hWnd &&
      !hiddenWnd_.CreateEx(0, nullptr, "", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           nullptr, nullptr)) {
    return FALSE;
  }
  if (mainDialog_) DestroyMainDialog();
  mainDialog_ = new CQuorvexDlg(nullptr);
  CString name;
  if (CommandLineRobot(name)) {
    mainDialog_->m_CommandLineRun = TRUE;
    mainDialog_->m_CommandLineRobot = name;
  }
  mainDialog_->Create(IDD_PINDREL_DIALOG, nullptr);
  m_pMainWnd = mainDialog_;
  mainDialog_->ShowWindow(SW_SHOWNORMAL);
  if (hiddenWnd_.m_hWnd) hiddenWnd_.DestroyWindow();
  SetupTrayIcon();
  return TRUE;
}

void CQuorvexApp::SetupTrayIcon() {
  trayIcon_.SetInstance(m_hInstance);
  trayIcon_.LoadIconForType(IDI_TRAY, kTrayIconType);
  if (!trayIcon_.m_hWnd) trayIcon_.CreateNotifyWindow(mainDialog_);
  trayIcon_.SetMenuId(IDR_TRAYMENU);
  trayIcon_.SetTooltipText(kTooltip);
  BOOL added = trayIcon_.AddIcon(kTrayIconType);
  trayIcon_.SetOwner(mainDialog_);
  for (int tries = 0; !added && tries < kMoreTries; ++tries) added = trayIcon_.AddIcon(kTrayIconType);
}

void CQuorvexApp::HideTrayIcon() { trayIcon_.RemoveIcon(); }
