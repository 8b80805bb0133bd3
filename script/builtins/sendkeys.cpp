// The keystroke engine: send-keys notation to key events, through the input seam.
#include "script/builtins/sendkeys.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "script/builtins/heldinput.h"
#include "script/builtins/inputseam.h"
#include "script/builtins/runstop.h"

namespace {

// Brace-token names, compared without case. Special rows select an action instead of a key.
enum SpecialAction {
  kCtrlDown = 0, kCtrlUp = 1, kAltDown = 2, kAltUp = 3, kShiftDown = 4, kShiftUp = 5,
  kLWinDown = 6, kLWinUp = 7, kRWinDown = 8, kRWinUp = 9, kAsc = 10, kNumpadEnter = 11, kAltKey = 12,
};

struct SendKeyName {
  const char* name;
  bool special;
  int code;  // virtual key, or the SpecialAction of a special row
};

const SendKeyName kSendKeyNames[] = {
    {"ALT", true, kAltKey},
    {"BACKSPACE", false, 8}, {"BS", false, 8}, {"DEL", false, 46}, {"DELETE", false, 46}, {"DOWN", false, 40},
    {"END", false, 35}, {"ENTER", false, 13}, {"ESC", false, 27}, {"ESCAPE", false, 27},
    {"F1", false, 112}, {"F2", false, 113}, {"F3", false, 114}, {"F4", false, 115}, {"F5", false, 116},
    {"F6", false, 117}, {"F7", false, 118}, {"F8", false, 119}, {"F9", false, 120}, {"F10", false, 121},
    {"F11", false, 122}, {"F12", false, 123},
    {"HOME", false, 36}, {"INS", false, 45}, {"INSERT", false, 45}, {"LEFT", false, 37}, {"PGDN", false, 34},
    {"PGUP", false, 33}, {"RIGHT", false, 39}, {"SPACE", false, 32}, {"TAB", false, 9}, {"UP", false, 38},
    {"PRINTSCREEN", false, 44}, {"LWIN", false, 91}, {"RWIN", false, 92}, {"SCROLLLOCK", false, 145},
    {"NUMLOCK", false, 144}, {"CTRLBREAK", false, 3}, {"PAUSE", false, 19}, {"CAPSLOCK", false, 20},
    {"NUMPAD0", false, 96}, {"NUMPAD1", false, 97}, {"NUMPAD2", false, 98}, {"NUMPAD3", false, 99},
    {"NUMPAD4", false, 100}, {"NUMPAD5", false, 101}, {"NUMPAD6", false, 102}, {"NUMPAD7", false, 103},
    {"NUMPAD8", false, 104}, {"NUMPAD9", false, 105},
    {"NUMPADMULT", false, 106}, {"NUMPADADD", false, 107}, {"NUMPADSUB", false, 109}, {"NUMPADDOT", false, 110},
    {"NUMPADDIV", false, 111}, {"APPSKEY", false, 93}, {"LCTRL", false, 162}, {"RCTRL", false, 163},
    {"LALT", false, 164}, {"RALT", false, 165}, {"LSHIFT", false, 160}, {"RSHIFT", false, 161},
    {"SLEEP", false, 95}, {"NUMPADENTER", true, kNumpadEnter},
    {"BROWSER_BACK", false, 166}, {"BROWSER_FORWARD", false, 167}, {"BROWSER_REFRESH", false, 168},
    {"BROWSER_STOP", false, 169}, {"BROWSER_SEARCH", false, 170}, {"BROWSER_FAVORTIES", false, 171},
    {"BROWSER_HOME", false, 172}, {"VOLUME_MUTE", false, 173}, {"VOLUME_DOWN", false, 174},
    {"VOLUME_UP", false, 175}, {"MEDIA_NEXT", false, 176}, {"MEDIA_PREV", false, 177}, {"MEDIA_STOP", false, 178},
    {"MEDIA_PLAY_PAUSE", false, 179}, {"LAUNCH_MAIL", false, 180}, {"LAUNCH_MEDIA", false, 181},
    {"LAUNCH_APP1", false, 182}, {"LAUNCH_APP2", false, 183},
    {"CTRLDOWN", true, kCtrlDown}, {"CTRLUP", true, kCtrlUp}, {"ALTDOWN", true, kAltDown}, {"ALTUP", true, kAltUp},
    {"SHIFTDOWN", true, kShiftDown}, {"SHIFTUP", true, kShiftUp}, {"LWINDOWN", true, kLWinDown},
    {"LWINUP", true, kLWinUp}, {"RWINDOWN", true, kRWinDown}, {"RWINUP", true, kRWinUp}, {"ASC", true, kAsc},
};

static_assert(sizeof kSendKeyNames / sizeof kSendKeyNames[0] == 93, "93 brace-token names");

const SendKeyName* FindSendKeyName(const char* name) {
  for (const SendKeyName& k : kSendKeyNames)
    if (_stricmp(k.name, name) == 0) return &k;
  return nullptr;
}

// Dead keys by index (a space: none) and the letters they combine with. Init re-reads the dead
// keys from the current layout, starting each time from these defaults.
const unsigned char kDeadKeyDefaults[8] = {' ', ' ', 0xB4, '^', '~', 0xA8, '`', ' '};
unsigned char g_DeadKeyTable[8] = {' ', ' ', 0xB4, '^', '~', 0xA8, '`', ' '};
const char kAccentLetters[16] = {' ', 'a', 'A', 'e', 'E', 'i', 'I', 'o', 'O', 'u', 'U', 'y', 'Y', 'n', 'N', ' '};

// How a Windows-1252 character 128-255 that the layout has no key for is typed: a code-page-437
// code typed with Alt + numpad digits, or 0x20-0x7F = dead key (high nibble) + letter (low
// nibble), or 0 = not at all.
struct ExtendedChar {
  unsigned char ch;
  unsigned char how;
};

const ExtendedChar kExtendedChars[] = {
    {0x83, 159}, {0xA1, 173}, {0xA2, 155}, {0xA3, 156}, {0xA5, 157}, {0xA6, 179}, {0xA7, 21}, {0xAA, 166},
    {0xAB, 174}, {0xAC, 170}, {0xB0, 248}, {0xB1, 241}, {0xB2, 253}, {0xB5, 230}, {0xB6, 20}, {0xB7, 250},
    {0xBA, 167}, {0xBB, 175}, {0xBC, 172}, {0xBD, 171}, {0xBF, 168}, {0xC4, 142}, {0xC5, 143}, {0xC6, 146},
    {0xC7, 128}, {0xC9, 144}, {0xD1, 165}, {0xD6, 153}, {0xDC, 154}, {0xDF, 225}, {0xE0, 133}, {0xE1, 160},
    {0xE2, 131}, {0xE4, 132}, {0xE5, 134}, {0xE6, 145}, {0xE7, 135}, {0xE8, 138}, {0xE9, 130}, {0xEA, 136},
    {0xEB, 137}, {0xEC, 141}, {0xED, 161}, {0xEE, 140}, {0xEF, 139}, {0xF1, 164}, {0xF2, 149}, {0xF3, 162},
    {0xF4, 147}, {0xF6, 148}, {0xF7, 246}, {0xF9, 151}, {0xFA, 163}, {0xFB, 150}, {0xFC, 129}, {0xFF, 152},
    // Accented letters that code page 437 lacks.
    {0xC0, 0x62}, {0xC1, 0x22}, {0xC2, 0x32}, {0xC3, 0x42}, {0xC8, 0x64}, {0xCA, 0x34}, {0xCB, 0x54},
    {0xCC, 0x66}, {0xCD, 0x26}, {0xCE, 0x36}, {0xCF, 0x56}, {0xD2, 0x68}, {0xD3, 0x28}, {0xD4, 0x38},
    {0xD5, 0x48}, {0xD9, 0x6A}, {0xDA, 0x2A}, {0xDB, 0x3A}, {0xDD, 0x2C}, {0xE3, 0x41}, {0xF5, 0x47},
    {0xFD, 0x2B},
};

unsigned char ExtendedCharWay(unsigned char ch) {
  for (const ExtendedChar& e : kExtendedChars)
    if (e.ch == ch) return e.how;
  return 0;
}

bool LayoutHasNoKey(SHORT scanResult) { return (scanResult & 0xFFFF) == 0xFFFF; }

// Repeat count of a brace token: a decimal number; 0 or less, or no number, count as 1.
int RepeatCount(const char* text) {
  int n = atoi(text);
  return n > 0 ? n : 1;
}

}  // namespace

