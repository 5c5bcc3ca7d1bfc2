// The probes and the engine settings against the registry of a Wine prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "browser/engine_settings.h"
#include "pc/ie_helper.h"
#include "pc/system_probe.h"
#include "support/temp_dir.h"
#include "win32_test_util.h"

namespace lirra {
namespace {

using test::ChildProcess;
using test::CreateKey;
using test::DeleteTree;
using test::ReadDword;
using test::ReadFile;
using test::SetDword;
using test::SetString;
using test::TempDir;
using test::Widen;
using test::WinePath;

const std::wstring kHelper = WinePath(WIN32_PROBE_HELPER);

TEST(Win32OsVersionName, FollowsWinesVersionSettingInANewProcess) {
  const struct {
    const wchar_t* wineVersion;
    const char* name;
  } cases[] = {{L"winxp", "XP"}, {L"win7", "7"},  {L"win8", "8"},    {L"win81", "8"},
               {L"win10", "10"}, {L"vista", "7"}, {L"win2003", "No"}};
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "Version=" << std::string(c.name));
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, L"Software\\Wine", L"Version", c.wineVersion));
    std::string out = dir.File("os.txt");
    std::filesystem::remove(out);
    ChildProcess child(kHelper, L"os \"" + Widen(out) + L"\"");
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(child.WaitExit(60000), 0u);
    EXPECT_EQ(ReadFile(out), c.name);
  }
  SetString(HKEY_CURRENT_USER, L"Software\\Wine", L"Version", nullptr);
}

const wchar_t kIEKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer";

TEST(Win32IEVersion, ReadsTheGreaterMajorOfBothValues) {
  const struct {
    const wchar_t* version;
    const wchar_t* svcVersion;  // nullptr: the value is deleted
    int major;
  } cases[] = {{L"9.11.9600.18952", L"11.0.9600.18952", 11},
               {L"8.0.6001.18702", nullptr, 8},
               {nullptr, nullptr, 0},
               {L"8", nullptr, 0},
               {L"6.0.2900.5512", L"9", 6}};
  for (const auto& c : cases) {
    ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kIEKey, L"Version", c.version));
    ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kIEKey, L"svcVersion", c.svcVersion));
    EXPECT_EQ(CIEHelper::GetIEMajorVersion(), c.major) << (c.version ? "" : "no Version");
  }
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kIEKey, L"Version", L"9.11.9600.18952"));
  ASSERT_TRUE(SetString(HKEY_LOCAL_MACHINE, kIEKey, L"svcVersion", L"11.0.9600.18952"));
  EXPECT_EQ(CIEHelper::ReadIEVersionValue(L"svcVersion"), L"11.0.9600.18952");
}

std::wstring InterfaceKey(bool wow, const wchar_t* id) {
  return std::wstring(wow ? L"SOFTWARE\\Classes\\Wow6432Node\\Interface\\" : L"SOFTWARE\\Classes\\Interface\\") + id;
}

// Keys are written in the 64-bit view, where 64-bit Windows keeps the 32-bit view's keys under
// Wow6432Node: the same places for a 32-bit and a 64-bit test program (32-bit Windows has one
// view and takes Wow6432Node as a plain name).
constexpr REGSAM kNativeView = KEY_WOW64_64KEY;

TEST(Win32PluginProbes, EitherViewAndYsbNeedsBoth) {
  const struct {
    const char* vendor;
    bool (*probe)();
    const wchar_t* id;
  } plugins[] = {
      {"HID", CIEHelper::IsHidPluginRegistered, L"{D18F137A-0549-4868-B49D-4AF69278E7AC}"},
      {"NJYS", CIEHelper::IsNjysPluginRegistered, L"{2C4CE648-A725-4FC8-9F54-F3CB680A42BD}"},
      {"WHJL", CIEHelper::IsWhjlPluginRegistered, L"{4A8D857F-3372-457B-A1F8-0D2A3615B677}"},
      {"SDSS", CIEHelper::IsSdssPluginRegistered, L"{C1EEF725-1A89-4346-AFC8-F83B536373DE}"},
  };
  for (const auto& p : plugins) {
    SCOPED_TRACE(p.vendor);
    for (bool wow : {true, false}) {
      ASSERT_TRUE(DeleteTree(HKEY_LOCAL_MACHINE, InterfaceKey(true, p.id), kNativeView));
      ASSERT_TRUE(DeleteTree(HKEY_LOCAL_MACHINE, InterfaceKey(false, p.id), kNativeView));
      EXPECT_FALSE(p.probe());
      // The interface key alone is not enough; its ProxyStubClsid32 subkey is what counts.
      ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, InterfaceKey(wow, p.id), kNativeView));
      EXPECT_FALSE(p.probe());
      ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, InterfaceKey(wow, p.id) + L"\\ProxyStubClsid32", kNativeView));
      EXPECT_TRUE(p.probe()) << (wow ? "32-bit view" : "native view");
      ASSERT_TRUE(DeleteTree(HKEY_LOCAL_MACHINE, InterfaceKey(wow, p.id), kNativeView));
    }
  }

  const wchar_t* ysb[] = {L"{6B20A80E-7218-49C8-804E-DF4B78815E9F}", L"{438E0BA0-E5EA-464E-A633-3A4443C45A9F}"};
  for (const wchar_t* id : ysb) ASSERT_TRUE(DeleteTree(HKEY_LOCAL_MACHINE, InterfaceKey(false, id), kNativeView));
  ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, InterfaceKey(false, ysb[0]) + L"\\ProxyStubClsid32", kNativeView));
  EXPECT_FALSE(CIEHelper::IsYsbPluginRegistered());
  ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, InterfaceKey(true, ysb[1]) + L"\\ProxyStubClsid32", kNativeView));
  EXPECT_TRUE(CIEHelper::IsYsbPluginRegistered());
  for (const wchar_t* id : ysb) {
    DeleteTree(HKEY_LOCAL_MACHINE, InterfaceKey(false, id), kNativeView);
    DeleteTree(HKEY_LOCAL_MACHINE, InterfaceKey(true, id), kNativeView);
  }
}

