#include "net/package_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "net/manifest_commit.h"
#include "net/manifest_refresh.h"
#include "net/md5.h"
#include "platform/platform.h"
#include "support/fake_platform.h"
#include "support/loopback_server.h"
#include "support/temp_dir.h"

namespace lirra {
namespace {

using test::Answer;
using test::Listing;
using test::LoopbackServer;
using test::Response;

const std::wstring kBase = L"http://dl.test/mervo/store/mervoDrivce/";
const std::wstring kSep(1, kPathSep);

std::string Md5Of(const std::string& bytes) { return Md5Hex(bytes.data(), bytes.size()); }

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// A fresh table for a folder in a TempDir, with the manifest text written to its file.ini.
struct ManifestFixture {
  test::TempDir dir;
  std::wstring folder = OS().AnsiToWide(dir.path());

  PackageTable Apply(const std::string& manifest, const std::wstring& os, int bits, bool* loaded = nullptr) {
    PackageTable table = PackageTable::Create(folder, kBase, os, bits);
    test::WriteFile(dir.File("file.ini"), manifest);
    bool ok = LoadManifest(table);
    if (loaded) *loaded = ok;
    return table;
  }
};

TEST(PackageTableTest, DefaultsPointIntoTheBaseAndTheFolder) {
  PackageTable t = PackageTable::Create(L"C:\\lirra", kBase, L"7", 32);
  EXPECT_EQ(t.m_strManifestUrl, kBase + L"file.ini");
  EXPECT_EQ(t.m_strManifestPath, L"C:\\lirra" + kSep + L"file.ini");
  EXPECT_EQ(t.m_NJYS.m_strRemoteUrl, kBase + L"NJYS\\clientsetup.exe");
  EXPECT_EQ(t.m_NJYS.m_strLocalPath, L"C:\\lirra" + kSep + L"NJYS" + kSep + L"clientsetup.exe");
  EXPECT_EQ(t.m_NJYS.m_strExpectedMd5, L"be16500187f8b550e01f955bad1399a1");
  EXPECT_EQ(t.m_IE8.m_strRemoteUrl, kBase + L"IE8XP.exe");
  EXPECT_EQ(t.m_IE8.m_strLocalPath, L"C:\\lirra" + kSep + L"IE8XP.exe");
  EXPECT_FALSE(t.m_HID.m_bAvailable);
  const char* keys[] = {"HID", "YSB", "NJYS", "WHJL", "SDSS", "IE8"};
  PackageRecord* records[] = {&t.m_HID, &t.m_YSB, &t.m_NJYS, &t.m_WHJL, &t.m_SDSS, &t.m_IE8};
  for (int i = 0; i < PackageTable::kRecordCount; ++i) {
    EXPECT_STREQ(PackageTable::RecordKey(i), keys[i]);
    EXPECT_EQ(&t.Record(i), records[i]);
  }
}

TEST(PackageTableTest, BuiltInUrlsUseTheConfiguredHosts) {
  EXPECT_EQ(DefaultBaseUrl(), Wide(std::string("http://") + LIRRA_DOWNLOAD_HOST + "/mervo/store/mervoDrivce/"));
  EXPECT_EQ(VersionDataUrl(), Wide(std::string("http://") + LIRRA_PLATFORM_HOST + "/backend/plugin/version/get"));
}

TEST(PackageTableTest, TheProcessTableTakesThisPcFromThePlatform) {
  test::FakePlatform fake;
  fake.modulePath = std::wstring(L"C:\\shop") + kSep + L"lirra.exe";
  fake.osVersion = {6, 1};
  fake.is64Bit = true;
  ResetPackageTable();
  PackageTable& table = GetPackageTable();
  EXPECT_EQ(&table, &GetPackageTable());
  EXPECT_EQ(table.m_strModuleDir, L"C:\\shop");
  EXPECT_EQ(table.m_strOsName, L"7");
  EXPECT_EQ(table.m_nBits, 64);
  EXPECT_EQ(table.m_strBaseUrl, DefaultBaseUrl());
}

// ---- manifests ----

struct ManifestCase {
  const char* name;
  std::string manifest;
  std::wstring os;
  int bits;
  int record;  // index in table order
  std::wstring remoteAfterBase;
  std::wstring localAfterFolder;  // with kPathSep between parts, given here with '|'
  std::wstring fileName;
  std::wstring md5;
  bool available;
};

std::wstring Local(std::wstring parts) {
  for (wchar_t& c : parts)
    if (c == L'|') c = kPathSep;
  return parts;
}

const std::wstring kNjysMd5 = L"be16500187f8b550e01f955bad1399a1";
const std::wstring kHidMd5 = L"6dc5143eacb9dc3c4ffee81bcff0206c";
const std::wstring kIeMd5 = L"acde10a1f8659cf91a3a323590195b48";

std::vector<ManifestCase> ManifestCases() {
  return {
      {"NewFileNameKeepsLocalPath", "[NJYS]\npath=newsetup.exe\nMD5=0123456789abcdef0123456789abcdef\n", L"7", 32, 2,
       L"NJYS\\newsetup.exe", L"|NJYS|clientsetup.exe", L"newsetup.exe", L"0123456789abcdef0123456789abcdef", false},
      {"IeGainsItsFolder", "[IE]\npath=ie8-new.exe\n", L"XP", 32, 5, L"IE\\ie8-new.exe", L"|IE8XP.exe", L"ie8-new.exe",
       kIeMd5, false},
      {"DoubleQuotesRemoved", "[NJYS]\npath=\"quoted.exe\"\nMD5=\"ffffffffffffffffffffffffffffffff\"\n", L"7", 32, 2,
       L"NJYS\\quoted.exe", L"|NJYS|clientsetup.exe", L"quoted.exe", L"ffffffffffffffffffffffffffffffff", false},
      {"SingleQuotesRemoved", "[YSB]\npath='single.exe'\n", L"7", 32, 1, L"YSB\\single.exe", L"|YSB|BTReader.exe",
       L"single.exe", L"032493574ae689c119585f173ab9fe9d", false},
      {"LoneQuoteChangesNothing", "[NJYS]\npath=\"\nMD5='\n", L"7", 32, 2, L"NJYS\\clientsetup.exe",
       L"|NJYS|clientsetup.exe", L"clientsetup.exe", kNjysMd5, false},
      {"HidForWindows7x64", "[HID]\nW764=hid764.exe\nW764MD5=11111111111111111111111111111111\nXP32=xp.exe\n", L"7", 64,
       0, L"HID\\hid764.exe", L"|HID|hid764.exe", L"hid764.exe", L"11111111111111111111111111111111", true},
      {"HidKeyMissingLeavesTheKeyAsName", "[HID]\nXP32=xp.exe\n", L"10", 64, 0, L"HID\\XP32.exe", L"|HID|XP32.exe",
       L"W1064", kHidMd5, false},
      {"UnsupportedWindowsLeavesHidUnavailable", "[HID]\nXP32=xp.exe\nW764=w.exe\nW1064=w10.exe\n", L"No", 64, 0,
       L"HID\\XP32.exe", L"|HID|XP32.exe", L"XP32.exe", kHidMd5, false},
      {"ParentFolderRefused", "[NJYS]\npath=..\\..\\evil.exe\n", L"7", 32, 2, L"NJYS\\clientsetup.exe",
       L"|NJYS|clientsetup.exe", L"clientsetup.exe", kNjysMd5, false},
      {"SlashRefused", "[WHJL]\npath=sub/evil.exe\n", L"7", 32, 3, L"WHJL\\jinglun.exe", L"|WHJL|jinglun.exe",
       L"jinglun.exe", L"1e8e74316902caa99a3ffe089994059e", false},
      {"DriveRefused", "[SDSS]\npath=C:evil.exe\n", L"7", 32, 4, L"SDSS\\shandongshensi.exe",
       L"|SDSS|shandongshensi.exe", L"shandongshensi.exe", L"206a6ddc7a25940dde3a7316165c6cc2", false},
      {"DotDotRefused", "[IE]\npath=..\n", L"XP", 32, 5, L"IE8XP.exe", L"|IE8XP.exe", L"IE8XP.exe", kIeMd5, false},
      {"HidPathRefused", "[HID]\nXP32=..\\..\\Windows\\evil.exe\n", L"XP", 32, 0, L"HID\\XP32.exe", L"|HID|XP32.exe",
       L"XP32", kHidMd5, false},
      {"DeviceNameRefused", "[YSB]\npath=NUL.exe\n", L"7", 32, 1, L"YSB\\BTReader.exe", L"|YSB|BTReader.exe",
       L"BTReader.exe", L"032493574ae689c119585f173ab9fe9d", false},
      {"UrlCharactersEscaped", "[NJYS]\npath=\"a#b%c.exe\"\n", L"7", 32, 2, L"NJYS\\a%23b%25c.exe",
       L"|NJYS|clientsetup.exe", L"a#b%c.exe", kNjysMd5, false},
      {"HidUrlEscaped", "[HID]\nW1064='h#1.exe'\n", L"10", 64, 0, L"HID\\h%231.exe", L"|HID|h#1.exe", L"h#1.exe",
       kHidMd5, true},
  };
}

class ManifestTest : public testing::TestWithParam<ManifestCase> {};

TEST_P(ManifestTest, AppliesToTheRecord) {
  const ManifestCase& c = GetParam();
  ManifestFixture f;
  bool loaded = false;
  PackageTable table = f.Apply(c.manifest, c.os, c.bits, &loaded);
  ASSERT_TRUE(loaded);
  const PackageRecord& r = table.Record(c.record);
  EXPECT_EQ(r.m_strRemoteUrl, kBase + c.remoteAfterBase);
  EXPECT_EQ(r.m_strLocalPath, f.folder + Local(c.localAfterFolder));
  EXPECT_EQ(r.m_strFileName, c.fileName);
  EXPECT_EQ(r.m_strExpectedMd5, c.md5);
  EXPECT_EQ(r.m_bAvailable, c.available);
}

INSTANTIATE_TEST_SUITE_P(Manifests, ManifestTest, testing::ValuesIn(ManifestCases()),
                         [](const testing::TestParamInfo<ManifestCase>& info) { return std::string(info.param.name); });

TEST(ManifestTest, EveryHidKeyIsChosenByWindowsAndBitness) {
  std::string manifest = "[HID]\r\n";
  const char* keys[] = {"XP32", "XP64", "W732", "W764", "W832", "W864", "W1032", "W1064"};
  for (const char* key : keys) manifest += std::string(key) + "=hid-" + key + ".exe\r\n";
  struct Pc {
    const wchar_t* os;
    int bits;
    const char* key;
  } pcs[] = {{L"XP", 32, "XP32"}, {L"XP", 64, "XP64"}, {L"7", 32, "W732"},   {L"7", 64, "W764"},
             {L"8", 32, "W832"},  {L"8", 64, "W864"},  {L"10", 32, "W1032"}, {L"10", 64, "W1064"}};
  for (const Pc& pc : pcs) {
    ManifestFixture f;
    PackageTable table = f.Apply(manifest, pc.os, pc.bits);
    std::wstring file = L"hid-" + Wide(pc.key) + L".exe";
    EXPECT_EQ(table.m_HID.m_strFileName, file) << pc.key;
    EXPECT_EQ(table.m_HID.m_strRemoteUrl, kBase + L"HID\\" + file) << pc.key;
    EXPECT_TRUE(table.m_HID.m_bAvailable) << pc.key;
  }
}

TEST(ManifestTest, MissingManifestLeavesTheTableAsItWas) {
  test::TempDir dir;
  PackageTable table = PackageTable::Create(OS().AnsiToWide(dir.path()), kBase, L"7", 32);
  PackageTable before = table;
  EXPECT_FALSE(LoadManifest(table));
  EXPECT_EQ(table.m_NJYS.m_strRemoteUrl, before.m_NJYS.m_strRemoteUrl);
  EXPECT_EQ(table.m_HID.m_strFileName, before.m_HID.m_strFileName);
}

// The local list names a HID package and NJYS's new installer; the downloaded one withdraws
// both. Only what the newer list names is left to fetch or run.
TEST(ManifestTest, ALaterListReplacesTheEarlierOneWhole) {
  ManifestFixture f;
  PackageTable table = PackageTable::Create(f.folder, kBase, L"7", 64);
  test::WriteFile(f.dir.File("file.ini"),
                  "[NJYS]\npath=first.exe\nMD5=11111111111111111111111111111111\n[HID]\nW764=h.exe\n");
  ASSERT_TRUE(LoadManifest(table));
  ASSERT_TRUE(ClientInstallsHidPackage(table));
  test::WriteFile(f.dir.File("file.ini"), "[YSB]\npath=second.exe\n");
  ASSERT_TRUE(LoadManifest(table));
  const PackageTable defaults = PackageTable::Create(f.folder, kBase, L"7", 64);
  EXPECT_EQ(table.m_NJYS.m_strFileName, defaults.m_NJYS.m_strFileName);
  EXPECT_EQ(table.m_NJYS.m_strRemoteUrl, defaults.m_NJYS.m_strRemoteUrl);
  EXPECT_EQ(table.m_NJYS.m_strExpectedMd5, defaults.m_NJYS.m_strExpectedMd5);
  EXPECT_EQ(table.m_YSB.m_strFileName, L"second.exe");
  EXPECT_FALSE(table.m_HID.m_bAvailable);
  EXPECT_FALSE(ClientInstallsHidPackage(table));
  EXPECT_EQ(table.m_HID.m_strLocalPath, defaults.m_HID.m_strLocalPath);
}

TEST(ManifestTest, TheClientInstallsHidWhereTheListNamesItExceptOnWindows10) {
  const std::string manifest = "[HID]\nXP32=a.exe\nW732=b.exe\nW864=c.exe\nW1064=d.exe\n";
  struct Pc {
    const wchar_t* os;
    int bits;
    bool installs;
  } pcs[] = {{L"XP", 32, true},  {L"7", 32, true},  {L"8", 64, true},
             {L"10", 64, false}, {L"7", 64, false}, {L"No", 32, false}};
  for (const Pc& pc : pcs) {
    ManifestFixture f;
    EXPECT_EQ(ClientInstallsHidPackage(f.Apply(manifest, pc.os, pc.bits)), pc.installs) << pc.os << pc.bits;
  }
}

// A byte-order mark that an editor saved in front of the list hides nothing.
TEST(ManifestTest, AByteOrderMarkBeforeTheFirstSectionIsSkipped) {
  ManifestFixture f;
  PackageTable table = f.Apply("\xEF\xBB\xBF[NJYS]\r\npath=bom.exe\r\n", L"7", 32);
  EXPECT_EQ(table.m_NJYS.m_strFileName, L"bom.exe");
}

struct NameCase {
  const char* name;
  bool plain;
};

TEST(ManifestTest, OnlyNamesWindowsCanCreateAsFilesArePlain) {
  const NameCase cases[] = {
      {"setup.exe", true}, {"a#b%c.exe", true}, {"con1.exe", true}, {"COM10.exe", true},  {"nul_.exe", true},
      {".hidden", true},   {"LPT0.exe", true},  {"", false},        {".", false},         {"..", false},
      {"...", false},      {"CON", false},      {"con.exe", false}, {"NUL.exe", false},   {"Com1", false},
      {"LPT9.txt", false}, {"AUX .exe", false}, {"CONOUT$", false}, {"name.", false},     {"name ", false},
      {"a/b", false},      {"a\\b", false},     {"c:x.exe", false}, {"a?b.exe", false},   {"a*b.exe", false},
      {"a\"b", false},     {"a<b", false},      {"a|b", false},     {"\x01x.exe", false},
  };
  for (const NameCase& c : cases) EXPECT_EQ(IsPlainFileName(c.name), c.plain) << "\"" << c.name << "\"";
}

// ---- the manifest replaces file.ini only when it arrived whole and names a package ----

const std::string kOldManifest = "[NJYS]\r\npath=old.exe\r\n";
const std::string kNewManifest = "[NJYS]\r\npath=new.exe\r\n";
const std::string kLength = std::to_string(kNewManifest.size());

struct KeptCase {
  const char* name;
  Answer answer;
};

std::vector<KeptCase> KeptCases() {
  const Answer::Then stall = Answer::Then::Stall;
  Answer trickle{"HTTP/1.1 200 OK\r\nContent-Length: 200\r\n\r\n"};
  trickle.drip = std::string(200, ';');
  trickle.dripMs = 500;  // each byte well within the per-receive limit
  return {
      {"NoLength", {"HTTP/1.1 200 OK\r\nServer: portal\r\n\r\n" + kNewManifest}},
      {"ChunkedBody", {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n14\r\n" + kNewManifest + "\r\n0\r\n\r\n"}},
      {"LengthsThatDisagree",
       {"HTTP/1.1 200 OK\r\nContent-Length: " + kLength + "\r\nContent-Length: 1" + kLength + "\r\n\r\n" +
        kNewManifest}},
      {"LengthWithLetters", {"HTTP/1.1 200 OK\r\nContent-Length: " + kLength + "x\r\n\r\n" + kNewManifest}},
      {"HeaderOver1024",
       {"HTTP/1.1 200 OK\r\nX-Pad: " + std::string(1100, 'p') + "\r\nContent-Length: " + kLength + "\r\n\r\n" +
        kNewManifest}},
      {"HeaderCutAtItsDeadline", {"HTTP/1.1 200 OK\r\nContent-Length: " + kLength + "\r\n", stall, 8000}},
      {"EmptyBody", {Response("200 OK", "")}},
      {"CaptivePortalPage",
       {Response("200 OK", "<html><head><title>Wi-Fi login</title></head><body><form>[NJYS]</form></body></html>")}},
      {"NamesNoPackage",
       {Response("200 OK", "[NJYS]\r\npath=\r\n[HID]\r\nW764=..\\evil.exe\r\n[YSB]\r\npath=CON\r\n")}},
      {"BodyCutShort", {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + kNewManifest}},
      {"NotFound", {Response("404 Not Found", kNewManifest)}},
      // A whole, well-formed list that only its length keeps out.
      {"BeyondTheManifestCap", {Response("200 OK", kNewManifest + std::string(70000 - kNewManifest.size(), ';'))}},
      {"TricklePastTheDeadline", trickle},
  };
}

class ManifestKeptTest : public testing::TestWithParam<KeptCase> {};

TEST_P(ManifestKeptTest, TheLocalManifestStaysAsItWas) {
  test::TempDir dir;
  std::string path = dir.File("file.ini");
  test::WriteFile(path, kOldManifest);
  LoopbackServer server({GetParam().answer});
  auto start = std::chrono::steady_clock::now();
  ManifestOutcome outcome = RefreshManifest(OS().AnsiToWide(server.Url("/store/file.ini")), OS().AnsiToWide(path));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kManifestDeadlineMs + 2000));
  EXPECT_EQ(outcome.state, ManifestRefresh::kKept);
  EXPECT_FALSE(outcome.reason.empty());
  EXPECT_EQ(test::ReadFile(path), kOldManifest);
  EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"file.ini"}) << "no temporary file stays behind";
}

