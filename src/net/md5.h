// MD5 (RFC 1321) and the digest text of a file, as the download manager compares them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lirra {

class Md5 {
 public:
  Md5();
  void Update(const void* data, std::size_t size);
  // Finishes the digest; the object must not be updated afterwards.
  void Final(std::uint8_t digest[16]);
  // 32 lowercase hex digits of a digest.
  static std::string ToHex(const std::uint8_t digest[16]);

 private:
  void Transform(const std::uint8_t* block);

  std::uint32_t state_[4];
  std::uint64_t length_ = 0;  // bytes fed so far
  std::uint8_t buffer_[64];
};

// The digest text of bytes in memory.
std::string Md5Hex(const void* data, std::size_t size);

constexpr std::size_t kMd5TextSize = 33;  // 32 digits and the terminator

// Writes the digest text of the file at path (ANSI code page) into out, which holds at least
// kMd5TextSize bytes, and returns out; returns nullptr, leaving out as it was, when the file
// can't be opened. A read error ends the input early.
char* GetFileMd5(const char* path, char* out);

}  // namespace lirra
