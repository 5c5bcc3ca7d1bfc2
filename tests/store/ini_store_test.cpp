// The INI store beyond single byte cases: loading and the current file, buffer limits, use
// from several threads, and rewrites that fail without harming the old file.
#include "store/ini_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ordinary_user.h"
#include "support/temp_dir.h"
#include "write_refusal.h"

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

namespace lirra {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::vector<std::string> Listing(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Reads through the store into a std::string; the buffer starts filled so a missing terminator shows.
std::pair<int, std::string> Get(const char* section, const char* key, const char* fallback = "dflt") {
  char out[256];
  std::fill(std::begin(out), std::end(out), '#');
  int result = IniReadString(section, key, out, sizeof out, fallback);
  return {result, out};
}

class IniStoreTest : public testing::Test {
 protected:
  void TearDown() override { IniFreeFile(); }

  // A file in the temp folder, written and loaded.
  std::string Loaded(const std::string& name, const std::string& bytes) {
    std::string path = dir.File(name);
    WriteFile(path, bytes);
    EXPECT_EQ(IniLoadFile(path.c_str()), 1);
    return path;
  }

  TempDir dir;
};

TEST_F(IniStoreTest, ReadWithoutTextGivesEmptyNotDefault) {
  IniFreeFile();
  EXPECT_EQ(Get("HID", "value"), std::make_pair(0, std::string()));
  EXPECT_EQ(Get(nullptr, "value"), std::make_pair(0, std::string()));
}

TEST_F(IniStoreTest, EmptyFileLoads) {
  Loaded("empty.ini", "");
  EXPECT_EQ(Get("HID", "value"), std::make_pair(0, std::string("dflt")));
}

TEST_F(IniStoreTest, NullKeyGivesEmptyAndWritesNothing) {
  std::string path = Loaded("a.ini", "[s]\nk=1\n");
  EXPECT_EQ(Get("s", nullptr), std::make_pair(0, std::string()));
  EXPECT_EQ(IniWriteString("s", nullptr, "1"), 0);
  EXPECT_EQ(ReadFile(path), "[s]\nk=1\n");
}

TEST_F(IniStoreTest, FailedLoadDropsTheEarlierText) {
  std::string a = Loaded("a.ini", "[HID]\nvalue=1\n");
  std::string missing = dir.File("missing.ini");
  EXPECT_EQ(IniLoadFile(missing.c_str()), -1);
  EXPECT_EQ(Get("HID", "value"), std::make_pair(0, std::string()));
  EXPECT_EQ(IniWriteString("HID", "value", "2"), 0);
  EXPECT_EQ(ReadFile(a), "[HID]\nvalue=1\n");
  EXPECT_FALSE(FileExists(missing));
}

TEST_F(IniStoreTest, FolderIsNotAFile) {
  std::string sub = dir.File("sub.ini");
  std::filesystem::create_directory(sub);
  EXPECT_EQ(IniLoadFile(sub.c_str()), -1);
  EXPECT_EQ(IniWriteString("s", "k", "v"), 0);
  EXPECT_TRUE(std::filesystem::is_directory(sub));
}

TEST_F(IniStoreTest, WriteAfterFreeWritesNothing) {
  std::string path = Loaded("a.ini", "[HID]\nvalue=0\n");
  IniFreeFile();
  EXPECT_EQ(IniWriteString("HID", "value", "1"), 0);
  EXPECT_EQ(IniWriteString("NEW", "value", "1"), 0);
  EXPECT_EQ(ReadFile(path), "[HID]\nvalue=0\n");
  EXPECT_EQ(Get("HID", "value"), std::make_pair(0, std::string()));
}

TEST_F(IniStoreTest, NothingIsCachedBetweenLoads) {
  std::string path = Loaded("a.ini", "[HID]\nvalue=0\n");
  WriteFile(path, "[HID]\nvalue=7\n");
  EXPECT_EQ(Get("HID", "value"), std::make_pair(1, std::string("0")));
  ASSERT_EQ(IniLoadFile(path.c_str()), 1);
  EXPECT_EQ(Get("HID", "value"), std::make_pair(1, std::string("7")));
}

// Paths of exactly 255 bytes work end to end; 256 bytes are refused even when the file exists.
TEST_F(IniStoreTest, PathLengthLimit) {
  std::string base = dir.File("");
  ASSERT_LT(base.size(), 200u);
  std::string longest = base + std::string(255 - base.size(), 'p');
  std::string tooLong = base + std::string(256 - base.size(), 'q');
  ASSERT_EQ(longest.size(), 255u);
  ASSERT_EQ(tooLong.size(), 256u);
  WriteFile(longest, "[s]\nk=1\n");
  WriteFile(tooLong, "[s]\nk=1\n");

  ASSERT_EQ(IniLoadFile(longest.c_str()), 1);
  EXPECT_EQ(Get("s", "k"), std::make_pair(1, std::string("1")));
  EXPECT_EQ(IniWriteString("s", "k", "2"), 1);
  EXPECT_EQ(ReadFile(longest), "[s]\nk = 2\n");
  EXPECT_EQ(Get("s", "k"), std::make_pair(1, std::string("2")));

  EXPECT_EQ(IniLoadFile(tooLong.c_str()), -1);
  EXPECT_EQ(Get("s", "k"), std::make_pair(0, std::string()));
  EXPECT_EQ(IniWriteString("s", "k", "3"), 0);
  EXPECT_EQ(ReadFile(longest), "[s]\nk = 2\n");
  EXPECT_EQ(ReadFile(tooLong), "[s]\nk=1\n");
}

TEST_F(IniStoreTest, OutputSizeBelowOneLeavesBufferAlone) {
  Loaded("a.ini", "[s]\nk=value\n");
  for (int size : {0, -1, -64}) {
    char out[8] = "xyz";
    IniReadString("s", "k", out, size, "dflt");
    EXPECT_STREQ(out, "xyz") << "size " << size;
    IniReadString("s", "missing", out, size, "dflt");
    EXPECT_STREQ(out, "xyz") << "size " << size;
  }
}

TEST_F(IniStoreTest, NullOutputStillAnswers) {
  Loaded("a.ini", "[s]\nk=value\n");
  EXPECT_EQ(IniReadString("s", "k", nullptr, 64, "dflt"), 1);
  EXPECT_EQ(IniReadString("s", "j", nullptr, 64, "dflt"), 0);
}

// A file of `size` bytes that starts with a key line; sparse where the file system allows.
void WriteSparseIni(const std::string& path, long size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("[s]\nk=1\n", f);
  ASSERT_EQ(std::fseek(f, size - 1, SEEK_SET), 0);
  std::fputc('\n', f);
  std::fclose(f);
}

TEST_F(IniStoreTest, FileSizeLimit) {
  constexpr long kLimit = 64L * 1024 * 1024;
  std::string path = dir.File("big.ini");
  WriteSparseIni(path, kLimit);
  EXPECT_EQ(IniLoadFile(path.c_str()), 1);
  EXPECT_EQ(Get("s", "k"), std::make_pair(1, std::string("1")));

  WriteSparseIni(path, kLimit + 1);
  EXPECT_EQ(IniLoadFile(path.c_str()), 0);
  EXPECT_EQ(Get("s", "k"), std::make_pair(0, std::string()));
  EXPECT_EQ(IniWriteString("s", "k", "2"), 0);
}

TEST_F(IniStoreTest, SuccessfulWritesLeaveNoTemporaryFiles) {
  Loaded("a.ini", "[s]\nk=1\n");
  ASSERT_EQ(IniWriteString("s", "k", "2"), 1);
  ASSERT_EQ(IniWriteString("t", "k", "3"), 1);
  ASSERT_EQ(IniWriteString("s", "k", nullptr), 1);
  EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"a.ini"});
}