INSTANTIATE_TEST_SUITE_P(Shapes, ManifestKeptTest, testing::ValuesIn(KeptCases()),
                         [](const testing::TestParamInfo<KeptCase>& info) { return std::string(info.param.name); });

TEST(ManifestRefreshTest, ASoundManifestReplacesTheOldOneOnceAndAPortalPageStaysOut) {
  test::TempDir dir;
  std::string path = dir.File("file.ini");
  test::WriteFile(path, kOldManifest);
  LoopbackServer server({Answer{Response("200 OK", kNewManifest)}, Answer{Response("200 OK", kNewManifest)},
                         Answer{Response("200 OK", "<html><body>Please log in</body></html>")}});
  std::wstring url = OS().AnsiToWide(server.Url("/store/file.ini"));
  EXPECT_EQ(RefreshManifest(url, OS().AnsiToWide(path)).state, ManifestRefresh::kReplaced);
  EXPECT_EQ(test::ReadFile(path), kNewManifest);
  EXPECT_EQ(RefreshManifest(url, OS().AnsiToWide(path)).state, ManifestRefresh::kCurrent);
  EXPECT_EQ(RefreshManifest(url, OS().AnsiToWide(path)).state, ManifestRefresh::kKept);
  EXPECT_EQ(test::ReadFile(path), kNewManifest);
  EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"file.ini"});
}

