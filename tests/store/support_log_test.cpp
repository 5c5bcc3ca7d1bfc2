// The support log: stamped lines, the bound with one older copy, many threads at once, the
// tail that lirractl doctor prints, and folders where nothing can be kept.
#include "store/support_log.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/thread_id.h"
#include "store/support_log.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace lirra {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// "2024-05-01 12:34:56.789 [1234] text": local time to the millisecond, then the thread.
const std::regex kLine(R"((\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}) \[(\d+)\] (.*))");

std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> lines;
  const std::string bytes = ReadFile(path);
  if (bytes == "<missing>") return lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back("<no line end>" + bytes.substr(start));
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// The text of a well-formed line, or a marker that fails any comparison with real text.
std::string TextOf(const std::string& line, std::string* thread = nullptr) {
  std::smatch match;
  if (!std::regex_match(line, match, kLine)) return "<malformed: " + line + ">";
  if (thread) *thread = match[2];
  return match[3];
}

std::uint64_t SizeOf(const std::string& path) {
  std::error_code ec;
  auto size = std::filesystem::file_size(path, ec);
  return ec ? 0 : size;
}

TEST(SupportLog, EachLineIsStampedWithTimeAndThread) {
  TempDir dir;
  const std::string path = dir.File("lirra.log");
  SupportLog log(path);
  ASSERT_TRUE(log.IsOpen());
  // Trace texts come with their own line ends, blank lines and Windows line ends included.
  log.Write("load file C:\\shop\\file.ini\n\n");
  log.Write("get latst Versioninfo Fail! ret=[-1].\r\n");
  log.Write("first\nsecond");
  std::thread([&log] { log.Write("from a worker"); }).join();

  const std::vector<std::string> lines = Lines(path);
  ASSERT_EQ(lines.size(), 5u);
  std::vector<std::string> threads(lines.size());
  const char* const expected[] = {"load file C:\\shop\\file.ini", "get latst Versioninfo Fail! ret=[-1].", "first",
                                  "second", "from a worker"};
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(TextOf(lines[i], &threads[i]), expected[i]);
  EXPECT_EQ(threads[0], std::to_string(CurrentThreadId()));
  EXPECT_EQ(threads[3], threads[0]);
  EXPECT_NE(threads[4], threads[0]) << "the worker's line names the worker";
}

TEST(SupportLog, RollsOverAtItsBoundKeepingOneOlderCopy) {
  TempDir dir;
  const std::string path = dir.File("lirra.log");
  constexpr std::uint64_t kBound = 1000;
  SupportLog log(path, kBound);
  std::vector<std::string> written;
  for (int i = 0; i < 100; ++i) {
    written.push_back("line " + std::to_string(i) + std::string(20, 'x'));
    log.Write(written.back());
    ASSERT_LE(SizeOf(path), kBound) << "after line " << i;
    ASSERT_LE(SizeOf(path + ".1"), kBound) << "after line " << i;
  }
  EXPECT_FALSE(FileExists(path + ".2"));
  EXPECT_FALSE(FileExists(path + ".1.1"));

  // The two files hold the newest lines in order, with no gap between them: the older copy is
  // the file as it was just before the last roll-over.
  std::vector<std::string> kept = Lines(path + ".1");
  const std::vector<std::string> current = Lines(path);
  ASSERT_FALSE(kept.empty());
  ASSERT_FALSE(current.empty());
  kept.insert(kept.end(), current.begin(), current.end());
  ASSERT_LT(kept.size(), written.size()) << "nothing rolled over";
  const std::size_t first = written.size() - kept.size();
  for (std::size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(TextOf(kept[i]), written[first + i]);
  // A full file: the next line would not have fitted.
  EXPECT_GT(SizeOf(path + ".1") + current.front().size() + 2, kBound);
}

TEST(SupportLog, ARestartAppendsAndCountsWhatIsThere) {
  TempDir dir;
  const std::string path = dir.File("lirra.log");
  WriteFile(path, "earlier\r\n");
  SupportLog(path, 1000).Write("again");
  std::vector<std::string> lines = Lines(path);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "earlier");
  EXPECT_EQ(TextOf(lines[1]), "again");

  // A file already at its bound rolls over before the first new line.
  const std::string full = std::string(990, 'e') + "\r\n";
  WriteFile(path, full);
  SupportLog(path, 1000).Write("after the roll");
  EXPECT_EQ(ReadFile(path + ".1"), full);
  lines = Lines(path);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(TextOf(lines[0]), "after the roll");
}

TEST(SupportLog, ALineLongerThanTheBoundIsCut) {
  TempDir dir;
  const std::string path = dir.File("lirra.log");
  SupportLog log(path, 1000);
  log.Write("long " + std::string(5000, 'y'));
  EXPECT_EQ(SizeOf(path), 1000u);
  const std::vector<std::string> lines = Lines(path);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(TextOf(lines[0]).substr(0, 6), "long y");
}

