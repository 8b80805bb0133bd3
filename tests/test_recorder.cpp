// The recorder: hook messages sent to its window under a clock the test sets, the clean-up of
// "stop", window records; the recording pane's hand-over to the editor; and the real hook
// library under Wine, fed with input synthesised inside Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "res/resource.h"
#include "controls/explorerpane.h"
#include "editor/hooklib/hookmessages.h"
#include "editor/inputrobotdlg.h"
#include "editor/recordpanedlg.h"
#include "editor/recordrobotdlg.h"
#include "framework/msgmap.h"
#include "robot/entrypoint.h"
#include "robot/keynames.h"
#include "tests/support/test_support.h"
#include "tests/support/ui_support.h"

using namespace testing_support;

namespace {

const char kNoLibrary[] = "pindrel_no_such_library.dll";
// A stand-in for the hook library that sets no hooks: the test's messages are all that come.
const char kQuietHook[] = "pindrel_quiethook.dll";

// The speed mark reads as "~" in the tables.
std::string Shown(const CString& line) {
  std::string text = line.GetString();
  size_t mark = text.find(kSpeedMark);
  if (mark != std::string::npos && mark + strlen(kSpeedMark) == text.size()) text = text.substr(0, mark) + "~";
  return text;
}

// A recorder whose clock and front window the test sets.
class ClockedRecorder : public CRecordRobotDlg {
public:
  explicit ClockedRecorder(int mode = 1) : CRecordRobotDlg(mode) {}
  DWORD clock = 100000;
  HWND front = nullptr;

  // Lines as a recording would have left them, for the clean-up passes.
  void Seed(const std::vector<std::string>& lines) {
    m_Lines.RemoveAll();
    for (const std::string& line : lines) m_Lines.Add(line.c_str());
  }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    for (int i = 0; i < GetLineCount(); ++i) lines.push_back(Shown(GetLine(i)));
    return lines;
  }

protected:
  DWORD TickCount() override { return clock; }
  HWND ForegroundWindow() override { return front; }
};

HWND MakeWindow(const char* title, int x, int y, bool visible = false) {
  // SS_NOTIFY: a plain static is transparent to WindowFromPoint.
  return CreateWindowExA(0, "STATIC", title, SS_NOTIFY | WS_POPUP | WS_BORDER | (visible ? WS_VISIBLE : 0), x, y, 160, 90, nullptr,
                         nullptr, nullptr, nullptr);
}

// Plays a script of hook events into a recorder. Steps, separated by ";":
//   +N          the clock moves on N ms
//   front W     W is the window in front (w1, w2, rec, none)
//   down K / up K            a key event (K a key name: A, <Ctrl>, <L Win>)
//   move X Y / pos X Y       a move (WM_USER+15) / a position (WM_USER+14)
//   ldown W, lup W, rdown W, rup W, dbl W, ncldown W   button events in window W
//   wheel up / wheel down
class Player {
public:
  Player(ClockedRecorder& rec, HWND w1, HWND w2) : rec_(rec), w1_(w1), w2_(w2) {}

  void Play(const std::string& script) {
    std::stringstream steps(script);
    std::string step;
    while (std::getline(steps, step, ';')) Step(step);
  }

private:
  HWND Window(const std::string& name) const {
    if (name == "w1") return w1_;
    if (name == "w2") return w2_;
    if (name == "rec") return rec_.m_hWnd;
    if (name == "start") return ::GetDlgItem(rec_.m_hWnd, IDC_RECORD_START);
    return nullptr;
  }
  void Step(const std::string& text) {
    std::stringstream in(text);
    std::string op, a, b;
    in >> op >> a >> b;
    if (op.empty()) return;
    if (op[0] == '+') {
      rec_.clock += std::stoul(op.substr(1));
    } else if (op == "front") {
      rec_.front = Window(a);
    } else if (op == "down" || op == "up") {
      std::string key = a + (b.empty() ? "" : " " + b);
      rec_.SendMessage(WM_HOOK_KEY, KeyNameToCode(key.c_str()), MAKELPARAM(0, op == "down" ? WM_KEYDOWN : WM_KEYUP));
    } else if (op == "move" || op == "pos") {
      LPARAM point = MAKELPARAM(std::stoi(a), std::stoi(b));
      if (op == "pos") rec_.SendMessage(WM_HOOK_MOUSEPOSITION, 0, point);
      else rec_.SendMessage(WM_HOOK_MOUSEEVENT, WM_MOUSEMOVE, point);
    } else if (op == "wheel") {
      rec_.SendMessage(WM_HOOK_MOUSEEVENT, WM_MOUSEWHEEL, a == "up" ? 1 : 0);
    } else {
      const struct {
        const char* name;
        UINT message;
      } buttons[] = {{"ldown", WM_LBUTTONDOWN}, {"lup", WM_LBUTTONUP},   {"rdown", WM_RBUTTONDOWN},
                     {"rup", WM_RBUTTONUP},     {"dbl", WM_LBUTTONDBLCLK}, {"ncldown", WM_NCLBUTTONDOWN}};
      for (const auto& button : buttons)
        if (op == button.name)
          rec_.SendMessage(WM_HOOK_MOUSEEVENT, button.message, reinterpret_cast<LPARAM>(Window(a)));
    }
  }

