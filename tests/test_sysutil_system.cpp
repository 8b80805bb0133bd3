// Utilities that reach other programs, windows, the mouse, the network and sound.
#include <gtest/gtest.h>

#include <winsock.h>

#include <mmsystem.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "script/sysutil/sysutil.h"
#include "tests/support/test_support.h"
#include "tests/support/test_target.h"

using namespace testing_support;

TEST(SysutilProcess, FindsARunningProgramByNameOrId) {
  TestTarget target;
  ASSERT_TRUE(target.Start("Pindrel Process Target"));
  const DWORD id = target.process_id();
  struct Case {
    std::string text;
    bool found;
  } cases[] = {
      {"pindrel_target.exe", true}, {"PINDREL_TARGET.EXE", true}, {std::to_string(id), true},
      {"pindrel_target", false},    {"no_such_program.exe", false}, {"", false},
  };
  using Finder = bool (*)(const char*, DWORD&, bool&);
  struct Method {
    const char* name;
    Finder find;
  } methods[] = {{"ProcessFind", ProcessFind}, {"toolhelp", ProcessFindToolhelp}, {"psapi", ProcessFindPsapi}};
  for (const Method& m : methods) {
    for (const Case& c : cases) {
      DWORD found_id = 12345;
      bool found = !c.found;
      ASSERT_TRUE(m.find(c.text.c_str(), found_id, found)) << m.name;
      EXPECT_EQ(found, c.found) << m.name << " \"" << c.text << '"';
      EXPECT_EQ(found_id, c.found ? id : 0) << m.name << " \"" << c.text << '"';
    }
  }
}

TEST(SysutilProcess, CloseWindowEndsTheOtherProgram) {
  TestTarget target;
  ASSERT_TRUE(target.Start("Pindrel Close Target"));
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, target.process_id());
  ASSERT_NE(process, nullptr);
  EXPECT_TRUE(CloseWindowOrKill(target.hwnd()));
  EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
  CloseHandle(process);
  DWORD id;
  bool found = true;
  ProcessFind(std::to_string(target.process_id()).c_str(), id, found);
  EXPECT_FALSE(found);
}

TEST(SysutilProcess, AnUnansweringWindowOfThisProgramIsNotKilled) {
  // A window on a thread that stops pumping: WM_CLOSE cannot be delivered within 500 ms.
  std::atomic<HWND> window{nullptr};
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread busy([&] {
    window = CreateWindowExA(0, "STATIC", "busy", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    WaitForSingleObject(release, INFINITE);
    DestroyWindow(window);
  });
  while (!window) Sleep(1);
  EXPECT_FALSE(CloseWindowOrKill(window));
  // Still running: this line is reached, and the window is still there.
  EXPECT_TRUE(IsWindow(window));
  EXPECT_TRUE(IsWindowHung(window, 200));
  SetEvent(release);
  busy.join();
  CloseHandle(release);
}

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Creates a dialog window (class #32770) of this program from a template in memory.
HWND CreatePlainDialog() {
  struct {
    DLGTEMPLATE t;
    WORD menu, cls, title;
  } tpl = {};
  tpl.t.style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
  tpl.t.cx = 80;
  tpl.t.cy = 40;
  return CreateDialogIndirectParamA(nullptr, &tpl.t, nullptr, PlainDialogProc, 0);
}

HWND g_otherDialog = nullptr;
HWND g_boxSeen = nullptr;
bool g_rescued = false;

BOOL CALLBACK FindVisibleDialog(HWND w, LPARAM p) {
  char cls[16] = "";
  GetClassNameA(w, cls, sizeof cls);
  if (strcmp(cls, "#32770") != 0 || !IsWindowVisible(w)) return TRUE;
  *reinterpret_cast<HWND*>(p) = w;
  return FALSE;
}

// Opens the other dialog once, while the box is up.
void CALLBACK OpenOtherDialog(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_otherDialog = CreatePlainDialog();
}

// Closes a box that is still up long after its time-out, so a failing test does not hang.
void CALLBACK RescueBox(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindVisibleDialog, reinterpret_cast<LPARAM>(&box));
  if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
  g_rescued = true;
}

// Answers the box with No as a user would.
void CALLBACK AnswerNo(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindVisibleDialog, reinterpret_cast<LPARAM>(&box));
  if (box && !g_boxSeen) {
    g_boxSeen = box;
    PostMessageA(box, WM_COMMAND, IDNO, 0);
  }
}

}  // namespace

