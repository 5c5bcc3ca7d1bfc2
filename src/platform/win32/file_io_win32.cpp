#include <io.h>
#include <process.h>
#include <windows.h>

#include "platform/file_io.h"
#include "platform/platform.h"

namespace lirra {

bool FlushFileToDisk(std::FILE* file) {
  if (!file || std::fflush(file) != 0) return false;
  return _commit(_fileno(file)) == 0;  // FlushFileBuffers
}

std::optional<std::uint64_t> FreeDiskBytes(const std::string& folder) {
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExW(OS().AnsiToWide(folder).c_str(), &available, nullptr, nullptr)) return std::nullopt;
  return available.QuadPart;
}

std::uint32_t CurrentProcessId() { return static_cast<std::uint32_t>(_getpid()); }

}  // namespace lirra
