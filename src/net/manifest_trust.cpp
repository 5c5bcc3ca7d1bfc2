// How it is put together: the decisions (CheckManifestSignature, CheckManifestUpdate) work on
// bytes in memory, so tests give them any key, pair and floor; the functions below them read the
// local pair and keep the floor. A local list is read once: the bytes that were verified are the
// bytes that are applied, so a file swapped after the check changes nothing.
#include "net/manifest_trust.h"

#include <algorithm>
#include <string>

#include "net/crypto.h"
#include "net/manifest_commit.h"
#include "store/atomic_file.h"
#include "store/support_log.h"

namespace lirra {

namespace {

constexpr std::size_t kMaxSerialFileBytes = 64;

}  // namespace

ManifestKey ManifestKey::FromBase64(const std::string& text) {
  ManifestKey key;
  key.m_bOn = true;
  std::string bytes;
  if (DecodeBase64(text, &bytes) && bytes.size() == kEd25519KeySize) key.m_strKey = bytes;
  return key;
}

ManifestKey ManifestKey::BuiltIn() {
  const char* text = BuiltInManifestKeyText();
  return text && *text ? FromBase64(text) : ManifestKey();
}

const char* DescribeManifestCheck(ManifestCheck check) {
  switch (check) {
    case ManifestCheck::kAccepted:
      return "signature verified";
    case ManifestCheck::kNoManifest:
      return "manifest missing, unreadable or larger than 1 MiB";
    case ManifestCheck::kNoSignature:
      return "no signature file";
    case ManifestCheck::kMalformedSignature:
      return "signature file is not the base64 of a 64-byte signature";
    case ManifestCheck::kBadSignature:
      return "signature does not verify with the key";
    case ManifestCheck::kBadKey:
      return "the key is not the base64 of a 32-byte key";
    case ManifestCheck::kBadSerial:
      return "[manifest] serial is not a decimal number";
    case ManifestCheck::kOlderSerial:
      return "serial is lower than that of a list already accepted";
  }
  return "unknown";
}

std::optional<std::uint64_t> ParseSerial(std::string_view digits) {
  std::uint64_t serial = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    unsigned digit = static_cast<unsigned>(c - '0');
    if (serial > (UINT64_MAX - digit) / 10) return std::nullopt;
    serial = serial * 10 + digit;
  }
  return serial;
}

std::optional<std::uint64_t> ManifestSerial(std::string_view manifest) {
  return ParseSerial(ReadManifestValue(manifest, "manifest", "serial"));
}

ManifestCheck CheckDetachedSignature(const ManifestKey& key, const std::string& message,
                                     const std::optional<std::string>& signatureText) {
  if (key.m_strKey.size() != kEd25519KeySize) return ManifestCheck::kBadKey;
  if (!signatureText) return ManifestCheck::kNoSignature;
  std::string signature;
  if (!DecodeBase64(*signatureText, &signature) || signature.size() != kEd25519SignatureSize)
    return ManifestCheck::kMalformedSignature;
  if (!VerifyEd25519(key.m_strKey, message, signature)) return ManifestCheck::kBadSignature;
  return ManifestCheck::kAccepted;
}

ManifestCheck CheckManifestSignature(const ManifestKey& key, const SignedManifest& manifest) {
  ManifestCheck check = CheckDetachedSignature(key, manifest.m_strManifest, manifest.m_signature);
  if (check == ManifestCheck::kAccepted && !ManifestSerial(manifest.m_strManifest)) return ManifestCheck::kBadSerial;
  return check;
}

ManifestCheck CheckManifestFloor(const ManifestKey& key, const SignedManifest& manifest, std::uint64_t floor) {
  ManifestCheck check = CheckManifestSignature(key, manifest);
  if (check == ManifestCheck::kAccepted && *ManifestSerial(manifest.m_strManifest) < floor)
    return ManifestCheck::kOlderSerial;
  return check;
}

ManifestCheck CheckManifestUpdate(const ManifestKey& key, const SignedManifest& downloaded,
                                  const std::optional<SignedManifest>& local, std::uint64_t floor) {
  // Only a local manifest that is itself trusted raises the floor; one that isn't is never applied.
  if (local && CheckManifestSignature(key, *local) == ManifestCheck::kAccepted)
    floor = std::max(floor, *ManifestSerial(local->m_strManifest));
  return CheckManifestFloor(key, downloaded, floor);
}

std::optional<SignedManifest> ReadSignedManifest(const std::string& path) {
  std::optional<std::string> manifest = ReadFileBytes(path, kMaxManifestBytes);
  if (!manifest) return std::nullopt;
  return SignedManifest{std::move(*manifest), ReadFileBytes(path + ".sig", kMaxSignatureFileBytes)};
}

std::string SerialFloorPath(const std::string& manifestPath) { return manifestPath + ".serial"; }

std::uint64_t ReadSerialFloor(const std::string& manifestPath) {
  const std::string path = SerialFloorPath(manifestPath);
  std::optional<std::string> text = ReadFileBytes(path, kMaxSerialFileBytes);
  if (!text) return 0;
  std::string_view digits = *text;
  while (!digits.empty() && (digits.back() == '\n' || digits.back() == '\r')) digits.remove_suffix(1);
  std::optional<std::uint64_t> floor = ParseSerial(digits);
  if (!floor) SupportTrace("%s is not a serial; it sets no floor\n", path.c_str());
  return floor.value_or(0);
}

bool RaiseSerialFloor(const std::string& manifestPath, std::uint64_t serial) {
  if (serial <= ReadSerialFloor(manifestPath)) return true;
  const std::string path = SerialFloorPath(manifestPath);
  if (ReplaceFileContents(path, std::to_string(serial) + "\n")) return true;
  SupportTrace("%s could not be raised to %llu\n", path.c_str(), static_cast<unsigned long long>(serial));
  return false;
}

std::optional<std::string> ReadManifestToApply(const ManifestKey& key, const std::string& path) {
  if (!key.m_bOn) return ReadFileBytes(path, kMaxManifestBytes);
  std::optional<SignedManifest> local = ReadSignedManifest(path);
  ManifestCheck check = local ? CheckManifestFloor(key, *local, ReadSerialFloor(path)) : ManifestCheck::kNoManifest;
  if (check != ManifestCheck::kAccepted) {
    SupportTrace("manifest %s not applied: %s\n", path.c_str(), DescribeManifestCheck(check));
    return std::nullopt;
  }
  RaiseSerialFloor(path, *ManifestSerial(local->m_strManifest));
  return std::move(local->m_strManifest);
}

}  // namespace lirra