  ClockedRecorder& rec_;
  HWND w1_, w2_;
};

class Recorder : public ::testing::Test {
protected:
  void SetUp() override {
    w1 = MakeWindow("First", 10, 10);
    w2 = MakeWindow("Second", 200, 10);
  }
  void TearDown() override {
    if (rec && rec->m_hWnd) rec->DestroyWindow();
    rec.reset();
    DestroyWindow(w1);
    DestroyWindow(w2);
  }
  // A recorder that records without a hook.
  ClockedRecorder& Open(int mode = 1, bool detail = false) {
    rec = std::make_unique<ClockedRecorder>(mode);
    rec->SetLibraryName(kQuietHook);
    EXPECT_TRUE(rec->Create(IDD_RECORD_ROBOT));
    if (detail) rec->CheckDlgButton(IDC_RECORD_DETAIL, BST_CHECKED);
    rec->front = w1;
    return *rec;
  }
  // Starts with the events of `before` handled while idle (they clear the first-event flag).
  std::vector<std::string> Record(const std::string& script, bool stop = false, const std::string& before = "") {
    Player player(*rec, w1, w2);
    player.Play(before);
    rec->OnStart();
    player.Play(script);
    if (stop) rec->OnStop();
    return rec->Lines();
  }

  HWND w1 = nullptr, w2 = nullptr;
  std::unique_ptr<ClockedRecorder> rec;
};

using Lines = std::vector<std::string>;

struct Case {
  const char* what;
  const char* before;  // events handled while idle, before "start"
  const char* script;
  Lines lines;
};

}  // namespace

// ---- Timing, waits and speed marks ----

class RecorderTiming : public Recorder {
public:
  void Run(const std::vector<Case>& cases, bool detail = false, bool stop = false, int mode = 1) {
    for (const Case& c : cases) {
      Open(mode, detail);
      EXPECT_EQ(Record(c.script, stop, c.before), c.lines) << c.what;
      rec->DestroyWindow();
    }
  }
};

TEST_F(RecorderTiming, WaitsAndSpeedMarksFollowTheElapsedTime) {
  Run({
      // A recorder that has seen an event counts from "start": 300 ms is a marked wait.
      {"key 300 ms after the start", "move 1 1", "+300; down A; +100; up A",
       {"Wait 300 milliseconds~", "Key Down A At Win [0]", "Key Up A"}},
      {"the first event has no wait", "", "+5000; down A; +100; up A", {"Key Down A At Win [0]", "Key Up A"}},
      {"key-down after 1000 ms: unmarked wait; after 150 ms none", "",
       "down A; up A; +1000; down B; +150; up B",
       {"Key Down A At Win [0]", "Key Up A", "Wait 1000 milliseconds", "Key Down B", "Key Up B"}},
      {"key-up waits above 200 ms are not marked", "", "down A; +799; up A; +201; down B; +201; up B",
       {"Key Down A At Win [0]", "Wait 799 milliseconds", "Key Up A", "Wait 201 milliseconds~", "Key Down B",
        "Wait 201 milliseconds", "Key Up B"}},
      {"Tab waits 200 ms after its key-down", "", "down <Tab>; up <Tab>",
       {"Key Down <Tab> At Win [0]", "Wait 200 milliseconds", "Key Up <Tab>"}},
      {"button waits above 50 ms are never marked", "", "ldown w1; +51; lup w1; +50; rdown w1; +60; rup w1",
       {"Mouse Left Down At Win [0]", "Wait 51 milliseconds", "Mouse Left Up", "Mouse Right Down",
        "Wait 60 milliseconds", "Mouse Right Up"}},
      {"a wait before a follow-up move is marked, before a first move not", "", "ldown w1; +70; move 5 6; +70; move 7 8",
       {"Mouse Left Down At Win [0]", "Wait 70 milliseconds", "Mouse move to 5, 6", "Wait 70 milliseconds~",
        "Mouse move to 7, 8~"}},
      {"positions are untimed lines", "", "+500; pos 10 20; +500; pos 30 40",
       {"Mouse move to 10, 20", "Mouse move to 30, 40"}},
      {"no move back to where the last move left the pointer: the time goes to the next wait", "",
       "pos 200 200; +100; ldown w1; +30; lup w1; +100; move 200 200; +100; move 210 200",
       {"Mouse move to 200, 200", "Mouse Left Down At Win [0]", "Mouse Left Up", "Wait 200 milliseconds",
        "Mouse move to 210, 200"}},
      {"wheel turns", "", "wheel up; +10; wheel down", {"Mouse Scroll Up", "Mouse Scroll Down"}},
  });
}

