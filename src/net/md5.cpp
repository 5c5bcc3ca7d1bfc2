#include "net/md5.h"

#include <cstdio>
#include <cstring>

namespace lirra {

namespace {

inline std::uint32_t Rotl(std::uint32_t x, int c) { return (x << c) | (x >> (32 - c)); }

inline std::uint32_t LoadLe32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

#define MD5_STEP(f, a, b, c, d, x, t, s) \
  a += f(b, c, d) + (x) + (t);           \
  a = Rotl(a, s) + b

// G as two disjoint halves added: the half without b can be summed before b is ready,
// which shortens the dependency chain of the second round.
#define MD5_STEP_G(a, b, c, d, x, t, s)        \
  a += ((c) & ~(d)) + (x) + (t) + ((b) & (d)); \
  a = Rotl(a, s) + b

#define MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define MD5_H(x, y, z) ((x) ^ (y) ^ (z))
#define MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))

}  // namespace

Md5::Md5() : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476}, buffer_{} {}

void Md5::Transform(const std::uint8_t* block) {
  std::uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = LoadLe32(block + 4 * i);
  std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];

  MD5_STEP(MD5_F, a, b, c, d, x[0], 0xd76aa478, 7);
  MD5_STEP(MD5_F, d, a, b, c, x[1], 0xe8c7b756, 12);
  MD5_STEP(MD5_F, c, d, a, b, x[2], 0x242070db, 17);
  MD5_STEP(MD5_F, b, c, d, a, x[3], 0xc1bdceee, 22);
  MD5_STEP(MD5_F, a, b, c, d, x[4], 0xf57c0faf, 7);
  MD5_STEP(MD5_F, d, a, b, c, x[5], 0x4787c62a, 12);
  MD5_STEP(MD5_F, c, d, a, b, x[6], 0xa8304613, 17);
  MD5_STEP(MD5_F, b, c, d, a, x[7], 0xfd469501, 22);
  MD5_STEP(MD5_F, a, b, c, d, x[8], 0x698098d8, 7);
  MD5_STEP(MD5_F, d, a, b, c, x[9], 0x8b44f7af, 12);
  MD5_STEP(MD5_F, c, d, a, b, x[10], 0xffff5bb1, 17);
  MD5_STEP(MD5_F, b, c, d, a, x[11], 0x895cd7be, 22);
  MD5_STEP(MD5_F, a, b, c, d, x[12], 0x6b901122, 7);
  MD5_STEP(MD5_F, d, a, b, c, x[13], 0xfd987193, 12);
  MD5_STEP(MD5_F, c, d, a, b, x[14], 0xa679438e, 17);
  MD5_STEP(MD5_F, b, c, d, a, x[15], 0x49b40821, 22);

  MD5_STEP_G(a, b, c, d, x[1], 0xf61e2562, 5);
  MD5_STEP_G(d, a, b, c, x[6], 0xc040b340, 9);
  MD5_STEP_G(c, d, a, b, x[11], 0x265e5a51, 14);
  MD5_STEP_G(b, c, d, a, x[0], 0xe9b6c7aa, 20);
  MD5_STEP_G(a, b, c, d, x[5], 0xd62f105d, 5);
  MD5_STEP_G(d, a, b, c, x[10], 0x02441453, 9);
  MD5_STEP_G(c, d, a, b, x[15], 0xd8a1e681, 14);
  MD5_STEP_G(b, c, d, a, x[4], 0xe7d3fbc8, 20);
  MD5_STEP_G(a, b, c, d, x[9], 0x21e1cde6, 5);
  MD5_STEP_G(d, a, b, c, x[14], 0xc33707d6, 9);
  MD5_STEP_G(c, d, a, b, x[3], 0xf4d50d87, 14);
  MD5_STEP_G(b, c, d, a, x[8], 0x455a14ed, 20);
  MD5_STEP_G(a, b, c, d, x[13], 0xa9e3e905, 5);
  MD5_STEP_G(d, a, b, c, x[2], 0xfcefa3f8, 9);
  MD5_STEP_G(c, d, a, b, x[7], 0x676f02d9, 14);
  MD5_STEP_G(b, c, d, a, x[12], 0x8d2a4c8a, 20);

  MD5_STEP(MD5_H, a, b, c, d, x[5], 0xfffa3942, 4);
  MD5_STEP(MD5_H, d, a, b, c, x[8], 0x8771f681, 11);
  MD5_STEP(MD5_H, c, d, a, b, x[11], 0x6d9d6122, 16);
  MD5_STEP(MD5_H, b, c, d, a, x[14], 0xfde5380c, 23);
  MD5_STEP(MD5_H, a, b, c, d, x[1], 0xa4beea44, 4);
  MD5_STEP(MD5_H, d, a, b, c, x[4], 0x4bdecfa9, 11);
  MD5_STEP(MD5_H, c, d, a, b, x[7], 0xf6bb4b60, 16);
  MD5_STEP(MD5_H, b, c, d, a, x[10], 0xbebfbc70, 23);
  MD5_STEP(MD5_H, a, b, c, d, x[13], 0x289b7ec6, 4);
  MD5_STEP(MD5_H, d, a, b, c, x[0], 0xeaa127fa, 11);
  MD5_STEP(MD5_H, c, d, a, b, x[3], 0xd4ef3085, 16);
  MD5_STEP(MD5_H, b, c, d, a, x[6], 0x04881d05, 23);
  MD5_STEP(MD5_H, a, b, c, d, x[9], 0xd9d4d039, 4);
  MD5_STEP(MD5_H, d, a, b, c, x[12], 0xe6db99e5, 11);
  MD5_STEP(MD5_H, c, d, a, b, x[15], 0x1fa27cf8, 16);
  MD5_STEP(MD5_H, b, c, d, a, x[2], 0xc4ac5665, 23);

  MD5_STEP(MD5_I, a, b, c, d, x[0], 0xf4292244, 6);
  MD5_STEP(MD5_I, d, a, b, c, x[7], 0x432aff97, 10);
  MD5_STEP(MD5_I, c, d, a, b, x[14], 0xab9423a7, 15);
  MD5_STEP(MD5_I, b, c, d, a, x[5], 0xfc93a039, 21);
  MD5_STEP(MD5_I, a, b, c, d, x[12], 0x655b59c3, 6);
  MD5_STEP(MD5_I, d, a, b, c, x[3], 0x8f0ccc92, 10);
  MD5_STEP(MD5_I, c, d, a, b, x[10], 0xffeff47d, 15);
  MD5_STEP(MD5_I, b, c, d, a, x[1], 0x85845dd1, 21);
  MD5_STEP(MD5_I, a, b, c, d, x[8], 0x6fa87e4f, 6);
  MD5_STEP(MD5_I, d, a, b, c, x[15], 0xfe2ce6e0, 10);
  MD5_STEP(MD5_I, c, d, a, b, x[6], 0xa3014314, 15);
  MD5_STEP(MD5_I, b, c, d, a, x[13], 0x4e0811a1, 21);
  MD5_STEP(MD5_I, a, b, c, d, x[4], 0xf7537e82, 6);
  MD5_STEP(MD5_I, d, a, b, c, x[11], 0xbd3af235, 10);
  MD5_STEP(MD5_I, c, d, a, b, x[2], 0x2ad7d2bb, 15);
  MD5_STEP(MD5_I, b, c, d, a, x[9], 0xeb86d391, 21);

  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
}

