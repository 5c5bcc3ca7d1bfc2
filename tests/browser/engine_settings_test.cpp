#include "browser/engine_settings.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/fake_platform.h"

namespace lirra {
namespace {

using test::FakePlatform;

// A fake that keeps every registry write in order and can refuse a hive.
struct RecordingPlatform : FakePlatform {
  using Write = std::tuple<std::wstring, std::wstring, std::uint32_t>;  // "HKxx\\key", value, data
  std::vector<Write> writes;
  bool refuseLocalMachine = false;
  bool refuseCurrentUser = false;

  bool WriteDword(RegHive hive, const std::wstring& key, const std::wstring& value, std::uint32_t data) override {
    if ((hive == RegHive::LocalMachine && refuseLocalMachine) || (hive == RegHive::CurrentUser && refuseCurrentUser)) {
      return false;
    }
    writes.emplace_back(KeyName(hive, key), value, data);
    return FakePlatform::WriteDword(hive, key, value, data);
  }
};

const wchar_t kFeatures[] = L"HKLM\\Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\";
const wchar_t kUserFeatures[] = L"HKCU\\Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\";
const wchar_t kZones[] = L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\";
const wchar_t kDomains[] = L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains\\";

const wchar_t* const kActiveXActions[] = {L"1004", L"1201", L"1208", L"1200", L"1405", L"2201"};

// Every write of the browser window's first show, in order, for an executable file name.
std::vector<RecordingPlatform::Write> ExpectedWrites(const std::wstring& ownName, const std::wstring& domain) {
  const std::pair<const wchar_t*, std::uint32_t> features[] = {
      {L"FEATURE_BROWSER_EMULATION", 12000},
      {L"FEATURE_ACTIVEX_REPURPOSEDETECTION", 0},
      {L"FEATURE_BLOCK_LMZ_IMG", 1},
      {L"FEATURE_BLOCK_LMZ_OBJECT", 1},
      {L"FEATURE_BLOCK_LMZ_SCRIPT", 1},
      {L"FEATURE_Cross_Domain_Redirect_Mitigation", 1},
      {L"FEATURE_ENABLE_SCRIPT_PASTE_URLACTION_IF_PROMPT", 1},
      {L"FEATURE_LOCALMACHINE_LOCKDOWN", 1},
      {L"FEATURE_GPU_RENDERING", 1},
  };
  std::vector<RecordingPlatform::Write> out;
  // The own file name's values go to the machine and to the user; "iexplore.exe" only to the machine.
  for (const auto& [name, data] : features) {
    out.emplace_back(kFeatures + std::wstring(name), ownName, data);
    out.emplace_back(kUserFeatures + std::wstring(name), ownName, data);
  }
  for (const auto& [name, data] : features) {
    out.emplace_back(kFeatures + std::wstring(name), L"iexplore.exe", data == 12000 ? 12000u : 0u);
  }
  out.emplace_back(kDomains + domain, L"http", 2);
  // Trusted sites only: the Internet zone ("3") is never written.
  for (const wchar_t* action : kActiveXActions) out.emplace_back(kZones + std::wstring(L"2"), action, 0);
  return out;
}

TEST(EngineSettings, WritesEveryValueInOrderUnderTheCurrentFileName) {
  for (const std::wstring exe : {L"lirra.exe", L"renamed copy.exe"}) {
    RecordingPlatform fake;
    fake.modulePath = L"C:\\shop\\client\\" + exe;
    CEngineSettings::ApplyBrowserSettings();
    // The trusted site is one key: "*." and the whole primary domain.
    const std::string domain = LIRRA_PRIMARY_DOMAIN;
    EXPECT_EQ(fake.writes, ExpectedWrites(exe, L"*." + std::wstring(domain.begin(), domain.end())));
  }
}

// The user's own Internet zone values (here a marker for each action, and "prompt" for one)
// are what they were before the first show.
TEST(EngineSettings, LeavesTheInternetZoneAsItWas) {
  RecordingPlatform fake;
  fake.modulePath = L"C:\\shop\\lirra.exe";
  const std::wstring internetZone = std::wstring(kZones) + L"3\\";
  std::uint32_t marker = 0x4C000000;
  for (const wchar_t* action : kActiveXActions) fake.registryDwords[internetZone + action] = ++marker;
  fake.registryDwords[internetZone + L"1200"] = 1;
  const auto before = fake.registryDwords;

  CEngineSettings::ApplyBrowserSettings();
  CEngineSettings::EnableZoneActions();
  for (const wchar_t* action : kActiveXActions) {
    EXPECT_EQ(fake.registryDwords.at(internetZone + action), before.at(internetZone + action))
        << std::string(action, action + 4);
    EXPECT_EQ(fake.registryDwords.at(std::wstring(kZones) + L"2\\" + action), 0u);
  }
  for (const auto& [key, value, data] : fake.writes) EXPECT_NE(key, std::wstring(kZones) + L"3");
}

TEST(EngineSettings, WithoutAdministratorRightsTheUserWritesStillHappen) {
  RecordingPlatform fake;
  fake.modulePath = L"C:\\shop\\lirra.exe";
  fake.refuseLocalMachine = true;
  // The user's copy is enough for the engine: the own value counts as written.
  EXPECT_TRUE(CEngineSettings::SetOwnFeatureControl(L"FEATURE_GPU_RENDERING", 1));
  EXPECT_EQ(fake.registryDwords.at(std::wstring(kUserFeatures) + L"FEATURE_GPU_RENDERING\\lirra.exe"), 1u);
  fake.writes.clear();
  EXPECT_EQ(CEngineSettings::SetOwnFeatureControls(), 0);
  EXPECT_EQ(CEngineSettings::SetFeatureControlsFor(L"iexplore.exe"), 0);
  EXPECT_EQ(CEngineSettings::AddTrustedDomain(L"*.example.com"), 0);
  EXPECT_TRUE(CEngineSettings::EnableZoneActions());
  // Nine own values for the user, the trusted site and six zone actions; nothing for IE.
  EXPECT_EQ(fake.writes.size(), 16u);
  for (const auto& [key, value, data] : fake.writes)
    EXPECT_NE(L"iexplore.exe", value) << std::string(key.begin(), key.end());
  EXPECT_EQ(fake.registryDwords.at(std::wstring(kUserFeatures) + L"FEATURE_BROWSER_EMULATION\\lirra.exe"), 12000u);
  EXPECT_EQ(fake.registryDwords.at(std::wstring(kDomains) + L"*.example.com\\http"), 2u);

  fake.refuseCurrentUser = true;
  EXPECT_FALSE(CEngineSettings::SetOwnFeatureControl(L"FEATURE_GPU_RENDERING", 1));
  EXPECT_EQ(CEngineSettings::AddTrustedDomain(L"*.example.com"), -1);
  EXPECT_EQ(CEngineSettings::SetZoneAction(L"Zones\\", L"1004", L"2"), 0);
}

}  // namespace
}  // namespace lirra