CSendKeys::CSendKeys() { Init(); }

void CSendKeys::Init() {
  SendKeyDelay = 5;
  SendKeyDownDelay = 1;
  SendCapslockMode = 1;
  SendAttachMode = 0;
  PostToWindow = 0;
  Modifiers = 0;
  TargetWindow = nullptr;
  CInputSeam& in = Input();
  ScanCtrl = in.MapKey(VK_CONTROL, 0);
  ScanAlt = in.MapKey(VK_MENU, 0);
  ScanShift = in.MapKey(VK_SHIFT, 0);
  ScanLWin = in.MapKey(VK_LWIN, 0);

  // On an English layout accents are left out (the bare letter is typed); a German layout's
  // tilde is not a dead key.
  CString layout = in.LayoutName();
  CString region = layout.Right(2);
  memcpy(g_DeadKeyTable, kDeadKeyDefaults, sizeof g_DeadKeyTable);
  for (int i = 1; i < 8; ++i)
    if (region == "09" || LayoutHasNoKey(in.ScanChar(static_cast<char>(g_DeadKeyTable[i])))) g_DeadKeyTable[i] = ' ';
  if (region == "07") g_DeadKeyTable[4] = ' ';
}

void CSendKeys::Send(const char* keys, HWND target) { SendText(keys, target, false); }

