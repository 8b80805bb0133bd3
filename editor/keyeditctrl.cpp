// The hotkey entry field.
#include "editor/keyeditctrl.h"

#include "robot/keynames.h"

BEGIN_MESSAGE_MAP(CKeyEditCtrl, CEdit)
  ON_WM_CHAR()
END_MESSAGE_MAP()

bool CKeyEditCtrl::IsRefusedKey(UINT vk) {
  static const struct {
    UINT first, last;
  } kRefused[] = {{3, 3},     {5, 6},     {8, 9},     {12, 13},   {19, 21},   {23, 23},   {25, 25},
                  {27, 31},   {33, 34},   {42, 44},   {46, 47},   {91, 93},   {95, 105},  {144, 144},
                  {146, 150}, {166, 183}, {225, 231}, {233, 236}, {239, 251}, {253, 254}};
  for (const auto& r : kRefused)
    if (vk >= r.first && vk <= r.last) return true;
  return false;
}

CString CKeyEditCtrl::KeyText(UINT vk, BOOL restricted, bool ctrl, bool shift, bool alt) {
  CString name = KeyCodeToName(static_cast<int>(vk));
  if (!restricted) return name;
  if (IsRefusedKey(vk)) return "None";
  if (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU) name.Empty();
  CString prefix;
  if (ctrl) prefix += "Ctrl + ";
  if (shift) prefix += "Shift + ";
  if (alt) prefix += "Alt + ";
  return prefix + name;
}

BOOL CKeyEditCtrl::PreTranslateMessage(MSG* msg) {
  if (msg->hwnd == m_hWnd && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN)) {
    auto down = [](int vk) { return (::GetKeyState(vk) & 0xFF00) != 0; };
    UINT vk = static_cast<UINT>(msg->wParam);
    bool ctrl = down(VK_CONTROL), alt = down(VK_MENU);
    if (vk == VK_TAB && !ctrl && !alt) {
      // Tab and Shift+Tab leave the field for the next one with its key as it was.
      RestoreKeyBeforeModifiers();
    } else {
      bool modifier = vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU;
      if (modifier && !m_ModifiersShown) m_TextBeforeModifiers = GetWindowText();
      m_ModifiersShown = modifier;
      SetWindowText(KeyText(vk, m_Restricted, ctrl, down(VK_SHIFT), alt));
    }
  }
  return CEdit::PreTranslateMessage(msg);
}

void CKeyEditCtrl::RestoreKeyBeforeModifiers() {
  if (m_ModifiersShown) SetWindowText(m_TextBeforeModifiers);
  m_ModifiersShown = false;
}

// Typed characters never reach the field: it shows key names only.
void CKeyEditCtrl::OnChar(UINT, UINT, UINT) {}
