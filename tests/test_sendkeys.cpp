// The keystroke engine: key sequences through the recording seam, hotkey parsing, and real keys
// reaching a real window.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <set>
#include <string>
#include <vector>

#include "robot/keynames.h"
#include "script/builtins/sendkeys.h"
#include "tests/support/input_recorder.h"
#include "tests/support/script_harness.h"
#include "tests/support/test_support.h"
#include "tests/support/test_target.h"

using namespace testing_support;

namespace {

// Key events of a plain press, without the waits.
std::string Tap(int vk, const char* flags = "") {
  return "down " + std::to_string(vk) + flags + ", up " + std::to_string(vk) + flags;
}

std::string Shifted(int vk) { return "down 16, " + Tap(vk) + ", up 16"; }

std::string Join(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& p : parts) text += (text.empty() ? "" : ", ") + p;
  return text;
}

std::string Repeat(const std::string& part, int times) { return Join(std::vector<std::string>(times, part)); }

// A window of this test program to post to or bring to the front.
class PlainWindow {
public:
  explicit PlainWindow(bool visible) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PindrelSendKeysTest";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowExA(0, wc.lpszClassName, "send keys", WS_POPUP | WS_BORDER | (visible ? WS_VISIBLE : 0), 50,
                            50, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
  }
  ~PlainWindow() { DestroyWindow(hwnd_); }
  PlainWindow(const PlainWindow&) = delete;
  PlainWindow& operator=(const PlainWindow&) = delete;
  HWND hwnd() const { return hwnd_; }

private:
  HWND hwnd_;
};

}  // namespace

TEST(SendKeys, EventsAndDelaysOfATap) {
  struct Case {
    const char* keys;
    const char* events;
  } cases[] = {
      {"+a", "down 16, wait 1, down 65, wait 1, up 65, wait 5, up 16, wait 5"},
      {"A", "down 16, wait 1, down 65, wait 1, up 65, wait 5, up 16, wait 5"},  // Shift from the layout
      {"a", "wait 1, down 65, wait 1, up 65, wait 5, wait 5"},
      {"{ENTER 3}", "wait 1, down 13, wait 1, up 13, wait 5, down 13, wait 1, up 13, wait 5, down 13, wait 1, "
                    "up 13, wait 5, wait 5"},
      {"{a down}", "down 65"},
      {"{a up}", "up 65"},
      {"{ALTDOWN}{ALTDOWN}", "down 18"},
      {"{ALTUP}", ""},
      {"{CTRLUP}{SHIFTUP}{LWINUP}{RWINUP}", ""},
      {"{CTRLDOWN}c{CTRLUP}", "down 17, wait 1, down 67, wait 1, up 67, wait 5, wait 5, up 17"},
      {"{CAPSLOCK on}", "down 20, wait 1, up 20, wait 5"},
      {"{CAPSLOCK off}", ""},
      {"{ASC 65}", "down 18, wait 1, down 102, wait 1, up 102, wait 5, down 101, wait 1, up 101, wait 5, up 18, wait 5"},
  };
  for (const Case& c : cases) {
    InputRecorder rec;
    CSendKeys keys;
    keys.Send(c.keys);
    EXPECT_EQ(rec.events, Seq(c.events)) << c.keys;
  }
}

TEST(SendKeys, DelaysAreTheOptions) {
  InputRecorder rec;
  CSendKeys keys;
  keys.SendKeyDelay = 20;
  keys.SendKeyDownDelay = -1;
  keys.Send("^x");
  EXPECT_EQ(rec.events, Seq("down 17, wait -1, down 88, wait -1, up 88, wait 20, up 17, wait 20"));
}

