// The one way the local package list is refreshed from the download host: fetched within the
// list's limits into a temporary file beside file.ini and moved over it only when it arrived
// whole, names a package and, with a manifest key, is trusted (manifest_trust.h).
#pragma once

#include <string>

#include "net/manifest_trust.h"

namespace lirra {

enum class ManifestRefresh {
  kReplaced,  // a new manifest replaced file.ini
  kCurrent,   // the server's manifest is the one already on disk
  kKept,      // nothing acceptable arrived; file.ini is as it was
};

struct ManifestOutcome {
  ManifestRefresh state = ManifestRefresh::kKept;
  std::string reason;  // why it was kept
};

// Fetches the manifest from url and moves it over path only when it arrived whole and
// AcceptManifest agrees; a trace line says why otherwise.
ManifestOutcome RefreshManifest(const std::wstring& url, const std::wstring& path);

// Fetches the manifest and its signature (url + ".sig") beside path and moves both over the
// local pair only when CheckManifestUpdate accepts them against the local pair and the kept
// serial floor, which then rises to the new serial; otherwise the local pair stays as it was
// and the trace (and `reason`, when given) says why. False when nothing was replaced.
bool DownloadSignedManifest(const ManifestKey& key, const std::string& url, const std::string& path,
                            std::string* reason = nullptr);

}  // namespace lirra
