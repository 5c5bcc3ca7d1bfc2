#include "store/atomic_file.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/file_io.h"
#include "platform/platform.h"

namespace lirra {

namespace {

constexpr char kBase36Digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr char kTempPrefix[] = "~";
constexpr char kTempSuffix[] = ".tmp";

std::string Base36(std::uint32_t n) {
  std::string digits;
  do {
    digits.insert(digits.begin(), kBase36Digits[n % 36]);
    n /= 36;
  } while (n != 0);
  return digits;
}

// The number that lowercase base-36 digits spell; nothing for an empty text, another
// character or a value past 32 bits.
std::optional<std::uint32_t> FromBase36(const std::string& digits) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t n = 0;
  for (char c : digits) {
    const char* at = c == '\0' ? nullptr : std::strchr(kBase36Digits, c);
    if (!at) return std::nullopt;
    n = n * 36 + static_cast<std::uint64_t>(at - kBase36Digits);
    if (n > UINT32_MAX) return std::nullopt;
  }
  return static_cast<std::uint32_t>(n);
}

}  // namespace

std::string FolderPart(const std::string& path) {
  size_t cut = path.size();
  while (cut > 0 && !IsPathSeparator(static_cast<unsigned char>(path[cut - 1]))) --cut;
  return path.substr(0, cut);
}

std::string UniqueTempPath(const std::string& target) {
  static std::atomic<std::uint32_t> counter{0};
  return FolderPart(target) + kTempPrefix + Base36(CurrentProcessId()) + "-" + Base36(++counter) + kTempSuffix;
}

std::optional<std::uint32_t> TempFileOwner(const std::string& fileName) {
  const std::string prefix = kTempPrefix, suffix = kTempSuffix;
  if (fileName.size() <= prefix.size() + suffix.size() || fileName.compare(0, prefix.size(), prefix) != 0 ||
      fileName.compare(fileName.size() - suffix.size(), suffix.size(), suffix) != 0)
    return std::nullopt;
  const std::string middle = fileName.substr(prefix.size(), fileName.size() - prefix.size() - suffix.size());
  const std::size_t dash = middle.find('-');
  if (dash == std::string::npos || !FromBase36(middle.substr(dash + 1))) return std::nullopt;
  return FromBase36(middle.substr(0, dash));
}

void RemoveLeftoverTempFiles(const std::string& folder) {
  std::vector<std::uint32_t> running;
  for (const ProcessEntry& process : OS().ListProcesses()) running.push_back(process.pid);
  const auto isRunning = [&running](std::uint32_t pid) {
    return std::find(running.begin(), running.end(), pid) != running.end();
  };
  if (!isRunning(CurrentProcessId())) return;
  std::string prefix = folder;
  if (!prefix.empty() && !IsPathSeparator(static_cast<unsigned char>(prefix.back())))
    prefix += static_cast<char>(kPathSep);
  for (const std::string& name : FileNamesIn(folder)) {
    const std::optional<std::uint32_t> owner = TempFileOwner(name);
    if (owner && !isRunning(*owner)) std::remove((prefix + name).c_str());
  }
}

std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t limit) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return std::nullopt;
  std::string bytes;
  char block[4096];
  std::size_t n;
  // One block past the limit is enough to tell a file that is too large.
  while (bytes.size() <= limit && (n = std::fread(block, 1, sizeof block, file)) > 0) bytes.append(block, n);
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed || bytes.size() > limit) return std::nullopt;
  return bytes;
}

bool CanWriteInPlace(const std::string& path) {
  std::FILE* probe = std::fopen(path.c_str(), "ab");
  if (!probe) return false;
  std::fclose(probe);
  return true;
}

bool CommitFile(const std::string& finished, const std::string& target) {
  if (OS().MoveFileOver(finished, target)) return true;
  std::remove(finished.c_str());
  return false;
}

bool ReplaceFileContents(const std::string& path, const std::string& bytes) {
  std::string temp = UniqueTempPath(path);
  std::FILE* out = std::fopen(temp.c_str(), "wb");
  if (!out) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  ok = FlushFileToDisk(out) && ok;
  ok = std::fclose(out) == 0 && ok;
  if (!ok) {
    std::remove(temp.c_str());
    return false;
  }
  return CommitFile(temp, path);
}

}  // namespace lirra
