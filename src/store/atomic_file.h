// Whole files: read within a bound, and rewritten so that either the old file or the new one
// is left, never a torn mix.
#pragma once

#include <cstddef>
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

// Whether the file can be opened for writing where it is (creating it when missing).
bool CanWriteInPlace(const std::string& path);

// Moves a finished file (already on the disk) over the target. On failure, reported by
// false, the finished file is removed and the target keeps its content.
bool CommitFile(const std::string& finished, const std::string& target);

// Writes the bytes to a temporary file beside the target, puts them on the disk and commits
// the file over the target; false when any step failed (the target is then unchanged).
bool ReplaceFileContents(const std::string& path, const std::string& bytes);

}  // namespace lirra
