// The start-up preparation against a shop server on loopback, through the real HTTP client,
// package table and update check: what arrives is verified before it runs, and a server
// that is down costs a failed check, not a hang.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/prepare_worker.h"
#include "app/self_update.h"
#include "net/crypto.h"
#include "net/manifest_trust.h"
#include "net/md5.h"
#include "net/package_table.h"
#include "pc/run_flags.h"
#include "platform/platform.h"
#include "platform/utf8.h"
#include "prepare_fakes.h"
#include "support/loopback_server.h"
#include "support/temp_dir.h"

namespace lirra {
namespace {

using test::Answer;
using test::FileExists;
using test::kHidPluginKey;
using test::kIdle;
using test::kIEValues;
using test::Lines;
using test::Local;
using test::LoopbackServer;
using test::ReadFile;
using test::RecordingUi;
using test::Response;
using test::ScriptedPc;
using test::TempDir;
using test::Transcript;
using test::WriteFile;

const char kBase[] = "/mervo/store/mervoDrivce/";
const char kVersionPath[] = "/backend/plugin/version/get";
const std::string kInstaller = "MZ stand-in HID driver installer";

std::string Md5Of(const std::string& bytes) { return Md5Hex(bytes.data(), bytes.size()); }

std::string ManifestFor(const std::string& installerDigest) {
  return "[HID]\r\nW732=hid732.exe\r\nW732MD5=" + installerDigest + "\r\n";
}

// What the shop server holds, by request path.
struct Shop {
  std::string manifest;
  std::string installer;
  std::string versionDocument;
  std::string signature = "";  // file.ini.sig; none when empty

  Answer Serve(const std::string& request) const {
    std::string path = request.substr(4, request.find(' ', 4) - 4);
    if (path == std::string(kBase) + "file.ini") return {Response("200 OK", manifest)};
    if (path == std::string(kBase) + "file.ini.sig" && !signature.empty()) return {Response("200 OK", signature)};
    if (path == std::string(kBase) + "HID/hid732.exe") return {Response("200 OK", installer)};
    if (path == kVersionPath) return {Response("200 OK", versionDocument)};
    return {Response("404 Not Found", "")};
  }
};

class PrepareOverHttp : public testing::Test {
 protected:
  PrepareOverHttp() : pc_(log_) {
    pc_.modulePath = Utf8ToWide(dir_.File("lirra.exe"));
    log_.SetDir(Utf8ToWide(dir_.path()));
    pc_.osVersion = {6, 1};
    pc_.processes = {kIdle};
    pc_.registryStrings[kIEValues + L"svcVersion"] = L"11.0.9600.18952";
    pc_.registryKeys.insert(kHidPluginKey);
    CRunFlags::GetInstance() = CRunFlags();
  }

  // Runs the worker against the server at host ("127.0.0.1:PORT") with the table's manifest
  // key; returns standard output.
  std::string Run(const std::string& host, const ManifestKey& key = ManifestKey()) {
    std::wstring root = Utf8ToWide("http://" + host);
    GetPackageTable() = PackageTable::Create(Utf8ToWide(dir_.path()), root + Utf8ToWide(kBase), L"7", 32);
    GetPackageTable().m_ManifestKey = key;
    HttpPrepareNetwork network(root + Utf8ToWide(kVersionPath));
    testing::internal::CaptureStdout();
    RunPreparation(ui_, network);
    return testing::internal::GetCapturedStdout();
  }