TEST(SysutilMessageBox, WithoutTimeoutGoesThroughTheSink) {
  MessageBoxCapture capture(IDYES);
  EXPECT_EQ(MessageBoxWithTimeout(nullptr, "Question?", "Robot", MB_YESNO, 0), IDYES);
  EXPECT_EQ(MessageBoxWithTimeout(nullptr, "Again?", "Robot", MB_YESNO | MB_ICONQUESTION, 5000), IDYES);
  ASSERT_EQ(capture.boxes().size(), 2u);
  EXPECT_EQ(capture.boxes()[0].text, "Question?");
  EXPECT_EQ(capture.boxes()[0].caption, "Robot");
  EXPECT_EQ(capture.boxes()[1].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
}

TEST(SysutilMessageBox, RealBoxTimesOutAndClosesOnlyItself) {
  MessageBoxSink previous = SetMessageBoxSink(nullptr);  // a real box on the Xvfb display
  // While the box is up, another dialog of this program opens on the same thread (after the
  // box, so it is first in the thread's window order); the time-out must leave it alone.
  g_otherDialog = nullptr;
  g_rescued = false;
  UINT_PTR timer = SetTimer(nullptr, 0, 100, OpenOtherDialog);
  UINT_PTR rescue = SetTimer(nullptr, 0, 15000, RescueBox);
  int result = MessageBoxWithTimeout(nullptr, "Closes itself", "Timed", MB_OK, 1500);
  KillTimer(nullptr, timer);
  KillTimer(nullptr, rescue);
  SetMessageBoxSink(std::move(previous));
  EXPECT_EQ(result, -1);
  EXPECT_FALSE(g_rescued) << "the box did not close at its time-out";
  ASSERT_NE(g_otherDialog, nullptr);
  EXPECT_TRUE(IsWindowVisible(g_otherDialog)) << "the time-out closed another dialog";
  DestroyWindow(g_otherDialog);
}

// Makes every dialog window of this thread slow to create.
static LRESULT CALLBACK SlowDialogCreation(int code, WPARAM wParam, LPARAM lParam) {
  char cls[16] = "";
  if (code == HCBT_CREATEWND) GetClassNameA(reinterpret_cast<HWND>(wParam), cls, sizeof cls);
  if (strcmp(cls, "#32770") == 0) Sleep(1300);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A box slower to come up than its time-out (a busy machine) still closes at the time-out.
TEST(SysutilMessageBox, RealBoxCreatedAfterItsTimeoutStillClosesItself) {
  MessageBoxSink previous = SetMessageBoxSink(nullptr);
  g_rescued = false;
  // Hooks are called newest first: this one runs after the box's own catcher has seen the box.
  HHOOK slow = SetWindowsHookExA(WH_CBT, SlowDialogCreation, nullptr, GetCurrentThreadId());
  ASSERT_NE(slow, nullptr);
  UINT_PTR rescue = SetTimer(nullptr, 0, 15000, RescueBox);
  int result = MessageBoxWithTimeout(nullptr, "Slow to come", "Timed", MB_OK, 1000);
  KillTimer(nullptr, rescue);
  UnhookWindowsHookEx(slow);
  SetMessageBoxSink(std::move(previous));
  EXPECT_EQ(result, -1);
  EXPECT_FALSE(g_rescued) << "the box did not close at its time-out";
}

TEST(SysutilMessageBox, RealBoxAnsweredBeforeTheTimeout) {
  MessageBoxSink previous = SetMessageBoxSink(nullptr);
  g_boxSeen = nullptr;
  UINT_PTR timer = SetTimer(nullptr, 0, 100, AnswerNo);
  int result = MessageBoxWithTimeout(nullptr, "Yes or no?", "Answered", MB_YESNO, 60000);
  KillTimer(nullptr, timer);
  SetMessageBoxSink(std::move(previous));
  EXPECT_EQ(result, IDNO);
  EXPECT_NE(g_boxSeen, nullptr);
}

TEST(SysutilWindows, TextsAndClassesOfChildren) {
  TestTarget target;
  ASSERT_TRUE(target.Start("Pindrel Text Target"));
  SendMessageA(target.Control(TestTarget::kEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed text"));
  SendMessageA(target.Control(TestTarget::kCombo), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("two"));

  EXPECT_EQ(SplitLines(GetWindowTextAll(target.hwnd(), false).GetText()),
            (std::vector<std::string>{"typed text", "two", "two", "Press", "Ready"}));
  ShowWindow(target.Control(TestTarget::kButton), SW_HIDE);
  EXPECT_EQ(SplitLines(GetWindowTextAll(target.hwnd(), false).GetText()),
            (std::vector<std::string>{"typed text", "two", "two", "Ready"}));
  EXPECT_EQ(SplitLines(GetWindowTextAll(target.hwnd(), true).GetText()),
            (std::vector<std::string>{"typed text", "two", "two", "Press", "Ready"}));
  EXPECT_EQ(std::string(GetWindowClassList(target.hwnd())),
            "Edit\nListBox\nComboBox\nEdit\nButton\nmsctls_statusbar32\n");
  EXPECT_STREQ(GetWindowTextAll(nullptr, true), "");  // no window: not every top-level window
  EXPECT_STREQ(GetWindowClassList(nullptr), "");
  EXPECT_FALSE(IsWindowHung(target.hwnd(), 1000));
}

TEST(SysutilMouse, ButtonsAndWheelReachTheWindow) {
  TestTarget target;
  ASSERT_TRUE(target.Start("Pindrel Mouse Target"));
  POINT p = target.ScreenPoint(300, 200);
  SetCursorPos(p.x, p.y);
  struct Case {
    const char* name;
    const char* down;
    const char* up;
  } cases[] = {{"left", "WM_LBUTTONDOWN", "WM_LBUTTONUP"},    {"RIGHT", "WM_RBUTTONDOWN", "WM_RBUTTONUP"},
               {"Middle", "WM_MBUTTONDOWN", "WM_MBUTTONUP"},  {"primary", "WM_LBUTTONDOWN", "WM_LBUTTONUP"}};
  for (const Case& c : cases) {
    target.ClearLog();
    MouseButtonDown(c.name);
    MouseButtonUp(c.name);
    ASSERT_TRUE(target.WaitForMessages(c.up, 1)) << c.name;
    EXPECT_EQ(target.EventLines(), (std::vector<std::string>{std::string("main ") + c.down + " 300 200",
                                                               std::string("main ") + c.up + " 300 200"}))
        << c.name;
  }
  ASSERT_TRUE(BringToFront(target.hwnd()));
  target.ClearLog();
  MouseWheelTurn("up");
  MouseWheelTurn("DOWN");
  MouseWheelTurn("sideways");
  ASSERT_TRUE(target.WaitForMessages("WM_MOUSEWHEEL", 3));
  std::vector<std::string> wheel;
  for (const TargetEvent& e : target.Events())
    if (e.message == "WM_MOUSEWHEEL") wheel.push_back(std::to_string(e.a));
  EXPECT_EQ(wheel, (std::vector<std::string>{"120", "-120", "-120"}));
}

TEST(SysutilNet, AddressesBeyondTheHostsAreZero) {
  std::string previous;
  for (int n = 0; n <= 5; ++n) {
    char buffer[16] = "junk";
    GetIPAddress(n, buffer);
    EXPECT_NE(inet_addr(buffer), INADDR_NONE) << buffer;
    // Index 0 and 5 never name an address; once an index finds none, no later one does.
    if (n == 0 || n == 5 || previous == "0.0.0.0") {
      EXPECT_STREQ(buffer, "0.0.0.0") << n;
    }
    if (n > 0) previous = buffer;
  }
}

namespace {

// A one-connection-at-a-time HTTP server on 127.0.0.1 that serves fixed answers.
class TinyHttpServer {
public:
  TinyHttpServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    listen(listener_, 4);
    thread_ = std::thread([this] { Serve(); });
  }
  ~TinyHttpServer() {
    closesocket(listener_);
    thread_.join();
    WSACleanup();
  }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
  static std::string Body() {
    std::string body;
    for (int i = 0; i < 20000; ++i) body += static_cast<char>(i * 7 % 256);  // binary, several blocks
    return body;
  }

private:
  void Serve() {
    for (;;) {
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      std::string request;
      char buffer[1024];
      while (request.find("\r\n\r\n") == std::string::npos) {
        int n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, n);
      }
      std::string body = request.rfind("GET /file ", 0) == 0 ? Body() : "not here";
      std::string status = request.rfind("GET /file ", 0) == 0 ? "200 OK" : "404 Not Found";
      std::string answer = "HTTP/1.0 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
                           "\r\nConnection: close\r\n\r\n" + body;
      send(client, answer.data(), static_cast<int>(answer.size()), 0);
      closesocket(client);
    }
  }
  SOCKET listener_;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace

TEST(SysutilNet, DownloadWritesTheWholeResource) {
  TinyHttpServer server;
  TempFolder folder;
  bool missing = true;
  std::string file = folder.File("download.bin");
  EXPECT_TRUE(InternetDownload(server.Url("/file").c_str(), file.c_str(), missing));
  EXPECT_FALSE(missing);
  EXPECT_EQ(ReadFileBytes(file), TinyHttpServer::Body());

  std::string absent = folder.File("absent.bin");
  EXPECT_FALSE(InternetDownload(server.Url("/nothing").c_str(), absent.c_str(), missing));
  EXPECT_FALSE(missing);
  EXPECT_FALSE(FileExists(absent));
  EXPECT_FALSE(InternetDownload(server.Url("/file").c_str(), folder.File("no\\such\\folder.bin").c_str(), missing));
}

TEST(SysutilSound, NothingStaysOpenAfterAWaitOrAStop) {
  TempFolder folder;
  std::string data(1600, '\x80');  // 0.2 s of 8-bit mono silence
  auto u32 = [](DWORD v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
  std::string wav = "RIFF" + u32(36 + 1600) + "WAVEfmt " + u32(16) + std::string("\1\0\1\0", 4) + u32(8000) +
                    u32(8000) + std::string("\1\0\x08\0", 4) + "data" + u32(1600) + data;
  WriteFileBytes(folder.File("silence.wav"), wav);
  char mode[64];
  // Without a wave device (as under Wine here) the open fails and nothing is left open either.
  PlaySoundFile(folder.File("silence.wav").c_str(), true);
  EXPECT_NE(mciSendStringA("status PlayMe mode", mode, sizeof mode, nullptr), 0u);
  PlaySoundFile(folder.File("silence.wav").c_str(), false);
  PlaySoundFile("", false);
  EXPECT_NE(mciSendStringA("status PlayMe mode", mode, sizeof mode, nullptr), 0u);
}
