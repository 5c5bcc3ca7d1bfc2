// The cryptography of signed package lists and strong digests: Ed25519 signatures (RFC 8032),
// the standard base64 of keys and signatures, and SHA-256. libsodium does the work.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace lirra {

constexpr std::size_t kEd25519KeySize = 32;        // public key; also the seed of a secret key
constexpr std::size_t kEd25519SignatureSize = 64;  // signature; also seed and public key together

// Standard base64 (RFC 4648 alphabet, padded, nothing between the characters, canonical
// trailing bits) followed by at most one "\n" or "\r\n". False for anything else.
bool DecodeBase64(const std::string& text, std::string* bytes);
std::string EncodeBase64(const std::string& bytes);

// Whether signature is key's Ed25519 signature of message (false for wrong sizes).
bool VerifyEd25519(const std::string& key, const std::string& message, const std::string& signature);

// Signing and making keys (ed25519_signing.cpp) are for lirractl; the client links neither.
// The Ed25519 signature of message by a secret key given as its 32-byte seed or as the
// 64 bytes of seed and public key; nullopt for another size or a public half that doesn't fit.
std::optional<std::string> SignEd25519(const std::string& secretKey, const std::string& message);

// A new key pair: the public key and the 32-byte seed of the secret key; false when the
// system's random source can't be used.
bool MakeEd25519KeyPair(std::string* publicKey, std::string* secretSeed);

// 64 lowercase hex digits.
std::string Sha256Hex(const void* data, std::size_t size);

}  // namespace lirra
