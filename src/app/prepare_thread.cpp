// The worker's thread entry and its real transfers, kept apart from the steps so that tests
// of the steps link without the HTTP client.
#include "app/prepare_worker.h"
#include "net/manifest_commit.h"

namespace lirra {

// The worker's one plain download is the manifest: it replaces file.ini only when it arrived
// whole and names a package, so a captive portal's page or an empty answer never wipes it.
bool HttpPrepareNetwork::DownloadFile(const std::wstring& remoteUrl, const std::wstring& localPath) {
  return RefreshManifest(remoteUrl, localPath).state != ManifestRefresh::kKept;
}

bool HttpPrepareNetwork::DownloadManifest(const PackageTable& table) { return lirra::DownloadManifest(table); }

bool HttpPrepareNetwork::EnsurePackage(const PackageRecord& record, const HttpProgress& progress,
                                       PackageFailure* failure) {
  return lirra::EnsurePackage(record, failure, progress);
}

int HttpPrepareNetwork::GetLatestVersionInfo(UpdateInfo* info) {
  return lirra::GetLatestVersionInfo(info, versionUrl_);
}

PrepareNetwork& LiveNetwork() {
  static HttpPrepareNetwork network;
  return network;
}

unsigned LIRRA_THREAD_CALL PrepareThreadProc(void* ui) {
  if (ui != nullptr) RunPreparation(*static_cast<PrepareUi*>(ui), LiveNetwork());
  return 0;
}

}  // namespace lirra
