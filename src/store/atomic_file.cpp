#include "store/atomic_file.h"

#include <cstdio>

#include "platform/platform.h"

namespace lirra {

bool CanWriteInPlace(const std::string& path) {
  std::FILE* probe = std::fopen(path.c_str(), "ab");
  if (!probe) return false;
  std::fclose(probe);
  return true;
}

bool CommitFile(const std::string& finished, const std::string& target) {
  // A file that can't be opened for writing keeps its content, as an in-place write would.
  if (CanWriteInPlace(target) && OS().MoveFileOver(finished, target)) return true;
  std::remove(finished.c_str());
  return false;
}

bool ReplaceFileContents(const std::string& path, const std::string& bytes) {
  std::string temp = path + ".tmp";
  std::FILE* out = std::fopen(temp.c_str(), "wb");
  if (!out) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  ok = std::fflush(out) == 0 && ok;
  ok = std::fclose(out) == 0 && ok;
  if (!ok) {
    std::remove(temp.c_str());
    return false;
  }
  return CommitFile(temp, path);
}

}  // namespace lirra
