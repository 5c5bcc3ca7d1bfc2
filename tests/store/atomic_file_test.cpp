#include "store/atomic_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_io.h"
#include "platform/platform.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace lirra {
namespace {

using test::FakePlatform;
using test::Listing;
using test::TempDir;
using test::WriteFile;

std::string NameOf(const std::string& path) { return path.substr(FolderPart(path).size()); }

TEST(TempFileOwner, ReadsTheProcessOnlyFromTheNamesUniqueTempPathMakes) {
  EXPECT_EQ(TempFileOwner(NameOf(UniqueTempPath("folder/file.ini"))), CurrentProcessId());
  struct Case {
    const char* name;
    std::optional<std::uint32_t> owner;
  };
  const Case cases[] = {
      {"~1z-2.tmp", 71u},
      {"~0-0.tmp", 0u},
      {"~1njchr-zz.tmp", 99999999u},
      {"~1z.tmp", std::nullopt},  // no count
      {"~-2.tmp", std::nullopt},  // no process
      {"~1z-.tmp", std::nullopt},
      {"~1Z-2.tmp", std::nullopt},  // never written in capitals
      {"~1z-2.tmp.part", std::nullopt},
      {"x~1z-2.tmp", std::nullopt},
      {"~1z-2-3.tmp", std::nullopt},
      {"~zzzzzzz-1.tmp", std::nullopt},  // past 32 bits
      {"~1z-zzzzzzz.tmp", std::nullopt},
      {"file.ini", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(TempFileOwner(c.name), c.owner) << c.name;
}

struct LeftoverFixture : testing::Test {
  TempDir dir;
  FakePlatform pc;
  // 4242 and 4243 in base 36.
  const std::string running = "~39u-1.tmp", ended = "~39v-1.tmp", endedOther = "~39v-2a.tmp";
  void SetUp() override {
    for (const std::string& name : {running, ended, endedOther, std::string("file.ini"), std::string("~39v-1.txt")})
      WriteFile(dir.File(name), "bytes");
    // A folder with such a name is nobody's download.
    ASSERT_TRUE(OS().MakeDirectory(OS().AnsiToWide(dir.File("~39v-3.tmp"))));
  }
};

TEST_F(LeftoverFixture, FilesOfEndedProcessesGoAndOthersStay) {
  pc.processes = {{0, L"[System Process]"}, {CurrentProcessId(), L"lirra.exe"}, {4242, L"lirractl.exe"}};
  const std::string own = NameOf(UniqueTempPath(dir.File("x")));
  WriteFile(dir.File(own), "in progress");
  RemoveLeftoverTempFiles(dir.path());
  std::vector<std::string> expected{running, "~39v-1.txt", "~39v-3.tmp", "file.ini", own};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Listing(dir.path()), expected);
}

TEST_F(LeftoverFixture, AProcessListWithoutThisProcessRemovesNothing) {
  pc.processes = {};  // a snapshot that failed
  RemoveLeftoverTempFiles(dir.path());
  EXPECT_EQ(Listing(dir.path()).size(), 6u);
  pc.processes = {{0, L"[System Process]"}, {4242, L"lirractl.exe"}};
  RemoveLeftoverTempFiles(dir.path());
  EXPECT_EQ(Listing(dir.path()).size(), 6u);
}

}  // namespace
}  // namespace lirra
