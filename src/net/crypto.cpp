// libsodium's base64 decoder is used with no characters to ignore: it refuses a missing pad,
// stray characters and non-canonical trailing bits, so one signature has one text.
#include "net/crypto.h"

#include <sodium.h>

#include <cstring>

namespace lirra {

namespace {

std::string HexOf(const unsigned char* bytes, std::size_t size) {
  std::string hex(size * 2 + 1, '\0');
  sodium_bin2hex(&hex[0], hex.size(), bytes, size);
  hex.pop_back();
  return hex;
}

}  // namespace

bool DecodeBase64(const std::string& text, std::string* bytes) {
  std::size_t length = text.size();
  if (length >= 2 && text.compare(length - 2, 2, "\r\n") == 0) {
    length -= 2;
  } else if (length >= 1 && text[length - 1] == '\n') {
    length -= 1;
  }
  std::string out(length / 4 * 3 + 3, '\0');
  std::size_t size = 0;
  if (sodium_base642bin(reinterpret_cast<unsigned char*>(&out[0]), out.size(), text.data(), length, nullptr, &size,
                        nullptr, sodium_base64_VARIANT_ORIGINAL) != 0)
    return false;
  out.resize(size);
  *bytes = std::move(out);
  return true;
}

std::string EncodeBase64(const std::string& bytes) {
  std::string text(sodium_base64_ENCODED_LEN(bytes.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
  sodium_bin2base64(&text[0], text.size(), reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                    sodium_base64_VARIANT_ORIGINAL);
  text.resize(std::strlen(text.c_str()));
  return text;
}

bool VerifyEd25519(const std::string& key, const std::string& message, const std::string& signature) {
  if (key.size() != crypto_sign_PUBLICKEYBYTES || signature.size() != crypto_sign_BYTES) return false;
  return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature.data()),
                                     reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                                     reinterpret_cast<const unsigned char*>(key.data())) == 0;
}

std::string Sha256Hex(const void* data, std::size_t size) {
  unsigned char digest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256(digest, static_cast<const unsigned char*>(data), size);
  return HexOf(digest, sizeof digest);
}

}  // namespace lirra
