// The install run's thread entry and its real transfers, kept apart from the steps so that
// tests of the steps link without the HTTP client.
#include "drivers/install_worker.h"

namespace lirra {

namespace {

class HttpInstallNetwork : public InstallNetwork {
 public:
  bool EnsurePackage(const PackageRecord& record, const HttpProgress& progress, PackageFailure* failure,
                     HeldFilePtr* installer) override {
    return lirra::EnsurePackage(record, failure, progress, installer);
  }
};

}  // namespace

InstallNetwork& LiveInstallNetwork() {
  static HttpInstallNetwork network;
  return network;
}

unsigned LIRRA_THREAD_CALL InstallDriversThread(void* ui) {
  if (ui != nullptr) RunInstall(*static_cast<InstallUi*>(ui), LiveInstallNetwork());
  return 0;
}

}  // namespace lirra
