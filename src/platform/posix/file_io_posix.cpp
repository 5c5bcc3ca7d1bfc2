#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
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

std::vector<std::string> FileNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir)) {
    struct stat st {};
    if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
      names.push_back(entry->d_name);
  }
  closedir(dir);
  return names;
}

std::FILE* OpenOwnFileToAppend(const std::string& path, bool empty) {
  // Non-blocking, so a FIFO in the file's place can't stall the open; it is refused below.
  int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 || fcntl(fd, F_SETFL, O_APPEND) != 0 ||
      (empty && ftruncate(fd, 0) != 0)) {
    close(fd);
    return nullptr;
  }
  std::FILE* file = fdopen(fd, "ab");
  if (!file) close(fd);
  return file;
}

}  // namespace lirra
