// Options, timers, script hotkeys, message boxes, splash and progress windows, the environment,
// the clipboard and downloads from a local HTTP server.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "script/builtins/dialogs.h"
#include "script/osversion.h"
#include "script/sysutil/sysutil.h"
#include "tests/support/local_http_server.h"
#include "tests/support/script_harness.h"
#include "tests/support/test_support.h"
#include "tests/support/test_target.h"

using namespace testing_support;

namespace {

class Builtins : public ::testing::Test {
public:
  // Calls a built-in: 0 or the handler's fatal answer, with its result in `result`.
  int CallInto(const char* name, std::vector<CScriptValue> values, CScriptValue& result) {
    CValueList args;
    for (CScriptValue& v : values) args.Add(v);
    return script().CallBuiltin(script().FindBuiltin(name), args, result);
  }
  // The result as text ("a,b,c" for an array) of a call that must not fail.
  std::string Call(const char* name, std::vector<CScriptValue> values = {}) {
    int answer = 0;
    std::string text = h.Call(name, std::move(values), &answer);
    EXPECT_EQ(answer, 0) << name << ": " << h.LastBox();
    return text;
  }
  // Loads and prepares a script without running it, so that built-ins find its functions.
  void Prepare(const std::string& text) {
    h.Load(text);
    ASSERT_EQ(script().PrepareScript("options.txt"), 0) << h.LastBox();
  }
  CQuorvex_Script& script() { return h.script(); }

  ScriptHarness h;
};

CQuorvex_Script* g_timerScript = nullptr;
void CALLBACK StopFromTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_timerScript) g_timerScript->StopRun = 1;
}
void CALLBACK PressHotKeySlot0(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  PostThreadMessageA(GetCurrentThreadId(), WM_HOTKEY, 0, 0);
}

DWORD Style(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)); }
DWORD ExStyle(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)); }
// The style without the bits the system adds by itself.
DWORD OwnStyle(HWND window) { return Style(window) & ~(WS_VISIBLE | WS_CLIPSIBLINGS); }
SIZE ClientSize(HWND window) {
  RECT r;
  GetClientRect(window, &r);
  return {r.right, r.bottom};
}
std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}
std::string TextOf(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}
// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}
std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> list;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) list.push_back(c);
  return list;
}

}  // namespace

// ---- options ------------------------------------------------------------------------------

TEST_F(Builtins, EveryOptionReturnsItsOldValueAndStoresByItsRule) {
  struct Case {
    const char* name;
    int first;     // value given first
    int old;       // what that call returns: the default
    int then;      // value given next
    int stored;    // what the next call returns
  } cases[] = {
      {"CaretCoordMode", 0, 1, 5, 0},        {"ColorMode", 7, 0, 0, 1},
      {"GUICoordMode", 9, 1, 3, 1},          {"GUINotifyMode", 9, 1, 3, 1},
      {"GUIResizeMode", 9, 1, 3, 1},         {"GuiTaskbarEntry", 9, 1, 3, 1},
      {"ExpandEnvStrings", 2, 0, 0, 1},      {"MouseClickDelay", -3, 10, 0, 10},
      {"MouseClickDownDelay", 25, 10, 0, 25}, {"MouseClickDragDelay", -1, 250, 0, 250},
      {"MouseCoordMode", 5, 1, 0, 1},        {"MustDeclareVars", -4, 0, 0, 1},
      {"PixelCoordMode", 0, 1, 1, 0},        {"RunErrorsFatal", 0, 1, 1, 0},
      {"SendAttachMode", 9, 0, 0, 1},        {"SendCapslockMode", 0, 1, 1, 0},
      {"SendKeyDelay", -2, 5, -1, 5},        {"SendKeyDownDelay", -1, 1, 3, -1},
      {"TrayIconDebug", 3, 0, 0, 1},         {"TrayIconHide", 0, 1, 0, 1},
      {"WinSearchChildren", 1, 0, 0, 1},     {"WinWaitDelay", 100, 250, -5, 100},
      {"WinDetectHiddenText", 1, 0, 0, 1},   {"WinTextMatchMode", 3, 1, 2, 1},
      {"WinTitleMatchMode", 7, 1, 4, 1},
  };
  ASSERT_EQ(sizeof cases / sizeof cases[0], 25u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Call("OPT", {Arg(c.name), Arg(c.first)}), std::to_string(c.old));
    EXPECT_EQ(Call("RUVEROSETOPTION", {Arg(c.name), Arg(c.then)}), std::to_string(c.stored));
  }
  EXPECT_EQ(Call("OPT", {Arg("WinTitleMatchMode"), Arg(1)}), "4");
  EXPECT_EQ(Call("OPT", {Arg("WinTextMatchMode"), Arg(1)}), "2");
  EXPECT_EQ(script().SendKeys.SendKeyDelay, -1);
  EXPECT_EQ(script().MouseClickDownDelay, 0);
  EXPECT_EQ(script().MouseClickDragDelay, 0);
  Call("OPT", {Arg("TrayIconDebug"), Arg(0)});  // process-wide: back to its default
}

