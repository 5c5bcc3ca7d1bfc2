// The runner against real processes of this machine: the stand-in installer is copied
// under an installer's file name and started through the POSIX platform.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "pc/installer_runner.h"
#include "pc/system_probe.h"
#include "platform/platform.h"
#include "platform/utf8.h"
#include "support/temp_dir.h"

namespace lirra {
namespace {

using test::FileExists;
using test::TempDir;

class RunnerWithProcesses : public testing::Test {
 protected:
  // A copy of the stand-in under the given file name, in the test's folder.
  std::wstring Installer(const std::string& name) {
    std::string path = dir_.File(name);
    std::filesystem::copy_file(RUNNER_STUB_PATH, path, std::filesystem::copy_options::overwrite_existing);
    chmod(path.c_str(), 0755);
    return Utf8ToWide(path);
  }
  std::wstring Marker(const std::string& name) { return Utf8ToWide(dir_.File(name)); }
  bool Exists(const std::wstring& marker) { return FileExists(WideToUtf8(marker)); }
  // Waits (bounded) for a file that a detached process writes when it ends.
  bool Eventually(const std::wstring& marker) {
    for (int i = 0; i < 200 && !Exists(marker); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return Exists(marker);
  }

  TempDir dir_;
};

TEST_F(RunnerWithProcesses, WaitsForTheNamedImageOnly) {
  std::wstring installer = Installer("BTReader.exe");
  std::wstring child = Installer("helper-child.exe");
  std::wstring done = Marker("done"), childDone = Marker("child-done");
  int code = LaunchAndWait(installer, L"btreader.exe",
                           L"300 \"" + done + L"\" \"" + child + L"\" 3000 \"" + childDone + L"\"");
  EXPECT_GT(code, 32);
  EXPECT_TRUE(Exists(done));        // the installer had finished
  EXPECT_FALSE(Exists(childDone));  // its child was not waited for
  EXPECT_TRUE(CSystemProbe::IsProcessRunning(L"helper-child.exe"));
  EXPECT_TRUE(Eventually(childDone));
}

TEST_F(RunnerWithProcesses, EmptyNameReturnsRightAfterTheLaunch) {
  std::wstring done = Marker("done");
  EXPECT_GT(LaunchAndWait(Installer("clientsetup.exe"), L"", L"1500 \"" + done + L"\""), 32);
  EXPECT_FALSE(Exists(done));
  EXPECT_TRUE(CSystemProbe::IsProcessRunning(L"clientsetup.exe"));
  EXPECT_TRUE(Eventually(done));
}

TEST_F(RunnerWithProcesses, MissingFileReturnsTheShellCode) {
  EXPECT_EQ(LaunchAndWait(Utf8ToWide(dir_.File("nowhere.exe")), L"nowhere.exe"), 2);
  EXPECT_EQ(RunInstaller(Utf8ToWide(dir_.File("nowhere.exe")), L"nowhere.exe"), 2);
}

TEST_F(RunnerWithProcesses, RunInstallerStopsACopyAlreadyRunning) {
  std::wstring installer = Installer("jinglun.exe");
  std::wstring oldDone = Marker("old-done"), newDone = Marker("new-done");
  ASSERT_GT(OS().ShellOpen(installer, L"20000 \"" + oldDone + L"\""), 32);
  ASSERT_TRUE(CSystemProbe::IsProcessRunning(L"jinglun.exe"));
  EXPECT_GT(RunInstaller(installer, L"JINGLUN.EXE", L"200 \"" + newDone + L"\""), 32);
  EXPECT_TRUE(Exists(newDone));
  EXPECT_FALSE(Exists(oldDone));
  EXPECT_FALSE(CSystemProbe::IsProcessRunning(L"jinglun.exe"));
}

}  // namespace
}  // namespace lirra
