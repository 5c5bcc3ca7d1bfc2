// Update in place: a newer client arrives as our setup package, signed with the package list's
// key, and is started silently into the client's own folder when every check holds. The version
// document is not signed, so the setup's own version resource decides: it must be newer than
// this client (no downgrade, no replay of an older signed setup) and be the version announced.
// Every refusal names the check that failed, and the caller falls back to the download page.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/prepare_worker.h"
#include "app/update_check.h"
#include "net/http_client.h"
#include "net/manifest_trust.h"
#include "net/package_table.h"

namespace lirra {

enum class UpdateRefusal {
  kNone,
  kNoKey,               // a build without a manifest key updates through the download page only
  kNoDownloadUrl,       // the version document names no setup
  kForeignDownloadUrl,  // not an http or https address on the download host
  kSignatureDownload,   // downloadUrl + ".sig" did not arrive
  kSetupDownload,       // no connection, a bound of the download, a short body or a write error
  kSetupUnreadable,     // the downloaded setup can't be held and read whole
  kBadSignature,        // not the key's signature of the setup's exact bytes
  kNoSetupVersion,      // the setup has no product version of four numbers
  kNotNewer,            // not newer than this client
  kVersionMismatch,     // not the version the document announced
  kNotStarted,          // the shell did not start the setup
};
const char* DescribeUpdateRefusal(UpdateRefusal refusal);

// Writes the one trace line of a refusal: "update in place refused (REASON)[: DETAIL]".
void TraceUpdateRefusal(UpdateRefusal refusal, const std::string& detail = {});

// The setup is at most this large: it is read whole to verify its signature.
constexpr long long kSetupCap = 64LL * 1024 * 1024;
// The downloaded setup's name in the client's folder; a name of our own, so the document can't
// make a download land on one of the shop's files.
inline constexpr wchar_t kSetupFileName[] = L"lirra-update.exe";

// An installer's bounds, with the setup's cap.
HttpLimits SetupHttpLimits();

// Where the setup named by downloadUrl is fetched from: the URL itself when it is http on the
// download host (downloadHost: "host" or "host:port"); the same path from the download host when
// it is https there (the client speaks plain HTTP to that host, and the signature, not the
// transport, vouches for the file). Nothing for any other address.
std::optional<std::string> SetupFetchUrl(const std::string& downloadUrl, const std::string& downloadHost);

// The checks before the question: a key, and a downloadUrl on the download host; on kNone
// fetchUrl holds where the setup comes from.
UpdateRefusal CheckUpdateOffer(const ManifestKey& key, const UpdateInfo& info, const std::string& downloadHost,
                               std::string* fetchUrl);

// What is known of a downloaded setup.
struct SetupFacts {
  std::string bytes;                     // read whole through its hold
  std::optional<std::string> signature;  // the text of downloadUrl + ".sig"
  std::string version;                   // its version resource's ProductVersion, "" for none
};

// The key's signature of the setup's exact bytes.
UpdateRefusal CheckSetupSignature(const ManifestKey& key, const SetupFacts& setup, std::string* detail);
// The setup's version against ours (newer) and the announced one (equal).
UpdateRefusal CheckSetupVersion(const std::string& setupVersion, const std::string& ourVersion,
                                const std::string& announcedVersion, std::string* detail);
// The checks before the setup runs: the signature, then the version; `detail` says what was found.
UpdateRefusal CheckSetup(const ManifestKey& key, const SetupFacts& setup, const std::string& ourVersion,
                         const std::string& announcedVersion, std::string* detail);

// The setup's command line: silent, start the new client when done, wait for this process to
// end before replacing files, into folder (/D= comes last: the setup takes the rest of the line).
std::wstring SetupParameters(std::uint32_t processId, const std::wstring& folder);

// Downloads the setup and its signature, checks them and starts the setup held from its check
// to its start, telling the user through ui. True when the setup started (the client must end
// now); false after one trace line that says which check failed.
bool InstallUpdate(PrepareUi& ui, PrepareNetwork& network, const PackageTable& table, const UpdateInfo& info,
                   const std::string& fetchUrl);

}  // namespace lirra
