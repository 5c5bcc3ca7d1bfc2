#include "store/crash_reports.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>

#include "store/support_log.h"

namespace lirra {

namespace {

constexpr char kPrefix[] = "lirra-";

// What orders reports: the 14 digits of the stamp, then the sequence (1 without a suffix).
struct ReportKey {
  std::string digits;
  int sequence = 1;
  bool operator<(const ReportKey& other) const {
    return digits != other.digits ? digits < other.digits : sequence < other.sequence;
  }
};

bool AllDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "lirra-YYYYMMDD-HHMMSS" or "lirra-YYYYMMDD-HHMMSS-N" with N from 2 to the limit, written as
// CrashReportName writes it (no leading zero), so one report has exactly one name.
std::optional<ReportKey> ParseName(const std::string& name) {
  const std::size_t prefix = sizeof kPrefix - 1;
  if (name.compare(0, prefix, kPrefix) != 0 || name.size() < prefix + 15) return std::nullopt;
  const std::string date = name.substr(prefix, 8);
  const std::string time = name.substr(prefix + 9, 6);
  if (!AllDigits(date) || name[prefix + 8] != '-' || !AllDigits(time)) return std::nullopt;
  ReportKey key{date + time, 1};
  const std::string rest = name.substr(prefix + 15);
  if (rest.empty()) return key;
  const std::string suffix = rest.substr(1);
  if (rest[0] != '-' || !AllDigits(suffix) || suffix[0] == '0' || suffix.size() > 2) return std::nullopt;
  key.sequence = std::stoi(suffix);
  if (key.sequence < 2 || key.sequence > kCrashSequenceLimit) return std::nullopt;
  return key;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::string CrashReportName(const CrashStamp& s, int sequence) {
  char text[64];
  std::snprintf(text, sizeof text, "%s%04d%02d%02d-%02d%02d%02d", kPrefix, s.year, s.month, s.day, s.hour, s.minute,
                s.second);
  std::string name = text;
  if (sequence > 1) name += "-" + std::to_string(sequence);
  return name;
}

std::vector<CrashReportFiles> FindCrashReports(const std::vector<std::string>& fileNames) {
  std::map<ReportKey, CrashReportFiles> reports;
  for (const std::string& file : fileNames) {
    const bool dump = EndsWith(file, kCrashDumpExtension);
    if (!dump && !EndsWith(file, kCrashLogExtension)) continue;
    const std::string name = file.substr(0, file.size() - 4);
    const std::optional<ReportKey> key = ParseName(name);
    if (!key) continue;
    CrashReportFiles& report = reports[*key];
    report.name = name;
    (dump ? report.dump : report.log) = file;
  }
  std::vector<CrashReportFiles> newestFirst;
  for (auto it = reports.rbegin(); it != reports.rend(); ++it) newestFirst.push_back(it->second);
  return newestFirst;
}

std::vector<std::string> CrashFilesToPrune(const std::vector<std::string>& fileNames, std::size_t keep) {
  const std::vector<CrashReportFiles> reports = FindCrashReports(fileNames);
  std::vector<std::string> prune;
  for (std::size_t i = keep; i < reports.size(); ++i) {
    if (!reports[i].dump.empty()) prune.push_back(reports[i].dump);
    if (!reports[i].log.empty()) prune.push_back(reports[i].log);
  }
  return prune;
}

std::string CrashLogExcerpt(const std::vector<std::string>& heading, const std::string& supportLogPath) {
  std::string text;
  for (const std::string& line : heading) text += line + "\r\n";
  text += "\r\n";
  const std::vector<std::string> tail = ReadSupportLogTail(supportLogPath, kCrashLogLines);
  if (tail.empty()) text += "(no support log)\r\n";
  for (const std::string& line : tail) text += line + "\r\n";
  return text;
}

}  // namespace lirra
