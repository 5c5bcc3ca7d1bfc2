// Making keys and signatures: what lirractl and the tests do, never the client. In a file of its
// own so that the client links neither, nor what they need: the table for multiplying the base
// point, and sodium_init with every implementation it chooses between. Verifying, SHA-256 and
// base64 compute from their arguments alone and need no sodium_init.
#include <sodium.h>

#include <cstring>

#include "net/crypto.h"

namespace lirra {

std::optional<std::string> SignEd25519(const std::string& secretKey, const std::string& message) {
  static_assert(crypto_sign_SEEDBYTES == kEd25519KeySize && crypto_sign_SECRETKEYBYTES == kEd25519SignatureSize);
  if (secretKey.size() != crypto_sign_SEEDBYTES && secretKey.size() != crypto_sign_SECRETKEYBYTES) return std::nullopt;
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
  // The random source is set up once for every thread by sodium_init.
  if (sodium_init() < 0) return false;
  unsigned char pk[crypto_sign_PUBLICKEYBYTES];
  unsigned char sk[crypto_sign_SECRETKEYBYTES];
  crypto_sign_keypair(pk, sk);
  publicKey->assign(reinterpret_cast<const char*>(pk), sizeof pk);
  secretSeed->assign(reinterpret_cast<const char*>(sk), crypto_sign_SEEDBYTES);
  sodium_memzero(sk, sizeof sk);
  return true;
}

}  // namespace lirra
