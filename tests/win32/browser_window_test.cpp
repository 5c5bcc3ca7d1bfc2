// Drives the browser window in a separate process (browser_host.exe): its placement and title
// strip after the first show, the about pop-up, the enlargement, the trip through the tray and
// the ways it ends. Pages are never seen under Wine; the control's presence is.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser/navigation_policy.h"
#include "platform/utf8.h"
#include "resource.h"
#include "win32_test_util.h"
#include "window_driver.h"

namespace {

using lirra::test::BesideTest;
using lirra::test::EnvWinePath;
using lirra::test::FocusByClick;
using lirra::test::FocusOf;
using lirra::test::PressAltF4;
using lirra::test::PressEsc;
using lirra::test::ProductVersionOf;
using lirra::test::RectInDialog;
using lirra::test::SaveScreenshot;
using lirra::test::ScreenPixels;
using lirra::test::SendBounded;
using lirra::test::TextOf;
using lirra::test::WaitForText;
using lirra::test::WaitUntil;
using lirra::test::WindowHost;

constexpr UINT kTrayNotify = WM_USER + 1;
const std::wstring kInternetSettings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\";
// The user's own Internet zone value for running controls, which the client must not touch.
constexpr DWORD kZoneMarker = 0x4C12;

class BrowserWindow : public testing::Test {
 protected:
  virtual std::wstring HostArguments() const { return L""; }