TEST_F(Builtins, OptionNamesIgnoreCaseAndAnUnknownNameEndsTheRun) {
  EXPECT_TRUE(h.Run("$a = Opt(\"sendkeydelay\", 20)\n$b = Opt(\"SENDKEYDELAY\", 20)\n"
                    "$c = Opt(\"ColorMode\", 0.5)\n$d = Opt(\"colormode\", 0)\n"))
      << h.LastBox();
  EXPECT_EQ(h.Global("A"), "5");
  EXPECT_EQ(h.Global("B"), "20");
  EXPECT_EQ(h.Global("C"), "0");
  EXPECT_EQ(h.Global("D"), "1") << "any value that is not zero switches a flag on";
  EXPECT_FALSE(h.Run("Opt(\"NoSuchOption\", 1)\n$after = 1\n"));
  EXPECT_EQ(h.LastError(), "Unknown option or bad parameter specified.");
  EXPECT_EQ(h.Global("AFTER"), "<undeclared>");
}

TEST_F(Builtins, OptionsChangeWhatTheScriptDoes) {
  SetEnvironmentVariableA("PINDREL_OPT", "abc");
  EXPECT_TRUE(h.Run("$plain = \"<%PINDREL_OPT%>\"\n"
                    "Opt(\"ExpandEnvStrings\", 1)\n"
                    "$expanded = \"<%PINDREL_OPT%>\"\n"))
      << h.LastBox();
  EXPECT_EQ(h.Global("PLAIN"), "<%PINDREL_OPT%>");
  EXPECT_EQ(h.Global("EXPANDED"), "<abc>");

  EXPECT_FALSE(h.Run("Opt(\"MustDeclareVars\", 1)\n$undeclared = 1\n"));
  EXPECT_EQ(h.LastError(), "Variable used without being declared.");
}

TEST_F(Builtins, MouseCoordModeZeroMovesRelativeToTheActiveWindow) {
  TestTarget target;
  ASSERT_TRUE(target.Start("Pindrel Option Target", 140, 120));
  ASSERT_TRUE(BringToFront(target.hwnd()));
  RECT rect;
  GetWindowRect(target.hwnd(), &rect);
  // The pointer's position may follow an injected move a moment later under load.
  POINT at;
  auto pointerAt = [&](int x, int y) {
    return PumpUntil([&] { return GetCursorPos(&at) && std::abs(at.x - x) <= 1 && std::abs(at.y - y) <= 1; }, 2000);
  };
  EXPECT_TRUE(h.Run("Opt(\"MouseCoordMode\", 0)\nMouseMove(30, 40, 0)\n")) << h.LastBox();
  EXPECT_TRUE(pointerAt(rect.left + 30, rect.top + 40)) << at.x << "," << at.y;
  // Screen coordinates again (a point on the target, where the pointer is Wine's to move).
  std::string screen = std::to_string(rect.left + 50) + ", " + std::to_string(rect.top + 60);
  EXPECT_TRUE(h.Run("Opt(\"MouseCoordMode\", 1)\nMouseMove(" + screen + ", 0)\n")) << h.LastBox();
  EXPECT_TRUE(pointerAt(rect.left + 50, rect.top + 60)) << at.x << "," << at.y;
}

// ---- timers, adlib, DELAY -----------------------------------------------------------------

TEST_F(Builtins, TimersMeasureTheDelayBetweenThem) {
  EXPECT_TRUE(h.Run("$t = TimerInit()\n"
                    "Delay(120)\n"
                    "$d = TimerDiff($t)\n"
                    "$s = TimerStart()\n"
                    "$e = TimerStop($s)\n"
                    "$zero = Delay(0) + Delay(-5)\n"))
      << h.LastBox();
  EXPECT_GE(std::stod(h.Global("D")), 115.0);
  EXPECT_GE(std::stod(h.Global("E")), 0.0);
  EXPECT_LT(std::stod(h.Global("E")), std::stod(h.Global("D")));
  EXPECT_EQ(h.Global("ZERO"), "2");
}

