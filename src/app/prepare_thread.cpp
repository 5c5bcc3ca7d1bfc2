// The worker's thread entry and its real transfers, kept apart from the steps so that tests
// of the steps link without the HTTP client.
#include <vector>

#include "app/prepare_worker.h"
#include "app/self_update.h"
#include "net/manifest_commit.h"
#include "platform/platform.h"

namespace lirra {

bool HttpPrepareNetwork::DownloadManifest(const PackageTable& table) { return lirra::DownloadManifest(table); }

bool HttpPrepareNetwork::EnsurePackage(const PackageRecord& record, const HttpProgress& progress,
                                       PackageFailure* failure, HeldFilePtr* installer) {
  return lirra::EnsurePackage(record, failure, progress, installer);
}

int HttpPrepareNetwork::GetLatestVersionInfo(UpdateInfo* info) {
  return lirra::GetLatestVersionInfo(info, versionUrl_);
}

bool HttpPrepareNetwork::DownloadSetup(const std::string& url, const std::wstring& path, const HttpProgress& progress,
                                       std::string* reason) {
  CDownFile request;
  request.SetLimits(SetupHttpLimits());
  request.HttpGetToFile(url.c_str(), OS().WideToAnsi(path).c_str(), {}, progress);
  if (request.Committed()) return true;
  if (reason) *reason = request.Reason().empty() ? "result " + std::to_string(request.Result()) : request.Reason();
  return false;
}

std::optional<std::string> HttpPrepareNetwork::DownloadSignature(const std::string& url, std::string* reason) {
  // One byte more than a signature file may hold, so a longer one arrives cut and fails to decode.
  std::vector<char> text(kMaxSignatureFileBytes + 2, '\0');
  CDownFile request;
  const int result = request.HttpGetToMemory(url.c_str(), text.data(), text.size());
  if (result == kHttpOk) return std::string(text.data(), request.BodyLength());
  if (reason) *reason = request.Reason().empty() ? "result " + std::to_string(result) : request.Reason();
  return std::nullopt;
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
