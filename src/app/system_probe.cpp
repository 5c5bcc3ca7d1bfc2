#include "app/system_probe.h"

namespace lirra {

namespace {

// The separator of module paths; Linux paths use '/', which the native build reports.
size_t LastSeparator(const std::wstring& path) {
#ifdef _WIN32
  return path.rfind(L'\\');
#else
  return path.find_last_of(L"\\/");
#endif
}

}  // namespace

std::wstring CSystemProbe::GetModuleDir() {
  std::wstring path = OS().ModulePath();
  size_t sep = LastSeparator(path);
  return sep == std::wstring::npos ? std::wstring() : path.substr(0, sep);
}

std::wstring CSystemProbe::GetExeFileName() {
  std::wstring path = OS().ModulePath();
  size_t sep = LastSeparator(path);
  return sep == std::wstring::npos ? path : path.substr(sep + 1);
}

std::wstring CSystemProbe::GetOsVersionName() { return OsVersionName(OS().GetOsVersion()); }

std::wstring CSystemProbe::OsVersionName(OsVersion v) {
  switch (v.major) {
    case 5:
      return v.minor == 1 ? L"XP" : L"No";
    case 6:
      if (v.minor <= 1) return L"7";
      if (v.minor <= 3) return L"8";
      return L"No";
    case 10:
      return v.minor == 0 ? L"10" : L"No";
    default:
      return L"No";
  }
}

}  // namespace lirra
