// The process list, stopping processes and the installer runner with the installer and
// plug-in stand-ins, in a Wine prefix; an installer held from its check to its launch.
#include <gtest/gtest.h>
#include <windows.h>

#include <utility>

#include "net/md5.h"
#include "net/package_table.h"
#include "pc/ie_helper.h"
#include "pc/installer_runner.h"
#include "pc/system_probe.h"
#include "platform/platform.h"
#include "support/loopback_server.h"
#include "support/temp_dir.h"
#include "win32_test_util.h"

namespace lirra {
namespace {

using test::Answer;
using test::ChildProcess;
using test::DeleteTree;
using test::LoopbackServer;
using test::Response;
using test::TempDir;
using test::Widen;
using test::WinePath;

const std::wstring kInstallers = WinePath(FIXTURE_INSTALLERS_DIR);

std::wstring Installer(const wchar_t* relative) { return kInstallers + L"\\" + relative; }

bool FileThere(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Waits (bounded) until no process of the name is left, so tests do not leak into each other.
void WaitGone(const wchar_t* image) {
  for (int i = 0; i < 300 && CSystemProbe::IsProcessRunning(image); ++i) Sleep(50);
}

void ForgetPlugins() {
  for (const wchar_t* id : {L"{D18F137A-0549-4868-B49D-4AF69278E7AC}", L"{6B20A80E-7218-49C8-804E-DF4B78815E9F}",
                            L"{438E0BA0-E5EA-464E-A633-3A4443C45A9F}", L"{2C4CE648-A725-4FC8-9F54-F3CB680A42BD}",
                            L"{4A8D857F-3372-457B-A1F8-0D2A3615B677}", L"{C1EEF725-1A89-4346-AFC8-F83B536373DE}"}) {
    DeleteTree(HKEY_LOCAL_MACHINE, std::wstring(L"SOFTWARE\\Classes\\Interface\\") + id);
  }
}

class Win32Processes : public testing::Test {
 protected:
  void SetUp() override { ForgetPlugins(); }
  void TearDown() override {
    SetEnvironmentVariableW(L"LIRRA_FIXTURE_FAIL", nullptr);
    ForgetPlugins();
  }
  // A copy of the installer stand-in under another file name, in the test's folder.
  std::wstring CopyAs(const char* name) {
    std::wstring path = Widen(dir_.File(name));
    CopyFileW(Installer(L"YSB\\BTReader.exe").c_str(), path.c_str(), FALSE);
    return path;
  }
  TempDir dir_;
};

TEST_F(Win32Processes, KillStopsOnlyTheFirstOfTwoAndIgnoresAsciiCase) {
  std::wstring exe = CopyAs("iexplore.exe");
  ChildProcess a(exe, L"--linger 60000 --no-install"), b(exe, L"--linger 60000 --no-install");
  ASSERT_TRUE(a.Started() && b.Started());
  std::uint32_t first = 0;
  std::vector<ProcessEntry> list = OS().ListProcesses();
  for (size_t i = 1; i < list.size() && !first; ++i) {
    if (list[i].imageName == L"iexplore.exe") first = list[i].pid;
  }
  ASSERT_TRUE(first == a.Pid() || first == b.Pid());
  EXPECT_TRUE(CSystemProbe::IsProcessRunning(L"IExplore.EXE"));

  EXPECT_TRUE(CSystemProbe::KillProcessByName(L"IEXPLORE.EXE"));
  const ChildProcess& stopped = first == a.Pid() ? a : b;
  const ChildProcess& other = first == a.Pid() ? b : a;
  EXPECT_EQ(stopped.WaitExit(10000), 0u);  // terminated with exit code 0
  EXPECT_TRUE(other.Running());
  EXPECT_TRUE(CSystemProbe::IsProcessRunning(L"iexplore.exe"));
  EXPECT_FALSE(CSystemProbe::KillProcessByName(L"iexplore"));  // the whole image name or nothing
}

bool OmnikeyPresent() { return OS().IsDirectory(L"C:\\Program Files\\HID Global\\OMNIKEY 3x2x"); }
bool IE8Installed() { return CIEHelper::GetIEMajorVersion() == 8; }

TEST_F(Win32Processes, RunnerWaitsForEachInstallerToFinish) {
  // An old IE without svcVersion, as on XP, so the IE8 stand-in's work shows.
  const wchar_t kIEKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer";
  ASSERT_TRUE(test::SetString(HKEY_LOCAL_MACHINE, kIEKey, L"Version", L"6.0.2900.5512"));
  ASSERT_TRUE(test::SetString(HKEY_LOCAL_MACHINE, kIEKey, L"svcVersion", nullptr));
  RemoveDirectoryW(L"C:\\Program Files\\HID Global\\OMNIKEY 3x2x");
  const struct {
    const wchar_t* file;
    const wchar_t* image;
    bool (*installed)();
  } installers[] = {
      {L"YSB\\BTReader.exe", L"BTReader.exe", CIEHelper::IsYsbPluginRegistered},
      {L"NJYS\\clientsetup.exe", L"clientsetup.exe", CIEHelper::IsNjysPluginRegistered},
      {L"WHJL\\jinglun.exe", L"jinglun.exe", CIEHelper::IsWhjlPluginRegistered},
      {L"SDSS\\shandongshensi.exe", L"shandongshensi.exe", CIEHelper::IsSdssPluginRegistered},
      {L"HID\\W764.exe", L"W764.exe", OmnikeyPresent},
      {L"IE\\IE8XP.exe", L"IE8XP.exe", IE8Installed},
  };
  for (const auto& i : installers) {
    SCOPED_TRACE(testing::Message() << std::string(i.image, i.image + lstrlenW(i.image)));
    EXPECT_FALSE(i.installed());
    // The stand-in does its work just before it ends, so this holds only after a full wait.
    EXPECT_GT(RunInstaller(Installer(i.file), i.image, L"--linger 400"), 32);
    EXPECT_FALSE(CSystemProbe::IsProcessRunning(i.image));
    EXPECT_TRUE(i.installed());
  }
  ForgetPlugins();
  RemoveDirectoryW(L"C:\\Program Files\\HID Global\\OMNIKEY 3x2x");
  RemoveDirectoryW(L"C:\\Program Files\\HID Global");
  test::SetString(HKEY_LOCAL_MACHINE, kIEKey, L"Version", L"9.11.9600.18952");
  test::SetString(HKEY_LOCAL_MACHINE, kIEKey, L"svcVersion", L"11.0.9600.18952");

  // An installer that fails leaves nothing registered.
  SetEnvironmentVariableW(L"LIRRA_FIXTURE_FAIL", L"1");
  EXPECT_GT(RunInstaller(Installer(L"NJYS\\clientsetup.exe"), L"clientsetup.exe"), 32);
  EXPECT_FALSE(CIEHelper::IsNjysPluginRegistered());
}

TEST_F(Win32Processes, OnlyTheNamedImageIsWaitedFor) {
  std::wstring done = Widen(dir_.File("done"));
  int code = LaunchAndWait(Installer(L"WHJL\\jinglun.exe"), L"JINGLUN.exe",
                           L"--linger 500 --child lirra-helper.exe 8000 --done \"" + done + L"\"");
  EXPECT_GT(code, 32);
  EXPECT_TRUE(FileThere(done));
  EXPECT_TRUE(CIEHelper::IsWhjlPluginRegistered());
  EXPECT_TRUE(CSystemProbe::IsProcessRunning(L"lirra-helper.exe"));  // still running, not waited for
  EXPECT_TRUE(CSystemProbe::KillProcessByName(L"lirra-helper.exe"));
  WaitGone(L"lirra-helper.exe");
}

TEST_F(Win32Processes, EmptyNameReturnsAtOnceAndMissingFileGivesTheShellCode) {
  std::wstring done = Widen(dir_.File("done"));
  EXPECT_GT(LaunchAndWait(Installer(L"SDSS\\shandongshensi.exe"), L"", L"--linger 3000 --done \"" + done + L"\""), 32);
  EXPECT_FALSE(FileThere(done));
  EXPECT_TRUE(CSystemProbe::IsProcessRunning(L"shandongshensi.exe"));
  WaitGone(L"shandongshensi.exe");
  EXPECT_TRUE(FileThere(done));

  EXPECT_EQ(LaunchAndWait(Widen(dir_.File("nowhere.exe")), L"nowhere.exe"), 2);  // SE_ERR_FNF
  EXPECT_EQ(RunInstaller(Widen(dir_.File("nowhere.exe")), L"nowhere.exe"), 2);   // SE_ERR_FNF
}

TEST_F(Win32Processes, RunInstallerStopsACopyAlreadyRunning) {
  std::wstring exe = Installer(L"NJYS\\clientsetup.exe");
  ChildProcess old(exe, L"--linger 60000 --no-install");
  ASSERT_TRUE(old.Running());
  std::wstring done = Widen(dir_.File("done"));
  EXPECT_GT(RunInstaller(exe, L"clientsetup.exe", L"--linger 300 --done \"" + done + L"\""), 32);
  EXPECT_EQ(old.WaitExit(0), 0u);  // already ended, by termination
  EXPECT_TRUE(FileThere(done));
  EXPECT_TRUE(CIEHelper::IsNjysPluginRegistered());
}

TEST_F(Win32Processes, Regsvr32OnTheStandInPlugin) {
  const std::wstring quoted = L"\"" + WinePath(FIXTURE_CARDX) + L"\"";
  EXPECT_FALSE(CIEHelper::IsHidPluginRegistered());
  EXPECT_GT(RunInstaller(L"regsvr32.exe", L"regsvr32.exe", quoted), 32);
  EXPECT_TRUE(CIEHelper::IsHidPluginRegistered());
  EXPECT_GT(RunInstaller(L"regsvr32.exe", L"regsvr32.exe", L"/u " + quoted), 32);
  EXPECT_FALSE(CIEHelper::IsHidPluginRegistered());
}

std::string Md5OfFile(const std::string& path) {
  char digest[kMd5TextSize] = "";
  return GetFileMd5(path.c_str(), digest) ? digest : "unreadable";
}

// What another program tries between an installer's digest check and its launch, on an
// installer found on disk or just downloaded.
struct SwapCase {
  const wchar_t* how;  // as win32_probe_helper's "swap" takes it
  bool downloaded;
  // A rename onto a file in use is refused as access denied; any other way, as a sharing violation.
  DWORD refusal;
};

void PrintTo(const SwapCase& c, std::ostream* os) {
  *os << std::string(c.how, c.how + lstrlenW(c.how)) << (c.downloaded ? " after a download" : " of a file on disk");
}

class HeldInstaller : public Win32Processes, public testing::WithParamInterface<SwapCase> {
 protected:
  // The helper's attempt on the installer, in a process of its own; its error code.
  DWORD TrySwap(const std::wstring& installer, const std::wstring& replacement) {
    ChildProcess helper(WinePath(WIN32_PROBE_HELPER),
                        std::wstring(L"swap ") + GetParam().how + L" \"" + installer + L"\" \"" + replacement + L"\"");
    return helper.WaitExit(30000);
  }
};

TEST_P(HeldInstaller, NothingGetsBetweenTheCheckAndTheLaunch) {
  const std::string source = test::WinePathA(FIXTURE_INSTALLERS_DIR) + "\\YSB\\BTReader.exe";
  const std::string genuine = test::ReadFile(source);
  ASSERT_FALSE(genuine.empty());
  ASSERT_TRUE(CreateDirectoryW(Widen(dir_.File("YSB")).c_str(), nullptr));
  const std::string installer = dir_.File("YSB") + "\\BTReader.exe";
  // Another program: its replacement would end at once and register nothing.
  const std::wstring replacement = Widen(dir_.File("other.exe"));
  ASSERT_TRUE(CopyFileW(WinePath(FIXTURE_SERVICE).c_str(), replacement.c_str(), FALSE));

  LoopbackServer server({Answer{Response("200 OK", genuine)}});
  PackageRecord record;
  record.m_strRemoteUrl = Widen(server.Url("/YSB/BTReader.exe"));
  record.m_strLocalPath = Widen(installer);
  record.m_strFileName = L"BTReader.exe";
  record.m_strExpectedMd5 = Widen(Md5Hex(genuine.data(), genuine.size()));
  if (!GetParam().downloaded) ASSERT_TRUE(CopyFileW(Widen(source).c_str(), record.m_strLocalPath.c_str(), FALSE));

  HeldFilePtr held;
  ASSERT_TRUE(EnsurePackage(record, nullptr, nullptr, &held));
  EXPECT_EQ(server.connections(), GetParam().downloaded ? 1 : 0);
  EXPECT_EQ(TrySwap(record.m_strLocalPath, replacement), GetParam().refusal);

  const std::wstring done = Widen(dir_.File("done"));
  EXPECT_GT(RunHeldInstaller(std::move(held), L"BTReader.exe", L"--linger 200 --done \"" + done + L"\""), 32);
  EXPECT_TRUE(FileThere(done)) << "the checked installer ran";
  EXPECT_TRUE(CIEHelper::IsYsbPluginRegistered());
  EXPECT_EQ(Md5OfFile(installer), Md5Hex(genuine.data(), genuine.size()));

  // The hold ended with the launch: now the same attempt goes through.
  EXPECT_EQ(TrySwap(record.m_strLocalPath, replacement), 0u);
}

INSTANTIATE_TEST_SUITE_P(Swaps, HeldInstaller,
                         testing::Values(SwapCase{L"overwrite", false, ERROR_SHARING_VIOLATION},
                                         SwapCase{L"rename", false, ERROR_SHARING_VIOLATION},
                                         SwapCase{L"replace", false, ERROR_ACCESS_DENIED},
                                         SwapCase{L"delete", false, ERROR_SHARING_VIOLATION},
                                         SwapCase{L"replace", true, ERROR_ACCESS_DENIED},
                                         SwapCase{L"overwrite", true, ERROR_SHARING_VIOLATION}));

}  // namespace
}  // namespace lirra
