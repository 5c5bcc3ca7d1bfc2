// The start-up preparation, run as a whole against a scripted PC: registry, processes, shell,
// folders and servers. Each situation lists the transcript of everything the worker did that a
// user or the machine would notice, in order, and what it left behind.
#include "app/prepare_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/self_update.h"
#include "net/crypto.h"
#include "net/package_table.h"
#include "pc/run_flags.h"
#include "platform/file_io.h"
#include "platform/utf8.h"
#include "prepare_fakes.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace lirra {
namespace {

using test::FakePlatform;
using test::kHidPluginKey;
using test::kIdle;
using test::kIEValues;
using test::kNjysPluginKey;
using test::kOmnikey;
using test::kOmnikeyX86;
using test::kRegsvr32;
using test::Lines;
using test::Listing;
using test::Local;
using test::ReadFile;
using test::RecordingUi;
using test::ScriptedPc;
using test::TempDir;
using test::Transcript;
using test::WaitMove;
using test::WriteFile;

constexpr OsVersion kXP{5, 1};
constexpr OsVersion kWin7{6, 1};
constexpr OsVersion kWin10{10, 0};
constexpr OsVersion kServer2003{5, 2};

const char kSavedHidOnly[] =
    "\n[HID]\nvalue = 1\n\n[NJYS]\nvalue = 0\n\n[SDSS]\nvalue = 0\n\n[WHJL]\nvalue = 0\n\n[YSB]\nvalue = 0\n";
const char kSavedHidAndNjys[] =
    "\n[HID]\nvalue = 1\n\n[NJYS]\nvalue = 1\n\n[SDSS]\nvalue = 0\n\n[WHJL]\nvalue = 0\n\n[YSB]\nvalue = 0\n";

// The servers: the manifest download, the installers' digest checks and the version document.
class ScriptedNetwork : public PrepareNetwork {
 public:
  explicit ScriptedNetwork(Transcript& log) : log_(log) {}
  const char* manifest = nullptr;                          // what the download host serves; nullptr: the download fails
  std::deque<bool> ie8Results;                             // one per EnsurePackage of IE8
  PackageFailure hidFailure = PackageFailure::kNone;       // kNone: the HID package is verified
  std::vector<std::pair<long long, long long>> hidBlocks;  // (received, total) as it arrives
  int versionResult = -1;
  int needUpdate = 0;
  const char* downloadPage = "";
  const char* downloadUrl = "";
  const char* announced = "1.0.0.3";
  std::optional<std::string> setup;      // the setup's bytes; nothing: its download fails
  std::optional<std::string> signature;  // downloadUrl + ".sig"; nothing: its download fails

  bool DownloadManifest(const PackageTable& table) override {
    const PackageTable& own = GetPackageTable();
    bool isOwn = table.m_strManifestUrl == own.m_strManifestUrl && table.m_strManifestPath == own.m_strManifestPath;
    log_.Add("download", isOwn ? L"manifest" : table.m_strManifestUrl + L" -> " + table.m_strManifestPath);
    if (!manifest) return false;
    WriteFile(WideToUtf8(table.m_strManifestPath), manifest);
    return true;
  }
  bool EnsurePackage(const PackageRecord& record, const HttpProgress& progress, PackageFailure* failure,
                     HeldFilePtr* installer) override {
    const PackageTable& table = GetPackageTable();
    bool ok = false;
    if (&record == &table.m_IE8) {
      log_.Add("ensure", L"IE8");
      if (ie8Results.empty()) {
        ADD_FAILURE() << "IE8 fetched more often than scripted";
        return false;
      }
      ok = ie8Results.front();
      ie8Results.pop_front();
    } else {
      log_.Add("ensure", (&record == &table.m_HID ? L"HID " : L"other ") + record.m_strFileName);
      for (const auto& [received, total] : hidBlocks) progress(received, total);
      if (failure) *failure = hidFailure;
      ok = hidFailure == PackageFailure::kNone;
    }
    if (ok) *installer = OS().OpenHeld(record.m_strLocalPath);
    return ok;
  }
  int GetLatestVersionInfo(UpdateInfo* info) override {
    log_.Add("version", L"check");
    info->nNeedUpdate = needUpdate;
    std::snprintf(info->szDownloadPage, sizeof info->szDownloadPage, "%s", downloadPage);
    std::snprintf(info->szDownloadUrl, sizeof info->szDownloadUrl, "%s", downloadUrl);
    std::snprintf(info->szValue, sizeof info->szValue, "%s", announced);
    std::snprintf(info->szLocalVersion, sizeof info->szLocalVersion, "%s", "1.0.0.2");
    return versionResult;
  }
  bool DownloadSetup(const std::string& url, const std::wstring& path, const HttpProgress& progress,
                     std::string* reason) override {
    log_.Add("download", Utf8ToWide(url));
    if (!setup) {
      *reason = "result 3";
      return false;
    }
    progress(static_cast<long long>(setup->size()), static_cast<long long>(setup->size()));
    WriteFile(WideToUtf8(path), *setup);
    return true;
  }
  std::optional<std::string> DownloadSignature(const std::string& url, std::string* reason) override {
    log_.Add("download", Utf8ToWide(url));
    if (!signature) *reason = "result 10";
    return signature;
  }

