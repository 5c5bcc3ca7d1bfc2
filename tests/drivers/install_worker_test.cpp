// The driver install run, whole, against a scripted PC: installers that do or do not register
// their vendor's plug-in, a download host whose digest checks pass or fail, and a user who
// selects vendors and answers the conflict questions. Each situation lists everything the run
// did that the user or the machine would notice, in order, and what it left behind.
#include "drivers/install_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "net/package_table.h"
#include "pc/run_flags.h"
#include "platform/utf8.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"
#include "support/transcript.h"

namespace lirra {
namespace {

using test::FakePlatform;
using test::kIdle;
using test::Lines;
using test::Local;
using test::ReadFile;
using test::TempDir;
using test::Transcript;

// The interface key each vendor's probe looks for (all vendors but YSB have one).
std::wstring InterfaceKey(const wchar_t* id) {
  return std::wstring(L"HKLM\\SOFTWARE\\Classes\\Interface\\") + id + L"\\ProxyStubClsid32";
}
const std::map<Vendor, std::vector<std::wstring>> kPluginKeys = {
    {Vendor::kHID, {InterfaceKey(L"{D18F137A-0549-4868-B49D-4AF69278E7AC}")}},
    {Vendor::kYSB,
     {InterfaceKey(L"{6B20A80E-7218-49C8-804E-DF4B78815E9F}"),
      InterfaceKey(L"{438E0BA0-E5EA-464E-A633-3A4443C45A9F}")}},
    {Vendor::kNJYS, {InterfaceKey(L"{2C4CE648-A725-4FC8-9F54-F3CB680A42BD}")}},
    {Vendor::kWHJL, {InterfaceKey(L"{4A8D857F-3372-457B-A1F8-0D2A3615B677}")}},
    {Vendor::kSDSS, {InterfaceKey(L"{C1EEF725-1A89-4346-AFC8-F83B536373DE}")}},
};

constexpr Vendor kAll[] = {Vendor::kHID, Vendor::kYSB, Vendor::kNJYS, Vendor::kWHJL, Vendor::kSDSS};

// What an installer (or regsvr32 registering CardX.ocx) leaves in the registry.
enum class Effect { kRegisters, kUnregisters, kNothing };

// The PC: launches register or remove plug-ins as scripted; kills and pauses are logged.
class InstallPc : public FakePlatform {
 public:
  explicit InstallPc(Transcript& log) : log_(log) {}
  std::map<std::wstring, Effect> effects;  // by launched file; regsvr32 by its parameters' kind

  void SetRegistered(Vendor vendor, bool registered) {
    for (const std::wstring& key : kPluginKeys.at(vendor)) {
      if (registered) {
        registryKeys.insert(key);
      } else {
        registryKeys.erase(key);
      }
    }
  }
  bool IsRegistered(Vendor vendor) const { return registryKeys.count(kPluginKeys.at(vendor).front()) != 0; }
  std::map<std::wstring, Vendor> launchedVendor;

  bool KillProcess(std::uint32_t pid) override {
    for (const ProcessEntry& p : processes) {
      if (p.pid == pid) log_.Add("kill", std::to_wstring(pid) + L" " + p.imageName);
    }
    return FakePlatform::KillProcess(pid);
  }
  int ShellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory) override {
    log_.Add(IsHeld(file) ? "open held" : "open", parameters.empty() ? file : file + L" " + parameters);
    if (!directory.empty()) log_.Add("directory", directory);
    const bool unregistering = parameters.rfind(L"/u ", 0) == 0;
    auto effect = effects.find(file == L"regsvr32.exe" && unregistering ? L"regsvr32 /u" : file);
    auto vendor = launchedVendor.find(file);
    if (effect != effects.end() && vendor != launchedVendor.end() && effect->second != Effect::kNothing) {
      SetRegistered(vendor->second, effect->second == Effect::kRegisters);
    }
    return FakePlatform::ShellOpen(file, parameters, directory);
  }
  void SleepMs(unsigned ms) override {
    log_.Add("sleep", std::to_wstring(ms));
    FakePlatform::SleepMs(ms);
  }

 private:
  Transcript& log_;
};

// The download host: each installer's digest check passes unless scripted otherwise.
class InstallHost : public InstallNetwork {
 public:
  explicit InstallHost(Transcript& log) : log_(log) {}
  std::map<std::wstring, PackageFailure> failing;                               // by file name
  std::map<std::wstring, std::vector<std::pair<long long, long long>>> blocks;  // a download's progress

