#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <windows.h>

#include "platform/file_io.h"
#include "platform/platform.h"
#include "platform/win32/scoped.h"

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

std::vector<std::string> FileNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::wstring pattern = OS().AnsiToWide(folder);
  if (!pattern.empty() && !IsPathSeparator(pattern.back())) pattern += L'\\';
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW((pattern + L"*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
      names.push_back(OS().WideToAnsi(found.cFileName));
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return names;
}

std::FILE* OpenOwnFileToAppend(const std::string& path, bool empty) {
  // FILE_FLAG_OPEN_REPARSE_POINT opens a symbolic link or junction itself instead of its
  // target; what was opened is then refused by its attributes before a byte is written.
  win::ScopedHandle file(CreateFileW(OS().AnsiToWide(path).c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return nullptr;
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(file.Get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(file.Get(), &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) || info.nNumberOfLinks != 1)
    return nullptr;
  if (empty &&
      (SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER || !SetEndOfFile(file.Get())))
    return nullptr;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file.Get()), _O_APPEND | _O_BINARY);
  if (fd < 0) return nullptr;
  file.Release();  // the descriptor owns it now
  std::FILE* stream = _fdopen(fd, "ab");
  if (!stream) _close(fd);
  return stream;
}

}  // namespace lirra
