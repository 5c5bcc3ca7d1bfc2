// Drives the browser window in a separate process (browser_host.exe): its placement and title
// strip after the first show, the about pop-up, the enlargement, the trip through the tray and
// the ways it ends. Pages are never seen under Wine; the control's presence is.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "browser/browser_layout.h"
#include "browser/navigation_policy.h"
#include "resource.h"
#include "ui/win32/gdi.h"
#include "win32_test_util.h"

namespace {

constexpr UINT kTrayNotify = WM_USER + 1;

std::wstring FolderOf(const char* variable) {
  const char* value = std::getenv(variable);
  return value ? lirra::test::WinePath(value) : L"";
}

std::wstring HostPath() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"browser_host.exe";
}

// Polls `done` every 50 ms for up to `ms`.
bool WaitUntil(const std::function<bool()>& done, DWORD ms) {
  for (DWORD waited = 0; waited < ms; waited += 50) {
    if (done()) return true;
    Sleep(50);
  }
  return done();
}

std::wstring TextOf(HWND hwnd) {
  wchar_t text[512] = {};
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

// Sends and answers within 5 s; -1 when the window did not answer.
LRESULT SendBounded(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) return -1;
  return static_cast<LRESULT>(result);
}

RECT PlaceInClient(HWND window, HWND child) {
  RECT rc;
  GetWindowRect(child, &rc);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

// The pixels of a window's area on the screen.
std::vector<BYTE> ScreenPixels(HWND hwnd) {
  RECT rc;
  GetWindowRect(hwnd, &rc);
  const int width = rc.right - rc.left;
  const int height = rc.bottom - rc.top;
  lirra::win::ScopedWindowDc screen(nullptr);
  lirra::win::ScopedMemoryDc memory(screen.Get());
  lirra::win::ScopedBitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
  {
    lirra::win::ScopedSelect select(memory.Get(), bitmap.Get());
    BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rc.left, rc.top, SRCCOPY);
  }
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  std::vector<BYTE> pixels(static_cast<size_t>(width) * height * 4);
  GetDIBits(memory.Get(), bitmap.Get(), 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  return pixels;
}

void SaveScreenshot(HWND hwnd, const std::wstring& name) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(700);  // let the window's own thread finish painting
  RECT rc;
  GetWindowRect(hwnd, &rc);
  lirra::win::ScopedWindowDc screen(nullptr);
  lirra::win::ScopedMemoryDc memory(screen.Get());
  lirra::win::ScopedBitmap bitmap(CreateCompatibleBitmap(screen.Get(), rc.right - rc.left, rc.bottom - rc.top));
  {
    lirra::win::ScopedSelect select(memory.Get(), bitmap.Get());
    BitBlt(memory.Get(), 0, 0, rc.right - rc.left, rc.bottom - rc.top, screen.Get(), rc.left, rc.top, SRCCOPY);
  }
  const std::wstring folder = FolderOf("LIRRA_BINARY_DIR") + L"\\tests\\win32\\screenshots";
  CreateDirectoryW(folder.c_str(), nullptr);
  Gdiplus::Bitmap picture(bitmap.Get(), nullptr);
  UINT count = 0;
  UINT bytes = 0;
  Gdiplus::GetImageEncodersSize(&count, &bytes);
  std::vector<BYTE> buffer(bytes);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  Gdiplus::GetImageEncoders(count, bytes, encoders);
  for (UINT i = 0; i < count; ++i) {
    if (std::wstring(encoders[i].MimeType) != L"image/png") continue;
    EXPECT_EQ(Gdiplus::Ok, picture.Save((folder + L"\\" + name + L".png").c_str(), &encoders[i].Clsid, nullptr));
  }
}

class BrowserWindow : public testing::Test {
 protected:
  virtual std::wstring HostArguments() const { return L""; }

  void SetUp() override {
    // Whatever the first show writes is seen fresh.
    lirra::test::DeleteTree(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl");
    std::wstring command = L"\"" + HostPath() + L"\" " + HostArguments();
    const std::wstring folder = FolderOf("LIRRA_SOURCE_DIR");  // its res\ holds the skin
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    ASSERT_TRUE(
        CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &process_));
    started_ = true;
    ASSERT_TRUE(WaitUntil([this] { return (window_ = FindWindowOfHost()) != nullptr; }, 30000))
        << "browser window did not appear";
    // The first show ends by naming the window.
    ASSERT_TRUE(WaitUntil([this] { return TextOf(window_) == L"Lirra·商户"; }, 15000));
  }

