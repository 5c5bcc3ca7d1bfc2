// The file digest: RFC 1321's suite, sizes around the 64-byte block and the 1024-byte read
// buffer (known answers, and natively the md5sum program as a second opinion), and failures.
#include "net/md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace lirra {
namespace {

using test::TempDir;
using test::WriteFile;

std::string FileDigest(const std::string& path) {
  char out[64];
  std::fill(std::begin(out), std::end(out), '#');
  const char* result = GetFileMd5(path.c_str(), out);
  EXPECT_EQ(result, result ? out : nullptr);
  return result ? std::string(out) : "<null>";
}

struct KnownDigest {
  std::string input;
  const char* digest;
};

class Rfc1321Suite : public testing::TestWithParam<KnownDigest> {};

TEST_P(Rfc1321Suite, FileDigest) {
  TempDir dir;
  std::string path = dir.File("input.bin");
  WriteFile(path, GetParam().input);
  EXPECT_EQ(FileDigest(path), GetParam().digest);
}

INSTANTIATE_TEST_SUITE_P(
    Md5, Rfc1321Suite,
    testing::Values(KnownDigest{"", "d41d8cd98f00b204e9800998ecf8427e"},
                    KnownDigest{"a", "0cc175b9c0f1b6a831c399e269772661"},
                    KnownDigest{"abc", "900150983cd24fb0d6963f7d28e17f72"},
                    KnownDigest{"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
                    KnownDigest{"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
                    KnownDigest{"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
                                "d174ab98d277d9f5a5611c2c9f419d9f"},
                    KnownDigest{"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
                                "57edf4a22be3c955ac49da2e2107b67a"},
                    // Bytes that a text-mode read would change or stop at on Windows.
                    KnownDigest{std::string("line\r\nnext\x1a\r\n\n\r\0end", 19), "2c8ffad1d93263b13eda3b1827f94ee1"}));

// Fixed pseudo-random bytes (xorshift32, fixed seed); a file of n bytes is the first n of them.
std::string Content(size_t n) {
  std::uint32_t x = 2463534242u;
  std::string bytes(n, '\0');
  for (size_t i = 0; i < n; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    bytes[i] = static_cast<char>(x >> 24);
  }
  return bytes;
}

struct SizedDigest {
  size_t size;
  const char* digest;  // computed once by another MD5 implementation
};

class Md5BySize : public testing::TestWithParam<SizedDigest> {
 protected:
  TempDir dir;
};

#ifndef _WIN32
// The md5sum program's answer for a file, or "" when it can't be run.
std::string Md5sum(const std::string& path) {
  std::string command = "md5sum '" + path + "' 2>/dev/null";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return "";
  char line[256] = "";
  if (!std::fgets(line, sizeof line, pipe)) line[0] = '\0';
  pclose(pipe);
  return std::string(line).substr(0, 32);
}
#endif

TEST_P(Md5BySize, MatchesKnownAnswer) {
  const SizedDigest& c = GetParam();
  std::string path = dir.File("sized.bin");
  WriteFile(path, Content(c.size));
  ASSERT_EQ(std::filesystem::file_size(path), c.size);
  EXPECT_EQ(FileDigest(path), c.digest);
#ifndef _WIN32
  std::string other = Md5sum(path);
  ASSERT_EQ(other.size(), 32u) << "md5sum gave no digest";
  EXPECT_EQ(FileDigest(path), other);
#endif
}

// The streaming object gives the same digest whatever pieces the input arrives in.
TEST_P(Md5BySize, PiecewiseUpdates) {
  const SizedDigest& c = GetParam();
  std::string bytes = Content(c.size);
  for (size_t piece : {1, 3, 55, 63, 64, 65, 1000, 4096}) {
    Md5 md5;
    for (size_t at = 0; at < bytes.size(); at += piece)
      md5.Update(bytes.data() + at, std::min(piece, bytes.size() - at));
    std::uint8_t digest[16];
    md5.Final(digest);
    EXPECT_EQ(Md5::ToHex(digest), c.digest) << "pieces of " << piece;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Md5, Md5BySize,
    testing::Values(
        SizedDigest{0, "d41d8cd98f00b204e9800998ecf8427e"}, SizedDigest{1, "26b17225b626fb9238849fd60eabdf60"},
        SizedDigest{55, "c5a734f0127c8f4665f78dc1ed64a2cd"}, SizedDigest{56, "2e201e9865161af189303282a607816e"},
        SizedDigest{57, "ae6007a836346c536c32c5b8736c4dda"}, SizedDigest{63, "8943db240716bb6f615f0696bd961710"},
        SizedDigest{64, "a4383b5993ebfcd018aafba8c6be0a9e"}, SizedDigest{65, "d85bf4f8d4c4f351615ccb052a1c9c99"},
        SizedDigest{119, "bc89cfae5692f42ab4c338620506eaa1"}, SizedDigest{120, "6e00e2389ca12b7abc69a30e0f67b8dc"},
        SizedDigest{127, "f2462bb1defda50d9df3e04ce8f7dccf"}, SizedDigest{128, "c0c929f68ffef3b2699be0b184a96313"},
        SizedDigest{1000, "6110e75cd44fc6d683f86c14743f1236"}, SizedDigest{1023, "62f584f400ad65c0d32b46678340f380"},
        SizedDigest{1024, "b9c590eb516e65ca90ac8030685b3f23"}, SizedDigest{1025, "93451fab99fa5df997228393df034a99"},
        SizedDigest{2047, "e8304efec560d738858146e2aaeead99"}, SizedDigest{2048, "b0e9cb7395c89ac0bb99ba0b33348719"},
        SizedDigest{2049, "245986752e9e6cc83e6db116cc9c17f4"},
        SizedDigest{4096 + 7, "97dceaf0dc15d50220adb1b4295455a9"},
        SizedDigest{65536 + 1, "8e606e3198625c4e1930b7e3fce46fec"},
        SizedDigest{1048576 + 3, "638ad54e2efee406afc252fc143035df"}),
    [](const testing::TestParamInfo<SizedDigest>& info) { return "Bytes" + std::to_string(info.param.size); });

TEST(Md5File, MissingFileLeavesBufferAlone) {
  TempDir dir;
  char out[64];
  std::fill(std::begin(out), std::end(out), 'Z');
  EXPECT_EQ(GetFileMd5(dir.File("missing.exe").c_str(), out), nullptr);
  EXPECT_EQ(std::string(out, sizeof out), std::string(sizeof out, 'Z'));
}

// A folder is not a file to digest, on Linux (where it opens) as on Windows (where it does not).
TEST(Md5File, FolderGivesNull) {
  TempDir dir;
  char out[64];
  std::fill(std::begin(out), std::end(out), 'Z');
  EXPECT_EQ(GetFileMd5(dir.path().c_str(), out), nullptr);
  EXPECT_EQ(std::string(out, sizeof out), std::string(sizeof out, 'Z'));
}

TEST(Md5File, WritesExactlyTextAndTerminator) {
  TempDir dir;
  std::string path = dir.File("abc.txt");
  WriteFile(path, "abc");
  char out[64];
  std::fill(std::begin(out), std::end(out), 'Z');
  ASSERT_EQ(GetFileMd5(path.c_str(), out), out);
  EXPECT_EQ(std::string(out, kMd5TextSize), std::string("900150983cd24fb0d6963f7d28e17f72") + '\0');
  EXPECT_EQ(std::string(out + kMd5TextSize, sizeof out - kMd5TextSize), std::string(sizeof out - kMd5TextSize, 'Z'));
}

}  // namespace
}  // namespace lirra