TEST_F(Builtins, DelayKeepsTheQueueDrainedAndStopsAtTheEndKey) {
  g_timerScript = &script();
  UINT_PTR timer = SetTimer(nullptr, 0, 150, StopFromTimer);  // dispatched only by a drained queue
  DWORD start = timeGetTime();
  h.Run("$before = 1\nDelay(20000)\n$after = 1\n");
  DWORD took = timeGetTime() - start;
  KillTimer(nullptr, timer);
  g_timerScript = nullptr;
  EXPECT_EQ(h.Global("BEFORE"), "1");
  EXPECT_EQ(h.Global("AFTER"), "<undeclared>");
  EXPECT_LT(took, 10000u);
  EXPECT_EQ(script().Run.WaitState, WAIT_END);
}

TEST_F(Builtins, AdlibRunsAtItsPeriodUntilDisabledAndNeverOutlivesTheRun) {
  EXPECT_TRUE(h.Run("Global $n = 0\n"
                    "AdlibEnable(\"Tick\", 30)\n"
                    "Delay(400)\n"
                    "AdlibDisable()\n"
                    "$atOff = $n\n"
                    "Delay(150)\n"
                    "$later = $n\n"
                    "AdlibEnable(\"Tick\")\n"
                    "Func Tick()\n"
                    "  $n = $n + 1\n"
                    "EndFunc\n"))
      << h.LastBox();
  EXPECT_GE(std::stoi(h.Global("ATOFF")), 3);
  EXPECT_EQ(h.Global("LATER"), h.Global("ATOFF"));
  EXPECT_EQ(script().AdlibOn, 0) << "the run's end switches adlib off";

  Prepare("Func Tick()\nEndFunc\n");
  EXPECT_EQ(Call("ADLIBENABLE", {Arg("Tick"), Arg(0)}), "1");
  EXPECT_EQ(script().AdlibPeriod, 250u);
  EXPECT_EQ(script().AdlibOn, 1);
  Call("ADLIBENABLE", {Arg("tick"), Arg(75)});
  EXPECT_EQ(script().AdlibPeriod, 75u);
  Call("ADLIBDISABLE");
  EXPECT_EQ(script().AdlibOn, 0);

  EXPECT_FALSE(h.Run("AdlibEnable(\"Missing\", 10)\n"));
  EXPECT_EQ(h.LastError(), "Unknown function name.");
}

// ---- script hotkeys -------------------------------------------------------------------------

TEST_F(Builtins, HotKeySetKeepsOneSlotPerKeyAndFreesItsKey) {
  Prepare("Func First()\nEndFunc\nFunc Second()\nEndFunc\n");
  const UINT kCtrlAltZ = 'Z' << 16 | MOD_CONTROL | MOD_ALT;
  struct Step {
    std::vector<CScriptValue> args;
    const char* result;
    int slots;  // slots in use afterwards
  } steps[] = {
      {{Arg("^!z"), Arg("First")}, "1", 1},
      {{Arg("^!z"), Arg("Second")}, "1", 1},  // same key: the function is replaced
      {{Arg("^!y")}, "0", 1},                  // never set
      {{Arg("^!")}, "0", 1},                   // modifiers alone name no key
      {{Arg("+<F9>"), Arg("First")}, "1", 2},
      {{Arg("+<F9>")}, "1", 1},                // removed
  };
  for (const Step& s : steps) {
    EXPECT_EQ(Call("HOTKEYSET", s.args), s.result) << s.args[0].GetString();
    int used = 0;
    for (const auto& slot : script().HotKeys) used += slot ? 1 : 0;
    EXPECT_EQ(used, s.slots) << s.args[0].GetString();
  }
  ASSERT_TRUE(script().HotKeys[0]);
  EXPECT_EQ(script().HotKeys[0]->keyCode, kCtrlAltZ);
  EXPECT_STREQ(script().HotKeys[0]->function.GetText(), "Second");
  EXPECT_FALSE(RegisterHotKey(nullptr, 0x7AB0, MOD_CONTROL | MOD_ALT, 'Z')) << "taken by the script";

  CScriptValue result;
  EXPECT_NE(CallInto("HOTKEYSET", {Arg("^!x"), Arg("Missing")}, result), 0);
  EXPECT_EQ(h.LastError(), "Unknown function name.");
}