// ---- downloads ----

// A download host serving one file; every other path is 404.
struct Host {
  std::string path;
  std::string content;
  LoopbackServer server{[this](const std::string& request) {
    return request.rfind("GET " + path + " ", 0) == 0 ? Answer{Response("200 OK", content)}
                                                      : Answer{Response("404 Not Found", "no")};
  }};
};

struct DownloadFixture : testing::Test {
  test::TempDir dir;
  std::string local = dir.File("NJYS") + static_cast<char>(kPathSep) + "clientsetup.exe";
  PackageRecord record;
  void Point(const Host& host, const std::string& expectedMd5) {
    record.m_strRemoteUrl = OS().AnsiToWide(host.server.Url("/store/NJYS\\clientsetup.exe"));
    record.m_strLocalPath = OS().AnsiToWide(local);
    record.m_strFileName = L"clientsetup.exe";
    record.m_strExpectedMd5 = Wide(expectedMd5);
  }
};

TEST_F(DownloadFixture, MatchingFileMakesNoConnection) {
  Host host{"/store/NJYS/clientsetup.exe", "installer bytes"};
  std::string md5 = Md5Of("installer bytes");
  for (char& c : md5) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));  // case does not matter
  Point(host, md5);
  ASSERT_TRUE(OS().MakeDirectory(OS().AnsiToWide(dir.File("NJYS"))));
  test::WriteFile(local, "installer bytes");
  PackageFailure failure = PackageFailure::kDigest;
  EXPECT_TRUE(EnsurePackage(record, &failure));
  EXPECT_EQ(failure, PackageFailure::kNone);
  EXPECT_EQ(host.server.connections(), 0);
}

