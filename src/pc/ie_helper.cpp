#include "pc/ie_helper.h"

#include "pc/vendors.h"

namespace lirra {

namespace {

const wchar_t kIEKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\";
// The version value is read into a buffer of this many bytes; a longer value reads as none.
constexpr std::uint32_t kVersionBufferBytes = 255;

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

bool CIEHelper::IsPluginRegistered(Vendor vendor) {
  for (const wchar_t* id : VendorOf(vendor).interfaceIds) {
    if (id && !IsInterfaceRegistered(id)) return false;
  }
  return true;
}

bool CIEHelper::IsHidPluginRegistered() { return IsPluginRegistered(Vendor::kHID); }
bool CIEHelper::IsYsbPluginRegistered() { return IsPluginRegistered(Vendor::kYSB); }
bool CIEHelper::IsNjysPluginRegistered() { return IsPluginRegistered(Vendor::kNJYS); }
bool CIEHelper::IsWhjlPluginRegistered() { return IsPluginRegistered(Vendor::kWHJL); }
bool CIEHelper::IsSdssPluginRegistered() { return IsPluginRegistered(Vendor::kSDSS); }

}  // namespace lirra
