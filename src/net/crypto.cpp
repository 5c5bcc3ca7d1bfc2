// libsodium's base64 decoder is used with no characters to ignore: it refuses a missing pad,
// stray characters and non-canonical trailing bits, so one signature has one text.
#include "net/crypto.h"

#include <sodium.h>

#include <cstring>

namespace lirra {

namespace {

// sodium_init picks the implementations and seeds the random source; it may run any number of
// times. The digests don't need it; signatures are refused without it.
bool SodiumReady() { return sodium_init() >= 0; }

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
  if (key.size() != crypto_sign_PUBLICKEYBYTES || signature.size() != crypto_sign_BYTES || !SodiumReady()) return false;
  return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature.data()),
                                     reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                                     reinterpret_cast<const unsigned char*>(key.data())) == 0;
}

std::optional<std::string> SignEd25519(const std::string& secretKey, const std::string& message) {
  static_assert(crypto_sign_SEEDBYTES == kEd25519KeySize && crypto_sign_SECRETKEYBYTES == kEd25519SignatureSize);
  if (secretKey.size() != crypto_sign_SEEDBYTES && secretKey.size() != crypto_sign_SECRETKEYBYTES) return std::nullopt;
  if (!SodiumReady()) return std::nullopt;
  unsigned char publicKey[crypto_sign_PUBLICKEYBYTES];
  unsigned char fullKey[crypto_sign_SECRETKEYBYTES];
  crypto_sign_seed_keypair(publicKey, fullKey, reinterpret_cast<const unsigned char*>(secretKey.data()));
  // A 64-byte key carries its public half: one that doesn't belong to the seed is no key.
  bool fits = secretKey.size() == crypto_sign_SEEDBYTES ||
              std::memcmp(secretKey.data() + crypto_sign_SEEDBYTES, publicKey, sizeof publicKey) == 0;
  std::optional<std::string> signature;
  if (fits) {
    unsigned char sig[crypto_sign_BYTES];
    crypto_sign_detached(sig, nullptr, reinterpret_cast<const unsigned char*>(message.data()), message.size(), fullKey);
    signature = std::string(reinterpret_cast<const char*>(sig), sizeof sig);
  }
  sodium_memzero(fullKey, sizeof fullKey);
  return signature;
}

bool MakeEd25519KeyPair(std::string* publicKey, std::string* secretSeed) {
  if (!SodiumReady()) return false;
  unsigned char pk[crypto_sign_PUBLICKEYBYTES];
  unsigned char sk[crypto_sign_SECRETKEYBYTES];
  crypto_sign_keypair(pk, sk);
  publicKey->assign(reinterpret_cast<const char*>(pk), sizeof pk);
  secretSeed->assign(reinterpret_cast<const char*>(sk), crypto_sign_SEEDBYTES);
  sodium_memzero(sk, sizeof sk);
  return true;
}

std::string Sha256Hex(const void* data, std::size_t size) {
  unsigned char digest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256(digest, static_cast<const unsigned char*>(data), size);
  return HexOf(digest, sizeof digest);
}

}  // namespace lirra
