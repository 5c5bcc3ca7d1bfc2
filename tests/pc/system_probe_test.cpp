#include "pc/system_probe.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace lirra {
namespace {

using test::FakePlatform;

std::vector<ProcessEntry> ListOf(std::initializer_list<std::pair<std::uint32_t, const wchar_t*>> entries) {
  std::vector<ProcessEntry> list;
  for (const auto& [pid, name] : entries) list.push_back({pid, name});
  return list;
}

TEST(OsVersionName, MapsVersionFields) {
  struct Case {
    unsigned major, minor;
    const wchar_t* name;
  } cases[] = {{5, 0, L"No"}, {5, 1, L"XP"}, {5, 2, L"No"},  {6, 0, L"7"},   {6, 1, L"7"},  {6, 2, L"8"},
               {6, 3, L"8"},  {6, 4, L"No"}, {10, 0, L"10"}, {10, 1, L"No"}, {4, 0, L"No"}, {11, 0, L"No"}};
  for (const Case& c : cases) {
    EXPECT_EQ(CSystemProbe::OsVersionName({c.major, c.minor}), c.name) << c.major << "." << c.minor;
  }
  FakePlatform fake;
  fake.osVersion = {6, 3};
  EXPECT_EQ(CSystemProbe::GetOsVersionName(), L"8");
}

TEST(KillProcessByName, StopsOnlyTheFirstMatchIgnoringAsciiCase) {
  FakePlatform fake;
  fake.processes = ListOf({{0, L"[System Process]"}, {4, L"System"}, {700, L"IEXPLORE.EXE"}, {800, L"iexplore.exe"}});
  EXPECT_TRUE(CSystemProbe::KillProcessByName(L"iexplore.exe"));
  EXPECT_EQ(fake.killedPids, std::vector<std::uint32_t>{700});
  EXPECT_TRUE(CSystemProbe::IsProcessRunning(L"IExplore.exe"));  // the second copy is left alone
}

TEST(KillProcessByName, PassesOverTheFirstEntryAndNonAsciiCase) {
  FakePlatform fake;
  // Only ASCII letters fold: "Ä" and "ä" are different names.
  fake.processes = ListOf({{0, L"setup.exe"}, {10, L"\u00c4pp.exe"}});
  EXPECT_FALSE(CSystemProbe::KillProcessByName(L"setup.exe"));
  EXPECT_FALSE(CSystemProbe::KillProcessByName(L"\u00e4pp.exe"));
  EXPECT_FALSE(CSystemProbe::KillProcessByName(L""));
  EXPECT_TRUE(fake.killedPids.empty());

  fake.processes.clear();  // no snapshot at all
  EXPECT_FALSE(CSystemProbe::KillProcessByName(L"setup.exe"));
}

TEST(KillProcessByName, RefusedTerminationStillCountsAsFound) {
  struct RefusingPlatform : FakePlatform {
    bool KillProcess(std::uint32_t pid) override {
      killedPids.push_back(pid);
      return false;
    }
  } fake;
  fake.processes = ListOf({{0, L"idle"}, {9, L"BTReader.exe"}});
  EXPECT_TRUE(CSystemProbe::KillProcessByName(L"btreader.exe"));
  EXPECT_EQ(fake.killedPids, std::vector<std::uint32_t>{9});
}

TEST(IsProcessRunning, ComparesAtMost301EntriesAfterTheIdleProcess) {
  FakePlatform fake;
  auto listWithTargetAt = [](int comparedPosition) {
    std::vector<ProcessEntry> list{{0, L"[System Process]"}};
    for (int i = 1; i < comparedPosition; ++i) list.push_back({static_cast<std::uint32_t>(i), L"svchost.exe"});
    list.push_back({99999, L"BTReader.exe"});
    return list;
  };
  fake.processes = listWithTargetAt(301);
  EXPECT_TRUE(CSystemProbe::IsProcessRunning(L"btreader.exe"));
  fake.processes = listWithTargetAt(302);
  EXPECT_FALSE(CSystemProbe::IsProcessRunning(L"btreader.exe"));
  // Stopping is not bound by the limit.
  EXPECT_TRUE(CSystemProbe::KillProcessByName(L"BTREADER.EXE"));
  EXPECT_EQ(fake.killedPids, std::vector<std::uint32_t>{99999});
}

}  // namespace
}  // namespace lirra
