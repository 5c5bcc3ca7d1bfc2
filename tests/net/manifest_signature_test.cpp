// Signed package lists in memory: Ed25519 against RFC 8032's vectors, the strict base64 of
// keys and signatures, the serial, the decision whether a manifest may replace the local one,
// the serial floor kept on disk, and SHA-256.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/crypto.h"
#include "net/file_digests.h"
#include "net/manifest_commit.h"
#include "net/manifest_trust.h"
#include "net/md5.h"
#include "platform/platform.h"
#include "store/atomic_file.h"
#include "support/temp_dir.h"

namespace lirra {
namespace {

std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

// RFC 8032, section 7.1.
struct Rfc8032Vector {
  const char* name;
  const char* secret;
  const char* publicKey;
  const char* message;
  const char* signature;
};

const Rfc8032Vector kRfc8032[] = {
    {"Test1", "9d61b19deffd5a60ba844af492ec2cc44449c5697b326919703bac031cae7f60",
     "d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a", "",
     "e5564300c360ac729086e2cc806e828a84877f1eb8e5d974d873e065224901555fb8821590a33bacc61e39701cf9b46bd25bf5f0595bbe246"
     "551"
     "41438e7a100b"},
    {"Test2", "4ccd089b28ff96da9db6c346ec114e0f5b8a319f35aba624da8cf6ed4fb8a6fb",
     "3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c", "72",
     "92a009a9f0d4cab8720e820b5f642540a2b27b5416503f8fb3762223ebdb69da085ac1e43e15996e458f3613d0f11d8c387b2eaeb4302aeeb"
     "00d"
     "291612bb0c00"},
    {"Test3", "c5aa8df43f9f837bedb7442f31dcb7b166d38535076f094b85ce3a2e0b4458f7",
     "fc51cd8e6218a1a38da47ed00230f0580816ed13ba3303ac5deb911548908025", "af82",
     "6291d657deec24024827e69c3abe01a30ce548a284743a445e3680d7db5ac3ac18ff9b538d16f290ae67f760984dc6594a7c15e9716ed28dc"
     "027"
     "beceea1ec40a"},
    {"TestShaAbc", "833fe62409237b9d62ec77587520911e9a759cec1d19755b7da901b96dca3d42",
     "ec172b93ad5e563bf4932c70e1245034c35467ef2efd4d64ebf819683467e2bf",
     "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2"
     "a"
     "9ac94fa54ca49f",
     "dc2a4459e7369633a52b1bf277839a00201009a3efbf3ecb69bea2186c26b58909351fc9ac90b3ecfdfbc7c66431e0303dca179c138ac17ad"
     "9be"
     "f1177331a704"},
};

// The public key of a vector other than v.
std::string OtherPublicKey(const Rfc8032Vector& v) {
  return FromHex(std::string(v.name) == kRfc8032[0].name ? kRfc8032[1].publicKey : kRfc8032[0].publicKey);
}

void PrintTo(const Rfc8032Vector& c, std::ostream* os) { *os << c.name; }

class Rfc8032Test : public testing::TestWithParam<Rfc8032Vector> {};

TEST_P(Rfc8032Test, VerifiesTheVectorAndNothingElse) {
  const Rfc8032Vector& v = GetParam();
  std::string key = FromHex(v.publicKey), message = FromHex(v.message), signature = FromHex(v.signature);
  EXPECT_TRUE(VerifyEd25519(key, message, signature));
  std::string longer = message + "x";
  EXPECT_FALSE(VerifyEd25519(key, longer, signature));
  for (size_t i : {size_t{0}, size_t{31}, size_t{32}, size_t{63}}) {
    std::string flipped = signature;
    flipped[i] = static_cast<char>(flipped[i] ^ 0x01);
    EXPECT_FALSE(VerifyEd25519(key, message, flipped)) << "signature byte " << i;
  }
  if (!message.empty()) {
    std::string flipped = message;
    flipped.back() = static_cast<char>(flipped.back() ^ 0x80);
    EXPECT_FALSE(VerifyEd25519(key, flipped, signature));
  }
  EXPECT_FALSE(VerifyEd25519(OtherPublicKey(v), message, signature));
  EXPECT_FALSE(VerifyEd25519(key, message, signature.substr(0, 63)));
  EXPECT_FALSE(VerifyEd25519(key.substr(1), message, signature));
}

TEST_P(Rfc8032Test, SigningGivesTheVectorFromTheSeedOrTheWholeSecretKey) {
  const Rfc8032Vector& v = GetParam();
  std::string seed = FromHex(v.secret), message = FromHex(v.message);
  EXPECT_EQ(SignEd25519(seed, message), FromHex(v.signature));
  EXPECT_EQ(SignEd25519(seed + FromHex(v.publicKey), message), FromHex(v.signature));
  // A 64-byte key whose public half belongs to another seed is refused, not used.
  EXPECT_EQ(SignEd25519(seed + OtherPublicKey(v), message), std::nullopt);
  EXPECT_EQ(SignEd25519(seed.substr(1), message), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Vectors, Rfc8032Test, testing::ValuesIn(kRfc8032),
                         [](const testing::TestParamInfo<Rfc8032Vector>& info) {
                           return std::string(info.param.name);
                         });

TEST(Ed25519Test, NewKeyPairsSignAndVerify) {
  std::string publicKey, seed, otherPublic, otherSeed;
  ASSERT_TRUE(MakeEd25519KeyPair(&publicKey, &seed));
  ASSERT_TRUE(MakeEd25519KeyPair(&otherPublic, &otherSeed));
  EXPECT_EQ(publicKey.size(), kEd25519KeySize);
  EXPECT_EQ(seed.size(), kEd25519KeySize);
  EXPECT_NE(seed, otherSeed);
  std::optional<std::string> signature = SignEd25519(seed, "[manifest]\r\nserial=1\r\n");
  ASSERT_TRUE(signature);
  EXPECT_TRUE(VerifyEd25519(publicKey, "[manifest]\r\nserial=1\r\n", *signature));
  EXPECT_FALSE(VerifyEd25519(otherPublic, "[manifest]\r\nserial=1\r\n", *signature));
}

// ---- base64 ----

struct Base64Case {
  const char* name;
  std::string text;
  bool valid;
  std::string bytes;  // when valid
};

std::vector<Base64Case> Base64Cases() {
  return {
      {"Plain", "TWFu", true, "Man"},
      {"OnePad", "TWE=", true, "Ma"},
      {"TwoPads", "TQ==", true, "M"},
      {"Empty", "", true, ""},
      {"TrailingLf", "TWFu\n", true, "Man"},
      {"TrailingCrLf", "TWFu\r\n", true, "Man"},
      {"AllAlphabet", "+/+/", true, "\xfb\xff\xbf"},
      {"TwoLineBreaks", "TWFu\n\n", false, ""},
      {"LoneCr", "TWFu\r", false, ""},
      {"LfCr", "TWFu\n\r", false, ""},
      {"LeadingLineBreak", "\nTWFu", false, ""},
      {"BreakInside", "TW\nFu", false, ""},
      {"SpaceInside", "TW Fu", false, ""},
      {"TrailingSpace", "TWFu ", false, ""},
      {"MissingPad", "TWE", false, ""},
      {"MissingBothPads", "TQ", false, ""},
      {"ExtraPad", "TWE==", false, ""},
      {"PadInside", "TQ==TWFu", false, ""},
      {"NonCanonicalBits", "TR==", false, ""},
      {"UrlSafeAlphabet", "-_-_", false, ""},
      {"NotBase64", "not base64!", false, ""},
      {"NulInside", std::string("TW\0u", 4), false, ""},
  };
}

void PrintTo(const Base64Case& c, std::ostream* os) { *os << c.name; }

class Base64Test : public testing::TestWithParam<Base64Case> {};

TEST_P(Base64Test, DecodesOnlyTheStandardForm) {
  const Base64Case& c = GetParam();
  std::string bytes = "untouched";
  EXPECT_EQ(DecodeBase64(c.text, &bytes), c.valid);
  if (c.valid) {
    EXPECT_EQ(bytes, c.bytes);
    std::string text = c.text;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    EXPECT_EQ(EncodeBase64(c.bytes), text);
  }
}

INSTANTIATE_TEST_SUITE_P(Texts, Base64Test, testing::ValuesIn(Base64Cases()),
                         [](const testing::TestParamInfo<Base64Case>& info) { return std::string(info.param.name); });

TEST(ManifestKeyTest, KeysOfTheWrongFormStayOnAndVerifyNothing) {
  ManifestKey good = ManifestKey::FromBase64("11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHURo=");
  EXPECT_TRUE(good.m_bOn);
  EXPECT_EQ(good.m_strKey, FromHex(kRfc8032[0].publicKey));
  for (const char* text :
       {"", "11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHUR==", "AAAA", "11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHURo"}) {
    ManifestKey key = ManifestKey::FromBase64(text);
    EXPECT_TRUE(key.m_bOn) << text;
    EXPECT_EQ(CheckManifestSignature(key, {"", EncodeBase64(FromHex(kRfc8032[0].signature))}), ManifestCheck::kBadKey)
        << text;
  }
}

// ---- serial ----

struct SerialCase {
  const char* name;
  std::string manifest;
  std::optional<std::uint64_t> serial;
};

std::vector<SerialCase> SerialCases() {
  return {
      {"Missing", "[NJYS]\r\npath=a.exe\r\n", 0},
      {"Plain", "[manifest]\r\nserial=42\r\n", 42},
      {"SectionAndKeyInAnyCase", "[Manifest]\r\nSERIAL = 7\r\n", 7},
      {"Quoted", "[manifest]\r\nserial=\"9\"\r\n", 9},
      {"Empty", "[manifest]\r\nserial=\r\n", 0},
      {"InAnotherSection", "[NJYS]\r\nserial=5\r\n", 0},
      {"AfterOtherSections", "[NJYS]\r\npath=a.exe\r\n[manifest]\r\nserial=12\r\n", 12},
      {"Largest", "[manifest]\r\nserial=18446744073709551615\r\n", UINT64_C(18446744073709551615)},
      {"TooLarge", "[manifest]\r\nserial=18446744073709551616\r\n", std::nullopt},
      {"Negative", "[manifest]\r\nserial=-1\r\n", std::nullopt},
      {"Plus", "[manifest]\r\nserial=+1\r\n", std::nullopt},
      {"Trailing", "[manifest]\r\nserial=1x\r\n", std::nullopt},
      {"Hex", "[manifest]\r\nserial=0x10\r\n", std::nullopt},
      // An editor that saves UTF-8 with a byte-order mark must not hide the first line.
      {"AfterByteOrderMark", "\xEF\xBB\xBF[manifest]\r\nserial=9\r\n", 9},
  };
}

void PrintTo(const SerialCase& c, std::ostream* os) { *os << c.name; }

class SerialTest : public testing::TestWithParam<SerialCase> {};

TEST_P(SerialTest, ReadsADecimalNumber) { EXPECT_EQ(ManifestSerial(GetParam().manifest), GetParam().serial); }

INSTANTIATE_TEST_SUITE_P(Manifests, SerialTest, testing::ValuesIn(SerialCases()),
                         [](const testing::TestParamInfo<SerialCase>& info) { return std::string(info.param.name); });

// ---- the decision ----

const std::string kSeed = FromHex(kRfc8032[0].secret);
const std::string kOtherSeed = FromHex(kRfc8032[1].secret);
const ManifestKey kKey = ManifestKey::FromBase64(EncodeBase64(FromHex(kRfc8032[0].publicKey)));

std::string Manifest(const std::string& serial) {
  return "[manifest]\r\nserial=" + serial +
         "\r\n[NJYS]\r\npath=\"clientsetup.exe\"\r\nMD5=be16500187f8b550e01f955bad1399a1\r\n";
}

std::string SignatureFile(const std::string& seed, const std::string& manifest) {
  return EncodeBase64(*SignEd25519(seed, manifest)) + "\n";
}

SignedManifest Signed(const std::string& manifest) { return {manifest, SignatureFile(kSeed, manifest)}; }

struct UpdateCase {
  const char* name;
  SignedManifest downloaded;
  std::optional<SignedManifest> local;
  ManifestCheck check;
  std::uint64_t floor = 0;  // the serial kept in file.ini.serial
};

std::string FlipByte(std::string bytes, size_t index) {
  bytes[index] = static_cast<char>(bytes[index] ^ 0x01);
  return bytes;
}

std::vector<UpdateCase> UpdateCases() {
  const std::string m5 = Manifest("5");
  const std::string sig5 = SignatureFile(kSeed, m5);
  std::string rawSig = *SignEd25519(kSeed, m5);
  return {
      {"GoodSignatureNoLocal", Signed(m5), std::nullopt, ManifestCheck::kAccepted},
      {"GoodSignatureWithoutLineBreak", {m5, EncodeBase64(rawSig)}, std::nullopt, ManifestCheck::kAccepted},
      {"GoodSignatureCrLf", {m5, EncodeBase64(rawSig) + "\r\n"}, std::nullopt, ManifestCheck::kAccepted},
      {"NoSerialCountsAsZero", Signed("[NJYS]\r\npath=a.exe\r\n"), std::nullopt, ManifestCheck::kAccepted},
      {"FlippedManifestByte", {FlipByte(m5, 30), sig5}, std::nullopt, ManifestCheck::kBadSignature},
      {"FlippedSignatureByte",
       {m5, EncodeBase64(FlipByte(rawSig, 10)) + "\n"},
       std::nullopt,
       ManifestCheck::kBadSignature},
      {"AnotherKey", {m5, SignatureFile(kOtherSeed, m5)}, std::nullopt, ManifestCheck::kBadSignature},
      {"NoSignature", {m5, std::nullopt}, std::nullopt, ManifestCheck::kNoSignature},
      {"EmptySignatureFile", {m5, ""}, std::nullopt, ManifestCheck::kMalformedSignature},
      {"TruncatedSignature", {m5, sig5.substr(0, 60)}, std::nullopt, ManifestCheck::kMalformedSignature},
      {"ShortSignatureBytes",
       {m5, EncodeBase64(rawSig.substr(0, 63))},
       std::nullopt,
       ManifestCheck::kMalformedSignature},
      {"NotBase64", {m5, "this is no signature at all\n"}, std::nullopt, ManifestCheck::kMalformedSignature},
      {"HexInsteadOfBase64",
       {m5,
        "e5564300c360ac729086e2cc806e828a84877f1eb8e5d974d873e065224901555fb8821590a33bacc61e3970"
        "1cf9b46bd25bf5f0595bbe24655141438e7a100b"},
       std::nullopt,
       ManifestCheck::kMalformedSignature},
      {"WrappedBase64", {m5, EncodeBase64(rawSig).insert(64, "\n")}, std::nullopt, ManifestCheck::kMalformedSignature},
      {"SignedButSerialUnreadable", Signed(Manifest("5a")), std::nullopt, ManifestCheck::kBadSerial},
      {"LowerSerial", Signed(Manifest("4")), Signed(m5), ManifestCheck::kOlderSerial},
      {"MissingSerialBelowLocal", Signed("[NJYS]\r\npath=a.exe\r\n"), Signed(m5), ManifestCheck::kOlderSerial},
      {"SameSerial", Signed(m5), Signed(m5), ManifestCheck::kAccepted},
      {"HigherSerial", Signed(Manifest("6")), Signed(m5), ManifestCheck::kAccepted},
      {"LocalUnsignedSetsNoFloor", Signed(Manifest("1")), SignedManifest{Manifest("9"), std::nullopt},
       ManifestCheck::kAccepted},
      {"LocalSignedByAnotherKeySetsNoFloor", Signed(Manifest("1")),
       SignedManifest{Manifest("9"), SignatureFile(kOtherSeed, Manifest("9"))}, ManifestCheck::kAccepted},
      {"BadDownloadAgainstGoodLocal", {Manifest("6"), sig5}, Signed(m5), ManifestCheck::kBadSignature},
      // The kept floor stands when the local pair is gone, unsigned or older.
      {"BelowTheKeptFloorWithoutLocal", Signed(m5), std::nullopt, ManifestCheck::kOlderSerial, 6},
      {"BelowTheKeptFloorLocalUnsigned", Signed(m5), SignedManifest{Manifest("1"), std::nullopt},
       ManifestCheck::kOlderSerial, 6},
      {"BelowTheKeptFloorAboveLocal", Signed(m5), Signed(Manifest("4")), ManifestCheck::kOlderSerial, 6},
      {"AtTheKeptFloor", Signed(m5), std::nullopt, ManifestCheck::kAccepted, 5},
      {"LocalAboveTheKeptFloor", Signed(m5), Signed(Manifest("7")), ManifestCheck::kOlderSerial, 2},
  };
}

void PrintTo(const UpdateCase& c, std::ostream* os) { *os << c.name; }

class UpdateTest : public testing::TestWithParam<UpdateCase> {};

TEST_P(UpdateTest, DecidesWhetherTheDownloadReplacesTheLocalManifest) {
  const UpdateCase& c = GetParam();
  EXPECT_EQ(CheckManifestUpdate(kKey, c.downloaded, c.local, c.floor), c.check) << DescribeManifestCheck(c.check);
}

INSTANTIATE_TEST_SUITE_P(Cases, UpdateTest, testing::ValuesIn(UpdateCases()),
                         [](const testing::TestParamInfo<UpdateCase>& info) { return std::string(info.param.name); });

TEST(ManifestCheckTest, EveryOutcomeHasItsOwnReason) {
  const ManifestCheck checks[] = {ManifestCheck::kAccepted,     ManifestCheck::kNoManifest,
                                  ManifestCheck::kNoSignature,  ManifestCheck::kMalformedSignature,
                                  ManifestCheck::kBadSignature, ManifestCheck::kBadKey,
                                  ManifestCheck::kBadSerial,    ManifestCheck::kOlderSerial};
  std::vector<std::string> seen;
  for (ManifestCheck check : checks) {
    std::string reason = DescribeManifestCheck(check);
    EXPECT_NE(reason, "unknown");
    for (const std::string& other : seen) EXPECT_NE(reason, other);
    seen.push_back(reason);
  }
}

// ---- files ----

bool MayApply(const ManifestKey& key, const std::string& path) { return ReadManifestToApply(key, path).has_value(); }

TEST(SignedManifestFilesTest, LocalPairIsAppliedOnlyWhenItVerifies) {
  test::TempDir dir;
  std::string path = dir.File("file.ini");
  const std::string manifest = Manifest("3");
  EXPECT_FALSE(MayApply(ManifestKey(), path)) << "nothing there";
  EXPECT_FALSE(MayApply(kKey, path)) << "nothing there";

  test::WriteFile(path, manifest);
  EXPECT_EQ(ReadManifestToApply(ManifestKey(), path), manifest) << "without a key nothing is checked";
  EXPECT_FALSE(MayApply(kKey, path));
  test::WriteFile(path + ".sig", SignatureFile(kOtherSeed, manifest));
  EXPECT_FALSE(MayApply(kKey, path));
  test::WriteFile(path + ".sig", SignatureFile(kSeed, manifest));
  EXPECT_EQ(ReadManifestToApply(kKey, path), manifest);
  test::WriteFile(path, manifest + "\r\n");
  EXPECT_FALSE(MayApply(kKey, path)) << "one byte more";

  // A signature file padded beyond any signature's size is not read at all.
  test::WriteFile(path, manifest);
  test::WriteFile(path + ".sig", SignatureFile(kSeed, manifest) + std::string(kMaxSignatureFileBytes, '\n'));
  EXPECT_FALSE(MayApply(kKey, path));
}

// An accepted local pair raises the kept floor to its serial; an older signed pair put back in
// its place is refused then, with or without its signature file lost on the way.
TEST(SignedManifestFilesTest, TheKeptFloorOutlivesTheLocalPair) {
  test::TempDir dir;
  const std::string path = dir.File("file.ini");
  test::WriteFile(path, Manifest("8"));
  test::WriteFile(path + ".sig", SignatureFile(kSeed, Manifest("8")));
  ASSERT_TRUE(MayApply(kKey, path));
  EXPECT_EQ(test::ReadFile(SerialFloorPath(path)), "8\n");
  EXPECT_EQ(ReadSerialFloor(path), 8u);

  test::WriteFile(path, Manifest("5"));
  test::WriteFile(path + ".sig", SignatureFile(kSeed, Manifest("5")));
  EXPECT_FALSE(MayApply(kKey, path)) << "an older signed pair";
  EXPECT_EQ(ReadSerialFloor(path), 8u) << "a refused pair lowers nothing";
  test::WriteFile(path, Manifest("9"));
  test::WriteFile(path + ".sig", SignatureFile(kSeed, Manifest("9")));
  EXPECT_TRUE(MayApply(kKey, path));
  EXPECT_EQ(ReadSerialFloor(path), 9u);
  EXPECT_TRUE(MayApply(ManifestKey(), path));
  EXPECT_EQ(ReadSerialFloor(path), 9u) << "a build without a key keeps no floor";
}

struct FloorFileCase {
  const char* name;
  std::optional<std::string> text;  // nullopt: no file
  std::uint64_t floor;
};

TEST(SignedManifestFilesTest, TheFloorFileHoldsDecimalDigitsAndALineEnd) {
  const FloorFileCase cases[] = {
      {"missing", std::nullopt, 0},
      {"digits and LF", "42\n", 42},
      {"digits and CRLF", "42\r\n", 42},
      {"digits alone", "42", 42},
      {"empty", "", 0},
      {"not a number", "4x2\n", 0},
      {"negative", "-3\n", 0},
      {"too long", std::string(100, '9'), 0},
  };
  for (const FloorFileCase& c : cases) {
    test::TempDir dir;
    const std::string path = dir.File("file.ini");
    if (c.text) test::WriteFile(SerialFloorPath(path), *c.text);
    EXPECT_EQ(ReadSerialFloor(path), c.floor) << c.name;
  }
}

TEST(SignedManifestFilesTest, TheFloorOnlyRises) {
  test::TempDir dir;
  const std::string path = dir.File("file.ini");
  EXPECT_TRUE(RaiseSerialFloor(path, 0));
  EXPECT_FALSE(test::FileExists(SerialFloorPath(path))) << "0 is the floor of no file";
  EXPECT_TRUE(RaiseSerialFloor(path, 12));
  EXPECT_TRUE(RaiseSerialFloor(path, 3));
  EXPECT_EQ(test::ReadFile(SerialFloorPath(path)), "12\n");
  EXPECT_TRUE(RaiseSerialFloor(path, UINT64_C(18446744073709551615)));
  EXPECT_EQ(ReadSerialFloor(path), UINT64_C(18446744073709551615));
}

TEST(SignedManifestFilesTest, ReadingStopsAtTheLimits) {
  test::TempDir dir;
  std::string path = dir.File("big.ini");
  test::WriteFile(path, std::string(kMaxManifestBytes, ';'));
  EXPECT_EQ(ReadFileBytes(path, kMaxManifestBytes).value_or("").size(), kMaxManifestBytes);
  test::WriteFile(path, std::string(kMaxManifestBytes + 1, ';'));
  EXPECT_EQ(ReadFileBytes(path, kMaxManifestBytes), std::nullopt);
  EXPECT_EQ(ReadSignedManifest(path), std::nullopt);
  EXPECT_EQ(ReadFileBytes(dir.File("missing"), kMaxManifestBytes), std::nullopt);
}

// ---- SHA-256 ----

TEST(Sha256Test, KnownAnswers) {
  EXPECT_EQ(Sha256Hex("", 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc", 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  EXPECT_EQ(Sha256Hex(two.data(), two.size()), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

// The digests that decide what runs, read through the file's hold in blocks.
TEST(Sha256Test, AHeldFileIsDigestedWhole) {
  test::TempDir dir;
  std::string path = dir.File("installer.exe");
  std::string bytes;
  for (int i = 0; i < 200000; ++i) bytes.push_back(static_cast<char>(i * 7 + i / 256));
  test::WriteFile(path, bytes);
  HeldFilePtr held = OS().OpenHeld(OS().AnsiToWide(path));
  ASSERT_TRUE(held);
  std::optional<FileDigests> digests = DigestHeldFile(*held);
  ASSERT_TRUE(digests);
  EXPECT_EQ(digests->sha256, Sha256Hex(bytes.data(), bytes.size()));
  EXPECT_EQ(digests->md5, Md5Hex(bytes.data(), bytes.size()));
}

}  // namespace
}  // namespace lirra
