#include "app/update_check.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/fake_platform.h"
#include "support/loopback_server.h"

namespace lirra {
namespace {

using test::Answer;
using test::LoopbackServer;
using test::Response;

// UTF-8 of 中文版本 ("Chinese version").
const std::string kChineseUtf8 = "\xE4\xB8\xAD\xE6\x96\x87\xE7\x89\x88\xE6\x9C\xAC";

std::string Document(const std::string& code, const std::string& version, const std::string& extra = "") {
  return "{" + code + "\"msg\":\"ok\",\"value\":{\"key\":\"k1\",\"desc\":\"d\",\"value\":\"" + version +
         "\",\"feeInfo\":\"free\",\"downloadPage\":\"http://p.test/dl\",\"downloadUrl\":\"http://p.test/s.exe\"" +
         extra + "}}";
}

struct DocumentCase {
  const char* name;
  std::string body;
  const char* localVersion;
  int result;
  int code;
  int needUpdate;
  const char* value;  // szValue afterwards
  const char* msg;
};

std::vector<DocumentCase> DocumentCases() {
  const std::string ok = "\"code\":0,";
  return {
      {"SameVersion", Document(ok, "1.0.0.2"), "1.0.0.2", 0, 0, 0, "1.0.0.2", "ok"},
      {"TextAroundTheBraces", "callback(" + Document(ok, "1.0.0.3") + ");\r\n", "1.0.0.2", 0, 0, 1, "1.0.0.3", "ok"},
      {"NumbersNotText", Document(ok, "1.0.0.10"), "1.0.0.2", 0, 0, 1, "1.0.0.10", "ok"},
      {"FirstDifferenceDecides", Document(ok, "1.1.0.0"), "1.0.9.9", 0, 0, 1, "1.1.0.0", "ok"},
      {"OlderServer", Document(ok, "1.0.0.1"), "1.0.0.2", 0, 0, 0, "1.0.0.1", "ok"},
      {"NoLocalVersion", Document(ok, "0.0.0.1"), "0.0.0.0", 0, 0, 1, "0.0.0.1", "ok"},
      {"CodeOneStopsAtOnce", Document("\"code\":1,", "9.0.0.0"), "1.0.0.2", -1, 1, 0, "", ""},
      {"NoCode", Document("", "9.0.0.0"), "1.0.0.2", -1, -1, 0, "9.0.0.0", "ok"},
      {"ThreeNumbers", Document(ok, "1.0.3"), "1.0.0.2", -1, 0, 0, "1.0.3", "ok"},
      {"NotJson", "<html>502 Bad Gateway</html>", "1.0.0.2", -1, -1, 0, "", ""},
      {"Empty", "", "1.0.0.2", -1, -1, 0, "", ""},
      {"OpenBraceOnly", "{\"code\":0,", "1.0.0.2", -1, -1, 0, "", ""},
      // Members of another type count as absent.
      {"CodeAsText", Document("\"code\":\"0\",", "9.0.0.0"), "1.0.0.2", -1, -1, 0, "9.0.0.0", "ok"},
      {"CodeAsFraction", Document("\"code\":0.5,", "9.0.0.0"), "1.0.0.2", -1, -1, 0, "9.0.0.0", "ok"},
      {"VersionAsNumber", "{\"code\":0,\"msg\":7,\"value\":{\"value\":1.2}}", "1.0.0.2", -1, 0, 0, "", ""},
      {"VersionObjectAsText", "{\"code\":0,\"msg\":\"ok\",\"value\":\"9.0.0.0\"}", "1.0.0.2", -1, 0, 0, "", "ok"},
      // The brackets lie outside the braces and are trimmed away.
      {"ArrayAroundTheObject", "[{\"code\":0}]", "1.0.0.2", -1, 0, 0, "", ""},
      {"NumberRoot", "7", "1.0.0.2", -1, -1, 0, "", ""},
      {"NullMembers", "{\"code\":0,\"msg\":null,\"value\":{\"value\":null}}", "1.0.0.2", -1, 0, 0, "", ""},
      // A code written as a fraction or with an exponent is read as a double, and counts when whole.
      {"CodeAsWholeFraction", Document("\"code\":0.0,", "1.0.0.3"), "1.0.0.2", 0, 0, 1, "1.0.0.3", "ok"},
      {"CodeWithTrailingPoint", Document("\"code\":0.,", "1.0.0.3"), "1.0.0.2", 0, 0, 1, "1.0.0.3", "ok"},
      {"CodeAsNegativeZero", Document("\"code\":-0e3,", "1.0.0.3"), "1.0.0.2", 0, 0, 1, "1.0.0.3", "ok"},
      {"CodeOneWithExponent", Document("\"code\":100E-2,", "9.0.0.0"), "1.0.0.2", -1, 1, 0, "", ""},
      {"CodeBelowDoubleRangeIsZero", Document("\"code\":1e-999,", "1.0.0.3"), "1.0.0.2", 0, 0, 1, "1.0.0.3", "ok"},
      {"CodeBeyondInt64IsNoInt", Document("\"code\":99999999999999999999,", "9.0.0.0"), "1.0.0.2", -1, -1, 0, "9.0.0.0",
       "ok"},
      // A number that is no double fails the whole document.
      {"CodeBeyondDoubleRange", Document("\"code\":1e999,", "9.0.0.0"), "1.0.0.2", -1, -1, 0, "", ""},
      {"CodeWithoutExponentDigits", Document("\"code\":0e+,", "9.0.0.0"), "1.0.0.2", -1, -1, 0, "", ""},
      {"CodeWithoutDigits", Document("\"code\":-.e1,", "9.0.0.0"), "1.0.0.2", -1, -1, 0, "", ""},
  };
}

class DocumentTest : public testing::TestWithParam<DocumentCase> {};

TEST_P(DocumentTest, Applies) {
  const DocumentCase& c = GetParam();
  UpdateInfo info{};
  info.nCode = -1;
  std::strcpy(info.szLocalVersion, c.localVersion);
  std::vector<char> body(c.body.begin(), c.body.end());
  body.push_back('\0');
  EXPECT_EQ(ApplyVersionDocument(body.data(), &info), c.result);
  EXPECT_EQ(info.nCode, c.code);
  EXPECT_EQ(info.nNeedUpdate, c.needUpdate);
  EXPECT_STREQ(info.szValue, c.value);
  EXPECT_STREQ(info.szMsg, c.msg);
}

INSTANTIATE_TEST_SUITE_P(Documents, DocumentTest, testing::ValuesIn(DocumentCases()),
                         [](const testing::TestParamInfo<DocumentCase>& info) { return std::string(info.param.name); });

TEST(UpdateCheckTest, FillsEveryFieldFromTheServer) {
  test::FakePlatform fake;
  fake.productVersion = L"1.0.0.2";
  std::string doc = Document("\"code\":0,", "1.0.0.10");
  LoopbackServer server({Answer{Response("200 OK", "\r\n" + doc + "\r\n")}});
  UpdateInfo info;
  std::memset(&info, 0x55, sizeof info);  // every field is set by the check
  ASSERT_EQ(GetLatestVersionInfo(&info, OS().AnsiToWide(server.Url("/backend/plugin/version/get"))), 0);
  EXPECT_EQ(info.nCode, 0);
  EXPECT_STREQ(info.szMsg, "ok");
  EXPECT_STREQ(info.szKey, "k1");
  EXPECT_STREQ(info.szDesc, "d");
  EXPECT_STREQ(info.szValue, "1.0.0.10");
  EXPECT_STREQ(info.szFeeInfo, "free");
  EXPECT_STREQ(info.szDownloadPage, "http://p.test/dl");
  EXPECT_STREQ(info.szDownloadUrl, "http://p.test/s.exe");
  EXPECT_STREQ(info.szLocalVersion, "1.0.0.2");
  EXPECT_EQ(info.nNeedUpdate, 1);
}

TEST(UpdateCheckTest, NoServerAndNoProductVersion) {
  test::FakePlatform fake;
  fake.productVersion = L"";
  int port = test::UnusedPort();
  UpdateInfo info;
  EXPECT_EQ(GetLatestVersionInfo(&info, L"http://127.0.0.1:" + std::to_wstring(port) + L"/v"), -1);
  EXPECT_EQ(info.nCode, -1);
  EXPECT_STREQ(info.szLocalVersion, "0.0.0.0");
  EXPECT_EQ(GetLatestVersionInfo(nullptr, L"http://127.0.0.1:1/v"), -1);
}

TEST(UpdateCheckTest, ADocumentBeyondTheBufferFailsWithoutOverflow) {
  test::FakePlatform fake;
  std::string doc = Document("\"code\":0,", "9.0.0.0", ",\"pad\":\"" + std::string(2000, 'p') + "\"");
  LoopbackServer server({Answer{Response("200 OK", doc)}});
  UpdateInfo info;
  EXPECT_EQ(GetLatestVersionInfo(&info, OS().AnsiToWide(server.Url("/v"))), -1);
  EXPECT_EQ(info.nNeedUpdate, 0);
}

TEST(UpdateCheckTest, LongTextsAreCutToTheirFields) {
  std::string page(300, 'a');
  std::string body = "{\"code\":0,\"msg\":\"" + std::string(40, 'm') +
                     "\",\"value\":{\"value\":\"1.0.0.2\",\"downloadPage\":\"" + page + "\"}}";
  UpdateInfo info{};
  std::strcpy(info.szLocalVersion, "1.0.0.2");
  EXPECT_EQ(ApplyVersionDocument(&body[0], &info), 0);
  EXPECT_EQ(std::string(info.szDownloadPage), page.substr(0, 255));
  EXPECT_EQ(std::string(info.szMsg), std::string(31, 'm'));
}

TEST(UpdateCheckTest, ChineseDescriptionArrivesInTheAnsiCodePage) {
  std::string body = "{\"code\":0,\"value\":{\"value\":\"1.0.0.2\",\"desc\":\"" + kChineseUtf8 + "\"}}";
  UpdateInfo info{};
  std::strcpy(info.szLocalVersion, "1.0.0.2");
  EXPECT_EQ(ApplyVersionDocument(&body[0], &info), 0);
  EXPECT_EQ(std::string(info.szDesc), Utf8ToAnsi(kChineseUtf8.c_str()));
#ifdef _WIN32
  // Under the code page of the shop PCs (936) the text is GBK.
  if (OS().WideToAnsi(L"\u4E2D") == "\xD6\xD0") {
    EXPECT_STREQ(info.szDesc, "\xD6\xD0\xCE\xC4\xB0\xE6\xB1\xBE");
  }
#else
  EXPECT_EQ(std::string(info.szDesc), kChineseUtf8);
#endif
}

TEST(ProductVersionTest, ComesFromThePlatformCutTo63) {
  test::FakePlatform fake;
  char buffer[kProductVersionCapacity];
  fake.productVersion = L"1.0.0.2";
  EXPECT_EQ(GetProductVersion(buffer), 0);
  EXPECT_STREQ(buffer, "1.0.0.2");
  fake.productVersion = std::wstring(100, L'9');
  EXPECT_EQ(GetProductVersion(buffer), 0);
  EXPECT_EQ(std::string(buffer), std::string(63, '9'));
  fake.productVersion = L"";
  EXPECT_EQ(GetProductVersion(buffer), -1);
}

TEST(CompareVersionsTest, FourNumbersFirstDifferenceDecides) {
  EXPECT_EQ(CompareVersions("1.0.0.2", "1.0.0.10"), 1);
  EXPECT_EQ(CompareVersions("1.0.9.9", "1.1.0.0"), 1);
  EXPECT_EQ(CompareVersions("2.0.0.0", "1.9.9.9"), 0);
  EXPECT_EQ(CompareVersions("1.0.0.2", "1.0.0.2"), 0);
  EXPECT_EQ(CompareVersions("1.0.0.2", "1.0.3"), -1);
  EXPECT_EQ(CompareVersions("1.0", "1.0.0.3"), -1);
  EXPECT_EQ(CompareVersions("1.0.0.2", "a.b.c.d"), -1);
}

}  // namespace
}  // namespace lirra