TEST(SendKeys, KeySequences) {
  struct Case {
    const char* keys;
    std::string expected;
  } cases[] = {
      {"^c", "down 17, " + Tap(67) + ", up 17"},
      {"!#x", "down 91, down 18, " + Tap(88) + ", up 18, up 91"},
      {"+{a", Shifted(219) + ", " + Shifted(65)},  // the unclosed brace keeps Shift for the next key
      {"{abc", Join({Shifted(219), Tap(65), Tap(66), Tap(67)})},
      {"{a 5}", Repeat(Tap(65), 5)},
      {"{! 3}", "down 16, " + Repeat(Tap(49), 3) + ", up 16"},
      {"{{}", Shifted(219)},
      {"{+}", Shifted(187)},
      {"{enter}{Tab}", Tap(13) + ", " + Tap(9)},
      {"{DEL}{LEFT 2}", Join({Tap(46, " ext"), Tap(37, " ext"), Tap(37, " ext")})},
      {"{NUMPADENTER}", Tap(13, " ext")},
      {"{NUMPADENTER down}{NUMPADENTER up}", Tap(13)},
      {"{TAB 0}{TAB -2}{TAB x}", Repeat(Tap(9), 3)},
      {"{TAB \t 2}", Repeat(Tap(9), 2)},
      {"{ALT}", Tap(18)},
      {"{ALT down}{ALT up}", Tap(18)},
      {"{ALTDOWN}{ALT}{ALTUP}", Tap(18)},
      {"{SHIFTDOWN}ab{SHIFTUP}", "down 16, " + Tap(65) + ", " + Tap(66) + ", up 16"},
      {"{SHIFTDOWN}A{SHIFTUP}", "down 16, " + Tap(65) + ", up 16"},
      {"{LWINDOWN}r{LWINUP}", "down 91 ext, " + Tap(82) + ", up 91 ext"},
      {"{RWINDOWN}{RWINDOWN}{RWINUP}", Tap(92, " ext")},
      {"{F12}{f1}{NUMPAD5 2}", Join({Tap(123), Tap(112), Tap(101), Tap(101)})},
      {"^{HOME}", "down 17, " + Tap(36, " ext") + ", up 17"},
      {"{ASC 6x5}", "down 18, " + Tap(102) + ", " + Tap(101) + ", up 18"},  // only digits are keyed
      {"{ALTDOWN}{ASC 66}{ALTUP}", "down 18, " + Tap(102) + ", " + Tap(102) + ", up 18"},
      {"{ASC}", Tap(18)},
      {"\x7F", ""},  // no key on the layout, below 128: nothing
      {"", ""},
  };
  for (const Case& c : cases) {
    InputRecorder rec;
    CSendKeys keys;
    keys.Send(c.keys);
    EXPECT_EQ(rec.Keys(), Seq(c.expected)) << c.keys;
    EXPECT_EQ(keys.GetModifiers() & ~CSendKeys::kHeldMask, 0u) << c.keys;
  }
}

TEST(SendKeys, RawTypesEverythingLiterally) {
  InputRecorder rec;
  CSendKeys keys;
  keys.SendRaw("{a}+!^#");
  EXPECT_EQ(rec.Keys(), Seq(Join({Shifted(219), Tap(65), Shifted(221), Shifted(187), Shifted(49), Shifted(54),
                                  Shifted(51)})));
}

TEST(SendKeys, HeldModifiersStayUntilReleased) {
  InputRecorder rec;
  CSendKeys keys;
  keys.Send("{CTRLDOWN}{SHIFTDOWN}");
  keys.Send("x");  // a second send: still held, not pressed again
  EXPECT_EQ(keys.GetModifiers(), CSendKeys::kHeldCtrl | CSendKeys::kHeldShift);
  keys.ReleaseHeldModifiers();
  EXPECT_EQ(rec.Keys(), Seq("down 17, down 16, " + Tap(88) + ", up 17, up 16"));
  EXPECT_EQ(keys.GetModifiers(), 0u);
  EXPECT_TRUE(rec.down.empty());
}

TEST(SendKeys, ModifiersTheUserStillHoldsAreReleasedFirst) {
  // Alt and Win get a press of a key no keyboard has (232) before their release, so that the
  // release opens no menu.
  struct Case {
    std::set<int> held;
    std::string expected;
  } cases[] = {
      {{VK_SHIFT, VK_CONTROL, VK_LWIN}, "up 17, wait 5, up 16, wait 5, down 232, up 232, up 91 ext, wait 5"},
      {{VK_SHIFT, VK_MENU}, "down 232, up 232, up 18, wait 5, up 16, wait 5"},
      {{VK_RWIN}, "down 232, up 232, up 92 ext, wait 5"},
      {{VK_CONTROL}, "up 17, wait 5"},
  };
  for (const Case& c : cases) {
    InputRecorder rec;
    rec.down = c.held;
    CSendKeys keys;
    keys.Send("a");
    EXPECT_EQ(rec.events, Seq(c.expected + ", wait 1, down 65, wait 1, up 65, wait 5, wait 5"));
  }
}