  bool EnsurePackage(const PackageRecord& record, const HttpProgress& progress, PackageFailure* failure,
                     HeldFilePtr* installer) override {
    log_.Add("ensure", record.m_strFileName);
    auto arriving = blocks.find(record.m_strFileName);
    if (arriving != blocks.end()) {
      for (const auto& [received, total] : arriving->second) progress(received, total);
    }
    auto failed = failing.find(record.m_strFileName);
    *failure = failed == failing.end() ? PackageFailure::kNone : failed->second;
    if (failed != failing.end()) return false;
    *installer = OS().OpenHeld(record.m_strLocalPath);
    return true;
  }

 private:
  Transcript& log_;
};

// The driver manager: selection, the button that started the run, the user's answers.
class RecordingInstallUi : public InstallUi {
 public:
  explicit RecordingInstallUi(Transcript& log) : log_(log) {}
  std::set<Vendor> selected;
  bool reinstall = false;
  std::deque<bool> answers;
  // The user changes the selection to this while the first status text shows.
  const std::set<Vendor>* selectedLater = nullptr;
  // The user leaves the driver manager once this line is in the transcript.
  std::string leaveAfter;
  int ended = 0;

  bool IsSelected(Vendor vendor) override { return selected.count(vendor) != 0; }
  bool IsReinstall() override { return reinstall; }
  void SetStatusText(const std::wstring& text) override {
    log_.Add("text", text);
    if (selectedLater) selected = *selectedLater;
    selectedLater = nullptr;
  }
  bool AskTwoButtons(const std::wstring& title, const std::wstring& text, const std::wstring& confirmText,
                     const std::wstring& cancelText) override {
    return log_.Ask(answers, title + L"|" + text + L"|" + confirmText + L"|" + cancelText);
  }
  void ShowProgress(int percent) override { log_.Add("progress", std::to_wstring(percent)); }
  void SetDetailText(const std::wstring& text) override { log_.Add("detail", text); }
  void InstallerStarted(const std::wstring& vendorLabel, const std::wstring& imageName) override {
    log_.Add("wait", vendorLabel + L" " + imageName);
  }
  void InstallerEnded() override { log_.Add("waited", L""); }
  bool HasLeft() override {
    return !leaveAfter.empty() && std::find(log_.lines.begin(), log_.lines.end(), leaveAfter) != log_.lines.end();
  }
  void RunEnded() override {
    log_.Add("ended", L"");
    ++ended;
  }

 private:
  Transcript& log_;
};

struct Situation {
  const char* name;
  std::set<Vendor> installed;  // registered plug-ins and their flags before the run
  std::set<Vendor> selected;
  const std::set<Vendor>* selectedLater = nullptr;
  bool reinstall = false;
  std::map<Vendor, Effect> effects;  // what each vendor's installer does; default: registers
  std::map<std::wstring, PackageFailure> failing;
  std::map<std::wstring, std::vector<std::pair<long long, long long>>> blocks;
  std::deque<bool> answers;
  std::string leaveAfter;
  const wchar_t* renamedNjys = nullptr;  // the manifest's file name for NJYS
  std::vector<ProcessEntry> processes;

