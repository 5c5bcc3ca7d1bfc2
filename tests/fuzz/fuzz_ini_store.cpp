// Fuzzes the INI store with arbitrary file bytes: load, read, then one write or removal,
// checking that the written key reads back, that a removal removes (repeated until it reports
// nothing left, the key reads as missing and each removal changed the file), and that no
// other key changes its answer.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "store/ini_store.h"

namespace {

const char* const kSections[] = {nullptr, "HID", "hid", "s", "NJYS", "t", "T"};
const char* const kKeys[] = {"value", "VALUE", "k", "a", "b", "key"};
constexpr int kSectionCount = sizeof kSections / sizeof kSections[0];
constexpr int kKeyCount = sizeof kKeys / sizeof kKeys[0];

// A private folder for the one file the store works on, removed when the run ends.
std::string g_workDir;

void RemoveWorkDir() {
  std::remove((g_workDir + "/fuzz.ini").c_str());
  std::remove((g_workDir + "/fuzz.ini.tmp").c_str());
  rmdir(g_workDir.c_str());
}

const std::string& WorkFile() {
  static const std::string path = [] {
    char pattern[] = "/tmp/lirra-fuzz-ini-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) std::abort();
    g_workDir = dir;
    std::atexit(RemoveWorkDir);
    return g_workDir + "/fuzz.ini";
  }();
  return path;
}

bool SameName(const char* a, const char* b) {
  if (!a || !b) return a == b;
  for (; *a && *b; ++a, ++b) {
    char x = (*a >= 'A' && *a <= 'Z') ? *a + 32 : *a;
    char y = (*b >= 'A' && *b <= 'Z') ? *b + 32 : *b;
    if (x != y) return false;
  }
  return *a == *b;
}

using Answer = std::pair<int, std::string>;

Answer ReadKey(const char* section, const char* key) {
  char out[2048];
  int result = lirra::IniReadString(section, key, out, sizeof out, "#");
  if (std::strlen(out) >= sizeof out) std::abort();
  return {result, out};
}

std::string FileBytes(const std::string& path) {
  std::string bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) std::abort();
  char block[4096];
  for (std::size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;) bytes.append(block, n);
  std::fclose(f);
  return bytes;
}

// At most the number of lines the store sees: it ends a line at CR, LF and NUL.
std::size_t LineCount(const std::string& bytes) {
  std::size_t lines = 1;
  for (char c : bytes) lines += (c == '\n' || c == '\r' || c == '\0');
  return lines;
}

std::vector<Answer> ReadAll() {
  std::vector<Answer> answers;
  for (const char* section : kSections)
    for (const char* key : kKeys) answers.push_back(ReadKey(section, key));
  return answers;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte picks the operation; the rest is the file.
  std::uint8_t pick = data[0];
  const char* section = kSections[(pick & 0x7) % kSectionCount];
  int keyIndex = ((pick >> 3) & 0x7) % kKeyCount;
  const char* key = kKeys[keyIndex];
  bool remove = pick & 0x40;
  const char* value = (pick & 0x80) ? "v 1" : "2";

  const std::string& path = WorkFile();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  std::fwrite(data + 1, 1, size - 1, f);
  std::fclose(f);

  auto lock = lirra::LockIniStore();
  if (lirra::IniLoadFile(path.c_str()) != 1) std::abort();
  std::vector<Answer> before = ReadAll();

  int written = lirra::IniWriteString(section, key, remove ? nullptr : value);
  if (!remove && written != 1) std::abort();
  std::vector<Answer> after = ReadAll();

  if (written == 1 && !remove && ReadKey(section, key) != Answer{1, value}) std::abort();
  if (written == 0 && before != after) std::abort();
  // A key that reads as present has a line to remove.
  if (remove && written != 1 && ReadKey(section, key).first == 1) std::abort();
  if (remove) {
    // Each removal takes one line away, and a later line with the same key may then show, so
    // remove until the store says nothing is left: every reported removal changed the file,
    // a refused one left it alone. The file can't hold more such lines than it has lines.
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    for (std::size_t bound = LineCount(bytes);; --bound) {
      std::string now = FileBytes(path);
      if ((written == 1) != (now != bytes)) std::abort();
      if (written != 1) break;
      if (bound == 0) std::abort();
      bytes = now;
      written = lirra::IniWriteString(section, key, nullptr);
    }
    if (ReadKey(section, key) != Answer{0, "#"}) std::abort();
    after = ReadAll();
  }
  size_t i = 0;
  for (const char* s : kSections) {
    for (const char* k : kKeys) {
      bool touched = SameName(s, section) && SameName(k, key);
      if (!touched && before[i] != after[i]) std::abort();
      ++i;
    }
  }
  lirra::IniFreeFile();
  return 0;
}