TEST_F(Builtins, AScriptHotkeyRunsBetweenLinesAndIsGoneWhenTheRunEnds) {
  SetTimer(nullptr, 0, 100, PressHotKeySlot0);  // the press arrives during the Delay loop
  EXPECT_TRUE(h.Run("Global $hit = 0, $waits = 0\n"
                    "HotKeySet(\"^!q\", \"Pressed\")\n"
                    "While $hit = 0 And $waits < 200\n"
                    "  Delay(20)\n"
                    "  $waits = $waits + 1\n"
                    "Wend\n"
                    "Func Pressed()\n"
                    "  $hit = $hit + 1\n"
                    "EndFunc\n"))
      << h.LastBox();
  EXPECT_EQ(h.Global("HIT"), "1");
  EXPECT_LT(std::stoi(h.Global("WAITS")), 200);
  for (const auto& slot : script().HotKeys) EXPECT_FALSE(slot);
  ASSERT_TRUE(RegisterHotKey(nullptr, 0x7AB1, MOD_CONTROL | MOD_ALT, 'Q')) << "the run's end unregistered it";
  UnregisterHotKey(nullptr, 0x7AB1);

  // A run that ends on an error frees its hotkeys too, and a press that arrives after the run
  // never reaches the next one, although its key is set again there.
  EXPECT_FALSE(h.Run("HotKeySet(\"^!q\", \"Pressed\")\n"
                     "Opt(\"NoSuchOption\", 1)\n"
                     "Func Pressed()\n"
                     "EndFunc\n"));
  for (const auto& slot : script().HotKeys) EXPECT_FALSE(slot);
  PostThreadMessageA(GetCurrentThreadId(), WM_HOTKEY, 0, 0);
  EXPECT_TRUE(h.Run("Global $hit = 0\n"
                    "Func Pressed()\n"
                    "  $hit = 1\n"
                    "EndFunc\n"
                    "HotKeySet(\"^!q\", \"Pressed\")\n"
                    "Delay(300)\n"))
      << h.LastBox();
  EXPECT_EQ(h.Global("HIT"), "0");
}

// ---- message boxes, splash and progress ---------------------------------------------------

TEST_F(Builtins, MsgBoxShowsTextTitleAndStyleAndReturnsTheButton) {
  MessageBoxCapture capture(IDNO);
  EXPECT_EQ(Call("MSGBOX", {Arg(4 | MB_ICONQUESTION), Arg("Question"), Arg("Go on?")}), "7");
  ASSERT_EQ(capture.boxes().size(), 1u);
  EXPECT_EQ(capture.boxes()[0].caption, "Question");
  EXPECT_EQ(capture.boxes()[0].text, "Go on?");
  EXPECT_EQ(capture.boxes()[0].type, static_cast<UINT>(4 | MB_ICONQUESTION | MB_SETFOREGROUND));
}

TEST_F(Builtins, ATimedMsgBoxClosesOnlyItselfAndReturnsMinusOne) {
  // Another box of the same class stays open on another thread the whole time.
  std::thread other([] { MessageBoxA(nullptr, "stays", "Pindrel Other Box", MB_OK); });
  HWND otherBox = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (otherBox = FindWindowA("#32770", "Pindrel Other Box")) != nullptr; }, 5000));
  MessageBoxSink previous = SetMessageBoxSink({});  // the real box
  DWORD start = timeGetTime();
  std::string answer = Call("MSGBOX", {Arg(0), Arg("Pindrel Timed Box"), Arg("closes by itself"), Arg(1)});
  DWORD took = timeGetTime() - start;
  SetMessageBoxSink(previous);
  EXPECT_EQ(answer, "-1");
  EXPECT_GE(took, 950u);
  EXPECT_TRUE(IsWindow(otherBox));
  EXPECT_EQ(FindWindowA("#32770", "Pindrel Timed Box"), nullptr);
  PostMessageA(otherBox, WM_COMMAND, IDOK, 0);
  other.join();
}

