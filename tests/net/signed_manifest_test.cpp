// Signed package lists through the package table and a download host on loopback: which
// manifest lands on disk and is applied, what the trace says when one is refused, the serial
// floor that outlives the local pair, and the SHA-256 digest that a package must match beside
// or instead of its MD5. The key is the table's, so these run whatever key the build carries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "net/crypto.h"
#include "net/manifest_commit.h"
#include "net/manifest_trust.h"
#include "net/md5.h"
#include "net/package_table.h"
#include "platform/platform.h"
#include "store/support_log.h"
#include "support/fake_platform.h"
#include "support/loopback_server.h"
#include "support/temp_dir.h"

namespace lirra {
namespace {

using test::Answer;
using test::FileExists;
using test::LoopbackServer;
using test::ReadFile;
using test::Response;
using test::WriteFile;

// RFC 8032's first two test keys: their secrets are public, which is what a test wants.
const std::string kSeed = "nWGxne/9WmC6hEr0kuwsxERJxWl7MmkZcDusAxyuf2A=";
const std::string kPublic = "11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHURo=";
const std::string kOtherSeed = "TM0Imyj/ltqdtsNG7BFOD1uKMZ81q6Yk2oz27U+4pvs=";

std::string Raw(const std::string& base64) {
  std::string bytes;
  EXPECT_TRUE(DecodeBase64(base64, &bytes));
  return bytes;
}

std::string SignatureFile(const std::string& seed, const std::string& manifest) {
  return EncodeBase64(*SignEd25519(Raw(seed), manifest)) + "\n";
}

std::string Manifest(int serial, const std::string& njysFile) {
  return "[manifest]\r\nserial=" + std::to_string(serial) + "\r\n[NJYS]\r\npath=\"" + njysFile + "\"\r\n";
}

std::string FlipByte(std::string bytes, size_t index) {
  bytes[index] = static_cast<char>(bytes[index] ^ 0x01);
  return bytes;
}

// Collects the trace lines of a scope in a file.
class TraceCapture {
 public:
  explicit TraceCapture(const test::TempDir& dir) : path_(dir.File("trace.txt")) {
    file_ = std::fopen(path_.c_str(), "w+b");
    SetTraceStream(file_);
  }
  ~TraceCapture() {
    SetTraceStream(stdout);
    if (file_) std::fclose(file_);
  }
  std::string Text() {
    std::fflush(file_);
    return ReadFile(path_);
  }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
};

// A download host with the manifest, perhaps its signature, and installers, by path.
struct Shop {
  std::string manifest;
  std::optional<std::string> signature;
  std::vector<std::pair<std::string, std::string>> files;  // path under the base, bytes

  LoopbackServer server{[this](const std::string& request) {
    std::string path = request.substr(4, request.find(' ', 4) - 4);
    if (path == "/store/file.ini") return Answer{Response("200 OK", manifest)};
    if (path == "/store/file.ini.sig" && signature) return Answer{Response("200 OK", *signature)};
    for (const auto& file : files) {
      if (path == "/store/" + file.first) return Answer{Response("200 OK", file.second)};
    }
    return Answer{Response("404 Not Found", "")};
  }};
};

struct ShopFolder {
  test::TempDir dir;
  std::string manifestPath = dir.File("file.ini");

