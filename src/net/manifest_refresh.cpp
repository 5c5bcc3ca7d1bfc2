// How it is put together: a downloaded list (and its signature) lands in temporary files and
// replaces the local pair only after the decision, so a refused or broken download changes
// nothing. The signature is committed before the list; when the list then can't be, the local
// list gets its own signature back, so the pair that applied before still applies.
#include "net/manifest_refresh.h"

#include <cstdio>
#include <optional>

#include "net/http_client.h"
#include "net/manifest_commit.h"
#include "platform/platform.h"
#include "store/atomic_file.h"
#include "store/support_log.h"

namespace lirra {

namespace {

std::string ReasonOf(const CDownFile& request) {
  return request.Reason().empty() ? "result " + std::to_string(request.Result()) : request.Reason();
}

// One request into path within the list's limits, committed only when whole and accepted;
// a failed one leaves no file behind and the trace says why.
bool FetchToFile(const std::string& url, const std::string& path, const CDownFile::AcceptFile& accept = {}) {
  CDownFile request;
  request.SetLimits(ManifestHttpLimits());
  request.HttpGetToFile(url.c_str(), path.c_str(), accept);
  if (request.Committed()) return true;
  SupportTrace("%s not fetched: %s\n", url.c_str(), ReasonOf(request).c_str());
  std::remove(path.c_str());
  return false;
}

bool SameBytes(const std::string& a, const std::string& b) {
  std::optional<std::string> first = ReadFileBytes(a, kMaxManifestBytes);
  return first && first == ReadFileBytes(b, kMaxManifestBytes);
}

}  // namespace

ManifestOutcome RefreshManifest(const std::wstring& url, const std::wstring& path) {
  std::string target = OS().WideToAnsi(path);
  bool current = false;
  CDownFile request;
  request.SetLimits(ManifestHttpLimits());
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
    outcome.reason = ReasonOf(request);
    SupportTrace("file.ini kept: %s\n", outcome.reason.c_str());
  }
  return outcome;
}

bool DownloadSignedManifest(const ManifestKey& key, const std::string& url, const std::string& path,
                            std::string* reason) {
  const std::string signaturePath = path + ".sig";
  const std::string manifestPart = UniqueTempPath(path);
  const std::string signaturePart = UniqueTempPath(signaturePath);
  // Only a list that loads and names a package is worth checking; a portal's page is not.
  if (!FetchToFile(url, manifestPart, AcceptManifest)) {
    SupportTrace("manifest %s not downloaded\n", url.c_str());
    if (reason) *reason = "not downloaded";
    return false;
  }
  std::optional<std::string> manifest = ReadFileBytes(manifestPart, kMaxManifestBytes);
  std::optional<std::string> signature;
  if (FetchToFile(url + ".sig", signaturePart)) signature = ReadFileBytes(signaturePart, kMaxSignatureFileBytes);

  const std::optional<SignedManifest> local = ReadSignedManifest(path);
  ManifestCheck check = ManifestCheck::kNoManifest;
  if (manifest) check = CheckManifestUpdate(key, SignedManifest{*manifest, signature}, local, ReadSerialFloor(path));
  // Both targets must take their new content, or neither is touched.
  bool ok = check == ManifestCheck::kAccepted && CanWriteInPlace(path) && CanWriteInPlace(signaturePath) &&
            CommitFile(signaturePart, signaturePath);
  if (ok && !CommitFile(manifestPart, path)) {
    ok = false;
    // The local list stayed: give it back its own signature, so that it still verifies.
    const std::optional<std::string> old = local ? local->m_signature : std::nullopt;
    if (old ? !ReplaceFileContents(signaturePath, *old) : std::remove(signaturePath.c_str()) != 0)
      SupportTrace("manifest %s: the signature of the local list could not be put back\n", path.c_str());
  }
  if (ok) RaiseSerialFloor(path, *ManifestSerial(*manifest));  // the trace says so when it can't
  std::remove(manifestPart.c_str());
  std::remove(signaturePart.c_str());
  if (check != ManifestCheck::kAccepted) {
    SupportTrace("manifest %s refused: %s\n", url.c_str(), DescribeManifestCheck(check));
    if (reason) *reason = std::string("refused: ") + DescribeManifestCheck(check);
  } else if (!ok) {
    SupportTrace("manifest %s verified but not stored in %s\n", url.c_str(), path.c_str());
    if (reason) *reason = "verified but not stored";
  }
  return ok;
}

}  // namespace lirra