TEST(SendKeys, CapsLockIsOffWhileTypingAndRestoredAfter) {
  struct Case {
    BYTE mode;
    bool capsOn;
    const char* keys;
    std::string expected;
    bool capsAfter;
  } cases[] = {
      {1, true, "ab", Join({Tap(20), Tap(65), Tap(66), Tap(20)}), true},
      {1, false, "ab", Join({Tap(65), Tap(66)}), false},
      {0, true, "ab", Join({Tap(65), Tap(66)}), true},
      // A text that sets CapsLock keeps what it asked for.
      {1, true, "{CAPSLOCK off}a", Join({Tap(20), Tap(65)}), false},
      {1, false, "{CAPSLOCK on}", Tap(20), true},
      {1, true, "{CAPSLOCK on}", Join({Tap(20), Tap(20)}), true},
      {0, true, "{CAPSLOCK on}", "", true},
  };
  for (const Case& c : cases) {
    InputRecorder rec;
    if (c.capsOn) rec.toggledOn.insert(VK_CAPITAL);
    CSendKeys keys;
    keys.SendCapslockMode = c.mode;
    keys.Send(c.keys);
    EXPECT_EQ(rec.Keys(), Seq(c.expected)) << c.keys << " mode " << int(c.mode) << " on " << c.capsOn;
    EXPECT_EQ(rec.toggledOn.count(VK_CAPITAL) == 1, c.capsAfter) << c.keys;
  }
}

TEST(SendKeys, CharactersTheLayoutLacks) {
  // Layout keys: French has the grave accent, circumflex, tilde and diaeresis as dead keys but no
  // acute accent; German has the acute accent and an ordinary tilde.
  const std::map<unsigned char, SHORT> french = {{'`', 0x0637}, {'^', 0x00DD}, {'~', 0x0632}, {0xA8, 0x01DD}};
  const std::map<unsigned char, SHORT> german = {{'`', 0x01DD}, {'^', 0x00DC}, {'~', 0x06BB}, {0xB4, 0x00DD}};
  const std::string altGr7 = "down 17, down 18, " + Tap(55) + ", up 18, up 17";
  const std::string altGr2 = "down 17, down 18, " + Tap(50) + ", up 18, up 17";
  struct Case {
    const char* layout;  // nullptr: the system's (US)
    const std::map<unsigned char, SHORT>* keys;
    const char* text;
    std::string expected;
  } cases[] = {
      {nullptr, nullptr, "\xE9", "down 18, " + Join({Tap(97), Tap(99), Tap(96)}) + ", up 18"},  // Alt + 130
      {nullptr, nullptr, "\xA7", "down 18, " + Join({Tap(98), Tap(97)}) + ", up 18"},             // Alt + 21
      {nullptr, nullptr, "\x80", ""},
      {nullptr, nullptr, "\xD7", ""},
      {nullptr, nullptr, "\xC0", Shifted(65)},  // an English layout types the bare letter
      {"0000040C", &french, "\xC0", altGr7 + ", " + Shifted(65)},
      {"0000040C", &french, "\xE3", altGr2 + ", " + Tap(65)},
      {"0000040C", &french, "\xC2", Tap(221) + ", " + Shifted(65)},
      {"0000040C", &french, "\xCB", Shifted(221) + ", " + Shifted(69)},
      {"0000040C", &french, "\xC1", Shifted(65)},  // no acute accent on this layout
      {"00000407", &german, "\xC1", Tap(221) + ", " + Shifted(65)},
      {"00000407", &german, "\xE3", Tap(65)},  // the German tilde is no dead key
      {"00000407", &german, "\xFD", Tap(221) + ", " + Tap(89)},
  };
  for (const Case& c : cases) {
    InputRecorder rec;
    if (c.layout) rec.SetLayout(c.layout, *c.keys);
    CSendKeys keys;
    keys.Send(c.text);
    EXPECT_EQ(rec.Keys(), Seq(c.expected)) << c.layout << " " << static_cast<int>(static_cast<unsigned char>(c.text[0]));
  }
}

