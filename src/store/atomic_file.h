// Whole files: read within a bound, and rewritten so that either the old file or the new one
// is left, never a torn mix.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace lirra {

// The folder part of a path with its trailing separator; empty for a bare file name.
std::string FolderPart(const std::string& path);

// A fresh name for a temporary file in the target's folder, unique to this process (two
// copies of the client never share one) and short ("~" + process id + "-" + count + ".tmp"
// in base 36), so that it fits wherever the target's path nearly fits.
std::string UniqueTempPath(const std::string& target);

// The bytes of a file; nullopt when it can't be read or holds more than limit bytes.
std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t limit);

// The process id in a file name that UniqueTempPath made; nothing for any other name.
std::optional<std::uint32_t> TempFileOwner(const std::string& fileName);

// Removes the temporary files of UniqueTempPath in the folder (ANSI code page) whose process
// has ended: a download cut off by a crash or a shutdown. The process id in the name decides,
// not the file's age: a slow download of a running client may be hours old. A process list
// that does not show this process counts as unreadable, and nothing is removed.
void RemoveLeftoverTempFiles(const std::string& folder);

// Whether the file can be opened for writing where it is (creating it when missing).
bool CanWriteInPlace(const std::string& path);

// Moves a finished file (already on the disk) over the target. On failure, reported by
// false, the finished file is removed and the target keeps its content.
bool CommitFile(const std::string& finished, const std::string& target);

// Writes the bytes to a temporary file beside the target, puts them on the disk and commits
// the file over the target; false when any step failed (the target is then unchanged).
bool ReplaceFileContents(const std::string& path, const std::string& bytes);

}  // namespace lirra