// Lines from several threads never mix, whether or not the file rolls over meanwhile.
class SupportLogThreads : public testing::TestWithParam<std::uint64_t> {};

TEST_P(SupportLogThreads, LinesStayWhole) {
  TempDir dir;
  const std::string path = dir.File("lirra.log");
  const std::uint64_t bound = GetParam();
  constexpr int kThreads = 4;
  constexpr int kLinesEach = 300;
  {
    SupportLog log(path, bound);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&log, t] {
        for (int i = 0; i < kLinesEach; ++i) log.Write("thread " + std::to_string(t) + " line " + std::to_string(i));
      });
    }
    for (std::thread& thread : threads) thread.join();
  }
  EXPECT_LE(SizeOf(path), bound);
  EXPECT_LE(SizeOf(path + ".1"), bound);
  std::vector<std::string> lines = Lines(path + ".1");
  const std::vector<std::string> current = Lines(path);
  lines.insert(lines.end(), current.begin(), current.end());
  // Each thread's lines keep their order; all of them are there when nothing rolled over.
  std::vector<int> next(kThreads, -1);
  const std::regex text(R"(thread (\d) line (\d+))");
  for (const std::string& line : lines) {
    std::smatch match;
    const std::string body = TextOf(line);
    ASSERT_TRUE(std::regex_match(body, match, text)) << line;
    const int t = std::stoi(match[1]);
    const int i = std::stoi(match[2]);
    EXPECT_GT(i, next[t]) << line;
    next[t] = i;
  }
  if (bound == kSupportLogBound) {
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLinesEach));
    EXPECT_FALSE(FileExists(path + ".1"));
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(next[t], kLinesEach - 1) << "the last line of thread " << t;
  } else {
    EXPECT_TRUE(FileExists(path + ".1"));
  }
}

INSTANTIATE_TEST_SUITE_P(Bounds, SupportLogThreads, testing::Values(kSupportLogBound, std::uint64_t{4000}),
                         [](const testing::TestParamInfo<std::uint64_t>& info) {
                           return info.param == kSupportLogBound ? std::string("within_the_bound")
                                                                 : std::string("rolling_over");
                         });

TEST(SupportLog, TailTakesTheNewestLinesAcrossTheOlderCopy) {
  TempDir dir;
  const std::string path = dir.File("lirra.log");
  {
    SupportLog log(path, 600);
    for (int i = 0; i < 40; ++i) log.Write("entry " + std::to_string(i));
  }
  const std::size_t inCurrent = Lines(path).size();
  ASSERT_TRUE(FileExists(path + ".1"));
  for (std::size_t count : {std::size_t{3}, inCurrent + 2}) {
    const std::vector<std::string> tail = ReadSupportLogTail(path, count);
    ASSERT_EQ(tail.size(), count);
    for (std::size_t i = 0; i < count; ++i) EXPECT_EQ(TextOf(tail[i]), "entry " + std::to_string(40 - count + i));
  }
  EXPECT_TRUE(ReadSupportLogTail(dir.File("none.log"), 5).empty());
}

// Folders where nothing can be kept. The tests run as root natively, which permission bits do
// not stop, so the folder is a path below a regular file: no one can create a file there.
struct Unkeepable {
  const char* name;
  bool underARegularFile;  // otherwise the path names a device that refuses every write
};

class SupportLogNothingKept : public testing::TestWithParam<Unkeepable> {};

TEST_P(SupportLogNothingKept, WritesGoOnWithoutAFile) {
  TempDir dir;
  const std::string blocker = dir.File("not-a-folder");
  WriteFile(blocker, "a file where a folder should be");
  const std::string path = GetParam().underARegularFile ? blocker + "/lirra.log" : "/dev/full";
  SupportLog log(path, 1000);
  for (int i = 0; i < 3; ++i) log.Write("trace " + std::to_string(i) + "\n");
  EXPECT_FALSE(log.IsOpen());
  EXPECT_EQ(ReadFile(blocker), "a file where a folder should be");
  EXPECT_TRUE(ReadSupportLogTail(blocker + "/lirra.log", 5).empty());
}

std::vector<Unkeepable> UnkeepableCases() {
  std::vector<Unkeepable> cases = {{"folder_is_a_regular_file", true}};
#ifndef _WIN32
  cases.push_back({"disk_full", false});
#endif
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Folders, SupportLogNothingKept, testing::ValuesIn(UnkeepableCases()),
                         [](const testing::TestParamInfo<Unkeepable>& info) { return std::string(info.param.name); });

// What may lie in the log's place, put there by another program: a link to a file of the user's
// that the log must never write, or something that is not a file at all.
enum class Planted { kSymlink, kDanglingSymlink, kHardLink, kFifo, kSymlinkedOlderCopy, kSymlinkWhileOpen };

struct PlantedCase {
  const char* name;
  Planted planted;
};

