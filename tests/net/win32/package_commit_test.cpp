// Commits on Windows meet files that another process holds open (a scanner, the indexer, a
// second copy of the client): a short hold is waited out, a long one fails cleanly and
// leaves the old file and no temporary file.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "net/manifest_commit.h"
#include "net/manifest_refresh.h"
#include "platform/platform.h"
#include "store/ini_store.h"
#include "support/loopback_server.h"
#include "support/temp_dir.h"

namespace lirra {
namespace {

using Clock = std::chrono::steady_clock;
using test::Answer;
using test::Listing;
using test::LoopbackServer;
using test::Response;

const std::string kOldManifest = "[NJYS]\r\npath=old.exe\r\n";
const std::string kNewManifest = "[NJYS]\r\npath=new.exe\r\n";

// hold_file.exe, built beside this test, holding a file for a while.
class Holder {
 public:
  Holder(const std::string& file, unsigned ms, const std::string& marker) {
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring exe(self, n);
    exe = exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"hold_file.exe";
    std::wstring line = L"\"" + exe + L"\" \"" + OS().AnsiToWide(file) + L"\" " + std::to_wstring(ms) + L" \"" +
                        OS().AnsiToWide(marker) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info_)) {
      CloseHandle(info_.hThread);
      // Ready once the marker exists (the file is held by then).
      for (int i = 0; i < 200 && !test::FileExists(marker); ++i) Sleep(50);
    }
  }
  ~Holder() {
    if (!info_.hProcess) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
    CloseHandle(info_.hProcess);
  }
  bool Holding() const { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

 private:
  PROCESS_INFORMATION info_{};
};

TEST(HeldFileTest, AShortHoldIsWaitedOut) {
  test::TempDir dir, markers;
  std::string path = dir.File("file.ini");
  test::WriteFile(path, kOldManifest);
  LoopbackServer server({Answer{Response("200 OK", kNewManifest)}});
  const unsigned holdMs = kMoveFileRetryMs / 3;
  Holder holder(path, holdMs, markers.File("held"));
  ASSERT_TRUE(holder.Holding());
  auto start = Clock::now();
  ManifestOutcome outcome = RefreshManifest(OS().AnsiToWide(server.Url("/file.ini")), OS().AnsiToWide(path));
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(kMoveFileRetryMs));
  EXPECT_EQ(outcome.state, ManifestRefresh::kReplaced) << outcome.reason;
  EXPECT_EQ(test::ReadFile(path), kNewManifest);
  EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"file.ini"});
}

TEST(HeldFileTest, AHoldPastTheBoundFailsAndKeepsTheOldFile) {
  test::TempDir dir, markers;
  std::string manifest = dir.File("file.ini");
  std::string ini = dir.File("config.ini");
  test::WriteFile(manifest, kOldManifest);
  test::WriteFile(ini, "[HID]\r\nvalue=0\r\n");
  LoopbackServer server({Answer{Response("200 OK", kNewManifest)}});
  // Long enough for both commits below to give up while it lasts.
  const unsigned holdMs = 2 * kMoveFileRetryMs + 8000;
  Holder manifestHolder(manifest, holdMs, markers.File("manifest"));
  Holder iniHolder(ini, holdMs, markers.File("ini"));
  ASSERT_TRUE(manifestHolder.Holding() && iniHolder.Holding());

  auto start = Clock::now();
  ManifestOutcome outcome = RefreshManifest(OS().AnsiToWide(server.Url("/file.ini")), OS().AnsiToWide(manifest));
  auto took = Clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(kMoveFileRetryMs));
  EXPECT_LT(took, std::chrono::milliseconds(kMoveFileRetryMs + 3000));
  EXPECT_EQ(outcome.state, ManifestRefresh::kKept);
  EXPECT_NE(outcome.reason.find("cannot replace"), std::string::npos) << outcome.reason;

  {
    auto lock = LockIniStore();
    ASSERT_EQ(IniLoadFile(ini.c_str()), 1);
    EXPECT_EQ(IniWriteString("HID", "value", "1"), 0) << "a failed save is reported";
    IniFreeFile();
  }
  EXPECT_TRUE(manifestHolder.Holding() && iniHolder.Holding()) << "the holds lasted through both commits";
  EXPECT_EQ(test::ReadFile(manifest), kOldManifest);
  EXPECT_EQ(test::ReadFile(ini), "[HID]\r\nvalue=0\r\n");
  EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"config.ini", "file.ini"}));
}

}  // namespace
}  // namespace lirra
