// Crash reports under Wine: a probe program faulting on each kind of thread, the names and the
// pruning in the crash folder, and the client faulting on purpose (LIRRA_CRASH_TEST=1) with
// lirractl doctor listing what it left, in both forms.
#include <gtest/gtest.h>
#include <json/json.h>
#include <windows.h>
// after windows.h
#include <dbghelp.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "store/crash_reports.h"
#include "store/support_log.h"
#include "store/win32/crash_writer.h"
#include "support/parse_json.h"
#include "support/temp_dir.h"
#include "win32_test_util.h"

namespace lirra {
namespace {

using test::ChildProcess;
using test::ReadFile;
using test::TempDir;
using test::Widen;
using test::WinePath;
using test::WriteFile;

constexpr DWORD kProcessWaitMs = 120000;
const std::regex kReportName(R"(lirra-\d{8}-\d{6})");

// What the tests read from a minidump: its signature, the stream types of its directory and the
// exception stream's thread and code.
struct DumpFacts {
  bool mdmp = false;
  std::set<std::uint32_t> streams;
  std::uint32_t exceptionThread = 0;
  std::uint32_t exceptionCode = 0;
};

std::uint32_t U32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  if (at + 4 <= bytes.size()) std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

DumpFacts ReadDump(const std::string& bytes) {
  DumpFacts facts;
  facts.mdmp = bytes.compare(0, 4, "MDMP") == 0;
  const std::uint32_t count = U32(bytes, 8);
  const std::uint32_t directory = U32(bytes, 12);
  for (std::uint32_t i = 0; i < count && directory + 12 * (i + 1) <= bytes.size(); ++i) {
    const std::size_t entry = directory + 12 * i;
    const std::uint32_t type = U32(bytes, entry);
    facts.streams.insert(type);
    if (type == ExceptionStream) {
      const std::uint32_t rva = U32(bytes, entry + 8);
      facts.exceptionThread = U32(bytes, rva);
      facts.exceptionCode = U32(bytes, rva + 8);  // after the thread id and its alignment
    }
  }
  return facts;
}

std::vector<std::string> CrashFiles(const TempDir& client) {
  const std::string folder = client.File("crash");
  return std::filesystem::is_directory(folder) ? test::Listing(folder) : std::vector<std::string>{};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// The one report in the folder: its name, after checking that it has both files.
std::string OnlyReport(const TempDir& client) {
  const std::vector<std::string> files = CrashFiles(client);
  if (files.size() != 2 || files[0].size() < 4) {
    ADD_FAILURE() << "expected one .dmp and one .log, found " << files.size() << " files";
    return {};
  }
  const std::string name = files[0].substr(0, files[0].size() - 4);
  EXPECT_EQ(files[0], name + ".dmp");
  EXPECT_EQ(files[1], name + ".log");
  EXPECT_TRUE(std::regex_match(name, kReportName)) << name;
  return name;
}

// The dump holds the module list, the threads and the fault with its thread; the log excerpt is
// a heading naming the fault, then exactly the newest lines of lirra.log, which lost nothing.
void ExpectReport(const TempDir& client, const std::string& name, DWORD code) {
  const DumpFacts dump = ReadDump(ReadFile(client.File("crash\\" + name + ".dmp")));
  EXPECT_TRUE(dump.mdmp);
  for (std::uint32_t stream : {ThreadListStream, ModuleListStream, ExceptionStream}) {
    EXPECT_EQ(dump.streams.count(stream), 1u) << "stream " << stream;
  }
  EXPECT_EQ(dump.exceptionCode, code);

  const std::string supportLog = client.File("lirra.log");
  const std::string logText = ReadFile(supportLog);
  const std::smatch faulting = [&] {
    std::smatch m;
    std::regex_search(logText, m, std::regex(R"(faulting thread (\d+))"));
    return m;
  }();
  if (!faulting.empty()) {
    EXPECT_EQ(std::to_string(dump.exceptionThread), faulting[1].str());
  }

  const std::vector<std::string> excerpt = Lines(ReadFile(client.File("crash\\" + name + ".log")));
  char fault[64];
  std::snprintf(fault, sizeof fault, "crash: exception 0x%08lX at ", static_cast<unsigned long>(code));
  ASSERT_GE(excerpt.size(), 4u);
  EXPECT_EQ(excerpt[1].rfind(fault, 0), 0u) << excerpt[1];
  EXPECT_EQ(excerpt[2], "dump: " + name + ".dmp");
  const std::vector<std::string> tail = ReadSupportLogTail(supportLog, kCrashLogLines);
  ASSERT_FALSE(tail.empty());
  EXPECT_NE(tail.back().find(fault), std::string::npos) << "the fault is the log's last line: " << tail.back();
  // Four heading lines and a blank one, then the tail.
  ASSERT_EQ(excerpt.size(), 5 + tail.size());
  EXPECT_EQ(std::vector<std::string>(excerpt.begin() + 5, excerpt.end()), tail);
}

std::wstring CopyInto(const TempDir& dir, const char* unixPath, const std::string& name) {
  const std::wstring target = Widen(dir.File(name));
  EXPECT_TRUE(CopyFileW(WinePath(unixPath).c_str(), target.c_str(), FALSE));
  return target;
}

struct FaultCase {
  const wchar_t* mode;
  DWORD code;
};

class CrashProbe : public ::testing::TestWithParam<FaultCase> {};

TEST_P(CrashProbe, EachKindOfThreadLeavesAReportAndAnEndWithTheFaultsCode) {
  TempDir client;
  ChildProcess probe(CopyInto(client, CRASH_PROBE_PATH, "crash_probe.exe"), GetParam().mode);
  ASSERT_TRUE(probe.Started());
  EXPECT_EQ(probe.WaitExit(kProcessWaitMs), GetParam().code);
  const std::string name = OnlyReport(client);
  if (!name.empty()) ExpectReport(client, name, GetParam().code);
  // The probe wrote 60 lines before the fault: the excerpt holds the newest 50, and lirra.log
  // itself keeps them all.
  EXPECT_EQ(ReadSupportLogTail(client.File("lirra.log"), kCrashLogLines).size(), kCrashLogLines);
  EXPECT_NE(ReadFile(client.File("lirra.log")).find("] entry 1\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Threads, CrashProbe,
                         ::testing::Values(FaultCase{L"main", EXCEPTION_ACCESS_VIOLATION},
                                           FaultCase{L"beginthread", EXCEPTION_ACCESS_VIOLATION},
                                           FaultCase{L"stdthread", EXCEPTION_ACCESS_VIOLATION},
                                           FaultCase{L"throw", win::kUncaughtCppExceptionCode}));

// The newest five reports stay (the new one among them); older ones go with both their files,
// and nothing else in the folder is touched.
TEST(CrashFolder, KeepsTheNewestFiveAndNothingElseGoes) {
  TempDir client;
  std::filesystem::create_directories(client.File("crash"));
  for (int day = 1; day <= 6; ++day) {
    const std::string name = "lirra-2020010" + std::to_string(day) + "-120000";
    WriteFile(client.File("crash\\" + name + ".dmp"), "MDMP");
    WriteFile(client.File("crash\\" + name + ".log"), "old");
  }
  WriteFile(client.File("crash\\notes.txt"), "support's own notes");
  ChildProcess probe(CopyInto(client, CRASH_PROBE_PATH, "crash_probe.exe"), L"main");
  ASSERT_TRUE(probe.Started());
  EXPECT_EQ(probe.WaitExit(kProcessWaitMs), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));

  const std::vector<std::string> files = CrashFiles(client);
  std::set<std::string> old;
  int fresh = 0;
  for (const std::string& file : files) {
    if (file.rfind("lirra-2020", 0) == 0) {
      old.insert(file);
    } else if (file != "notes.txt") {
      ++fresh;
    }
  }
  EXPECT_EQ(fresh, 2);
  std::set<std::string> expected;
  for (int day = 3; day <= 6; ++day) {
    for (const char* ext : {".dmp", ".log"}) expected.insert("lirra-2020010" + std::to_string(day) + "-120000" + ext);
  }
  EXPECT_EQ(old, expected);
  EXPECT_EQ(ReadFile(client.File("crash\\notes.txt")), "support's own notes");
}

// Two reports in one second: the second takes the next free name, and a name whose log alone
// is left (its dump was pruned or failed) is not reused either.
TEST(CrashFolder, ReportsOfOneSecondNeverShareAName) {
  TempDir folder;
  const CrashStamp stamp{2024, 5, 1, 9, 30, 12};
  const std::wstring dir = Widen(folder.path());
  win::ClaimedCrashReport first, second, third;
  ASSERT_TRUE(win::ClaimCrashReport(dir, stamp, first));
  ASSERT_TRUE(win::ClaimCrashReport(dir, stamp, second));
  WriteFile(folder.File("lirra-20240501-093012-3.log"), "a report without its dump");
  ASSERT_TRUE(win::ClaimCrashReport(dir, stamp, third));
  EXPECT_EQ(first.name, "lirra-20240501-093012");
  EXPECT_EQ(second.name, "lirra-20240501-093012-2");
  EXPECT_EQ(third.name, "lirra-20240501-093012-4");
  EXPECT_EQ(third.logPath, Widen(folder.File("lirra-20240501-093012-4.log")));
}

// The client started with LIRRA_CRASH_TEST=1 faults once its loading window is up, ends with
// the fault's code and leaves its report; lirractl doctor lists it in both forms.
TEST(ClientCrash, FaultsOnRequestAndDoctorListsTheReport) {
  TempDir client;
  const std::wstring exe = CopyInto(client, LIRRA_CLIENT_PATH, "lirra.exe");
  ASSERT_TRUE(SetEnvironmentVariableW(L"LIRRA_CRASH_TEST", L"1"));
  ChildProcess lirra(exe, L"");
  SetEnvironmentVariableW(L"LIRRA_CRASH_TEST", nullptr);
  ASSERT_TRUE(lirra.Started());
  EXPECT_EQ(lirra.WaitExit(kProcessWaitMs), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
  const std::string name = OnlyReport(client);
  ASSERT_FALSE(name.empty());
  ExpectReport(client, name, EXCEPTION_ACCESS_VIOLATION);
  const auto dumpBytes = std::filesystem::file_size(client.File("crash\\" + name + ".dmp"));

  TempDir out;
  const std::wstring lirractl = WinePath(LIRRACTL_PATH);
  const std::wstring dirArgument = L"--dir \"" + Widen(client.path()) + L"\"";
  ASSERT_EQ(test::RunWithOutput(lirractl, L"doctor " + dirArgument, out.File("plain.txt")), 0u);
  const std::string plain = ReadFile(out.File("plain.txt"));
  const std::string crashLine = "crash: " + name + " (dump " + std::to_string(dumpBytes) + " bytes, log)\r\n";
  EXPECT_NE(plain.find(crashLine), std::string::npos) << plain;

  ASSERT_EQ(test::RunWithOutput(lirractl, L"doctor --json " + dirArgument, out.File("report.json")), 0u);
  const Json::Value report = test::ParseJson(ReadFile(out.File("report.json")));
  ASSERT_TRUE(report.isObject());
  for (const char* member : {"os", "bits", "ie", "services", "plugins", "omnikey", "version", "crashReports", "log"}) {
    EXPECT_TRUE(report.isMember(member)) << member;
  }
  EXPECT_EQ(report["version"].asString(), "1.0.0.2");
  ASSERT_EQ(report["crashReports"].size(), 1u);
  const Json::Value& crash = report["crashReports"][0];
  EXPECT_EQ(crash["name"].asString(), name);
  EXPECT_EQ(crash["dump"].asString(), name + ".dmp");
  EXPECT_EQ(crash["dumpBytes"].asUInt64(), dumpBytes);
  EXPECT_EQ(crash["log"].asString(), name + ".log");
  // The same gathering: the plain form's lines for the same facts.
  EXPECT_NE(plain.find("os: " + report["os"].asString() + "\r\n"), std::string::npos);
  EXPECT_NE(plain.find("bits: " + std::to_string(report["bits"].asInt()) + "\r\n"), std::string::npos);
  ASSERT_FALSE(report["log"].empty());
  EXPECT_NE(plain.find("log: " + report["log"][report["log"].size() - 1].asString() + "\r\n"), std::string::npos);
}

}  // namespace
}  // namespace lirra