  void SetUp() override {
    // Whatever the first show writes is seen fresh: its keys are removed, and the zone action it
    // enables is disabled first. The Internet zone's value is a marker that must stay.
    lirra::test::DeleteTree(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl");
    lirra::test::DeleteTree(HKEY_CURRENT_USER,
                            kInternetSettings + L"ZoneMap\\Domains\\*." + lirra::browser::PrimaryDomain());
    ASSERT_TRUE(lirra::test::SetDword(HKEY_CURRENT_USER, kInternetSettings + L"Zones\\2", L"1200", 3));
    ASSERT_TRUE(lirra::test::SetDword(HKEY_CURRENT_USER, kInternetSettings + L"Zones\\3", L"1200", kZoneMarker));
    // The host in the source folder, where the skin pictures are.
    host_ =
        std::make_unique<WindowHost>(BesideTest(L"browser_host.exe"), HostArguments(), EnvWinePath("LIRRA_SOURCE_DIR"));
    ASSERT_TRUE(host_->Started());
    window_ = host_->FindDialog(30000);
    ASSERT_NE(nullptr, window_) << "browser window did not appear";
    // The first show ends by naming the window.
    ASSERT_EQ(L"Lirra·商户", WaitForText(window_, L"Lirra·商户", 15000));
  }

  // A visible dialog the window opened over itself, waiting up to `ms`.
  HWND FindOpenedDialog(DWORD ms) const { return host_->FindDialogOtherThan(window_, ms); }
  long WaitExit(DWORD ms) { return host_->WaitExit(ms); }
  HWND Item(int id) const { return GetDlgItem(window_, id); }
  void Click(int id) { PostMessageW(Item(id), BM_CLICK, 0, 0); }
  bool Visible(HWND hwnd) const { return IsWindowVisible(hwnd) != FALSE; }

  // Once this returns, the window's thread has handled every message posted to it before: the
  // logo's clicks, posted behind them, toggle the About item and toggle it back (its own style
  // bit, so this works while the window is in the tray). A thread that ended or hung fails it.
  void HandledSoFar() {
    const auto shown = [&] { return (GetWindowLongW(Item(IDC_BROWSER_ABOUT), GWL_STYLE) & WS_VISIBLE) != 0; };
    const bool before = shown();
    Click(IDC_BROWSER_LOGO);
    ASSERT_TRUE(WaitUntil([&] { return shown() != before; }, 10000)) << "the window's thread took no further message";
    Click(IDC_BROWSER_LOGO);
    ASSERT_TRUE(WaitUntil([&] { return shown() == before; }, 10000));
  }

  lirra::win::GdiplusSession gdiplus_;
  std::unique_ptr<WindowHost> host_;
  HWND window_ = nullptr;
};

TEST_F(BrowserWindow, FirstShowPlacesTheWindowTitleStripAndControl) {
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  // A screen up to 1600 pixels wide gives the window the whole work area.
  ASSERT_LE(work.right - work.left, 1600) << "the test screen is wider than this check expects";
  RECT window;
  GetWindowRect(window_, &window);
  EXPECT_EQ(work.left, window.left);
  EXPECT_EQ(work.top, window.top);
  EXPECT_EQ(work.right, window.right);
  EXPECT_EQ(work.bottom, window.bottom);
  const int w = window.right - window.left;
  const int h = window.bottom - window.top;

  struct Expected {
    int id;
    RECT rc;
  };
  const Expected places[] = {
      {IDC_BROWSER_CLOSE, {w - 39, 0, w, 39}},     {IDC_BROWSER_MAX, {w - 78, 0, w - 39, 39}},
      {IDC_BROWSER_MIN, {w - 117, 0, w - 78, 39}}, {IDC_BROWSER_DRIVER, {w - 156, 0, w - 117, 39}},
      {IDC_BROWSER_LOGO, {0, 0, 39, 39}},          {IDC_BROWSER_BACK, {39, 0, 78, 39}},
      {IDC_BROWSER_FORWARD, {78, 0, 117, 39}},     {IDC_BROWSER_REFRESH, {117, 0, 156, 39}},
      {IDC_BROWSER_TITLE, {156, 0, w - 159, 39}},  {IDC_BROWSER_CONTROL, {0, 39, w, h}},
      {IDC_BROWSER_ABOUT, {1, 39, 77, 79}},
  };
  for (const Expected& place : places) {
    ASSERT_NE(nullptr, Item(place.id)) << place.id;
    const RECT rc = RectInDialog(window_, Item(place.id));
    EXPECT_EQ(place.rc.left, rc.left) << place.id;
    EXPECT_EQ(place.rc.top, rc.top) << place.id;
    EXPECT_EQ(place.rc.right, rc.right) << place.id;
    EXPECT_EQ(place.rc.bottom, rc.bottom) << place.id;
  }
  EXPECT_FALSE(Visible(Item(IDC_BROWSER_ABOUT)));
  EXPECT_EQ(L"欢迎使用Lirra·商户PC系统", TextOf(Item(IDC_BROWSER_TITLE)));
  // With only the start page behind it, the control's command events disable back and forward.
  EXPECT_TRUE(WaitUntil([this] { return !IsWindowEnabled(Item(IDC_BROWSER_BACK)); }, 5000));
  EXPECT_TRUE(WaitUntil([this] { return !IsWindowEnabled(Item(IDC_BROWSER_FORWARD)); }, 5000));
  EXPECT_TRUE(IsWindowEnabled(Item(IDC_BROWSER_REFRESH)));

  // The control lives in atl.dll's host window, which holds its in-place window.
  wchar_t cls[32] = {};
  GetClassNameW(Item(IDC_BROWSER_CONTROL), cls, 32);
  EXPECT_EQ(std::wstring(L"AtlAxWin"), cls);
  EXPECT_NE(nullptr, GetWindow(Item(IDC_BROWSER_CONTROL), GW_CHILD)) << "the WebBrowser control was not created";

  // The engine settings were written before the start page.
  EXPECT_EQ(2, lirra::test::ReadDword(HKEY_CURRENT_USER,
                                      kInternetSettings + L"ZoneMap\\Domains\\*." + lirra::browser::PrimaryDomain(),
                                      L"http"));
  EXPECT_EQ(0, lirra::test::ReadDword(HKEY_CURRENT_USER, kInternetSettings + L"Zones\\2", L"1200"));
  EXPECT_EQ(kZoneMarker, lirra::test::ReadDword(HKEY_CURRENT_USER, kInternetSettings + L"Zones\\3", L"1200"));
  // The document mode and the other own-file values hold for a user without administrator
  // rights: they are under HKCU too, for this program only (never for iexplore.exe).
  const std::wstring features = L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\";
  EXPECT_EQ(12000,
            lirra::test::ReadDword(HKEY_CURRENT_USER, features + L"FEATURE_BROWSER_EMULATION", L"browser_host.exe"));
  EXPECT_EQ(
      1, lirra::test::ReadDword(HKEY_CURRENT_USER, features + L"FEATURE_LOCALMACHINE_LOCKDOWN", L"browser_host.exe"));
  EXPECT_EQ(0, lirra::test::ReadDword(HKEY_CURRENT_USER, features + L"FEATURE_ACTIVEX_REPURPOSEDETECTION",
                                      L"browser_host.exe"));
  EXPECT_EQ(-1, lirra::test::ReadDword(HKEY_CURRENT_USER, features + L"FEATURE_BROWSER_EMULATION", L"iexplore.exe"));

  // The free strip drags the window; the buttons stay buttons.
  EXPECT_EQ(HTCAPTION, SendBounded(window_, WM_NCHITTEST, 0, MAKELPARAM(window.left + 160, window.top + 5)));
  SaveScreenshot(window_, L"browser-window");
}

TEST_F(BrowserWindow, LogoTogglesTheAboutPopupAndADoubleClickTogglesTheEnlargement) {
  HWND about = Item(IDC_BROWSER_ABOUT);
  Click(IDC_BROWSER_LOGO);
  EXPECT_TRUE(WaitUntil([&] { return Visible(about); }, 5000));
  SaveScreenshot(window_, L"browser-window-about-popup");
  Click(IDC_BROWSER_LOGO);
  EXPECT_TRUE(WaitUntil([&] { return !Visible(about); }, 5000));
  Click(IDC_BROWSER_LOGO);
  ASSERT_TRUE(WaitUntil([&] { return Visible(about); }, 5000));

  // Enlarging swaps the maximise button's picture and hides the pop-up; restoring swaps it back.
  HWND maximise = Item(IDC_BROWSER_MAX);
  const std::vector<BYTE> normal = ScreenPixels(maximise);
  RECT window;
  GetWindowRect(window_, &window);
  SendBounded(window_, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(window.left + 300, window.top + 10));
  EXPECT_TRUE(WaitUntil([&] { return !Visible(about); }, 5000));
  EXPECT_TRUE(WaitUntil([&] { return ScreenPixels(maximise) != normal; }, 5000)) << "still the max picture";
  Click(IDC_BROWSER_MAX);
  EXPECT_TRUE(WaitUntil([&] { return ScreenPixels(maximise) == normal; }, 5000)) << "not back to the max picture";
  RECT after;
  GetWindowRect(window_, &after);
  EXPECT_TRUE(EqualRect(&window, &after));
}

TEST_F(BrowserWindow, CloseAndMinimiseHideInTheTrayAndADoubleClickBringsItBack) {
  HWND about = Item(IDC_BROWSER_ABOUT);
  RECT before;
  GetWindowRect(window_, &before);
  Click(IDC_BROWSER_LOGO);
  ASSERT_TRUE(WaitUntil([&] { return Visible(about); }, 5000));

  Click(IDC_BROWSER_CLOSE);
  ASSERT_TRUE(WaitUntil([&] { return !Visible(window_); }, 5000)) << "close did not hide the window";
  EXPECT_EQ(1, SendBounded(window_, kTrayNotify, 129, WM_LBUTTONDBLCLK));  // another icon
  EXPECT_EQ(0, SendBounded(window_, kTrayNotify, 128, WM_LBUTTONDOWN));    // a single click
  EXPECT_EQ(0, SendBounded(window_, kTrayNotify, 128, WM_LBUTTONUP));
  EXPECT_FALSE(Visible(window_));

  EXPECT_EQ(0, SendBounded(window_, kTrayNotify, 128, WM_LBUTTONDBLCLK));
  ASSERT_TRUE(WaitUntil([&] { return Visible(window_); }, 5000)) << "the tray did not bring it back";
  RECT after;
  GetWindowRect(window_, &after);
  EXPECT_TRUE(EqualRect(&before, &after));
  EXPECT_TRUE(Visible(about)) << "the close button keeps the pop-up";
  EXPECT_EQ(L"Lirra·商户", TextOf(window_));

  Click(IDC_BROWSER_MIN);
  ASSERT_TRUE(WaitUntil([&] { return !Visible(window_); }, 5000)) << "minimise did not hide the window";
  EXPECT_EQ(0, SendBounded(window_, kTrayNotify, 128, WM_LBUTTONDBLCLK));
  ASSERT_TRUE(WaitUntil([&] { return Visible(window_); }, 5000));
  EXPECT_FALSE(Visible(about)) << "the minimise button hides the pop-up";

  // The tray menu's "打开" does what the double-click does.
  Click(IDC_BROWSER_CLOSE);
  ASSERT_TRUE(WaitUntil([&] { return !Visible(window_); }, 5000));
  PostMessageW(window_, WM_COMMAND, ID_TRAY_OPEN, 0);
  ASSERT_TRUE(WaitUntil([&] { return Visible(window_); }, 5000)) << "打开 did not bring it back";
  GetWindowRect(window_, &after);
  EXPECT_TRUE(EqualRect(&before, &after));
}

// The tray menu opens with "打开" first, above the specified "关于" and "退出".
TEST(TrayMenu, OpenComesFirst) {
  // The menu as the client's resources hold it (the host carries them).
  HMODULE host = LoadLibraryExW(BesideTest(L"browser_host.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, host);
  lirra::win::ScopedMenu menu(LoadMenuW(host, MAKEINTRESOURCEW(IDR_TRAY_MENU)));
  FreeLibrary(host);
  ASSERT_NE(nullptr, menu.Get());
  HMENU popup = GetSubMenu(menu.Get(), 0);
  ASSERT_NE(nullptr, popup);
  std::vector<std::pair<UINT, std::wstring>> entries;
  for (int i = 0; i < GetMenuItemCount(popup); ++i) {
    wchar_t text[32] = {};
    GetMenuStringW(popup, i, text, 32, MF_BYPOSITION);
    if (GetMenuItemID(popup, i) != 0) entries.emplace_back(GetMenuItemID(popup, i), text);
  }
  const std::vector<std::pair<UINT, std::wstring>> expected = {
      {ID_TRAY_OPEN, L"打开"}, {ID_TRAY_ABOUT, L"关于"}, {ID_TRAY_EXIT, L"退出"}};
  EXPECT_EQ(expected, entries);
}

// Back and forward without history are disabled by the control's events (as they may already
// be here); they must look it, and look as before once enabled again.
TEST_F(BrowserWindow, DisabledStripButtonsLookDisabled) {
  for (int id : {IDC_BROWSER_BACK, IDC_BROWSER_FORWARD}) {
    HWND button = Item(id);
    // Sent to the window's thread, which repaints before the call returns.
    EnableWindow(button, TRUE);
    const std::vector<BYTE> enabled = ScreenPixels(button);
    EnableWindow(button, FALSE);
    EXPECT_TRUE(WaitUntil([&] { return ScreenPixels(button) != enabled; }, 5000)) << id << " looks enabled";
    EnableWindow(button, TRUE);
    EXPECT_TRUE(WaitUntil([&] { return ScreenPixels(button) == enabled; }, 5000)) << id << " kept the disabled look";
  }
}

BOOL CALLBACK FindTooltips(HWND hwnd, LPARAM found) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  if (lstrcmpiW(name, TOOLTIPS_CLASSW) != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = hwnd;
  return FALSE;
}

// Every icon of the title strip shows its command when the pointer rests on it.
TEST_F(BrowserWindow, StripIconsShowTheirCommandsAsTips) {
  HWND tips = nullptr;
  EnumThreadWindows(GetWindowThreadProcessId(window_, nullptr), &FindTooltips, reinterpret_cast<LPARAM>(&tips));
  ASSERT_NE(nullptr, tips) << "no tooltip control";
  EXPECT_EQ(window_, GetWindow(tips, GW_OWNER));
  EXPECT_EQ(8, SendBounded(tips, TTM_GETTOOLCOUNT, 0, 0));
  const std::pair<int, std::wstring> shown[] = {{IDC_BROWSER_DRIVER, L"驱动设置"}, {IDC_BROWSER_CLOSE, L"关闭"}};
  for (const auto& [id, tip] : shown) {
    RECT rc;
    GetWindowRect(Item(id), &rc);
    SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    EXPECT_TRUE(WaitUntil([&, tip = tip] { return IsWindowVisible(tips) && TextOf(tips) == tip; }, 10000))
        << "tip over " << id << ": " << lirra::WideToUtf8(TextOf(tips));
  }
}

TEST_F(BrowserWindow, DriverSettingsAndAboutOpenTheirDialogsOverTheWindow) {
  Click(IDC_BROWSER_DRIVER);
  HWND manager = FindOpenedDialog(10000);
  ASSERT_NE(nullptr, manager);
  EXPECT_NE(nullptr, GetDlgItem(manager, IDC_DRV_STATUS)) << "not the driver manager";
  EXPECT_FALSE(IsWindowEnabled(window_)) << "a second manager could be opened beside it";
  PostMessageW(GetDlgItem(manager, IDC_DRV_CLOSE), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(manager); }, 10000));
  ASSERT_NO_FATAL_FAILURE(HandledSoFar()) << "closing the manager opened from here ended the client";
  EXPECT_EQ(-1, WaitExit(0));
  EXPECT_TRUE(IsWindowEnabled(window_));

  Click(IDC_BROWSER_LOGO);
  ASSERT_TRUE(WaitUntil([&] { return Visible(Item(IDC_BROWSER_ABOUT)); }, 5000));
  Click(IDC_BROWSER_ABOUT);
  HWND about = FindOpenedDialog(10000);
  ASSERT_NE(nullptr, about);
  // The About box names the version that the program's version resource carries.
  const std::wstring version = ProductVersionOf(BesideTest(L"browser_host.exe"));
  ASSERT_EQ(std::wstring::npos, version.find(L'<')) << version;
  EXPECT_EQ(L"Lirra·商户 " + version + L" 版", TextOf(GetDlgItem(about, IDC_ABOUT_VERSION)));
  EXPECT_FALSE(Visible(Item(IDC_BROWSER_ABOUT)));
  PostMessageW(GetDlgItem(about, IDC_ABOUT_CLOSE), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 10000));

