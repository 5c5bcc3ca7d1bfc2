#include "drivers/install_worker.h"

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
    if (!IsWanted(row) || !MayInstall(row)) continue;
    if (row.vendor == Vendor::kHID) {
      RegisterHidPlugin();
    } else {
      InstallVendor(row);
    }
  }
  SaveDriverState(flags_);
  ui_.RunEnded();
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
  Show(kTextRemovingPlugin);
  RunInstaller(kRegistrationTool, kRegistrationTool, L"/u " + quotedPath);
  Show(kTextRegisteringPlugin);
  RunInstaller(kRegistrationTool, kRegistrationTool, quotedPath);
  // Only a registration that took changes the record; there is no result text for HID.
  if (CIEHelper::IsHidPluginRegistered()) {
    flags_.m_bHID = true;
    SaveDriverState(flags_);
  }
}

void InstallRun::InstallVendor(const VendorInfo& row) {
  const PackageRecord& package = GetPackageTable().Record(row.vendor);
  Show(row.downloading);
  if (!network_.EnsurePackage(package)) {
    // Never run an installer that is missing or failed its digest check.
    Show(row.failed);
    OS().SleepMs(kStatusPauseMs);
    return;
  }
  Show(row.installing);
  OS().SleepMs(kStatusPauseMs);
  RunInstaller(package.m_strLocalPath, ImageNameOf(package.m_strLocalPath));
  const bool installed = CIEHelper::IsPluginRegistered(row.vendor);
  flags_.Installed(row.vendor) = installed;
  Show(installed ? row.succeeded : row.failed);
  OS().SleepMs(kStatusPauseMs);
}

}  // namespace

void RunInstall(InstallUi& ui, InstallNetwork& network) { InstallRun(ui, network).Run(); }

}  // namespace lirra