 private:
  Transcript& log_;
};

struct Situation {
  const char* name;
  OsVersion os = kWin7;
  const wchar_t* ieVersion = L"9.11.9600.18952";  // "svcVersion" is never set here
  const wchar_t* ieVersionAfterIe8 = nullptr;
  const char* localManifest = nullptr;
  const char* downloadedManifest = nullptr;
  std::set<std::wstring> folders;
  std::vector<ProcessEntry> processes;
  bool pluginRegistered = true;
  bool pluginRegistersOnRegsvr = false;
  bool njysRegistered = false;
  int versionResult = 0;
  int needUpdate = 0;
  const char* downloadPage = "";
  // Update in place: a build with the test key, the setup the document names and what it holds.
  bool keyed = false;
  const char* downloadUrl = "";
  std::optional<std::string> setup;
  std::optional<std::string> signature;
  const wchar_t* setupVersion = L"";  // its version resource
  int setupShellResult = 42;
  const char* updateRefusal = nullptr;  // the reason of the one "update in place refused" line
  std::deque<bool> ie8Results;
  PackageFailure hidFailure = PackageFailure::kNone;
  std::vector<std::pair<long long, long long>> hidBlocks;
  std::deque<bool> answers;
  std::map<std::wstring, unsigned> runTimes;  // by installer file name; others run kInstallerRunMs
  bool registrationHangs = false;             // the registering regsvr32 never ends
  std::map<std::wstring, WaitMove> moves;     // what the user does about a wait, by package

