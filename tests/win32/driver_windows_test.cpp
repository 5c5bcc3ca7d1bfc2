// Drives the driver manager and the About box in driver_host.exe: their shape and texts, the
// vendor selection an install run sees, no second run while one is in progress, the line under
// the status line (a download's progress, the installer waited for and for how long), the
// run's question owned by the dialog, every way out of a run asking once and then leaving the
// run behind, and the ways of leaving the dialog at start-up and from the browser window.
// The real lirra.exe's first start (first-start.sh) goes on from here to the browser window.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "resource.h"
#include "ui/run_link.h"
#include "window_driver.h"

namespace {

using lirra::test::BesideTest;
using lirra::test::EnvWinePath;
using lirra::test::ExpectProgressShown;
using lirra::test::FocusByClick;
using lirra::test::PressAltF4;
using lirra::test::PressEsc;
using lirra::test::Processes;
using lirra::test::ProductVersionOf;
using lirra::test::RectInDialog;
using lirra::test::SaveScreenshot;
using lirra::test::StepSignals;
using lirra::test::TextOf;
using lirra::test::WaitedSeconds;
using lirra::test::WaitForEnabled;
using lirra::test::WaitForText;
using lirra::test::WaitForWaitPast;
using lirra::test::WaitUntil;
using lirra::test::WindowHost;

constexpr int kLockedIds[] = {IDC_DRV_INSTALL, IDC_DRV_REINSTALL};
constexpr int kWayOutIds[] = {IDC_DRV_USE, IDC_DRV_CLOSE};

// The skin's accent and the tint of a selected vendor (scripts/make-skin.sh).
constexpr COLORREF kAccent = RGB(0x2F, 0x6F, 0xDE);
constexpr COLORREF kAccentTint = RGB(0xE6, 0xEF, 0xFD);

// The share of a control's pixels on the screen that show `colour` (within a few levels, for
// the blending at the edges).
double ShareOf(HWND control, COLORREF colour) {
  const std::vector<BYTE> pixels = lirra::test::ScreenPixels(control);
  if (pixels.empty()) return 0;
  size_t matching = 0;
  for (size_t i = 0; i + 3 < pixels.size(); i += 4) {
    matching += std::abs(pixels[i] - GetBValue(colour)) <= 6 && std::abs(pixels[i + 1] - GetGValue(colour)) <= 6 &&
                std::abs(pixels[i + 2] - GetRValue(colour)) <= 6;
  }
  return static_cast<double>(matching) / (pixels.size() / 4);
}

struct BoxCount {
  DWORD pid;
  int boxes;
};

BOOL CALLBACK CountBox(HWND hwnd, LPARAM argument) {
  auto* count = reinterpret_cast<BoxCount*>(argument);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == count->pid && IsWindowVisible(hwnd) && GetDlgItem(hwnd, IDC_MSGBOX_TITLE)) ++count->boxes;
  return TRUE;
}

// Visible message boxes of the process.
int CountBoxes(DWORD pid) {
  BoxCount count = {pid, 0};
  EnumWindows(&CountBox, reinterpret_cast<LPARAM>(&count));
  return count.boxes;
}

class DriverWindows : public testing::Test {
 protected:
  // The host in the source folder, where the skin pictures are.
  std::unique_ptr<WindowHost> Start(const std::wstring& what) {
    return std::make_unique<WindowHost>(BesideTest(L"driver_host.exe"), what + L" " + signals_.Token(),
                                        EnvWinePath("LIRRA_SOURCE_DIR"));
  }
  void Click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

  lirra::win::GdiplusSession gdiplus_;
  StepSignals signals_{L"lirra-driver-test-"};
};