TEST_F(RecorderTiming, MovesUnder20MsAreDroppedUnlessEveryMoveIsRecorded) {
  const char* script = "move 1 1; +10; move 2 2; +10; move 3 3; +10; move 4 4; +10; move 5 5";
  Run({{"without detail every other move of 10 ms steps is dropped", "", script,
        {"Mouse move to 1, 1", "Mouse move to 3, 3~", "Mouse move to 5, 5~"}}});
  Run({{"with detail every move is kept and marked", "", script,
        {"Mouse move to 1, 1", "Mouse move to 2, 2~", "Mouse move to 3, 3~", "Mouse move to 4, 4~",
         "Mouse move to 5, 5~"}}},
      true);
}

// ---- The clean-up passes of "stop" ----

TEST_F(RecorderTiming, StopCleansTheLinesUp) {
  Run(
      {
          {"a tail of key-downs and waits goes", "", "down A; up A; +300; down <Ctrl>; +300; down <Alt>; +300",
           {"Key Down A At Win [0]", "Key Up A"}},
          {"a key-down whose only key-up is the last line stays", "", "down A; down B; up A",
           {"Key Down A At Win [0]", "Key Up A"}},
          {"key-downs without key-ups go wherever they stand", "", "down <Shift>; down A; up A; move 1 2",
           {"Key Down A", "Key Up A", "Mouse move to 1, 2"}},
          {"a marked move before a wait loses its mark", "", "move 1 1; +20; move 100 200; +300; ldown w1",
           {"Mouse move to 1, 1", "Mouse move to 100, 200", "Wait 300 milliseconds", "Mouse Left Down At Win [0]"}},
          {"a marked move at the end keeps it", "", "move 1 1; +20; move 100 200", {"Mouse move to 1, 1", "Mouse move to 100, 200~"}},
          {"nothing recorded gives nothing", "", "", {}},
      },
      false, true);
  // The lines were handed back with IDOK and the library was let go.
  Open();
  Record("", true);
  EXPECT_FALSE(rec->IsRecording());
}

TEST_F(Recorder, StopDropsTheCtrlAndAltReleasesAtTheHead) {
  struct {
    Lines seeded, kept;
  } cases[] = {
      {{"Key Up <Ctrl>", "Wait 300 milliseconds", "Key Up <Alt>", "Key Down A", "Key Up A"},
       {"Wait 300 milliseconds", "Key Down A", "Key Up A"}},
      {{"Wait 5 milliseconds", "Key Up <Ctrl>", "Key Press B", "Key Up <Alt>"},
       {"Wait 5 milliseconds", "Key Press B", "Key Up <Alt>"}},
      {{"Key Up <Shift>", "Key Up <Ctrl>"}, {"Key Up <Shift>", "Key Up <Ctrl>"}},
  };
  for (const auto& c : cases) {
    Open();
    rec->Seed(c.seeded);
    rec->OnStop();
    EXPECT_EQ(rec->Lines(), c.kept) << c.seeded[0];
  }
}

// ---- Keys ----

