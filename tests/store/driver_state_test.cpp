// config.ini beside the executable: its two exact forms, the reset rule and failed saves.
#include "store/driver_state.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "ordinary_user.h"
#include "pc/run_flags.h"
#include "store/ini_store.h"
#include "support/fake_platform.h"
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

const std::string kDefaultForm =
    "[HID]\r\nvalue=0\r\n[NJYS]\r\nvalue=0\r\n[SDSS]\r\nvalue=0\r\n[WHJL]\r\nvalue=0\r\n[YSB]\r\nvalue=0\r\n";
const std::string kSavedHidOnly =
    "\n[HID]\nvalue = 1\n\n[NJYS]\nvalue = 0\n\n[SDSS]\nvalue = 0\n\n[WHJL]\nvalue = 0\n\n[YSB]\nvalue = 0\n";

// The five driver flags as bits: HID, NJYS, SDSS, WHJL, YSB from the lowest.
CRunFlags FlagsFromMask(unsigned mask, bool offer = true) {
  CRunFlags flags;
  flags.m_bOfferDriverSetup = offer;
  flags.m_bHID = mask & 1;
  flags.m_bNJYS = mask & 2;
  flags.m_bSDSS = mask & 4;
  flags.m_bWHJL = mask & 8;
  flags.m_bYSB = mask & 16;
  return flags;
}

unsigned MaskOf(const CRunFlags& f) {
  return (f.m_bHID ? 1 : 0) | (f.m_bNJYS ? 2 : 0) | (f.m_bSDSS ? 4 : 0) | (f.m_bWHJL ? 8 : 0) | (f.m_bYSB ? 16 : 0);
}

std::string SavedForm(unsigned mask) {
  std::string bytes;
  const char* names[] = {"HID", "NJYS", "SDSS", "WHJL", "YSB"};
  for (int i = 0; i < 5; ++i)
    bytes += std::string("\n[") + names[i] + "]\nvalue = " + ((mask >> i) & 1 ? "1" : "0") + "\n";
  return bytes;
}

std::vector<std::string> Listing(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// std::filesystem takes wide paths on Windows and the ANSI (UTF-8) bytes elsewhere.
std::filesystem::path WidePath(const std::wstring& path) {
#ifdef _WIN32
  return std::filesystem::path(path);
#else
  return std::filesystem::path(NativePlatform().WideToAnsi(path));
#endif
}

class DriverStateTest : public testing::Test {
 protected:
  DriverStateTest() { platform.modulePath = NativePlatform().AnsiToWide(dir.File("lirra.exe")); }

  std::string Config() const { return dir.File("config.ini"); }

  TempDir dir;
  test::FakePlatform platform;
};

TEST_F(DriverStateTest, PathIsBesideTheExecutable) { EXPECT_EQ(DriverStatePath(), Config()); }

TEST_F(DriverStateTest, MissingFileChangesNothing) {
  CRunFlags flags = FlagsFromMask(0b10110);
  EXPECT_EQ(LoadDriverState(flags), -1);
  EXPECT_EQ(MaskOf(flags), 0b10110u);
  EXPECT_TRUE(Listing(dir.path()).empty());
}

TEST_F(DriverStateTest, FirstSaveCreatesSavedForm) {
  CRunFlags flags = FlagsFromMask(0);
  ASSERT_EQ(LoadDriverState(flags), -1);
  flags.m_bHID = true;
  EXPECT_EQ(SaveDriverState(flags), 0);
  EXPECT_EQ(ReadFile(Config()), kSavedHidOnly);
  EXPECT_EQ(kSavedHidOnly.size(), 88u);
  EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"config.ini"});
}

TEST_F(DriverStateTest, LoadTraceNamesTheFileOnly) {
  for (const char* content : {static_cast<const char*>(nullptr), "[HID]\r\nvalue=1\r\n"}) {
    if (content) WriteFile(Config(), content);
    CRunFlags flags;
    testing::internal::CaptureStdout();
    LoadDriverState(flags);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "load file config.ini\n\n");
  }
}

TEST_F(DriverStateTest, HidOnlyFileClearsVendorFlags) {
  WriteFile(Config(), "[HID]\r\nvalue=1\r\n");
  CRunFlags flags = FlagsFromMask(0b11110, false);
  EXPECT_EQ(LoadDriverState(flags), 1);
  EXPECT_EQ(MaskOf(flags), 1u);
  EXPECT_FALSE(flags.m_bOfferDriverSetup);
  EXPECT_EQ(ReadFile(Config()), "[HID]\r\nvalue=1\r\n");
}

TEST_F(DriverStateTest, HidNotInstalledResetsFileAndKeepsVendorFlags) {
  const std::string before = "[HID]\r\nvalue=0\r\n[NJYS]\r\nvalue=1\r\n[YSB]\r\nvalue=1\r\n";
  for (unsigned earlier : {0u, 0b11110u}) {
    WriteFile(Config(), before);
    CRunFlags flags = FlagsFromMask(earlier | 1);
    EXPECT_EQ(LoadDriverState(flags), 0);
    EXPECT_EQ(MaskOf(flags), earlier);
    EXPECT_EQ(ReadFile(Config()), kDefaultForm);
  }
  EXPECT_EQ(kDefaultForm.size(), 83u);
  EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"config.ini"});
}

