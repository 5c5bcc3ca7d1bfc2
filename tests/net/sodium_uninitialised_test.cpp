// What the client does with libsodium (verify a signed list, SHA-256, base64) works without
// sodium_init and doesn't call it: sodium_init would link every implementation it chooses
// between into the client. A binary of its own, so no other test has initialised the library.
#include <gtest/gtest.h>
#include <sodium.h>

#include <optional>
#include <string>

#include "net/crypto.h"

namespace lirra {
namespace {

TEST(SodiumUninitialisedTest, VerifiesHashesAndDecodesWithoutInitialising) {
  const std::string seed(kEd25519KeySize, '\x5a');
  const std::string message = "[manifest]\r\nserial=7\r\n";
  unsigned char publicKey[crypto_sign_PUBLICKEYBYTES], secretKey[crypto_sign_SECRETKEYBYTES];
  crypto_sign_seed_keypair(publicKey, secretKey, reinterpret_cast<const unsigned char*>(seed.data()));
  const std::string key(reinterpret_cast<const char*>(publicKey), sizeof publicKey);
  std::optional<std::string> signature = SignEd25519(seed, message);
  ASSERT_TRUE(signature);
  EXPECT_TRUE(VerifyEd25519(key, message, *signature));
  std::string changed = message;
  changed[changed.size() - 3] = '8';
  EXPECT_FALSE(VerifyEd25519(key, changed, *signature));

  EXPECT_EQ(Sha256Hex("abc", 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  std::string bytes;
  ASSERT_TRUE(DecodeBase64(EncodeBase64(*signature), &bytes));
  EXPECT_EQ(bytes, *signature);

  // 0: this is the first initialisation (1 would say something before it had initialised).
  EXPECT_EQ(sodium_init(), 0);
}

}  // namespace
}  // namespace lirra
