// CTrayIcon: the program's icon in the notification area, with its own hidden window for the
// icon's messages and the tray menu (Show, Hide, Show Help, About, Exit) acting on its owner,
// the main dialog.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <map>

#include "framework/ui.h"

// The notification-area callback message of the icon.
constexpr UINT WM_TRAY_NOTIFY = WM_APP + 1;

class CTrayIcon : public CWnd {
public:
  CTrayIcon();
  ~CTrayIcon() override;

  void SetInstance(HINSTANCE instance) { instance_ = instance; }
  void SetMenuId(UINT id) { menuId_ = id; }
  void SetTooltipText(const char* text) { tooltip_ = text; }
  void SetOwner(CWnd* owner) { owner_ = owner; }
  // Loads an icon resource and keeps it under the type; FALSE when it cannot be loaded.
  BOOL LoadIconForType(UINT iconId, UINT type);
  // The icon's own window: a hidden child of the owner.
  BOOL CreateNotifyWindow(CWnd* owner);
  // Adds the icon of the type to the notification area; FALSE without icon or window.
  BOOL AddIcon(UINT type);
  BOOL RemoveIcon();
  BOOL IsAdded() const { return added_; }
  // The record given to the shell by the last AddIcon.
  const NOTIFYICONDATAA& GetNotifyData() const { return data_; }

  virtual void OnTrayLButtonDown();
  virtual void OnTrayRButtonDown();
  virtual void OnTrayCommand(UINT id);
  virtual BOOL ShowTrayMenu();

protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnTrayNotification(WPARAM wParam, LPARAM lParam);
  void OnTimer(UINT_PTR id);
  DECLARE_MESSAGE_MAP()

private:
  void ShowOwner(int show);

  NOTIFYICONDATAA data_;
  std::map<UINT, HICON> icons_;
  CString tooltip_;
  UINT menuId_ = 0;
  HINSTANCE instance_ = nullptr;
  CWnd* owner_ = nullptr;
  BOOL added_ = FALSE;
  HWND standIn_ = nullptr;  // the window that holds the focus for the menu while it shows
};