void CSendKeys::SendRaw(const char* keys, HWND target) { SendText(keys, target, true); }

void CSendKeys::SendText(const char* keys, HWND target, bool raw) {
  if (!keys) keys = "";
  TargetWindow = target;
  AttachInput(target, true);
  int capsWasOn = 0;
  capsTokenUsed_ = false;
  if (SendCapslockMode == 1) capsWasOn = SetToggleState(VK_CAPITAL, false);

  int length = static_cast<int>(strlen(keys));
  int pos = 0;
  while (pos < length && !RunStopRequested()) {
    char ch = keys[pos++];
    if (raw) {
      SendChar(ch, 1);
      Modifiers &= kHeldMask;
      continue;
    }
    switch (ch) {
      case '!': Modifiers |= kAlt; break;
      case '+': Modifiers |= kShift; break;
      case '^': Modifiers |= kCtrl; break;
      case '#': Modifiers |= kWin; break;
      case '{': {
        CString token;
        int after = pos;
        if (ReadUntil('}', keys, token, after)) {
          SendBraceToken(token);
          pos = after;
          Modifiers &= kHeldMask;
        } else {
          // No closing brace: the brace is typed, and the modifiers that were pending carry on
          // to the next key as well (not the Shift that the layout needs for the brace).
          DWORD pending = Modifiers;
          SendChar('{', 1);
          Modifiers = pending | (Modifiers & kHeldMask);
        }
        break;
      }
      default:
        SendChar(ch, 1);
        Modifiers &= kHeldMask;
        break;
    }
  }

  // A text that sets CapsLock itself ("{CAPSLOCK on}") keeps the state it asked for.
  if (SendCapslockMode == 1 && !capsTokenUsed_) SetToggleState(VK_CAPITAL, capsWasOn != 0);
  AttachInput(target, false);
}

bool CSendKeys::ReadUntil(char terminator, const char* text, CString& buffer, int& position) {
  buffer.Empty();
  while (text[position] && text[position] != terminator) buffer += text[position++];
  if (text[position] == terminator && terminator) {
    ++position;
    return true;
  }
  return terminator == '\0';
}