TEST_F(IniStoreTest, ReadOnlyFileKeepsContent) {
  std::string path = Loaded("a.ini", "[s]\r\nk=1\r\n");
  test::MakeFileReadOnly(path);
  test::AsOrdinaryUser({dir.path(), path}, [&] {
    {
      test::WriteRefusal refusal(path);
      ASSERT_NO_FATAL_FAILURE(refusal.ExpectReal());
      EXPECT_EQ(IniWriteString("s", "k", "2"), 0);
      EXPECT_EQ(IniWriteString("t", "k", "2"), 0);
      EXPECT_EQ(IniWriteString("s", "k", nullptr), 0);
      EXPECT_EQ(Get("s", "k"), std::make_pair(1, std::string("1")));
    }
    EXPECT_EQ(ReadFile(path), "[s]\r\nk=1\r\n");
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"a.ini"});
  });
}

#ifndef _WIN32
// The file itself could be written in place; the rewrite still refuses rather than risk it.
// (Windows has no folder that refuses new files without access lists, which Wine ignores.)
TEST_F(IniStoreTest, ReadOnlyFolderKeepsFile) {
  std::string path = Loaded("a.ini", "[s]\nk=1\n");
  ASSERT_EQ(chmod(dir.path().c_str(), 0555), 0);
  test::AsOrdinaryUser({dir.path(), path}, [&] {
    ASSERT_NO_FATAL_FAILURE(test::ExpectFolderRefusesNewFiles(dir.path()));
    EXPECT_EQ(IniWriteString("s", "k", "2"), 0);
    EXPECT_EQ(IniWriteString("t", "k", "2"), 0);
    EXPECT_EQ(ReadFile(path), "[s]\nk=1\n");
    EXPECT_EQ(Get("s", "k"), std::make_pair(1, std::string("1")));
  });
}
#endif

