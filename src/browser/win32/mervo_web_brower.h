// CMervoWebBrower: the client's working window (dialog 130). A caption-less window with its
// own title strip of PNG buttons over the hosted browser; it drags by any free point, enlarges
// on a double-click, hides in the tray when minimised or closed, and answers the control's
// events through the navigation policy.
#pragma once

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <string>

#include "browser/browser_layout.h"
#include "browser/navigation_policy.h"
#include "browser/platform_watch.h"
#include "browser/win32/com.h"
#include "browser/win32/explorer1.h"
#include "platform/win32/scoped.h"
#include "ui/win32/png_button.h"
#include "ui/win32/skin_dialog.h"

namespace lirra::win {

class CWebBrowserEvents;

// The tray icon's callback message.
inline constexpr UINT WM_TRAYNOTIFY = WM_USER + 1;

class CMervoWebBrower : public CSkinDialog, private browser::IBrowserHost {
 public:
  CMervoWebBrower();
  ~CMervoWebBrower() override;

  void PlaceDefault();
  void ToggleMaximize();
  void RemoveTrayIcon();
  void NavigateSilently(const std::wstring& url) override;

 protected:
  // Shell_NotifyIconW; the window tests stand in a tray that refuses.
  virtual BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data);
  // browser::IBrowserHost; the window tests also note where it went.
  void NavigateOwnPage(const std::wstring& url) override;
  BOOL OnInitDialog() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnShowWindow(bool show) override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) override;
  bool OnEraseBkgnd(HDC dc) override;
  void OnDestroy() override;

 private:
  // browser::IBrowserHost
  void SetTitleText(const std::wstring& text) override;
  void EnableBackButton(bool enable) override;
  void EnableForwardButton(bool enable) override;
  void RunScriptInTopDocument(const std::wstring& code, const std::wstring& language) override;
  void StartTimer(browser::WatchTimer timer, unsigned ms) override;
  void StopTimer(browser::WatchTimer timer) override;

  void OnFirstShow();
  void OnSize(UINT type, int cx, int cy);
  LRESULT OnTrayNotify(UINT iconId, UINT mouseMessage);
  void ShowTrayMenu();
  void RestoreFromTray();
  void CreateTips();
  void UpdateMaximizeTip();
  void MinimizeToTray();
  // True when the icon is in the tray (added now or before).
  bool AddTrayIcon();
  void OnTaskbarCreated();
  // The session ends: what the tray menu's exit cleans up, then the dialog ends.
  void OnEndSession();
  void RestoreDoubleClickTime();
  void HideAboutPopup();
  void ToggleAboutPopup();
  void OpenDriverManager();
  void OpenAboutBox();
  void Place(const ui::ControlPlace& place);
  void SetMaximizePictures();
  CPngButton* Button(int id);
  browser::ScreenMetrics Screen() const;
  // Hands keys and mouse messages of the page to the control (see the .cpp).
  bool PreTranslateMessage(MSG& msg);
  static LRESULT CALLBACK MessageFilterProc(int code, WPARAM wParam, LPARAM lParam);

  HICON m_hIcon = nullptr;  // shared icon from LoadIcon: not destroyed
  CExplorer1 m_browser;
  CPngButton m_btnClose;
  CPngButton m_btnMax;
  CPngButton m_btnMin;
  CPngButton m_btnDriver;
  CPngButton m_btnRefresh;
  CPngButton m_btnForward;
  CPngButton m_btnBack;
  CPngButton m_btnLogo;
  CPngButton m_btnAbout;
  ScopedFont m_fontTitle;
  HWND m_hTips = nullptr;  // owned by this window: destroyed with it
  // The first show's work (settings, placement, start page) runs once: later shows come back
  // from the tray.
  bool m_bFirstShowDone = false;
  bool m_bMaximized = false;
  bool m_bMaxPicturesEnlarged = false;  // which pictures button 1008 holds
  bool m_bAboutShown = false;
  bool m_bInTray = false;
  NOTIFYICONDATAW m_nid = {};
  // Declared before the policy, which holds it.
  browser::CPlatformWatch m_watch;
  browser::CNavigationPolicy m_policy;
  ComPtr<CWebBrowserEvents> m_events;
  ScopedHook m_messageFilter;
  UINT m_uTaskbarCreated = 0;
  // The user's double-click time before the first show set ours; 0 when we set none.
  UINT m_uPreviousDoubleClickTime = 0;
};

}  // namespace lirra::win
