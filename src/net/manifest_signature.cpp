// How it is put together: the decisions (CheckManifestSignature, CheckManifestUpdate) work on
// bytes in memory, so tests give them any key and any pair; the file and transfer functions
// below them only read, fetch and commit. A downloaded pair lands in temporary files and replaces
// the local pair only after the decision, so a refused or broken download changes nothing.
// libsodium's base64 decoder is used with no characters to ignore: it refuses a missing pad,
// stray characters and non-canonical trailing bits, so one signature has one text.
#include "net/manifest_signature.h"

#include <sodium.h>

#include <cstdio>
#include <cstring>

#include "net/http_client.h"
#include "net/manifest_commit.h"
#include "store/atomic_file.h"
#include "store/ini_store.h"
#include "store/trace.h"

namespace lirra {

namespace {

constexpr int kManifestValueCapacity = 256;  // as every other manifest value is read
constexpr std::size_t kFileBlock = 64 * 1024;

// sodium_init picks the implementations and seeds the random source; it may run any number of
// times. The digests don't need it; signatures are refused without it.
bool SodiumReady() { return sodium_init() >= 0; }

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// One request into path within the manifest's limits, committed only when whole and accepted;
// a failed one leaves no file behind and the trace says why.
bool FetchToFile(const std::string& url, const std::string& path, const CDownFile::AcceptFile& accept = {}) {
  HttpLimits limits;
  limits.maxBody = kManifestCap;
  limits.deadlineMs = kManifestDeadlineMs;
  CDownFile request;
  request.SetLimits(limits);
  request.HttpGetToFile(url.c_str(), path.c_str(), accept);
  if (request.Committed()) return true;
  NetTrace(
      "%s not fetched: %s\n", url.c_str(),
      request.Reason().empty() ? ("result " + std::to_string(request.Result())).c_str() : request.Reason().c_str());
  std::remove(path.c_str());
  return false;
}

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

namespace {

std::string HexOf(const unsigned char* bytes, std::size_t size) {
  std::string hex(size * 2 + 1, '\0');
  sodium_bin2hex(&hex[0], hex.size(), bytes, size);
  hex.pop_back();
  return hex;
}

}  // namespace

std::string Sha256Hex(const void* data, std::size_t size) {
  unsigned char digest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256(digest, static_cast<const unsigned char*>(data), size);
  return HexOf(digest, sizeof digest);
}

bool GetFileSha256(const std::string& path, std::string* hex) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  crypto_hash_sha256_state state;
  crypto_hash_sha256_init(&state);
  std::string block(kFileBlock, '\0');
  std::size_t n;
  while ((n = std::fread(&block[0], 1, block.size(), file)) > 0)
    crypto_hash_sha256_update(&state, reinterpret_cast<const unsigned char*>(block.data()), n);
  // Unlike the MD5 text, a digest that decides what runs is never made of a file read in part.
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return false;
  unsigned char digest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256_final(&state, digest);
  *hex = HexOf(digest, sizeof digest);
  return true;
}

bool FileMatchesSha256(const std::string& path, const std::string& expected) {
  std::string actual;
  if (expected.size() != 2 * crypto_hash_sha256_BYTES || !GetFileSha256(path, &actual)) return false;
  for (std::size_t i = 0; i < actual.size(); ++i) {
    if (FoldAscii(expected[i]) != actual[i]) return false;
  }
  return true;
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
      return "serial is lower than the local manifest's";
  }
  return "unknown";
}