TEST_F(Builtins, SplashTextWindowHasTheStylesSizesAndFontAsked) {
  struct Case {
    int opt;
    DWORD style;
    bool topmost;
    DWORD align;
  } cases[] = {
      {-1, 0x88C00000, true, SS_CENTER}, {1, 0x88800000, true, SS_CENTER},
      {2, 0x88C00000, false, SS_CENTER}, {16, 0x80C00000, true, SS_CENTER},
      {4, 0x88C00000, true, SS_LEFT},    {8, 0x88C00000, true, SS_RIGHT},
      {12, 0x88C00000, true, SS_CENTER}, {17, 0x80800000, true, SS_CENTER},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.opt);
    Call("SPLASHTEXTON", {Arg("Pindrel Splash"), Arg("Hello"), Arg(240), Arg(90), Arg(30), Arg(40), Arg(c.opt),
                          Arg("Arial"), Arg(20), Arg(700)});
    HWND splash = SplashWindow();
    ASSERT_TRUE(IsWindowVisible(splash));
    EXPECT_EQ(ClassOf(splash), "VantorelPindrel v1");
    EXPECT_EQ(TextOf(splash), "Pindrel Splash");
    EXPECT_EQ(OwnStyle(splash), c.style);
    EXPECT_EQ((ExStyle(splash) & WS_EX_TOPMOST) != 0, c.topmost);
    SIZE client = ClientSize(splash);
    EXPECT_EQ(client.cx, 240);
    EXPECT_EQ(client.cy, 90);
    RECT rect;
    GetWindowRect(splash, &rect);
    EXPECT_EQ(rect.left, 30);
    EXPECT_EQ(rect.top, 40);
    std::vector<HWND> children = Children(splash);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(ClassOf(children[0]), "Static");
    EXPECT_EQ(TextOf(children[0]), "Hello");
    EXPECT_EQ(Style(children[0]) & SS_TYPEMASK, c.align);
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(children[0], WM_GETFONT, 0, 0)), sizeof font, &font);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(font.lfHeight, -(GetDeviceCaps(screen, LOGPIXELSY) * 20 / 72));
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_STREQ(font.lfFaceName, "Arial");
  }
  HWND last = SplashWindow();
  Call("SPLASHOFF");
  EXPECT_FALSE(IsWindow(last));
  EXPECT_EQ(SplashWindow(), nullptr);
}

TEST_F(Builtins, SplashDefaultsAreCentredAndSizeAndWeightFallBack) {
  Call("SPLASHTEXTON", {Arg("Pindrel Splash"), Arg("Centred"), Arg(-1), Arg(-1), Arg(-1), Arg(-1), Arg(-1), Arg(""),
                        Arg(3), Arg(5000)});
  HWND splash = SplashWindow();
  SIZE client = ClientSize(splash);
  EXPECT_EQ(client.cx, 500);
  EXPECT_EQ(client.cy, 400);
  RECT desktop, rect;
  GetWindowRect(GetDesktopWindow(), &desktop);
  GetWindowRect(splash, &rect);
  EXPECT_EQ(rect.left, (desktop.right - 500) / 2);
  EXPECT_EQ(rect.top, (desktop.bottom - 400) / 2);
  LOGFONTA font = {}, gui = {};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(Children(splash)[0], WM_GETFONT, 0, 0)), sizeof font, &font);
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(font.lfHeight, -(GetDeviceCaps(screen, LOGPIXELSY) * 12 / 72));
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(font.lfWeight, 400);
  EXPECT_STREQ(font.lfFaceName, gui.lfFaceName);
  // A second splash replaces the first.
  Call("SPLASHTEXTON", {Arg("Pindrel Splash 2"), Arg("Next")});
  EXPECT_FALSE(IsWindow(splash));
  Call("SPLASHOFF");
}

