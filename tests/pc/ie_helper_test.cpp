#include "pc/ie_helper.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace lirra {
namespace {

using test::FakePlatform;

const std::wstring kIEValues = L"HKLM\\SOFTWARE\\Microsoft\\Internet Explorer\\\\";

struct IECase {
  const wchar_t* version;     // nullptr: no value
  const wchar_t* svcVersion;  // nullptr: no value
  int major;
};

const std::wstring kTooLongVersion = L"11." + std::wstring(130, L'0');

class IEMajorVersion : public testing::TestWithParam<IECase> {};

TEST_P(IEMajorVersion, IsTheGreaterOfBothValues) {
  FakePlatform fake;
  const IECase& c = GetParam();
  if (c.version) fake.registryStrings[kIEValues + L"Version"] = c.version;
  if (c.svcVersion) fake.registryStrings[kIEValues + L"svcVersion"] = c.svcVersion;
  EXPECT_EQ(CIEHelper::GetIEMajorVersion(), c.major);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IEMajorVersion,
    testing::Values(IECase{L"9.11.9600.18952", L"11.0.9600.18952", 11},     // IE 11 on Windows 7
                    IECase{L"8.0.6001.18702", nullptr, 8},                  // IE 8 on XP
                    IECase{nullptr, nullptr, 0}, IECase{L"8", nullptr, 0},  // no dot
                    IECase{L"", L"", 0}, IECase{L".8", nullptr, 0}, IECase{L"abc.1", L"7.0", 7},
                    IECase{nullptr, L"10.0.9200.16384", 10},
                    // The low byte of each unit is kept: U+0138 reads as '8'; U+0100 ends the text.
                    IECase{L"\u0138.0", nullptr, 8}, IECase{L"9\u0100.0", nullptr, 0},
                    // A value too long for the 255-byte buffer reads as none.
                    IECase{L"6.0.2900.5512", kTooLongVersion.c_str(), 6}));

TEST(ReadIEVersionValue, EmptyWhenMissingOrTooLong) {
  FakePlatform fake;
  EXPECT_EQ(CIEHelper::ReadIEVersionValue(L"Version"), L"");
  fake.registryStrings[kIEValues + L"Version"] = std::wstring(127, L'1');  // 254 bytes and a terminator: too long
  EXPECT_EQ(CIEHelper::ReadIEVersionValue(L"Version"), L"");
  fake.registryStrings[kIEValues + L"Version"] = std::wstring(126, L'1');
  EXPECT_EQ(CIEHelper::ReadIEVersionValue(L"Version"), std::wstring(126, L'1'));
}

std::wstring WowKey(const std::wstring& id) {
  return L"HKLM\\SOFTWARE\\Classes\\Wow6432Node\\Interface\\" + id + L"\\ProxyStubClsid32";
}
std::wstring NativeKey(const std::wstring& id) {
  return L"HKLM\\SOFTWARE\\Classes\\Interface\\" + id + L"\\ProxyStubClsid32";
}

struct PluginCase {
  const char* vendor;
  bool (*probe)();
  const wchar_t* interfaceId;
};

const PluginCase kPlugins[] = {
    {"HID", CIEHelper::IsHidPluginRegistered, L"{D18F137A-0549-4868-B49D-4AF69278E7AC}"},
    {"NJYS", CIEHelper::IsNjysPluginRegistered, L"{2C4CE648-A725-4FC8-9F54-F3CB680A42BD}"},
    {"WHJL", CIEHelper::IsWhjlPluginRegistered, L"{4A8D857F-3372-457B-A1F8-0D2A3615B677}"},
    {"SDSS", CIEHelper::IsSdssPluginRegistered, L"{C1EEF725-1A89-4346-AFC8-F83B536373DE}"},
};

TEST(PluginProbes, EitherViewRegistersAndOnlyNotFoundIsAbsent) {
  for (const PluginCase& p : kPlugins) {
    SCOPED_TRACE(p.vendor);
    FakePlatform fake;
    EXPECT_FALSE(p.probe());
    fake.registryKeys = {WowKey(p.interfaceId)};
    EXPECT_TRUE(p.probe());
    fake.registryKeys = {NativeKey(p.interfaceId)};
    EXPECT_TRUE(p.probe());
    fake.registryKeys.clear();
    fake.deniedKeys = {NativeKey(p.interfaceId)};  // exists, but this user may not open it
    EXPECT_TRUE(p.probe());
    // Another vendor's key does not count.
    fake.deniedKeys.clear();
    fake.registryKeys = {NativeKey(L"{6B20A80E-7218-49C8-804E-DF4B78815E9F}")};
    EXPECT_FALSE(p.probe());
  }
}

TEST(PluginProbes, YsbNeedsBothInterfaces) {
  const std::wstring first = L"{6B20A80E-7218-49C8-804E-DF4B78815E9F}";
  const std::wstring second = L"{438E0BA0-E5EA-464E-A633-3A4443C45A9F}";
  FakePlatform fake;
  fake.registryKeys = {NativeKey(first)};
  EXPECT_FALSE(CIEHelper::IsYsbPluginRegistered());
  fake.registryKeys = {WowKey(second)};
  EXPECT_FALSE(CIEHelper::IsYsbPluginRegistered());
  fake.registryKeys = {WowKey(first), NativeKey(second)};
  EXPECT_TRUE(CIEHelper::IsYsbPluginRegistered());
}

}  // namespace
}  // namespace lirra
