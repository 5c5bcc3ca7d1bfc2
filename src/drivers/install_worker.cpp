#include "drivers/install_worker.h"

#include <utility>

#include "drivers/installer_steps.h"
#include "net/download_progress.h"
#include "pc/ie_helper.h"
#include "pc/run_flags.h"
#include "pc/system_probe.h"
#include "pc/vendors.h"
#include "platform/platform.h"
#include "store/driver_state.h"
#include "ui/run_link.h"

namespace lirra {

namespace {

// Lets a status text paint before an installer's window covers the screen.
constexpr unsigned kStatusPauseMs = 100;

// Under the status line's failed text: why no installer was run.
constexpr wchar_t kDetailDigestRefused[] = L"安装包校验失败，未运行安装程序";
constexpr wchar_t kDetailDownloadFailed[] = L"安装包下载失败，未运行安装程序";

constexpr wchar_t kButtonInstall[] = L"安装";

class InstallRun {
 public:
  InstallRun(InstallUi& ui, InstallNetwork& network)
      : ui_(ui), network_(network), flags_(CRunFlags::GetInstance()), reinstall_(ui.IsReinstall()) {}
  void Run();

 private:
  bool IsWanted(const VendorInfo& row) {
    return ui_.IsSelected(row.vendor) && (!flags_.Installed(row.vendor) || reinstall_);
  }
  bool MayInstall(const VendorInfo& row);
  void InstallVendor(const VendorInfo& row);
  // Saves after each finished vendor, so that leaving a later installer behind keeps it.
  void Record() { SaveDriverState(flags_); }
  void Show(const wchar_t* text) { ui_.SetStatusText(text); }

  InstallUi& ui_;
  InstallNetwork& network_;
  CRunFlags& flags_;
  const bool reinstall_;
};

void InstallRun::Run() {
  // The vendors' plug-ins are for Internet Explorer, which must not hold them while they change.
  CSystemProbe::KillProcessByName(kBrowserImage);
  for (Vendor vendor : kVendorsInRunOrder) {
    const VendorInfo& row = VendorOf(vendor);
    if (ui_.HasLeft()) break;
    if (!IsWanted(row) || !MayInstall(row) || ui_.HasLeft()) continue;
    if (row.vendor == Vendor::kHID) {
      // Only a registration that took changes the record; there is no result text for HID.
      const auto show = [this](const std::wstring& text) { ui_.SetStatusText(text); };
      RegisterCardX(ui_, show, true);
    } else {
      InstallVendor(row);
    }
  }
  if (!ui_.HasLeft()) SaveDriverState(flags_);
  ui_.RunEnded();
}

// Asks at most one question, about the first conflicting vendor that is installed by now.
bool InstallRun::MayInstall(const VendorInfo& row) {
  for (const VendorConflict& conflict : row.conflicts) {
    if (conflict.question && flags_.Installed(conflict.other)) {
      return ui_.AskTwoButtons(ui::kInstallReminderTitle, conflict.question, kButtonInstall, ui::kCancelText);
    }
  }
  return true;
}

void InstallRun::InstallVendor(const VendorInfo& row) {
  const PackageRecord& package = GetPackageTable().Record(row.vendor);
  Show(row.downloading);
  PackageFailure failure = PackageFailure::kNone;
  HeldFilePtr installer;
  const HttpProgress progress = ProgressGate([this](int percent) { ui_.ShowProgress(percent); });
  const bool present = network_.EnsurePackage(package, progress, &failure, &installer) && installer;
  if (ui_.HasLeft()) return;
  if (!present) {
    // Never run an installer that is missing or failed its digest check; say which it was.
    Show(row.failed);
    ui_.SetDetailText(failure == PackageFailure::kDigest ? kDetailDigestRefused : kDetailDownloadFailed);
    OS().SleepMs(kStatusPauseMs);
    return;
  }
  Show(row.installing);
  OS().SleepMs(kStatusPauseMs);
  // The user left while the installer ran: nothing is recorded for this vendor.
  if (!WaitForInstaller(ui_, row.label, std::move(installer)) || ui_.HasLeft()) return;
  const bool installed = CIEHelper::IsPluginRegistered(row.vendor);
  flags_.Installed(row.vendor) = installed;
  Show(installed ? row.succeeded : row.failed);
  Record();
  OS().SleepMs(kStatusPauseMs);
}

}  // namespace

void RunInstall(InstallUi& ui, InstallNetwork& network) { InstallRun(ui, network).Run(); }

}  // namespace lirra
