#include "app/prepare_worker.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "app/self_update.h"
#include "drivers/installer_steps.h"
#include "net/download_progress.h"
#include "net/web_url.h"
#include "pc/ie_helper.h"
#include "pc/run_flags.h"
#include "pc/system_probe.h"
#include "pc/vendors.h"
#include "platform/platform.h"
#include "platform/utf8.h"
#include "store/atomic_file.h"
#include "store/driver_state.h"
#include "store/support_log.h"
#include "ui/run_link.h"

namespace lirra {

namespace {

constexpr wchar_t kBrowserPath[] = L"C:\\Program Files\\Internet Explorer\\iexplore.exe";
constexpr const wchar_t* kServices[] = {L"upnphost", L"AxInstSV", L"SCardSvr"};
// The HID driver counts as installed when either folder exists; the 32-bit view first.
constexpr const wchar_t* kOmnikeyFolders[] = {L"C:\\Program Files (x86)\\HID Global\\OMNIKEY 3x2x",
                                              L"C:\\Program Files\\HID Global\\OMNIKEY 3x2x"};
constexpr int kLowestIeVersion = 8;
// Lets the installing text paint before the installer's window covers the screen.
constexpr unsigned kInstallPauseMs = 100;

// Texts of the steps, in the order they appear.
constexpr wchar_t kTextChecking[] = L"正在检查系统环境，请稍候...";
constexpr wchar_t kTextCheckingUpdate[] = L"正在检查版本更新情况...";
constexpr wchar_t kTextUpdateChecked[] = L"正在检查版本已经OK...";
constexpr wchar_t kTextDownloadingIe8[] = L"正在下载IE8...";
constexpr wchar_t kTextInstallingIe8[] = L"正在安装IE8...";
constexpr wchar_t kTextDownloadingHid[] = L"正在下载HID必备驱动...";
constexpr wchar_t kTextInstallingHid[] = L"正在安装HID驱动【温馨提示：如果杀毒软件或360拦截安装，请允许】";
constexpr wchar_t kTextFinished[] = L"初始化完成，正在启动系统，请稍候...";
// Said instead of installing the HID driver when its package can't be had: the card reader
// won't work, and the assistant should know why.
constexpr wchar_t kTextHidDigestRefused[] = L"HID驱动安装包校验失败，未安装HID驱动，读卡器可能无法使用";
constexpr wchar_t kTextHidDownloadFailed[] = L"HID驱动下载失败，未安装HID驱动，读卡器可能无法使用";
// How long such a sentence stays before the next step replaces it.
constexpr unsigned kNoticeMs = 3000;

constexpr wchar_t kTitleUpdate[] = L"更新提醒";
constexpr wchar_t kTitleWarning[] = L"警告提醒";
constexpr wchar_t kTitleFailure[] = L"警告";
constexpr wchar_t kAskUpdate[] = L"检测到当前版本需要更新，是否要更新？";
constexpr wchar_t kAskIe8Retry[] = L"下载IE8失败，尝试重新下载IE8";
constexpr wchar_t kAskIeTooOld[] = L"检测到当前版本IE版本较低，请到官网更新";
constexpr wchar_t kWarnPluginFailed[] = L"安装HID失败，请尝试用管理员身份运行";
constexpr wchar_t kButtonUpdate[] = L"更新";
constexpr wchar_t kButtonDownload[] = L"下载";
constexpr wchar_t kButtonQuit[] = L"退出";
constexpr wchar_t kButtonOk[] = L"确认";

// The installers as the wait line and the question name them.
constexpr wchar_t kPackageIe8[] = L"IE8";
constexpr wchar_t kPackageHidDriver[] = L"HID驱动";

// Where a trace line shows a refused page, it shows no more than its field can hold.
constexpr std::size_t kTracedPageLength = 255;

// The built-in IE download page starts with a blank, which once separated it from the browser.
std::wstring WithoutLeadingBlanks(const std::wstring& page) {
  const std::size_t first = page.find_first_not_of(L' ');
  return first == std::wstring::npos ? std::wstring() : page.substr(first);
}

class Preparation {
 public:
  Preparation(PrepareUi& ui, PrepareNetwork& network) : ui_(ui), network_(network) {}
  PrepareResult Run();

 private:
  void StartServices();
  void RemoveDownloadLeftovers();
  void LoadDriverStateAndManifest();
  void ProbePlugins();
  bool IsUpdateAvailable(UpdateInfo* info);
  void OfferUpdate(const UpdateInfo& info);
  bool UpdateInPlace(const UpdateInfo& info);
  void InstallIe8();
  bool AcceptIeVersion();
  bool IsHidDriverMissing() const;
  void InstallHidDriver();
  bool RegisterHidPlugin();
  // EnsurePackage with the download's progress shown under the text; on success `installer`
  // holds the checked file until it is launched.
  bool Fetch(const PackageRecord& record, HeldFilePtr* installer, PackageFailure* failure = nullptr);
  void Show(const std::wstring& text) { ui_.SetProgressText(text); }