  Lines transcript;
  const char* trace = nullptr;             // a trace line that must be written (beside the update check's)
  std::vector<std::wstring> stillRunning;  // installers left running
  bool offerDriverSetup = true;
  bool hidFlag = true;
  bool njysFlag = false;
  int exitCode = -1;  // -1: the process was not ended
  PrepareResult result = PrepareResult::kDone;
  const char* configAfter = "<missing>";
};

void PrintTo(const Situation& s, std::ostream* os) { *os << s.name; }

Situation Named(const char* name) {
  Situation s;
  s.name = name;
  return s;
}

// Transcript pieces that most situations share.
Lines Begin() {
  return {"text 正在检查系统环境，请稍候...",
          "service upnphost",
          "service AxInstSV",
          "service SCardSvr",
          "download manifest",
          "text 正在检查版本更新情况...",
          "version check",
          "text 正在检查版本已经OK..."};
}
const std::string kOpenRegsvr = "open " + WideToUtf8(kRegsvr32);
const std::string kWaitRegsvr = "wait HID插件 regsvr32.exe";
Lines RegisterPlugin() {
  return {"text 正在清除HID插件，如出错请用管理员权限运行...", kWaitRegsvr,
          kOpenRegsvr + " /u \"" + Local("CardX.ocx") + "\"",  "waited",
          "text 正在注册HID插件，如出错请用管理员权限运行",    kWaitRegsvr,
          kOpenRegsvr + " \"" + Local("CardX.ocx") + "\"",     "waited"};
}
Lines Finish() { return {"text 初始化完成，正在启动系统，请稍候...", "done"}; }
Lines Ie8Install() {
  return {"text 正在安装IE8...", "sleep 100", "wait IE8 IE8XP.exe", "open held " + Local("IE8XP.exe"), "waited"};
}
const std::string kInstallingHid = "text 正在安装HID驱动【温馨提示：如果杀毒软件或360拦截安装，请允许】";
// The HID driver package of kManifestW732, up to its launch.
Lines HidDriverLaunched() {
  return {"text 正在下载HID必备驱动...",
          "ensure HID hid732.exe",
          kInstallingHid,
          "sleep 100",
          "wait HID驱动 hid732.exe",
          "open held " + Local("HID/hid732.exe")};
}
const std::string kAskIeTooOld = "ask 警告提醒|检测到当前版本IE版本较低，请到官网更新|更新|退出";
const std::string kAskIe8Retry = "ask 警告提醒|下载IE8失败，尝试重新下载IE8|下载|退出";
const std::string kAskUpdate = "ask 更新提醒|检测到当前版本需要更新，是否要更新？|更新|取消";
const std::string kOpenIeDownloadPage =
    std::string("run \"C:\\Program Files\\Internet Explorer\\iexplore.exe\" \"https://") + LIRRA_SUPPORT_HOST +
    "/zh-cn/help/17621/internet-explorer-downloads\"";

Lines Join(std::initializer_list<Lines> parts) {
  Lines out;
  for (const Lines& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

const char kManifestW732[] = "[HID]\r\nW732=hid732.exe\r\nW732MD5=0123456789abcdef0123456789abcdef\r\n";
// Renames the IE8 package on the server; it is still stored and run as IE8XP.exe.
const char kManifestXP[] = "[HID]\r\nXP32=\"hidxp.exe\"\r\n[IE]\r\npath=ie8-sp1.exe\r\n";
const char kManifestW1032[] = "[HID]\r\nW1032=hid1032.exe\r\n";
const char kManifestNoHid[] = "[NJYS]\r\npath=newsetup.exe\r\n";

// ---- Update in place ----

const std::string kSetupUrl = std::string("http://") + LIRRA_DOWNLOAD_HOST + "/lirra/lirra-setup-1.0.0.3.exe";
const std::string kSetupBytes = "MZ the setup of 1.0.0.3";
const std::string kOpenDownloadPage =
    "run \"C:\\Program Files\\Internet Explorer\\iexplore.exe\" \"http://127.0.0.1/download.html\"";

std::string SignedBy(const std::string& seedBase64, const std::string& bytes) {
  std::string seed;
  EXPECT_TRUE(DecodeBase64(seedBase64, &seed));
  return EncodeBase64(SignEd25519(seed, bytes).value_or("")) + "\n";
}
std::string Signed(const std::string& bytes) { return SignedBy(LIRRA_TEST_MANIFEST_SECRET_SEED, bytes); }

// A keyed client told of 1.0.0.3, whose user answers "更新", served a good signed setup.
Situation KeyedUpdate(const char* name) {
  Situation s = Named(name);
  s.keyed = true;
  s.needUpdate = 1;
  s.downloadPage = "http://127.0.0.1/download.html";
  s.downloadUrl = kSetupUrl.c_str();
  s.setup = kSetupBytes;
  s.signature = Signed(kSetupBytes);
  s.setupVersion = L"1.0.0.3";
  s.answers = {true};
  return s;
}

// From the question to the checks of a setup that arrived.
Lines SetupFetched() {
  return {kAskUpdate,     "text 正在下载新版本，请稍候...", "download " + kSetupUrl + ".sig", "download " + kSetupUrl,
          "progress 100", "text 正在校验新版本安装包..."};
}
Lines SetupStarted() {
  return {"text 正在安装新版本，完成后将自动启动...", "open held " + Local("lirra-update.exe") + " /S /RUN /WAITPID=" +
                                                          std::to_string(CurrentProcessId()) + " /D=<dir>"};
}

std::vector<Situation> UpdateSituations() {
  std::vector<Situation> all;
  Situation s;

  s = KeyedUpdate("SignedNewerSetupStartsInTheClientsFolderAndTheClientEnds");
  s.transcript = Join({Begin(), SetupFetched(), SetupStarted(), {"exit 0"}});
  s.stillRunning = {L"lirra-update.exe"};
  s.exitCode = 0;
  s.result = PrepareResult::kUpdating;
  all.push_back(s);

  s = KeyedUpdate("UpdateAnsweredCancelFetchesNothing");
  s.answers = {false};
  s.transcript = Join({Begin(), {kAskUpdate}, Finish()});
  all.push_back(s);

  // Refused before the question: the question and the download page as without a key.
  const std::pair<const char*, const char*> offers[][2] = {
      {{"NoKeyNeverFetchesTheSetup", kSetupUrl.c_str()}, {nullptr, "no manifest key"}},
      {{"NoDownloadUrlOpensTheDownloadPage", ""}, {"keyed", "no downloadUrl"}},
      {{"DownloadUrlOnAnotherHostOpensTheDownloadPage", "http://downloads.example.net/lirra-setup.exe"},
       {"keyed", "downloadUrl is not an http or https address on the download host"}},
      {{"DownloadUrlOfAShareOpensTheDownloadPage", "\\\\127.0.0.1\\share\\lirra-setup.exe"},
       {"keyed", "downloadUrl is not an http or https address on the download host"}},
  };
  for (const auto& offer : offers) {
    s = KeyedUpdate(offer[0].first);
    s.keyed = offer[1].first != nullptr;
    s.downloadUrl = offer[0].second;
    s.updateRefusal = offer[1].second;
    s.transcript = Join({Begin(), {kAskUpdate, kOpenDownloadPage}, Finish()});
    all.push_back(s);
  }

  s = KeyedUpdate("MissingSignatureOpensTheDownloadPage");
  s.signature.reset();
  s.updateRefusal = "signature download failed";
  s.transcript =
      Join({Begin(),
            {kAskUpdate, "text 正在下载新版本，请稍候...", "download " + kSetupUrl + ".sig", kOpenDownloadPage},
            Finish()});
  all.push_back(s);

  s = KeyedUpdate("FailedSetupDownloadOpensTheDownloadPage");
  s.setup.reset();
  s.updateRefusal = "setup download failed";
  s.transcript = Join({Begin(),
                       {kAskUpdate, "text 正在下载新版本，请稍候...", "download " + kSetupUrl + ".sig",
                        "download " + kSetupUrl, kOpenDownloadPage},
                       Finish()});
  all.push_back(s);

  // The setup arrived but is never run.
  struct Refused {
    const char* name;
    std::string setup;
    std::string signature;
    const wchar_t* version;
    const char* reason;
  };
  const Refused refused[] = {
      {"TamperedSetupIsNeverRun", kSetupBytes + " and more", Signed(kSetupBytes), L"1.0.0.3", "bad signature"},
      {"SetupSignedByAnotherKeyIsNeverRun", kSetupBytes, SignedBy(EncodeBase64(std::string(32, 'k')), kSetupBytes),
       L"1.0.0.3", "bad signature"},
      {"MalformedSignatureIsNeverRun", kSetupBytes, "not a signature\n", L"1.0.0.3", "bad signature"},
      {"OlderSignedSetupIsNeverRun", kSetupBytes, Signed(kSetupBytes), L"1.0.0.1", "setup not newer"},
      {"SignedSetupOfTheRunningVersionIsNeverRun", kSetupBytes, Signed(kSetupBytes), L"1.0.0.2", "setup not newer"},
      {"SignedSetupOfAnotherVersionThanAnnouncedIsNeverRun", kSetupBytes, Signed(kSetupBytes), L"1.0.0.4",
       "setup version is not the announced one"},
      {"SignedSetupWithoutVersionIsNeverRun", kSetupBytes, Signed(kSetupBytes), L"", "setup has no version"},
  };
  for (const Refused& r : refused) {
    s = KeyedUpdate(r.name);
    s.setup = r.setup;
    s.signature = r.signature;
    s.setupVersion = r.version;
    s.updateRefusal = r.reason;
    s.transcript = Join({Begin(), SetupFetched(), {kOpenDownloadPage}, Finish()});
    all.push_back(s);
  }

  s = KeyedUpdate("SetupThatDoesNotStartOpensTheDownloadPage");
  s.setupShellResult = 2;
  s.updateRefusal = "setup did not start";
  s.transcript = Join({Begin(), SetupFetched(), SetupStarted(), {kOpenDownloadPage}, Finish()});
  all.push_back(s);

  return all;
}

std::vector<Situation> Situations() {
  std::vector<Situation> all;
  Situation s;

  s = Named("Win7FirstStartInstallsHidDriverAndRegistersPlugin");
  s.downloadedManifest = kManifestW732;
  s.pluginRegistered = false;
  s.pluginRegistersOnRegsvr = true;
  s.processes = {kIdle, {7, L"explorer.exe"}, {8, L"HID732.EXE"}};
  // The download's progress reaches the window once per new whole percent.
  s.hidBlocks = {{10240, 40000}, {10300, 40000}, {20480, 40000}, {30720, 40000}, {40000, 40000}};
  s.transcript = Join({Begin(),
                       {"text 正在下载HID必备驱动...", "ensure HID hid732.exe", "progress 25", "progress 51",
                        "progress 76", "progress 100", kInstallingHid, "sleep 100", "wait HID驱动 hid732.exe",
                        "kill 8 HID732.EXE", "open held " + Local("HID/hid732.exe"), "waited"},
                       RegisterPlugin(),
                       Finish()});
  s.configAfter = kSavedHidOnly;
  all.push_back(s);

  s = Named("LocalManifestClearsDriverSetupEvenWhenDownloadFails");
  s.localManifest = kManifestW732;
  s.folders = {kOmnikey};
  s.transcript = Join({Begin(), Finish()});
  s.offerDriverSetup = false;
  all.push_back(s);

  s = Named("OmnikeyX86FolderMeansHidDriverInstalled");
  s.downloadedManifest = kManifestW732;
  s.folders = {kOmnikeyX86};
  s.transcript = Join({Begin(), Finish()});
  all.push_back(s);

  s = Named("OmnikeyFolderMeansHidDriverInstalled");
  s.localManifest = kManifestW732;
  s.downloadedManifest = kManifestW732;
  s.folders = {kOmnikey};
  s.transcript = Join({Begin(), Finish()});
  s.offerDriverSetup = false;
  all.push_back(s);

  s = Named("ManifestWithoutHidForThisPcInstallsNoDriver");
  s.downloadedManifest = kManifestNoHid;
  s.transcript = Join({Begin(), Finish()});
  all.push_back(s);

  s = Named("Win10NeverInstallsHidDriverButStillRegistersPlugin");
  s.os = kWin10;
  s.downloadedManifest = kManifestW1032;
  s.pluginRegistered = false;
  s.pluginRegistersOnRegsvr = true;
  s.njysRegistered = true;
  s.transcript = Join({Begin(), RegisterPlugin(), Finish()});
  s.njysFlag = true;
  s.configAfter = kSavedHidAndNjys;
  all.push_back(s);

  s = Named("HidDriverFailingItsDigestIsSaidAndNotLaunched");
  s.downloadedManifest = kManifestW732;
  s.hidFailure = PackageFailure::kDigest;
  s.transcript = Join({Begin(),
                       {"text 正在下载HID必备驱动...", "ensure HID hid732.exe",
                        "text HID驱动安装包校验失败，未安装HID驱动，读卡器可能无法使用", "sleep 3000"},
                       Finish()});
  all.push_back(s);

  s = Named("HidDriverThatCantBeDownloadedIsSaidAndNotLaunched");
  s.downloadedManifest = kManifestW732;
  s.hidFailure = PackageFailure::kTransfer;
  s.hidBlocks = {{0, 40000}, {4000, 40000}};  // then the connection broke
  s.transcript = Join({Begin(),
                       {"text 正在下载HID必备驱动...", "ensure HID hid732.exe", "progress 0", "progress 10",
                        "text HID驱动下载失败，未安装HID驱动，读卡器可能无法使用", "sleep 3000"},
                       Finish()});
  all.push_back(s);

  s = Named("XpWithIe7InstallsIe8");
  s.os = kXP;
  s.ieVersion = L"7.0.5730.13";
  s.ieVersionAfterIe8 = L"8.0.6001.18702";
  s.downloadedManifest = kManifestXP;
  s.folders = {kOmnikey};
  s.processes = {kIdle, {20, L"iexplore.exe"}, {21, L"IEXPLORE.EXE"}, {22, L"ie8xp.exe"}, {23, L"ie8-sp1.exe"}};
  s.ie8Results = {true};
  s.transcript = Join({Begin(),
                       {"kill 20 iexplore.exe", "text 正在下载IE8...", "ensure IE8", "text 正在安装IE8...", "sleep 100",
                        "wait IE8 IE8XP.exe", "kill 22 ie8xp.exe", "open held " + Local("IE8XP.exe"), "waited"},
                       Finish()});
  all.push_back(s);

  s = Named("XpIe8DownloadRetriedOnDownload");
  s.os = kXP;
  s.ieVersion = L"6.0.2900.5512";
  s.ieVersionAfterIe8 = L"8.0.6001.18702";
  s.ie8Results = {false, true};
  s.answers = {true};
  s.pluginRegistered = true;
  s.transcript =
      Join({Begin(), {"text 正在下载IE8...", "ensure IE8", kAskIe8Retry, "ensure IE8"}, Ie8Install(), Finish()});
  all.push_back(s);

  s = Named("XpIe8RetryFailsThenOldIeQuestionAnsweredUpdate");
  s.os = kXP;
  s.ieVersion = L"6.0.2900.5512";
  s.ie8Results = {false, false};
  s.answers = {true, true};
  s.transcript =
      Join({Begin(),
            {"text 正在下载IE8...", "ensure IE8", kAskIe8Retry, "ensure IE8", kAskIeTooOld, kOpenIeDownloadPage},
            Finish()});
  all.push_back(s);

  s = Named("XpIe8RefusedThenOldIeQuestionAnsweredQuit");
  s.os = kXP;
  s.ieVersion = L"6.0.2900.5512";
  s.ie8Results = {false};
  s.answers = {false, false};
  s.transcript =
      Join({Begin(), {"text 正在下载IE8...", "ensure IE8", kAskIe8Retry, kAskIeTooOld, kOpenIeDownloadPage, "exit 0"}});
  s.exitCode = 0;
  s.result = PrepareResult::kIeTooOld;
  all.push_back(s);

  s = Named("XpIe8InstallLeavesOldVersionSoQuestionFollows");
  s.os = kXP;
  s.ieVersion = L"7.0.5730.13";
  s.ie8Results = {true};
  s.answers = {false};
  s.transcript = Join(
      {Begin(), {"text 正在下载IE8...", "ensure IE8"}, Ie8Install(), {kAskIeTooOld, kOpenIeDownloadPage, "exit 0"}});
  s.exitCode = 0;
  s.result = PrepareResult::kIeTooOld;
  all.push_back(s);

  s = Named("Win7WithOldIeInstallsNothingAndQuitEnds");
  s.ieVersion = L"7.0.6000.16982";
  s.answers = {false};
  s.pluginRegistered = false;
  s.transcript = Join({Begin(), {kAskIeTooOld, kOpenIeDownloadPage, "exit 0"}});
  s.hidFlag = false;
  s.exitCode = 0;
  s.result = PrepareResult::kIeTooOld;
  all.push_back(s);

  s = Named("NoIeVersionCountsAsZeroAndUpdateGoesOn");
  s.ieVersion = nullptr;
  s.answers = {true};
  s.transcript = Join({Begin(), {kAskIeTooOld, kOpenIeDownloadPage}, Finish()});
  all.push_back(s);

  s = Named("UpdateAnsweredUpdateOpensTheDownloadPage");
  s.needUpdate = 1;
  s.updateRefusal = "no manifest key";
  s.downloadPage = "http://127.0.0.1/download.html";
  s.answers = {true};
  s.transcript = Join({Begin(),
                       {kAskUpdate,
                        "run \"C:\\Program Files\\Internet Explorer\\iexplore.exe\" "
                        "\"http://127.0.0.1/download.html\""},
                       Finish()});
  all.push_back(s);

  // A page that Internet Explorer must not be started on: no question, nothing run, a trace.
  const std::pair<const char*, const char*> badPages[] = {
      {"UpdateToAShareIsNotOffered", "\\\\shop-nas\\share\\setup.exe"},
      {"UpdateToAnHtaFileIsNotOffered", "file://C:\\Users\\Public\\x.hta"},
      {"UpdateToAResourceIsNotOffered", "res://ieframe.dll/acr_error.htm"},
      {"UpdateWithExtraSwitchesIsNotOffered", "http://127.0.0.1/download.html -extoff -k"},
      {"UpdateWithAQuoteIsNotOffered", "http://127.0.0.1/download.html\" -nohome \""},
      {"UpdateToAProgramIsNotOffered", "C:\\Windows\\System32\\calc.exe"},
  };
  for (const auto& [name, page] : badPages) {
    s = Named(name);
    s.needUpdate = 1;
    s.updateRefusal = "no manifest key";
    s.downloadPage = page;
    s.transcript = Join({Begin(), Finish()});
    s.trace = "download page refused";
    all.push_back(s);
  }

  s = Named("UpdateAnsweredCancelOpensNothing");
  s.needUpdate = 1;
  s.updateRefusal = "no manifest key";
  s.downloadPage = "http://127.0.0.1/download.html";
  s.answers = {false};
  s.transcript = Join({Begin(), {kAskUpdate}, Finish()});
  all.push_back(s);

  s = Named("FailedUpdateCheckAsksNothingWhateverTheRecordSays");
  s.versionResult = -1;
  s.needUpdate = 1;
  s.transcript = Join({Begin(), Finish()});
  all.push_back(s);

  s = Named("PluginThatWontRegisterOnWin7WarnsAndEnds");
  s.pluginRegistered = false;
  s.transcript = Join({Begin(), RegisterPlugin(), {"warn 警告|安装HID失败，请尝试用管理员身份运行|确认", "exit 0"}});
  s.hidFlag = false;
  s.exitCode = 0;
  s.result = PrepareResult::kPluginRefused;
  all.push_back(s);

  s = Named("PluginThatWontRegisterOnXpGoesOn");
  s.os = kXP;
  s.ieVersion = L"8.0.6001.18702";
  s.pluginRegistered = false;
  s.transcript = Join({Begin(), RegisterPlugin(), Finish()});
  s.hidFlag = false;
  all.push_back(s);

  s = Named("UnsupportedWindowsNeitherInstallsNorForgivesThePlugin");
  s.os = kServer2003;
  s.ieVersion = L"6.0.3790.3959";
  s.downloadedManifest = kManifestXP;
  s.pluginRegistered = false;
  s.answers = {true};
  s.transcript = Join({Begin(),
                       {kAskIeTooOld, kOpenIeDownloadPage},
                       RegisterPlugin(),
                       {"warn 警告|安装HID失败，请尝试用管理员身份运行|确认", "exit 0"}});
  s.hidFlag = false;
  s.exitCode = 0;
  s.result = PrepareResult::kPluginRefused;
  all.push_back(s);

  // A HID driver package that never ends: once the wait has lasted a minute the user leaves it;
  // the plug-in is still registered, but nothing records HID, and the installer keeps running.
  s = Named("HungHidDriverLeftAfterAMinuteRecordsNoHid");
  s.downloadedManifest = kManifestW732;
  s.pluginRegistered = false;
  s.pluginRegistersOnRegsvr = true;
  s.runTimes = {{L"hid732.exe", FakePlatform::kRunsForever}};
  s.moves = {{L"HID驱动", WaitMove::kLeave}};
  s.transcript = Join({Begin(), HidDriverLaunched(), {"leave HID驱动 60", "left waiting"}, RegisterPlugin(), Finish()});
  s.stillRunning = {L"hid732.exe"};
  s.hidFlag = false;
  all.push_back(s);

  // The probe found the plug-in before: HID still does not count while its driver may be at work.
  s = Named("HungHidDriverLeftUnsetsHidFoundByTheProbe");
  s.downloadedManifest = kManifestW732;
  s.runTimes = {{L"hid732.exe", FakePlatform::kRunsForever}};
  s.moves = {{L"HID驱动", WaitMove::kLeave}};
  s.transcript = Join({Begin(), HidDriverLaunched(), {"leave HID驱动 60", "left waiting"}, Finish()});
  s.stillRunning = {L"hid732.exe"};
  s.hidFlag = false;
  all.push_back(s);

  // The user is asked once leaving is offered; the installer ends before the answer comes, so
  // the answer leaves nothing and the start goes on as if nobody had asked.
  s = Named("HidDriverEndingBeforeTheAnswerIsRecorded");
  s.downloadedManifest = kManifestW732;
  s.pluginRegistered = false;
  s.pluginRegistersOnRegsvr = true;
  s.runTimes = {{L"hid732.exe", 65000}};
  s.moves = {{L"HID驱动", WaitMove::kAnswerLater}};
  s.transcript = Join(
      {Begin(), HidDriverLaunched(), {"asked HID驱动 60", "waited", "answer refused"}, RegisterPlugin(), Finish()});
  s.configAfter = kSavedHidOnly;
  all.push_back(s);

  // A registration the user left running is not judged: no warning, no end, nothing recorded.
  s = Named("HungRegistrationLeftGoesOnWithoutAWarning");
  s.pluginRegistered = false;
  s.pluginRegistersOnRegsvr = true;
  s.registrationHangs = true;
  s.moves = {{L"HID插件", WaitMove::kLeave}};
  Lines leftRegistration = RegisterPlugin();
  leftRegistration.back() = "leave HID插件 60";
  s.transcript = Join({Begin(), leftRegistration, {"left waiting"}, Finish()});
  s.stillRunning = {L"regsvr32.exe"};
  s.hidFlag = false;
  all.push_back(s);

  // XP with IE 7 whose IE 8 setup hangs: left after a minute, the version test decides.
  s = Named("HungIe8SetupLeftThenTheOldIeQuestion");
  s.os = kXP;
  s.ieVersion = L"7.0.5730.13";
  s.ie8Results = {true};
  s.runTimes = {{L"IE8XP.exe", FakePlatform::kRunsForever}};
  s.moves = {{L"IE8", WaitMove::kLeave}};
  s.answers = {false};
  Lines leftIe8 = Ie8Install();
  leftIe8.back() = "leave IE8 60";
  s.transcript = Join({Begin(),
                       {"text 正在下载IE8...", "ensure IE8"},
                       leftIe8,
                       {"left waiting", kAskIeTooOld, kOpenIeDownloadPage, "exit 0"}});
  s.stillRunning = {L"IE8XP.exe"};
  s.exitCode = 0;
  s.result = PrepareResult::kIeTooOld;
  all.push_back(s);

  for (Situation& update : UpdateSituations()) all.push_back(update);
  return all;
}

class PrepareWorker : public testing::TestWithParam<Situation> {};

TEST_P(PrepareWorker, RunsTheStepsOfTheSituation) {
  const Situation& s = GetParam();
  TempDir dir;
  Transcript log;
  ScriptedPc pc(log);
  pc.modulePath = Utf8ToWide(dir.File("lirra.exe"));
  pc.heldWithoutDisk = true;  // the scripted downloads put nothing on disk
  log.SetDir(Utf8ToWide(dir.path()));
  pc.osVersion = s.os;
  pc.processes = s.processes.empty() ? std::vector<ProcessEntry>{kIdle, {7, L"explorer.exe"}} : s.processes;
  pc.folders = s.folders;
  pc.ieVersionAfterIe8 = s.ieVersionAfterIe8;
  pc.pluginRegistersOnRegsvr = s.pluginRegistersOnRegsvr;
  pc.runTimes = s.runTimes;
  if (s.registrationHangs) pc.registerRunMs = FakePlatform::kRunsForever;
  if (s.ieVersion) pc.registryStrings[kIEValues + L"Version"] = s.ieVersion;
  if (s.pluginRegistered) pc.registryKeys.insert(kHidPluginKey);
  if (s.njysRegistered) pc.registryKeys.insert(kNjysPluginKey);
  if (s.localManifest) WriteFile(dir.File("file.ini"), s.localManifest);
  ResetPackageTable();
  CRunFlags::GetInstance() = CRunFlags();
  if (s.keyed) GetPackageTable().m_ManifestKey = ManifestKey::FromBase64(LIRRA_TEST_MANIFEST_PUBLIC_KEY);
  const std::wstring setupPath = GetPackageTable().m_strModuleDir + kPathSep + kSetupFileName;
  pc.fileVersions[setupPath] = s.setupVersion;
  pc.shellResults[setupPath] = s.setupShellResult;

  ScriptedNetwork network(log);
  network.manifest = s.downloadedManifest;
  network.ie8Results = s.ie8Results;
  network.hidFailure = s.hidFailure;
  network.hidBlocks = s.hidBlocks;
  network.versionResult = s.versionResult;
  network.needUpdate = s.needUpdate;
  network.downloadPage = s.downloadPage;
  network.downloadUrl = s.downloadUrl;
  network.setup = s.setup;
  network.signature = s.signature;
  RecordingUi ui(log);
  ui.answers = s.answers;
  ui.moves = s.moves;

  testing::internal::CaptureStdout();
  PrepareResult result = RunPreparation(ui, network);
  std::string out = testing::internal::GetCapturedStdout();

  EXPECT_EQ(log.lines, s.transcript);
  EXPECT_TRUE(ui.answers.empty()) << "questions that were never asked";
  EXPECT_EQ(pc.LaunchedStillRunning(), s.stillRunning) << "an installer left behind is never ended";
  EXPECT_EQ(ui.exitCode, s.exitCode);
  EXPECT_EQ(result, s.result);
  const CRunFlags& flags = CRunFlags::GetInstance();
  EXPECT_EQ(flags.m_bOfferDriverSetup, s.offerDriverSetup);
  EXPECT_EQ(flags.m_bHID, s.hidFlag);
  EXPECT_EQ(flags.m_bNJYS, s.njysFlag);
  EXPECT_EQ(ReadFile(dir.File("config.ini")), s.configAfter);
  bool traced = out.find("get latst Versioninfo Fail! ret=[-1].\r\n") != std::string::npos;
  EXPECT_EQ(traced, s.versionResult != 0) << out;
  const bool refused = out.find("download page refused") != std::string::npos;
  EXPECT_EQ(refused, s.trace != nullptr) << out;
  if (s.trace) {
    EXPECT_NE(out.find(s.trace), std::string::npos) << out;
  }
  const std::string refusal = "update in place refused";
  const std::size_t at = out.find(refusal);
  EXPECT_EQ(at != std::string::npos, s.updateRefusal != nullptr) << out;
  if (s.updateRefusal) {
    EXPECT_EQ(out.find(refusal + " (" + s.updateRefusal + ")"), at) << out;
    EXPECT_EQ(out.find(refusal, at + 1), std::string::npos) << "one line per refusal: " << out;
  }
  // A setup that is refused or did not start is not left in the client's folder.
  if (s.setup) {
    EXPECT_EQ(ReadFile(WideToUtf8(setupPath)) != "<missing>", s.result == PrepareResult::kUpdating);
  }
}

INSTANTIATE_TEST_SUITE_P(Situations, PrepareWorker, testing::ValuesIn(Situations()),
                         [](const testing::TestParamInfo<Situation>& info) { return info.param.name; });

// Temporary files of transfers that an ended client left behind go at the next start, in the
// client's folder and the packages' folders; those of a process that still runs stay. The setup
// of the last update in place goes too.
TEST(PrepareLeftovers, TransfersOfAnEndedProcessAreRemovedAtTheStart) {
  TempDir dir;
  Transcript log;
  ScriptedPc pc(log);
  pc.modulePath = Utf8ToWide(dir.File("lirra.exe"));
  pc.heldWithoutDisk = true;
  // 4242 and 4243 in base 36: a lirractl that still runs, and a client that ended.
  pc.processes = {kIdle, {CurrentProcessId(), L"lirra.exe"}, {4242, L"lirractl.exe"}};
  pc.registryStrings[kIEValues + L"Version"] = L"9.11.9600.18952";
  pc.registryKeys.insert(kHidPluginKey);
  for (const char* folder : {"HID", "NJYS"}) ASSERT_TRUE(OS().MakeDirectory(Utf8ToWide(dir.File(folder))));
  const std::string sep(1, static_cast<char>(kPathSep));
  for (const std::string& name :
       std::vector<std::string>{"~39v-1.tmp", "~39u-1.tmp", "HID" + sep + "~39v-2.tmp", "NJYS" + sep + "~39v-3.tmp"})
    WriteFile(dir.File(name), "part of a download");
  WriteFile(dir.File("lirra-update.exe"), "the setup of the last update");
  ResetPackageTable();
  CRunFlags::GetInstance() = CRunFlags();
  ScriptedNetwork network(log);
  RecordingUi ui(log);

  testing::internal::CaptureStdout();
  EXPECT_EQ(RunPreparation(ui, network), PrepareResult::kDone);
  testing::internal::GetCapturedStdout();

  const std::vector<std::string> left = Listing(dir.path());
  EXPECT_EQ(std::count(left.begin(), left.end(), "~39u-1.tmp"), 1) << "its process still runs";
  EXPECT_EQ(std::count(left.begin(), left.end(), "~39v-1.tmp"), 0);
  EXPECT_EQ(std::count(left.begin(), left.end(), "lirra-update.exe"), 0);
  EXPECT_TRUE(Listing(dir.File("HID")).empty());
  EXPECT_TRUE(Listing(dir.File("NJYS")).empty());
}

// The browser and the page always reach Internet Explorer as two quoted arguments.
TEST(OpenInIE, QuotesTheBrowserAndThePage) {
  struct Case {
    const wchar_t* url;
    const char* commandLine;
  };
  const Case cases[] = {
      {L" https://support.example/ie",
       "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" \"https://support.example/ie\""},
      {L"http://shop.example/new",
       "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" \"http://shop.example/new\""},
      {L"HTTP://127.0.0.1:18080/d?v=1.0.0.3&from=client#top",
       "\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" "
       "\"HTTP://127.0.0.1:18080/d?v=1.0.0.3&from=client#top\""},
  };
  for (const Case& c : cases) {
    FakePlatform pc;
    EXPECT_TRUE(OpenInIE(c.url));
    EXPECT_EQ(pc.commandLines, std::vector<std::string>{c.commandLine});
  }
}

TEST(OpenInIE, TheBuiltInDownloadPageOpens) {
  FakePlatform pc;
  EXPECT_EQ(BrowserPageFault(IeDownloadPage()), "");
  EXPECT_TRUE(OpenInIE(IeDownloadPage()));
  EXPECT_EQ(pc.commandLines.size(), 1u);
}

struct PageCase {
  const wchar_t* page;
  const char* fault;  // "" when the page opens
};

void PrintTo(const PageCase& c, std::ostream* os) { *os << '"' << WideToUtf8(c.page) << '"'; }

class BrowserPage : public testing::TestWithParam<PageCase> {};

TEST_P(BrowserPage, OpensOnlyPlainWebAddresses) {
  const PageCase& c = GetParam();
  EXPECT_EQ(BrowserPageFault(c.page), c.fault);
  FakePlatform pc;
  testing::internal::CaptureStdout();
  const bool opened = OpenInIE(c.page);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(opened, *c.fault == '\0');
  EXPECT_EQ(pc.commandLines.size(), opened ? 1u : 0u);
  // A refused page is traced with its reason, on one line of its own.
  if (!opened) {
    EXPECT_EQ(out.find(std::string("download page refused (") + c.fault + "): ["), 0u) << out;
    EXPECT_EQ(out.find('\n'), out.size() - 1) << out;
  }
}

constexpr char kSwitch[] = "blank, quote or control character";
constexpr char kNotWeb[] = "not an http or https address of a server";

INSTANTIATE_TEST_SUITE_P(
    Pages, BrowserPage,
    testing::Values(PageCase{L"http://shop.example/download.html", ""}, PageCase{L"https://shop.example/", ""},
                    PageCase{L"  http://shop.example/", ""}, PageCase{L"Https://shop.example:8443/a/b?c=d&e=f", ""},
                    PageCase{L"http://shop.example/a?e='f'", kSwitch},
                    PageCase{L"\\\\shop-nas\\share\\setup.exe", kNotWeb},
                    PageCase{L"file://C:\\Users\\Public\\x.hta", kNotWeb}, PageCase{L"file:///C:/x.hta", kNotWeb},
                    PageCase{L"res://ieframe.dll/acr_error.htm", kNotWeb}, PageCase{L"javascript:alert(1)", kNotWeb},
                    PageCase{L"about:blank", kNotWeb}, PageCase{L"C:\\Windows\\System32\\calc.exe", kNotWeb},
                    PageCase{L"calc.exe", kNotWeb}, PageCase{L"-extoff", kNotWeb}, PageCase{L"http://", kNotWeb},
                    PageCase{L"http:///path", kNotWeb}, PageCase{L"http:\\\\host\\share", kNotWeb},
                    PageCase{L"ftp://shop.example/", kNotWeb}, PageCase{L"http://sh op.example/", kSwitch},
                    PageCase{L"http://shop.example/ -extoff", kSwitch}, PageCase{L"http://shop.example/\t-k", kSwitch},
                    PageCase{L"http://shop.example/\" -k \"x", kSwitch},
                    PageCase{L"http://shop.example/\r\nsecond line", kSwitch},
                    PageCase{L"http://shop.example/\x7f", kSwitch}, PageCase{L"http://shop.example/\x85", kSwitch},
                    PageCase{L"http://shop.example/\u4e0b\u8f7d", "not plain ASCII"},
                    PageCase{L"http://shop.example/\u3000-k", "not plain ASCII"}, PageCase{L"", "empty"},
                    PageCase{L"   ", "empty"}));

}  // namespace
}  // namespace lirra
