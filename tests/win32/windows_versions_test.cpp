// The real lirra.exe's first start in a fresh prefix set to one Windows version
// (windows-versions.sh makes the prefix and the shop folder, serves the shop's data on the
// client's loopback host and names the version in LIRRA_WINDOWS_VERSION; scripts/wine.sh names
// the prefix's width in LIRRA_WINDOWS_BITS). Per version: what lirractl doctor sees, the IE 8
// package on XP, whether the HID driver step runs and which HID package it takes, the plug-in
// and a vendor installer registered in the client's own registry view and found there, the
// driver manager after the loading window, a second start, with file.ini from the first, going
// straight to the browser window with the engine settings where an IE of the client's width
// reads them, and an Internet Explorer below 8 that ends in the update question.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <tlhelp32.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "resource.h"
#include "win32_test_util.h"
#include "window_driver.h"

namespace {

using lirra::test::EnvWinePath;
using lirra::test::Processes;
using lirra::test::SaveScreenshot;
using lirra::test::TextOf;
using lirra::test::WaitForEnabled;
using lirra::test::WaitForText;
using lirra::test::WindowHost;

// What the client must make of one Windows version of one width.
struct WindowsVersion {
  const char* mode;             // winecfg /v
  int bits;                     // the width of that Windows (the prefix's)
  const char* os;               // the name lirractl doctor reports
  const wchar_t* hidInstaller;  // the HID package the first start runs; null when the step is skipped
};

constexpr WindowsVersion kVersions[] = {
    // XP comes with IE 7: the first start installs IE 8 first.
    {"winxp", 32, "XP", L"XP32.exe"},
    {"win7", 32, "7", L"W732.exe"},
    // The processor decides, not the client's width: a 32-bit client on 64-bit 7 takes W764.
    {"win7", 64, "7", L"W764.exe"},
    {"win81", 64, "8", L"W864.exe"},
    // Windows 10 ships the reader's driver: the HID step is skipped though the manifest names W1064.
    {"win10", 64, "10", nullptr},
    // XP x64 reports 5.2, which the client does not support: no HID package is available.
    {"winxp64", 64, "No", nullptr},
};

const wchar_t kTextInstallingHid[] = L"正在安装HID驱动【温馨提示：如果杀毒软件或360拦截安装，请允许】";
const wchar_t kTextDownloadingHid[] = L"正在下载HID必备驱动...";
const wchar_t kTextDownloadingIe8[] = L"正在下载IE8...";
const wchar_t kTextInstallingIe8[] = L"正在安装IE8...";
const wchar_t kTextRegistering[] = L"正在注册HID插件，如出错请用管理员权限运行";

// The progress texts of a start in the order the loading window shows them.
const std::vector<std::wstring> kProgressTexts = {
    L"正在初始化Lirra·商户系统，请耐心等待...",
    L"正在检查系统环境，请稍候...",
    L"正在检查版本更新情况...",
    L"正在检查版本已经OK...",
    kTextDownloadingIe8,
    kTextInstallingIe8,
    kTextDownloadingHid,
    kTextInstallingHid,
    L"正在清除HID插件，如出错请用管理员权限运行...",
    kTextRegistering,
    L"初始化完成，正在启动系统，请稍候...",
};

constexpr wchar_t kHidInterface[] = L"{D18F137A-0549-4868-B49D-4AF69278E7AC}";
constexpr wchar_t kNjysInterface[] = L"{2C4CE648-A725-4FC8-9F54-F3CB680A42BD}";
constexpr wchar_t kOmnikey[] = L"C:\\Program Files\\HID Global\\OMNIKEY 3x2x";

const wchar_t kIeKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer";
constexpr wchar_t kIe7[] = L"7.0.5730.13";
const wchar_t kEmulationKey[] =
    L"SOFTWARE\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";

const WindowsVersion* VersionUnderTest() {
  const char* mode = std::getenv("LIRRA_WINDOWS_VERSION");
  const char* bits = std::getenv("LIRRA_WINDOWS_BITS");
  for (const WindowsVersion& version : kVersions) {
    if (mode && bits && std::string(mode) == version.mode && std::atoi(bits) == version.bits) return &version;
  }
  return nullptr;
}

// The registry view where this build's programs (the client, the stand-in installers, regsvr32
// as the client starts it) write on 64-bit Windows, and the other one.
constexpr REGSAM kOwnView = sizeof(void*) == 4 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
constexpr REGSAM kOtherView = sizeof(void*) == 4 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;

bool OnXp(const WindowsVersion& version) { return std::string(version.os) == "XP"; }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool KeyInView(const std::wstring& path, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Whether the interface's proxy/stub key exists in one view of the registry.
bool InterfaceInView(const wchar_t* id, REGSAM view) {
  return KeyInView(std::wstring(L"SOFTWARE\\Classes\\Interface\\") + id + L"\\ProxyStubClsid32", view);
}

// The document mode the client set for itself in one view of HKLM, or -1.
long long EmulationInView(REGSAM view) {
  DWORD data = 0, size = sizeof data, type = 0;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEmulationKey, 0, KEY_READ | view, &key) != ERROR_SUCCESS) return -1;
  LONG rc = RegQueryValueExW(key, L"lirra.exe", nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS && type == REG_DWORD ? static_cast<long long>(data) : -1;
}

// Internet Explorer's version values as a test found them, put back when it ends.
struct RestoreIe {
  std::wstring version = lirra::test::ReadString(HKEY_LOCAL_MACHINE, kIeKey, L"Version").value_or(L"");
  std::wstring service = lirra::test::ReadString(HKEY_LOCAL_MACHINE, kIeKey, L"svcVersion").value_or(L"");
  ~RestoreIe() {
    lirra::test::SetString(HKEY_LOCAL_MACHINE, kIeKey, L"Version", version.c_str());
    lirra::test::SetString(HKEY_LOCAL_MACHINE, kIeKey, L"svcVersion", service.empty() ? nullptr : service.c_str());
    Processes(L"iexplore.exe", true);
  }
};

// Internet Explorer 7 as XP has it: "Version" only.
bool SetIe7() {
  return lirra::test::SetString(HKEY_LOCAL_MACHINE, kIeKey, L"Version", kIe7) &&
         lirra::test::SetString(HKEY_LOCAL_MACHINE, kIeKey, L"svcVersion", nullptr);
}

// lirractl doctor's report on the shop folder, "\r\n" ending each line.
std::string DoctorReport(const std::wstring& shop) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) return "<no pipe>";
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  const std::wstring exe = EnvWinePath("LIRRA_LIRRACTL");
  std::wstring command = L"\"" + exe + L"\" doctor --dir \"" + shop + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  const BOOL started =
      CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
  CloseHandle(write);
  std::string report = started ? "" : "<lirractl did not start>";
  char chunk[4096];
  DWORD got = 0;
  // The report ends when lirractl does (its own network probes are bounded).
  while (started && ReadFile(read, chunk, sizeof chunk, &got, nullptr) && got > 0) report.append(chunk, got);
  CloseHandle(read);
  if (started) {
    WaitForSingleObject(info.hProcess, 30000);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
  }
  return report;
}

