// How it is put together: the checks are pure functions (CheckUpdateOffer before the question,
// CheckSetup after the download) so that each refusal is tested on its own; InstallUpdate runs
// them in order around the transfers. The setup is opened held once it has arrived, its bytes
// are verified through that hold and its version is read while it lasts, and it is started
// from the held path, so what starts is what was checked. Rejected: verifying the downloaded
// file before the hold (another program could swap it in between), and trusting the version
// document's number (it is not signed).
#include "app/self_update.h"

#include <cstdio>
#include <utility>

#include "net/download_progress.h"
#include "net/file_digests.h"
#include "net/web_url.h"
#include "pc/installer_runner.h"
#include "platform/file_io.h"
#include "platform/platform.h"
#include "platform/utf8.h"
#include "store/support_log.h"

namespace lirra {

namespace {

constexpr wchar_t kTextDownloadingSetup[] = L"正在下载新版本，请稍候...";
constexpr wchar_t kTextCheckingSetup[] = L"正在校验新版本安装包...";
constexpr wchar_t kTextStartingSetup[] = L"正在安装新版本，完成后将自动启动...";

// Four numbers and nothing else: a setup's version is compared exactly.
bool IsFourNumberVersion(const std::string& text) {
  int dots = 0;
  bool digit = false;
  for (char c : text) {
    if (c == '.') {
      if (!digit) return false;
      ++dots;
      digit = false;
    } else if (c >= '0' && c <= '9') {
      digit = true;
    } else {
      return false;
    }
  }
  return dots == 3 && digit;
}

bool SameVersion(const std::string& a, const std::string& b) {
  return CompareVersions(a.c_str(), b.c_str()) == 0 && CompareVersions(b.c_str(), a.c_str()) == 0;
}

UpdateRefusal Refuse(UpdateRefusal refusal, std::string* detail, std::string text) {
  if (detail) *detail = std::move(text);
  return refusal;
}

}  // namespace

const char* DescribeUpdateRefusal(UpdateRefusal refusal) {
  switch (refusal) {
    case UpdateRefusal::kNone:
      return "accepted";
    case UpdateRefusal::kNoKey:
      return "no manifest key";
    case UpdateRefusal::kNoDownloadUrl:
      return "no downloadUrl";
    case UpdateRefusal::kForeignDownloadUrl:
      return "downloadUrl is not an http or https address on the download host";
    case UpdateRefusal::kSignatureDownload:
      return "signature download failed";
    case UpdateRefusal::kSetupDownload:
      return "setup download failed";
    case UpdateRefusal::kSetupUnreadable:
      return "setup unreadable";
    case UpdateRefusal::kBadSignature:
      return "bad signature";
    case UpdateRefusal::kNoSetupVersion:
      return "setup has no version";
    case UpdateRefusal::kNotNewer:
      return "setup not newer";
    case UpdateRefusal::kVersionMismatch:
      return "setup version is not the announced one";
    case UpdateRefusal::kNotStarted:
      return "setup did not start";
  }
  return "unknown";
}

void TraceUpdateRefusal(UpdateRefusal refusal, const std::string& detail) {
  std::string shown = detail;
  // A server's text must not start lines of the trace.
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  }
  SupportTrace("update in place refused (%s)%s%s\n", DescribeUpdateRefusal(refusal), shown.empty() ? "" : ": ",
               shown.c_str());
}

HttpLimits SetupHttpLimits() {
  HttpLimits limits;
  limits.maxBody = kSetupCap;
  return limits;
}

std::optional<std::string> SetupFetchUrl(const std::string& downloadUrl, const std::string& downloadHost) {
  if (!BrowserPageFault(Utf8ToWide(downloadUrl)).empty() || downloadUrl.find_first_not_of(' ') != 0) return {};
  const std::optional<WebUrl> url = ParseWebUrl(downloadUrl);
  const std::optional<WebUrl> host = ParseWebUrl("http://" + downloadHost + "/");
  if (!url || !host || url->host != host->host) return {};
  UrlAuthority authority;
  if (!SplitAuthority(downloadUrl, &authority)) return {};
  if (!url->secure) return url->port == host->port ? std::optional<std::string>(downloadUrl) : std::nullopt;
  if (authority.portGiven && authority.port != host->port) return {};
  return "http://" + downloadHost + downloadUrl.substr(authority.end);
}

UpdateRefusal CheckUpdateOffer(const ManifestKey& key, const UpdateInfo& info, const std::string& downloadHost,
                               std::string* fetchUrl) {
  if (!key.m_bOn) return UpdateRefusal::kNoKey;
  const std::string url = FieldText(info.szDownloadUrl);
  if (url.empty()) return UpdateRefusal::kNoDownloadUrl;
  std::optional<std::string> fetch = SetupFetchUrl(url, downloadHost);
  if (!fetch) return UpdateRefusal::kForeignDownloadUrl;
  if (fetchUrl) *fetchUrl = std::move(*fetch);
  return UpdateRefusal::kNone;
}

UpdateRefusal CheckSetupSignature(const ManifestKey& key, const SetupFacts& setup, std::string* detail) {
  const ManifestCheck signature = CheckDetachedSignature(key, setup.bytes, setup.signature);
  if (signature != ManifestCheck::kAccepted)
    return Refuse(UpdateRefusal::kBadSignature, detail, DescribeManifestCheck(signature));
  return UpdateRefusal::kNone;
}