TEST_F(RecorderTiming, AKeyTheSystemKeptWhileAWindowsKeyWasHeldPlaysInsideIt) {
  Run({
      {"Win+E, E's key-down unseen", "", "down <L Win>; up <L Win>; up E",
       {"Key Down <L Win> At Win [0]", "Key Press E", "Key Up <L Win>"}},
      {"two such keys keep their order", "", "down <L Win>; up <L Win>; up E; up R",
       {"Key Down <L Win> At Win [0]", "Key Press E", "Key Press R", "Key Up <L Win>"}},
      {"a key-up without key-down is a press", "", "up A; up B", {"Key Press A", "Key Press B"}},
      {"an unseen release of a Windows key records nothing", "", "down <L Win>; up <L Win>; up <R Win>",
       {"Key Down <L Win> At Win [0]", "Key Up <L Win>"}},
      {"a repeated key-down is released by one key-up", "", "down A; down A; up A; up A",
       {"Key Down A At Win [0]", "Key Down A", "Key Up A", "Key Press A"}},
  });
}

TEST_F(RecorderTiming, AHiddenRecorderIgnoresTheReleaseOfItsStartKeys) {
  Run({{"Ctrl, Alt and R released at the start", "", "up R; +50; up <Alt>; +50; up <Ctrl>; +400; down A; +10; up A",
        {"Key Down A At Win [0]", "Key Up A"}},
       {"only while nothing else came", "", "up R; down A; up A; +300; up <Ctrl>",
        {"Key Down A At Win [0]", "Key Up A", "Wait 300 milliseconds", "Key Press <Ctrl>"}}},
      false, false, 0);
  Run({{"a visible recorder records them", "", "up R", {"Key Press R"}}});
}

// ---- Windows ----

TEST_F(Recorder, AWindowGetsItsSuffixOnceAndAnIndexPerProgram) {
  Open();
  EXPECT_EQ(Record("ldown w1; lup w1; ldown w1; lup w1; dbl w1; ldown w2; lup w2; front w2; down A; up A; "
                   "rdown w1; rup w1; front rec; down B; up B; ldown none"),
            (Lines{"Mouse Left Down At Win [0]", "Mouse Left Up", "Mouse Left Down", "Mouse Left Up", "Mouse Double Click",
                   "Mouse Left Down At Win [1]", "Mouse Left Up", "Key Down A", "Key Up A", "Mouse Right Down At Win [2]",
                   "Mouse Right Up", "Key Down B", "Key Up B", "Mouse Left Down"}));
  ASSERT_EQ(rec->GetWindowRecordCount(), 3);
  struct Expected {
    HWND hwnd;
    const char* title;
    int index;
  } expected[] = {{w1, "First", 1}, {w2, "Second", 2}, {w1, "First", 1}};
  RecWinInfo first;
  ASSERT_TRUE(rec->GetWindowRecord(0, first));
  for (int i = 0; i < 3; ++i) {
    RecWinInfo r;
    ASSERT_TRUE(rec->GetWindowRecord(i, r));
    EXPECT_EQ(r.hWnd, expected[i].hwnd) << i;
    EXPECT_EQ(r.WinTitle, expected[i].title) << i;
    EXPECT_EQ(r.WinIndex, expected[i].index) << i;
    EXPECT_EQ(r.WinPath, first.WinPath) << i;  // one program: the test's
    EXPECT_EQ(r.WinParentLevel, 0) << i;
  }
  EXPECT_EQ(first.WinRect.left, 10);
  EXPECT_EQ(first.WinRect.right, 170);
  RecWinInfo none;
  EXPECT_FALSE(rec->GetWindowRecord(3, none));
  EXPECT_FALSE(rec->GetWindowRecord(-1, none));
  EXPECT_EQ(rec->GetLine(99), "");
}

TEST_F(Recorder, TheRecordersOwnClicksAndWheelAreKeptOut) {
  Open();
  // Clicks on the recorder or its buttons and the wheel while it is in front are its own; moves
  // always count, and so does a click elsewhere while the recorder is still in front.
  EXPECT_EQ(Record("front rec; ldown rec; lup start; ncldown rec; wheel up; move 3 4; ldown w1; front w1; wheel down"),
            (Lines{"Mouse move to 3, 4", "Mouse Left Down At Win [0]", "Mouse Scroll Down"}));
}

// ---- Start, stop, the library ----

