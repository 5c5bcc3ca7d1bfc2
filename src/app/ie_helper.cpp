#include "app/ie_helper.h"

namespace lirra {

namespace {

const wchar_t kIEKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\";
// The version value is read into a buffer of this many bytes; a longer value reads as none.
constexpr std::uint32_t kVersionBufferBytes = 255;

const wchar_t kHidInterface[] = L"{D18F137A-0549-4868-B49D-4AF69278E7AC}";
const wchar_t kYsbInterface1[] = L"{6B20A80E-7218-49C8-804E-DF4B78815E9F}";
const wchar_t kYsbInterface2[] = L"{438E0BA0-E5EA-464E-A633-3A4443C45A9F}";
const wchar_t kNjysInterface[] = L"{2C4CE648-A725-4FC8-9F54-F3CB680A42BD}";
const wchar_t kWhjlInterface[] = L"{4A8D857F-3372-457B-A1F8-0D2A3615B677}";
const wchar_t kSdssInterface[] = L"{C1EEF725-1A89-4346-AFC8-F83B536373DE}";

}  // namespace

std::wstring CIEHelper::ReadIEVersionValue(const std::wstring& valueName) {
  std::optional<std::wstring> data = OS().ReadString(RegHive::LocalMachine, kIEKey, valueName, kVersionBufferBytes);
  if (!data) return {};
  // Version values hold digits and dots only; the text ends at the first unit whose low
  // byte is zero, and each unit keeps its low byte.
  std::wstring out;
  for (wchar_t unit : *data) {
    wchar_t low = static_cast<wchar_t>(static_cast<unsigned>(unit) & 0xFFu);
    if (low == 0) break;
    out.push_back(low);
  }
  return out;
}

int CIEHelper::MajorOf(const std::wstring& version) {
  size_t dot = version.find(L'.');
  if (dot == std::wstring::npos) return 0;
  // The decimal value of the leading digits, as the C library would read it; capped so a
  // run of digits can never overflow.
  int major = 0;
  for (size_t i = 0; i < dot && version[i] >= L'0' && version[i] <= L'9'; ++i) {
    if (major < 100000) major = major * 10 + (version[i] - L'0');
  }
  return major;
}

int CIEHelper::GetIEMajorVersion() {
  int version = MajorOf(ReadIEVersionValue(L"Version"));
  int service = MajorOf(ReadIEVersionValue(L"svcVersion"));
  return version > service ? version : service;
}

bool CIEHelper::IsKeyPresent(const std::wstring& keyPath, RegView view) {
  // A key that exists but refuses this user still counts as present.
  return OS().OpenKeyStatus(RegHive::LocalMachine, keyPath, view) != KeyStatus::NotFound;
}

bool CIEHelper::IsInterfaceRegistered(const std::wstring& interfaceId) {
  if (IsKeyPresent(L"SOFTWARE\\Classes\\Wow6432Node\\Interface\\" + interfaceId + L"\\ProxyStubClsid32")) {
    return true;
  }
  // This 32-bit process sees the 32-bit view by default; the native view of a 64-bit
  // Windows has to be asked for.
  return IsKeyPresent(L"SOFTWARE\\Classes\\Interface\\" + interfaceId + L"\\ProxyStubClsid32", RegView::Wow64_64);
}

bool CIEHelper::IsHidPluginRegistered() { return IsInterfaceRegistered(kHidInterface); }

bool CIEHelper::IsYsbPluginRegistered() {
  return IsInterfaceRegistered(kYsbInterface1) && IsInterfaceRegistered(kYsbInterface2);
}

bool CIEHelper::IsNjysPluginRegistered() { return IsInterfaceRegistered(kNjysInterface); }
bool CIEHelper::IsWhjlPluginRegistered() { return IsInterfaceRegistered(kWhjlInterface); }
bool CIEHelper::IsSdssPluginRegistered() { return IsInterfaceRegistered(kSdssInterface); }

}  // namespace lirra