  void TearDown() override {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 10000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }

  struct Search {
    DWORD pid;
    HWND found;
    HWND except;
  };

  static BOOL CALLBACK Visit(HWND hwnd, LPARAM argument) {
    auto* search = reinterpret_cast<Search*>(argument);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (pid != search->pid || !IsWindowVisible(hwnd) || std::wstring(cls) != L"#32770") return TRUE;
    if (hwnd == search->except) return TRUE;
    search->found = hwnd;
    return FALSE;
  }

  // A visible dialog of the host other than `except`.
  HWND FindWindowOfHost(HWND except = nullptr) const {
    Search search = {process_.dwProcessId, nullptr, except};
    EnumWindows(&BrowserWindow::Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  long WaitExit(DWORD ms) {
    if (WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<long>(code);
  }

  HWND Item(int id) const { return GetDlgItem(window_, id); }
  void Click(int id) { PostMessageW(Item(id), BM_CLICK, 0, 0); }
  bool Visible(HWND hwnd) const { return IsWindowVisible(hwnd) != FALSE; }

  lirra::win::GdiplusSession gdiplus_;
  PROCESS_INFORMATION process_ = {};
  bool started_ = false;
  HWND window_ = nullptr;
};

TEST_F(BrowserWindow, FirstShowPlacesTheWindowTitleStripAndControl) {
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const lirra::ui::Rect expected =
      lirra::browser::DefaultPlacement({{work.left, work.top, work.right - work.left, work.bottom - work.top}});
  RECT window;
  GetWindowRect(window_, &window);
  EXPECT_TRUE(window.left >= work.left && window.top >= work.top && window.right <= work.right &&
              window.bottom <= work.bottom)
      << "the window runs out of the work area";
  EXPECT_EQ(expected.x, window.left);
  EXPECT_EQ(expected.y, window.top);
  const int w = window.right - window.left;
  const int h = window.bottom - window.top;
  EXPECT_EQ(expected.cx, w);
  EXPECT_EQ(expected.cy, h);

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
    const RECT rc = PlaceInClient(window_, Item(place.id));
    EXPECT_EQ(place.rc.left, rc.left) << place.id;
    EXPECT_EQ(place.rc.top, rc.top) << place.id;
    EXPECT_EQ(place.rc.right, rc.right) << place.id;
    EXPECT_EQ(place.rc.bottom, rc.bottom) << place.id;
  }
  EXPECT_FALSE(Visible(Item(IDC_BROWSER_ABOUT)));
  EXPECT_EQ(lirra::browser::kNormalTitle, TextOf(Item(IDC_BROWSER_TITLE)));
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
                                      L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\"
                                      L"Domains\\*." +
                                          lirra::browser::PrimaryDomain(),
                                      L"http"));
  EXPECT_EQ(
      0, lirra::test::ReadDword(HKEY_CURRENT_USER,
                                L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3", L"1200"));
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
}

TEST_F(BrowserWindow, DriverSettingsAndAboutOpenTheirDialogsOverTheWindow) {
  HWND manager = nullptr;
  Click(IDC_BROWSER_DRIVER);
  ASSERT_TRUE(WaitUntil([&] { return (manager = FindWindowOfHost(window_)) != nullptr; }, 10000));
  EXPECT_NE(nullptr, GetDlgItem(manager, IDC_DRV_STATUS)) << "not the driver manager";
  EXPECT_FALSE(IsWindowEnabled(window_)) << "a second manager could be opened beside it";
  PostMessageW(GetDlgItem(manager, IDC_DRV_CLOSE), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(manager); }, 10000));
  EXPECT_EQ(-1, WaitExit(500)) << "closing the manager opened from here must not end the client";
  EXPECT_TRUE(IsWindowEnabled(window_));

