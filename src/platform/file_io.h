// File facilities that differ between Windows and POSIX below the C library: forcing written
// bytes to the disk, the free space of a disk, this process's id, the files of a folder, and
// opening a file for appending that is no link to another.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace lirra {

// Flushes the stream and asks the system to put its bytes on the disk; false on failure.
bool FlushFileToDisk(std::FILE* file);

// Bytes free for this user on the disk that holds the folder (ANSI code page); nothing when
// the system can't tell.
std::optional<std::uint64_t> FreeDiskBytes(const std::string& folder);

std::uint32_t CurrentProcessId();

// The names of the plain files in a folder (ANSI code page), in no order; folders and links
// are left out. Empty when the folder can't be read.
std::vector<std::string> FileNamesIn(const std::string& folder);

// Opens a file (ANSI code page) for appending, created when missing and emptied when `empty`,
// only when it is a plain file of its own: never through a symbolic link, junction or other
// reparse point, and never one with a second name (a hard link) elsewhere. nullptr otherwise,
// or when it can't be opened; the file is then left as it was. Not inherited by children.
std::FILE* OpenOwnFileToAppend(const std::string& path, bool empty);

}  // namespace lirra