TEST_F(DownloadFixture, MissingFileIsDownloadedAndVerified) {
  Host host{"/store/NJYS/clientsetup.exe", std::string(50000, 'i')};
  Point(host, Md5Of(host.content));
  // The progress of the download, block by block, up to the announced length.
  std::vector<long long> arrived;
  EXPECT_TRUE(EnsurePackage(record, nullptr, [&](long long received, long long total) {
    EXPECT_EQ(total, 50000);
    arrived.push_back(received);
  }));
  ASSERT_FALSE(arrived.empty());
  EXPECT_TRUE(std::is_sorted(arrived.begin(), arrived.end()));
  EXPECT_EQ(arrived.back(), 50000);
  EXPECT_EQ(test::ReadFile(local), host.content);
  EXPECT_EQ(Listing(dir.File("NJYS")), std::vector<std::string>{"clientsetup.exe"});
  EXPECT_EQ(host.server.connections(), 1);
  // Now it matches: no second transfer.
  EXPECT_TRUE(EnsurePackage(record));
  EXPECT_EQ(host.server.connections(), 1);
}

TEST_F(DownloadFixture, TamperedDownloadIsRefusedAndNeverLands) {
  Host host{"/store/NJYS/clientsetup.exe", "tampered installer"};
  Point(host, Md5Of("genuine installer"));
  PackageFailure failure = PackageFailure::kNone;
  std::string reason;
  testing::internal::CaptureStdout();
  EXPECT_EQ(ObtainPackage(record, &reason, &failure), PackageState::kFailed);
  const std::string trace = testing::internal::GetCapturedStdout();
  EXPECT_EQ(failure, PackageFailure::kDigest);
  // The trace says what arrived and which digest was expected.
  const std::string said = "md5 " + Md5Of("tampered installer") + ", expected " + Md5Of("genuine installer");
  EXPECT_NE(trace.find(said), std::string::npos) << trace;
  EXPECT_NE(reason.find(said), std::string::npos) << reason;
  EXPECT_FALSE(test::FileExists(local));
  EXPECT_TRUE(Listing(dir.File("NJYS")).empty()) << "no temporary file stays behind";
}

