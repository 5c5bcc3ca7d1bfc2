// Whole-file rewrites that leave either the old file or the new one, never a torn mix.
#pragma once

#include <string>

namespace lirra {

// Whether the file can be opened for writing where it is (creating it when missing).
bool CanWriteInPlace(const std::string& path);

// Moves a finished file over the target when the target may be written. On failure
// the source is removed and the target keeps its content.
bool CommitFile(const std::string& finished, const std::string& target);

// Writes the bytes to a temporary file beside the target, then commits it over the target.
bool ReplaceFileContents(const std::string& path, const std::string& bytes);

}  // namespace lirra
