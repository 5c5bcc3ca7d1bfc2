// The process-wide INI store: one file at a time held as raw bytes in the ANSI code page.
// Load, then read and write by section and key, then free. Each write rewrites the file
// (through a temporary file that replaces it) and loads it again.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

namespace lirra {

constexpr int kIniMaxPath = 255;      // longest accepted path, in bytes
constexpr int kIniMaxContent = 1023;  // longest line content that counts

// A UTF-8 byte-order mark at the start of a file is skipped: the first line begins after it.

// Returns 1 when loaded, 0 when the text could not be held in memory, -1 when the path is
// too long (nothing recorded) or the file can't be opened (the path becomes the current file).
int IniLoadFile(const char* path);

// Returns 1 and copies the value (cut to outSize - 1 bytes) when the key has a non-empty
// value in the section (null: the unnamed section); else 0 and the default (or "").
int IniReadString(const char* section, const char* key, char* out, int outSize, const char* defaultValue);

// IniReadString over text in memory instead of the current file, by the same rules.
int IniReadStringFromText(std::string_view text, const char* section, const char* key, char* out, int outSize,
                          const char* defaultValue);

// Puts the key with the value into the section of the current file (a null value removes the
// key's line) and loads the file again. Returns 1 when the file was written, else 0.
int IniWriteString(const char* section, const char* key, const char* value);

// Releases the text; the current file name stays.
void IniFreeFile();

// Holds the store for a sequence of operations that must not interleave with another thread's.
std::unique_lock<std::recursive_mutex> LockIniStore();

}  // namespace lirra