TEST_F(Builtins, SplashImageShowsThePictureOrEndsTheRunWhenItCannotBeLoaded) {
  TempFolder folder;
  // A 2 x 2 bitmap, 24 bits a pixel, rows padded to 8 bytes.
  std::string bmp = std::string("BM") + std::string("\x46\0\0\0\0\0\0\0\x36\0\0\0", 12) +
                    std::string("\x28\0\0\0\2\0\0\0\2\0\0\0\1\0\x18\0\0\0\0\0\x10\0\0\0", 24) +
                    std::string(16, '\0') + std::string(16, '\x7f');
  WriteFileBytes(folder.File("pic.bmp"), bmp);
  Call("SPLASHIMAGEON", {Arg("Pindrel Picture"), Arg(folder.File("pic.bmp").c_str()), Arg(64), Arg(48), Arg(5),
                         Arg(6), Arg(1)});
  HWND splash = SplashWindow();
  ASSERT_TRUE(splash);
  EXPECT_EQ(OwnStyle(splash), 0x88800000u);
  std::vector<HWND> children = Children(splash);
  ASSERT_EQ(children.size(), 1u);
  EXPECT_EQ(Style(children[0]) & SS_TYPEMASK, static_cast<DWORD>(SS_BITMAP));
  EXPECT_NE(SendMessageA(children[0], STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  SIZE picture = ClientSize(children[0]);
  EXPECT_EQ(picture.cx, 64);
  EXPECT_EQ(picture.cy, 48);

  EXPECT_FALSE(h.Run("SplashImageOn(\"Pindrel Picture\", \"" + folder.File("missing.bmp") + "\")\n"));
  EXPECT_EQ(h.LastError(), "The requested picture file could not be loaded.");
  EXPECT_EQ(SplashWindow(), nullptr) << "a failed picture leaves no window";
  WriteFileBytes(folder.File("bad.bmp"), "not a picture");
  EXPECT_FALSE(h.Run("SplashImageOn(\"Pindrel Picture\", \"" + folder.File("bad.bmp") + "\")\n"));
  EXPECT_EQ(h.LastError(), "The requested picture file could not be loaded.");
}

TEST_F(Builtins, ProgressWindowHasItsLayoutAndFollowsProgressSet) {
  Call("PROGRESSON", {Arg("Pindrel Progress"), Arg("Main text"), Arg("Sub text")});
  HWND progress = ProgressWindow();
  ASSERT_TRUE(IsWindowVisible(progress));
  EXPECT_EQ(ClassOf(progress), "VantorelPindrel v1");
  EXPECT_EQ(OwnStyle(progress), 0x88C00000u);
  EXPECT_TRUE(ExStyle(progress) & WS_EX_TOPMOST);
  SIZE client = ClientSize(progress);
  EXPECT_EQ(client.cx, 300);
  EXPECT_EQ(client.cy, 100);
  RECT work, rect;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(progress, &rect);
  EXPECT_EQ(rect.left, (work.right - 300) / 2);
  EXPECT_EQ(rect.top, (work.bottom - 100) / 2);

  std::vector<HWND> children = Children(progress);
  ASSERT_EQ(children.size(), 3u);
  struct Child {
    const char* cls;
    RECT rect;
    const char* text;
  } expected[] = {
      {"Static", {19, 4, 19 + 1280, 28}, "Main text"},
      {"msctls_progress32", {20, 30, 280, 50}, ""},
      {"Static", {20, 55, 20 + 1280, 105}, "Sub text"},
  };
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(ClassOf(children[i]), expected[i].cls);
    RECT r = ChildRect(children[i]);
    EXPECT_EQ(r.left, expected[i].rect.left);
    EXPECT_EQ(r.top, expected[i].rect.top);
    EXPECT_EQ(r.right, expected[i].rect.right);
    EXPECT_EQ(r.bottom, expected[i].rect.bottom);
    EXPECT_EQ(TextOf(children[i]), expected[i].text);
  }
  HWND bar = children[1];
  EXPECT_TRUE(Style(bar) & PBS_SMOOTH);
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100);
  LOGFONTA font = {};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(children[0], WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_EQ(font.lfWeight, 600);

  Call("PROGRESSSET", {Arg(40), Arg("Step two")});
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 40);
  EXPECT_EQ(TextOf(children[2]), "Step two");
  EXPECT_EQ(TextOf(children[0]), "Main text");
  Call("PROGRESSSET", {Arg(101), Arg(""), Arg("")});  // out of range, empty sub text, empty main text
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 40);
  EXPECT_EQ(TextOf(children[2]), "Step two");
  EXPECT_EQ(TextOf(children[0]), "");

  Call("PROGRESSON", {Arg("Pindrel Progress"), Arg("Again"), Arg(""), Arg(10), Arg(20), Arg(1 | 2 | 16)});
  EXPECT_FALSE(IsWindow(progress));
  progress = ProgressWindow();
  EXPECT_EQ(OwnStyle(progress), static_cast<DWORD>(WS_POPUP));
  EXPECT_FALSE(ExStyle(progress) & WS_EX_TOPMOST);
  GetWindowRect(progress, &rect);
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, 20);
  Call("PROGRESSOFF");
  EXPECT_FALSE(IsWindow(progress));
  EXPECT_EQ(Call("PROGRESSSET", {Arg(50)}), "1") << "nothing to set without a window";
}