TEST_F(DriverStateTest, FilesWithoutHidAreReset) {
  for (const char* before : {"", "[NJYS]\nvalue=1\n", "value=1\n", "[HID]\nother=1\n", "[HID]\nvalue=\n"}) {
    WriteFile(Config(), before);
    CRunFlags flags = FlagsFromMask(0b00011);
    EXPECT_EQ(LoadDriverState(flags), 0) << before;
    EXPECT_EQ(MaskOf(flags), 0b00010u) << before;
    EXPECT_EQ(ReadFile(Config()), kDefaultForm) << before;
  }
}

struct HidValueCase {
  const char* value;
  bool installed;
};

class DriverStateHidValue : public DriverStateTest, public testing::WithParamInterface<HidValueCase> {};

// strtol with base 0: decimal, hex and octal count; text that is no number counts as 0.
TEST_P(DriverStateHidValue, DecidesInstalled) {
  const HidValueCase& c = GetParam();
  const std::string before = std::string("[HID]\r\nvalue=") + c.value + "\r\n[NJYS]\r\nvalue=0x1\r\n";
  WriteFile(Config(), before);
  CRunFlags flags;
  EXPECT_EQ(LoadDriverState(flags), c.installed ? 1 : 0);
  EXPECT_EQ(flags.m_bHID, c.installed);
  EXPECT_EQ(flags.m_bNJYS, c.installed);
  EXPECT_EQ(ReadFile(Config()), c.installed ? before : kDefaultForm);
  if (c.installed) {
    SaveDriverState(flags);
    EXPECT_EQ(ReadFile(Config()), SavedForm(0b00011));
  }
}

INSTANTIATE_TEST_SUITE_P(Values, DriverStateHidValue,
                         testing::Values(HidValueCase{"1", true}, HidValueCase{"2", true}, HidValueCase{"0x10", true},
                                         HidValueCase{"010", true}, HidValueCase{"-1", true},
                                         HidValueCase{"7 ; note", true}, HidValueCase{"'5'", false},
                                         HidValueCase{"0", false}, HidValueCase{"00", false},
                                         HidValueCase{"0x0", false}, HidValueCase{"text", false},
                                         HidValueCase{"x1", false}));

TEST_F(DriverStateTest, EveryFlagCombinationRoundTrips) {
  for (unsigned mask = 0; mask < 32; ++mask) {
    SCOPED_TRACE("flags " + std::to_string(mask));
    EXPECT_EQ(SaveDriverState(FlagsFromMask(mask)), 0);
    std::string bytes = ReadFile(Config());
    EXPECT_EQ(bytes, SavedForm(mask));
    EXPECT_EQ(bytes.size(), 88u);
    EXPECT_EQ(bytes.find('\r'), std::string::npos);

    CRunFlags loaded = FlagsFromMask(~mask & 31);
    if (mask & 1) {
      EXPECT_EQ(LoadDriverState(loaded), 1);
      EXPECT_EQ(MaskOf(loaded), mask);
    } else {
      EXPECT_EQ(LoadDriverState(loaded), 0);
      EXPECT_EQ(ReadFile(Config()), kDefaultForm);
    }
  }
  EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"config.ini"});
}

TEST_F(DriverStateTest, SaveReplacesWhateverWasThere) {
  WriteFile(Config(), kDefaultForm + "[EXTRA]\r\nvalue=9\r\n");
  SaveDriverState(FlagsFromMask(0b10101));
  EXPECT_EQ(ReadFile(Config()), SavedForm(0b10101));
}

TEST_F(DriverStateTest, SaveDoesNotAffectOfferFlag) {
  CRunFlags flags = FlagsFromMask(1, false);
  SaveDriverState(flags);
  CRunFlags loaded = FlagsFromMask(0, true);
  ASSERT_EQ(LoadDriverState(loaded), 1);
  EXPECT_TRUE(loaded.m_bOfferDriverSetup);
}

TEST_F(DriverStateTest, SaveOverReadOnlyFileKeepsIt) {
  WriteFile(Config(), kDefaultForm);
  test::MakeFileReadOnly(Config());
  test::AsOrdinaryUser({dir.path(), Config()}, [&] {
    test::WriteRefusal refusal(Config());
    ASSERT_NO_FATAL_FAILURE(refusal.ExpectReal());
    EXPECT_EQ(SaveDriverState(FlagsFromMask(1)), -1) << "a save that could not replace the file says so";
    EXPECT_EQ(ReadFile(Config()), kDefaultForm);
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"config.ini"});

    // Loading with HID at 0 can't reset it either; the result is still 0.
    CRunFlags flags = FlagsFromMask(0b00010);
    EXPECT_EQ(LoadDriverState(flags), 0);
    EXPECT_EQ(MaskOf(flags), 0b00010u);
    EXPECT_EQ(ReadFile(Config()), kDefaultForm);
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"config.ini"});
  });
}

