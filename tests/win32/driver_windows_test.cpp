// Drives the driver manager and the About box in driver_host.exe: their shape and texts, the
// vendor selection an install run sees, the buttons locked while a run is in progress (no way
// of closing the dialog works then), a conflict question from the run's thread, and the ways
// of leaving the dialog at start-up and from the browser window.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "resource.h"
#include "window_driver.h"

namespace {

using lirra::test::BesideTest;
using lirra::test::EnvWinePath;
using lirra::test::ProductVersionOf;
using lirra::test::RectInDialog;
using lirra::test::SaveScreenshot;
using lirra::test::StepSignals;
using lirra::test::TextOf;
using lirra::test::WaitForEnabled;
using lirra::test::WaitForText;
using lirra::test::WaitUntil;
using lirra::test::WindowHost;

constexpr int kLockedIds[] = {IDC_DRV_INSTALL, IDC_DRV_REINSTALL, IDC_DRV_USE, IDC_DRV_CLOSE};

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

TEST_F(DriverWindows, RunSeesTheSelectionAndLocksTheDialogUntilItEnds) {
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
  SaveScreenshot(manager, L"driver-manager-selected");

  // Nothing closes the dialog while the run reports to it.
  PostMessageW(manager, WM_COMMAND, IDCANCEL, 0);
  PostMessageW(manager, WM_COMMAND, IDOK, 0);
  PostMessageW(manager, WM_CLOSE, 0, 0);
  PostMessageW(manager, WM_COMMAND, MAKEWPARAM(IDC_DRV_CLOSE, BN_CLICKED), 0);
  EXPECT_EQ(-1, host->WaitExit(1500));
  ASSERT_TRUE(IsWindow(manager));

  // The run's question comes in the skinned message box on the run's own thread.
  signals_.Signal(11);
  HWND box = host->FindDialogWith(IDC_MSGBOX_TITLE, 20000);
  ASSERT_NE(nullptr, box) << "the run's question did not appear";
  EXPECT_EQ(L"安装提醒", WaitForText(GetDlgItem(box, IDC_MSGBOX_TITLE), L"安装提醒", 5000));
  EXPECT_EQ(L"南京亿数和山东神思在部分机型上会冲突，\r\n继续安装？", TextOf(GetDlgItem(box, IDC_MSGBOX_TEXT)));
  SaveScreenshot(box, L"driver-manager-question");
  Click(box, IDC_MSGBOX_CONFIRM);
  EXPECT_EQ(L"confirmed", WaitForText(status, L"confirmed", 10000));

  signals_.Signal(12);
  for (int id : kLockedIds) EXPECT_TRUE(WaitForEnabled(GetDlgItem(manager, id), true, 10000)) << id;
  EXPECT_EQ(L"confirmed", TextOf(status)) << "the status line keeps the run's last text";

  // A second run, by "重装", sees the reinstall and is answered "取消".
  Click(manager, IDC_DRV_REINSTALL);
  EXPECT_EQ(L"HID 武汉精伦 山东神思 重装", WaitForText(status, L"HID 武汉精伦 山东神思 重装", 10000));
  signals_.Signal(21);
  box = host->FindDialogWith(IDC_MSGBOX_TITLE, 20000);
  ASSERT_NE(nullptr, box);
  Click(box, IDC_MSGBOX_CANCEL);
  EXPECT_EQ(L"cancelled", WaitForText(status, L"cancelled", 10000));
  signals_.Signal(22);
  ASSERT_TRUE(WaitForEnabled(GetDlgItem(manager, IDC_DRV_USE), true, 10000));

  // Once the run is over, Enter closes without saving.
  PostMessageW(manager, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(IDOK, host->WaitExit(10000));
}

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

// Exit codes: the dialog result (IDOK 1), plus 100 when config.ini was saved; 0 when the
// close button ended the client at start-up.
INSTANTIATE_TEST_SUITE_P(Ways, LeavingTheManager,
                         testing::Values(LeaveCase{"startup_close_button_ends", L"startup", IDC_DRV_CLOSE, 0},
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
    EXPECT_EQ(L"Lirra·商户" + version + L" 版", TextOf(GetDlgItem(about, IDC_ABOUT_VERSION)));
    EXPECT_EQ(L"关于", TextOf(GetDlgItem(about, IDC_ABOUT_HEADING)));
    RECT window;
    GetWindowRect(about, &window);
    EXPECT_EQ(284, window.right - window.left);
    EXPECT_EQ(318, window.bottom - window.top);
    RECT client;
    GetClientRect(about, &client);
    const RECT close = RectInDialog(about, GetDlgItem(about, IDC_ABOUT_CLOSE));
    EXPECT_EQ(client.right - 47, close.left);
    EXPECT_EQ(8, close.top);
    lirra::win::ScopedRegion region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(ERROR, GetWindowRgn(about, region.Get()));
    EXPECT_FALSE(PtInRegion(region.Get(), 0, 0));
    EXPECT_TRUE(PtInRegion(region.Get(), 142, 159));
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

// The real lirra.exe at its first start against the shop server (first-start.sh): the user
// installs 南京亿数 with the fixture installer, then goes on with "使用", which saves it.
TEST(FirstStart, DriverManagerInstallsAVendorAndUseSavesIt) {
  const std::wstring shop = EnvWinePath("LIRRA_SHOP_DIR");
  if (shop.empty()) GTEST_SKIP() << "needs the shop folder and server of first-start.sh";
  // The fixture installer registers the vendor's interface; it is removed before and after.
  struct NjysCleanUp {
    NjysCleanUp() { Remove(); }
    ~NjysCleanUp() { Remove(); }
    static void Remove() {
      const std::wstring key = L"SOFTWARE\\Classes\\Interface\\{2C4CE648-A725-4FC8-9F54-F3CB680A42BD}";
      RegDeleteKeyW(HKEY_LOCAL_MACHINE, (key + L"\\ProxyStubClsid32").c_str());
      RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
    }
  } cleanUp;

  WindowHost regsvr(L"C:\\windows\\system32\\regsvr32.exe", L"/s \"" + shop + L"\\CardX.ocx\"", shop);
  ASSERT_TRUE(regsvr.Started());
  ASSERT_EQ(0, regsvr.WaitExit(60000));

  WindowHost client(shop + L"\\lirra.exe", L"", shop);
  ASSERT_TRUE(client.Started());
  HWND manager = client.FindDialogWith(IDC_DRV_STATUS, 120000);
  ASSERT_NE(nullptr, manager) << "the driver manager did not follow the loading window";
  PostMessageW(GetDlgItem(manager, IDC_DRV_NJYS), BM_CLICK, 0, 0);
  PostMessageW(GetDlgItem(manager, IDC_DRV_INSTALL), BM_CLICK, 0, 0);
  EXPECT_EQ(L"安装南京亿数成功", WaitForText(GetDlgItem(manager, IDC_DRV_STATUS), L"安装南京亿数成功", 90000));
  ASSERT_TRUE(WaitForEnabled(GetDlgItem(manager, IDC_DRV_USE), true, 10000));

  PostMessageW(GetDlgItem(manager, IDC_DRV_USE), BM_CLICK, 0, 0);
  std::string config;
  for (int waited = 0; config.find("[NJYS]\nvalue = 1\n") == std::string::npos && waited < 10000; waited += 100) {
    Sleep(100);
    std::ifstream in((shop + L"\\config.ini").c_str(), std::ios::binary);
    config.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  EXPECT_NE(std::string::npos, config.find("[NJYS]\nvalue = 1\n")) << config;
  EXPECT_NE(std::string::npos, config.find("[HID]\nvalue = 1\n")) << config;
}

}  // namespace