TEST(TrayTip, BalloonsOnlyWhereTheSystemHasThem) {
  struct Case {
    DWORD platform, major, minor;
    bool balloon;
  } cases[] = {
      {VER_PLATFORM_WIN32_NT, 5, 0, true},      {VER_PLATFORM_WIN32_NT, 5, 1, true},
      {VER_PLATFORM_WIN32_NT, 6, 1, true},      {VER_PLATFORM_WIN32_NT, 4, 0, false},
      {VER_PLATFORM_WIN32_WINDOWS, 4, 10, false}, {VER_PLATFORM_WIN32_WINDOWS, 4, 90, false},
  };
  for (const Case& c : cases) {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    info.dwPlatformId = c.platform;
    info.dwMajorVersion = c.major;
    info.dwMinorVersion = c.minor;
    EXPECT_EQ(TrayBalloonSupported(OSVersionInfo(info)), c.balloon) << c.major << "." << c.minor;
  }
}

// ---- the script itself, the environment, the clipboard ------------------------------------

TEST_F(Builtins, ScriptCallsEvalAndErrorCodes) {
  EXPECT_TRUE(h.Run("Global $g = \"global\"\n"
                    "Func Seven()\n"
                    "  Return 7\n"
                    "EndFunc\n"
                    "Func Nothing()\n"
                    "  $x = 1\n"
                    "EndFunc\n"
                    "Func Scopes()\n"
                    "  Local $l = 1\n"
                    "  Return IsDeclared(\"l\") & \",\" & IsDeclared(\"g\") & \",\" & IsDeclared(\"none\")\n"
                    "EndFunc\n"
                    "$seven = Call(\"Seven\")\n"
                    "$one = Call(\"Nothing\")\n"
                    "$missing = Call(\"NoSuch\") & \"/\" & @error\n"
                    "$eval = Eval(\"g\") & \"/\" & @error\n"
                    "$evalMissing = \"[\" & Eval(\"none\") & \"]/\" & @error\n"
                    "$scopes = Scopes()\n"
                    "SetError(5)\n"
                    "$set = @error\n"
                    "$break = Break(0)\n"))
      << h.LastBox();
  EXPECT_EQ(h.Global("SEVEN"), "7");
  EXPECT_EQ(h.Global("ONE"), "1");
  EXPECT_EQ(h.Global("MISSING"), "1/1");
  EXPECT_EQ(h.Global("EVAL"), "global/0");
  EXPECT_EQ(h.Global("EVALMISSING"), "[]/1");
  EXPECT_EQ(h.Global("SCOPES"), "-1,1,0");
  EXPECT_EQ(h.Global("SET"), "5");
  EXPECT_EQ(h.Global("BREAK"), "1");
}