  PackageTable Table(const Shop& shop, const ManifestKey& key) const {
    PackageTable table =
        PackageTable::Create(OS().AnsiToWide(dir.path()), OS().AnsiToWide(shop.server.Url("/store/")), L"7", 32);
    table.m_ManifestKey = key;
    return table;
  }
};

// Temporary files a download left in a folder (none, after any outcome).
std::vector<std::string> Leftovers(const std::string& folder) {
  std::vector<std::string> found;
  for (const std::string& name : test::Listing(folder)) {
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0) found.push_back(name);
  }
  return found;
}

// ---- the manifest download ----

struct DownloadCase {
  const char* name;
  std::string served;
  std::optional<std::string> servedSignature;
  std::optional<std::string> local;  // the local pair before the download
  std::optional<std::string> localSignature;
  bool replaced;
  const char* reason;  // in the trace when refused
};

const std::string kNew = Manifest(5, "new.exe");
const std::string kOld = Manifest(3, "old.exe");

std::vector<DownloadCase> DownloadCases() {
  const std::string signature = SignatureFile(kSeed, kNew);
  const std::string raw = Raw(signature);
  return {
      {"GoodSignature", kNew, signature, std::nullopt, std::nullopt, true, ""},
      {"GoodSignatureReplacesOlderSigned", kNew, signature, kOld, SignatureFile(kSeed, kOld), true, ""},
      {"FlippedManifestByte", FlipByte(kNew, 20), signature, kOld, SignatureFile(kSeed, kOld), false,
       "signature does not verify"},
      {"FlippedSignatureByte", kNew, EncodeBase64(FlipByte(raw, 40)), kOld, SignatureFile(kSeed, kOld), false,
       "signature does not verify"},
      {"AnotherKey", kNew, SignatureFile(kOtherSeed, kNew), kOld, SignatureFile(kSeed, kOld), false,
       "signature does not verify"},
      {"NoSignature", kNew, std::nullopt, kOld, SignatureFile(kSeed, kOld), false, "no signature file"},
      {"NoSignatureNoLocal", kNew, std::nullopt, std::nullopt, std::nullopt, false, "no signature file"},
      {"TruncatedSignature", kNew, signature.substr(0, 50), kOld, SignatureFile(kSeed, kOld), false,
       "signature file is not the base64"},
      {"NotBase64", kNew, "<html>404</html>", kOld, SignatureFile(kSeed, kOld), false,
       "signature file is not the base64"},
      {"LowerSerial", kOld, SignatureFile(kSeed, kOld), kNew, signature, false, "serial is lower"},
  };
}

void PrintTo(const DownloadCase& c, std::ostream* os) { *os << c.name; }

class ManifestDownloadTest : public testing::TestWithParam<DownloadCase> {};

TEST_P(ManifestDownloadTest, ReplacesTheLocalPairOnlyWhenVerified) {
  const DownloadCase& c = GetParam();
  Shop shop{c.served, c.servedSignature, {}};
  ShopFolder folder;
  if (c.local) WriteFile(folder.manifestPath, *c.local);
  if (c.localSignature) WriteFile(folder.manifestPath + ".sig", *c.localSignature);
  PackageTable table = folder.Table(shop, ManifestKey::FromBase64(kPublic));

  std::string trace;
  {
    TraceCapture capture(folder.dir);
    EXPECT_EQ(DownloadManifest(table), c.replaced);
    trace = capture.Text();
  }

  const std::string& manifest = c.replaced ? c.served : c.local.value_or("<missing>");
  const std::string& signature = c.replaced ? *c.servedSignature : c.localSignature.value_or("<missing>");
  EXPECT_EQ(ReadFile(folder.manifestPath), manifest);
  EXPECT_EQ(ReadFile(folder.manifestPath + ".sig"), signature);
  EXPECT_EQ(std::vector<std::string>{}, Leftovers(folder.dir.path()));
  if (!c.replaced) {
    EXPECT_NE(trace.find(std::string("refused: ") + c.reason), std::string::npos) << trace;
  }

  // What is applied afterwards: the verified download, or the local signed pair, or nothing.
  std::optional<std::string> applied = c.replaced ? std::optional<std::string>(c.served) : c.local;
  EXPECT_EQ(LoadManifest(table), applied.has_value());
  EXPECT_EQ(table.m_NJYS.m_strFileName, applied == kNew ? L"new.exe" : applied ? L"old.exe" : L"clientsetup.exe");
}

INSTANTIATE_TEST_SUITE_P(Cases, ManifestDownloadTest, testing::ValuesIn(DownloadCases()),
                         [](const testing::TestParamInfo<DownloadCase>& info) { return std::string(info.param.name); });

TEST(ManifestDownloadTest, WithoutAKeyAnUnsignedManifestIsTakenAsBefore) {
  Shop shop{Manifest(1, "plain.exe"), std::nullopt, {}};
  ShopFolder folder;
  WriteFile(folder.manifestPath, kNew);
  WriteFile(folder.manifestPath + ".sig", SignatureFile(kSeed, kNew));
  PackageTable table = folder.Table(shop, ManifestKey());

  EXPECT_TRUE(DownloadManifest(table));
  EXPECT_EQ(ReadFile(folder.manifestPath), shop.manifest) << "a lower serial means nothing without a key";
  ASSERT_EQ(shop.server.requests().size(), 1u) << "no signature is asked for";
  EXPECT_EQ(shop.server.requests()[0].rfind("GET /store/file.ini HTTP/1.1\r\n", 0), 0u);
  EXPECT_TRUE(LoadManifest(table));
  EXPECT_EQ(table.m_NJYS.m_strFileName, L"plain.exe");
}

TEST(ManifestDownloadTest, AFailedTransferKeepsTheLocalPair) {
  ShopFolder folder;
  WriteFile(folder.manifestPath, kOld);
  WriteFile(folder.manifestPath + ".sig", SignatureFile(kSeed, kOld));
  for (const Answer& answer : {Answer{Response("404 Not Found", "")},
                               Answer{"HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\n[manifest]\r\nserial=9"}}) {
    LoopbackServer server({answer});
    PackageTable table =
        PackageTable::Create(OS().AnsiToWide(folder.dir.path()), OS().AnsiToWide(server.Url("/store/")), L"7", 32);
    table.m_ManifestKey = ManifestKey::FromBase64(kPublic);
    EXPECT_FALSE(DownloadManifest(table));
    EXPECT_EQ(ReadFile(folder.manifestPath), kOld);
    EXPECT_EQ(ReadFile(folder.manifestPath + ".sig"), SignatureFile(kSeed, kOld));
    EXPECT_EQ(std::vector<std::string>{}, Leftovers(folder.dir.path()));
  }
}

// The signature is stored first; when the list then can't be replaced, the local list gets its
// own signature back (or none, as before) and still applies as it did.
TEST(ManifestDownloadTest, AListThatCantBeReplacedKeepsItsOwnSignature) {
  for (bool localSigned : {true, false}) {
    Shop shop{kNew, SignatureFile(kSeed, kNew), {}};
    ShopFolder folder;
    WriteFile(folder.manifestPath, kOld);
    if (localSigned) WriteFile(folder.manifestPath + ".sig", SignatureFile(kSeed, kOld));
    const ManifestKey key = ManifestKey::FromBase64(kPublic);
    PackageTable table = folder.Table(shop, key);
    test::FakePlatform platform;
    platform.refusedMoves.insert(folder.manifestPath);

    EXPECT_FALSE(DownloadManifest(table));
    EXPECT_EQ(ReadFile(folder.manifestPath), kOld);
    EXPECT_EQ(ReadFile(folder.manifestPath + ".sig"), localSigned ? SignatureFile(kSeed, kOld) : "<missing>");
    EXPECT_EQ(ReadManifestToApply(key, folder.manifestPath).has_value(), localSigned);
    EXPECT_EQ(std::vector<std::string>{}, Leftovers(folder.dir.path()));
  }
}

TEST(ManifestLoadTest, WithAKeyOnlyAVerifiedLocalPairIsApplied) {
  Shop shop{"", std::nullopt, {}};
  ShopFolder folder;
  const ManifestKey key = ManifestKey::FromBase64(kPublic);
  struct Case {
    const char* name;
    std::optional<std::string> signature;
    bool applied;
  } cases[] = {
      {"signed", SignatureFile(kSeed, kOld), true},
      {"unsigned", std::nullopt, false},
      {"another key", SignatureFile(kOtherSeed, kOld), false},
      {"signature of other bytes", SignatureFile(kSeed, kNew), false},
  };
  for (const Case& c : cases) {
    WriteFile(folder.manifestPath, kOld);
    std::remove((folder.manifestPath + ".sig").c_str());
    if (c.signature) WriteFile(folder.manifestPath + ".sig", *c.signature);
    PackageTable table = folder.Table(shop, key);
    std::string trace;
    {
      TraceCapture capture(folder.dir);
      EXPECT_EQ(LoadManifest(table), c.applied) << c.name;
      trace = capture.Text();
    }
    EXPECT_EQ(table.m_NJYS.m_strFileName, c.applied ? L"old.exe" : L"clientsetup.exe") << c.name;
    EXPECT_EQ(trace.find("not applied: ") == std::string::npos, c.applied) << c.name << trace;

    PackageTable keyless = folder.Table(shop, ManifestKey());
    EXPECT_TRUE(LoadManifest(keyless)) << c.name;
    EXPECT_EQ(keyless.m_NJYS.m_strFileName, L"old.exe") << c.name;
  }
}

// ---- the replay floor ----

TEST(ManifestFloorTest, LosingTheSignatureFileLetsNoOlderListIn) {
  Shop shop{kNew, SignatureFile(kSeed, kNew), {}};
  ShopFolder folder;
  const ManifestKey key = ManifestKey::FromBase64(kPublic);
  PackageTable table = folder.Table(shop, key);
  ASSERT_TRUE(DownloadManifest(table));
  EXPECT_EQ(ReadFile(folder.manifestPath + ".serial"), "5\n");

  shop.manifest = kOld;
  shop.signature = SignatureFile(kSeed, kOld);
  for (const char* lost : {".sig", ""}) {  // the signature file, then the list as well
    std::remove((folder.manifestPath + lost).c_str());
    std::string trace;
    {
      TraceCapture capture(folder.dir);
      EXPECT_FALSE(DownloadManifest(table)) << lost;
      trace = capture.Text();
    }
    EXPECT_NE(trace.find("refused: serial is lower"), std::string::npos) << trace;
    EXPECT_FALSE(FileExists(folder.manifestPath + ".sig")) << lost;
  }

  // Nor can the older pair be put in place by hand.
  WriteFile(folder.manifestPath, kOld);
  WriteFile(folder.manifestPath + ".sig", SignatureFile(kSeed, kOld));
  EXPECT_FALSE(LoadManifest(table));
  EXPECT_EQ(table.m_NJYS.m_strFileName, L"clientsetup.exe");
  EXPECT_EQ(ReadFile(folder.manifestPath + ".serial"), "5\n");
}

// ---- the verified bytes are the bytes applied ----

// Replaces file.ini with an unsigned list the moment the serial floor is committed, which
// LoadManifest does after the list passed its check and before it is applied.
class SwappingPlatform : public test::FakePlatform {
 public:
  std::string manifestPath;
  std::string replacement;
  bool swapped = false;