void PrintTo(const PlantedCase& c, std::ostream* os) { *os << c.name; }

class SupportLogPlanted : public testing::TestWithParam<PlantedCase> {};

TEST_P(SupportLogPlanted, NoLinkIsFollowed) {
  TempDir dir;
  const std::string path = dir.File("lirra.log");
  const std::string victim = dir.File("victim.txt");
  const std::string original = "the user's own file\r\n";
  constexpr std::uint64_t kBound = 400;
  if (GetParam().planted != Planted::kDanglingSymlink) WriteFile(victim, original);
  std::filesystem::path logPath(path), victimPath(victim);
  switch (GetParam().planted) {
    case Planted::kSymlink:
    case Planted::kDanglingSymlink:
      std::filesystem::create_symlink(victimPath, logPath);
      break;
    case Planted::kHardLink:
      std::filesystem::create_hard_link(victimPath, logPath);
      break;
    case Planted::kFifo:
#ifndef _WIN32
      ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
#endif
      break;
    case Planted::kSymlinkedOlderCopy:
      WriteFile(path, std::string(kBound - 10, 'o') + "\r\n");  // full: the first line rolls it over
      std::filesystem::create_symlink(victimPath, path + ".1");
      break;
    case Planted::kSymlinkWhileOpen:
      break;
  }
  {
    SupportLog log(path, kBound);
    if (GetParam().planted == Planted::kSymlinkWhileOpen) {
      ASSERT_TRUE(log.IsOpen());
      std::filesystem::create_symlink(victimPath, dir.File("link"));
      std::filesystem::rename(dir.File("link"), logPath);
    }
    // Enough to roll over more than once.
    for (int i = 0; i < 30; ++i) log.Write("line " + std::to_string(i) + std::string(30, 'x'));
  }
  if (GetParam().planted == Planted::kDanglingSymlink) {
    EXPECT_FALSE(FileExists(victim)) << "created through the link";
  } else {
    EXPECT_EQ(ReadFile(victim), original);
  }
}

std::vector<PlantedCase> PlantedCases() {
  std::vector<PlantedCase> cases = {{"hard_link", Planted::kHardLink}};
#ifndef _WIN32
  cases.insert(cases.end(), {{"symlink", Planted::kSymlink},
                             {"dangling_symlink", Planted::kDanglingSymlink},
                             {"fifo", Planted::kFifo},
                             {"symlinked_older_copy", Planted::kSymlinkedOlderCopy},
                             {"symlink_while_open", Planted::kSymlinkWhileOpen}});
#endif
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Places, SupportLogPlanted, testing::ValuesIn(PlantedCases()),
                         [](const testing::TestParamInfo<PlantedCase>& info) { return std::string(info.param.name); });

#if GTEST_HAS_DEATH_TEST && !defined(_WIN32)
// The process-wide log opens once per process, so each case runs in a child of its own.
int TraceIntoTheProcessLog(const std::string& folder, const std::string& streamPath) {
  test::FakePlatform fake;
  fake.modulePath = fake.AnsiToWide(folder + "/lirra.exe");
  fake.productVersion = L"9.8.7.6";
  const bool opened = OpenSupportLog();
  std::FILE* stream = std::fopen(streamPath.c_str(), "wb");
  SetTraceStream(stream);
  SupportTrace("load file %s\n\n", "file.ini");
  std::fclose(stream);
  SetTraceStream(nullptr);
  SupportTrace("get latst Versioninfo Fail! ret=[%d].\r\n", -1);
  return opened ? 10 : 20;
}

TEST(SupportLogProcess, ClientTraceLinesLandBesideTheExecutable) {
  TempDir dir;
  const std::string stream = dir.File("stdout.txt");
  EXPECT_EXIT(std::exit(TraceIntoTheProcessLog(dir.path(), stream)), testing::ExitedWithCode(10), "");
  const std::vector<std::string> lines = Lines(dir.File("lirra.log"));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(TextOf(lines[0]), "start " + dir.path() + "/lirra.exe 9.8.7.6");
  EXPECT_EQ(TextOf(lines[1]), "load file file.ini");
  EXPECT_EQ(TextOf(lines[2]), "get latst Versioninfo Fail! ret=[-1].");
  EXPECT_EQ(ReadFile(stream), "load file file.ini\n\n") << "the trace stream still gets the line";
}

TEST(SupportLogProcess, AnUnwritableFolderLeavesTheTraceStreamAlone) {
  TempDir dir;
  const std::string blocker = dir.File("not-a-folder");
  WriteFile(blocker, "x");
  const std::string stream = dir.File("stdout.txt");
  EXPECT_EXIT(std::exit(TraceIntoTheProcessLog(blocker, stream)), testing::ExitedWithCode(20), "");
  EXPECT_EQ(ReadFile(stream), "load file file.ini\n\n");
  EXPECT_EQ(ReadFile(blocker), "x");
}
#endif

}  // namespace
}  // namespace lirra
