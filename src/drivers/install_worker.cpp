#include "drivers/install_worker.h"

#include "app/ie_helper.h"
#include "app/run_flags.h"
#include "app/system_probe.h"
#include "drivers/installer_runner.h"
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
constexpr wchar_t kAskNjysSdss[] = L"南京亿数和山东神思在部分机型上会冲突，\r\n继续安装？";
constexpr wchar_t kAskNjysWhjl[] = L"南京亿数和武汉精伦在部分机型上会冲突，\r\n继续安装？";
constexpr wchar_t kAskWhjlSdss[] = L"武汉精伦和山东神思在部分机型上会冲突，\r\n继续安装？";

// Another vendor whose installed driver makes installing this one a question.
struct Conflict {
  bool CRunFlags::*installed;
  const wchar_t* question;
};

struct VendorRow {
  Vendor vendor;
  const char* key;
  const wchar_t* label;
  bool CRunFlags::*installed;
  PackageRecord PackageTable::*package;  // null for HID: its plug-in is registered, not installed
  bool (*probe)();
  const wchar_t* downloading;
  const wchar_t* installing;
  const wchar_t* succeeded;
  const wchar_t* failed;
  Conflict conflicts[2];  // the first whose vendor is installed is asked
};

// The vendors in the order a run processes them.
const VendorRow kVendors[kVendorCount] = {
    // HID registers CardX.ocx instead of running a package, with texts of its own.
    {Vendor::kHID,
     "HID",
     L"HID",
     &CRunFlags::m_bHID,
     nullptr,
     &CIEHelper::IsHidPluginRegistered,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {}},
    {Vendor::kYSB,
     "YSB",
     L"广州易售宝",
     &CRunFlags::m_bYSB,
     &PackageTable::m_YSB,
     &CIEHelper::IsYsbPluginRegistered,
     L"正在下载广州易售宝必备驱动...",
     L"正在安装广州易售宝【温馨提示：如果杀毒软件或360拦截安装，请允许】",
     L"安装广州易售宝成功",
     L"安装广州易售宝失败",
     {}},
    {Vendor::kNJYS,
     "NJYS",
     L"南京亿数",
     &CRunFlags::m_bNJYS,
     &PackageTable::m_NJYS,
     &CIEHelper::IsNjysPluginRegistered,
     L"正在下载南京亿数必备驱动...",
     L"正在安装南京亿数【温馨提示：如果杀毒软件或360拦截安装，请允许】",
     L"安装南京亿数成功",
     L"安装南京亿数失败",
     {{&CRunFlags::m_bSDSS, kAskNjysSdss}, {&CRunFlags::m_bWHJL, kAskNjysWhjl}}},
    {Vendor::kWHJL,
     "WHJL",
     L"武汉精伦",
     &CRunFlags::m_bWHJL,
     &PackageTable::m_WHJL,
     &CIEHelper::IsWhjlPluginRegistered,
     L"正在下载武汉精伦必备驱动...",
     L"正在安装武汉精伦【温馨提示：如果杀毒软件或360拦截安装，请允许】",
     L"安装广州武汉精伦成功",
     L"安装广州武汉精伦失败",
     {{&CRunFlags::m_bSDSS, kAskWhjlSdss}, {&CRunFlags::m_bNJYS, kAskNjysWhjl}}},
    {Vendor::kSDSS,
     "SDSS",
     L"山东神思",
     &CRunFlags::m_bSDSS,
     &PackageTable::m_SDSS,
     &CIEHelper::IsSdssPluginRegistered,
     L"正在下载山东神思备驱动...",
     L"正在安装山东神思【温馨提示：如果杀毒软件或360拦截安装，请允许】",
     L"安装山东神思成功",
     L"安装山东神思失败",
     {{&CRunFlags::m_bWHJL, kAskWhjlSdss}, {&CRunFlags::m_bNJYS, kAskNjysSdss}}},
};

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
  bool IsWanted(const VendorRow& row) { return ui_.IsSelected(row.vendor) && (!(flags_.*row.installed) || reinstall_); }
  bool MayInstall(const VendorRow& row);
  void RegisterHidPlugin();
  void InstallVendor(const VendorRow& row);
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
  for (const VendorRow& row : kVendors) {
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
bool InstallRun::MayInstall(const VendorRow& row) {
  for (const Conflict& conflict : row.conflicts) {
    if (conflict.question && flags_.*conflict.installed) {
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

void InstallRun::InstallVendor(const VendorRow& row) {
  const PackageRecord& package = GetPackageTable().*row.package;
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
  const bool installed = row.probe();
  flags_.*row.installed = installed;
  Show(installed ? row.succeeded : row.failed);
  OS().SleepMs(kStatusPauseMs);
}

const VendorRow& RowOf(Vendor vendor) { return kVendors[static_cast<int>(vendor)]; }

}  // namespace

const char* VendorKey(Vendor vendor) { return RowOf(vendor).key; }
const wchar_t* VendorLabel(Vendor vendor) { return RowOf(vendor).label; }

void RunInstall(InstallUi& ui, InstallNetwork& network) { InstallRun(ui, network).Run(); }

}  // namespace lirra
