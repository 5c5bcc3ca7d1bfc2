// The worker's thread entry and its real transfers, kept apart from the steps so that tests
// of the steps link without the HTTP client.
#include "app/prepare_worker.h"

namespace lirra {

bool HttpPrepareNetwork::DownloadManifest(const PackageTable& table) { return lirra::DownloadManifest(table); }

bool HttpPrepareNetwork::EnsurePackage(const PackageRecord& record, const HttpProgress& progress,
                                       PackageFailure* failure, HeldFilePtr* installer) {
  return lirra::EnsurePackage(record, failure, progress, installer);
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
