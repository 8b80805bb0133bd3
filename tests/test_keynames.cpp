// Key names as robot files and hotkeys store them, and hotkey text to key notation.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "robot/keynames.h"
#include "tests/support/test_support.h"

namespace {

// The whole vocabulary, written as runs of consecutive codes.
struct Run {
  int first;
  std::vector<const char*> names;
};

const Run kRuns[] = {
    {1, {"<MouseLeft>", "<MouseRight>", "<CtrlBreak>", "<MouseMiddle>", "<XButton1>", "<XButton2>"}},
    {8, {"<BackSpace>", "<Tab>"}},
    {12, {"<Clear>", "<Enter>"}},
    {16, {"<Shift>", "<Ctrl>", "<Alt>", "<Pause>", "<CapsLock>", "<KANA>"}},
    {23, {"<JUNJA>"}},
    {25, {"<KANJI>"}},
    {27, {"<Esc>", "<Convert>", "<NonCovert>", "<Accept>", "<ModeChange>", "<Space>", "<Prior>", "<Next>", "<End>",
          "<Home>", "<Left>", "<Up>", "<Right>", "<Down>", "<Select>", "<Print>", "<Execute>", "<Snapshot>",
          "<Insert>", "<Delete>", "<Help>", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
    {65, {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
          "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z", "<L Win>", "<R Win>", "<Apps>"}},
    {95, {"<Sleep>", "<0>", "<1>", "<2>", "<3>", "<4>", "<5>", "<6>", "<7>", "<8>", "<9>", "<*>", "<+>", "<|>",
          "<->", "<.>", "</>", "<F1>", "<F2>", "<F3>", "<F4>", "<F5>", "<F6>", "<F7>", "<F8>", "<F9>", "<F10>",
          "<F11>", "<F12>", "<F13>", "<F14>", "<F15>", "<F16>", "<F17>", "<F18>", "<F19>", "<F20>", "<F21>",
          "<F22>", "<F23>", "<F24>"}},
    {144, {"<NumLock>", "<Scroll>", "<NecEqual>", "<FjMasshou>", "<FjTouroku>", "<FjLoya>", "<FjRoya>"}},
    {160, {"<L Shift>", "<R Shift>", "<L Ctrl>", "<R Ctrl>", "<L Menu>", "<R Menu>", "<BrowserBack>",
           "<BrowserForward>", "<BrowserRefresh>", "<BrowserStop>", "<BrowserSearch>", "<BrowserFavorites>",
           "<BrowserHome>", "<VolumeMute>", "<VolumeDown>", "<VolumeUp>", "<MediaNextTrack>", "<MediaPrevTrack>",
           "<MediaStop>", "<MediaPlayPause>", "<LaunchMail>", "<LaunchMediaSelect>", "<LaunchApp1>",
           "<LaunchApp2>"}},
    {186, {";", "=", ",", "-", ".", "/", "`"}},
    {219, {"[", "\\", "]", "'", "<Oem8>"}},
    {225, {"<AX>", "<Oem102>", "<IcoHelp>", "<Ico00>", "<ProcessKey>", "<IcoClear>", "<Packet>"}},
    {233, {"<OemReset>", "<OemJump>", "<OemPa1>", "<OemPa2>", "<OemPa3>", "<OemWsctrl>", "<OemCusel>", "<OemAttn>",
           "<OemFinish>", "<OemCopy>", "<OemAuto>", "<OemEnlw>", "<OemBackTab>", "<Attn>", "<Crsel>", "<Exsel>",
           "<Ereof>", "<Play>", "<Zoom>", "<NoName>", "<Pa1>", "<OemClear>"}},
};

std::map<int, std::string> ExpectedNames() {
  std::map<int, std::string> names;
  for (const Run& run : kRuns)
    for (size_t i = 0; i < run.names.size(); ++i) names[run.first + static_cast<int>(i)] = run.names[i];
  return names;
}

}  // namespace

TEST(KeyNames, EveryCodeHasItsExactName) {
  std::map<int, std::string> expected = ExpectedNames();
  ASSERT_EQ(expected.size(), 191u);
  for (int code = -2; code <= 300; ++code) {
    auto it = expected.find(code);
    EXPECT_EQ(KeyCodeToName(code), CString(it == expected.end() ? "" : it->second.c_str())) << "code " << code;
  }
}

TEST(KeyNames, NamesGiveTheirCodesBack) {
  for (const auto& [code, name] : ExpectedNames()) EXPECT_EQ(KeyNameToCode(name.c_str()), code) << name;
}

TEST(KeyNames, NameLookupIsExactAndFallsBackToNine) {
  struct Case {
    const char* name;
    int code;
  } cases[] = {
      {"<4>", 100}, {"<5>", 101}, {"9", 57},     {"a", 57},      {"", 57},      {"<f1>", 57},
      {" A", 57},   {"A ", 57},   {"<Win>", 57}, {"\\", 220},    {"<L Menu>", 164},
  };
  for (const Case& c : cases) EXPECT_EQ(KeyNameToCode(c.name), c.code) << '"' << c.name << '"';
  EXPECT_EQ(KeyNameToCode(nullptr), 57);
}

TEST(HotkeyText, DisplayTextToNotation) {
  struct Case {
    const char* text;
    const char* notation;
  } cases[] = {
      {"Ctrl + Shift + Alt + <F5>", "^+!<F5>"},
      {"Ctrl + Shift + Alt + M", "^+!M"},
      {"Ctrl + Shift + <Home>", "^+<Home>"},
      {"Ctrl + Alt + Z", "^!Z"},
      {"Shift + Alt + Z", "+!Z"},
      {"Ctrl + <+>", "^<+>"},
      {"Shift + 1", "+1"},
      {"Alt + <F4>", "!<F4>"},
      {"<F2>", "<F2>"},
      {"None", "None"},
      {"", ""},
      // Out of order: only the leading word is taken.
      {"Alt + Ctrl + X", "!Ctrl + X"},
      {"Shift + Ctrl + X", "+Ctrl + X"},
      // Case-sensitive, spacing exact.
      {"ctrl + X", "ctrl + X"},
      {"Ctrl+X", "Ctrl+X"},
      // A modifier alone, as the hotkey field shows it while only Ctrl is down.
      {"Ctrl + ", "^"},
  };
  for (const Case& c : cases) EXPECT_EQ(HotkeyTextToScript(c.text), CString(c.notation)) << c.text;
}

TEST(HotkeyText, ModifiersAndKeyToDisplayTextAndBack) {
  struct Case {
    int code;
    bool ctrl, shift, alt;
    const char* text;
    const char* notation;
  } cases[] = {
      {'M', true, true, true, "Ctrl + Shift + Alt + M", "^+!M"},
      {113, false, false, false, "<F2>", "<F2>"},
      {13, true, false, true, "Ctrl + Alt + <Enter>", "^!<Enter>"},
      {107, false, true, true, "Shift + Alt + <+>", "+!<+>"},
      {164, false, false, true, "Alt + <L Menu>", "!<L Menu>"},
      {220, true, true, false, "Ctrl + Shift + \\", "^+\\"},
      {7, true, false, false, "Ctrl + ", "^"},
  };
  for (const Case& c : cases) {
    CString text = HotkeyDisplayText(c.code, c.ctrl, c.shift, c.alt);
    EXPECT_EQ(text, CString(c.text));
    EXPECT_EQ(HotkeyTextToScript(text), CString(c.notation)) << c.text;
  }
}