#ifndef _WIN32
// A file-size limit makes the rewrite fail part-way, as a full disk would; this works for root too.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limit = previous_;
    limit.rlim_cur = bytes;
    ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  bool ok() const { return ok_; }

 private:
  rlimit previous_{};
  void (*previousHandler_)(int) = nullptr;
  bool ok_ = false;
};

TEST_F(IniStoreTest, WriteCutShortKeepsOldFile) {
  const std::string before = "[HID]\nvalue=0\n; a comment long enough that the rewrite passes the limit\n";
  std::string path = Loaded("a.ini", before);
  {
    FileSizeLimit limit(16);
    ASSERT_TRUE(limit.ok());
    EXPECT_EQ(IniWriteString("HID", "value", "1"), 0);
    EXPECT_EQ(IniWriteString("NEW", "value", "1"), 0);
    EXPECT_EQ(IniWriteString("HID", "other", "1"), 0);
  }
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_EQ(Get("HID", "value"), std::make_pair(1, std::string("0")));
  EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"a.ini"});
  EXPECT_EQ(IniWriteString("HID", "value", "1"), 1);  // the store is still usable
}
#endif

// Each thread owns one key of a shared file and writes it with single calls, unlocked; every
// call must see the whole file as the last write left it.
TEST(IniStoreThreads, ConcurrentWritersKeepEveryKey) {
  TempDir dir;
  std::string path = dir.File("shared.ini");
  WriteFile(path, "[s]\r\nkeep=yes\r\n");
  ASSERT_EQ(IniLoadFile(path.c_str()), 1);

  constexpr int kThreads = 4;
  constexpr int kRounds = 60;
  std::vector<int> failures(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      std::string key = "key" + std::to_string(t);
      for (int i = 1; i <= kRounds; ++i) {
        std::string value = std::to_string(i);
        if (IniWriteString("s", key.c_str(), value.c_str()) != 1) ++failures[t];
        char out[64];
        if (IniReadString("s", key.c_str(), out, sizeof out, nullptr) != 1 || value != out) ++failures[t];
        if (IniReadString("s", "keep", out, sizeof out, nullptr) != 1 || std::string(out) != "yes") ++failures[t];
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;

  auto lock = LockIniStore();
  ASSERT_EQ(IniLoadFile(path.c_str()), 1);
  for (int t = 0; t < kThreads; ++t) {
    std::string key = "key" + std::to_string(t);
    EXPECT_EQ(Get("s", key.c_str()), std::make_pair(1, std::to_string(kRounds)));
  }
  IniFreeFile();
  std::string bytes = ReadFile(path);
  EXPECT_EQ(bytes.rfind("[s]\r\nkeep=yes\r\n", 0), 0u) << bytes;
  EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"shared.ini"});
}

// Threads that each work on their own file hold the store for the whole sequence.
TEST(IniStoreThreads, LockedSequencesDoNotInterleave) {
  TempDir dir;
  constexpr int kThreads = 4;
  std::vector<int> failures(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &dir, &failures] {
      std::string path = dir.File("own" + std::to_string(t) + ".ini");
      WriteFile(path, "");
      for (int i = 0; i < 30; ++i) {
        std::string value = std::to_string(t * 1000 + i);
        auto lock = LockIniStore();
        if (IniLoadFile(path.c_str()) != 1) ++failures[t];
        if (IniWriteString("HID", "value", value.c_str()) != 1) ++failures[t];
        char out[64];
        if (IniReadString("HID", "value", out, sizeof out, nullptr) != 1 || value != out) ++failures[t];
        IniFreeFile();
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(failures[t], 0) << "thread " << t;
    EXPECT_EQ(ReadFile(dir.File("own" + std::to_string(t) + ".ini")),
              "\n[HID]\nvalue = " + std::to_string(t * 1000 + 29) + "\n");
  }
}

}  // namespace
}  // namespace lirra