TEST_F(DownloadFixture, ANameWithUrlCharactersIsFetchedUnderItsOwnName) {
  Host host{"/store/NJYS/a%23b%25c.exe", "installer with an odd name"};
  PackageTable table =
      PackageTable::Create(OS().AnsiToWide(dir.path()), OS().AnsiToWide(host.server.Url("/store/")), L"7", 32);
  test::WriteFile(dir.File("file.ini"), "[NJYS]\npath=\"a#b%c.exe\"\nMD5=" + Md5Of(host.content) + "\n");
  ASSERT_TRUE(LoadManifest(table));
  EXPECT_EQ(ObtainPackage(table.m_NJYS, nullptr), PackageState::kDownloaded);
  EXPECT_EQ(test::ReadFile(local), host.content);
  EXPECT_EQ(ObtainPackage(table.m_NJYS, nullptr), PackageState::kPresent);
}

TEST_F(DownloadFixture, FailedTransfersAreFailuresAndKeepTheOldFile) {
  test::WriteFile(dir.File("old.exe"), "old");
  struct Case {
    const char* name;
    Answer answer;
  } cases[] = {
      {"404", {Response("404 Not Found", "gone")}},
      {"500", {Response("500 Internal Server Error", "err")}},
      {"short", {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly part"}},
  };
  for (const Case& c : cases) {
    LoopbackServer server({c.answer});
    record.m_strRemoteUrl = OS().AnsiToWide(server.Url("/x.exe"));
    record.m_strLocalPath = OS().AnsiToWide(dir.File("old.exe"));
    record.m_strExpectedMd5 = Wide(Md5Of("new"));
    PackageFailure failure = PackageFailure::kNone;
    EXPECT_FALSE(EnsurePackage(record, &failure)) << c.name;
    EXPECT_EQ(failure, PackageFailure::kTransfer) << c.name;
    EXPECT_FALSE(DownloadFile(record.m_strRemoteUrl, record.m_strLocalPath)) << c.name;
    EXPECT_EQ(test::ReadFile(dir.File("old.exe")), "old") << c.name;
  }
  int port = test::UnusedPort();
  record.m_strRemoteUrl = L"http://127.0.0.1:" + std::to_wstring(port) + L"/x.exe";
  PackageFailure failure = PackageFailure::kNone;
  EXPECT_FALSE(EnsurePackage(record, &failure));
  EXPECT_EQ(failure, PackageFailure::kTransfer);
  EXPECT_FALSE(DownloadFile(record.m_strRemoteUrl, record.m_strLocalPath));
  EXPECT_EQ(test::ReadFile(dir.File("old.exe")), "old");
}

// What the disk shows at the installer's path and what a hold of it reads: they differ when the
// file was swapped once the hold was taken, which the fake plays by scripting the hold.
struct HeldCase {
  const char* name;
  const char* onDisk;  // nullptr: no file
  const char* held;
  PackageState state;
  PackageFailure failure;
  int connections;
};

void PrintTo(const HeldCase& c, std::ostream* os) { *os << c.name; }

struct HeldDigestTest : DownloadFixture, testing::WithParamInterface<HeldCase> {};

// The digests that decide are read through the hold the installer is launched from, never
// from a second opening of its path.
TEST_P(HeldDigestTest, TheHoldsBytesDecide) {
  const HeldCase& c = GetParam();
  Host host{"/store/NJYS/clientsetup.exe", "genuine installer"};
  Point(host, Md5Of("genuine installer"));
  if (c.onDisk) {
    ASSERT_TRUE(OS().MakeDirectory(OS().AnsiToWide(dir.File("NJYS"))));
    test::WriteFile(local, c.onDisk);
  }
  test::FakePlatform fake;
  fake.heldContents[record.m_strLocalPath] = c.held;
  HeldFilePtr installer;
  PackageFailure failure = PackageFailure::kNone;
  testing::internal::CaptureStdout();
  EXPECT_EQ(ObtainPackage(record, nullptr, &failure, nullptr, &installer), c.state);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(failure, c.failure);
  EXPECT_EQ(host.server.connections(), c.connections);
  if (c.state == PackageState::kFailed) {
    EXPECT_FALSE(installer);
    EXPECT_FALSE(fake.IsHeld(record.m_strLocalPath));
    return;
  }
  ASSERT_TRUE(installer);
  EXPECT_EQ(installer->Path(), record.m_strLocalPath);
  EXPECT_TRUE(fake.IsHeld(record.m_strLocalPath));
  installer.reset();
  EXPECT_FALSE(fake.IsHeld(record.m_strLocalPath));
}

INSTANTIATE_TEST_SUITE_P(
    Swaps, HeldDigestTest,
    testing::Values(HeldCase{"the hold matches, the path shows another file", "other installer", "genuine installer",
                             PackageState::kPresent, PackageFailure::kNone, 0},
                    HeldCase{"the path matches, the hold reads another file", "genuine installer", "other installer",
                             PackageState::kFailed, PackageFailure::kDigest, 1},
                    HeldCase{"the download changed after its own check", nullptr, "other installer",
                             PackageState::kFailed, PackageFailure::kDigest, 1}));

TEST_F(DownloadFixture, DownloadFileReplacesTheManifest) {
  Host host{"/store/file.ini", "[NJYS]\r\npath=new.exe\r\n"};
  std::string target = dir.File("file.ini");
  test::WriteFile(target, "[NJYS]\r\npath=old.exe\r\n");
  EXPECT_TRUE(DownloadFile(OS().AnsiToWide(host.server.Url("/store/file.ini")), OS().AnsiToWide(target)));
  EXPECT_EQ(test::ReadFile(target), host.content);
}

TEST(VersionDataTest, FetchesTheDocumentIntoTheBuffer) {
  LoopbackServer server({Answer{Response("200 OK", "{\"code\":0}")}});
  std::vector<char> buffer(1460, '\0');
  EXPECT_TRUE(GetVersionData(OS().AnsiToWide(server.Url("/backend/plugin/version/get")), buffer.data(), buffer.size()));
  EXPECT_STREQ(buffer.data(), "{\"code\":0}");
  EXPECT_NE(server.requests().at(0).find("GET /backend/plugin/version/get HTTP/1.1\r\n"), std::string::npos);
}

}  // namespace
}  // namespace lirra