TEST_F(Recorder, AMissingLibraryIsReportedAndTheRecorderStaysIdleAndClosable) {
  MessageBoxCapture boxes;
  ClockedRecorder recorder;
  recorder.SetLibraryName(kNoLibrary);
  RunLater(50, [&] {
    recorder.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_RECORD_START, BN_CLICKED));
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(recorder.m_hWnd, IDC_RECORD_START)));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(recorder.m_hWnd, IDC_RECORD_STOP)));
    recorder.SendMessage(WM_COMMAND, IDCANCEL);
  });
  EXPECT_EQ(recorder.DoModal(), IDCANCEL);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "Failed to load automation.dll.");
  EXPECT_EQ(boxes.boxes()[0].caption, "Vantorel Pindrel");
  EXPECT_EQ(boxes.boxes()[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
}

TEST_F(Recorder, EscapeOrEnterDuringARecordingLetTheHookLibraryGo) {
  ASSERT_EQ(GetModuleHandleA("automation.dll"), nullptr);
  struct Ending {
    int command;
    INT_PTR result;
  } endings[] = {{IDCANCEL, IDCANCEL}, {IDOK, IDOK}};
  for (const Ending& e : endings) {
    ClockedRecorder recorder;
    RunLater(50, [&] {
      recorder.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_RECORD_START, BN_CLICKED));
      EXPECT_NE(GetModuleHandleA("automation.dll"), nullptr);
      recorder.SendMessage(WM_HOOK_KEY, 'A', MAKELPARAM(0, WM_KEYDOWN));
      recorder.SendMessage(WM_COMMAND, e.command);
    });
    EXPECT_EQ(recorder.DoModal(), e.result);
    EXPECT_EQ(GetModuleHandleA("automation.dll"), nullptr) << e.command;
    // Enter ends like "stop": the key-down without key-up was cleaned away.
    Lines lines = recorder.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Key Down A"), e.command == IDOK ? 0 : 1) << e.command;
  }
}

// ---- The hand-over to the editor ----

namespace {

struct FakeEditor : CRecordingSink {
  std::vector<std::string> actions;
  std::vector<RecWinInfo> records;
  int GetWindowRecordCount() override { return static_cast<int>(records.size()); }
  void AddAction(const CString& line) override { actions.push_back(Shown(line)); }
  void AddWindowRecord(const RecWinInfo& record) override { records.push_back(record); }
};

RecWinInfo Titled(const char* title) {
  RecWinInfo r;
  r.WinTitle = title;
  return r;
}

}  // namespace

TEST(RecordingHandOver, WindowSuffixesMoveOnPastTheRobotsRecords) {
  struct {
    const char* line;
    int offset;
    const char* shifted;
  } cases[] = {
      {"Mouse Left Down At Win [0]", 2, "Mouse Left Down At Win [2]"},
      {"Key Down A At Win [3]", 10, "Key Down A At Win [13]"},
      {"Mouse Left Down At Win [1]=> [remove on faster speed]", 1, "Mouse Left Down At Win [2]=> [remove on faster speed]"},
      {"Comment: At Win [1] At Win [4]", 1, "Comment: At Win [1] At Win [5]"},
      {"Mouse Left Up", 3, "Mouse Left Up"},
      {"Key Down < At Win [0", 3, "Key Down < At Win [0"},
      {"Mouse Left Down At Win [7]", 0, "Mouse Left Down At Win [7]"},
  };
  for (const auto& c : cases) EXPECT_EQ(ShiftWindowSuffix(c.line, c.offset), c.shifted) << c.line;
}

TEST_F(Recorder, ARecordingGoesBetweenTwoCommentsAfterTheRobotsOwnRecords) {
  Open();
  Record("ldown w1; lup w1; ldown w2; lup w2", true);
  FakeEditor editor;
  editor.records = {Titled("Old one"), Titled("Old two")};
  HandOverRecording(*rec, editor);
  EXPECT_EQ(editor.actions,
            (Lines{"Comment: ==== Start recorded actions ====", "Mouse Left Down At Win [2]", "Mouse Left Up",
                   "Mouse Left Down At Win [3]", "Mouse Left Up", "Comment: ==== End of recorded actions ===="}));
  ASSERT_EQ(editor.records.size(), 4u);
  EXPECT_EQ(editor.records[1].WinTitle, "Old two");
  EXPECT_EQ(editor.records[2].WinTitle, "First");
  EXPECT_EQ(editor.records[3].WinTitle, "Second");

  // An empty recording adds nothing and keeps the robot's records.
  Open();
  Record("", true);
  FakeEditor empty;
  empty.records = {Titled("Kept")};
  HandOverRecording(*rec, empty);
  EXPECT_TRUE(empty.actions.empty());
  ASSERT_EQ(empty.records.size(), 1u);
  EXPECT_EQ(empty.records[0].WinTitle, "Kept");
}

