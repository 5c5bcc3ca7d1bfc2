// Crash report names, the order that decides which five stay, and the log excerpt.
#include "store/crash_reports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace lirra {
namespace {

using test::TempDir;
using test::WriteFile;

TEST(CrashReportName, StampAndSequence) {
  const CrashStamp stamp{2024, 5, 1, 9, 3, 7};
  EXPECT_EQ(CrashReportName(stamp, 1), "lirra-20240501-090307");
  EXPECT_EQ(CrashReportName(stamp, 2), "lirra-20240501-090307-2");
  EXPECT_EQ(CrashReportName(stamp, 12), "lirra-20240501-090307-12");
}

// Only names the client writes are reports; the newest first, the sequence counted as a number.
TEST(FindCrashReports, PairsTheFilesOfOneNameAndOrdersNewestFirst) {
  const std::vector<std::string> files = {
      "lirra-20240501-093012.dmp",    "lirra-20240501-093012.log",   "lirra-20240501-093012-10.dmp",
      "lirra-20240501-093012-9.log",  "lirra-20231231-235959.dmp",   "notes.txt",
      "lirra-20240501-093012-01.dmp", "lirra-20240501-093012-1.dmp", "lirra-2024050-1093012.dmp",
      "lirra-20240501-093012.txt",    "LIRRA-20240601-000000.dmp",   "lirra-20240501-093012-100.dmp",
      "xlirra-20240601-000000.dmp",   "lirra-20240501-0930123.log"};
  const std::vector<CrashReportFiles> reports = FindCrashReports(files);
  std::vector<std::string> names;
  for (const CrashReportFiles& report : reports) names.push_back(report.name);
  EXPECT_EQ(names, (std::vector<std::string>{"lirra-20240501-093012-10", "lirra-20240501-093012-9",
                                             "lirra-20240501-093012", "lirra-20231231-235959"}));
  ASSERT_EQ(reports.size(), 4u);
  EXPECT_EQ(reports[0].dump, "lirra-20240501-093012-10.dmp");
  EXPECT_EQ(reports[0].log, "");
  EXPECT_EQ(reports[1].dump, "");
  EXPECT_EQ(reports[1].log, "lirra-20240501-093012-9.log");
  EXPECT_EQ(reports[2].dump, "lirra-20240501-093012.dmp");
  EXPECT_EQ(reports[2].log, "lirra-20240501-093012.log");
}

struct PruneCase {
  const char* what;
  std::vector<std::string> files;
  std::vector<std::string> pruned;
};

class CrashPruning : public ::testing::TestWithParam<PruneCase> {};

TEST_P(CrashPruning, KeepsTheNewestFive) {
  std::vector<std::string> pruned = CrashFilesToPrune(GetParam().files, kCrashReportsKept);
  std::sort(pruned.begin(), pruned.end());
  std::vector<std::string> expected = GetParam().pruned;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(pruned, expected) << GetParam().what;
}

std::vector<std::string> Pairs(std::vector<std::string> names) {
  std::vector<std::string> files;
  for (const std::string& name : names) {
    files.push_back(name + ".dmp");
    files.push_back(name + ".log");
  }
  return files;
}

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CrashPruning,
    ::testing::Values(
        PruneCase{"five reports: nothing goes",
                  Pairs({"lirra-20240101-000001", "lirra-20240101-000002", "lirra-20240101-000003",
                         "lirra-20240101-000004", "lirra-20240101-000005"}),
                  {}},
        PruneCase{"six: the oldest goes with both files",
                  Pairs({"lirra-20240101-000006", "lirra-20240101-000001", "lirra-20240101-000003",
                         "lirra-20240101-000004", "lirra-20240101-000005", "lirra-20240101-000002"}),
                  Pairs({"lirra-20240101-000001"})},
        PruneCase{"the year's last second is older than the next year's first",
                  Pairs({"lirra-20231231-235959", "lirra-20240101-000000", "lirra-20240101-000001",
                         "lirra-20240101-000002", "lirra-20240101-000003", "lirra-20240101-000004"}),
                  Pairs({"lirra-20231231-235959"})},
        PruneCase{"-10 is newer than -9 of the same second",
                  Pairs({"lirra-20240101-000000", "lirra-20240101-000000-2", "lirra-20240101-000000-9",
                         "lirra-20240101-000000-10", "lirra-20240101-000000-3", "lirra-20240101-000000-4"}),
                  Pairs({"lirra-20240101-000000"})},
        PruneCase{"a dump or a log alone counts as a report",
                  Join(Pairs({"lirra-20240101-000003", "lirra-20240101-000004", "lirra-20240101-000005",
                              "lirra-20240101-000006"}),
                       {"lirra-20240101-000001.log", "lirra-20240101-000002.dmp"}),
                  {"lirra-20240101-000001.log"}},
        PruneCase{"other files are never named",
                  Join(Pairs({"lirra-20240101-000001", "lirra-20240101-000002", "lirra-20240101-000003",
                              "lirra-20240101-000004", "lirra-20240101-000005"}),
                       {"lirra-19990101-000000.txt", "readme.log", "lirra-1999.dmp", "old-lirra-19990101-000000.dmp"}),
                  {}}));

// The support log's newest lines after the heading, reaching into its older copy; nothing when
// there is no log.
TEST(CrashLogExcerpt, HeadingThenTheNewestFiftyLines) {
  TempDir dir;
  std::string older, current;
  for (int i = 1; i <= 40; ++i) older += "2024-05-01 12:00:00.000 [7] entry " + std::to_string(i) + "\r\n";
  for (int i = 41; i <= 70; ++i) current += "2024-05-01 12:00:01.000 [7] entry " + std::to_string(i) + "\r\n";
  const std::string log = dir.File("lirra.log");
  WriteFile(log + ".1", older);
  WriteFile(log, current);

  std::string expected = "first\r\nsecond\r\n\r\n";
  for (int i = 21; i <= 40; ++i) expected += "2024-05-01 12:00:00.000 [7] entry " + std::to_string(i) + "\r\n";
  expected += current;
  EXPECT_EQ(CrashLogExcerpt({"first", "second"}, log), expected);
  EXPECT_EQ(CrashLogExcerpt({"first"}, dir.File("none.log")), "first\r\n\r\n(no support log)\r\n");
}

}  // namespace
}  // namespace lirra
