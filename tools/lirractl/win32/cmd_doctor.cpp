// lirractl doctor [--dir DIR]: the state of this PC as the client sees it, one "name: value"
// line each, for a support person and for scripts, ending with the last lines of the client's
// support log. It only looks: nothing is started, written, downloaded or registered. DIR is
// the client's folder (default: lirractl's own).
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "net/http_client.h"
#include "net/package_table.h"
#include "pc/ie_helper.h"
#include "pc/system_probe.h"
#include "platform/platform.h"
#include "platform/socket.h"
#include "store/ini_store.h"
#include "store/support_log.h"

namespace {

using lirra::OS;

void Line(const char* name, const std::string& value) { std::printf("%s: %s\n", name, value.c_str()); }
void Line(const std::string& name, const std::string& value) { Line(name.c_str(), value); }

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

// The driver flags of config.ini as written there, read without the client's load, which
// would rewrite the file.
void ReportConfig(const std::wstring& dir) {
  static const char* const kSections[] = {"HID", "NJYS", "SDSS", "WHJL", "YSB"};
  std::string path = OS().WideToAnsi(dir + L"\\config.ini");
  auto lock = lirra::LockIniStore();
  bool loaded = FileExists(path) && lirra::IniLoadFile(path.c_str()) == 1;
  for (const char* section : kSections) {
    char value[64] = {};
    bool found = loaded && lirra::IniReadString(section, "value", value, sizeof value, nullptr);
    Line(std::string("config.") + section, !loaded ? "missing" : found ? value : "unset");
  }
  if (loaded) lirra::IniFreeFile();
}

void ReportPackages(lirra::PackageTable& table) {
  if (!FileExists(OS().WideToAnsi(table.m_strManifestPath)) || !lirra::LoadManifest(table)) {
    std::fprintf(stderr, "lirractl: no manifest in the client's folder; built-in names and digests used\n");
  }
  for (int i = 0; i < lirra::PackageTable::kRecordCount; ++i) {
    const lirra::PackageRecord& record = table.Record(i);
    std::string path = OS().WideToAnsi(record.m_strLocalPath);
    std::string state = "missing";
    if (FileExists(path)) state = lirra::PackageFileMatches(record) ? "ok" : "digest mismatch";
    Line(std::string("package.") + lirra::PackageTable::RecordKey(i), state);
  }
}

// The newest lines of lirra.log (with lirra.log.1 when it holds few), one "log:" line each.
void ReportLog(const std::wstring& dir) {
  constexpr std::size_t kLogLines = 20;
  const auto lines = lirra::ReadSupportLogTail(OS().WideToAnsi(dir + L"\\" + lirra::kSupportLogName), kLogLines);
  if (lines.empty()) Line("log", "none");
  for (const std::string& line : lines) Line("log", line);
}

// Whether a host answers HTTP at all: any status counts, a page not found included.
std::string HostAnswer(const std::wstring& url) {
  std::vector<char> body(4096, '\0');
  lirra::CDownFile request;
  int result = request.HttpGetToMemory(OS().WideToAnsi(url).c_str(), body.data(), body.size());
  return result == lirra::kHttpNoResponse ? "no answer" : "answers";
}

int RunDoctor(const lirractl::Args& args) {
  std::wstring dir = lirra::CSystemProbe::GetModuleDir();
  if (args.size() == 2 && args[0] == "--dir") {
    dir = OS().AnsiToWide(args[1]);
    while (dir.size() > 3 && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
  } else if (!args.empty()) {
    return lirractl::Usage();
  }
  lirra::SetTraceStream(stderr);  // stdout carries the report

  const std::wstring osName = lirra::CSystemProbe::GetOsVersionName();
  const int bits = OS().Is64BitOs() ? 64 : 32;
  Line("os", OS().WideToAnsi(osName));
  Line("bits", std::to_string(bits));
  Line("ie", std::to_string(lirra::CIEHelper::GetIEMajorVersion()));
  for (const wchar_t* service : {L"upnphost", L"AxInstSV", L"SCardSvr"}) {
    Line("service." + OS().WideToAnsi(service), ServiceText(OS().QueryService(service)));
  }
  const struct {
    const char* name;
    bool (*probe)();
  } plugins[] = {{"HID", lirra::CIEHelper::IsHidPluginRegistered},
                 {"YSB", lirra::CIEHelper::IsYsbPluginRegistered},
                 {"NJYS", lirra::CIEHelper::IsNjysPluginRegistered},
                 {"WHJL", lirra::CIEHelper::IsWhjlPluginRegistered},
                 {"SDSS", lirra::CIEHelper::IsSdssPluginRegistered}};
  for (const auto& p : plugins) Line(std::string("plugin.") + p.name, p.probe() ? "registered" : "not registered");
  bool omnikey = OS().IsDirectory(L"C:\\Program Files (x86)\\HID Global\\OMNIKEY 3x2x") ||
                 OS().IsDirectory(L"C:\\Program Files\\HID Global\\OMNIKEY 3x2x");
  Line("omnikey", omnikey ? "present" : "missing");
  ReportConfig(dir);

  lirra::PackageTable table = lirra::PackageTable::Create(dir, lirra::DefaultBaseUrl(), osName, bits);
  table.m_ManifestKey = lirra::ManifestKey::BuiltIn();  // as the client would apply it
  ReportPackages(table);

  bool sockets = lirra::SocketsStartup();
  Line("platform", sockets ? HostAnswer(lirra::VersionDataUrl()) : "no answer");
  Line("download", sockets ? HostAnswer(table.m_strManifestUrl) : "no answer");
  ReportLog(dir);
  return 0;
}

}  // namespace

LIRRACTL_COMMAND("doctor", "[--dir DIR]", RunDoctor);