// ---- The recording pane ----

namespace {

class TestPane : public CRecordPaneDlg {
public:
  TestPane(CWnd* editor, CRecordingSink* sink, const char* library) : CRecordPaneDlg(editor, sink), library_(library) {}
  ClockedRecorder* Recorder() const { return static_cast<ClockedRecorder*>(GetRecorder()); }

protected:
  CRecordRobotDlg* MakeRecorder(int mode) override {
    auto* recorder = new ClockedRecorder(mode);
    recorder->SetLibraryName(library_);
    return recorder;
  }

private:
  const char* library_;
};

class RecordingPaneTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(editorWnd.CreateEx(0, nullptr, "Editor", WS_POPUP | WS_VISIBLE, 50, 50, 300, 200, nullptr, nullptr));
    target = MakeWindow("Target", 400, 50);
  }
  void TearDown() override {
    pane.reset();
    editorWnd.DestroyWindow();
    DestroyWindow(target);
  }
  void MakePane(const char* library) {
    pane = std::make_unique<TestPane>(&editorWnd, &editor, library);
    ASSERT_TRUE(pane->Create(&editorWnd));
  }
  void Play(const std::string& script) {
    ClockedRecorder& rec = *pane->Recorder();
    rec.front = target;
    Player(rec, target, nullptr).Play(script);
  }

  CWnd editorWnd;
  HWND target = nullptr;
  FakeEditor editor;
  std::unique_ptr<TestPane> pane;
};

}  // namespace

TEST_F(RecordingPaneTest, TheHiddenRecordingStartsOnItsHotkeyAndStopsOnTheOther) {
  MakePane(kQuietHook);
  editor.records = {Titled("Old")};
  bool checked = false;
  RunLater(200, [&] {
    checked = true;
    ClockedRecorder* rec = pane->Recorder();
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->GetMode(), 0);
    EXPECT_TRUE(rec->IsRecording());  // started by the pane's timer
    EXPECT_FALSE(rec->IsWindowVisible());
    EXPECT_NE(::GetActiveWindow(), rec->m_hWnd) << "a hidden recorder never takes the keyboard";
    EXPECT_NE(::GetForegroundWindow(), rec->m_hWnd);
    EXPECT_FALSE(editorWnd.IsWindowVisible());
    Play("up R; up <Alt>; up <Ctrl>; +500; ldown w1; +30; lup w1; +400; down A; +40; up A; +300; down <Ctrl>; down <Alt>; down S");
    pane->SendMessage(WM_HOTKEY, CRecordPaneDlg::kStopHotkeyId, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'S'));
  });
  pane->SendMessage(WM_HOTKEY, CRecordPaneDlg::kStartHotkeyId, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'R'));
  EXPECT_TRUE(checked);
  EXPECT_EQ(pane->GetLastResult(), IDOK);
  EXPECT_EQ(editor.actions, (Lines{"Comment: ==== Start recorded actions ====", "Mouse Left Down At Win [1]", "Mouse Left Up",
                                   "Wait 400 milliseconds~", "Key Down A", "Key Up A",
                                   "Comment: ==== End of recorded actions ===="}));
  ASSERT_EQ(editor.records.size(), 2u);
  EXPECT_EQ(editor.records[1].WinTitle, "Target");
  EXPECT_TRUE(editorWnd.IsWindowVisible());
  EXPECT_FALSE(pane->IsBusy());
}

TEST_F(RecordingPaneTest, WithoutTheLibraryTheHiddenRecorderEndsAtOnceAndTheEditorComesBack) {
  MessageBoxCapture boxes;
  MakePane(kNoLibrary);
  editor.records = {Titled("Old")};
  pane->StartRecording(0);
  EXPECT_EQ(pane->GetLastResult(), IDCANCEL);
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "Failed to load automation.dll.");
  EXPECT_TRUE(editor.actions.empty());
  EXPECT_EQ(editor.records.size(), 1u);
  EXPECT_TRUE(editorWnd.IsWindowVisible());
}

