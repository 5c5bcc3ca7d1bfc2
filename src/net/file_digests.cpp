#include "net/file_digests.h"

#include <sodium.h>

#include <cstdint>
#include <vector>

#include "net/md5.h"

namespace lirra {

std::optional<FileDigests> DigestHeldFile(HeldFile& file) {
  Md5 md5;
  crypto_hash_sha256_state sha256;
  crypto_hash_sha256_init(&sha256);
  std::vector<unsigned char> block(1 << 16);
  for (;;) {
    const long long n = file.Read(block.data(), block.size());
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    md5.Update(block.data(), static_cast<std::size_t>(n));
    crypto_hash_sha256_update(&sha256, block.data(), static_cast<unsigned long long>(n));
  }
  std::uint8_t md5Digest[16];
  md5.Final(md5Digest);
  unsigned char shaDigest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256_final(&sha256, shaDigest);
  char shaHex[2 * crypto_hash_sha256_BYTES + 1];
  sodium_bin2hex(shaHex, sizeof shaHex, shaDigest, sizeof shaDigest);
  return FileDigests{Md5::ToHex(md5Digest), shaHex};
}

std::optional<std::string> ReadHeldFile(HeldFile& file, std::size_t maxBytes) {
  std::string bytes;
  std::vector<char> block(1 << 16);
  for (;;) {
    const long long n = file.Read(block.data(), block.size());
    if (n < 0) return std::nullopt;
    if (n == 0) return bytes;
    if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) return std::nullopt;
    bytes.append(block.data(), static_cast<std::size_t>(n));
  }
}

}  // namespace lirra
