#include "doctor_report.h"

#include <json/json.h>

#include "platform/platform.h"
#include "platform/utf8.h"

namespace lirractl {

namespace {

void Line(std::string& text, const std::string& name, const std::string& value) { text += name + ": " + value + "\n"; }

std::string CrashText(const DoctorCrashReport& crash) {
  std::string parts;
  if (!crash.dump.empty()) parts = "dump " + std::to_string(crash.dumpBytes) + " bytes";
  if (!crash.log.empty()) parts += parts.empty() ? "log" : ", log";
  return crash.name + " (" + parts + ")";
}

Json::Value Utf8(const std::string& ansi) { return lirra::WideToUtf8(lirra::OS().AnsiToWide(ansi)); }

Json::Value Object(const DoctorReport::Texts& texts) {
  Json::Value object(Json::objectValue);
  for (const auto& [name, value] : texts) object[name] = Utf8(value);
  return object;
}

Json::Value FileOrNull(const std::string& name) { return name.empty() ? Json::Value() : Utf8(name); }

}  // namespace

std::string DoctorPlainText(const DoctorReport& report) {
  std::string text;
  Line(text, "os", report.os);
  Line(text, "bits", std::to_string(report.bits));
  Line(text, "ie", std::to_string(report.ie));
  for (const auto& [name, state] : report.services) Line(text, "service." + name, state);
  for (const auto& [name, registered] : report.plugins) {
    Line(text, "plugin." + name, registered ? "registered" : "not registered");
  }
  Line(text, "omnikey", report.omnikey ? "present" : "missing");
  for (const auto& [section, value] : report.config) Line(text, "config." + section, value);
  for (const auto& [key, state] : report.packages) Line(text, "package." + key, state);
  Line(text, "platform", report.platformAnswers ? "answers" : "no answer");
  Line(text, "download", report.downloadAnswers ? "answers" : "no answer");
  if (report.crashReports.empty()) Line(text, "crash", "none");
  for (const DoctorCrashReport& crash : report.crashReports) Line(text, "crash", CrashText(crash));
  if (report.log.empty()) Line(text, "log", "none");
  for (const std::string& line : report.log) Line(text, "log", line);
  return text;
}

std::string DoctorJson(const DoctorReport& report) {
  Json::Value root(Json::objectValue);
  root["os"] = Utf8(report.os);
  root["bits"] = report.bits;
  root["ie"] = report.ie;
  root["services"] = Object(report.services);
  root["plugins"] = Json::Value(Json::objectValue);
  for (const auto& [name, registered] : report.plugins) root["plugins"][name] = registered;
  root["omnikey"] = report.omnikey;
  root["version"] = report.version.empty() ? Json::Value() : Utf8(report.version);
  root["config"] = Object(report.config);
  root["packages"] = Object(report.packages);
  root["platform"] = report.platformAnswers;
  root["download"] = report.downloadAnswers;
  root["crashReports"] = Json::Value(Json::arrayValue);
  for (const DoctorCrashReport& crash : report.crashReports) {
    Json::Value entry(Json::objectValue);
    entry["name"] = Utf8(crash.name);
    entry["dump"] = FileOrNull(crash.dump);
    entry["dumpBytes"] = Json::UInt64(crash.dumpBytes);
    entry["log"] = FileOrNull(crash.log);
    root["crashReports"].append(entry);
  }
  root["log"] = Json::Value(Json::arrayValue);
  for (const std::string& line : report.log) root["log"].append(Utf8(line));
    // StyledWriter writes to a string: the Windows build's jsoncpp has no stream writers.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  Json::StyledWriter writer;
  return writer.write(root);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

}  // namespace lirractl
