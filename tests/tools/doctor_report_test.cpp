// lirractl doctor's two forms: the JSON object says what the plain lines say, member by member,
// for reports with and without crash reports and log lines.
#include "doctor_report.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/utf8.h"
#include "support/parse_json.h"

namespace lirractl {
namespace {

using lirra::OS;

// Report texts are in the ANSI code page; the JSON object holds them as UTF-8.
const std::string kLoggedText = OS().WideToAnsi(L"a \"quoted\" C:\\path and 正在检查");

std::string Ansi(const Json::Value& utf8) { return OS().WideToAnsi(lirra::Utf8ToWide(utf8.asString())); }

DoctorReport Empty() {
  DoctorReport report;
  report.os = "XP";
  report.bits = 32;
  report.ie = 0;
  return report;
}

DoctorReport Full() {
  DoctorReport report;
  report.os = "10";
  report.bits = 64;
  report.ie = 11;
  report.services = {{"upnphost", "running"}, {"AxInstSV", "stopped"}, {"SCardSvr", "missing"}};
  report.plugins = {{"HID", true}, {"YSB", false}, {"NJYS", false}, {"WHJL", true}, {"SDSS", false}};
  report.omnikey = true;
  report.version = "1.0.0.2";
  report.config = {{"HID", "1"}, {"NJYS", "unset"}};
  report.packages = {{"HID", "ok"}, {"IE8", "digest mismatch"}, {"YSB", "missing"}};
  report.platformAnswers = true;
  report.crashReports = {{"lirra-20240501-093012-2", "lirra-20240501-093012-2.dmp", 70123, ""},
                         {"lirra-20240501-093012", "", 0, "lirra-20240501-093012.log"},
                         {"lirra-20240430-080000", "lirra-20240430-080000.dmp", 5, "lirra-20240430-080000.log"}};
  report.log = {"2024-05-01 09:30:12.345 [12] load file config.ini", "2024-05-01 09:30:12.400 [12] " + kLoggedText};
  return report;
}

std::string Text(const Json::Value& value, const char* yes, const char* no) {
  return value.isBool() ? (value.asBool() ? yes : no) : "<not a bool>";
}

// The plain lines a reader of the JSON object would write, in the plain form's vocabulary.
std::vector<std::string> PlainLinesFromJson(const Json::Value& json) {
  std::vector<std::string> lines = {"os: " + json["os"].asString(), "bits: " + std::to_string(json["bits"].asInt()),
                                    "ie: " + std::to_string(json["ie"].asInt())};
  for (const std::string& name : json["services"].getMemberNames()) {
    lines.push_back("service." + name + ": " + json["services"][name].asString());
  }
  for (const std::string& name : json["plugins"].getMemberNames()) {
    lines.push_back("plugin." + name + ": " + Text(json["plugins"][name], "registered", "not registered"));
  }
  lines.push_back("omnikey: " + Text(json["omnikey"], "present", "missing"));
  for (const std::string& name : json["config"].getMemberNames()) {
    lines.push_back("config." + name + ": " + json["config"][name].asString());
  }
  for (const std::string& name : json["packages"].getMemberNames()) {
    lines.push_back("package." + name + ": " + json["packages"][name].asString());
  }
  lines.push_back("platform: " + Text(json["platform"], "answers", "no answer"));
  lines.push_back("download: " + Text(json["download"], "answers", "no answer"));
  if (json["crashReports"].empty()) lines.push_back("crash: none");
  for (const Json::Value& crash : json["crashReports"]) {
    std::string parts;
    if (!crash["dump"].isNull()) parts = "dump " + std::to_string(crash["dumpBytes"].asUInt64()) + " bytes";
    if (!crash["log"].isNull()) parts += parts.empty() ? "log" : ", log";
    lines.push_back("crash: " + crash["name"].asString() + " (" + parts + ")");
  }
  if (json["log"].empty()) lines.push_back("log: none");
  for (const Json::Value& line : json["log"]) lines.push_back("log: " + Ansi(line));
  return lines;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    start = end == std::string::npos ? text.size() : end + 1;
  }
  return lines;
}

class DoctorForms : public ::testing::TestWithParam<DoctorReport (*)()> {};

TEST_P(DoctorForms, TheJsonObjectSaysWhatThePlainLinesSay) {
  const DoctorReport report = GetParam()();
  const Json::Value json = lirra::test::ParseJson(DoctorJson(report));
  ASSERT_TRUE(json.isObject());
  for (const char* member : {"os", "bits", "ie", "services", "plugins", "omnikey", "version", "config", "packages",
                             "platform", "download", "crashReports", "log"}) {
    EXPECT_TRUE(json.isMember(member)) << member;
  }
  EXPECT_EQ(json.size(), 13u) << "a member the plain form lacks";
  // Objects come back sorted by name: compare as sets of lines, the order of crash reports and
  // log lines below.
  std::vector<std::string> fromJson = PlainLinesFromJson(json);
  std::vector<std::string> plain = SplitLines(DoctorPlainText(report));
  EXPECT_EQ(plain.size(), fromJson.size());
  std::sort(fromJson.begin(), fromJson.end());
  std::sort(plain.begin(), plain.end());
  EXPECT_EQ(plain, fromJson);

  EXPECT_EQ(json["version"].isNull(), report.version.empty());
  if (!report.version.empty()) {
    EXPECT_EQ(json["version"].asString(), report.version);
  }
  ASSERT_EQ(json["log"].size(), report.log.size());
  for (Json::ArrayIndex i = 0; i < json["log"].size(); ++i) {
    EXPECT_EQ(json["log"][i].asString(), lirra::WideToUtf8(OS().AnsiToWide(report.log[i])));
  }
  ASSERT_EQ(json["crashReports"].size(), report.crashReports.size());
  for (Json::ArrayIndex i = 0; i < json["crashReports"].size(); ++i) {
    EXPECT_EQ(json["crashReports"][i]["name"].asString(), report.crashReports[i].name);
  }
}

INSTANTIATE_TEST_SUITE_P(Reports, DoctorForms, ::testing::Values(&Empty, &Full));

// The plain form keeps its lines, with the crash reports before the log that ends it.
TEST(DoctorPlainText, CrashReportsStandBeforeTheLog) {
  const std::vector<std::string> lines = SplitLines(DoctorPlainText(Full()));
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[lines.size() - 5], "crash: lirra-20240501-093012-2 (dump 70123 bytes)");
  EXPECT_EQ(lines[lines.size() - 4], "crash: lirra-20240501-093012 (log)");
  EXPECT_EQ(lines[lines.size() - 3], "crash: lirra-20240430-080000 (dump 5 bytes, log)");
  EXPECT_EQ(lines.back(), "log: 2024-05-01 09:30:12.400 [12] " + kLoggedText);
  const std::vector<std::string> empty = SplitLines(DoctorPlainText(Empty()));
  ASSERT_GE(empty.size(), 2u);
  EXPECT_EQ(empty[empty.size() - 2], "crash: none");
  EXPECT_EQ(empty.back(), "log: none");
}

}  // namespace
}  // namespace lirractl
