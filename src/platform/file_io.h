// File facilities that differ between Windows and POSIX below the C library: forcing written
// bytes to the disk, the free space of a disk, and this process's id.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace lirra {

// Flushes the stream and asks the system to put its bytes on the disk; false on failure.
bool FlushFileToDisk(std::FILE* file);

// Bytes free for this user on the disk that holds the folder (ANSI code page); nothing when
// the system can't tell.
std::optional<std::uint64_t> FreeDiskBytes(const std::string& folder);

std::uint32_t CurrentProcessId();

}  // namespace lirra