  Lines transcript;
  std::set<Vendor> flagsAfter;
  // What config.ini holds afterwards, when not flagsAfter; nullptr: never written.
  std::optional<const std::set<Vendor>*> saved;
};

void PrintTo(const Situation& s, std::ostream* os) { *os << s.name; }

Situation Named(const char* name) {
  Situation s;
  s.name = name;
  return s;
}

Lines Join(std::initializer_list<Lines> parts) {
  Lines out;
  for (const Lines& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

const std::string kKillBrowser = "kill 5 iexplore.exe";
const Lines kEnd = {"ended"};

const std::string kWaitRegsvr = "wait HID regsvr32.exe";
const std::string kRegister = "open regsvr32.exe \"" + Local("CardX.ocx") + "\"";

Lines Hid() {
  return {"text 正在清除HID插件，如出错请用管理员权限运行...",
          kWaitRegsvr,
          "open regsvr32.exe /u \"" + Local("CardX.ocx") + "\"",
          "waited",
          "text 正在注册HID插件，如出错请用管理员权限运行",
          kWaitRegsvr,
          kRegister,
          "waited"};
}

struct Texts {
  const char* name;    // as the status texts and the button spell it
  const char* result;  // as the result texts spell it
  const char* file;
  const char* folder;
};
const std::map<Vendor, Texts> kTexts = {
    {Vendor::kYSB, {"广州易售宝", "广州易售宝", "BTReader.exe", "YSB"}},
    {Vendor::kNJYS, {"南京亿数", "南京亿数", "clientsetup.exe", "NJYS"}},
    {Vendor::kWHJL, {"武汉精伦", "广州武汉精伦", "jinglun.exe", "WHJL"}},
    {Vendor::kSDSS, {"山东神思", "山东神思", "shandongshensi.exe", "SDSS"}},
};

std::string Installing(Vendor v) {
  return std::string("text 正在安装") + kTexts.at(v).name + "【温馨提示：如果杀毒软件或360拦截安装，请允许】";
}
std::string Open(Vendor v) { return "open held " + Local(std::string(kTexts.at(v).folder) + "/" + kTexts.at(v).file); }
std::string Wait(Vendor v) { return std::string("wait ") + kTexts.at(v).name + " " + kTexts.at(v).file; }
std::string Failed(Vendor v) { return std::string("text 安装") + kTexts.at(v).result + "失败"; }

std::string Downloading(Vendor v) {
  const std::string name = kTexts.at(v).name;
  return "text 正在下载" + name + (v == Vendor::kSDSS ? "备驱动..." : "必备驱动...");
}

// The steps of one vendor whose verified installer ran; `ok`: the probe found its plug-in.
Lines Install(Vendor v, bool ok) {
  const Texts& t = kTexts.at(v);
  return {Downloading(v), std::string("ensure ") + t.file,
          Installing(v),  "sleep 100",
          Wait(v),        Open(v),
          "waited",       ok ? std::string("text 安装") + t.result + "成功" : Failed(v),
          "sleep 100"};
}

std::string Ask(const char* pair) {
  return std::string("ask 安装提醒|") + pair + "在部分机型上会冲突，\r\n继续安装？|安装|取消";
}
const std::string kAskNjysSdss = Ask("南京亿数和山东神思");
const std::string kAskNjysWhjl = Ask("南京亿数和武汉精伦");
const std::string kAskWhjlSdss = Ask("武汉精伦和山东神思");

const std::set<Vendor> kOnlyYsb = {Vendor::kYSB};

std::vector<Situation> Situations() {
  std::vector<Situation> all;
  Situation s;

  s = Named("NothingSelectedStopsTheBrowserSavesAndEnds");
  s.installed = {Vendor::kHID};
  s.transcript = {kKillBrowser, "ended"};
  s.flagsAfter = {Vendor::kHID};
  all.push_back(s);

  s = Named("InstallSkipsSelectedVendorsThatAreInstalled");
  s.installed = {Vendor::kHID, Vendor::kNJYS, Vendor::kYSB};
  s.selected = {Vendor::kHID, Vendor::kNJYS, Vendor::kYSB};
  s.transcript = {kKillBrowser, "ended"};
  s.flagsAfter = s.installed;
  all.push_back(s);

  s = Named("FirstInstallOfOneVendor");
  s.selected = {Vendor::kNJYS};
  s.transcript = Join({{kKillBrowser}, Install(Vendor::kNJYS, true), kEnd});
  s.flagsAfter = {Vendor::kNJYS};
  all.push_back(s);

  s = Named("InstallerThatRegistersNothingFails");
  s.installed = {Vendor::kHID};
  s.selected = {Vendor::kHID, Vendor::kWHJL};
  s.effects = {{Vendor::kWHJL, Effect::kNothing}};
  s.transcript = Join({{kKillBrowser}, Install(Vendor::kWHJL, false), kEnd});
  s.flagsAfter = {Vendor::kHID};
  all.push_back(s);

  s = Named("OnlyTheFirstConflictIsAskedWhenBothAreInstalled");
  s.installed = {Vendor::kSDSS, Vendor::kWHJL};
  s.selected = {Vendor::kNJYS};
  s.answers = {true};
  s.transcript = Join({{kKillBrowser, kAskNjysSdss}, Install(Vendor::kNJYS, true), kEnd});
  s.flagsAfter = {Vendor::kSDSS, Vendor::kWHJL, Vendor::kNJYS};
  all.push_back(s);

  s = Named("VendorInstalledEarlierInTheRunRaisesTheQuestion");
  s.selected = {Vendor::kNJYS, Vendor::kSDSS};
  s.answers = {false};
  s.transcript = Join({{kKillBrowser}, Install(Vendor::kNJYS, true), {kAskNjysSdss}, kEnd});
  s.flagsAfter = {Vendor::kNJYS};
  all.push_back(s);

  s = Named("FailedInstallEarlierInTheRunRaisesNoQuestion");
  s.selected = {Vendor::kNJYS, Vendor::kSDSS};
  s.effects = {{Vendor::kNJYS, Effect::kNothing}};
  s.transcript = Join({{kKillBrowser}, Install(Vendor::kNJYS, false), Install(Vendor::kSDSS, true), kEnd});
  s.flagsAfter = {Vendor::kSDSS};
  all.push_back(s);

  s = Named("CancelledQuestionSkipsOnlyThatVendor");
  s.installed = {Vendor::kNJYS};
  s.selected = {Vendor::kWHJL, Vendor::kYSB};
  s.answers = {false};
  s.transcript = Join({{kKillBrowser}, Install(Vendor::kYSB, true), {kAskNjysWhjl}, kEnd});
  s.flagsAfter = {Vendor::kNJYS, Vendor::kYSB};
  all.push_back(s);

  s = Named("ReinstallAsksAboutAnInstalledConflict");
  s.installed = {Vendor::kSDSS, Vendor::kWHJL};
  s.selected = {Vendor::kSDSS};
  s.reinstall = true;
  s.answers = {true};
  s.transcript = Join({{kKillBrowser, kAskWhjlSdss}, Install(Vendor::kSDSS, true), kEnd});
  s.flagsAfter = {Vendor::kSDSS, Vendor::kWHJL};
  all.push_back(s);

  s = Named("ReinstallThatLosesThePluginClearsTheFlag");
  s.installed = {Vendor::kHID, Vendor::kYSB};
  s.selected = {Vendor::kYSB};
  s.reinstall = true;
  s.effects = {{Vendor::kYSB, Effect::kUnregisters}};
  s.transcript = Join({{kKillBrowser}, Install(Vendor::kYSB, false), kEnd});
  s.flagsAfter = {Vendor::kHID};
  all.push_back(s);

  s = Named("ReinstallOfAllFiveInOrderWithTheirQuestions");
  s.installed = {kAll[0], kAll[1], kAll[2], kAll[3], kAll[4]};
  s.selected = s.installed;
  s.reinstall = true;
  s.answers = {true, true, true};
  s.transcript = Join({{kKillBrowser},
                       Hid(),
                       Install(Vendor::kYSB, true),
                       {kAskNjysSdss},
                       Install(Vendor::kNJYS, true),
                       {kAskWhjlSdss},
                       Install(Vendor::kWHJL, true),
                       {kAskWhjlSdss},
                       Install(Vendor::kSDSS, true),
                       kEnd});
  s.flagsAfter = s.installed;
  all.push_back(s);

  s = Named("HidRegistrationSetsTheFlag");
  s.selected = {Vendor::kHID};
  s.transcript = Join({{kKillBrowser}, Hid(), kEnd});
  s.flagsAfter = {Vendor::kHID};
  all.push_back(s);

  s = Named("HidRegistrationThatFailsKeepsTheFlagAndGoesOn");
  s.installed = {Vendor::kHID};
  s.selected = {Vendor::kHID, Vendor::kYSB};
  s.reinstall = true;
  s.effects = {{Vendor::kHID, Effect::kNothing}};
  s.transcript = Join({{kKillBrowser}, Hid(), Install(Vendor::kYSB, true), kEnd});
  s.flagsAfter = {Vendor::kHID, Vendor::kYSB};
  all.push_back(s);

  s = Named("InstallerFailingItsDigestIsNeverRun");
  s.installed = {Vendor::kHID};
  s.selected = {Vendor::kYSB, Vendor::kSDSS};
  s.failing = {{L"BTReader.exe", PackageFailure::kDigest}};
  s.transcript = Join({{kKillBrowser, Downloading(Vendor::kYSB), "ensure BTReader.exe", Failed(Vendor::kYSB),
                        "detail 安装包校验失败，未运行安装程序", "sleep 100"},
                       Install(Vendor::kSDSS, true),
                       kEnd});
  s.flagsAfter = {Vendor::kHID, Vendor::kSDSS};
  all.push_back(s);

  s = Named("RenamedPackageIsWaitedForByTheFileItRunsAs");
  s.selected = {Vendor::kNJYS};
  s.renamedNjys = L"newsetup.exe";
  s.processes = {kIdle, {5, L"iexplore.exe"}, {9, L"newsetup.exe"}, {8, L"CLIENTSETUP.EXE"}};
  s.transcript = Join({{kKillBrowser, Downloading(Vendor::kNJYS), "ensure newsetup.exe", Installing(Vendor::kNJYS),
                        "sleep 100", "wait 南京亿数 clientsetup.exe", "kill 8 CLIENTSETUP.EXE", Open(Vendor::kNJYS),
                        "waited", "text 安装南京亿数成功", "sleep 100"},
                       kEnd});
  s.flagsAfter = {Vendor::kNJYS};
  all.push_back(s);

  s = Named("SelectionChangedDuringTheRunCountsWhenTheVendorIsReached");
  s.selected = {Vendor::kHID, Vendor::kSDSS};
  s.selectedLater = &kOnlyYsb;
  s.transcript = Join({{kKillBrowser}, Hid(), Install(Vendor::kYSB, true), kEnd});
  s.flagsAfter = {Vendor::kHID, Vendor::kYSB};
  all.push_back(s);

  s = Named("InstallerThatCantBeDownloadedIsNeverRun");
  s.selected = {Vendor::kWHJL};
  s.failing = {{L"jinglun.exe", PackageFailure::kTransfer}};
  s.transcript = Join({{kKillBrowser, Downloading(Vendor::kWHJL), "ensure jinglun.exe", Failed(Vendor::kWHJL),
                        "detail 安装包下载失败，未运行安装程序", "sleep 100"},
                       kEnd});
  all.push_back(s);

  s = Named("DownloadProgressIsShownOncePerWholePercent");
  s.selected = {Vendor::kSDSS};
  s.blocks = {{L"shandongshensi.exe", {{0, 300}, {1, 300}, {100, 300}, {150, 300}, {299, 300}, {300, 300}}}};
  s.transcript =
      Join({{kKillBrowser, Downloading(Vendor::kSDSS), "ensure shandongshensi.exe", "progress 0", "progress 33",
             "progress 50", "progress 99", "progress 100", Installing(Vendor::kSDSS), "sleep 100", Wait(Vendor::kSDSS),
             Open(Vendor::kSDSS), "waited", "text 安装山东神思成功", "sleep 100"},
            kEnd});
  s.flagsAfter = {Vendor::kSDSS};
  all.push_back(s);

  // Leaving the driver manager mid-run: what finished before stays recorded, the vendor whose
  // installer was running is not recorded even though its installer registered it, and nothing
  // new starts.
  s = Named("LeavingWhileAnInstallerRunsRecordsNothingForIt");
  s.installed = {Vendor::kHID};
  s.selected = {Vendor::kHID, Vendor::kYSB, Vendor::kNJYS, Vendor::kSDSS};
  s.leaveAfter = Open(Vendor::kNJYS);
  s.transcript = Join({{kKillBrowser},
                       Install(Vendor::kYSB, true),
                       {Downloading(Vendor::kNJYS), "ensure clientsetup.exe", Installing(Vendor::kNJYS), "sleep 100",
                        Wait(Vendor::kNJYS), Open(Vendor::kNJYS), "waited"},
                       kEnd});
  s.flagsAfter = {Vendor::kHID, Vendor::kYSB};
  all.push_back(s);

  s = Named("LeavingWhileCardXRegistersRecordsNothing");
  s.selected = {Vendor::kHID, Vendor::kYSB};
  s.leaveAfter = kRegister;
  s.transcript = Join({{kKillBrowser}, Hid(), kEnd});
  s.saved = nullptr;
  all.push_back(s);

  s = Named("LeavingDuringADownloadRunsNoInstaller");
  s.selected = {Vendor::kYSB};
  s.leaveAfter = "ensure BTReader.exe";
  s.transcript = {kKillBrowser, Downloading(Vendor::kYSB), "ensure BTReader.exe", "ended"};
  s.saved = nullptr;
  all.push_back(s);

  s = Named("LeavingDuringAQuestionEndsTheRun");
  s.installed = {Vendor::kWHJL};
  s.selected = {Vendor::kNJYS, Vendor::kSDSS};
  s.answers = {false};  // the box closed by the leaving
  s.leaveAfter = kAskNjysWhjl;
  s.transcript = {kKillBrowser, kAskNjysWhjl, "ended"};
  s.flagsAfter = {Vendor::kWHJL};
  s.saved = nullptr;
  all.push_back(s);

  return all;
}

// config.ini as SaveDriverState writes it.
std::string Saved(const std::set<Vendor>& flags) {
  std::string out;
  const std::pair<Vendor, const char*> sections[] = {{Vendor::kHID, "HID"},
                                                     {Vendor::kNJYS, "NJYS"},
                                                     {Vendor::kSDSS, "SDSS"},
                                                     {Vendor::kWHJL, "WHJL"},
                                                     {Vendor::kYSB, "YSB"}};
  for (const auto& [v, key] : sections) {
    out += std::string("\n[") + key + "]\nvalue = " + (flags.count(v) ? "1" : "0") + "\n";
  }
  return out;
}

class InstallWorker : public testing::TestWithParam<Situation> {};

TEST_P(InstallWorker, RunsTheStepsOfTheSituation) {
  const Situation& s = GetParam();
  TempDir dir;
  Transcript log;
  InstallPc pc(log);
  pc.modulePath = Utf8ToWide(dir.File("lirra.exe"));
  pc.heldWithoutDisk = true;  // the scripted downloads put nothing on disk
  log.SetDir(Utf8ToWide(dir.path()));
  pc.processes =
      s.processes.empty() ? std::vector<ProcessEntry>{kIdle, {5, L"iexplore.exe"}, {6, L"iexplore.exe"}} : s.processes;
  ResetPackageTable();
  PackageTable& table = GetPackageTable();
  if (s.renamedNjys) table.m_NJYS.m_strFileName = s.renamedNjys;

  CRunFlags& flags = CRunFlags::GetInstance();
  flags = CRunFlags();
  for (Vendor v : s.installed) {
    flags.Installed(v) = true;
    pc.SetRegistered(v, true);
  }
  pc.launchedVendor = {{L"regsvr32.exe", Vendor::kHID},
                       {table.m_YSB.m_strLocalPath, Vendor::kYSB},
                       {table.m_NJYS.m_strLocalPath, Vendor::kNJYS},
                       {table.m_WHJL.m_strLocalPath, Vendor::kWHJL},
                       {table.m_SDSS.m_strLocalPath, Vendor::kSDSS}};
  // Unregistering CardX.ocx always works; registering does what the situation says.
  pc.effects[L"regsvr32 /u"] = Effect::kUnregisters;
  for (const auto& [launched, vendor] : pc.launchedVendor) {
    auto effect = s.effects.find(vendor);
    pc.effects[launched] = effect == s.effects.end() ? Effect::kRegisters : effect->second;
  }

  InstallHost host(log);
  host.failing = s.failing;
  host.blocks = s.blocks;
  RecordingInstallUi ui(log);
  ui.selected = s.selected;
  ui.reinstall = s.reinstall;
  ui.answers = s.answers;
  ui.selectedLater = s.selectedLater;
  ui.leaveAfter = s.leaveAfter;

  RunInstall(ui, host);

  EXPECT_EQ(log.lines, s.transcript);
  EXPECT_TRUE(ui.answers.empty()) << "questions that were never asked";
  EXPECT_EQ(ui.ended, 1);
  std::set<Vendor> flagsAfter;
  for (Vendor v : kAll) {
    if (flags.Installed(v)) flagsAfter.insert(v);
  }
  EXPECT_EQ(flagsAfter, s.flagsAfter);
  const std::set<Vendor>* saved = s.saved.value_or(&s.flagsAfter);
  EXPECT_EQ(ReadFile(dir.File("config.ini")), saved ? Saved(*saved) : "<missing>");
}

INSTANTIATE_TEST_SUITE_P(Situations, InstallWorker, testing::ValuesIn(Situations()),
                         [](const testing::TestParamInfo<Situation>& info) { return info.param.name; });

// The buttons' names and the config.ini sections, in the order a run walks them.
TEST(InstallWorkerVendors, KeysAndLabelsInRunOrder) {
  const char* keys[] = {"HID", "YSB", "NJYS", "WHJL", "SDSS"};
  const wchar_t* labels[] = {L"HID", L"广州易售宝", L"南京亿数", L"武汉精伦", L"山东神思"};
  for (int i = 0; i < kVendorCount; ++i) {
    EXPECT_STREQ(keys[i], VendorOf(kAll[i]).key);
    EXPECT_STREQ(labels[i], VendorOf(kAll[i]).label);
  }
}

}  // namespace
}  // namespace lirra
