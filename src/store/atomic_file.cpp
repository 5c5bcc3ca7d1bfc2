#include "store/atomic_file.h"

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "platform/file_io.h"
#include "platform/platform.h"

namespace lirra {

namespace {

std::string Base36(std::uint32_t n) {
  std::string digits;
  do {
    digits.insert(digits.begin(), "0123456789abcdefghijklmnopqrstuvwxyz"[n % 36]);
    n /= 36;
  } while (n != 0);
  return digits;
}

}  // namespace

std::string FolderPart(const std::string& path) {
  size_t cut = path.size();
  while (cut > 0 && !IsPathSeparator(static_cast<unsigned char>(path[cut - 1]))) --cut;
  return path.substr(0, cut);
}

std::string UniqueTempPath(const std::string& target) {
  static std::atomic<std::uint32_t> counter{0};
  return FolderPart(target) + "~" + Base36(CurrentProcessId()) + "-" + Base36(++counter) + ".tmp";
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
