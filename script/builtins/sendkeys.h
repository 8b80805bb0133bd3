// CSendKeys: turns send-keys notation ("^c", "+{TAB 3}", "{CTRLDOWN}") into synthesised keys.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

class CSendKeys {
public:
  // Modifiers: one-shot bits for the next key only, and held bits set by the ...DOWN tokens.
  enum : DWORD {
    kAlt = 0x1, kShift = 0x2, kCtrl = 0x4, kWin = 0x8,
    kHeldAlt = 0x10, kHeldShift = 0x20, kHeldCtrl = 0x40, kHeldLWin = 0x80, kHeldRWin = 0x100,
    kHeldMask = 0x1F0,
  };

  CSendKeys();

  // Back to the defaults: options, no modifiers, no target, not posting; reads the layout.
  void Init();

  // Sends a text in send-keys notation; with a target window, keys go to that window's thread
  // (and are posted to it in background play).
  void Send(const char* keys, HWND target = nullptr);
  // Sends every character literally: no modifiers, no brace tokens.
  void SendRaw(const char* keys, HWND target = nullptr);
  // The contents of one brace token: "ENTER", "TAB 3", "a down", "CAPSLOCK on", "ASC 233".
  void SendBraceToken(const char* token);
  void SendChar(char ch, int count);
  void SendVk(int vk, int count, bool extended);

  // The primitive key events (key down, key-down delay, key up, key delay for PressKey).
  void PressKey(int vk, bool extended = false);
  void KeyDown(int vk, bool extended = false);
  void KeyUp(int vk, bool extended = false);
  // Switches a toggling key (CapsLock, NumLock, ScrollLock) on or off; the previous state (0/1).
  int SetToggleState(int vk, bool on);
  // Releases the modifiers that ...DOWN tokens left held (a run that ends must not leave them).
  void ReleaseHeldModifiers();

  // "^+<F2>", "!a": the virtual key and the modifiers of a hotkey in key notation; false when
  // the text names no key.
  // The key pressed between a held Alt or Win and its release: a virtual key no keyboard sends.
  static constexpr BYTE kNeutralKey = 0xE8;

  static bool ParseHotkey(const char* text, int& vk, bool& shift, bool& ctrl, bool& alt, bool& win);
  static bool IsExtendedKey(int vk);

  DWORD GetModifiers() const { return Modifiers; }
  HWND GetTargetWindow() const { return TargetWindow; }

  // Options (RUVEROSETOPTION/OPT) and the background flag of the run.
  int SendKeyDelay;       // ms after every key release and after releasing modifiers
  int SendKeyDownDelay;   // ms between a key's press and release, and after pressing modifiers
  BYTE SendCapslockMode;  // 1: CapsLock is off while a text is sent, then put back
  BYTE SendAttachMode;    // 1: attach to the foreground thread even without a target window
  BOOL PostToWindow;      // background play: key messages are posted to the target window

private:
  void SendText(const char* keys, HWND target, bool raw);
  void AttachInput(HWND target, bool attach);
  void SetModifierState(SHORT scanResult);
  void PressModifiers();
  void ReleaseModifiers();
  void TrackForeground();
  void SendExtendedChar(char ch);
  void KeyEvent(int vk, bool extended, bool up);
  static bool ReadUntil(char terminator, const char* text, CString& buffer, int& position);

  DWORD Modifiers;
  HWND TargetWindow;
  DWORD ScanCtrl, ScanAlt, ScanShift, ScanLWin;

  // Threads attached for the send in progress.
  DWORD foregroundThread_ = 0;
  DWORD targetThread_ = 0;
  bool attachedForeground_ = false;
  bool attachedTarget_ = false;
  bool capsTokenUsed_ = false;  // the text in progress switched CapsLock itself
};

// Brings a window to the foreground, attaching to the threads involved when Windows refuses.
void ForceForegroundWindow(HWND hWnd);