#ifndef _WIN32
// (Windows has no folder that refuses new files without access lists, which Wine ignores.)
TEST_F(DriverStateTest, SaveIntoReadOnlyFolderCreatesNothing) {
  ASSERT_EQ(chmod(dir.path().c_str(), 0555), 0);
  test::AsOrdinaryUser({dir.path()}, [&] {
    ASSERT_NO_FATAL_FAILURE(test::ExpectFolderRefusesNewFiles(dir.path()));
    EXPECT_EQ(SaveDriverState(FlagsFromMask(1)), -1);
    EXPECT_TRUE(Listing(dir.path()).empty());
  });
}
#endif

#ifndef _WIN32
// A file-size limit cuts the save short, as a full disk would; this works for root too.
TEST_F(DriverStateTest, SaveCutShortKeepsPreviousState) {
  SaveDriverState(FlagsFromMask(0b00001));
  ASSERT_EQ(ReadFile(Config()), kSavedHidOnly);

  rlimit previous{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  auto handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit = previous;
  limit.rlim_cur = 40;  // room for two of the five sections
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  EXPECT_EQ(SaveDriverState(FlagsFromMask(0b11111)), -1);
  setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, handler);

  EXPECT_EQ(ReadFile(Config()), kSavedHidOnly);
  EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"config.ini"});
  CRunFlags flags;
  EXPECT_EQ(LoadDriverState(flags), 1);
  EXPECT_EQ(MaskOf(flags), 1u);
}
#endif

// The folder name goes through the ANSI code page both ways.
TEST_F(DriverStateTest, FolderWithChineseName) {
  std::wstring folder = NativePlatform().AnsiToWide(dir.path()) + kPathSep + L"\u5546\u6237";
  // (Wine maps such names to the host's files through the zh_CN.UTF-8 locale that the set-up makes.)
  ASSERT_TRUE(NativePlatform().MakeDirectory(folder)) << "can't create a folder with a Chinese name";
  platform.modulePath = folder + kPathSep + L"lirra.exe";
  SaveDriverState(FlagsFromMask(0b01001));
  EXPECT_EQ(ReadFile(DriverStatePath()), SavedForm(0b01001));
  EXPECT_TRUE(std::filesystem::exists(WidePath(folder + kPathSep + L"config.ini")));
  EXPECT_TRUE(NativePlatform().IsDirectory(folder));
  CRunFlags flags;
  EXPECT_EQ(LoadDriverState(flags), 1);
  EXPECT_EQ(MaskOf(flags), 0b01001u);
}

// config.ini at the longest path the store accepts is saved and loaded like any other.
TEST_F(DriverStateTest, LongestAcceptedPath) {
  std::string base = dir.File("");
  size_t folderLength = 255 - std::string(1, '/').size() - std::string("config.ini").size();
  ASSERT_LT(base.size(), folderLength);
  std::string folder = base + std::string(folderLength - base.size(), 'd');
  ASSERT_TRUE(NativePlatform().MakeDirectory(NativePlatform().AnsiToWide(folder)));
  platform.modulePath = NativePlatform().AnsiToWide(folder) + kPathSep + L"lirra.exe";
  ASSERT_EQ(DriverStatePath().size(), 255u);

  EXPECT_EQ(SaveDriverState(FlagsFromMask(0b00111)), 0);
  EXPECT_EQ(ReadFile(DriverStatePath()), SavedForm(0b00111));
  CRunFlags flags;
  EXPECT_EQ(LoadDriverState(flags), 1);
  EXPECT_EQ(MaskOf(flags), 0b00111u);
  EXPECT_EQ(Listing(folder), std::vector<std::string>{"config.ini"});

  // One byte more and the store refuses the path: nothing is read or written.
  std::string longer = folder + "e";
  ASSERT_TRUE(NativePlatform().MakeDirectory(NativePlatform().AnsiToWide(longer)));
  platform.modulePath = NativePlatform().AnsiToWide(longer) + kPathSep + L"lirra.exe";
  WriteFile(DriverStatePath(), "[HID]\r\nvalue=1\r\n");
  CRunFlags untouched = FlagsFromMask(0b11110);
  EXPECT_EQ(LoadDriverState(untouched), -1);
  EXPECT_EQ(MaskOf(untouched), 0b11110u);
  EXPECT_EQ(SaveDriverState(FlagsFromMask(0)), -1);
  EXPECT_EQ(ReadFile(DriverStatePath()), "[HID]\r\nvalue=1\r\n");
  EXPECT_EQ(Listing(longer), std::vector<std::string>{"config.ini"});
}

TEST(RunFlags, DefaultsAndOneInstance) {
  CRunFlags fresh;
  EXPECT_TRUE(fresh.m_bOfferDriverSetup);
  EXPECT_EQ(MaskOf(fresh), 0u);
  CRunFlags& one = CRunFlags::GetInstance();
  EXPECT_EQ(&one, &CRunFlags::GetInstance());
  EXPECT_TRUE(one.m_bOfferDriverSetup);
  EXPECT_EQ(MaskOf(one), 0u);
}

}  // namespace
}  // namespace lirra