void CSendKeys::SendBraceToken(const char* token) {
  CString text(token ? token : "");
  int space = text.Find(' ');
  CString name = space < 0 ? text : text.Left(space);
  CString parameter;
  if (space >= 0) {
    int i = space + 1;
    while (text[i] == ' ' || text[i] == '\t') ++i;
    parameter = text.Mid(i);
  }
  enum { kPress, kDown, kUp, kOn, kOff } action = kPress;
  int count = 1;
  if (parameter.CompareNoCase("down") == 0) action = kDown;
  else if (parameter.CompareNoCase("up") == 0) action = kUp;
  else if (parameter.CompareNoCase("on") == 0) action = kOn;
  else if (parameter.CompareNoCase("off") == 0) action = kOff;
  else count = RepeatCount(parameter);

  const SendKeyName* key = FindSendKeyName(name);
  if (!key) {
    // Any other name stands for its first character: "{a 5}", "{! 3}", "{{}", "{+}".
    char ch = name[0];
    if (action == kDown || action == kUp) {
      SHORT scan = Input().ScanChar(ch);
      if (LayoutHasNoKey(scan)) return;
      if (action == kDown) KeyDown(LOBYTE(scan));
      else KeyUp(LOBYTE(scan));
    } else {
      SendChar(ch, count);
    }
    return;
  }

  if (!key->special) {
    if (key->code == VK_CAPITAL) capsTokenUsed_ = true;
    switch (action) {
      case kDown: KeyDown(key->code); break;
      case kUp: KeyUp(key->code); break;
      case kOn: SetToggleState(key->code, true); break;
      case kOff: SetToggleState(key->code, false); break;
      case kPress: SendVk(key->code, count, false); break;
    }
    return;
  }

  struct Held {
    DWORD bit;
    int vk;
  };
  auto holdDown = [&](Held h) {
    if (Modifiers & h.bit) return;
    Modifiers |= h.bit;
    KeyDown(h.vk);
  };
  auto release = [&](Held h) {
    if (!(Modifiers & h.bit)) return;
    Modifiers &= ~h.bit;
    KeyUp(h.vk);
  };
  switch (key->code) {
    case kCtrlDown: holdDown({kHeldCtrl, VK_CONTROL}); break;
    case kCtrlUp: release({kHeldCtrl, VK_CONTROL}); break;
    case kShiftDown: holdDown({kHeldShift, VK_SHIFT}); break;
    case kShiftUp: release({kHeldShift, VK_SHIFT}); break;
    case kLWinDown: holdDown({kHeldLWin, VK_LWIN}); break;
    case kLWinUp: release({kHeldLWin, VK_LWIN}); break;
    case kRWinDown: holdDown({kHeldRWin, VK_RWIN}); break;
    case kRWinUp: release({kHeldRWin, VK_RWIN}); break;
    case kAltDown:
      // One-shot Alt as well, so that a posted Alt press goes out as WM_SYSKEYDOWN.
      if (Modifiers & kHeldAlt) break;
      Modifiers |= kHeldAlt | kAlt;
      KeyDown(VK_MENU);
      break;
    case kAltUp:
      if (!(Modifiers & kHeldAlt)) break;
      Modifiers &= ~kHeldAlt;
      Modifiers |= kAlt;
      KeyUp(VK_MENU);
      break;
    case kAltKey:
      if (Modifiers & kHeldAlt) break;
      Modifiers |= kAlt;
      if (action == kDown) KeyDown(VK_MENU);
      else if (action == kUp) KeyUp(VK_MENU);
      else PressKey(VK_MENU);
      break;
    case kNumpadEnter:
      if (action == kDown) KeyDown(VK_RETURN);
      else if (action == kUp) KeyUp(VK_RETURN);
      else SendVk(VK_RETURN, count, true);
      break;
    case kAsc: {
      CInputSeam& in = Input();
      HWND parent = TargetWindow ? GetParent(TargetWindow) : nullptr;
      if (parent && parent != GetForegroundWindow()) {
        ForceForegroundWindow(parent);
        in.Pause(250);
      }
      bool heldAlt = (Modifiers & kHeldAlt) != 0;
      if (!heldAlt) {
        in.KeybdEvent(VK_MENU, static_cast<BYTE>(ScanAlt), 0);
        in.Delay(SendKeyDownDelay);
      }
      // Only digits are keyed: anything else would land on unrelated virtual keys.
      for (int i = 0; i < parameter.GetLength(); ++i)
        if (parameter[i] >= '0' && parameter[i] <= '9') PressKey(VK_NUMPAD0 + (parameter[i] - '0'));
      if (!heldAlt) {
        in.KeybdEvent(VK_MENU, static_cast<BYTE>(ScanAlt), KEYEVENTF_KEYUP);
        in.Delay(SendKeyDelay);
      }
      break;
    }
  }
}