void Md5::Update(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::size_t used = static_cast<std::size_t>(length_ % 64);
  length_ += size;
  if (used) {
    std::size_t take = 64 - used < size ? 64 - used : size;
    std::memcpy(buffer_ + used, p, take);
    p += take;
    size -= take;
    if (used + take < 64) return;
    Transform(buffer_);
  }
  for (; size >= 64; p += 64, size -= 64) Transform(p);
  std::memcpy(buffer_, p, size);
}

void Md5::Final(std::uint8_t digest[16]) {
  std::uint64_t bits = length_ * 8;
  static const std::uint8_t kPad[64] = {0x80};
  std::size_t used = static_cast<std::size_t>(length_ % 64);
  Update(kPad, used < 56 ? 56 - used : 120 - used);
  std::uint8_t tail[8];
  for (int i = 0; i < 8; ++i) tail[i] = static_cast<std::uint8_t>(bits >> (8 * i));
  Update(tail, 8);
  for (int i = 0; i < 4; ++i)
    for (int k = 0; k < 4; ++k) digest[4 * i + k] = static_cast<std::uint8_t>(state_[i] >> (8 * k));
}

std::string Md5::ToHex(const std::uint8_t digest[16]) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text(32, '0');
  for (int i = 0; i < 16; ++i) {
    text[2 * i] = kDigits[digest[i] >> 4];
    text[2 * i + 1] = kDigits[digest[i] & 15];
  }
  return text;
}

std::string Md5Hex(const void* data, std::size_t size) {
  Md5 md5;
  md5.Update(data, size);
  std::uint8_t digest[16];
  md5.Final(digest);
  return Md5::ToHex(digest);
}

char* GetFileMd5(const char* path, char* out) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return nullptr;
  // stdio reads ahead in large chunks; the digest itself is fed 1024 bytes at a time.
  char readAhead[1 << 16];  // outlives the stream: fclose comes first
  std::setvbuf(file, readAhead, _IOFBF, sizeof readAhead);
  Md5 md5;
  unsigned char block[1024];
  std::size_t n;
  bool readAny = false;
  while ((n = std::fread(block, 1, sizeof block, file)) > 0) {
    md5.Update(block, n);
    readAny = true;
  }
  // A stream that fails at its first byte (a folder on some systems) is no file to digest;
  // a later read error ends the input where it happened.
  bool unreadable = !readAny && std::ferror(file);
  std::fclose(file);
  if (unreadable) return nullptr;
  std::uint8_t digest[16];
  md5.Final(digest);
  std::memcpy(out, Md5::ToHex(digest).c_str(), kMd5TextSize);
  return out;
}

}  // namespace lirra