void ExpectReportLines(const std::string& report, const std::vector<std::string>& lines) {
  for (const std::string& line : lines)
    EXPECT_NE(std::string::npos, report.find(line + "\r\n")) << line << "\n" << report;
}

// A visible message box of the client, or null.
HWND MessageBoxOf(const WindowHost& client) { return client.FindDialogWith(IDC_MSGBOX_TITLE, 0); }

// The texts the loading window showed, in order, until it closed. A question or warning fails
// the test, unless `question` takes it: the watch then ends there.
std::vector<std::wstring> WatchLoadingWindow(WindowHost& client, HWND* question = nullptr) {
  std::vector<std::wstring> seen;
  HWND loading = client.FindDialog(30000);
  EXPECT_NE(nullptr, loading) << "loading window did not appear";
  if (!loading) return seen;
  // A quick start can be past its loading window at the first look: the window found then is
  // the one that follows it.
  if (GetDlgItem(loading, IDC_BROWSER_TITLE) || GetDlgItem(loading, IDC_DRV_STATUS)) return seen;
  HWND text = GetWindow(loading, GW_CHILD);
  for (DWORD waited = 0; IsWindow(loading) && waited < 120000; waited += 20) {
    const std::wstring shown = IsWindow(text) ? TextOf(text) : L"";
    if (!shown.empty() && (seen.empty() || seen.back() != shown)) seen.push_back(shown);
    if (waited % 500 == 0) {
      if (HWND box = MessageBoxOf(client)) {
        if (question) {
          *question = box;
          return seen;
        }
        ADD_FAILURE() << "the start asked: " << testing::PrintToString(TextOf(GetDlgItem(box, IDC_MSGBOX_TEXT)));
        break;
      }
    }
    if (client.WaitExit(20) != -1) break;
  }
  EXPECT_FALSE(IsWindow(loading)) << "the loading window did not close";
  if (question) ADD_FAILURE() << "no question came";
  size_t last = 0;
  for (const std::wstring& shown : seen) {
    auto found = std::find(kProgressTexts.begin(), kProgressTexts.end(), shown);
    EXPECT_NE(kProgressTexts.end(), found) << "unexpected text " << testing::PrintToString(shown);
    if (found == kProgressTexts.end()) continue;
    const size_t index = static_cast<size_t>(found - kProgressTexts.begin());
    EXPECT_GE(index, last) << "texts out of order";
    last = index;
  }
  return seen;
}