TEST_F(RecordingPaneTest, ThePaneHoldsTheStartHotkeyWhileItLives) {
  MakePane(kQuietHook);
  EXPECT_TRUE(pane->HasStartHotkey());
  EXPECT_FALSE(RegisterHotKey(nullptr, 0x7AB0, MOD_CONTROL | MOD_ALT, 'R'));
  pane.reset();
  ASSERT_TRUE(RegisterHotKey(nullptr, 0x7AB0, MOD_CONTROL | MOD_ALT, 'R'));
  // Held elsewhere, the pane says so instead of promising the key.
  MakePane(kQuietHook);
  EXPECT_FALSE(pane->HasStartHotkey());
  EXPECT_EQ(pane->GetDlgItemText(IDC_RECORDING_HINT), "Ctrl+Alt+R is held by another program: record with the button above.");
  UnregisterHotKey(nullptr, 0x7AB0);
}

// ---- The real hook library ----

namespace {

struct HookMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// A hidden window that keeps the hook messages it receives.
class HookLog : public CWnd {
public:
  std::vector<HookMessage> messages;
  BOOL Make() { return CreateEx(0, nullptr, "hook log", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr); }
  std::vector<HookMessage> Without(UINT message, WPARAM wParam) const {
    std::vector<HookMessage> kept;
    for (const HookMessage& m : messages)
      if (!(m.message == message && m.wParam == wParam)) kept.push_back(m);
    return kept;
  }

protected:
  BOOL ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (message < WM_HOOK_MOUSEPOSITION || message > WM_HOOK_KEY) return CWnd::ProcessWindowMessage(message, wParam, lParam, result);
    messages.push_back({message, wParam, lParam});
    result = 0;
    return TRUE;
  }
};

void MoveTo(POINT p) {
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, p.x * 65535 / (w - 1) + 1, p.y * 65535 / (h - 1) + 1, 0, 0);
}

void Key(BYTE vk, bool up) {
  keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), up ? KEYEVENTF_KEYUP : 0, 0);
}

std::string Describe(const HookMessage& m) {
  std::ostringstream out;
  out << "+" << (m.message - WM_USER) << " " << m.wParam << " " << std::hex << m.lParam;
  return out.str();
}

}  // namespace

TEST(HookLibrary, RealInputArrivesAsTheThreeMessagesUntilTheHookIsRemoved) {
  HMODULE library = LoadLibraryA("automation.dll");
  ASSERT_NE(library, nullptr);
  auto install = BindEntryPoint<InstallHookFn>(library, "InstallHook");
  auto uninstall = BindEntryPoint<UninstallHookFn>(library, "UninstallHook");
  ASSERT_NE(install, nullptr);
  ASSERT_NE(uninstall, nullptr);

  HookLog log;
  ASSERT_TRUE(log.Make());
  HWND target = MakeWindow("Hook Target", 300, 300, true);
  ASSERT_TRUE(BringToFront(target));
  const POINT at = {350, 340};
  const LPARAM atParam = MAKELPARAM(at.x, at.y);
  const LPARAM targetParam = reinterpret_cast<LPARAM>(target);

  ASSERT_TRUE(install(library, log.m_hWnd));
  MoveTo(at);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  mouse_event(MOUSEEVENTF_RIGHTDOWN, 0, 0, 0, 0);
  mouse_event(MOUSEEVENTF_RIGHTUP, 0, 0, 0, 0);
  mouse_event(MOUSEEVENTF_WHEEL, 0, 0, WHEEL_DELTA, 0);
  mouse_event(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(-WHEEL_DELTA), 0);
  Key('A', false);
  Key('A', true);
  Key(VK_LCONTROL, false);
  Key(VK_LCONTROL, true);
  Key(VK_RMENU, false);
  Key(VK_RMENU, true);
  const size_t kExpected = 15;
  PumpUiUntil([&] { return log.messages.size() >= kExpected; }, 3000);
  PumpUiFor(100);

  // Moves may come more than once (each at the pointer's place): the rest comes exactly.
  std::vector<std::string> seen;
  for (const HookMessage& m : log.Without(WM_HOOK_MOUSEEVENT, WM_MOUSEMOVE)) seen.push_back(Describe(m));
  auto line = [](UINT message, WPARAM w, LPARAM l) { return Describe({message, w, l}); };
  EXPECT_EQ(seen, (std::vector<std::string>{
                      line(WM_HOOK_MOUSEPOSITION, 0, atParam),
                      line(WM_HOOK_MOUSEEVENT, WM_LBUTTONDOWN, targetParam),
                      line(WM_HOOK_MOUSEEVENT, WM_LBUTTONUP, targetParam),
                      line(WM_HOOK_MOUSEPOSITION, 0, atParam),
                      line(WM_HOOK_MOUSEEVENT, WM_RBUTTONDOWN, targetParam),
                      line(WM_HOOK_MOUSEEVENT, WM_RBUTTONUP, targetParam),
                      line(WM_HOOK_MOUSEEVENT, WM_MOUSEWHEEL, 1),
                      line(WM_HOOK_MOUSEEVENT, WM_MOUSEWHEEL, 0),
                      line(WM_HOOK_KEY, 'A', MAKELPARAM(0, WM_KEYDOWN)),
                      line(WM_HOOK_KEY, 'A', MAKELPARAM(0, WM_KEYUP)),
                      line(WM_HOOK_KEY, VK_CONTROL, MAKELPARAM(0, WM_KEYDOWN)),
                      line(WM_HOOK_KEY, VK_CONTROL, MAKELPARAM(0, WM_KEYUP)),
                      line(WM_HOOK_KEY, VK_MENU, MAKELPARAM(0, WM_KEYDOWN)),
                      line(WM_HOOK_KEY, VK_MENU, MAKELPARAM(0, WM_KEYUP)),
                  }));
  bool movedThere = false;
  for (const HookMessage& m : log.messages)
    if (m.message == WM_HOOK_MOUSEEVENT && m.wParam == WM_MOUSEMOVE) movedThere = movedThere || m.lParam == atParam;
  EXPECT_TRUE(movedThere);

  EXPECT_TRUE(uninstall());
  log.messages.clear();
  MoveTo({320, 320});
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  Key('B', false);
  Key('B', true);
  PumpUiFor(300);
  EXPECT_TRUE(log.messages.empty()) << log.messages.size();
  EXPECT_FALSE(uninstall());  // nothing left to remove

  DestroyWindow(target);
  log.DestroyWindow();
  FreeLibrary(library);
}