std::optional<std::uint64_t> ManifestSerial(const std::string& manifest) {
  char buffer[kManifestValueCapacity] = "";
  IniReadStringFromText(manifest, "manifest", "serial", buffer, sizeof buffer, "");
  std::string value = buffer;
  if (!value.empty() && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.size() >= 2 ? value.substr(1, value.size() - 2) : std::string();
  std::uint64_t serial = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    unsigned digit = static_cast<unsigned>(c - '0');
    if (serial > (UINT64_MAX - digit) / 10) return std::nullopt;
    serial = serial * 10 + digit;
  }
  return serial;
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

ManifestCheck CheckManifestUpdate(const ManifestKey& key, const SignedManifest& downloaded,
                                  const std::optional<SignedManifest>& local) {
  ManifestCheck check = CheckManifestSignature(key, downloaded);
  if (check != ManifestCheck::kAccepted) return check;
  // Only a local manifest that is itself trusted sets a floor; one that isn't is never applied.
  if (local && CheckManifestSignature(key, *local) == ManifestCheck::kAccepted &&
      *ManifestSerial(downloaded.m_strManifest) < *ManifestSerial(local->m_strManifest))
    return ManifestCheck::kOlderSerial;
  return ManifestCheck::kAccepted;
}

std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t limit) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return std::nullopt;
  std::string bytes;
  char block[4096];
  std::size_t n;
  // One block past the limit is enough to tell a file that is too large.
  while (bytes.size() <= limit && (n = std::fread(block, 1, sizeof block, file)) > 0) bytes.append(block, n);
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed || bytes.size() > limit) return std::nullopt;
  return bytes;
}

std::optional<SignedManifest> ReadSignedManifest(const std::string& path) {
  std::optional<std::string> manifest = ReadFileBytes(path, kMaxManifestBytes);
  if (!manifest) return std::nullopt;
  return SignedManifest{std::move(*manifest), ReadFileBytes(path + ".sig", kMaxSignatureFileBytes)};
}

bool LocalManifestMayBeApplied(const ManifestKey& key, const std::string& path) {
  if (!key.m_bOn) return true;
  std::optional<SignedManifest> local = ReadSignedManifest(path);
  ManifestCheck check = local ? CheckManifestSignature(key, *local) : ManifestCheck::kNoManifest;
  if (check == ManifestCheck::kAccepted) return true;
  NetTrace("manifest %s not applied: %s\n", path.c_str(), DescribeManifestCheck(check));
  return false;
}

bool DownloadSignedManifest(const ManifestKey& key, const std::string& url, const std::string& path,
                            std::string* reason) {
  const std::string signaturePath = path + ".sig";
  const std::string manifestPart = UniqueTempPath(path);
  const std::string signaturePart = UniqueTempPath(signaturePath);
  // Only a list that loads and names a package is worth checking; a portal's page is not.
  if (!FetchToFile(url, manifestPart, AcceptManifest)) {
    NetTrace("manifest %s not downloaded\n", url.c_str());
    if (reason) *reason = "not downloaded";
    return false;
  }
  std::optional<std::string> manifest = ReadFileBytes(manifestPart, kMaxManifestBytes);
  std::optional<std::string> signature;
  if (FetchToFile(url + ".sig", signaturePart)) signature = ReadFileBytes(signaturePart, kMaxSignatureFileBytes);

  const std::optional<SignedManifest> local = ReadSignedManifest(path);
  ManifestCheck check = ManifestCheck::kNoManifest;
  if (manifest) check = CheckManifestUpdate(key, SignedManifest{*manifest, signature}, local);
  // Both targets must take their new content, or neither is touched.
  bool ok = check == ManifestCheck::kAccepted && CanWriteInPlace(path) && CanWriteInPlace(signaturePath) &&
            CommitFile(signaturePart, signaturePath);
  if (ok && !CommitFile(manifestPart, path)) {
    ok = false;
    // The local list stayed: give it back its own signature, so that it still verifies.
    const std::optional<std::string> old = local ? local->m_signature : std::nullopt;
    if (old ? !ReplaceFileContents(signaturePath, *old) : std::remove(signaturePath.c_str()) != 0)
      NetTrace("manifest %s: the signature of the local list could not be put back\n", path.c_str());
  }
  std::remove(manifestPart.c_str());
  std::remove(signaturePart.c_str());
  if (check != ManifestCheck::kAccepted) {
    NetTrace("manifest %s refused: %s\n", url.c_str(), DescribeManifestCheck(check));
    if (reason) *reason = std::string("refused: ") + DescribeManifestCheck(check);
  } else if (!ok) {
    NetTrace("manifest %s verified but not stored in %s\n", url.c_str(), path.c_str());
    if (reason) *reason = "verified but not stored";
  }
  return ok;
}

}  // namespace lirra
