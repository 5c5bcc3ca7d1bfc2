// When a package list fetched from the download host may replace the local file.ini, and the
// one way it is refreshed. A signature check of the list belongs beside AcceptManifest.
#pragma once

#include <string>

namespace lirra {

// The manifest request's own limits: a package list is a few hundred bytes, and it is
// fetched at every start while the loading window waits.
constexpr long long kManifestCap = 64 * 1024;
constexpr unsigned kManifestDeadlineMs = 8000;

// A manifest value that names a file Windows can create and nothing else: no folder, drive or
// parent, no reserved device name ("CON", "NUL.exe", "COM1", ...), no trailing dot or blank.
bool IsPlainFileName(const std::string& name);

// A file name as a piece of a URL: "%", "#" and "?" escaped, so that the server sees the name.
std::wstring EscapeFileNameForUrl(const std::wstring& name);

// A value of the file loaded in the INI store, with one pair of like quotes removed ("" for
// a lone quote).
std::string ReadManifestValue(const char* section, const std::string& key);

// Whether the manifest at path may replace the local one: it loads as an INI file and names
// at least one package (a plain file name under "path" of IE, NJYS, SDSS, WHJL or YSB, or
// under one of the HID keys). Otherwise false, and reason says why.
bool AcceptManifest(const std::string& path, std::string* reason);

enum class ManifestRefresh {
  kReplaced,  // a new manifest replaced file.ini
  kCurrent,   // the server's manifest is the one already on disk
  kKept,      // nothing acceptable arrived; file.ini is as it was
};

struct ManifestOutcome {
  ManifestRefresh state = ManifestRefresh::kKept;
  std::string reason;  // why it was kept
};

// Fetches the manifest from url (within kManifestCap and kManifestDeadlineMs) and moves it
// over path only when it arrived whole and AcceptManifest agrees; a trace line says why
// otherwise.
ManifestOutcome RefreshManifest(const std::wstring& url, const std::wstring& path);

}  // namespace lirra
