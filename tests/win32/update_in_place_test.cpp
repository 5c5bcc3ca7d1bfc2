// The update in place as a shop sees it (run by update-in-place.sh in a Wine prefix of its own,
// with the shop server on the client's loopback host): a client with the test key, installed by
// our setup package, is told of the next version and answers "更新". A tampered setup, one
// signed with another key and a signed setup of an older version are never run: the download
// page opens instead and the installation stays as it was. The signed setup of the next version
// installs silently into the client's folder, keeps the shop's files and starts the new client
// once the old one has ended with code 0.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/win32/scoped.h"
#include "resource.h"
#include "win32_test_util.h"
#include "window_driver.h"

namespace {

using lirra::test::EnvWinePath;
using lirra::test::Exists;
using lirra::test::Processes;
using lirra::test::ProductVersionOf;
using lirra::test::ReadBytes;
using lirra::test::RunAndWait;
using lirra::test::TextOf;
using lirra::test::WaitUntil;
using lirra::test::WindowHost;
using lirra::test::WriteBytes;

const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lirra";
// A start under Wine may take long on a busy machine; these bound each wait, never time a step.
constexpr DWORD kStartMs = 180000;
constexpr DWORD kInstallMs = 180000;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::wstring DisplayVersion() {
  return lirra::test::ReadString(HKEY_CURRENT_USER, kUninstallKey, L"DisplayVersion").value_or(L"<none>");
}

std::wstring InstallDir() {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
  return std::wstring(path) + L"\\Lirra";
}

// The version document naming the next version and the setup `name` on the shop server.
void OfferSetup(const std::string& name) {
  const std::string host = Env("LIRRA_SHOP_HOST");
  const std::string document = "{\"code\":0,\"msg\":\"success\",\"value\":{\"value\":\"" + Env("LIRRA_NEXT_VERSION") +
                               "\",\"downloadPage\":\"http://" + host +
                               "/jxsplatform/download.html\",\"downloadUrl\":\"http://" + host + "/updates/" + name +
                               ".exe\"}}";
  WriteBytes(EnvWinePath("LIRRA_SHOP_DATA", L"\\backend\\plugin\\version\\get"), document);
}

// Starts the installed client and answers the update question with "更新".
void StartAndAcceptUpdate(WindowHost& client) {
  ASSERT_TRUE(client.Started());
  HWND box = client.FindDialogWith(IDC_MSGBOX_TITLE, kStartMs);
  ASSERT_NE(nullptr, box) << "no update question";
  EXPECT_EQ(L"检测到当前版本需要更新，是否要更新？", TextOf(GetDlgItem(box, IDC_MSGBOX_TEXT)));
  PostMessageW(GetDlgItem(box, IDC_MSGBOX_CONFIRM), BM_CLICK, 0, 0);
}

class UpdateInPlace : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::wstring setup = EnvWinePath("LIRRA_SETUP_EXE");
    if (setup.empty()) return;
    ASSERT_EQ(0, RunAndWait(L"\"" + setup + L"\" /S"));
    // As the loading window would register it, so the start asks nothing else.
    ASSERT_EQ(0, RunAndWait(L"C:\\windows\\system32\\regsvr32.exe /s \"" + InstallDir() + L"\\CardX.ocx\""));
  }

  void SetUp() override {
    if (EnvWinePath("LIRRA_SETUP_EXE").empty())
      GTEST_SKIP() << "needs the packages and shop server of update-in-place.sh";
    dir_ = InstallDir();
    version_ = Wide(Env("LIRRA_SETUP_VERSION"));
    next_ = Wide(Env("LIRRA_NEXT_VERSION"));
    ASSERT_EQ(version_, ProductVersionOf(dir_ + L"\\lirra.exe")) << "the keyed client is not installed";
  }

  std::wstring dir_;
  std::wstring version_;
  std::wstring next_;
};

struct Refused {
  const char* setup;   // on the shop server, under /updates
  const char* reason;  // of the client's trace line
};

TEST_F(UpdateInPlace, RefusedSetupsAreNeverRunAndTheDownloadPageOpens) {
  const Refused cases[] = {{"tampered", "bad signature"}, {"wrongkey", "bad signature"}, {"older", "setup not newer"}};
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.setup);
    OfferSetup(c.setup);
    Processes(L"iexplore.exe", true);
    DeleteFileW((dir_ + L"\\lirra.log").c_str());
    {
      WindowHost client(dir_ + L"\\lirra.exe", L"", dir_);
      StartAndAcceptUpdate(client);
      // The effect of the refusal: the download page, opened after the trace line.
      ASSERT_TRUE(WaitUntil([] { return Processes(L"iexplore.exe", false) > 0; }, kStartMs))
          << "the download page did not open";
      const std::string log = ReadBytes(dir_ + L"\\lirra.log");
      EXPECT_NE(std::string::npos, log.find(std::string("update in place refused (") + c.reason + ")")) << log;
      EXPECT_EQ(-1, client.WaitExit(0)) << "the client goes on with its start";
    }
    EXPECT_EQ(version_, ProductVersionOf(dir_ + L"\\lirra.exe"));
    EXPECT_EQ(version_, DisplayVersion());
    EXPECT_FALSE(Exists(dir_ + L"\\lirra-update.exe")) << "a refused setup stays in the client's folder";
  }
  Processes(L"iexplore.exe", true);
}

TEST_F(UpdateInPlace, SignedNextVersionInstallsKeepsTheShopsFilesAndStartsTheNewClient) {
  OfferSetup("next");
  CreateDirectoryW((dir_ + L"\\NJYS").c_str(), nullptr);
  WriteBytes(dir_ + L"\\NJYS\\clientsetup.exe", "a downloaded installer");
  // The shop's driver state: HID and 南京亿数 installed, which no start rewrites.
  const std::string config = "[HID]\r\nvalue=1\r\n[NJYS]\r\nvalue=1\r\n";
  WriteBytes(dir_ + L"\\config.ini", config);

  WindowHost client(dir_ + L"\\lirra.exe", L"", dir_);
  StartAndAcceptUpdate(client);
  EXPECT_EQ(0, client.WaitExit(kStartMs)) << "the client did not end cleanly for its setup";
  ASSERT_TRUE(WaitUntil([&] { return ProductVersionOf(dir_ + L"\\lirra.exe") == next_; }, kInstallMs))
      << testing::PrintToString(ProductVersionOf(dir_ + L"\\lirra.exe"));
  EXPECT_TRUE(WaitUntil([&] { return DisplayVersion() == next_; }, kInstallMs))
      << testing::PrintToString(DisplayVersion());
  EXPECT_TRUE(WaitUntil([] { return Processes(L"lirra.exe", false) > 0; }, kStartMs))
      << "the new client is not running";
  EXPECT_EQ(config, ReadBytes(dir_ + L"\\config.ini"));
  EXPECT_EQ("a downloaded installer", ReadBytes(dir_ + L"\\NJYS\\clientsetup.exe"));
  Processes(L"lirra.exe", true);
  Processes(L"iexplore.exe", true);
}

}  // namespace