void CSendKeys::SendChar(char ch, int count) {
  SHORT scan = Input().ScanChar(ch);
  if (LayoutHasNoKey(scan)) {
    SendExtendedChar(ch);
    return;
  }
  SetModifierState(scan);
  PressModifiers();
  for (int i = 0; i < count && !RunStopRequested(); ++i) PressKey(LOBYTE(scan));
  ReleaseModifiers();
}

void CSendKeys::SendVk(int vk, int count, bool extended) {
  SetModifierState(0);
  PressModifiers();
  for (int i = 0; i < count && !RunStopRequested(); ++i) PressKey(vk, extended);
  ReleaseModifiers();
}

void CSendKeys::SendExtendedChar(char ch) {
  unsigned char code = static_cast<unsigned char>(ch);
  // Only 128-255 have a way; a character below that which the layout cannot type is not sent.
  if (code < 128) return;
  unsigned char how = ExtendedCharWay(code);
  if (how >= 0x20 && how <= 0x7F) {
    unsigned char dead = g_DeadKeyTable[how >> 4];
    if (dead != ' ') {
      SendChar(static_cast<char>(dead), 1);
      Modifiers &= kHeldMask;
    }
    SendChar(kAccentLetters[how & 0x0F], 1);
  } else if (how) {
    char token[16];
    snprintf(token, sizeof token, "ASC %d", how);
    SendBraceToken(token);
  }
  Modifiers &= kHeldMask;
}

void CSendKeys::SetModifierState(SHORT scanResult) {
  if (scanResult & 0x200) Modifiers |= kCtrl;
  if (scanResult & 0x400) Modifiers |= kAlt;
  if (scanResult & 0x100) Modifiers |= kShift;
  // A held modifier is down already.
  if (Modifiers & kHeldCtrl) Modifiers &= ~kCtrl;
  if (Modifiers & kHeldAlt) Modifiers &= ~kAlt;
  if (Modifiers & kHeldShift) Modifiers &= ~kShift;
  if (Modifiers & kHeldLWin) Modifiers &= ~kWin;

  struct Mod {
    int vk;
    DWORD held;
  } const mods[] = {{VK_CONTROL, kHeldCtrl}, {VK_MENU, kHeldAlt}, {VK_SHIFT, kHeldShift}, {VK_LWIN, kHeldLWin},
                    {VK_RWIN, kHeldRWin}};
  if (TargetWindow) {
    // The target thread must not see modifiers that are not part of this key.
    BYTE state[256];
    if (GetKeyboardState(state)) {
      for (const Mod& m : mods)
        if (!(Modifiers & m.held)) state[m.vk] = 0;
      SetKeyboardState(state);
    }
    return;
  }
  // Modifiers the user still holds (those of the hotkey that started the robot) are released
  // before keys are typed.
  CInputSeam& in = Input();
  for (const Mod& m : mods) {
    if (Modifiers & m.held) continue;
    if (in.AsyncKeyState(m.vk) < 0 || in.KeyState(m.vk) < 0) {
      // Alt released with no key pressed since it went down puts the window into its menu, and
      // so does Win for the Start menu: the robot's keys would go there. A press of a key that
      // no keyboard has, while the modifier is still down, makes the release an ordinary one.
      if (m.vk != VK_CONTROL && m.vk != VK_SHIFT) {
        in.KeybdEvent(kNeutralKey, 0, 0);
        in.KeybdEvent(kNeutralKey, 0, KEYEVENTF_KEYUP);
      }
      KeyUp(m.vk);
      in.Delay(SendKeyDelay);
    }
  }
}

