// The pure checks of an update in place: where a setup may be fetched from, and which setup may
// run. The worker's road through them, with each refusal's trace line, is in
// prepare_worker_test.cpp.
#include "app/self_update.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

#include "net/crypto.h"

namespace lirra {
namespace {

struct FetchCase {
  const char* name;
  const char* downloadUrl;
  const char* downloadHost;
  const char* fetched;  // nullptr: refused
};

void PrintTo(const FetchCase& c, std::ostream* os) { *os << c.name; }

class SetupFetch : public testing::TestWithParam<FetchCase> {};

TEST_P(SetupFetch, OnlyTheDownloadHostServesASetup) {
  const FetchCase& c = GetParam();
  const std::optional<std::string> fetched = SetupFetchUrl(c.downloadUrl, c.downloadHost);
  if (c.fetched) {
    EXPECT_EQ(fetched, std::optional<std::string>(c.fetched));
  } else {
    EXPECT_EQ(fetched, std::nullopt) << *fetched;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, SetupFetch,
    testing::Values(
        FetchCase{"HttpOnTheHostAndPort", "http://127.0.0.1:18080/v/setup.exe", "127.0.0.1:18080",
                  "http://127.0.0.1:18080/v/setup.exe"},
        FetchCase{"SchemeAndHostInAnyCase", "HTTP://Download.Shop.Example/setup.exe", "download.shop.example",
                  "HTTP://Download.Shop.Example/setup.exe"},
        FetchCase{"HttpNamingTheDefaultPort", "http://download.shop.example:80/setup.exe", "download.shop.example",
                  "http://download.shop.example:80/setup.exe"},
        // The client speaks plain HTTP to the download host; the signature vouches for the file.
        FetchCase{"HttpsComesFromTheDownloadHost", "https://download.shop.example/v/setup.exe?x=1",
                  "download.shop.example", "http://download.shop.example/v/setup.exe?x=1"},
        FetchCase{"HttpsNamingTheHostsPort", "https://127.0.0.1:18080/setup.exe", "127.0.0.1:18080",
                  "http://127.0.0.1:18080/setup.exe"},
        FetchCase{"HttpsOnAnotherPort", "https://download.shop.example:8443/setup.exe", "download.shop.example",
                  nullptr},
        FetchCase{"HttpOnAnotherPort", "http://127.0.0.1/setup.exe", "127.0.0.1:18080", nullptr},
        FetchCase{"AnotherHost", "http://downloads.example.net/setup.exe", "download.shop.example", nullptr},
        FetchCase{"AHostThatOnlyEndsLikeIt", "http://evildownload.shop.example/setup.exe", "download.shop.example",
                  nullptr},
        FetchCase{"TheHostAsUserInformation", "http://download.shop.example@evil.example/setup.exe",
                  "download.shop.example", nullptr},
        FetchCase{"AnotherScheme", "ftp://download.shop.example/setup.exe", "download.shop.example", nullptr},
        FetchCase{"AShare", "\\\\download.shop.example\\share\\setup.exe", "download.shop.example", nullptr},
        FetchCase{"ALocalFile", "file:///C:/setup.exe", "download.shop.example", nullptr},
        FetchCase{"ABlankInside", "http://download.shop.example/setup.exe /extra", "download.shop.example", nullptr},
        FetchCase{"ALeadingBlank", " http://download.shop.example/setup.exe", "download.shop.example", nullptr},
        FetchCase{"AQuote", "http://download.shop.example/setup\".exe", "download.shop.example", nullptr}),
    [](const testing::TestParamInfo<FetchCase>& info) { return info.param.name; });

TEST(UpdateOffer, NeedsAKeyAndADownloadUrlOnTheDownloadHost) {
  const ManifestKey key = ManifestKey::FromBase64(LIRRA_TEST_MANIFEST_PUBLIC_KEY);
  UpdateInfo info{};
  std::string fetchUrl = "untouched";
  EXPECT_EQ(CheckUpdateOffer(key, info, "127.0.0.1:18080", &fetchUrl), UpdateRefusal::kNoDownloadUrl);
  std::snprintf(info.szDownloadUrl, sizeof info.szDownloadUrl, "%s", "http://127.0.0.1:18081/setup.exe");
  EXPECT_EQ(CheckUpdateOffer(key, info, "127.0.0.1:18080", &fetchUrl), UpdateRefusal::kForeignDownloadUrl);
  EXPECT_EQ(fetchUrl, "untouched");
  std::snprintf(info.szDownloadUrl, sizeof info.szDownloadUrl, "%s", "http://127.0.0.1:18080/setup.exe");
  EXPECT_EQ(CheckUpdateOffer(ManifestKey{}, info, "127.0.0.1:18080", &fetchUrl), UpdateRefusal::kNoKey);
  EXPECT_EQ(CheckUpdateOffer(key, info, "127.0.0.1:18080", &fetchUrl), UpdateRefusal::kNone);
  EXPECT_EQ(fetchUrl, "http://127.0.0.1:18080/setup.exe");
}

struct SetupCase {
  const char* name;
  const char* version;  // the setup's version resource
  const char* ours;
  const char* announced;
  UpdateRefusal expected;
};

void PrintTo(const SetupCase& c, std::ostream* os) { *os << c.name; }

class SetupCheck : public testing::TestWithParam<SetupCase> {};

TEST_P(SetupCheck, TheSignedSetupsOwnVersionDecides) {
  const SetupCase& c = GetParam();
  std::string seed;
  ASSERT_TRUE(DecodeBase64(LIRRA_TEST_MANIFEST_SECRET_SEED, &seed));
  SetupFacts setup;
  setup.bytes = "MZ a setup";
  setup.signature = EncodeBase64(SignEd25519(seed, setup.bytes).value_or(""));
  setup.version = c.version;
  std::string detail;
  EXPECT_EQ(CheckSetup(ManifestKey::FromBase64(LIRRA_TEST_MANIFEST_PUBLIC_KEY), setup, c.ours, c.announced, &detail),
            c.expected)
      << detail;
}

INSTANTIATE_TEST_SUITE_P(
    Versions, SetupCheck,
    testing::Values(SetupCase{"Newer", "1.0.0.3", "1.0.0.2", "1.0.0.3", UpdateRefusal::kNone},
                    SetupCase{"NewerByNumberNotByText", "1.0.0.10", "1.0.0.9", "1.0.0.10", UpdateRefusal::kNone},
                    SetupCase{"AnnouncedWithALeadingZero", "1.0.0.3", "1.0.0.2", "1.0.0.03", UpdateRefusal::kNone},
                    SetupCase{"Older", "1.0.0.1", "1.0.0.2", "1.0.0.1", UpdateRefusal::kNotNewer},
                    SetupCase{"TheRunningVersion", "1.0.0.2", "1.0.0.2", "1.0.0.2", UpdateRefusal::kNotNewer},
                    SetupCase{"NotTheAnnouncedOne", "1.0.0.4", "1.0.0.2", "1.0.0.3", UpdateRefusal::kVersionMismatch},
                    SetupCase{"AnnouncedVersionMalformed", "1.0.0.3", "1.0.0.2", "1.0.3",
                              UpdateRefusal::kVersionMismatch},
                    SetupCase{"ThreeNumbers", "1.0.3", "1.0.0.2", "1.0.3", UpdateRefusal::kNoSetupVersion},
                    SetupCase{"FiveNumbers", "1.0.0.3.1", "1.0.0.2", "1.0.0.3", UpdateRefusal::kNoSetupVersion},
                    SetupCase{"TrailingText", "1.0.0.3 beta", "1.0.0.2", "1.0.0.3", UpdateRefusal::kNoSetupVersion},
                    SetupCase{"None", "", "1.0.0.2", "1.0.0.3", UpdateRefusal::kNoSetupVersion}),
    [](const testing::TestParamInfo<SetupCase>& info) { return info.param.name; });

TEST(SetupCheck, TheSignatureIsCheckedOverTheExactBytes) {
  std::string seed;
  ASSERT_TRUE(DecodeBase64(LIRRA_TEST_MANIFEST_SECRET_SEED, &seed));
  const ManifestKey key = ManifestKey::FromBase64(LIRRA_TEST_MANIFEST_PUBLIC_KEY);
  SetupFacts setup;
  setup.bytes = "MZ a setup";
  setup.version = "1.0.0.3";
  std::string detail;
  setup.signature.reset();
  EXPECT_EQ(CheckSetup(key, setup, "1.0.0.2", "1.0.0.3", &detail), UpdateRefusal::kBadSignature);
  setup.signature = EncodeBase64(SignEd25519(seed, setup.bytes + std::string(1, '\0')).value_or(""));
  EXPECT_EQ(CheckSetup(key, setup, "1.0.0.2", "1.0.0.3", &detail), UpdateRefusal::kBadSignature);
  setup.signature = EncodeBase64(SignEd25519(seed, setup.bytes).value_or("")) + "\r\n";
  EXPECT_EQ(CheckSetup(key, setup, "1.0.0.2", "1.0.0.3", &detail), UpdateRefusal::kNone) << detail;
  // A key built in malformed verifies nothing.
  EXPECT_EQ(CheckSetup(ManifestKey::FromBase64("AAAA"), setup, "1.0.0.2", "1.0.0.3", &detail),
            UpdateRefusal::kBadSignature);
}

}  // namespace
}  // namespace lirra