const wchar_t kFeatures[] = L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\";
const wchar_t kZones[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\";
const wchar_t kDomains[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains\\";

// The user's own Internet zone values before the client starts ("prompt" for one).
const std::pair<const wchar_t*, DWORD> kInternetZoneMarkers[] = {{L"1004", 0x4C1004}, {L"1201", 1},
                                                                 {L"1208", 0x4C1208}, {L"1200", 0x4C1200},
                                                                 {L"1405", 0x4C1405}, {L"2201", 0x4C2201}};

// Every value of the engine settings, with its data, for an executable's file name.
void ExpectEngineSettings(const std::wstring& ownName) {
  const struct {
    const wchar_t* feature;
    DWORD own, iexplore;
  } features[] = {
      {L"FEATURE_BROWSER_EMULATION", 12000, 12000},
      {L"FEATURE_ACTIVEX_REPURPOSEDETECTION", 0, 0},
      {L"FEATURE_BLOCK_LMZ_IMG", 1, 0},
      {L"FEATURE_BLOCK_LMZ_OBJECT", 1, 0},
      {L"FEATURE_BLOCK_LMZ_SCRIPT", 1, 0},
      {L"FEATURE_Cross_Domain_Redirect_Mitigation", 1, 0},
      {L"FEATURE_ENABLE_SCRIPT_PASTE_URLACTION_IF_PROMPT", 1, 0},
      {L"FEATURE_LOCALMACHINE_LOCKDOWN", 1, 0},
      {L"FEATURE_GPU_RENDERING", 1, 0},
  };
  for (const auto& f : features) {
    std::wstring key = kFeatures + std::wstring(f.feature);
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, key, ownName), static_cast<long long>(f.own))
        << std::string(key.begin(), key.end());
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, key, L"iexplore.exe"), static_cast<long long>(f.iexplore));
    // The own file name's values are the user's too; iexplore.exe's stay the machine's only.
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, ownName), static_cast<long long>(f.own))
        << "HKCU " << std::string(key.begin(), key.end());
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, key, L"iexplore.exe"), -1);
  }
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kDomains + std::wstring(L"*.") + Widen(LIRRA_PRIMARY_DOMAIN), L"http"), 2);
  // Trusted sites allow the six ActiveX actions; the Internet zone keeps the user's markers.
  for (const auto& [action, marker] : kInternetZoneMarkers) {
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kZones + std::wstring(L"2"), action), 0);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kZones + std::wstring(L"3"), action), marker);
  }
}

TEST(Win32EngineSettings, AllValuesPresentAndOwnNameFollowsTheFile) {
  DeleteTree(HKEY_CURRENT_USER, kDomains + std::wstring(L"*.") + Widen(LIRRA_PRIMARY_DOMAIN));
  DeleteTree(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl");
  // Values already there are overwritten (Trusted sites), other values are left alone; the
  // Internet zone is never written.
  for (const auto& [action, marker] : kInternetZoneMarkers) {
    ASSERT_TRUE(SetDword(HKEY_CURRENT_USER, kZones + std::wstring(L"2"), action, 3));
    ASSERT_TRUE(SetDword(HKEY_CURRENT_USER, kZones + std::wstring(L"3"), action, marker));
  }
  ASSERT_TRUE(SetDword(HKEY_CURRENT_USER, kZones + std::wstring(L"2"), L"1A00", 3));
  ASSERT_TRUE(SetDword(HKEY_CURRENT_USER, kZones + std::wstring(L"3"), L"1A00", 3));

  CEngineSettings::ApplyBrowserSettings();
  ExpectEngineSettings(CSystemProbe::GetExeFileName());
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kZones + std::wstring(L"2"), L"1A00"), 3);
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kZones + std::wstring(L"3"), L"1A00"), 3);

  // The same program under another file name writes that name.
  TempDir dir;
  std::wstring renamed = Widen(dir.File("renamed client.exe"));
  ASSERT_TRUE(CopyFileW(kHelper.c_str(), renamed.c_str(), FALSE));
  ChildProcess child(renamed, L"engine-settings");
  ASSERT_TRUE(child.Started());
  EXPECT_EQ(child.WaitExit(60000), 0u);
  ExpectEngineSettings(L"renamed client.exe");
}

}  // namespace
}  // namespace lirra
