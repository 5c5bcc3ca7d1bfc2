// Signed package lists through the package table and a download host on loopback: which
// manifest lands on disk and is applied, what the trace says when one is refused, and the
// SHA-256 digest that a package must match beside its MD5. The key is the table's, so these
// run whatever key the build carries.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "net/manifest_signature.h"
#include "net/md5.h"
#include "net/package_table.h"
#include "platform/platform.h"
#include "store/trace.h"
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
    SetNetTraceStream(file_);
  }
  ~TraceCapture() {
    SetNetTraceStream(stdout);
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
    EXPECT_EQ(LocalManifestMayBeApplied(key, folder.manifestPath), localSigned);
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

// ---- SHA-256 beside MD5 ----

std::string Md5Of(const std::string& bytes) { return Md5Hex(bytes.data(), bytes.size()); }
std::string ShaOf(const std::string& bytes) { return Sha256Hex(bytes.data(), bytes.size()); }
std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

TEST(Sha256ManifestTest, SectionsAndTheHidKeyCarryIt) {
  Shop shop{"", std::nullopt, {}};
  ShopFolder folder;
  const std::string sha = ShaOf("njys"), hidSha = ShaOf("hid");
  WriteFile(folder.manifestPath, "[NJYS]\r\nMD5=0123456789abcdef0123456789abcdef\r\nSHA256=" + sha +
                                     "\r\n[HID]\r\nW732=h.exe\r\nW732SHA256='" + hidSha + "'\r\n[IE]\r\nSHA256=\"" +
                                     sha + "\"\r\n");
  PackageTable table = folder.Table(shop, ManifestKey());
  ASSERT_TRUE(LoadManifest(table));
  EXPECT_EQ(table.m_NJYS.m_strExpectedSha256, Wide(sha));
  EXPECT_EQ(table.m_HID.m_strExpectedSha256, Wide(hidSha));
  EXPECT_EQ(table.m_HID.m_strExpectedMd5, L"6dc5143eacb9dc3c4ffee81bcff0206c") << "SHA256 alone keeps the MD5";
  EXPECT_EQ(table.m_IE8.m_strExpectedSha256, Wide(sha));
  EXPECT_EQ(table.m_YSB.m_strExpectedSha256, L"") << "none by default";

  // A later manifest that gives a new MD5 alone drops the SHA-256 of the old file.
  WriteFile(folder.manifestPath, "[NJYS]\r\nMD5=ffffffffffffffffffffffffffffffff\r\n[HID]\r\nW732=h.exe\r\n");
  ASSERT_TRUE(LoadManifest(table));
  EXPECT_EQ(table.m_NJYS.m_strExpectedMd5, L"ffffffffffffffffffffffffffffffff");
  EXPECT_EQ(table.m_NJYS.m_strExpectedSha256, L"");
  EXPECT_EQ(table.m_HID.m_strExpectedSha256, Wide(hidSha)) << "a section without digests keeps them";
}

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

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

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
