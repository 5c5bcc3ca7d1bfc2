// lirractl doctor [--json] [--dir DIR]: the state of this PC as the client sees it, for a
// support person (one "name: value" line each, ending with the last lines of the client's
// support log) or, with --json, for scripts (one JSON object). Both forms come from one gathered
// report (doctor_report.h). It only looks: nothing is started, written, downloaded or
// registered. DIR is the client's folder (default: lirractl's own).
#include <windows.h>
// after windows.h
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "doctor_report.h"
#include "net/http_client.h"
#include "net/package_table.h"
#include "pc/ie_helper.h"
#include "pc/system_probe.h"
#include "platform/file_io.h"
#include "platform/platform.h"
#include "platform/socket.h"
#include "store/crash_reports.h"
#include "store/ini_store.h"
#include "store/support_log.h"

namespace {

using lirra::OS;
using lirractl::DoctorReport;

const char* ServiceText(lirra::ServiceState state) {
  switch (state) {
    case lirra::ServiceState::Running:
      return "running";
    case lirra::ServiceState::Stopped:
      return "stopped";
    case lirra::ServiceState::Pending:
      return "pending";
    case lirra::ServiceState::Paused:
      return "paused";
    case lirra::ServiceState::Missing:
      return "missing";
    default:
      return "unknown";
  }
}

bool FileExists(const std::string& path) {
  struct _stat st {};
  return _stat(path.c_str(), &st) == 0 && (st.st_mode & _S_IFREG);
}

std::uint64_t FileBytes(const std::string& path) {
  struct _stati64 st {};
  return _stati64(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

// The driver flags of config.ini as written there, read without the client's load, which
// would rewrite the file.
DoctorReport::Texts ReadConfig(const std::wstring& dir) {
  static const char* const kSections[] = {"HID", "NJYS", "SDSS", "WHJL", "YSB"};
  DoctorReport::Texts config;
  std::string path = OS().WideToAnsi(dir + L"\\config.ini");
  auto lock = lirra::LockIniStore();
  bool loaded = FileExists(path) && lirra::IniLoadFile(path.c_str()) == 1;
  for (const char* section : kSections) {
    char value[64] = {};
    bool found = loaded && lirra::IniReadString(section, "value", value, sizeof value, nullptr);
    config.emplace_back(section, !loaded ? "missing" : found ? value : "unset");
  }
  if (loaded) lirra::IniFreeFile();
  return config;
}

DoctorReport::Texts CheckPackages(lirra::PackageTable& table) {
  if (!FileExists(OS().WideToAnsi(table.m_strManifestPath)) || !lirra::LoadManifest(table)) {
    std::fprintf(stderr, "lirractl: no manifest in the client's folder; built-in names and digests used\n");
  }
  DoctorReport::Texts packages;
  for (int i = 0; i < lirra::PackageTable::kRecordCount; ++i) {
    const lirra::PackageRecord& record = table.Record(i);
    std::string path = OS().WideToAnsi(record.m_strLocalPath);
    std::string state = "missing";
    if (FileExists(path)) state = lirra::PackageFileMatches(record) ? "ok" : "digest mismatch";
    packages.emplace_back(lirra::PackageTable::RecordKey(i), state);
  }
  return packages;
}

std::vector<lirractl::DoctorCrashReport> FindCrashReports(const std::wstring& dir) {
  const std::string folder = OS().WideToAnsi(dir + L"\\" + lirra::kCrashFolderName);
  std::vector<lirractl::DoctorCrashReport> reports;
  for (const lirra::CrashReportFiles& found : lirra::FindCrashReports(lirra::FileNamesIn(folder))) {
    const std::uint64_t bytes = found.dump.empty() ? 0 : FileBytes(folder + "\\" + found.dump);
    reports.push_back({found.name, found.dump, bytes, found.log});
  }
  return reports;
}

// The ProductVersion of the client's lirra.exe in the folder; empty when there is none.
std::string ClientVersion(const std::wstring& dir) {
  return OS().WideToAnsi(OS().FileProductVersion(dir + L"\\lirra.exe"));
}

// Whether a host answers HTTP at all: any status counts, a page not found included.
bool HostAnswers(const std::wstring& url) {
  std::vector<char> body(4096, '\0');
  lirra::CDownFile request;
  int result = request.HttpGetToMemory(OS().WideToAnsi(url).c_str(), body.data(), body.size());
  return result != lirra::kHttpNoResponse;
}

DoctorReport Gather(const std::wstring& dir) {
  DoctorReport report;
  const std::wstring osName = lirra::CSystemProbe::GetOsVersionName();
  report.os = OS().WideToAnsi(osName);
  report.bits = OS().Is64BitOs() ? 64 : 32;
  report.ie = lirra::CIEHelper::GetIEMajorVersion();
  for (const wchar_t* service : {L"upnphost", L"AxInstSV", L"SCardSvr"}) {
    report.services.emplace_back(OS().WideToAnsi(service), ServiceText(OS().QueryService(service)));
  }
  const struct {
    const char* name;
    bool (*probe)();
  } plugins[] = {{"HID", lirra::CIEHelper::IsHidPluginRegistered},
                 {"YSB", lirra::CIEHelper::IsYsbPluginRegistered},
                 {"NJYS", lirra::CIEHelper::IsNjysPluginRegistered},
                 {"WHJL", lirra::CIEHelper::IsWhjlPluginRegistered},
                 {"SDSS", lirra::CIEHelper::IsSdssPluginRegistered}};
  for (const auto& p : plugins) report.plugins.emplace_back(p.name, p.probe());
  report.omnikey = OS().IsDirectory(L"C:\\Program Files (x86)\\HID Global\\OMNIKEY 3x2x") ||
                   OS().IsDirectory(L"C:\\Program Files\\HID Global\\OMNIKEY 3x2x");
  report.version = ClientVersion(dir);
  report.config = ReadConfig(dir);

  lirra::PackageTable table = lirra::PackageTable::Create(dir, lirra::DefaultBaseUrl(), osName, report.bits);
  table.m_ManifestKey = lirra::ManifestKey::BuiltIn();  // as the client would apply it
  report.packages = CheckPackages(table);

  const bool sockets = lirra::SocketsStartup();
  report.platformAnswers = sockets && HostAnswers(lirra::VersionDataUrl());
  report.downloadAnswers = sockets && HostAnswers(table.m_strManifestUrl);
  report.crashReports = FindCrashReports(dir);
  constexpr std::size_t kLogLines = 20;
  report.log = lirra::ReadSupportLogTail(OS().WideToAnsi(dir + L"\\" + lirra::kSupportLogName), kLogLines);
  return report;
}

int RunDoctor(const lirractl::Args& args) {
  std::wstring dir = lirra::CSystemProbe::GetModuleDir();
  bool json = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--json") {
      json = true;
    } else if (args[i] == "--dir" && i + 1 < args.size()) {
      dir = OS().AnsiToWide(args[++i]);
      while (dir.size() > 3 && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
    } else {
      return lirractl::Usage();
    }
  }
  lirra::SetTraceStream(stderr);  // stdout carries the report

  const DoctorReport report = Gather(dir);
  const std::string text = json ? lirractl::DoctorJson(report) : lirractl::DoctorPlainText(report);
  std::fputs(text.c_str(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

LIRRACTL_COMMAND("doctor", "[--json] [--dir DIR]", RunDoctor);
