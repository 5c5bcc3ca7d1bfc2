// Which package list the client trusts. A build with a manifest key trusts file.ini only when
// file.ini.sig lies beside it: the standard base64 of the Ed25519 signature (RFC 8032) of
// file.ini's exact bytes by that key. No list may carry a lower "[manifest] serial" than the
// highest one accepted, so an old list can't be brought back: that serial is kept in
// file.ini.serial as well as in the signed pair, and losing file.ini.sig lowers no floor. A
// build without a key verifies nothing here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lirra {

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

// Why a manifest is or is not trusted.
enum class ManifestCheck {
  kAccepted,
  kNoManifest,          // the manifest can't be read
  kNoSignature,         // no file.ini.sig
  kMalformedSignature,  // not the base64 of 64 bytes
  kBadSignature,        // doesn't verify with the key (another key, or changed bytes)
  kBadKey,              // the key built in is not the base64 of 32 bytes
  kBadSerial,           // "[manifest] serial" is not a decimal number
  kOlderSerial,         // lower than the highest serial accepted
};
const char* DescribeManifestCheck(ManifestCheck check);

// A decimal number below 2^64 and nothing else; nullopt otherwise ("" is 0).
std::optional<std::uint64_t> ParseSerial(std::string_view digits);

// The "[manifest] serial" of a manifest (a pair of like quotes removed), read as the INI store
// reads every manifest value: 0 when missing, nullopt when not a decimal number below 2^64.
std::optional<std::uint64_t> ManifestSerial(std::string_view manifest);

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

// Whether a signed manifest may be applied: a good signature, and a serial not below floor.
ManifestCheck CheckManifestFloor(const ManifestKey& key, const SignedManifest& manifest, std::uint64_t floor);

// Whether a downloaded manifest may replace the local pair (nullopt: no local manifest): it
// must be signed, and its serial may not be lower than floor or than a local pair that is
// signed too.
ManifestCheck CheckManifestUpdate(const ManifestKey& key, const SignedManifest& downloaded,
                                  const std::optional<SignedManifest>& local, std::uint64_t floor = 0);

// The manifest at path and the signature at path + ".sig"; nullopt when the manifest can't
// be read or is larger than kMaxManifestBytes. A signature file that can't be read or is
// larger than kMaxSignatureFileBytes counts as missing.
std::optional<SignedManifest> ReadSignedManifest(const std::string& path);

// The highest serial accepted for the manifest at manifestPath, kept in manifestPath +
// ".serial" (decimal digits and a line end); 0 when that file is missing or unreadable.
std::string SerialFloorPath(const std::string& manifestPath);
std::uint64_t ReadSerialFloor(const std::string& manifestPath);
// Raises the kept floor to serial (never lowers it), committed as every rewrite is; false when
// a higher floor could not be written.
bool RaiseSerialFloor(const std::string& manifestPath, std::uint64_t serial);

// The bytes of the local manifest at path, read once, to be applied exactly as they are. A key
// that is off takes whatever the file holds; otherwise only a manifest whose signature beside it
// verifies and whose serial is not below the kept floor, which it then raises to that serial.
// nullopt when nothing may be applied; the trace says why.
std::optional<std::string> ReadManifestToApply(const ManifestKey& key, const std::string& path);

}  // namespace lirra
