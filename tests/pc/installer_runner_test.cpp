#include "pc/installer_runner.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/fake_platform.h"

namespace lirra {
namespace {

using test::FakePlatform;

// A process list in which scripted processes end after a number of polls, and a log of
// what the runner did, in order.
struct ScriptedPlatform : FakePlatform {
  struct Process {
    std::uint32_t pid;
    std::wstring name;
    int pollsLeft;  // the process is gone after this many more snapshots
  };
  std::vector<Process> running;
  std::vector<std::wstring> log;
  int snapshots = 0;
  std::wstring watched;  // a held installer's path
  bool heldWhilePolling = false;

  std::vector<ProcessEntry> ListProcesses() override {
    ++snapshots;
    if (!watched.empty() && IsHeld(watched)) heldWhilePolling = true;
    std::vector<ProcessEntry> list{{0, L"[System Process]"}};
    for (Process& p : running) {
      if (p.pollsLeft-- > 0) list.push_back({p.pid, p.name});
    }
    return list;
  }
  bool KillProcess(std::uint32_t pid) override {
    log.push_back(L"kill " + std::to_wstring(pid));
    for (Process& p : running) {
      if (p.pid == pid) p.pollsLeft = 0;
    }
    return true;
  }
  int ShellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory) override {
    log.push_back((IsHeld(file) ? L"open held " : L"open ") + file + L"|" + parameters + L"|" + directory);
    return FakePlatform::ShellOpen(file, parameters, directory);
  }
};

TEST(LaunchAndWait, PollsEvery50msUntilTheNamedImageIsGone) {
  ScriptedPlatform fake;
  // The installer's helper under another name outlives it and is not waited for.
  fake.running = {{10, L"BTREADER.EXE", 4}, {11, L"helper.exe", 1000}};
  EXPECT_EQ(LaunchAndWait(L"C:\\shop\\YSB\\BTReader.exe", L"BTReader.exe"), 42);
  EXPECT_EQ(fake.snapshots, 5);
  EXPECT_EQ(fake.sleptMs, 4u * 50u);
  EXPECT_EQ(fake.log, std::vector<std::wstring>{L"open C:\\shop\\YSB\\BTReader.exe||"});
}

TEST(LaunchAndWait, ReturnsAtOnceForAnEmptyNameOrAFailedLaunch) {
  ScriptedPlatform fake;
  fake.running = {{10, L"BTReader.exe", 1000}};
  fake.shellResults[L"missing.exe"] = 2;
  fake.shellResults[L"refused.exe"] = 0;
  EXPECT_EQ(LaunchAndWait(L"setup.exe", L"", L"/S", L"C:\\tmp"), 42);
  EXPECT_EQ(LaunchAndWait(L"refused.exe", L"BTReader.exe"), -1);
  EXPECT_EQ(fake.snapshots, 0);
  // A shell failure other than 0 is returned after the (normally empty) wait.
  EXPECT_EQ(LaunchAndWait(L"missing.exe", L"missing.exe"), 2);
  EXPECT_EQ(fake.snapshots, 1);
  EXPECT_EQ(fake.sleptMs, 0u);
  EXPECT_EQ(fake.log.front(), L"open setup.exe|/S|C:\\tmp");
}

TEST(LaunchAndWait, AlsoWaitsForAnOlderCopy) {
  ScriptedPlatform fake;
  fake.running = {{10, L"clientsetup.exe", 3}};
  LaunchAndWait(L"clientsetup.exe", L"clientsetup.exe");
  EXPECT_TRUE(
      std::none_of(fake.log.begin(), fake.log.end(), [](const std::wstring& l) { return l.rfind(L"kill", 0) == 0; }));
  EXPECT_EQ(fake.sleptMs, 3u * 50u);
}

TEST(RunInstaller, StopsTheFirstRunningCopyBeforeLaunching) {
  ScriptedPlatform fake;
  fake.running = {{20, L"regsvr32.exe", 1000}, {21, L"REGSVR32.EXE", 3}};
  EXPECT_EQ(RunInstaller(L"regsvr32.exe", L"regsvr32.exe", L"/u \"C:\\shop\\CardX.ocx\""), 42);
  const std::vector<std::wstring> expected{L"kill 20", L"open regsvr32.exe|/u \"C:\\shop\\CardX.ocx\"|"};
  EXPECT_EQ(fake.log, expected);
  EXPECT_EQ(fake.sleptMs, 2u * 50u);  // then waits for the second copy too
}

// A held installer starts from its own path while held, and the hold ends once it has started,
// before the wait: the installer's own process may then read or move its file.
TEST(LaunchHeldAndWait, StartsWhileHeldAndLetsGoBeforeTheWait) {
  ScriptedPlatform fake;
  fake.watched = L"C:\\shop\\YSB\\BTReader.exe";
  fake.heldContents[fake.watched] = "MZ";
  fake.running = {{10, L"BTReader.exe", 2}};
  EXPECT_EQ(LaunchHeldAndWait(fake.OpenHeld(fake.watched), L"BTReader.exe", L"/S"), 42);
  EXPECT_EQ(fake.log, std::vector<std::wstring>{L"open held C:\\shop\\YSB\\BTReader.exe|/S|"});
  EXPECT_EQ(fake.snapshots, 3);
  EXPECT_FALSE(fake.heldWhilePolling);
  EXPECT_FALSE(fake.IsHeld(fake.watched));

  fake.shellResults[fake.watched] = 0;
  EXPECT_EQ(LaunchHeldAndWait(fake.OpenHeld(fake.watched), L"BTReader.exe"), -1);
  EXPECT_FALSE(fake.IsHeld(fake.watched));
  EXPECT_EQ(LaunchHeldAndWait(nullptr, L"BTReader.exe"), -1) << "nothing held, nothing started";
  EXPECT_EQ(fake.log.size(), 2u);
}

TEST(RunHeldInstaller, StopsTheRunningCopyThenStartsTheHeldFile) {
  ScriptedPlatform fake;
  fake.watched = L"C:\\shop\\HID\\W764.exe";
  fake.heldContents[fake.watched] = "MZ";
  fake.running = {{20, L"w764.exe", 1000}};
  EXPECT_EQ(RunHeldInstaller(fake.OpenHeld(fake.watched), L"W764.exe"), 42);
  const std::vector<std::wstring> expected{L"kill 20", L"open held C:\\shop\\HID\\W764.exe||"};
  EXPECT_EQ(fake.log, expected);
  EXPECT_FALSE(fake.IsHeld(fake.watched));
}

}  // namespace
}  // namespace lirra