TEST_F(Builtins, OwnWindowTitleIsReadAndSetOnlyWhenThereIsOne) {
  EXPECT_EQ(Call("RUVEROWINGETTITLE"), "");
  EXPECT_EQ(Call("RUVEROWINSETTITLE", {Arg("ignored")}), "1");
  HWND own = CreateWindowExA(0, "STATIC", "Own", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  script().OwnWindow = own;
  Call("RUVEROWINSETTITLE", {Arg("Pindrel Own Title")});
  EXPECT_EQ(TextOf(own), "Pindrel Own Title");
  EXPECT_EQ(Call("RUVEROWINGETTITLE"), "Pindrel Own Title");
  script().OwnWindow = nullptr;
  DestroyWindow(own);
}

TEST_F(Builtins, EnvironmentVariablesAreSetReadAndDeleted) {
  EXPECT_TRUE(h.Run("EnvSet(\"PINDREL_ENV\", \"one two\")\n"
                    "$set = EnvGet(\"PINDREL_ENV\")\n"
                    "EnvSet(\"PINDREL_ENV\")\n"
                    "$deleted = \"[\" & EnvGet(\"PINDREL_ENV\") & \"]\"\n"))
      << h.LastBox();
  EXPECT_EQ(h.Global("SET"), "one two");
  EXPECT_EQ(h.Global("DELETED"), "[]");
  char buffer[8];
  EXPECT_EQ(GetEnvironmentVariableA("PINDREL_ENV", buffer, sizeof buffer), 0u);
}

TEST_F(Builtins, ClipboardRoundTripAndAnEmptyClipboard) {
  EXPECT_EQ(Call("CLIPPUT", {Arg("line one\r\nline two")}), "1");
  EXPECT_EQ(ClipboardText(), "line one\r\nline two");
  EXPECT_EQ(Call("CLIPGET"), "line one\r\nline two");
  EXPECT_EQ(script().GetError(), 0);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  EXPECT_EQ(Call("CLIPGET"), "1");
  EXPECT_EQ(script().GetError(), 1);
}

// Another thread reads the clipboard all the time, opening it without a window as most programs
// do; under Wine such an open takes the clipboard over from the robot between its own steps.
// Every put and get still does its work.
TEST_F(Builtins, ClipPutAndClipGetHoldOnWhileAnotherThreadKeepsReadingTheClipboard) {
  std::atomic<bool> stop{false};
  std::thread reader([&] {
    while (!stop) {
      if (OpenClipboard(nullptr)) {
        GetClipboardData(CF_TEXT);
        CloseClipboard();
      }
    }
  });
  int failedPuts = 0, wrongGets = 0;
  for (int i = 0; i < 100; ++i) {
    const std::string value = "value " + std::to_string(i);
    if (Call("CLIPPUT", {Arg(value.c_str())}) != "1") ++failedPuts;
    if (Call("CLIPGET") != value || script().GetError() != 0) ++wrongGets;
  }
  stop = true;
  reader.join();
  EXPECT_EQ(failedPuts, 0);
  EXPECT_EQ(wrongGets, 0);
}

TEST_F(Builtins, MemoryStatisticsAndVolume) {
  CScriptValue stats;
  ASSERT_EQ(CallInto("MEMGETSTATS", {}, stats), 0);
  ASSERT_TRUE(stats.IsArray());
  ASSERT_EQ(stats.GetElementCount(), 7);
  std::vector<double> v;
  for (int i = 0; i < 7; ++i) {
    stats.ClearSubscripts();
    stats.AddSubscript(i);
    v.push_back(stats.GetElement()->GetNumber());
  }
  MEMORYSTATUS status = {};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  EXPECT_GE(v[0], 0);
  EXPECT_LE(v[0], 100);
  EXPECT_EQ(v[1], status.dwTotalPhys / 1024.0);
  EXPECT_LE(v[2], v[1]);
  EXPECT_EQ(v[5], status.dwTotalVirtual / 1024.0);

  EXPECT_EQ(Call("ISADMIN").find_first_not_of("01"), std::string::npos);

  for (int bad : {101, -1}) {
    Call("SOUNDSETWAVEVOLUME", {Arg(bad)});
    EXPECT_EQ(script().GetError(), 1) << bad;
  }
  Call("SOUNDSETWAVEVOLUME", {Arg(50)});
  EXPECT_EQ(script().GetError(), 0);
  DWORD volume = 0;
  if (waveOutGetVolume(reinterpret_cast<HWAVEOUT>(0), &volume) == MMSYSERR_NOERROR) {
    EXPECT_EQ(volume, 0x7FFF7FFFu);
  }
}

// ---- downloads ------------------------------------------------------------------------------

TEST_F(Builtins, DownloadsAWholeFileOrNothingFromALocalServer) {
  LocalHttpServer server;
  ASSERT_GT(server.port(), 0);
  std::string payload;
  for (int i = 0; i < 70000; ++i) payload += static_cast<char>((i * 7 + i / 256) & 0xFF);
  WriteFileBytes(server.File("payload.bin"), payload);
  TempFolder folder;
  std::string target = folder.File("got.bin");

  EXPECT_EQ(Call("URLDOWNLOADTOFILE", {Arg(server.Url("/payload.bin").c_str()), Arg(target.c_str())}), "1");
  EXPECT_EQ(ReadFileBytes(target), payload);

  // Failures keep the earlier file as it was and leave nothing else in the folder.
  WriteFileBytes(target, "earlier");
  for (const char* path : {"/missing.bin", "/truncated"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(Call("URLDOWNLOADTOFILE", {Arg(server.Url(path).c_str()), Arg(target.c_str())}), "0");
    EXPECT_EQ(ReadFileBytes(target), "earlier");
    EXPECT_FALSE(FileExistsPattern(folder.File("*.tmp").c_str()));
  }
  std::string fresh = folder.File("fresh.bin");
  EXPECT_EQ(Call("URLDOWNLOADTOFILE", {Arg(server.Url("/missing.bin").c_str()), Arg(fresh.c_str())}), "0");
  EXPECT_FALSE(FileExists(fresh));

  server.Stop();  // nothing listens on the port any more: the connection is refused
  EXPECT_EQ(Call("URLDOWNLOADTOFILE", {Arg(server.Url("/payload.bin").c_str()), Arg(fresh.c_str())}), "0");
  EXPECT_FALSE(FileExists(fresh));
  EXPECT_EQ(ReadFileBytes(target), "earlier");
}