  // From the tray menu while the window is in the tray: it stays there afterwards.
  Click(IDC_BROWSER_CLOSE);
  ASSERT_TRUE(WaitUntil([&] { return !Visible(window_); }, 5000));
  PostMessageW(window_, WM_COMMAND, ID_TRAY_ABOUT, 0);
  about = FindOpenedDialog(10000);
  ASSERT_NE(nullptr, about);
  PostMessageW(GetDlgItem(about, IDC_ABOUT_CLOSE), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 10000));
  ASSERT_NO_FATAL_FAILURE(HandledSoFar());
  EXPECT_FALSE(Visible(window_));
  EXPECT_EQ(-1, WaitExit(0));
}

TEST_F(BrowserWindow, EscAltF4AndCloseRequestsGoToTheTrayAndOnlyExitEnds) {
  PostMessageW(FocusOf(host_->ThreadId(), window_), WM_KEYDOWN, VK_RETURN, 1);
  PostMessageW(FocusOf(host_->ThreadId(), window_), WM_KEYUP, VK_RETURN, 0xC0000001);
  ASSERT_NO_FATAL_FAILURE(HandledSoFar()) << "Enter acted as a default button";
  EXPECT_TRUE(Visible(window_)) << "Enter acted as a default button";

  // A click on a strip button gives it the focus; from then on the dialog keys reach the window.
  HWND logo = Item(IDC_BROWSER_LOGO);
  ASSERT_TRUE(FocusByClick(logo, host_->ThreadId())) << "no focus on the logo";

  struct Way {
    const char* name;
    std::function<void()> send;
  };
  const Way ways[] = {
      {"Esc", [&] { PressEsc(host_->ThreadId(), window_); }},
      // Alt+F4 as the keyboard sends it, and as the system menu does.
      {"Alt+F4 keys", [&] { PressAltF4(host_->ThreadId(), window_); }},
      {"SC_CLOSE", [&] { PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"WM_CLOSE", [&] { PostMessageW(window_, WM_CLOSE, 0, 0); }},
  };
  for (const Way& way : ways) {
    way.send();
    EXPECT_TRUE(WaitUntil([&] { return !Visible(window_); }, 5000)) << way.name << " did not hide the window";
    ASSERT_NO_FATAL_FAILURE(HandledSoFar()) << way.name << " ended the client";
    EXPECT_EQ(-1, WaitExit(0)) << way.name << " ended the client";
    // Back from the tray, with the focus on the strip button again for the next key.
    EXPECT_EQ(0, SendBounded(window_, kTrayNotify, 128, WM_LBUTTONDBLCLK));
    ASSERT_TRUE(WaitUntil([&] { return Visible(window_); }, 5000)) << way.name << ": the tray did not bring it back";
    FocusByClick(logo, host_->ThreadId());
  }
  PostMessageW(window_, WM_COMMAND, ID_TRAY_EXIT, 0);
  EXPECT_EQ(0, WaitExit(10000));
}

TEST_F(BrowserWindow, TheSessionsEndEndsTheClient) {
  EXPECT_EQ(TRUE, SendBounded(window_, WM_QUERYENDSESSION, 0, 0));
  ASSERT_NO_FATAL_FAILURE(HandledSoFar()) << "asked, not yet ended";
  EXPECT_EQ(-1, WaitExit(0)) << "asked, not yet ended";
  SendBounded(window_, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(IDCANCEL, WaitExit(10000));
}

// A taskbar that refuses the icon (not started yet, or busy): the window must stay reachable.
class BrowserWindowRefusedTray : public BrowserWindow {
 protected:
  std::wstring HostArguments() const override { return L"tray-refuses-first"; }
};

TEST_F(BrowserWindowRefusedTray, StaysOnTheTaskbarUntilTheTrayTakesTheIcon) {
  Click(IDC_BROWSER_CLOSE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(window_) != FALSE; }, 5000)) << "close did not minimise";
  ASSERT_NO_FATAL_FAILURE(HandledSoFar());
  EXPECT_TRUE(Visible(window_)) << "hidden without a tray icon: nowhere to be found";
  EXPECT_NE(0, GetWindowLongPtrW(window_, GWL_EXSTYLE) & WS_EX_APPWINDOW) << "no taskbar button";

  // Explorer announces a (new) taskbar: the icon goes in and the window behind it.
  SendBounded(window_, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !Visible(window_); }, 5000)) << "not hidden once the icon was added";
  EXPECT_EQ(0, SendBounded(window_, kTrayNotify, 128, WM_LBUTTONDBLCLK));
  ASSERT_TRUE(WaitUntil([&] { return Visible(window_) && !IsIconic(window_); }, 5000));
  EXPECT_EQ(-1, WaitExit(0));
}

