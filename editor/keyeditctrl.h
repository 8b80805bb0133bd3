// CKeyEditCtrl: the field in which the user sets a hotkey by pressing it. It shows the key
// combination as hotkey display text and never takes typed characters.
#pragma once

#include "framework/ui.h"

class CKeyEditCtrl : public CEdit {
public:
  // Restricted mode: modifiers are shown, and keys that cannot be hotkeys show "None".
  void SetRestricted(BOOL restricted) { m_Restricted = restricted; }
  BOOL IsRestricted() const { return m_Restricted; }
  // The text a key press gives, with the modifier states as given.
  static CString KeyText(UINT vk, BOOL restricted, bool ctrl, bool shift, bool alt);
  static bool IsRefusedKey(UINT vk);

  // Back to the key the field had before the modifiers now shown were pressed: Tab leaves the
  // field, or a hotkey of the system (Ctrl+Alt+R starts a recording) took the key they were for.
  void RestoreKeyBeforeModifiers();

  BOOL PreTranslateMessage(MSG* msg) override;

protected:
  void OnChar(UINT ch, UINT repeat, UINT flags);
  DECLARE_MESSAGE_MAP()

private:
  BOOL m_Restricted = FALSE;
  // The text the field had before the modifiers now held were pressed: Shift+Tab puts it back,
  // since Tab and Shift+Tab only move the focus.
  CString m_TextBeforeModifiers;
  bool m_ModifiersShown = false;
};