  bool MoveFileOver(const std::string& from, const std::string& to) override {
    bool moved = FakePlatform::MoveFileOver(from, to);
    if (to == manifestPath + ".serial" && !swapped) {
      WriteFile(manifestPath, replacement);
      swapped = true;
    }
    return moved;
  }
};

TEST(ManifestLoadTest, AListSwappedAfterItsCheckIsNotTheOneApplied) {
  Shop shop{"", std::nullopt, {}};
  ShopFolder folder;
  WriteFile(folder.manifestPath, kNew);
  WriteFile(folder.manifestPath + ".sig", SignatureFile(kSeed, kNew));
  PackageTable table = folder.Table(shop, ManifestKey::FromBase64(kPublic));
  SwappingPlatform platform;
  platform.manifestPath = folder.manifestPath;
  platform.replacement = Manifest(5, "evil.exe");

  EXPECT_TRUE(LoadManifest(table));
  ASSERT_TRUE(platform.swapped);
  EXPECT_EQ(ReadFile(folder.manifestPath), platform.replacement);
  EXPECT_EQ(table.m_NJYS.m_strFileName, L"new.exe");
}

// ---- the list's own cap ----

// A well-formed list that names a package, padded with comment lines to size bytes.
std::string PaddedManifest(std::size_t size) {
  std::string manifest = kNew;
  while (manifest.size() < size) manifest += ";" + std::string(std::min<std::size_t>(500, size - manifest.size()), 'p');
  manifest.resize(size);
  return manifest;
}

TEST(ManifestCapTest, AListAbove64KiBIsRefusedOnItsLength) {
  const std::string big = PaddedManifest(70000);
  ASSERT_TRUE(NamesPackage(big)) << "the list itself would be taken";
  for (bool keyed : {false, true}) {
    Shop shop{big, SignatureFile(kSeed, big), {}};
    ShopFolder folder;
    PackageTable table = folder.Table(shop, keyed ? ManifestKey::FromBase64(kPublic) : ManifestKey());
    std::string trace;
    ManifestOutcome outcome;
    {
      TraceCapture capture(folder.dir);
      outcome = RefreshTableManifest(table);
      trace = capture.Text();
    }
    EXPECT_EQ(outcome.state, ManifestRefresh::kKept) << keyed;
    EXPECT_NE(trace.find("Content-Length 70000 above the limit of 65536"), std::string::npos) << trace;
    EXPECT_FALSE(FileExists(folder.manifestPath)) << keyed;
    EXPECT_EQ(shop.server.connections(), 1) << "no signature is fetched for a list that was refused";
  }
}

// ---- SHA-256 beside MD5 ----

std::string Md5Of(const std::string& bytes) { return Md5Hex(bytes.data(), bytes.size()); }
std::string ShaOf(const std::string& bytes) { return Sha256Hex(bytes.data(), bytes.size()); }
std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

TEST(Sha256ManifestTest, SectionsAndTheHidKeyCarryIt) {
  Shop shop{"", std::nullopt, {}};
  ShopFolder folder;
  const std::string sha = ShaOf("njys"), hidSha = ShaOf("hid");
  WriteFile(folder.manifestPath, "[NJYS]\r\nMD5=0123456789abcdef0123456789abcdef\r\nSHA256=" + sha +
                                     "\r\n[HID]\r\nW732=h.exe\r\nW732SHA256='" + hidSha + "'\r\n[IE]\r\nSHA256=\"" +
                                     sha + "\"\r\n");
  PackageTable table = folder.Table(shop, ManifestKey());
  ASSERT_TRUE(LoadManifest(table));
  EXPECT_EQ(table.m_NJYS.m_strExpectedMd5, L"0123456789abcdef0123456789abcdef");
  EXPECT_EQ(table.m_NJYS.m_strExpectedSha256, Wide(sha));
  EXPECT_EQ(table.m_HID.m_strExpectedSha256, Wide(hidSha));
  EXPECT_EQ(table.m_HID.m_strExpectedMd5, L"") << "a SHA-256 alone is all the file must match";
  EXPECT_EQ(table.m_IE8.m_strExpectedSha256, Wide(sha));
  EXPECT_EQ(table.m_IE8.m_strExpectedMd5, L"");
  EXPECT_EQ(table.m_YSB.m_strExpectedMd5, L"032493574ae689c119585f173ab9fe9d");
  EXPECT_EQ(table.m_YSB.m_strExpectedSha256, L"") << "none by default";

  // A later list replaces the earlier one whole: what it doesn't give is back at its default.
  WriteFile(folder.manifestPath, "[NJYS]\r\nMD5=ffffffffffffffffffffffffffffffff\r\n[HID]\r\nW732=h.exe\r\n");
  ASSERT_TRUE(LoadManifest(table));
  EXPECT_EQ(table.m_NJYS.m_strExpectedMd5, L"ffffffffffffffffffffffffffffffff");
  EXPECT_EQ(table.m_NJYS.m_strExpectedSha256, L"");
  EXPECT_EQ(table.m_HID.m_strExpectedMd5, L"6dc5143eacb9dc3c4ffee81bcff0206c");
  EXPECT_EQ(table.m_HID.m_strExpectedSha256, L"");
  EXPECT_EQ(table.m_IE8.m_strExpectedMd5, L"acde10a1f8659cf91a3a323590195b48");
  EXPECT_EQ(table.m_IE8.m_strExpectedSha256, L"");
}

// ---- the form of a digest ----

const std::string kGenuine = "MZ genuine installer";

struct DigestFormCase {
  const char* name;
  std::string section;  // the digest lines of [NJYS], beside path=installer.exe
  bool usable;          // the list's digests stand; else the package has none and nothing is fetched
  bool installs;        // the served genuine installer is accepted
};

std::vector<DigestFormCase> DigestFormCases() {
  const std::string md5 = Md5Of(kGenuine), sha = ShaOf(kGenuine);
  const std::string otherSha = ShaOf("another file");
  return {
      {"Md5", "MD5=" + md5, true, true},
      {"Md5UpperCase", "MD5=" + Upper(md5), true, true},
      {"Md5Quoted", "MD5=\"" + md5 + "\"", true, true},
      {"Md5ShortByOne", "MD5=" + md5.substr(0, 31), false, false},
      {"Md5FirstDigitOnly", "MD5=" + md5.substr(0, 1), false, false},
      {"Md5LongByOne", "MD5=" + md5 + "0", false, false},
      {"Md5NotHex", "MD5=" + md5.substr(0, 31) + "g", false, false},
      {"Md5WithSha256Size", "MD5=" + sha, false, false},
      {"Sha256Alone", "SHA256=" + sha, true, true},
      {"Sha256AloneOfAnotherFile", "SHA256=" + otherSha, true, false},
      {"Sha256ShortByOne", "SHA256=" + sha.substr(0, 63), false, false},
      {"Sha256LongByOne", "SHA256=" + sha + "a", false, false},
      {"Sha256WithMd5Size", "SHA256=" + md5, false, false},
      {"BothGoodForms", "MD5=" + md5 + "\r\nSHA256=" + sha, true, true},
      {"GoodMd5BadSha256", "MD5=" + md5 + "\r\nSHA256=" + sha.substr(0, 40), false, false},
      {"BadMd5GoodSha256", "MD5=" + md5.substr(0, 30) + "\r\nSHA256=" + sha, false, false},
  };
}

void PrintTo(const DigestFormCase& c, std::ostream* os) { *os << c.name; }

class DigestFormTest : public testing::TestWithParam<DigestFormCase> {};

TEST_P(DigestFormTest, OnlyWholeHexDigestsStand) {
  const DigestFormCase& c = GetParam();
  Shop shop{"", std::nullopt, {{"NJYS/installer.exe", kGenuine}}};
  ShopFolder folder;
  WriteFile(folder.manifestPath, "[NJYS]\r\npath=installer.exe\r\n" + c.section + "\r\n");
  PackageTable table = folder.Table(shop, ManifestKey());
  std::string trace;
  {
    TraceCapture capture(folder.dir);
    ASSERT_TRUE(LoadManifest(table));
    trace = capture.Text();
  }
  const PackageRecord& njys = table.m_NJYS;
  EXPECT_EQ(njys.m_strExpectedMd5.empty() && njys.m_strExpectedSha256.empty(), !c.usable);
  EXPECT_EQ(trace.find("manifest [NJYS] ") != std::string::npos, !c.usable) << trace;

  std::string reason;
  PackageFailure failure = PackageFailure::kNone;
  EXPECT_EQ(ObtainPackage(njys, &reason, &failure) == PackageState::kDownloaded, c.installs) << reason;
  EXPECT_EQ(shop.server.connections(), c.usable ? 1 : 0) << "a package without a usable digest is never fetched";
  if (!c.installs) {
    EXPECT_EQ(failure, PackageFailure::kDigest);
  }
  EXPECT_EQ(FileExists(OS().WideToAnsi(njys.m_strLocalPath)), c.installs);
}

INSTANTIATE_TEST_SUITE_P(Sections, DigestFormTest, testing::ValuesIn(DigestFormCases()),
                         [](const testing::TestParamInfo<DigestFormCase>& info) {
                           return std::string(info.param.name);
                         });

struct PackageFixture : testing::Test {
  ShopFolder folder;
  std::string local = folder.dir.File("installer.exe");