TEST_F(DriverWindows, ManagerShapeTextsAndPreselectedVendors) {
  auto host = Start(L"manager startup");
  ASSERT_TRUE(host->Started());
  HWND manager = host->FindDialogWith(IDC_DRV_STATUS, 20000);
  ASSERT_NE(nullptr, manager) << "driver manager did not appear";
  EXPECT_EQ(L"Lirra·商户", WaitForText(manager, L"Lirra·商户", 5000));
  EXPECT_EQ(L"请选择要安装的驱动", TextOf(GetDlgItem(manager, IDC_DRV_HEADING)));
  EXPECT_EQ(L"", TextOf(GetDlgItem(manager, IDC_DRV_STATUS)));

  RECT window;
  GetWindowRect(manager, &window);
  EXPECT_EQ(578, window.right - window.left);
  EXPECT_EQ(338, window.bottom - window.top);
  lirra::win::ScopedRegion region(CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(ERROR, GetWindowRgn(manager, region.Get()));
  EXPECT_FALSE(PtInRegion(region.Get(), 0, 0));
  EXPECT_FALSE(PtInRegion(region.Get(), 577, 337));
  EXPECT_TRUE(PtInRegion(region.Get(), 289, 169));

  // Installed vendors (HID, SDSS) are selected and locked; the others can be chosen.
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(manager, IDC_DRV_HID)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(manager, IDC_DRV_SDSS)));
  for (int id : {IDC_DRV_YSB, IDC_DRV_NJYS, IDC_DRV_WHJL}) EXPECT_TRUE(IsWindowEnabled(GetDlgItem(manager, id)));

  // Buttons take their pictures' sizes; the close button keeps 47 px from the right edge.
  const RECT vendor = RectInDialog(manager, GetDlgItem(manager, IDC_DRV_NJYS));
  EXPECT_EQ(134, vendor.right - vendor.left);
  EXPECT_EQ(28, vendor.bottom - vendor.top);
  const RECT use = RectInDialog(manager, GetDlgItem(manager, IDC_DRV_USE));
  EXPECT_EQ(112, use.right - use.left);
  RECT client;
  GetClientRect(manager, &client);
  EXPECT_LE(use.right, client.right);
  EXPECT_LE(use.bottom, client.bottom);
  const RECT close = RectInDialog(manager, GetDlgItem(manager, IDC_DRV_CLOSE));
  EXPECT_EQ(client.right - 47, close.left);
  EXPECT_EQ(8, close.top);
  EXPECT_EQ(39, close.right - close.left);

  // The free surface drags the window; a button is still a button.
  EXPECT_EQ(HTCAPTION, SendMessageW(manager, WM_NCHITTEST, 0, MAKELPARAM(window.left + 20, window.top + 60)));
  SaveScreenshot(manager, L"driver-manager");
  Click(manager, IDC_DRV_USE);
  EXPECT_EQ(101, host->WaitExit(10000)) << "使用 at start-up saves config.ini and closes with OK";
}

