#include "net/manifest_commit.h"

#include <cstdio>
#include <cstring>

#include "net/http_client.h"
#include "platform/platform.h"
#include "store/ini_store.h"
#include "store/trace.h"

namespace lirra {

namespace {

constexpr int kManifestValueCapacity = 256;

// The sections that name a vendor's installer under "path", and the HID keys, one per
// Windows and bitness.
constexpr const char* kPathSections[] = {"IE", "NJYS", "SDSS", "WHJL", "YSB"};
constexpr const char* kHidKeys[] = {"XP32", "XP64", "W732", "W764", "W832", "W864", "W1032", "W1064"};

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Windows opens a device, not a file, for these names, whatever extension follows.
bool IsDeviceName(const std::string& name) {
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = UpperAscii(c);
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* device : kDevices) {
    if (base == device) return true;
  }
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) && base[3] >= '1' &&
         base[3] <= '9';
}

std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
    std::fclose(f);
  }
  return bytes;
}

bool SameBytes(const std::string& a, const std::string& b) {
  std::FILE* f = std::fopen(b.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return ReadWholeFile(a) == ReadWholeFile(b);
}

bool NamesPackage() {
  for (const char* section : kPathSections) {
    if (IsPlainFileName(ReadManifestValue(section, "path"))) return true;
  }
  for (const char* key : kHidKeys) {
    if (IsPlainFileName(ReadManifestValue("HID", key))) return true;
  }
  return false;
}

}  // namespace

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

std::string ReadManifestValue(const char* section, const std::string& key) {
  char buffer[kManifestValueCapacity] = "";
  IniReadString(section, key.c_str(), buffer, sizeof buffer, "");
  std::string value = buffer;
  if (!value.empty() && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.size() >= 2 ? value.substr(1, value.size() - 2) : std::string();
  return value;
}

bool AcceptManifest(const std::string& path, std::string* reason) {
  auto lock = LockIniStore();
  int loaded = IniLoadFile(path.c_str());
  bool names = loaded == 1 && NamesPackage();
  IniFreeFile();
  if (names) return true;
  if (reason) *reason = loaded == 1 ? "it names no package" : "it can't be loaded";
  return false;
}

ManifestOutcome RefreshManifest(const std::wstring& url, const std::wstring& path) {
  std::string target = OS().WideToAnsi(path);
  bool current = false;
  HttpLimits limits;
  limits.maxBody = kManifestCap;
  limits.deadlineMs = kManifestDeadlineMs;
  CDownFile request;
  request.SetLimits(limits);
  request.HttpGetToFile(OS().WideToAnsi(url).c_str(), target.c_str(),
                        [&](const std::string& finished, std::string* reason) {
                          if (!AcceptManifest(finished, reason)) return false;
                          // The same list again: nothing to write.
                          current = SameBytes(finished, target);
                          return !current;
                        });
  ManifestOutcome outcome;
  if (request.Committed()) {
    outcome.state = ManifestRefresh::kReplaced;
  } else if (current) {
    outcome.state = ManifestRefresh::kCurrent;
  } else {
    outcome.reason = request.Reason().empty() ? "result " + std::to_string(request.Result()) : request.Reason();
    NetTrace("file.ini kept: %s\n", outcome.reason.c_str());
  }
  return outcome;
}

}  // namespace lirra