  TempDir dir_;
  Transcript log_;
  ScriptedPc pc_;
  RecordingUi ui_{log_};
};

const Lines kChecks = {
    "text 正在检查系统环境，请稍候...", "service upnphost",          "service AxInstSV", "service SCardSvr",
    "text 正在检查版本更新情况...",     "text 正在检查版本已经OK..."};
const Lines kFinish = {"text 初始化完成，正在启动系统，请稍候...", "done"};

Lines Join(std::initializer_list<Lines> parts) {
  Lines out;
  for (const Lines& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

TEST_F(PrepareOverHttp, VerifiedDriverIsFetchedAndRunAndNewerVersionOffered) {
  Shop shop{ManifestFor(Md5Of(kInstaller)), kInstaller,
            R"({"code":0,"msg":"ok","value":{"value":"1.0.0.10","downloadPage":"http://127.0.0.1/new.html"}})"};
  LoopbackServer server([&](const std::string& request) { return shop.Serve(request); });
  ui_.answers = {true};

  std::string out = Run("127.0.0.1:" + std::to_string(server.port()));

  const std::string openPage =
      "run \"C:\\Program Files\\Internet Explorer\\iexplore.exe\" \"http://127.0.0.1/new.html\"";
  EXPECT_EQ(log_.lines, Join({kChecks,
                              {"ask 更新提醒|检测到当前版本需要更新，是否要更新？|更新|取消", openPage,
                               "text 正在下载HID必备驱动...", "progress 100",
                               "text 正在安装HID驱动【温馨提示：如果杀毒软件或360拦截安装，请允许】", "sleep 100",
                               "wait HID驱动 hid732.exe", "open held " + Local("HID/hid732.exe"), "waited"},
                              kFinish}));
  EXPECT_EQ(ReadFile(dir_.File("file.ini")), shop.manifest);
  EXPECT_EQ(ReadFile(dir_.path() + static_cast<char>(kPathSep) + "HID" + static_cast<char>(kPathSep) + "hid732.exe"),
            kInstaller);
  EXPECT_TRUE(CRunFlags::GetInstance().m_bOfferDriverSetup) << "no manifest was there before this start";
  EXPECT_EQ(out.find("get latst Versioninfo Fail!"), std::string::npos) << out;
}

const Lines kDownloadFailed = {"text 正在下载HID必备驱动...", "text HID驱动下载失败，未安装HID驱动，读卡器可能无法使用",
                               "sleep 3000"};

TEST_F(PrepareOverHttp, InstallerFailingItsDigestIsSaidNeitherKeptNorRun) {
  Shop shop{ManifestFor(Md5Of(kInstaller)), "MZ something else entirely", R"({"code":0,"value":{"value":"1.0.0.2"}})"};
  LoopbackServer server([&](const std::string& request) { return shop.Serve(request); });

  std::string out = Run("127.0.0.1:" + std::to_string(server.port()));

  EXPECT_EQ(log_.lines, Join({kChecks,
                              {"text 正在下载HID必备驱动...", "progress 100",
                               "text HID驱动安装包校验失败，未安装HID驱动，读卡器可能无法使用", "sleep 3000"},
                              kFinish}));
  // The trace names the digest that arrived and the one the manifest expects.
  EXPECT_NE(out.find("md5 " + Md5Of("MZ something else entirely") + ", expected " + Md5Of(kInstaller)),
            std::string::npos)
      << out;
  std::string hidFolder = dir_.path() + static_cast<char>(kPathSep) + "HID" + static_cast<char>(kPathSep);
  EXPECT_FALSE(FileExists(hidFolder + "hid732.exe"));
  if (std::filesystem::exists(hidFolder)) {
    EXPECT_TRUE(std::filesystem::is_empty(hidFolder)) << "no temporary file stays behind";
  }
}

TEST_F(PrepareOverHttp, ServerDownEndsInFailedChecksNotAHang) {
  // The manifest of an earlier start names the HID driver, which can't be fetched now.
  WriteFile(dir_.File("file.ini"), ManifestFor(Md5Of(kInstaller)));

  std::string out = Run("127.0.0.1:" + std::to_string(test::UnusedPort()));

  EXPECT_EQ(log_.lines, Join({kChecks, kDownloadFailed, kFinish}));
  EXPECT_NE(out.find("get latst Versioninfo Fail! ret=[-1].\r\n"), std::string::npos) << out;
  EXPECT_FALSE(CRunFlags::GetInstance().m_bOfferDriverSetup);
  EXPECT_EQ(ReadFile(dir_.File("file.ini")), ManifestFor(Md5Of(kInstaller))) << "a failed download keeps the old one";
}

TEST_F(PrepareOverHttp, ServerThatNeverAnswersEndsInFailedChecksNotAHang) {
  WriteFile(dir_.File("file.ini"), ManifestFor(Md5Of(kInstaller)));
  // Accepts every connection and says nothing for longer than the client waits for a header.
  LoopbackServer server(std::vector<Answer>{{"", Answer::Then::Stall, 4500}});

  std::string out = Run("127.0.0.1:" + std::to_string(server.port()));

  EXPECT_EQ(log_.lines, Join({kChecks, kDownloadFailed, kFinish}));
  EXPECT_NE(out.find("get latst Versioninfo Fail! ret=[-1].\r\n"), std::string::npos) << out;
  EXPECT_EQ(ReadFile(dir_.File("file.ini")), ManifestFor(Md5Of(kInstaller)));
}

TEST_F(PrepareOverHttp, APackageTheDownloadedListWithdrawsIsNeitherFetchedNorRun) {
  // The list of an earlier start names the HID driver; the one served now no longer does.
  WriteFile(dir_.File("file.ini"), ManifestFor(Md5Of(kInstaller)));
  Shop shop{"[NJYS]\r\npath=clientsetup.exe\r\n", kInstaller, R"({"code":0,"value":{"value":"1.0.0.2"}})"};
  LoopbackServer server([&](const std::string& request) { return shop.Serve(request); });

  Run("127.0.0.1:" + std::to_string(server.port()));

  EXPECT_EQ(log_.lines, Join({kChecks, kFinish}));
  EXPECT_EQ(ReadFile(dir_.File("file.ini")), shop.manifest);
  EXPECT_FALSE(GetPackageTable().m_HID.m_bAvailable);
  for (const std::string& request : server.requests()) EXPECT_EQ(request.find("hid732"), std::string::npos);
}

// ---- a client built with a manifest key ----

// RFC 8032's first test key; its secret is published, so it guards nothing real.
const ManifestKey kTestKey = ManifestKey::FromBase64("11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHURo=");

std::string Sign(const std::string& manifest) {
  std::string seed;
  DecodeBase64("nWGxne/9WmC6hEr0kuwsxERJxWl7MmkZcDusAxyuf2A=", &seed);
  return EncodeBase64(*SignEd25519(seed, manifest)) + "\r\n";
}

std::string Sha256Of(const std::string& bytes) { return Sha256Hex(bytes.data(), bytes.size()); }

// A signed manifest naming the HID driver with both digests.
std::string SignedManifestFor(int serial, const std::string& md5, const std::string& sha256) {
  return "[manifest]\r\nserial=" + std::to_string(serial) + "\r\n" + ManifestFor(md5) + "W732SHA256=" + sha256 + "\r\n";
}

const Lines kHidRun = {"text 正在下载HID必备驱动...",
                       "progress 100",
                       "text 正在安装HID驱动【温馨提示：如果杀毒软件或360拦截安装，请允许】",
                       "sleep 100",
                       "wait HID驱动 hid732.exe",
                       "open held " + Local("HID/hid732.exe"),
                       "waited"};

TEST_F(PrepareOverHttp, KeyedClientRunsTheDriverOfASignedManifest) {
  std::string manifest = SignedManifestFor(1, Md5Of(kInstaller), Sha256Of(kInstaller));
  Shop shop{manifest, kInstaller, R"({"code":0,"value":{"value":"1.0.0.2"}})", Sign(manifest)};
  LoopbackServer server([&](const std::string& request) { return shop.Serve(request); });

  Run("127.0.0.1:" + std::to_string(server.port()), kTestKey);

  EXPECT_EQ(log_.lines, Join({kChecks, kHidRun, kFinish}));
  EXPECT_EQ(ReadFile(dir_.File("file.ini")), manifest);
  EXPECT_EQ(ReadFile(dir_.File("file.ini.sig")), shop.signature);
}

TEST_F(PrepareOverHttp, KeyedClientNeverRunsAnInstallerWhoseMd5MatchesButSha256DoesNot) {
  // What an MD5 collision would give: the forged file has the MD5 the manifest names.
  const std::string forged = "MZ forged driver installer";
  std::string manifest = SignedManifestFor(1, Md5Of(forged), Sha256Of(kInstaller));
  Shop shop{manifest, forged, R"({"code":0,"value":{"value":"1.0.0.2"}})", Sign(manifest)};
  LoopbackServer server([&](const std::string& request) { return shop.Serve(request); });

  std::string out = Run("127.0.0.1:" + std::to_string(server.port()), kTestKey);

  EXPECT_EQ(log_.lines, Join({kChecks,
                              {"text 正在下载HID必备驱动...", "progress 100",
                               "text HID驱动安装包校验失败，未安装HID驱动，读卡器可能无法使用", "sleep 3000"},
                              kFinish}));
  EXPECT_NE(out.find("sha256 " + Sha256Of(forged) + ", expected " + Sha256Of(kInstaller)), std::string::npos) << out;
  const char sep = static_cast<char>(kPathSep);
  EXPECT_FALSE(FileExists(dir_.path() + sep + "HID" + sep + "hid732.exe"));
  EXPECT_EQ(ReadFile(dir_.File("file.ini")), manifest) << "the manifest itself was good";
}

TEST_F(PrepareOverHttp, KeyedClientRefusesAnUnsignedManifestAndRunsNothing) {
  Shop shop{ManifestFor(Md5Of(kInstaller)), kInstaller, R"({"code":0,"value":{"value":"1.0.0.2"}})"};
  LoopbackServer server([&](const std::string& request) { return shop.Serve(request); });

  std::string out = Run("127.0.0.1:" + std::to_string(server.port()), kTestKey);

  EXPECT_EQ(log_.lines, Join({kChecks, kFinish})) << "the HID driver is named by no trusted manifest";
  EXPECT_FALSE(FileExists(dir_.File("file.ini")));
  EXPECT_TRUE(CRunFlags::GetInstance().m_bOfferDriverSetup);
  EXPECT_NE(out.find("refused: no signature file"), std::string::npos) << out;
}

TEST_F(PrepareOverHttp, KeyedClientKeepsItsSignedManifestAgainstALowerSerial) {
  // The local list names the genuine driver; the served one is older and names another file.
  std::string local = SignedManifestFor(5, Md5Of(kInstaller), Sha256Of(kInstaller));
  WriteFile(dir_.File("file.ini"), local);
  WriteFile(dir_.File("file.ini.sig"), Sign(local));
  std::string old = "[manifest]\r\nserial=4\r\n[HID]\r\nW732=vulnerable.exe\r\n";
  Shop shop{old, kInstaller, R"({"code":0,"value":{"value":"1.0.0.2"}})", Sign(old)};
  LoopbackServer server([&](const std::string& request) { return shop.Serve(request); });

  std::string out = Run("127.0.0.1:" + std::to_string(server.port()), kTestKey);

  EXPECT_EQ(log_.lines, Join({kChecks, kHidRun, kFinish}));
  EXPECT_EQ(ReadFile(dir_.File("file.ini")), local);
  EXPECT_FALSE(CRunFlags::GetInstance().m_bOfferDriverSetup);
  EXPECT_NE(out.find("refused: serial is lower"), std::string::npos) << out;
  for (const std::string& request : server.requests()) EXPECT_EQ(request.find("vulnerable"), std::string::npos);
}

// The worker's download of the manifest goes by the manifest's rule: a captive portal's page
// answered with 200 never replaces file.ini.
TEST(PrepareNetworkTest, APortalPageNeverReplacesTheManifest) {
  TempDir dir;
  const std::string path = dir.File("file.ini");
  WriteFile(path, "[NJYS]\r\npath=old.exe\r\n");
  LoopbackServer server({Answer{Response("200 OK", "<html><body>Please log in</body></html>")}});
  const PackageTable table =
      PackageTable::Create(OS().AnsiToWide(dir.path()), OS().AnsiToWide(server.Url("/store/")), L"7", 32);
  ASSERT_EQ(OS().AnsiToWide(path), table.m_strManifestPath);
  EXPECT_FALSE(HttpPrepareNetwork().DownloadManifest(table));
  EXPECT_EQ(ReadFile(path), "[NJYS]\r\npath=old.exe\r\n");
}

// An update's setup arrives whole and within its cap, or not at all; its signature arrives as
// the text the server sent, and a missing one as nothing.
TEST(PrepareNetworkTest, TheSetupArrivesWholeWithinItsCapAndItsSignatureAsText) {
  TempDir dir;
  const std::wstring path = Utf8ToWide(dir.File("lirra-update.exe"));
  const std::string tooLong = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kSetupCap + 1) + "\r\n\r\nMZ";
  LoopbackServer server({Answer{Response("200 OK", "MZ the setup")}, Answer{tooLong},
                         Answer{"HTTP/1.1 200 OK\r\nContent-Length: 400\r\n\r\nMZ cut short"},
                         Answer{Response("200 OK", "c2lnbmF0dXJl\n")}, Answer{Response("404 Not Found", "")}});
  HttpPrepareNetwork network;
  std::string reason;
  ASSERT_TRUE(network.DownloadSetup(server.Url("/s.exe"), path, nullptr, &reason)) << reason;
  EXPECT_EQ(ReadFile(dir.File("lirra-update.exe")), "MZ the setup");
  EXPECT_FALSE(network.DownloadSetup(server.Url("/s.exe"), path, nullptr, &reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_FALSE(network.DownloadSetup(server.Url("/s.exe"), path, nullptr, &reason));
  EXPECT_EQ(ReadFile(dir.File("lirra-update.exe")), "MZ the setup") << "a refused download replaced the setup";
  EXPECT_EQ(network.DownloadSignature(server.Url("/s.exe.sig"), &reason), std::optional<std::string>("c2lnbmF0dXJl\n"));
  EXPECT_EQ(network.DownloadSignature(server.Url("/s.exe.sig"), &reason), std::nullopt);
}

}  // namespace
}  // namespace lirra