void CSendKeys::PressModifiers() {
  CInputSeam& in = Input();
  if (Modifiers & kWin) in.KeybdEvent(VK_LWIN, static_cast<BYTE>(ScanLWin), 0);
  if (Modifiers & kShift) in.KeybdEvent(VK_SHIFT, static_cast<BYTE>(ScanShift), 0);
  if (Modifiers & kCtrl) in.KeybdEvent(VK_CONTROL, static_cast<BYTE>(ScanCtrl), 0);
  if (Modifiers & kAlt) in.KeybdEvent(VK_MENU, static_cast<BYTE>(ScanAlt), 0);
  in.Delay(SendKeyDownDelay);
}

void CSendKeys::ReleaseModifiers() {
  CInputSeam& in = Input();
  if (Modifiers & kAlt) in.KeybdEvent(VK_MENU, static_cast<BYTE>(ScanAlt), KEYEVENTF_KEYUP);
  if (Modifiers & kCtrl) in.KeybdEvent(VK_CONTROL, static_cast<BYTE>(ScanCtrl), KEYEVENTF_KEYUP);
  if (Modifiers & kShift) in.KeybdEvent(VK_SHIFT, static_cast<BYTE>(ScanShift), KEYEVENTF_KEYUP);
  if (Modifiers & kWin) in.KeybdEvent(VK_LWIN, static_cast<BYTE>(ScanLWin), KEYEVENTF_KEYUP);
  in.Delay(SendKeyDelay);
}

void CSendKeys::PressKey(int vk, bool extended) {
  KeyDown(vk, extended);
  Input().Delay(SendKeyDownDelay);
  KeyUp(vk, extended);
  Input().Delay(SendKeyDelay);
}

void CSendKeys::KeyDown(int vk, bool extended) { KeyEvent(vk, extended, false); }

void CSendKeys::KeyUp(int vk, bool extended) { KeyEvent(vk, extended, true); }

void CSendKeys::KeyEvent(int vk, bool extended, bool up) {
  CInputSeam& in = Input();
  UINT scan = in.MapKey(vk, 0);
  bool ext = extended || IsExtendedKey(vk);
  bool lockKey = vk == VK_CAPITAL || vk == VK_NUMLOCK || vk == VK_SCROLL;
  if (PostToWindow && TargetWindow && !lockKey) {
    LPARAM lParam = static_cast<LPARAM>((scan & 0xFF) << 16) | 1;
    if (up) lParam |= static_cast<LPARAM>(0xC0000000);
    if (ext) lParam |= 1 << 24;
    UINT message = up ? WM_KEYUP : WM_KEYDOWN;
    if ((Modifiers & kAlt) && !(Modifiers & kCtrl)) {
      message = up ? WM_SYSKEYUP : WM_SYSKEYDOWN;
      lParam |= 1 << 29;
    }
    in.PostKeyMessage(TargetWindow, message, static_cast<WPARAM>(vk), lParam);
    return;
  }
  in.KeybdEvent(static_cast<BYTE>(vk), static_cast<BYTE>(scan),
                (ext ? KEYEVENTF_EXTENDEDKEY : 0) | (up ? KEYEVENTF_KEYUP : 0));
  NoteKeyEvent(vk, ext, up);  // released at the end of the run if the script leaves it down
  TrackForeground();
}

void CSendKeys::TrackForeground() {
  // In background play the keys after the first go to the window that is in front now.
  if (PostToWindow) TargetWindow = GetForegroundWindow();
}

int CSendKeys::SetToggleState(int vk, bool on) {
  CInputSeam& in = Input();
  int wasOn = in.KeyState(vk) & 1;
  if (wasOn != (on ? 1 : 0)) {
    BYTE scan = static_cast<BYTE>(in.MapKey(vk, 0));
    in.KeybdEvent(static_cast<BYTE>(vk), scan, 0);
    in.Delay(SendKeyDownDelay);
    in.KeybdEvent(static_cast<BYTE>(vk), scan, KEYEVENTF_KEYUP);
    in.Delay(SendKeyDelay);
  }
  return wasOn;
}

void CSendKeys::ReleaseHeldModifiers() {
  struct Held {
    DWORD bit;
    int vk;
  } const held[] = {{kHeldAlt, VK_MENU}, {kHeldCtrl, VK_CONTROL}, {kHeldShift, VK_SHIFT},
                    {kHeldLWin, VK_LWIN}, {kHeldRWin, VK_RWIN}};
  for (const Held& h : held) {
    if (!(Modifiers & h.bit)) continue;
    Modifiers &= ~h.bit;
    KeyUp(h.vk);
  }
  Modifiers = 0;
}

