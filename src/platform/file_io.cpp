#include "platform/file_io.h"

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <sys/statvfs.h>
#include <unistd.h>
#endif

#include "platform/platform.h"

namespace lirra {

bool FlushFileToDisk(std::FILE* file) {
  if (!file || std::fflush(file) != 0) return false;
#ifdef _WIN32
  return _commit(_fileno(file)) == 0;  // FlushFileBuffers
#else
  return fsync(fileno(file)) == 0;
#endif
}

std::optional<std::uint64_t> FreeDiskBytes(const std::string& folder) {
#ifdef _WIN32
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExW(OS().AnsiToWide(folder).c_str(), &available, nullptr, nullptr)) return std::nullopt;
  return available.QuadPart;
#else
  struct statvfs st {};
  if (statvfs(folder.c_str(), &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
#endif
}

std::uint32_t CurrentProcessId() {
#ifdef _WIN32
  return static_cast<std::uint32_t>(_getpid());
#else
  return static_cast<std::uint32_t>(getpid());
#endif
}

}  // namespace lirra
