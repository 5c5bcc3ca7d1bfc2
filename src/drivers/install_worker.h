// The driver install run behind the driver manager's "安装" and "重装": for each selected vendor
// in order, the conflict question, the CardX.ocx registration (HID) or the vendor's verified
// installer, the probe of what got registered, and the status line. Portable: the OS is reached
// through the platform seam and the download host through InstallNetwork.
#pragma once

#include <string>

#include "drivers/install_ui.h"
#include "net/package_table.h"

#ifndef LIRRA_THREAD_CALL
#ifdef _WIN32
#define LIRRA_THREAD_CALL __stdcall
#else
#define LIRRA_THREAD_CALL
#endif
#endif

namespace lirra {

// Fetches an installer when the copy on disk does not match its digest.
class InstallNetwork {
 public:
  virtual ~InstallNetwork() = default;
  // True when the local file matches the record's digest (after a download if needed), and
  // then `installer` holds it as it was checked; otherwise `failure` says why. `progress`
  // hears of a download's blocks.
  virtual bool EnsurePackage(const PackageRecord& record, const HttpProgress& progress, PackageFailure* failure,
                             HeldFilePtr* installer) = 0;
};

// The real download host.
InstallNetwork& LiveInstallNetwork();

// One whole run on the calling thread; ends with InstallUi::RunEnded.
void RunInstall(InstallUi& ui, InstallNetwork& network);

// Thread procedure for _beginthreadex: the argument is the driver manager's InstallUi.
unsigned LIRRA_THREAD_CALL InstallDriversThread(void* ui);

}  // namespace lirra