TEST(SendKeys, CharactersBelow128WithoutAKeyAreNotSent) {
  InputRecorder rec;
  rec.SetLayout("00000409", {{'q', -1}, {'\0', -1}});
  CSendKeys keys;
  keys.Send("q{}{q 3}{q down}x");
  EXPECT_EQ(rec.Keys(), Seq(Tap(88)));
}

TEST(SendKeys, BackgroundPlayPostsKeysToTheTarget) {
  PlainWindow target(false);
  struct Case {
    const char* keys;
    const char* expected;
  } cases[] = {
      {"a", "post WM_KEYDOWN 65 001E0001, post WM_KEYUP 65 C01E0001"},
      // Modifiers and lock keys are always synthesised.
      {"+a", "down 16, post WM_KEYDOWN 65 001E0001, post WM_KEYUP 65 C01E0001, up 16"},
      {"!f", "down 18, post WM_SYSKEYDOWN 70 20210001, post WM_SYSKEYUP 70 E0210001, up 18"},
      {"^!x", "down 17, down 18, post WM_KEYDOWN 88 002D0001, post WM_KEYUP 88 C02D0001, up 18, up 17"},
      {"{DEL}", "post WM_KEYDOWN 46 01530001, post WM_KEYUP 46 C1530001"},
      {"{ENTER}", "post WM_KEYDOWN 13 001C0001, post WM_KEYUP 13 C01C0001"},
      {"{ALTDOWN}{ALTUP}", "post WM_SYSKEYDOWN 18 20380001, post WM_SYSKEYUP 18 E0380001"},
      {"{CAPSLOCK on}{NUMLOCK on}", "down 20, up 20, down 144, up 144"},
  };
  for (const Case& c : cases) {
    InputRecorder rec;
    CSendKeys keys;
    keys.PostToWindow = TRUE;
    keys.Send(c.keys, target.hwnd());
    EXPECT_EQ(rec.Keys(), Seq(c.expected)) << c.keys;
    for (HWND h : rec.postedTo) EXPECT_EQ(h, target.hwnd()) << c.keys;
  }
}

TEST(SendKeys, BackgroundPlayWithoutTargetFollowsTheForegroundWindow) {
  PlainWindow front(true);
  ASSERT_TRUE(BringToFront(front.hwnd()));
  InputRecorder rec;
  CSendKeys keys;
  keys.PostToWindow = TRUE;
  keys.Send("ab");
  EXPECT_EQ(rec.Keys(), Seq("down 65, post WM_KEYUP 65 C01E0001, post WM_KEYDOWN 66 00300001, "
                            "post WM_KEYUP 66 C0300001"));
  for (HWND h : rec.postedTo) EXPECT_EQ(h, front.hwnd());
}

TEST(SendKeys, ParseHotkey) {
  struct Case {
    const char* text;
    bool ok;
    int vk;
    bool shift, ctrl, alt, win;
  } cases[] = {
      {"^+<F2>", true, 113, true, true, false, false},
      {"!a", true, 65, false, false, true, false},
      {"a", true, 65, false, false, false, false},
      {"A", true, 65, true, false, false, false},  // Shift from the layout
      {"#+!^<f5>", true, 116, true, true, true, true},
      {"^<enter>", true, 13, false, true, false, false},
      {"<LWIN>", true, 91, false, false, false, false},
      {"^1", true, 49, false, true, false, false},
      {"\xE9", true, 255, true, true, true, false},  // no key on the layout
      {"<ASC>", false, 0, false, false, false, false},
      {"^<ALTDOWN>", false, 0, false, true, false, false},
      {"<F2", false, 0, false, false, false, false},
      {"<nokey>", false, 0, false, false, false, false},
      {"^+", false, 0, true, true, false, false},
      {"", false, 0, false, false, false, false},
  };
  InputRecorder rec;
  for (const Case& c : cases) {
    int vk = -1;
    bool shift = true, ctrl = true, alt = true, win = true;
    EXPECT_EQ(CSendKeys::ParseHotkey(c.text, vk, shift, ctrl, alt, win), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(vk, c.vk) << c.text;
    }
    EXPECT_EQ(shift, c.shift) << c.text;
    EXPECT_EQ(ctrl, c.ctrl) << c.text;
    EXPECT_EQ(alt, c.alt) << c.text;
    EXPECT_EQ(win, c.win) << c.text;
  }
  EXPECT_TRUE(rec.events.empty());
}