TEST_F(DriverWindows, RunSeesTheSelectionAndNoSecondRunStartsUntilItEnds) {
  auto host = Start(L"manager startup");
  ASSERT_TRUE(host->Started());
  HWND manager = host->FindDialogWith(IDC_DRV_STATUS, 20000);
  ASSERT_NE(nullptr, manager);
  HWND status = GetDlgItem(manager, IDC_DRV_STATUS);

  // NJYS twice is back to not selected; WHJL once is selected.
  Click(manager, IDC_DRV_NJYS);
  Click(manager, IDC_DRV_NJYS);
  Click(manager, IDC_DRV_WHJL);
  Click(manager, IDC_DRV_INSTALL);
  EXPECT_EQ(L"HID 武汉精伦 山东神思 安装", WaitForText(status, L"HID 武汉精伦 山东神思 安装", 10000));
  for (int id : kLockedIds) EXPECT_FALSE(IsWindowEnabled(GetDlgItem(manager, id))) << id;
  for (int id : kWayOutIds) EXPECT_TRUE(IsWindowEnabled(GetDlgItem(manager, id))) << id;

  // The download's progress: a thin bar and the percentage under the status line.
  ExpectProgressShown(manager, 60);
  HWND bar = GetDlgItem(manager, IDC_PROGRESS_BAR);
  HWND line = GetDlgItem(manager, IDC_PROGRESS_TEXT);
  const RECT statusRect = RectInDialog(manager, status);
  const RECT lineRect = RectInDialog(manager, line);
  EXPECT_GE(RectInDialog(manager, bar).top, statusRect.bottom) << "under the status line";
  EXPECT_LE(lineRect.bottom, RectInDialog(manager, GetDlgItem(manager, IDC_DRV_INSTALL)).top) << "above the buttons";

  // Installed (HID), selected (WHJL) and not selected (NJYS) each look their own; the buttons
  // locked for the run look off, the ways out as before.
  auto item = [&](int id) { return GetDlgItem(manager, id); };
  EXPECT_TRUE(WaitUntil([&] { return ShareOf(item(IDC_DRV_INSTALL), kAccent) < 0.01; }, 5000)) << "安装 looks enabled";
  EXPECT_GT(ShareOf(item(IDC_DRV_HID), kAccent), 0.5) << "installed: the accent fill";
  EXPECT_GT(ShareOf(item(IDC_DRV_WHJL), kAccentTint), 0.5) << "selected: the accent tint";
  EXPECT_LT(ShareOf(item(IDC_DRV_WHJL), kAccent), 0.3);
  EXPECT_LT(ShareOf(item(IDC_DRV_NJYS), kAccent) + ShareOf(item(IDC_DRV_NJYS), kAccentTint), 0.05);
  EXPECT_LT(ShareOf(item(IDC_DRV_REINSTALL), kAccent), 0.01);
  EXPECT_GT(ShareOf(item(IDC_DRV_USE), kAccent), 0.5);
  SaveScreenshot(manager, L"driver-manager-selected");

  // The installer: the line says which program the run waits for, and counts the seconds.
  signals_.Signal(11);
  const std::wstring waiting = L"正在等待武汉精伦安装程序结束，已等待";
  EXPECT_EQ(waiting + L"0秒", WaitForText(line, waiting + L"0秒", 10000));
  EXPECT_FALSE(IsWindowVisible(bar));
  EXPECT_EQ(waiting + L"2秒", WaitForText(line, waiting + L"2秒", 2000 + 3000));
  SaveScreenshot(manager, L"driver-manager-waiting");

  // The run's question comes in the skinned message box on the run's own thread, owned by the
  // manager so that it stays in front of it, and over its middle wherever the manager was moved.
  SetWindowPos(manager, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT moved = {};
  ASSERT_TRUE(WaitUntil([&] { return GetWindowRect(manager, &moved) && moved.left == 0 && moved.top == 0; }, 5000));
  signals_.Signal(12);
  HWND box = host->FindDialogWith(IDC_MSGBOX_TITLE, 20000);
  ASSERT_NE(nullptr, box) << "the run's question did not appear";
  EXPECT_EQ(manager, GetWindow(box, GW_OWNER));
  RECT boxRect = {};
  GetWindowRect(box, &boxRect);
  EXPECT_NEAR((moved.left + moved.right) / 2, (boxRect.left + boxRect.right) / 2, 1) << "not over the manager";
  EXPECT_NEAR((moved.top + moved.bottom) / 2, (boxRect.top + boxRect.bottom) / 2, 1) << "not over the manager";
  EXPECT_EQ(L"安装提醒", WaitForText(GetDlgItem(box, IDC_MSGBOX_TITLE), L"安装提醒", 5000));
  EXPECT_EQ(L"南京亿数和山东神思在部分机型上会冲突，\r\n继续安装？", TextOf(GetDlgItem(box, IDC_MSGBOX_TEXT)));
  SaveScreenshot(box, L"driver-manager-question");
  Click(box, IDC_MSGBOX_CONFIRM);
  EXPECT_EQ(L"confirmed", WaitForText(status, L"confirmed", 10000));
  EXPECT_FALSE(IsWindowVisible(line)) << "the installer has ended";

  signals_.Signal(13);
  for (int id : kLockedIds) EXPECT_TRUE(WaitForEnabled(GetDlgItem(manager, id), true, 10000)) << id;
  EXPECT_EQ(L"confirmed", TextOf(status)) << "the status line keeps the run's last text";

  // A second run, by "重装", sees the reinstall and is answered "取消".
  Click(manager, IDC_DRV_REINSTALL);
  EXPECT_EQ(L"HID 武汉精伦 山东神思 重装", WaitForText(status, L"HID 武汉精伦 山东神思 重装", 10000));
  signals_.Signal(21);
  signals_.Signal(22);
  box = host->FindDialogWith(IDC_MSGBOX_TITLE, 20000);
  ASSERT_NE(nullptr, box);
  Click(box, IDC_MSGBOX_CANCEL);
  EXPECT_EQ(L"cancelled", WaitForText(status, L"cancelled", 10000));
  signals_.Signal(23);
  ASSERT_TRUE(WaitForEnabled(GetDlgItem(manager, IDC_DRV_INSTALL), true, 10000));

  // Once the run is over, Enter closes without saving and without a question.
  PostMessageW(manager, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(IDOK, host->WaitExit(10000));
}

// Every way out during a run: one question (owned by the manager, naming the installer waited
// for); "取消" stays, "离开" leaves as the way and the mode say. The run left behind is told
// so, its calls show nothing, and it never touches the dialog again (the host waits for it).
enum class Way { kUseButton, kCloseButton, kEsc, kEnter, kCloseRequest, kAltF4 };

struct LeaveRunCase {
  const char* name;
  const wchar_t* mode;
  Way way;
  long exitCode;  // driver_host's: the dialog result, +100 saved, +1000 the run behaved as left
};

class LeavingARun : public DriverWindows, public testing::WithParamInterface<LeaveRunCase> {
 protected:
  void TakeWayOut(HWND manager, Way way) {
    switch (way) {
      case Way::kUseButton:
        Click(manager, IDC_DRV_USE);
        break;
      case Way::kCloseButton:
        Click(manager, IDC_DRV_CLOSE);
        break;
      case Way::kEsc:
        PostMessageW(manager, WM_COMMAND, IDCANCEL, 0);
        break;
      case Way::kEnter:
        PostMessageW(manager, WM_COMMAND, IDOK, 0);
        break;
      case Way::kCloseRequest:
        PostMessageW(manager, WM_CLOSE, 0, 0);
        break;
      case Way::kAltF4:
        PostMessageW(manager, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
  }
};

TEST_P(LeavingARun, AsksOnceThenLeavesTheRunBehind) {
  const LeaveRunCase& c = GetParam();
  auto host = Start(std::wstring(L"manager ") + c.mode);
  ASSERT_TRUE(host->Started());
  HWND manager = host->FindDialogWith(IDC_DRV_STATUS, 20000);
  ASSERT_NE(nullptr, manager);
  Click(manager, IDC_DRV_WHJL);
  Click(manager, IDC_DRV_INSTALL);
  HWND line = GetDlgItem(manager, IDC_PROGRESS_TEXT);
  ASSERT_NE(nullptr, line);
  signals_.Signal(11);
  const std::wstring waiting = L"正在等待武汉精伦安装程序结束，已等待";
  ASSERT_EQ(waiting + L"0秒", WaitForText(line, waiting + L"0秒", 10000));

  for (bool leave : {false, true}) {
    TakeWayOut(manager, c.way);
    HWND box = host->FindDialogWith(IDC_MSGBOX_TITLE, 20000);
    ASSERT_NE(nullptr, box) << "no question before leaving a run";
    EXPECT_EQ(manager, GetWindow(box, GW_OWNER));
    EXPECT_EQ(lirra::ui::LeaveQuestion(L"武汉精伦"),
              WaitForText(GetDlgItem(box, IDC_MSGBOX_TEXT), lirra::ui::LeaveQuestion(L"武汉精伦"), 5000));
    // Another way out while the question is open asks nothing more: once the line has counted
    // on (the dialog's timer comes after what was posted before it), the way out was handled.
    TakeWayOut(manager, c.way);
    const int counted = WaitedSeconds(TextOf(line));
    EXPECT_GT(WaitedSeconds(WaitForWaitPast(line, counted, 5000)), counted);
    EXPECT_EQ(1, CountBoxes(host->Pid()));
    if (leave && c.way == Way::kUseButton) SaveScreenshot(box, L"driver-manager-leave-question");
    Click(box, leave ? IDC_MSGBOX_CONFIRM : IDC_MSGBOX_CANCEL);
    if (leave) break;
    for (int waited = 0; IsWindow(box) && waited < 10000; waited += 50) Sleep(50);
    const int before = WaitedSeconds(TextOf(line));
    const std::wstring later = WaitForWaitPast(line, before, 5000);
    EXPECT_EQ(waiting, later.substr(0, waiting.size())) << "取消 stays and the run still reports";
    EXPECT_GT(WaitedSeconds(later), before);
    EXPECT_EQ(-1, host->WaitExit(0));
    EXPECT_TRUE(IsWindowVisible(manager));
  }
  for (int waited = 0; IsWindow(manager) && waited < 10000; waited += 50) Sleep(50);
  EXPECT_FALSE(IsWindow(manager)) << "离开 leaves at once, though the run still waits";
  // The run goes on without the dialog: its installer ends, its question and its end come.
  signals_.Signal(12);
  signals_.Signal(13);
  EXPECT_EQ(c.exitCode, host->WaitExit(20000));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, LeavingARun,
    testing::Values(LeaveRunCase{"startup_use_saves_and_goes_on", L"startup", Way::kUseButton, 1101},
                    LeaveRunCase{"startup_esc", L"startup", Way::kEsc, 1101},
                    LeaveRunCase{"startup_alt_f4", L"startup", Way::kAltF4, 1101},
                    LeaveRunCase{"startup_close_request", L"startup", Way::kCloseRequest, 1101},
                    LeaveRunCase{"startup_enter_goes_on_without_saving", L"startup", Way::kEnter, 1001},
                    LeaveRunCase{"startup_close_button_ends_the_client", L"startup", Way::kCloseButton, 1050},
                    LeaveRunCase{"browser_exit_button", L"browser", Way::kUseButton, 1001},
                    LeaveRunCase{"browser_close_button", L"browser", Way::kCloseButton, 1001}),
    [](const testing::TestParamInfo<LeaveRunCase>& info) { return std::string(info.param.name); });

struct LeaveCase {
  const char* name;
  const wchar_t* mode;
  int message;  // WM_COMMAND id sent, or WM_CLOSE
  long exitCode;
};

class LeavingTheManager : public DriverWindows, public testing::WithParamInterface<LeaveCase> {};

TEST_P(LeavingTheManager, ClosesSavesOrEndsTheClient) {
  const LeaveCase& c = GetParam();
  auto host = Start(std::wstring(L"manager ") + c.mode);
  ASSERT_TRUE(host->Started());
  HWND manager = host->FindDialogWith(IDC_DRV_STATUS, 20000);
  ASSERT_NE(nullptr, manager);
  ASSERT_EQ(L"Lirra·商户", WaitForText(manager, L"Lirra·商户", 5000));
  if (c.message == WM_CLOSE) {
    PostMessageW(manager, WM_CLOSE, 0, 0);
  } else {
    Click(manager, c.message);
  }
  EXPECT_EQ(c.exitCode, host->WaitExit(10000));
}

// Exit codes: the dialog result (IDOK 1), plus 100 when config.ini was saved; 50 when the
// close button ended the client at start-up.
INSTANTIATE_TEST_SUITE_P(Ways, LeavingTheManager,
                         testing::Values(LeaveCase{"startup_close_button_ends", L"startup", IDC_DRV_CLOSE, 50},
                                         LeaveCase{"startup_close_request_saves", L"startup", WM_CLOSE, 101},
                                         LeaveCase{"browser_exit_button", L"browser", IDC_DRV_USE, 1},
                                         LeaveCase{"browser_close_button", L"browser", IDC_DRV_CLOSE, 1},
                                         LeaveCase{"browser_close_request", L"browser", WM_CLOSE, 1}),
                         [](const testing::TestParamInfo<LeaveCase>& info) { return std::string(info.param.name); });

// The About box from the manager's system menu, twice, each time whole and in the same place.
TEST_F(DriverWindows, AboutBoxFromTheSystemMenu) {
  auto host = Start(L"manager browser");
  ASSERT_TRUE(host->Started());
  HWND manager = host->FindDialogWith(IDC_DRV_STATUS, 20000);
  ASSERT_NE(nullptr, manager);
  // The About box names the version that the program's version resource carries.
  const std::wstring version = ProductVersionOf(BesideTest(L"driver_host.exe"));
  ASSERT_EQ(std::wstring::npos, version.find(L'<')) << version;
  for (int opening = 0; opening < 2; ++opening) {
    PostMessageW(manager, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = host->FindDialogWith(IDC_ABOUT_VERSION, 20000);
    ASSERT_NE(nullptr, about) << "About box did not appear";
    EXPECT_EQ(L"Lirra·商户 " + version + L" 版", TextOf(GetDlgItem(about, IDC_ABOUT_VERSION)));
    EXPECT_EQ(L"关于", TextOf(GetDlgItem(about, IDC_ABOUT_HEADING)));
    RECT window;
    GetWindowRect(about, &window);
    EXPECT_EQ(284, window.right - window.left);
    // As tall as its content, not the 318 pixels of old with 40 % empty.
    EXPECT_EQ(168, window.bottom - window.top);
    RECT client;
    GetClientRect(about, &client);
    const RECT close = RectInDialog(about, GetDlgItem(about, IDC_ABOUT_CLOSE));
    EXPECT_EQ(client.right - 47, close.left);
    EXPECT_EQ(8, close.top);
    lirra::win::ScopedRegion region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(ERROR, GetWindowRgn(about, region.Get()));
    EXPECT_FALSE(PtInRegion(region.Get(), 0, 0));
    EXPECT_TRUE(PtInRegion(region.Get(), 142, 84));
    EXPECT_FALSE(PtInRegion(region.Get(), 0, 167));
    if (opening == 0) SaveScreenshot(about, L"about-box");
    Click(about, IDC_ABOUT_CLOSE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 10000));
    EXPECT_TRUE(IsWindow(manager)) << "closing the About box leaves the manager open";
  }
  PostMessageW(manager, WM_CLOSE, 0, 0);
  EXPECT_EQ(IDOK, host->WaitExit(10000));
}

struct AboutKey {
  const char* name;
  int command;
  long exitCode;
};

class AboutBoxKeys : public DriverWindows, public testing::WithParamInterface<AboutKey> {};

TEST_P(AboutBoxKeys, CloseWithTheirResults) {
  const AboutKey& c = GetParam();
  auto host = Start(L"about x");
  ASSERT_TRUE(host->Started());
  HWND about = host->FindDialogWith(IDC_ABOUT_VERSION, 20000);
  ASSERT_NE(nullptr, about);
  if (c.command == IDC_ABOUT_CLOSE) {
    Click(about, IDC_ABOUT_CLOSE);
  } else {
    PostMessageW(about, WM_COMMAND, c.command, 0);
  }
  EXPECT_EQ(c.exitCode, host->WaitExit(10000));
}

INSTANTIATE_TEST_SUITE_P(Keys, AboutBoxKeys,
                         testing::Values(AboutKey{"close_button", IDC_ABOUT_CLOSE, IDOK}, AboutKey{"enter", IDOK, IDOK},
                                         AboutKey{"esc", IDCANCEL, IDCANCEL}),
                         [](const testing::TestParamInfo<AboutKey>& info) { return std::string(info.param.name); });

std::string FileBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The requests the shop server has logged so far.
size_t ServerRequests() {
  const std::string log = FileBytes(EnvWinePath("LIRRA_SHOP_DIR", L"\\..\\server.log"));
  size_t count = 0;
  for (size_t at = log.find("\"GET "); at != std::string::npos; at = log.find("\"GET ", at + 1)) ++count;
  return count;
}

bool WaitUntilVisible(HWND hwnd, bool visible, DWORD ms) {
  for (DWORD waited = 0; (IsWindowVisible(hwnd) != FALSE) != visible && waited < ms; waited += 50) Sleep(50);
  return IsWindowVisible(hwnd) != FALSE;
}

// A second lirra.exe in the shop folder: it must end at once, without a window, a request or
// anything else of a start.
void StartASecondClient(const std::wstring& shop) {
  const size_t requests = ServerRequests();
  WindowHost second(shop + L"\\lirra.exe", L"", shop);
  ASSERT_TRUE(second.Started());
  EXPECT_EQ(0, second.WaitExit(20000)) << "the second start did not end by itself";
  EXPECT_EQ(requests, ServerRequests()) << "the second start went on to prepare";
}

// Removes a vendor's interface key, which the fixture installers write.
void RemoveInterface(const wchar_t* id) {
  const std::wstring key = std::wstring(L"SOFTWARE\\Classes\\Interface\\") + id;
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, (key + L"\\ProxyStubClsid32").c_str());
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
}

constexpr wchar_t kNjysInterface[] = L"{2C4CE648-A725-4FC8-9F54-F3CB680A42BD}";
constexpr wchar_t kWhjlInterface[] = L"{4A8D857F-3372-457B-A1F8-0D2A3615B677}";
constexpr const wchar_t* kYsbInterfaces[] = {L"{6B20A80E-7218-49C8-804E-DF4B78815E9F}",
                                             L"{438E0BA0-E5EA-464E-A633-3A4443C45A9F}"};

// The plug-in is registered first, so that no warning can stop the start.
void RegisterCardX(const std::wstring& shop) {
  WindowHost regsvr(L"C:\\windows\\system32\\regsvr32.exe", L"/s \"" + shop + L"\\CardX.ocx\"", shop);
  ASSERT_TRUE(regsvr.Started());
  ASSERT_EQ(0, regsvr.WaitExit(60000));
}

// The real lirra.exe at its first start against the shop server (first-start.sh): a second start
// meanwhile only brings it forward; the user installs 南京亿数 with the fixture installer and goes
// on with "使用", which saves it and opens the browser window; from the tray a second start
// brings that back; "退出" in the tray menu ends the client with 0.
TEST(FirstStart, DriverManagerInstallsAVendorUseOpensTheBrowserAndExitEndsTheClient) {
  const std::wstring shop = EnvWinePath("LIRRA_SHOP_DIR");
  if (shop.empty()) GTEST_SKIP() << "needs the shop folder and server of first-start.sh";
  // The fixture installer registers the vendor's interface; it is removed before and after.
  struct NjysCleanUp {
    NjysCleanUp() { RemoveInterface(kNjysInterface); }
    ~NjysCleanUp() { RemoveInterface(kNjysInterface); }
  } cleanUp;
  RegisterCardX(shop);

  WindowHost client(shop + L"\\lirra.exe", L"", shop);
  ASSERT_TRUE(client.Started());
  HWND manager = client.FindDialogWith(IDC_DRV_STATUS, 120000);
  ASSERT_NE(nullptr, manager) << "the driver manager did not follow the loading window";

  StartASecondClient(shop);
  EXPECT_EQ(-1, client.WaitExit(0));
  EXPECT_TRUE(IsWindowVisible(manager));

  PostMessageW(GetDlgItem(manager, IDC_DRV_NJYS), BM_CLICK, 0, 0);
  PostMessageW(GetDlgItem(manager, IDC_DRV_INSTALL), BM_CLICK, 0, 0);
  EXPECT_EQ(L"安装南京亿数成功", WaitForText(GetDlgItem(manager, IDC_DRV_STATUS), L"安装南京亿数成功", 90000));
  ASSERT_TRUE(WaitForEnabled(GetDlgItem(manager, IDC_DRV_INSTALL), true, 10000));

  PostMessageW(GetDlgItem(manager, IDC_DRV_USE), BM_CLICK, 0, 0);
  // The saved form, whole: HID from the start's own step, 南京亿数 from the run.
  const std::string saved =
      "\n[HID]\nvalue = 1\n\n[NJYS]\nvalue = 1\n\n[SDSS]\nvalue = 0\n\n[WHJL]\nvalue = 0\n\n[YSB]\nvalue = 0\n";
  std::string config;
  for (int waited = 0; config != saved && waited < 10000; waited += 100) {
    Sleep(100);
    config = FileBytes(shop + L"\\config.ini");
  }
  EXPECT_EQ(saved, config);

  HWND browser = client.FindDialogWith(IDC_BROWSER_TITLE, 60000);
  ASSERT_NE(nullptr, browser) << "使用 did not lead to the browser window";
  PostMessageW(GetDlgItem(browser, IDC_BROWSER_MIN), BM_CLICK, 0, 0);
  ASSERT_FALSE(WaitUntilVisible(browser, false, 10000)) << "the browser window did not go to the tray";
  StartASecondClient(shop);
  EXPECT_TRUE(WaitUntilVisible(browser, true, 10000)) << "a second start did not bring it out of the tray";

  // Esc and Alt+F4 send the shop session to the tray as well; only 退出 ends it.
  for (auto press : {PressEsc, PressAltF4}) {
    ASSERT_TRUE(FocusByClick(GetDlgItem(browser, IDC_BROWSER_LOGO), client.ThreadId()));
    press(client.ThreadId(), browser);
    EXPECT_FALSE(WaitUntilVisible(browser, false, 10000)) << "a key did not send the window to the tray";
    EXPECT_EQ(-1, client.WaitExit(500)) << "a key ended the client";
    StartASecondClient(shop);
    EXPECT_TRUE(WaitUntilVisible(browser, true, 10000));
  }

  PostMessageW(browser, WM_COMMAND, ID_TRAY_EXIT, 0);
  EXPECT_EQ(0, client.WaitExit(20000));
}

// An installer that never ends: the status line keeps its text, the line under it counts the
// wait; the close button asks once, and on "离开" the client ends with 0 at once, the run no
// longer waiting and the installer still running. config.ini keeps 广州易售宝, installed before, and not 武汉精伦,
// whose installer registered its plug-in and then hung; the installer keeps running.
TEST(FirstStart, HungInstallerIsLeftAfterOneQuestion) {
  const std::wstring shop = EnvWinePath("LIRRA_SHOP_DIR");
  if (shop.empty()) GTEST_SKIP() << "needs the shop folder and server of first-start.sh";
  struct CleanUp {
    CleanUp() { Remove(); }
    ~CleanUp() {
      Processes(L"jinglun.exe", true);
      Remove();
    }
    static void Remove() {
      RemoveInterface(kNjysInterface);
      RemoveInterface(kWhjlInterface);
      for (const wchar_t* id : kYsbInterfaces) RemoveInterface(id);
    }
  } cleanUp;
  RegisterCardX(shop);
  // Without a package list from an earlier start, the driver manager offers itself again.
  DeleteFileW((shop + L"\\file.ini").c_str());
  CreateDirectoryW((shop + L"\\WHJL").c_str(), nullptr);
  HANDLE marker = CreateFileW((shop + L"\\WHJL\\jinglun.exe.hang").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, marker);
  CloseHandle(marker);

  WindowHost client(shop + L"\\lirra.exe", L"", shop);
  ASSERT_TRUE(client.Started());
  HWND manager = client.FindDialogWith(IDC_DRV_STATUS, 120000);
  ASSERT_NE(nullptr, manager) << "the driver manager did not follow the loading window";
  PostMessageW(GetDlgItem(manager, IDC_DRV_YSB), BM_CLICK, 0, 0);
  PostMessageW(GetDlgItem(manager, IDC_DRV_WHJL), BM_CLICK, 0, 0);
  PostMessageW(GetDlgItem(manager, IDC_DRV_INSTALL), BM_CLICK, 0, 0);
  const std::wstring installing = L"正在安装武汉精伦【温馨提示：如果杀毒软件或360拦截安装，请允许】";
  EXPECT_EQ(installing, WaitForText(GetDlgItem(manager, IDC_DRV_STATUS), installing, 90000));
  const std::wstring waiting = L"正在等待武汉精伦安装程序结束，已等待";
  HWND line = GetDlgItem(manager, IDC_PROGRESS_TEXT);
  EXPECT_EQ(waiting + L"2秒", WaitForText(line, waiting + L"2秒", 10000));
  EXPECT_EQ(installing, TextOf(GetDlgItem(manager, IDC_DRV_STATUS))) << "the specified text stays";
  SaveScreenshot(manager, L"driver-manager-hung-installer");

  PostMessageW(GetDlgItem(manager, IDC_DRV_CLOSE), BM_CLICK, 0, 0);
  HWND box = client.FindDialogWith(IDC_MSGBOX_TITLE, 20000);
  ASSERT_NE(nullptr, box) << "no question before leaving the run";
  EXPECT_EQ(manager, GetWindow(box, GW_OWNER));
  EXPECT_EQ(lirra::ui::LeaveQuestion(L"武汉精伦"), TextOf(GetDlgItem(box, IDC_MSGBOX_TEXT)));
  SaveScreenshot(box, L"driver-manager-hung-installer-question");
  PostMessageW(GetDlgItem(box, IDC_MSGBOX_CONFIRM), BM_CLICK, 0, 0);

  EXPECT_EQ(0, client.WaitExit(20000)) << "the run left waiting must not hold the client";
  EXPECT_EQ("\n[HID]\nvalue = 1\n\n[NJYS]\nvalue = 0\n\n[SDSS]\nvalue = 0\n\n[WHJL]\nvalue = 0\n\n[YSB]\nvalue = 1\n",
            FileBytes(shop + L"\\config.ini"));
  EXPECT_EQ(1, Processes(L"jinglun.exe", false)) << "the installer keeps running";
}
}  // namespace