  PrepareUi& ui_;
  PrepareNetwork& network_;
  CRunFlags* flags_ = nullptr;
  PackageTable* table_ = nullptr;
  std::wstring osName_;
  // The user left the HID driver's installer running: HID is not recorded in this start.
  bool hidDriverLeft_ = false;
};

PrepareResult Preparation::Run() {
  Show(kTextChecking);
  StartServices();
  osName_ = CSystemProbe::GetOsVersionName();
  RemoveDownloadLeftovers();
  LoadDriverStateAndManifest();
  ProbePlugins();

  UpdateInfo info{};
  if (IsUpdateAvailable(&info) && UpdateInPlace(info)) {
    ui_.ExitProcess(0);
    return PrepareResult::kUpdating;
  }

  if (osName_ == L"XP" && CIEHelper::GetIEMajorVersion() < kLowestIeVersion) InstallIe8();
  if (!AcceptIeVersion()) {
    ui_.ExitProcess(0);
    return PrepareResult::kIeTooOld;
  }
  if (ClientInstallsHidPackage(*table_) && IsHidDriverMissing()) InstallHidDriver();
  if (!CIEHelper::IsHidPluginRegistered() && !RegisterHidPlugin()) {
    ui_.ExitProcess(0);
    return PrepareResult::kPluginRefused;
  }

  Show(kTextFinished);
  ui_.Done();
  return PrepareResult::kDone;
}

void Preparation::StartServices() {
  for (const wchar_t* service : kServices) CSystemProbe::StartServiceByName(service);
}

// Temporary files of transfers that an ended client left behind (a crash, a shutdown), in the
// folders that downloads go to: the client's own (the lists, IE8) and the packages' folders; and
// the setup of the last update in place.
void Preparation::RemoveDownloadLeftovers() {
  const std::wstring moduleDir = CSystemProbe::GetModuleDir();
  RemoveLeftoverTempFiles(OS().WideToAnsi(moduleDir));
  // The setup of an update in place, once it has ended (a running one can't be removed).
  std::remove(OS().WideToAnsi(moduleDir + kPathSep + kSetupFileName).c_str());
  for (Vendor vendor : kVendorsInRunOrder)
    RemoveLeftoverTempFiles(OS().WideToAnsi(moduleDir + kPathSep + Utf8ToWide(VendorOf(vendor).key)));
}

void Preparation::LoadDriverStateAndManifest() {
  flags_ = &CRunFlags::GetInstance();
  LoadDriverState(*flags_);

  table_ = &GetPackageTable();
  if (LoadManifest(*table_)) flags_->m_bOfferDriverSetup = false;
  // A failed download leaves the previous manifest for the second load.
  network_.DownloadManifest(*table_);
  LoadManifest(*table_);
}

void Preparation::ProbePlugins() {
  for (Vendor vendor : kVendorsInStateOrder) flags_->Installed(vendor) = CIEHelper::IsPluginRegistered(vendor);
}

bool Preparation::IsUpdateAvailable(UpdateInfo* info) {
  Show(kTextCheckingUpdate);
  int result = network_.GetLatestVersionInfo(info);
  bool available = false;
  if (result != 0) {
    SupportTrace("get latst Versioninfo Fail! ret=[%d].\r\n", result);
  } else {
    available = info->nNeedUpdate == 1;
  }
  Show(kTextUpdateChecked);
  return available;
}

// A page that could not be opened asks nothing: the user would agree to an update that never
// comes.
void Preparation::OfferUpdate(const UpdateInfo& info) {
  const std::wstring page = OS().AnsiToWide(FieldText(info.szDownloadPage));
  if (!IsOpenableInIE(page)) return;
  if (!ui_.AskTwoButtons(kTitleUpdate, kAskUpdate, kButtonUpdate, ui::kCancelText)) return;
  OpenInIE(page);
}

// With a manifest key, "更新" installs the signed setup that downloadUrl names; every check that
// fails leaves one trace line and the download page, as without a key. True when the setup
// started and the client must end.
bool Preparation::UpdateInPlace(const UpdateInfo& info) {
  std::string fetchUrl;
  const UpdateRefusal refusal = CheckUpdateOffer(table_->m_ManifestKey, info, LIRRA_DOWNLOAD_HOST, &fetchUrl);
  if (refusal != UpdateRefusal::kNone) {
    TraceUpdateRefusal(refusal);
    OfferUpdate(info);
    return false;
  }
  if (!ui_.AskTwoButtons(kTitleUpdate, kAskUpdate, kButtonUpdate, ui::kCancelText)) return false;
  if (InstallUpdate(ui_, network_, *table_, info, fetchUrl)) return true;
  OpenInIE(OS().AnsiToWide(FieldText(info.szDownloadPage)));
  return false;
}

void Preparation::InstallIe8() {
  const PackageRecord& ie8 = table_->m_IE8;
  CSystemProbe::KillProcessByName(kBrowserImage);
  Show(kTextDownloadingIe8);
  HeldFilePtr installer;
  bool present = Fetch(ie8, &installer);
  if (!present && ui_.AskTwoButtons(kTitleWarning, kAskIe8Retry, kButtonDownload, kButtonQuit)) {
    present = Fetch(ie8, &installer);
  }
  // An installer that is missing or failed its digest check is never launched.
  if (!present || !installer) return;

  Show(kTextInstallingIe8);
  OS().SleepMs(kInstallPauseMs);
  // Left or not, the version test that follows tells whether IE 8 arrived.
  WaitForInstaller(ui_, kPackageIe8, std::move(installer));
}

// False when the user chose to quit over a browser that is still too old.
bool Preparation::AcceptIeVersion() {
  if (CIEHelper::GetIEMajorVersion() >= kLowestIeVersion) return true;
  bool update = ui_.AskTwoButtons(kTitleWarning, kAskIeTooOld, kButtonUpdate, kButtonQuit);
  OpenInIE(IeDownloadPage());
  return update;
}

bool Preparation::IsHidDriverMissing() const {
  for (const wchar_t* folder : kOmnikeyFolders) {
    if (OS().IsDirectory(folder)) return false;
  }
  return true;
}

void Preparation::InstallHidDriver() {
  const PackageRecord& hid = table_->m_HID;
  Show(kTextDownloadingHid);
  PackageFailure failure = PackageFailure::kNone;
  HeldFilePtr installer;
  if (!Fetch(hid, &installer, &failure) || !installer) {
    // Never run an unverified installer.
    Show(failure == PackageFailure::kDigest ? kTextHidDigestRefused : kTextHidDownloadFailed);
    OS().SleepMs(kNoticeMs);
    return;
  }

  Show(kTextInstallingHid);
  OS().SleepMs(kInstallPauseMs);
  if (WaitForInstaller(ui_, kPackageHidDriver, std::move(installer))) return;
  // Nothing claims HID while its driver's installer may still be at work: the driver manager
  // offers it again, and the next start installs the driver again if it is still missing.
  hidDriverLeft_ = true;
  flags_->m_bHID = false;
}

bool Preparation::Fetch(const PackageRecord& record, HeldFilePtr* installer, PackageFailure* failure) {
  return network_.EnsurePackage(record, ProgressGate([this](int percent) { ui_.ShowProgress(percent); }), failure,
                                installer);
}

// Unregisters and registers CardX.ocx; false when it is still not registered on a system
// where the platform can't work without it (every one but XP). A registration the user left
// running is not judged.
bool Preparation::RegisterHidPlugin() {
  const auto show = [this](const std::wstring& text) { Show(text); };
  const CardXResult result = RegisterCardX(ui_, show, !hidDriverLeft_);
  if (result != CardXResult::kNotRegistered || osName_ == L"XP") return true;
  ui_.Warn(kTitleFailure, kWarnPluginFailed, kButtonOk);
  return false;
}

}  // namespace

PrepareResult RunPreparation(PrepareUi& ui, PrepareNetwork& network) { return Preparation(ui, network).Run(); }

std::string BrowserPageFault(const std::wstring& page) {
  const std::wstring url = WithoutLeadingBlanks(page);
  if (url.empty()) return "empty";
  for (wchar_t c : url) {
    const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
    if (control || c == L' ' || c == L'"' || c == L'\'') return "blank, quote or control character";
    // Anything beyond ASCII reaches us as UTF-8 bytes read in the ANSI code page, garbled.
    if (c > 0x7E) return "not plain ASCII";
  }
  if (!ParseWebUrl(WideToUtf8(url))) return "not an http or https address of a server";
  return {};
}

bool IsOpenableInIE(const std::wstring& page) {
  const std::string fault = BrowserPageFault(page);
  if (fault.empty()) return true;
  std::string shown = OS().WideToAnsi(page.substr(0, kTracedPageLength));
  // The page's own line breaks must not start lines of the trace.
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  }
  SupportTrace("download page refused (%s): [%s]\r\n", fault.c_str(), shown.c_str());
  return false;
}

bool OpenInIE(const std::wstring& url) {
  if (!IsOpenableInIE(url)) return false;
  // Both quoted: a stray "C:\Program.exe" can't be started in the browser's place, and the
  // page is one argument, never a switch.
  const std::wstring commandLine = std::wstring(L"\"") + kBrowserPath + L"\" \"" + WithoutLeadingBlanks(url) + L"\"";
  OS().RunCommandLine(OS().WideToAnsi(commandLine));
  return true;
}

std::wstring IeDownloadPage() {
  return L" https://" + Utf8ToWide(LIRRA_SUPPORT_HOST) + L"/zh-cn/help/17621/internet-explorer-downloads";
}

}  // namespace lirra
