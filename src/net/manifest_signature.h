// Signed package lists. A build with a manifest key trusts the manifest file.ini only when
// file.ini.sig lies beside it: the standard base64 of the Ed25519 signature (RFC 8032) of
// file.ini's exact bytes by that key. A downloaded manifest also may not carry a lower
// "[manifest] serial" than the signed one it replaces, so an old list can't be brought back.
// A build without a key verifies nothing here. Also the SHA-256 digests a manifest may name
// beside MD5. libsodium does the cryptography.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace lirra {

constexpr std::size_t kEd25519KeySize = 32;        // public key; also the seed of a secret key
constexpr std::size_t kEd25519SignatureSize = 64;  // signature; also seed and public key together
constexpr std::size_t kSha256TextSize = 65;        // 64 lowercase hex digits and the terminator
constexpr std::size_t kMaxManifestBytes = 1024 * 1024;
constexpr std::size_t kMaxSignatureFileBytes = 1024;

// The key a manifest must be signed with, or none (manifests are then not verified).
struct ManifestKey {
  bool m_bOn = false;
  std::string m_strKey;  // the raw public key; one of another size (a malformed key) verifies nothing

  // On with the key this base64 text decodes to, even when it is malformed (fail closed).
  static ManifestKey FromBase64(const std::string& text);
  // The key built into this program; off when it has none.
  static ManifestKey BuiltIn();
};

// The base64 text of the key built into this program (LIRRA_MANIFEST_PUBLIC_KEY), "" for none.
// Defined alone in manifest_key.cpp, which each shipped program compiles with the build's key.
const char* BuiltInManifestKeyText();

// Standard base64 (RFC 4648 alphabet, padded, nothing between the characters, canonical
// trailing bits) followed by at most one "\n" or "\r\n". False for anything else.
bool DecodeBase64(const std::string& text, std::string* bytes);
std::string EncodeBase64(const std::string& bytes);

// Whether signature is key's Ed25519 signature of message (false for wrong sizes).
bool VerifyEd25519(const std::string& key, const std::string& message, const std::string& signature);

// The Ed25519 signature of message by a secret key given as its 32-byte seed or as the
// 64 bytes of seed and public key; nullopt for another size or a public half that doesn't fit.
std::optional<std::string> SignEd25519(const std::string& secretKey, const std::string& message);

// A new key pair: the public key and the 32-byte seed of the secret key; false when the
// system's random source can't be used.
bool MakeEd25519KeyPair(std::string* publicKey, std::string* secretSeed);

// 64 lowercase hex digits.
std::string Sha256Hex(const void* data, std::size_t size);
// The SHA-256 text of a file, streamed; false when it can't be opened. A read error fails too.
bool GetFileSha256(const std::string& path, std::string* hex);
// Whether the file's SHA-256 equals expected (hex digits in either case).
bool FileMatchesSha256(const std::string& path, const std::string& expected);

// Why a manifest is or is not trusted.
enum class ManifestCheck {
  kAccepted,
  kNoManifest,          // the manifest can't be read
  kNoSignature,         // no file.ini.sig
  kMalformedSignature,  // not the base64 of 64 bytes
  kBadSignature,        // doesn't verify with the key (another key, or changed bytes)
  kBadKey,              // the key built in is not the base64 of 32 bytes
  kBadSerial,           // "[manifest] serial" is not a decimal number
  kOlderSerial,         // lower than the serial of the local signed manifest
};
const char* DescribeManifestCheck(ManifestCheck check);

// The "[manifest] serial" of a manifest (a pair of like quotes removed), read as the INI store
// reads every manifest value: 0 when missing, nullopt when not a decimal number below 2^64.
std::optional<std::uint64_t> ManifestSerial(const std::string& manifest);

// A manifest's bytes and those of its signature file (nullopt: there is none).
struct SignedManifest {
  std::string m_strManifest;
  std::optional<std::string> m_signature;
};

// Whether signatureText (nullopt: no signature file) is the key's signature of message.
ManifestCheck CheckDetachedSignature(const ManifestKey& key, const std::string& message,
                                     const std::optional<std::string>& signatureText);

// Whether the manifest carries a good signature by the key, and a serial that can be read.
ManifestCheck CheckManifestSignature(const ManifestKey& key, const SignedManifest& manifest);

// Whether a downloaded manifest may replace the local pair (nullopt: no local manifest). It
// must be signed, and when the local one is signed too, its serial may not be lower.
ManifestCheck CheckManifestUpdate(const ManifestKey& key, const SignedManifest& downloaded,
                                  const std::optional<SignedManifest>& local);

// The bytes of a file; nullopt when it can't be read or holds more than limit bytes.
std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t limit);

// The manifest at path and the signature at path + ".sig"; nullopt when the manifest can't
// be read or is larger than kMaxManifestBytes. A signature file that can't be read or is
// larger than kMaxSignatureFileBytes counts as missing.
std::optional<SignedManifest> ReadSignedManifest(const std::string& path);

// Whether the local manifest at path may be applied with this key. A key that is off accepts
// anything; otherwise the trace says why a manifest is refused.
bool LocalManifestMayBeApplied(const ManifestKey& key, const std::string& path);

// Fetches the manifest and its signature (url + ".sig") beside path and moves both over the
// local pair only when CheckManifestUpdate accepts them; otherwise the local pair stays as it
// was and the trace (and `reason`, when given) says why. False when nothing was replaced.
bool DownloadSignedManifest(const ManifestKey& key, const std::string& url, const std::string& path,
                            std::string* reason = nullptr);

}  // namespace lirra
