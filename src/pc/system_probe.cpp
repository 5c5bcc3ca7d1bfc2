#include "pc/system_probe.h"

#include <vector>

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

// Image names are compared with only the ASCII letters folded, as the process list spells them.
std::wstring AsciiLower(const std::wstring& text) {
  std::wstring out(text);
  for (wchar_t& c : out) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return out;
}

// The index of the first entry after the idle process whose image name matches, looking at
// no more than `limit` entries; -1 when there is none.
int FindProcess(const std::vector<ProcessEntry>& list, const std::wstring& name, int limit) {
  if (name.empty()) return -1;
  const std::wstring wanted = AsciiLower(name);
  int compared = 0;
  for (size_t i = 1; i < list.size() && compared < limit; ++i, ++compared) {
    if (AsciiLower(list[i].imageName) == wanted) return static_cast<int>(i);
  }
  return -1;
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

bool CSystemProbe::StartServiceByName(const std::wstring& name) { return OS().StartServiceByName(name); }

bool CSystemProbe::KillProcessByName(const std::wstring& name) {
  const std::vector<ProcessEntry> list = OS().ListProcesses();
  int found = FindProcess(list, name, static_cast<int>(list.size()));
  if (found < 0) return false;
  // A refused termination still counts as found: the caller decides by probing afterwards.
  OS().KillProcess(list[static_cast<size_t>(found)].pid);
  return true;
}

bool CSystemProbe::IsProcessRunning(const std::wstring& name) {
  return FindProcess(OS().ListProcesses(), name, kMaxComparedProcesses) >= 0;
}

}  // namespace lirra
