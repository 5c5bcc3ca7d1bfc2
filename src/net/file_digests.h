// The MD5 and SHA-256 of a held file, read once through the hold: the bytes digested are the
// bytes that stay in place for as long as the hold lasts.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace lirra {

struct FileDigests {
  std::string md5;     // 32 lowercase hex digits
  std::string sha256;  // 64 lowercase hex digits
};

// Reads the file from where it stands to its end; nullopt when a read fails (a digest that
// decides what runs is never made of a file read in part).
std::optional<FileDigests> DigestHeldFile(HeldFile& file);

// The file's bytes from where it stands to its end; nullopt when a read fails or there are more
// than maxBytes.
std::optional<std::string> ReadHeldFile(HeldFile& file, std::size_t maxBytes);

}  // namespace lirra