// The double-click time is system-wide on Windows; the client's 300 ms must not outlive it.
class BrowserWindowDoubleClick : public BrowserWindow {
 protected:
  std::wstring HostArguments() const override { return L"double-click-report \"" + report_ + L"\""; }
  std::wstring report_ = EnvWinePath("LIRRA_BINARY_DIR") + L"\\tests\\win32\\double-click-" +
                         std::to_wstring(GetCurrentProcessId()) + L".txt";
};

TEST_F(BrowserWindowDoubleClick, TheUsersTimeComesBackWhenTheClientEnds) {
  DeleteFileW(report_.c_str());
  SendBounded(window_, WM_QUERYENDSESSION, 0, 0);
  SendBounded(window_, WM_ENDSESSION, TRUE, 0);
  ASSERT_EQ(IDCANCEL, WaitExit(10000));
  FILE* in = _wfopen(report_.c_str(), L"r");
  ASSERT_NE(nullptr, in) << "no report";
  unsigned before = 0, shown = 0, after = 0;
  EXPECT_EQ(3, std::fscanf(in, "%u %u %u", &before, &shown, &after));
  std::fclose(in);
  DeleteFileW(report_.c_str());
  EXPECT_EQ(500u, before);
  EXPECT_EQ(300u, shown) << "the window sets 300 ms at its first show";
  EXPECT_EQ(500u, after) << "the user's time was not put back";
}

TEST_F(BrowserWindow, TrayMenuExitEndsTheProcessWithZero) {
  Click(IDC_BROWSER_CLOSE);
  ASSERT_TRUE(WaitUntil([&] { return !Visible(window_); }, 5000));
  PostMessageW(window_, WM_COMMAND, ID_TRAY_EXIT, 0);
  EXPECT_EQ(0, WaitExit(10000));
}

}  // namespace