// ---- The robot editor's recording panel ----

TEST(EditorRecording, TheEditorsHiddenRecordingGoesIntoItsListAfterItsOwnWindows) {
  CRobot robot;
  robot.Name = "Old";
  robot.ActionLines.Add("MouseDown(\"left\")-> At Win [0]");
  robot.AddWindowRecord(Titled("Old window"));
  CInputRobotDlg editor;
  editor.SetEditedRobot(robot);
  ASSERT_TRUE(editor.Create(IDD_INPUT_ROBOT));
  ASSERT_NE(editor.m_pRecordingPane, nullptr);
  ASSERT_TRUE(editor.m_pRecordingPane->GetPaneWindow()->IsWindow());
  EXPECT_EQ(editor.GetPaneStack()->GetPaneCount(), 2);  // the click pane and the recording panel
  auto* pane = dynamic_cast<CRecordPaneDlg*>(editor.m_pRecordingPane);
  ASSERT_NE(pane, nullptr);

  HWND target = MakeWindow("Editor Target", 400, 400);
  RunLater(200, [&] {
    CRecordRobotDlg* rec = pane->GetRecorder();
    EXPECT_TRUE(rec && rec->IsRecording());  // the real library, started by the pane
    if (rec) {
      rec->SendMessage(WM_HOOK_MOUSEEVENT, WM_LBUTTONDOWN, reinterpret_cast<LPARAM>(target));
      rec->SendMessage(WM_HOOK_MOUSEEVENT, WM_LBUTTONUP, reinterpret_cast<LPARAM>(target));
    }
    pane->SendMessage(WM_HOTKEY, CRecordPaneDlg::kStopHotkeyId, 0);
  });
  editor.StartRecording();

  Lines rows;
  for (int row = 0; row < editor.m_ActionList.GetItemCount(); ++row) {
    std::string text = editor.m_ActionList.GetItemText(row, 1).GetString();
    if (text.rfind("Mouse move to ", 0) != 0) rows.push_back(text);  // the pointer may have moved meanwhile
  }
  EXPECT_EQ(rows, (Lines{"Mouse Left Down At Win [0]", "Comment: ==== Start recorded actions ====",
                         "Mouse Left Down At Win [1]", "Mouse Left Up", "Comment: ==== End of recorded actions ===="}));
  CRobot edited = editor.GetRobot();
  ASSERT_EQ(edited.WinRecords.GetSize(), 2);
  EXPECT_EQ(edited.WinRecords[0].WinTitle, "Old window");
  EXPECT_EQ(edited.WinRecords[1].WinTitle, "Editor Target");
  EXPECT_EQ(GetModuleHandleA("automation.dll"), nullptr);
  editor.DestroyWindow();
  DestroyWindow(target);
}