TEST(SendKeys, HotkeyDisplayTextToKeyAndModifiers) {
  // The way a robot's hotkey is registered: display text, key notation in lower case, parsed.
  struct Case {
    int code;
    bool ctrl, shift, alt;
    bool ok;
  } cases[] = {
      {'M', true, true, true, true}, {113, false, false, false, true}, {123, false, true, false, true},
      {'7', true, false, true, true}, {13, false, false, true, true},   {36, true, false, false, true},
      {164, false, false, true, false},  // "<L Menu>" is no brace-token name
  };
  for (const Case& c : cases) {
    CString text = HotkeyDisplayText(c.code, c.ctrl, c.shift, c.alt);
    CString notation = HotkeyTextToScript(text);
    notation.MakeLower();
    int vk = 0;
    bool shift, ctrl, alt, win;
    ASSERT_EQ(CSendKeys::ParseHotkey(notation, vk, shift, ctrl, alt, win), c.ok) << text.GetString();
    if (!c.ok) continue;
    EXPECT_EQ(vk, c.code) << text.GetString();
    EXPECT_EQ(ctrl, c.ctrl) << text.GetString();
    EXPECT_EQ(shift, c.shift) << text.GetString();
    EXPECT_EQ(alt, c.alt) << text.GetString();
    EXPECT_FALSE(win);
  }
}

TEST(SendKeysEndToEnd, ForceForegroundRestoresAndActivates) {
  TestTarget target;
  ASSERT_TRUE(target.Start("Forced Target", 150, 150));
  PlainWindow other(true);
  ASSERT_TRUE(BringToFront(other.hwnd()));
  ShowWindow(target.hwnd(), SW_MINIMIZE);
  ASSERT_TRUE(PumpUntil([&] { return IsIconic(target.hwnd()) != 0; }, 3000));

  ForceForegroundWindow(target.hwnd());
  EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == target.hwnd() && !IsIconic(target.hwnd()); }, 3000));
}

TEST(SendKeysEndToEnd, AltNumpadBringsTheTargetsParentForwardFirst) {
  TestTarget target;
  ASSERT_TRUE(target.Start("Alt Numpad Target", 150, 150));
  PlainWindow other(true);
  const std::string keyed = "down 18, wait 1, down 103, wait 1, up 103, wait 5, up 18, wait 5";
  struct Case {
    HWND front;
    std::string events;
  } cases[] = {
      {other.hwnd(), "sleep 250, " + keyed},  // brought forward, then a pause for it to settle
      {target.hwnd(), keyed},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(BringToFront(c.front));
    InputRecorder rec;
    CSendKeys keys;
    keys.Send("{ASC 7}", target.Control(TestTarget::kEdit));
    EXPECT_EQ(rec.events, Seq(c.events));
  }
}

namespace {

// The log lines of the given messages, "message a" (or "message a b" with the flags).
std::vector<std::string> KeyLog(const TestTarget& target, const std::vector<std::string>& messages, bool flags) {
  std::vector<std::string> lines;
  for (const TargetEvent& e : target.Events())
    for (const std::string& m : messages)
      if (e.message == m)
        lines.push_back(e.control + " " + m + " " + std::to_string(e.a) + (flags ? " " + std::to_string(e.b) : ""));
  return lines;
}

}  // namespace