  PackageRecord Record(const Shop& shop, const std::string& md5, const std::string& sha256) const {
    PackageRecord record;
    record.m_strRemoteUrl = OS().AnsiToWide(shop.server.Url("/store/NJYS\\installer.exe"));
    record.m_strLocalPath = OS().AnsiToWide(local);
    record.m_strFileName = L"installer.exe";
    record.m_strExpectedMd5 = Wide(md5);
    record.m_strExpectedSha256 = Wide(sha256);
    return record;
  }
};

TEST_F(PackageFixture, BothDigestsMustMatch) {
  const std::string genuine = "MZ genuine installer";
  const std::string forged = "MZ forged installer";
  struct Case {
    const char* name;
    std::string served;
    std::string md5;
    std::string sha256;
    bool accepted;
  } cases[] = {
      {"both match", genuine, Md5Of(genuine), ShaOf(genuine), true},
      {"upper-case SHA-256", genuine, Md5Of(genuine), Upper(ShaOf(genuine)), true},
      {"MD5 alone", genuine, Md5Of(genuine), "", true},
      // What an MD5 collision would give: the MD5 the manifest names, other bytes.
      {"MD5 matches, SHA-256 doesn't", forged, Md5Of(forged), ShaOf(genuine), false},
      {"SHA-256 matches, MD5 doesn't", genuine, Md5Of(forged), ShaOf(genuine), false},
      {"SHA-256 cut short", genuine, Md5Of(genuine), ShaOf(genuine).substr(0, 40), false},
      {"SHA-256 alone", genuine, "", ShaOf(genuine), true},
      {"SHA-256 alone of another file", forged, "", ShaOf(genuine), false},
      // A record made by hand, not from a list: a digest's beginning is not the digest.
      {"MD5 cut short", genuine, Md5Of(genuine).substr(0, 31), "", false},
      {"MD5 one digit", genuine, Md5Of(genuine).substr(0, 1), "", false},
      {"MD5 and SHA-256 one digit each", genuine, Md5Of(genuine).substr(0, 1), ShaOf(genuine).substr(0, 1), false},
      {"no digest at all", genuine, "", "", false},
  };
  for (const Case& c : cases) {
    std::remove(local.c_str());
    Shop shop{"", std::nullopt, {{"NJYS/installer.exe", c.served}}};
    PackageRecord record = Record(shop, c.md5, c.sha256);
    EXPECT_EQ(EnsurePackage(record), c.accepted) << c.name;
    EXPECT_EQ(FileExists(local), c.accepted) << c.name << ": a refused download never lands";
    EXPECT_EQ(std::vector<std::string>{}, Leftovers(folder.dir.path())) << c.name;
    EXPECT_EQ(PackageFileMatches(record), c.accepted) << c.name;
  }
}

TEST_F(PackageFixture, ALocalFileFailingTheSha256IsFetchedAgain) {
  const std::string genuine = "MZ genuine installer";
  const std::string forged = "MZ forged installer";
  Shop shop{"", std::nullopt, {{"NJYS/installer.exe", genuine}}};
  WriteFile(local, forged);
  PackageRecord record = Record(shop, Md5Of(forged), ShaOf(genuine));
  // The MD5 names the forged file, so the genuine one fails it: the forged file stays unused.
  EXPECT_FALSE(EnsurePackage(record));
  EXPECT_EQ(shop.server.connections(), 1);
  EXPECT_EQ(ReadFile(local), forged);

  record.m_strExpectedMd5 = Wide(Md5Of(genuine));
  EXPECT_TRUE(EnsurePackage(record));
  EXPECT_EQ(ReadFile(local), genuine);
  EXPECT_EQ(shop.server.connections(), 2);
}

}  // namespace
}  // namespace lirra
