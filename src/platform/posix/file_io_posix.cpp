#include <sys/statvfs.h>
#include <unistd.h>

#include "platform/file_io.h"

namespace lirra {

bool FlushFileToDisk(std::FILE* file) {
  if (!file || std::fflush(file) != 0) return false;
  return fsync(fileno(file)) == 0;
}

std::optional<std::uint64_t> FreeDiskBytes(const std::string& folder) {
  struct statvfs st {};
  if (statvfs(folder.c_str(), &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
}

std::uint32_t CurrentProcessId() { return static_cast<std::uint32_t>(getpid()); }

}  // namespace lirra
