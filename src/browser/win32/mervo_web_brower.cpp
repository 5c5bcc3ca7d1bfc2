// The browser window runs modally in DialogBoxParam's loop, which has no place for a
// pre-translation step; a WH_MSGFILTER hook sees every message that loop hands to
// IsDialogMessage, so the page gets its keys before the dialog manager does.
#include "browser/win32/mervo_web_brower.h"

#include <commctrl.h>

#include <algorithm>

// after windows.h
#include <exdisp.h>
#include <shlwapi.h>

#include "browser/engine_settings.h"
#include "browser/tray_icon.h"
#include "browser/win32/browser_events.h"
#include "browser/win32/html_document.h"
#include "drivers/win32/driver_manager_dlg.h"
#include "platform/utf8.h"
#include "resource.h"
#include "ui/dpi_scale.h"
#include "ui/skin_files.h"
#include "ui/skin_layout.h"
#include "ui/win32/about_dlg.h"
#include "ui/win32/activation.h"

namespace lirra::win {
namespace {

const wchar_t kTrayTip[] = L"双击使用Lirra·商户\r\n右击关闭Lirra.商户";
constexpr int kTitleFontTenths = 100;
constexpr UINT WM_FORWARDMSG = 0x037F;
constexpr UINT kDoubleClickMs = 300;

// The window whose messages the filter hook pre-translates.
CMervoWebBrower* g_pFiltering = nullptr;

// The timers of the platform watch; ids of their own, apart from any a base class sets.
constexpr UINT_PTR kLoadWatchTimerId = 0x4C01;
constexpr UINT_PTR kRetryTimerId = 0x4C02;
constexpr DWORD kMaxUrl = 2084;  // INTERNET_MAX_URL_LENGTH

UINT_PTR TimerId(browser::WatchTimer timer) {
  return timer == browser::WatchTimer::kLoad ? kLoadWatchTimerId : kRetryTimerId;
}

// Our pages come from res\ beside the client (not the current folder, which the skin uses):
// the engine needs them by a full URL.
std::wstring LocalPagesFolderUrl() {
  wchar_t module[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::wstring folder(module, length);
  folder = folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"res\\";
  wchar_t url[kMaxUrl] = {};
  DWORD size = kMaxUrl;
  if (FAILED(UrlCreateFromPathW(folder.c_str(), url, &size, 0))) return {};
  return url;
}

bool IsKeyboardOrMouse(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

}  // namespace

CMervoWebBrower::CMervoWebBrower()
    : CSkinDialog(IDD_BROWSER),
      m_watch(*this, browser::BuiltInOwnPages(), browser::LoginUrl(), browser::CLocalPages(LocalPagesFolderUrl())),
      m_policy(*this, browser::PrimaryDomain(), browser::PaymentDomain(), &m_watch) {
  m_hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP));
  // The template's control 1007 is a window of atl.dll's host class.
  CExplorer1::RegisterHostClass();
}

CMervoWebBrower::~CMervoWebBrower() = default;

BOOL CMervoWebBrower::OnInitDialog() {
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  m_nid.cbSize = sizeof(m_nid);
  m_nid.hWnd = m_hWnd;
  m_nid.uID = browser::kTrayIconId;
  m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  m_nid.uCallbackMessage = WM_TRAYNOTIFY;
  m_nid.hIcon = m_hIcon;
  lstrcpynW(m_nid.szTip, kTrayTip, ARRAYSIZE(m_nid.szTip));
  m_fontTitle.Reset(CreatePointFont(kTitleFontTenths, ui::kSkinFontFace));
  SendDlgItemMessageW(m_hWnd, IDC_BROWSER_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(m_fontTitle.Get()), FALSE);
  m_uTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");

  for (int id : {IDC_BROWSER_CLOSE, IDC_BROWSER_MAX, IDC_BROWSER_MIN, IDC_BROWSER_DRIVER, IDC_BROWSER_REFRESH,
                 IDC_BROWSER_FORWARD, IDC_BROWSER_BACK, IDC_BROWSER_LOGO, IDC_BROWSER_ABOUT})
    Button(id)->Attach(GetDlgItem(id));
  CreateTips();
  if (m_browser.Attach(GetDlgItem(IDC_BROWSER_CONTROL))) {
    m_events = ComPtr<CWebBrowserEvents>(new CWebBrowserEvents(m_policy, &m_browser));
    m_browser.ConnectEvents(m_events.Get());
  }
  g_pFiltering = this;
  m_messageFilter.Reset(
      SetWindowsHookExW(WH_MSGFILTER, &CMervoWebBrower::MessageFilterProc, nullptr, GetCurrentThreadId()));
  return TRUE;
}

void CMervoWebBrower::OnDestroy() {
  KillTimer(m_hWnd, kLoadWatchTimerId);
  KillTimer(m_hWnd, kRetryTimerId);
  m_messageFilter.Reset();
  if (g_pFiltering == this) g_pFiltering = nullptr;
  // The icon must not outlive its window, nor our double-click time the client.
  if (m_bInTray) RemoveTrayIcon();
  RestoreDoubleClickTime();
  m_browser.Detach();
  m_events.Reset();
}

CPngButton* CMervoWebBrower::Button(int id) {
  switch (id) {
    case IDC_BROWSER_CLOSE:
      return &m_btnClose;
    case IDC_BROWSER_MAX:
      return &m_btnMax;
    case IDC_BROWSER_MIN:
      return &m_btnMin;
    case IDC_BROWSER_DRIVER:
      return &m_btnDriver;
    case IDC_BROWSER_REFRESH:
      return &m_btnRefresh;
    case IDC_BROWSER_FORWARD:
      return &m_btnForward;
    case IDC_BROWSER_BACK:
      return &m_btnBack;
    case IDC_BROWSER_LOGO:
      return &m_btnLogo;
    default:
      return &m_btnAbout;
  }
}

void CMervoWebBrower::OnShowWindow(bool show) {
  if (!show || m_bFirstShowDone) return;
  m_bFirstShowDone = true;
  OnFirstShow();
}

void CMervoWebBrower::OnFirstShow() {
  CEngineSettings::ApplyBrowserSettings();
  RECT window;
  GetWindowRect(m_hWnd, &window);
  for (const auto& [id, pictures] : browser::TitleStripPictures()) Button(id)->SetImages(pictures);
  for (const ui::ControlPlace& place :
       browser::FirstShowPlaces(window.right - window.left, window.bottom - window.top, m_nDpi))
    Place(place);
  ShowWindow(m_btnAbout.GetSafeHwnd(), SW_HIDE);
  m_bAboutShown = false;
  LoadBackground(ui::kSkinTitleStripBackground);
  PlaceDefault();
  NavigateSilently(browser::LoginUrl());
  // System-wide, as the shop's other programs have always seen it with this client; the user's
  // own time comes back when the client ends.
  const UINT previous = GetDoubleClickTime();
  if (SetDoubleClickTime(kDoubleClickMs) && previous != kDoubleClickMs) m_uPreviousDoubleClickTime = previous;
  SetAppTitle(m_hWnd);
}

// One tooltip control names the command of every icon of the strip.
void CMervoWebBrower::CreateTips() {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  m_hTips =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!m_hTips) return;
  for (const auto& [id, tip] : browser::TitleStripTips(false)) {
    TTTOOLINFOW tool = {};
    // The size every comctl32 since Windows 2000 knows, with or without the version 6 manifest.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_hWnd;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(id));
    tool.lpszText = const_cast<wchar_t*>(tip);
    SendMessageW(m_hTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void CMervoWebBrower::UpdateMaximizeTip() {
  if (!m_hTips) return;
  for (const auto& [id, tip] : browser::TitleStripTips(m_bMaximized)) {
    if (id != IDC_BROWSER_MAX) continue;
    TTTOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = m_hWnd;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(id));
    tool.lpszText = const_cast<wchar_t*>(tip);
    SendMessageW(m_hTips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void CMervoWebBrower::Place(const ui::ControlPlace& place) {
  // A minimised window reports a zero client size; nothing gets a negative one.
  SetWindowPos(GetDlgItem(place.id), nullptr, place.rect.x, place.rect.y, std::max(0, place.rect.cx),
               std::max(0, place.rect.cy), SWP_NOZORDER | SWP_NOACTIVATE);
}

// The work area of the monitor the window is (mostly) on: not under its taskbar, wherever that
// is, and on the monitor the user dragged the window to.
browser::ScreenMetrics CMervoWebBrower::Screen() const {
  RECT work = WorkArea();
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  if (GetMonitorInfoW(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor)) work = monitor.rcWork;
  return {{work.left, work.top, work.right - work.left, work.bottom - work.top}};
}

void CMervoWebBrower::PlaceDefault() {
  const ui::Rect rc = browser::DefaultPlacement(Screen(), m_nDpi);
  MoveWindow(m_hWnd, rc.x, rc.y, rc.cx, rc.cy, TRUE);
}

void CMervoWebBrower::ToggleMaximize() {
  HideAboutPopup();
  if (m_bMaximized) {
    ShowWindow(m_hWnd, SW_SHOWNORMAL);
    PlaceDefault();
    m_bMaximized = false;
  } else {
    const ui::Rect rc = browser::EnlargedPlacement(Screen());
    MoveWindow(m_hWnd, rc.x, rc.y, rc.cx, rc.cy, TRUE);
    m_bMaximized = true;
  }
  SetMaximizePictures();
}

void CMervoWebBrower::SetMaximizePictures() {
  if (m_bMaxPicturesEnlarged == m_bMaximized) return;
  m_bMaxPicturesEnlarged = m_bMaximized;
  m_btnMax.SetImages(browser::MaximizePictures(m_bMaximized));
  UpdateMaximizeTip();
  // New pictures are not drawn by themselves; the strip under the button goes first.
  RECT rc;
  GetWindowRect(m_btnMax.GetSafeHwnd(), &rc);
  MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
  RedrawWindow(m_hWnd, &rc, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CMervoWebBrower::OnSize(UINT type, int cx, int cy) {
  if (m_browser.GetSafeHwnd() || GetDlgItem(IDC_BROWSER_CONTROL)) {
    RECT window;
    GetWindowRect(m_hWnd, &window);
    SetMaximizePictures();
    for (const ui::ControlPlace& place : browser::ResizePlaces(window.right - window.left, cx, cy, m_nDpi))
      Place(place);
    SetDlgItemTextW(m_hWnd, IDC_BROWSER_TITLE, browser::kNormalTitle);
  }
  // Hidden only behind an icon that is really in the tray; without one the window stays
  // minimised on the taskbar, where the user finds it again.
  if (type == SIZE_MINIMIZED && AddTrayIcon()) ShowWindow(m_hWnd, SW_HIDE);
}

bool CMervoWebBrower::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_SIZE) {
    OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
    return false;
  }
  if (message == WM_NCLBUTTONDBLCLK) {
    ToggleMaximize();
    return false;
  }
  if (message == WM_TIMER && (wParam == kLoadWatchTimerId || wParam == kRetryTimerId)) {
    // One-shot: the watch starts the next one itself.
    KillTimer(m_hWnd, wParam);
    m_watch.OnTimer(wParam == kLoadWatchTimerId ? browser::WatchTimer::kLoad : browser::WatchTimer::kRetry);
    result = 0;
    return true;
  }
  if (message == WM_TRAYNOTIFY) {
    result = OnTrayNotify(static_cast<UINT>(wParam), static_cast<UINT>(lParam));
    return true;
  }
  if (message == ActivateClientMessage()) {
    // A second start of the client: out of the tray if it sits there, and to the front.
    if (!IsWindowVisible(m_hWnd)) {
      ShowWindow(m_hWnd, SW_SHOWNORMAL);
      if (m_bInTray) RemoveTrayIcon();
    }
    BringForward(m_hWnd);
    result = 0;
    return true;
  }
  if (m_uTaskbarCreated && message == m_uTaskbarCreated) {
    OnTaskbarCreated();
    return false;
  }
  if (message == WM_QUERYENDSESSION) {
    result = TRUE;
    return true;
  }
  if (message == WM_ENDSESSION) {
    if (wParam) OnEndSession();
    result = 0;
    return true;
  }
  return CSkinDialog::OnMessage(message, wParam, lParam, result);
}

bool CMervoWebBrower::OnCommand(int id, int code, HWND control) {
  switch (id) {
    case IDC_BROWSER_BACK:
      HideAboutPopup();
      m_browser.GoBack();
      return true;
    case IDC_BROWSER_FORWARD:
      HideAboutPopup();
      m_browser.GoForward();
      return true;
    case IDC_BROWSER_REFRESH:
      HideAboutPopup();
      // On our page the reload is a retry: reloading the page itself would bring nothing back.
      if (!m_watch.OnReload()) m_browser.Refresh();
      return true;
    case IDC_BROWSER_DRIVER:
      HideAboutPopup();
      OpenDriverManager();
      return true;
    case IDC_BROWSER_MIN:
      HideAboutPopup();
      MinimizeToTray();
      return true;
    case IDC_BROWSER_CLOSE:
      MinimizeToTray();
      return true;
    case IDC_BROWSER_MAX:
      ToggleMaximize();
      return true;
    case IDC_BROWSER_LOGO:
      ToggleAboutPopup();
      return true;
    case IDC_BROWSER_ABOUT:
      HideAboutPopup();
      OpenAboutBox();
      return true;
    case ID_TRAY_OPEN:
      RestoreFromTray();
      return true;
    case ID_TRAY_ABOUT:
      OpenAboutBox();
      return true;
    case ID_TRAY_EXIT:
      // Ends the window's modal loop, so the control, the tray icon and the libraries are taken
      // down by their owners on the way out of the client.
      RemoveTrayIcon();
      RestoreDoubleClickTime();
      EndDialog(0);
      return true;
    case IDCANCEL:
      // Esc (once a strip button has the focus) and Alt+F4 or any other close request: to the
      // tray, as the close button does. Only the tray menu's exit (or the session's end) ends
      // the client and the shop session with it.
      MinimizeToTray();
      return true;
    case IDOK:
      // Enter belongs to the page; it never ends the window either.
      return true;
    default:
      return CSkinDialog::OnCommand(id, code, control);
  }
}

void CMervoWebBrower::OpenDriverManager() {
  CmervoDrviceManageDlg manager;
  // Opened from here, its close button only closes it. Owned by this window, which is disabled
  // meanwhile, so a second manager (and a second install run) can't be opened beside it.
  manager.m_bFromStartup = false;
  manager.DoModal(m_hWnd);
}

void CMervoWebBrower::OpenAboutBox() {
  CAboutDlg about;
  about.DoModal(m_hWnd);
}

void CMervoWebBrower::HideAboutPopup() {
  ShowWindow(m_btnAbout.GetSafeHwnd(), SW_HIDE);
  m_bAboutShown = false;
}

void CMervoWebBrower::ToggleAboutPopup() {
  if (m_bAboutShown) {
    HideAboutPopup();
    return;
  }
  // The pop-up lies over the browser, which comes first in the template and so on top.
  SetWindowPos(m_btnAbout.GetSafeHwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ShowWindow(m_btnAbout.GetSafeHwnd(), SW_SHOWNORMAL);
  m_bAboutShown = true;
}

void CMervoWebBrower::MinimizeToTray() {
  // Already minimised on the taskbar (an earlier add failed): no WM_SIZE comes, so try here.
  const bool onTaskbar = IsWindowVisible(m_hWnd) && IsIconic(m_hWnd);
  // Otherwise the WM_SIZE of the minimise adds the icon and hides the window.
  ShowWindow(m_hWnd, SW_SHOWMINIMIZED);
  if (onTaskbar && AddTrayIcon()) ShowWindow(m_hWnd, SW_HIDE);
}

bool CMervoWebBrower::AddTrayIcon() {
  if (!m_bInTray) m_bInTray = NotifyIcon(NIM_ADD, &m_nid) != FALSE;
  return m_bInTray;
}

BOOL CMervoWebBrower::NotifyIcon(DWORD message, NOTIFYICONDATAW* data) { return Shell_NotifyIconW(message, data); }

// Explorer (re)started: the icon it showed is gone, and a tray that refused the icon before may
// take it now.
void CMervoWebBrower::OnTaskbarCreated() {
  const bool wasInTray = m_bInTray;
  m_bInTray = false;
  if (!wasInTray && !(IsWindowVisible(m_hWnd) && IsIconic(m_hWnd))) return;
  if (AddTrayIcon()) {
    if (IsIconic(m_hWnd)) ShowWindow(m_hWnd, SW_HIDE);
  } else if (!IsWindowVisible(m_hWnd)) {
    // Hidden behind an icon that is no more: back on the taskbar.
    ShowWindow(m_hWnd, SW_SHOWMINNOACTIVE);
  }
}

void CMervoWebBrower::OnEndSession() {
  if (m_bInTray) RemoveTrayIcon();
  RestoreDoubleClickTime();
  EndDialog(IDCANCEL);
}

void CMervoWebBrower::RestoreDoubleClickTime() {
  // Unless the user has chosen another time since.
  if (m_uPreviousDoubleClickTime && GetDoubleClickTime() == kDoubleClickMs)
    SetDoubleClickTime(m_uPreviousDoubleClickTime);
  m_uPreviousDoubleClickTime = 0;
}

void CMervoWebBrower::RemoveTrayIcon() {
  NOTIFYICONDATAW nid = {};
  nid.cbSize = sizeof(nid);
  nid.hWnd = m_hWnd;
  nid.uID = browser::kTrayIconId;
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  nid.uCallbackMessage = WM_TRAYNOTIFY;
  nid.hIcon = m_hIcon;
  NotifyIcon(NIM_DELETE, &nid);
  m_bInTray = false;
}

LRESULT CMervoWebBrower::OnTrayNotify(UINT iconId, UINT mouseMessage) {
  switch (browser::TrayActionFor(iconId, mouseMessage)) {
    case browser::TrayAction::kNotOurs:
      return 1;
    case browser::TrayAction::kRestore:
      RestoreFromTray();
      return 0;
    case browser::TrayAction::kShowMenu:
      ShowTrayMenu();
      return 0;
    case browser::TrayAction::kIgnore:
      return 0;
  }
  return 0;
}

void CMervoWebBrower::RestoreFromTray() {
  ShowWindow(m_hWnd, SW_SHOWNORMAL);
  RemoveTrayIcon();
  // Opened from the menu, the window would otherwise stay behind the one the user came from.
  BringForward(m_hWnd);
}

void CMervoWebBrower::ShowTrayMenu() {
  POINT cursor = {};
  GetCursorPos(&cursor);
  ScopedMenu menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAY_MENU)));
  HMENU popup = menu.Get() ? GetSubMenu(menu.Get(), 0) : nullptr;
  if (!popup) return;
  // Bold, as the double-click's own entry.
  SetMenuDefaultItem(popup, ID_TRAY_OPEN, FALSE);
  // Our window must be foreground or the menu will not close when the user clicks away.
  SetForegroundWindow(m_hWnd);
  TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, m_hWnd, nullptr);
  PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

void CMervoWebBrower::NavigateSilently(const std::wstring& url) {
  m_browser.Navigate(url);
  m_browser.SetSilent(true);
}

void CMervoWebBrower::NavigateOwnPage(const std::wstring& url) {
  m_browser.Navigate(url, navNoHistory);
  m_browser.SetSilent(true);
}

void CMervoWebBrower::StartTimer(browser::WatchTimer timer, unsigned ms) {
  SetTimer(m_hWnd, TimerId(timer), ms, nullptr);
}

void CMervoWebBrower::StopTimer(browser::WatchTimer timer) { KillTimer(m_hWnd, TimerId(timer)); }

void CMervoWebBrower::SetTitleText(const std::wstring& text) {
  SetDlgItemTextW(m_hWnd, IDC_BROWSER_TITLE, text.c_str());
}

void CMervoWebBrower::EnableBackButton(bool enable) { EnableWindow(m_btnBack.GetSafeHwnd(), enable); }

void CMervoWebBrower::EnableForwardButton(bool enable) { EnableWindow(m_btnForward.GetSafeHwnd(), enable); }

void CMervoWebBrower::RunScriptInTopDocument(const std::wstring& code, const std::wstring& language) {
  win::RunScriptInTopDocument(m_browser, code, language);
}

HBRUSH CMervoWebBrower::OnCtlColor(HDC dc, HWND control, UINT message) {
  if (control == m_hWnd || message == WM_CTLCOLORDLG) return m_brBackground.Get();
  if (message != WM_CTLCOLORSTATIC) return nullptr;
  if (GetDlgCtrlID(control) == IDC_BROWSER_TITLE) {
    const unsigned glyph = browser::kTitleStripGlyphRgb;
    SetTextColor(dc, RGB((glyph >> 16) & 0xFF, (glyph >> 8) & 0xFF, glyph & 0xFF));
    SelectObject(dc, m_fontTitle.Get());
  }
  SetBkMode(dc, TRANSPARENT);
  if (!m_brBackground) return nullptr;
  AlignBrushToDialog(dc, control);
  return m_brBackground.Get();
}

bool CMervoWebBrower::OnEraseBkgnd(HDC dc) {
  RECT client;
  GetClientRect(m_hWnd, &client);
  const int cx = client.right - client.left;
  const int cy = client.bottom - client.top;
  const int centreX = (client.left + client.right) / 2;
  const int centreY = (client.top + client.bottom) / 2;
  ScopedMemoryDc memory(dc);
  ScopedBitmap picture(CreateCompatibleBitmap(dc, cx, cy));
  if (!memory.Get() || !picture) return false;
  {
    ScopedSelect select(memory.Get(), picture.Get());
    ScopedBrush fill(CreateSolidBrush(GetBkColor(dc)));
    FillRect(memory.Get(), &client, fill.Get());
    // The strip picture goes under the title-strip buttons: their glyphs are white.
    RECT strip = {0, 0, cx, browser::TitleStripHeight(m_nDpi)};
    if (m_brBackground) FillRect(memory.Get(), &strip, m_brBackground.Get());
    // Drawn off-screen and copied in one go so the rings do not flicker.
    for (int radius = 200; radius >= 10; radius -= 10)
      Ellipse(memory.Get(), centreX - radius, centreY - radius, centreX + radius, centreY + radius);
    BitBlt(dc, 0, 0, cx, cy, memory.Get(), 0, 0, SRCCOPY);
  }
  return true;
}

bool CMervoWebBrower::PreTranslateMessage(MSG& msg) {
  if (msg.hwnd != m_hWnd && !IsChild(m_hWnd, msg.hwnd)) return false;
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
    // Enter belongs to the page (a form, a link), never to a default button.
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
  }
  if (!IsKeyboardOrMouse(msg.message)) return false;
  HWND focus = GetFocus();
  if (!focus || !IsChild(m_hWnd, focus)) return false;
  HWND child = focus;
  while (GetParent(child) != m_hWnd) child = GetParent(child);
  return SendMessageW(child, WM_FORWARDMSG, 0, reinterpret_cast<LPARAM>(&msg)) != 0;
}

LRESULT CALLBACK CMervoWebBrower::MessageFilterProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == MSGF_DIALOGBOX && g_pFiltering && lParam) {
    if (g_pFiltering->PreTranslateMessage(*reinterpret_cast<MSG*>(lParam))) return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace lirra::win
