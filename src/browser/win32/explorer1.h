// CExplorer1: the browser window's handle on the WebBrowser control (Internet Explorer's
// engine). The control lives in a window of atl.dll's host class "AtlAxWin", made from the
// dialog template or by Create; this class drives it through IWebBrowser2 and connects the
// event sink. Every call reports whether the control accepted it.
//
// atl.dll's host was chosen over an OLE container of our own: every Windows from XP on ships
// it, it does the in-place activation, focus and sizing of the control, and it answers
// WM_FORWARDMSG by handing keys to the control's TranslateAccelerator.
//
// The control's site also hands out our own security manager (browser_services.h), so that
// only the operator's pages may run the card-reader plug-ins; how it gets there is in the .cpp.
#pragma once

#include <windows.h>
// after windows.h
#include <exdisp.h>

#include <string>

#include "browser/win32/browser_services.h"
#include "browser/win32/com.h"

namespace lirra::win {

class CExplorer1 {
 public:
  // The host window class; its window text names the control.
  static constexpr wchar_t kHostClass[] = L"AtlAxWin";
  static constexpr wchar_t kWebBrowserClsid[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";

  CExplorer1() = default;
  ~CExplorer1() { Detach(); }
  CExplorer1(const CExplorer1&) = delete;
  CExplorer1& operator=(const CExplorer1&) = delete;

  // Loads atl.dll and registers its host class, once per process; false without it.
  static bool RegisterHostClass();

  // Creates the control as a child window by code; the class name and context are ignored.
  bool Create(const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect, HWND parent, UINT id,
              void* context);
  // Takes the control of an existing host window (one from a dialog template).
  bool Attach(HWND host);
  // Takes a control object (the one in `host`, or a stand-in for tests); false when it is no
  // WebBrowser. With a host window, the control's site hands out our security manager.
  bool AttachControl(IUnknown* control, HWND host);
  void Detach();
  HWND GetSafeHwnd() const { return m_hWnd; }
  bool HasControl() const { return static_cast<bool>(m_browser); }

  bool GoBack();
  bool GoForward();
  bool Refresh();
  // Loads the URL in the main frame with the given BrowserNavConstants (none by default) and no
  // frame, post data or headers.
  bool Navigate(const std::wstring& url, long flags = 0);
  // Whether a browser object of an event is the control itself, not one of its frames.
  bool IsControl(IDispatch* browserObject) const;
  bool SetSilent(bool silent);
  // The top-level document, or empty.
  ComPtr<IDispatch> GetDocument();

  // Connects a DWebBrowserEvents2 sink; it stays connected until Detach.
  bool ConnectEvents(IDispatch* sink);

 private:
  void DisconnectEvents();
  // Makes the control's client site answer SID_SInternetSecurityManager with ours; false when
  // no way worked (the control then keeps Windows' own decisions).
  bool ProvideSecurityManager(HWND host, IUnknown* control);
  bool SetOuterSiteOfHost(HWND host, IUnknown* control);
  bool StandInFrontOfSite(HWND host, IUnknown* control);
  bool SiteAnswersWithOurs(IUnknown* control) const;

  HWND m_hWnd = nullptr;
  ComPtr<CBrowserServices> m_services;
  ComPtr<IObjectWithSite> m_hostWithSite;  // atl.dll's host, whose outer site m_services is
  ComPtr<IWebBrowser2> m_browser;
  ComPtr<IConnectionPoint> m_events;
  DWORD m_dwEventsCookie = 0;
};

}  // namespace lirra::win
