#include "drivers/install_worker.h"

#include <utility>

#include "net/download_progress.h"
#include "pc/ie_helper.h"
#include "pc/installer_runner.h"
#include "pc/run_flags.h"
#include "pc/system_probe.h"
#include "pc/vendors.h"
#include "platform/platform.h"
#include "store/driver_state.h"

namespace lirra {

namespace {

constexpr wchar_t kBrowserImage[] = L"iexplore.exe";
constexpr wchar_t kRegistrationTool[] = L"regsvr32.exe";
constexpr wchar_t kPluginFile[] = L"CardX.ocx";
// Lets a status text paint before an installer's window covers the screen.
constexpr unsigned kStatusPauseMs = 100;

constexpr wchar_t kTextRemovingPlugin[] = L"正在清除HID插件，如出错请用管理员权限运行...";
constexpr wchar_t kTextRegisteringPlugin[] = L"正在注册HID插件，如出错请用管理员权限运行";

// Under the status line's failed text: why no installer was run.
constexpr wchar_t kDetailDigestRefused[] = L"安装包校验失败，未运行安装程序";
constexpr wchar_t kDetailDownloadFailed[] = L"安装包下载失败，未运行安装程序";

constexpr wchar_t kTitleConflict[] = L"安装提醒";
constexpr wchar_t kButtonInstall[] = L"安装";
constexpr wchar_t kButtonCancel[] = L"取消";

// The image name an installer runs under. A manifest that renames a package changes the
// record's file name but not the local path it is stored and launched from.
std::wstring ImageNameOf(const std::wstring& path) {
  size_t sep = path.find_last_of(L"\\/");
  return sep == std::wstring::npos ? path : path.substr(sep + 1);
}

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
  void RegisterHidPlugin();
  void InstallVendor(const VendorInfo& row);
  // Runs an installer and waits for it; the dialog says meanwhile what it waits for. A held
  // installer (HeldFile) is started from its hold instead of the file.
  void RunAndWait(const VendorInfo& row, const std::wstring& file, const std::wstring& image,
                  const std::wstring& parameters = {}, HeldFilePtr installer = nullptr);
  // Saves after each finished vendor, so that leaving a later installer behind keeps it.
  void Record() { SaveDriverState(flags_); }
  void Show(const wchar_t* text) { ui_.SetStatusText(text); }

  InstallUi& ui_;
  InstallNetwork& network_;
  CRunFlags& flags_;
  const bool reinstall_;
  std::wstring moduleDir_;
};

void InstallRun::Run() {
  moduleDir_ = CSystemProbe::GetModuleDir();
  // The vendors' plug-ins are for Internet Explorer, which must not hold them while they change.
  CSystemProbe::KillProcessByName(kBrowserImage);
  for (Vendor vendor : kVendorsInRunOrder) {
    const VendorInfo& row = VendorOf(vendor);
    if (ui_.HasLeft()) break;
    if (!IsWanted(row) || !MayInstall(row) || ui_.HasLeft()) continue;
    if (row.vendor == Vendor::kHID) {
      RegisterHidPlugin();
    } else {
      InstallVendor(row);
    }
  }
  if (!ui_.HasLeft()) SaveDriverState(flags_);
  ui_.RunEnded();
}

void InstallRun::RunAndWait(const VendorInfo& row, const std::wstring& file, const std::wstring& image,
                            const std::wstring& parameters, HeldFilePtr installer) {
  ui_.InstallerStarted(row.label, image);
  if (installer) {
    RunHeldInstaller(std::move(installer), image, parameters);
  } else {
    RunInstaller(file, image, parameters);
  }
  ui_.InstallerEnded();
}

// Asks at most one question, about the first conflicting vendor that is installed by now.
bool InstallRun::MayInstall(const VendorInfo& row) {
  for (const VendorConflict& conflict : row.conflicts) {
    if (conflict.question && flags_.Installed(conflict.other)) {
      return ui_.AskTwoButtons(kTitleConflict, conflict.question, kButtonInstall, kButtonCancel);
    }
  }
  return true;
}

void InstallRun::RegisterHidPlugin() {
  const std::wstring quotedPath = L"\"" + moduleDir_ + kPathSep + kPluginFile + L"\"";
  const VendorInfo& row = VendorOf(Vendor::kHID);
  Show(kTextRemovingPlugin);
  RunAndWait(row, kRegistrationTool, kRegistrationTool, L"/u " + quotedPath);
  if (ui_.HasLeft()) return;
  Show(kTextRegisteringPlugin);
  RunAndWait(row, kRegistrationTool, kRegistrationTool, quotedPath);
  // The user left while regsvr32 ran: what it did is not recorded.
  if (ui_.HasLeft()) return;
  // Only a registration that took changes the record; there is no result text for HID.
  if (CIEHelper::IsHidPluginRegistered()) {
    flags_.m_bHID = true;
    Record();
  }
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
  RunAndWait(row, package.m_strLocalPath, ImageNameOf(package.m_strLocalPath), {}, std::move(installer));
  // The user left while the installer ran: nothing is recorded for this vendor.
  if (ui_.HasLeft()) return;
  const bool installed = CIEHelper::IsPluginRegistered(row.vendor);
  flags_.Installed(row.vendor) = installed;
  Show(installed ? row.succeeded : row.failed);
  Record();
  OS().SleepMs(kStatusPauseMs);
}

}  // namespace

void RunInstall(InstallUi& ui, InstallNetwork& network) { InstallRun(ui, network).Run(); }

}  // namespace lirra