TEST(SendKeysEndToEnd, TextReachesTheFocusedWindowInOrder) {
  TestTarget target;
  ASSERT_TRUE(target.Start("Send Keys Target", 150, 150));
  ASSERT_TRUE(BringToFront(target.hwnd()));
  target.ClearLog();

  CSendKeys keys;
  keys.Send("Hi +a{ENTER}{LEFT}");
  ASSERT_TRUE(target.WaitForMessages("WM_KEYUP", 8));
  std::vector<std::string> expected = {
      "edit WM_KEYDOWN 16", "edit WM_KEYDOWN 72", "edit WM_CHAR 72",  "edit WM_KEYDOWN 73", "edit WM_CHAR 105",
      "edit WM_KEYDOWN 32", "edit WM_CHAR 32",   "edit WM_KEYDOWN 16", "edit WM_KEYDOWN 65", "edit WM_CHAR 65",
      "edit WM_KEYDOWN 13", "edit WM_CHAR 13",   "edit WM_KEYDOWN 37",
  };
  EXPECT_EQ(KeyLog(target, {"WM_KEYDOWN", "WM_CHAR"}, false), expected);
  auto editText = [&] {
    char text[64] = "";
    SendMessageA(target.Control(TestTarget::kEdit), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return std::string(text);
  };
  PumpUntil([&] { return editText() == "Hi A"; }, 2000);
  EXPECT_EQ(editText(), "Hi A");
}

TEST(SendKeysEndToEnd, BackgroundPlayPostsToTheTargetControl) {
  TestTarget target;
  ASSERT_TRUE(target.Start("Posted Keys Target", 150, 150));
  target.ClearLog();

  CSendKeys keys;
  keys.PostToWindow = TRUE;
  HWND edit = target.Control(TestTarget::kEdit);
  keys.Send("ab{DEL}", edit);
  ASSERT_TRUE(target.WaitForMessages("WM_KEYUP", 3));
  // The high word of lParam: scan code, extended bit (0x100), previous state and transition.
  std::vector<std::string> expected = {
      "edit WM_KEYDOWN 65 30",  "edit WM_KEYUP 65 49182",  "edit WM_KEYDOWN 66 48",
      "edit WM_KEYUP 66 49200", "edit WM_KEYDOWN 46 339", "edit WM_KEYUP 46 49491",
  };
  EXPECT_EQ(KeyLog(target, {"WM_KEYDOWN", "WM_KEYUP"}, true), expected);
}

namespace {

CScriptValue Text(const char* text) {
  CScriptValue v;
  v.SetString(text);
  return v;
}

CScriptValue Number(double n) {
  CScriptValue v;
  v.SetNumber(n);
  return v;
}

}  // namespace

TEST(SendBuiltin, NotationOrRawByTheFlag) {
  struct Case {
    std::vector<CScriptValue> args;
    std::string expected;
  } cases[] = {
      {{Text("+{TAB}")}, Shifted(9)},
      {{Text("+{TAB}"), Number(0)}, Shifted(9)},
      {{Text("+{TAB}"), Number(1)}, Join({Shifted(187), Shifted(219), Shifted(84), Shifted(65), Shifted(66), Shifted(221)})},
      {{Text("!"), Number(0.5)}, Shifted(49)},
      {{Text("!"), Text("yes")}, ""},  // a text that is no number counts as 0: a lone "!" sends nothing
  };
  ScriptHarness harness;
  int send = harness.script().FindBuiltin("SEND");
  ASSERT_GE(send, 0);
  for (const Case& c : cases) {
    InputRecorder rec;
    CValueList args;
    for (const CScriptValue& v : c.args) args.Add(v);
    CScriptValue result;
    harness.script().SetError(7);
    EXPECT_EQ(harness.script().CallBuiltin(send, args, result), 0);
    EXPECT_EQ(result.GetInt(), 1);
    EXPECT_EQ(harness.script().GetError(), 0);
    EXPECT_EQ(rec.Keys(), Seq(c.expected)) << c.args[0].GetString();
  }
  EXPECT_TRUE(harness.boxes().empty());
}

TEST(SendBuiltin, RunParametersSwitchBackgroundPlay) {
  ScriptHarness harness;
  CQuorvex_Script& script = harness.script();
  script.SetRunParameters(1, 10, 20);
  EXPECT_TRUE(script.SendKeys.PostToWindow);
  script.SetRunParameters(0, 10, 20);
  EXPECT_FALSE(script.SendKeys.PostToWindow);
}
