#include "net/manifest_commit.h"

#include <cstring>
#include <optional>

#include "platform/ascii.h"
#include "store/atomic_file.h"
#include "store/ini_store.h"

namespace lirra {

namespace {

// The sections that name a vendor's installer under "path", and the HID keys, one per
// Windows and bitness.
constexpr const char* kPathSections[] = {"IE", "NJYS", "SDSS", "WHJL", "YSB"};
constexpr const char* kHidKeys[] = {"XP32", "XP64", "W732", "W764", "W832", "W864", "W1032", "W1064"};

// Windows opens a device, not a file, for these names, whatever extension follows.
bool IsDeviceName(const std::string& name) {
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  static const char* const kDevices[] = {"con", "prn", "aux", "nul", "conin$", "conout$", "clock$"};
  for (const char* device : kDevices) {
    if (EqualsFoldingAscii(base, device)) return true;
  }
  return base.size() == 4 &&
         (EqualsFoldingAscii(base.substr(0, 3), "com") || EqualsFoldingAscii(base.substr(0, 3), "lpt")) &&
         base[3] >= '1' && base[3] <= '9';
}

}  // namespace

HttpLimits ManifestHttpLimits() {
  HttpLimits limits;
  limits.maxBody = kManifestCap;
  limits.deadlineMs = kManifestDeadlineMs;
  return limits;
}

bool IsPlainFileName(const std::string& name) {
  if (name.empty()) return false;
  for (unsigned char c : name) {
    if (c < 0x20 || std::strchr("/\\:*?\"<>|", c)) return false;
  }
  // Windows drops a trailing dot or blank, so the file would get another name (and ".."
  // would be the parent).
  if (name.back() == '.' || name.back() == ' ') return false;
  return !IsDeviceName(name);
}

std::wstring EscapeFileNameForUrl(const std::wstring& name) {
  std::wstring escaped;
  for (wchar_t c : name) {
    if (c == L'%') {
      escaped += L"%25";
    } else if (c == L'#') {
      escaped += L"%23";
    } else if (c == L'?') {
      escaped += L"%3F";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string ReadManifestValue(std::string_view manifest, const char* section, const std::string& key) {
  char buffer[kManifestValueCapacity] = "";
  IniReadStringFromText(manifest, section, key.c_str(), buffer, sizeof buffer, "");
  std::string value = buffer;
  if (!value.empty() && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.size() >= 2 ? value.substr(1, value.size() - 2) : std::string();
  return value;
}

bool NamesPackage(std::string_view manifest) {
  for (const char* section : kPathSections) {
    if (IsPlainFileName(ReadManifestValue(manifest, section, "path"))) return true;
  }
  for (const char* key : kHidKeys) {
    if (IsPlainFileName(ReadManifestValue(manifest, "HID", key))) return true;
  }
  return false;
}

bool AcceptManifest(const std::string& path, std::string* reason) {
  std::optional<std::string> manifest = ReadFileBytes(path, kMaxManifestBytes);
  if (manifest && NamesPackage(*manifest)) return true;
  if (reason) *reason = manifest ? "it names no package" : "it can't be loaded";
  return false;
}

}  // namespace lirra