bool Showed(const std::vector<std::wstring>& seen, const wchar_t* text) {
  return std::find(seen.begin(), seen.end(), text) != seen.end();
}

// The HID packages the client keeps in its folder.
std::vector<std::wstring> HidPackages(const std::wstring& shop) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((shop + L"\\HID\\*.exe").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// The version under test and the shop folder that windows-versions.sh laid out.
class WindowsVersions : public testing::Test {
 protected:
  void SetUp() override {
    if (!version || shop.empty())
      GTEST_SKIP() << "needs a known LIRRA_WINDOWS_VERSION and LIRRA_WINDOWS_BITS and the set-up of "
                      "windows-versions.sh";
  }

  const WindowsVersion* const version = VersionUnderTest();
  const std::wstring shop = EnvWinePath("LIRRA_SHOP_DIR");
};

TEST_F(WindowsVersions, FirstStartToTheDriverManagerAndASecondToTheBrowser) {
  const std::wstring mode = lirra::test::Widen(version->mode) + L"-" + std::to_wstring(version->bits);
  const bool hidStep = version->hidInstaller != nullptr;
  if (OnXp(*version)) {
    ASSERT_TRUE(SetIe7());
  }

  // A fresh prefix and an empty shop folder: what the client will see.
  ExpectReportLines(DoctorReport(shop),
                    {std::string("os: ") + version->os, "bits: " + std::to_string(version->bits),
                     "plugin.HID: not registered", "plugin.NJYS: not registered", "omnikey: missing",
                     "config.HID: missing", "platform: answers", "download: answers"});

  {
    WindowHost client(shop + L"\\lirra.exe", L"", shop);
    ASSERT_TRUE(client.Started());
    const std::vector<std::wstring> seen = WatchLoadingWindow(client);
    EXPECT_EQ(OnXp(*version), Showed(seen, kTextInstallingIe8)) << "IE 8 step";
    EXPECT_EQ(hidStep, Showed(seen, kTextInstallingHid)) << "HID driver step";
    if (!hidStep) {
      EXPECT_FALSE(Showed(seen, kTextDownloadingHid));
    }
    EXPECT_TRUE(Showed(seen, kTextRegistering)) << "CardX.ocx is registered by the first start";

    HWND manager = client.FindDialogWith(IDC_DRV_STATUS, 30000);
    ASSERT_NE(nullptr, manager) << "the driver manager did not follow the loading window";
    // The stand-in installer registers 南京亿数's interface in the view of its own width.
    PostMessageW(GetDlgItem(manager, IDC_DRV_NJYS), BM_CLICK, 0, 0);
    PostMessageW(GetDlgItem(manager, IDC_DRV_INSTALL), BM_CLICK, 0, 0);
    EXPECT_EQ(L"安装南京亿数成功", WaitForText(GetDlgItem(manager, IDC_DRV_STATUS), L"安装南京亿数成功", 60000));
    EXPECT_TRUE(WaitForEnabled(GetDlgItem(manager, IDC_DRV_INSTALL), true, 10000));
    SaveScreenshot(manager, L"windows-versions-" + mode + L"-driver-manager");
    PostMessageW(GetDlgItem(manager, IDC_DRV_CLOSE), BM_CLICK, 0, 0);
    EXPECT_EQ(0, client.WaitExit(20000)) << "the close button at start-up ends the client";
  }

  // The HID package of this version's key, and only it, was fetched and run.
  const std::vector<std::wstring> packages = HidPackages(shop);
  if (hidStep) {
    EXPECT_EQ(std::vector<std::wstring>{version->hidInstaller}, packages);
  } else {
    EXPECT_TRUE(packages.empty()) << testing::PrintToString(packages);
  }
  EXPECT_EQ(hidStep, Exists(kOmnikey)) << "the stand-in HID installer makes the OMNIKEY folder";
  // The IE 8 package was fetched and run on XP alone, and the version read again.
  EXPECT_EQ(OnXp(*version), Exists(shop + L"\\IE8XP.exe"));
  // Both registrations landed in the view of the client's width (on 64-bit Windows, regsvr32
  // from SysWOW64 registers a 32-bit CardX.ocx where a 32-bit browser control looks), and the
  // probes found them there.
  for (const wchar_t* id : {kHidInterface, kNjysInterface}) {
    EXPECT_TRUE(InterfaceInView(id, kOwnView)) << testing::PrintToString(std::wstring(id));
    if (version->bits == 64) {
      EXPECT_FALSE(InterfaceInView(id, kOtherView)) << testing::PrintToString(std::wstring(id));
    }
  }
  ExpectReportLines(DoctorReport(shop), {"plugin.HID: registered", "plugin.NJYS: registered",
                                         std::string("omnikey: ") + (hidStep ? "present" : "missing"),
                                         OnXp(*version) ? "ie: 8" : "ie: 11", "config.HID: 1", "config.NJYS: 1"});
  ASSERT_TRUE(Exists(shop + L"\\file.ini"));

  // With the first start's file.ini, the second goes from the loading window to the browser.
  WindowHost client(shop + L"\\lirra.exe", L"", shop);
  ASSERT_TRUE(client.Started());
  const std::vector<std::wstring> seen = WatchLoadingWindow(client);
  EXPECT_FALSE(Showed(seen, kTextInstallingHid)) << "the HID driver is installed once";
  EXPECT_FALSE(Showed(seen, kTextRegistering)) << "CardX.ocx stays registered";
  HWND browser = nullptr;
  for (DWORD waited = 0; !browser && waited < 60000; waited += 100) {
    ASSERT_EQ(nullptr, client.FindDialogWith(IDC_DRV_STATUS, 0)) << "the driver manager came again";
    browser = client.FindDialogWith(IDC_BROWSER_TITLE, 100);
  }
  ASSERT_NE(nullptr, browser) << "the second start did not reach the browser window";
  SaveScreenshot(browser, L"windows-versions-" + mode + L"-browser");
  // The document mode lies where an Internet Explorer of the client's width reads it.
  EXPECT_EQ(12000, EmulationInView(kOwnView));
  PostMessageW(browser, WM_COMMAND, ID_TRAY_EXIT, 0);
  EXPECT_EQ(0, client.WaitExit(20000));
}

// Internet Explorer 7 at a later start: off XP the client installs no IE 8 (its package is for
// XP); on XP it runs the IE 8 package again, which this time changes nothing. Either way the
// user is asked to update from the vendor's page, which opens, and "退出" ends the client.
TEST_F(WindowsVersions, InternetExplorerBelow8EndsInTheUpdateQuestion) {
  RestoreIe restore;
  ASSERT_FALSE(restore.version.empty());
  ASSERT_TRUE(SetIe7());
  Processes(L"iexplore.exe", true);
  // The stand-in installer registers nothing while this file lies beside it.
  const std::wstring failing = shop + L"\\IE8XP.exe.fail";
  if (OnXp(*version)) {
    HANDLE marker = CreateFileW(failing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, marker);
    CloseHandle(marker);
  }

  WindowHost client(shop + L"\\lirra.exe", L"", shop);
  ASSERT_TRUE(client.Started());
  HWND box = nullptr;
  const std::vector<std::wstring> seen = WatchLoadingWindow(client, &box);
  ASSERT_NE(nullptr, box);
  // On XP the package from the first start is only checked again, too quickly to watch; its run shows.
  if (!OnXp(*version)) {
    EXPECT_FALSE(Showed(seen, kTextDownloadingIe8));
  }
  EXPECT_EQ(OnXp(*version), Showed(seen, kTextInstallingIe8));
  EXPECT_EQ(L"检测到当前版本IE版本较低，请到官网更新", TextOf(GetDlgItem(box, IDC_MSGBOX_TEXT)));
  PostMessageW(GetDlgItem(box, IDC_MSGBOX_CANCEL), BM_CLICK, 0, 0);
  EXPECT_EQ(0, client.WaitExit(20000)) << "退出 ends the client";
  EXPECT_TRUE(lirra::test::WaitUntil([] { return Processes(L"iexplore.exe", false) > 0; }, 10000))
      << "the vendor's page was not opened";
  EXPECT_EQ(OnXp(*version), Exists(shop + L"\\IE8XP.exe")) << "the IE 8 package is XP's alone";
  DeleteFileW(failing.c_str());
}

}  // namespace