UpdateRefusal CheckSetupVersion(const std::string& setupVersion, const std::string& ourVersion,
                                const std::string& announcedVersion, std::string* detail) {
  if (!IsFourNumberVersion(setupVersion))
    return Refuse(UpdateRefusal::kNoSetupVersion, detail, "[" + setupVersion + "]");
  if (CompareVersions(ourVersion.c_str(), setupVersion.c_str()) != 1)
    return Refuse(UpdateRefusal::kNotNewer, detail, setupVersion + " against ours " + ourVersion);
  if (!SameVersion(setupVersion, announcedVersion))
    return Refuse(UpdateRefusal::kVersionMismatch, detail, setupVersion + " against " + announcedVersion);
  return UpdateRefusal::kNone;
}

UpdateRefusal CheckSetup(const ManifestKey& key, const SetupFacts& setup, const std::string& ourVersion,
                         const std::string& announcedVersion, std::string* detail) {
  const UpdateRefusal signature = CheckSetupSignature(key, setup, detail);
  if (signature != UpdateRefusal::kNone) return signature;
  return CheckSetupVersion(setup.version, ourVersion, announcedVersion, detail);
}

std::wstring SetupParameters(std::uint32_t processId, const std::wstring& folder) {
  return L"/S /RUN /WAITPID=" + std::to_wstring(processId) + L" /D=" + folder;
}

namespace {

// The transfers and checks of one update, in order; each failure is traced once.
class UpdateRun {
 public:
  UpdateRun(PrepareUi& ui, PrepareNetwork& network, const PackageTable& table, const UpdateInfo& info)
      : ui_(ui),
        network_(network),
        table_(table),
        info_(info),
        setupPath_(table.m_strModuleDir + kPathSep + kSetupFileName) {}

  bool Run(const std::string& fetchUrl);

 private:
  bool Download(const std::string& fetchUrl, SetupFacts* facts);
  // The setup held and checked; nothing (and the file removed) when it is refused.
  HeldFilePtr HoldChecked(SetupFacts facts);
  bool Fail(UpdateRefusal refusal, const std::string& detail) {
    TraceUpdateRefusal(refusal, detail);
    return false;
  }

  PrepareUi& ui_;
  PrepareNetwork& network_;
  const PackageTable& table_;
  const UpdateInfo& info_;
  const std::wstring setupPath_;
};

bool UpdateRun::Run(const std::string& fetchUrl) {
  SetupFacts facts;
  if (!Download(fetchUrl, &facts)) return false;
  ui_.SetProgressText(kTextCheckingSetup);
  HeldFilePtr setup = HoldChecked(std::move(facts));
  if (!setup) return false;
  ui_.SetProgressText(kTextStartingSetup);
  const int code = LaunchHeldAndWait(std::move(setup), L"", SetupParameters(CurrentProcessId(), table_.m_strModuleDir),
                                     table_.m_strModuleDir);
  if (code > 32) return true;
  std::remove(OS().WideToAnsi(setupPath_).c_str());
  return Fail(UpdateRefusal::kNotStarted, "shell result " + std::to_string(code));
}

bool UpdateRun::Download(const std::string& fetchUrl, SetupFacts* facts) {
  ui_.SetProgressText(kTextDownloadingSetup);
  std::string reason;
  facts->signature = network_.DownloadSignature(fetchUrl + ".sig", &reason);
  if (!facts->signature) return Fail(UpdateRefusal::kSignatureDownload, reason);
  ProgressGate progress([this](int percent) { ui_.ShowProgress(percent); });
  if (!network_.DownloadSetup(fetchUrl, setupPath_, progress, &reason))
    return Fail(UpdateRefusal::kSetupDownload, reason);
  return true;
}

HeldFilePtr UpdateRun::HoldChecked(SetupFacts facts) {
  HeldFilePtr setup = OS().OpenHeld(setupPath_);
  std::optional<std::string> bytes;
  if (setup) bytes = ReadHeldFile(*setup, static_cast<std::size_t>(kSetupCap));
  UpdateRefusal refusal = UpdateRefusal::kSetupUnreadable;
  std::string detail;
  if (bytes) {
    facts.bytes = std::move(*bytes);
    refusal = CheckSetupSignature(table_.m_ManifestKey, facts, &detail);
  }
  // Read only once the bytes are known to be ours: the version resource is parsed by Windows.
  if (refusal == UpdateRefusal::kNone) {
    refusal = CheckSetupVersion(OS().WideToAnsi(OS().FileProductVersion(setupPath_)), FieldText(info_.szLocalVersion),
                                FieldText(info_.szValue), &detail);
  }
  if (refusal == UpdateRefusal::kNone) return setup;
  setup.reset();
  std::remove(OS().WideToAnsi(setupPath_).c_str());
  Fail(refusal, detail);
  return nullptr;
}

}  // namespace

bool InstallUpdate(PrepareUi& ui, PrepareNetwork& network, const PackageTable& table, const UpdateInfo& info,
                   const std::string& fetchUrl) {
  return UpdateRun(ui, network, table, info).Run(fetchUrl);
}

}  // namespace lirra
