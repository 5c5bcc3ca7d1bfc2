// The start-up preparation: services, driver state, package manifest, plug-in probes, the
// update check, Internet Explorer 8, the HID driver and the CardX.ocx registration, reported
// step by step through a PrepareUi. Portable: the OS is reached through the platform seam,
// the servers through PrepareNetwork, so every branch runs in native tests.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "app/prepare_ui.h"
#include "app/update_check.h"
#include "net/package_table.h"
#include "platform/thread_call.h"

namespace lirra {

// The worker's transfers: the manifest, the installers and the version document.
class PrepareNetwork {
 public:
  virtual ~PrepareNetwork() = default;
  // The table's manifest to its local path; the real transfer keeps a good local one against
  // a bad answer, and verifies the signature when the table has a key.
  virtual bool DownloadManifest(const PackageTable& table) = 0;
  // As lirra::EnsurePackage: true when the installer is present and verified, and then
  // `installer` holds it as it was checked; otherwise `failure` says why. `progress` hears of
  // a download's blocks.
  virtual bool EnsurePackage(const PackageRecord& record, const HttpProgress& progress, PackageFailure* failure,
                             HeldFilePtr* installer) = 0;
  virtual int GetLatestVersionInfo(UpdateInfo* info) = 0;
  // An update's setup to path, which is replaced only by a whole body within SetupHttpLimits;
  // on false `reason` says why.
  virtual bool DownloadSetup(const std::string& url, const std::wstring& path, const HttpProgress& progress,
                             std::string* reason) = 0;
  // The setup's signature file, a line of text; nothing when it did not arrive (`reason` says why).
  virtual std::optional<std::string> DownloadSignature(const std::string& url, std::string* reason) = 0;
};

// The real transfers: the manifest and installers as the package table names them, the
// version document from versionUrl.
class HttpPrepareNetwork : public PrepareNetwork {
 public:
  explicit HttpPrepareNetwork(std::wstring versionUrl = VersionDataUrl()) : versionUrl_(std::move(versionUrl)) {}
  bool DownloadManifest(const PackageTable& table) override;
  bool EnsurePackage(const PackageRecord& record, const HttpProgress& progress, PackageFailure* failure,
                     HeldFilePtr* installer) override;
  int GetLatestVersionInfo(UpdateInfo* info) override;
  bool DownloadSetup(const std::string& url, const std::wstring& path, const HttpProgress& progress,
                     std::string* reason) override;
  std::optional<std::string> DownloadSignature(const std::string& url, std::string* reason) override;

 private:
  std::wstring versionUrl_;
};

// The real transfers against the built-in hosts.
PrepareNetwork& LiveNetwork();

enum class PrepareResult {
  kDone,           // WM_LOADING_DONE posted
  kIeTooOld,       // the user chose to quit over an old Internet Explorer; end of process asked
  kPluginRefused,  // CardX.ocx could not be registered (not XP); end of process asked
  kUpdating,       // the setup of a newer version started; end of process asked
};

// Runs every step on the calling thread; returns when the loading window has been told to
// close or the process has been asked to end.
PrepareResult RunPreparation(PrepareUi& ui, PrepareNetwork& network);

// Thread procedure for _beginthreadex: the argument is the PrepareUi of the loading window.
unsigned LIRRA_THREAD_CALL PrepareThreadProc(void* ui);

// Why Internet Explorer must not be started on `page`; empty when it may. Only an http or https
// address of a server in plain ASCII, without blanks, quotes or control characters, is opened
// (leading blanks aside): a share (\\host\share), a file, a resource, a program or
// extra switches for the browser never reach its command line.
std::string BrowserPageFault(const std::wstring& page);
// False, with a trace line that says why, when the page has a fault.
bool IsOpenableInIE(const std::wstring& page);

// Starts Internet Explorer on a page, given as one quoted argument, not waiting for it; false
// (and traced) when the page is refused.
bool OpenInIE(const std::wstring& url);

// The browser vendor's Internet Explorer download page, with the leading blank.
std::wstring IeDownloadPage();

}  // namespace lirra