  HWND about = nullptr;
  Click(IDC_BROWSER_LOGO);
  ASSERT_TRUE(WaitUntil([&] { return Visible(Item(IDC_BROWSER_ABOUT)); }, 5000));
  Click(IDC_BROWSER_ABOUT);
  ASSERT_TRUE(WaitUntil([&] { return (about = FindWindowOfHost(window_)) != nullptr; }, 10000));
  EXPECT_EQ(L"Lirra·商户1.0.0.1 版", TextOf(GetDlgItem(about, IDC_ABOUT_VERSION)));
  EXPECT_FALSE(Visible(Item(IDC_BROWSER_ABOUT)));
  PostMessageW(GetDlgItem(about, IDC_ABOUT_CLOSE), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 10000));

  // From the tray menu while the window is in the tray: it stays there afterwards.
  Click(IDC_BROWSER_CLOSE);
  ASSERT_TRUE(WaitUntil([&] { return !Visible(window_); }, 5000));
  PostMessageW(window_, WM_COMMAND, ID_TRAY_ABOUT, 0);
  ASSERT_TRUE(WaitUntil([&] { return (about = FindWindowOfHost(window_)) != nullptr; }, 10000));
  PostMessageW(GetDlgItem(about, IDC_ABOUT_CLOSE), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 10000));
  Sleep(300);
  EXPECT_FALSE(Visible(window_));
  EXPECT_EQ(-1, WaitExit(0));
}

// The window the host's thread has given the keyboard focus.
HWND FocusOf(DWORD threadId, HWND fallback) {
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof(gui);
  return GetGUIThreadInfo(threadId, &gui) && gui.hwndFocus ? gui.hwndFocus : fallback;
}

TEST_F(BrowserWindow, EscAltF4AndCloseRequestsGoToTheTrayAndOnlyExitEnds) {
  PostMessageW(FocusOf(process_.dwThreadId, window_), WM_KEYDOWN, VK_RETURN, 1);
  PostMessageW(FocusOf(process_.dwThreadId, window_), WM_KEYUP, VK_RETURN, 0xC0000001);
  Sleep(1500);
  EXPECT_TRUE(IsWindow(window_) && Visible(window_)) << "Enter acted as a default button";

  // A click on a strip button gives it the focus; from then on the dialog keys reach the window.
  HWND logo = Item(IDC_BROWSER_LOGO);
  PostMessageW(logo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(logo, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(process_.dwThreadId, nullptr) == logo; }, 5000)) << "no focus on the logo";

  struct Way {
    const char* name;
    std::function<void()> send;
  };
  const Way ways[] = {
      {"Esc",
       [&] {
         PostMessageW(FocusOf(process_.dwThreadId, window_), WM_KEYDOWN, VK_ESCAPE, 1);
         PostMessageW(FocusOf(process_.dwThreadId, window_), WM_KEYUP, VK_ESCAPE, 0xC0000001);
       }},
      // Alt+F4 as the keyboard sends it (with the Alt context bit), and as the system menu does.
      {"Alt+F4 keys",
       [&] {
         PostMessageW(FocusOf(process_.dwThreadId, window_), WM_SYSKEYDOWN, VK_F4, 0x20000001);
         PostMessageW(FocusOf(process_.dwThreadId, window_), WM_SYSKEYUP, VK_F4, 0xE0000001);
       }},
      {"SC_CLOSE", [&] { PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"WM_CLOSE", [&] { PostMessageW(window_, WM_CLOSE, 0, 0); }},
  };
  for (const Way& way : ways) {
    way.send();
    EXPECT_TRUE(WaitUntil([&] { return !Visible(window_); }, 5000)) << way.name << " did not hide the window";
    EXPECT_EQ(-1, WaitExit(500)) << way.name << " ended the client";
    // Back from the tray, with the focus on the strip button again for the next key.
    EXPECT_EQ(0, SendBounded(window_, kTrayNotify, 128, WM_LBUTTONDBLCLK));
    ASSERT_TRUE(WaitUntil([&] { return Visible(window_); }, 5000)) << way.name << ": the tray did not bring it back";
    PostMessageW(logo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(logo, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    WaitUntil([&] { return FocusOf(process_.dwThreadId, nullptr) == logo; }, 5000);
  }
  PostMessageW(window_, WM_COMMAND, ID_TRAY_EXIT, 0);
  EXPECT_EQ(0, WaitExit(10000));
}

TEST_F(BrowserWindow, TheSessionsEndEndsTheClient) {
  EXPECT_EQ(TRUE, SendBounded(window_, WM_QUERYENDSESSION, 0, 0));
  EXPECT_EQ(-1, WaitExit(300)) << "asked, not yet ended";
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
  Sleep(500);
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
  std::wstring report_ = FolderOf("LIRRA_BINARY_DIR") + L"\\tests\\win32\\double-click-" +
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
