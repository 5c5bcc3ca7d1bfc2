// The worker's thread entry and its real transfers, kept apart from the steps so that tests
// of the steps link without the HTTP client.
#include "app/prepare_worker.h"

namespace lirra {

namespace {

class LivePrepareNetwork : public PrepareNetwork {
 public:
  bool DownloadFile(const std::wstring& remoteUrl, const std::wstring& localPath) override {
    return lirra::DownloadFile(remoteUrl, localPath);
  }
  bool EnsurePackage(const PackageRecord& record) override { return lirra::EnsurePackage(record); }
  int GetLatestVersionInfo(UpdateInfo* info) override { return lirra::GetLatestVersionInfo(info); }
};

}  // namespace

PrepareNetwork& LiveNetwork() {
  static LivePrepareNetwork network;
  return network;
}

unsigned LIRRA_THREAD_CALL PrepareThreadProc(void* ui) {
  if (ui != nullptr) RunPreparation(*static_cast<PrepareUi*>(ui), LiveNetwork());
  return 0;
}

}  // namespace lirra