void CSendKeys::AttachInput(HWND target, bool attach) {
  DWORD current = GetCurrentThreadId();
  if (attach) {
    attachedForeground_ = attachedTarget_ = false;
    if (!target && !SendAttachMode) return;
    foregroundThread_ = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    AttachThreadInput(current, foregroundThread_, TRUE);
    attachedForeground_ = true;
    if (target) {
      targetThread_ = GetWindowThreadProcessId(target, nullptr);
      AttachThreadInput(foregroundThread_, targetThread_, TRUE);
      AttachThreadInput(current, targetThread_, TRUE);
      attachedTarget_ = true;
    }
    return;
  }
  if (attachedTarget_) {
    AttachThreadInput(current, targetThread_, FALSE);
    AttachThreadInput(foregroundThread_, targetThread_, FALSE);
  }
  if (attachedForeground_) AttachThreadInput(current, foregroundThread_, FALSE);
  attachedForeground_ = attachedTarget_ = false;
}

bool CSendKeys::IsExtendedKey(int vk) {
  return (vk >= 33 && vk <= 40) || vk == 45 || vk == 46 || (vk >= 91 && vk <= 93) || vk == 95 || vk == 111 ||
         vk == 163 || (vk >= 165 && vk <= 183);
}

bool CSendKeys::ParseHotkey(const char* text, int& vk, bool& shift, bool& ctrl, bool& alt, bool& win) {
  shift = ctrl = alt = win = false;
  vk = 0;
  if (!text) return false;
  const char* p = text;
  for (;; ++p) {
    if (*p == '!') alt = true;
    else if (*p == '#') win = true;
    else if (*p == '+') shift = true;
    else if (*p == '^') ctrl = true;
    else break;
  }
  if (*p == '<') {
    const char* close = strchr(p + 1, '>');
    if (!close) return false;
    CString name(p + 1, static_cast<int>(close - p - 1));
    const SendKeyName* key = FindSendKeyName(name);
    if (!key || key->special) return false;
    vk = key->code & 0xFF;
    return true;
  }
  // Modifiers alone name no key.
  if (!*p) return false;
  SHORT scan = Input().ScanChar(*p);
  vk = LOBYTE(scan);
  if (scan & 0x200) ctrl = true;
  if (scan & 0x400) alt = true;
  if (scan & 0x100) shift = true;
  return true;
}

void ForceForegroundWindow(HWND hWnd) {
  HWND foreground = GetForegroundWindow();
  if (!foreground) foreground = FindWindowA("Shell_TrayWnd", nullptr);
  if (hWnd == foreground) return;
  if (IsIconic(hWnd)) ShowWindow(hWnd, SW_RESTORE);
  if (SetForegroundWindow(hWnd)) return;

  // Windows lets a thread that shares input with the foreground one change it.
  DWORD current = GetCurrentThreadId();
  DWORD windowThread = GetWindowThreadProcessId(hWnd, nullptr);
  DWORD foregroundThread = GetWindowThreadProcessId(foreground, nullptr);
  AttachThreadInput(current, windowThread, TRUE);
  AttachThreadInput(current, foregroundThread, TRUE);
  AttachThreadInput(foregroundThread, windowThread, TRUE);
  if (!SetForegroundWindow(hWnd)) {
    // An Alt press counts as user input, after which the change is allowed.
    CInputSeam& in = Input();
    BYTE scan = static_cast<BYTE>(in.MapKey(VK_MENU, 0));
    for (int i = 0; i < 2; ++i) {
      in.KeybdEvent(VK_MENU, scan, 0);
      in.KeybdEvent(VK_MENU, scan, KEYEVENTF_KEYUP);
    }
    SetForegroundWindow(hWnd);
  }
  AttachThreadInput(current, windowThread, FALSE);
  AttachThreadInput(current, foregroundThread, FALSE);
  AttachThreadInput(foregroundThread, windowThread, FALSE);
}
