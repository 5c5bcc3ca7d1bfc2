#include "browser/platform_watch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "browser/navigation_policy.h"

namespace lirra::browser {
namespace {

const std::wstring kLogin = L"http://127.0.0.1:18080/jxsplatform/login.html";
const std::wstring kOrders = L"http://127.0.0.1:18080/jxsplatform/orders.html?page=2";
const std::wstring kShop = L"http://www.lirra.cn/jxsplatform/shop.html";
const std::wstring kOtherSite = L"http://example.org/news.html";
const std::wstring kFolder = L"file:///C:/Program%20Files/Lirra/res/";
const std::wstring kNoAnswerPage = kFolder + L"offline-noanswer.html";
const std::wstring kNoNetworkPage = kFolder + L"offline-network.html";
const std::wstring kServerErrorPage = kFolder + L"offline-error.html";

// The status codes as the event delivers them: a 32-bit signed number.
long Status(std::uint32_t code) { return static_cast<long>(static_cast<std::int32_t>(code)); }
const long kRefused = Status(0x800C0008);       // what Wine's engine gives for a closed port
const long kNameNotFound = Status(0x800C0005);  // IE's code for a name that did not resolve
const long kCannotShow = Status(0x800C0010);    // a page arrived that the engine can't show

// ---- which failure says what -----------------------------------------------------------

struct ReasonCase {
  std::uint32_t status;
  std::optional<OfflineReason> reason;
};

class FailureReasons : public testing::TestWithParam<ReasonCase> {};

TEST_P(FailureReasons, MapToTheirText) {
  EXPECT_EQ(GetParam().reason, ReasonForNavigateError(Status(GetParam().status))) << std::hex << GetParam().status;
}

constexpr auto kNetwork = OfflineReason::kNoNetwork;
constexpr auto kNoAnswer = OfflineReason::kNoAnswer;
constexpr auto kServer = OfflineReason::kServerError;

INSTANTIATE_TEST_SUITE_P(StatusCodes, FailureReasons,
                         testing::Values(
                             // name lookup
                             ReasonCase{0x800C0005, kNetwork}, ReasonCase{12007, kNetwork},
                             ReasonCase{0x80072EE7, kNetwork}, ReasonCase{0x80072F83, kNetwork},
                             // refused, dropped, timed out
                             ReasonCase{0x800C0004, kNoAnswer}, ReasonCase{0x800C0008, kNoAnswer},
                             ReasonCase{0x800C000B, kNoAnswer}, ReasonCase{0x800C0007, kNoAnswer},
                             ReasonCase{12029, kNoAnswer}, ReasonCase{0x80072EFD, kNoAnswer},
                             ReasonCase{0x80072EE2, kNoAnswer}, ReasonCase{0x80072EFF, kNoAnswer},
                             // the platform's server errors
                             ReasonCase{500, kServer}, ReasonCase{503, kServer}, ReasonCase{599, kServer},
                             // the platform answered: its own page, or the engine's, stands
                             ReasonCase{404, std::nullopt}, ReasonCase{499, std::nullopt},
                             ReasonCase{600, std::nullopt}, ReasonCase{200, std::nullopt},
                             ReasonCase{0x800C0010, std::nullopt}, ReasonCase{0x800C0006, std::nullopt},
                             ReasonCase{0x800C000E, std::nullopt}, ReasonCase{0, std::nullopt}));

TEST(RetryPauses, GrowToAMinuteAndStayThere) {
  const unsigned expected[] = {5000, 10000, 20000, 40000, 60000, 60000, 60000};
  for (unsigned i = 0; i < std::size(expected); ++i) EXPECT_EQ(expected[i], RetryPauseMs(i)) << i;
  EXPECT_EQ(60000u, RetryPauseMs(1000000));
}

// ---- our pages ------------------------------------------------------------------------------

struct LocalUrlCase {
  const wchar_t* url;
  bool ours;
  bool retry;
};

class LocalPageUrls : public testing::TestWithParam<LocalUrlCase> {};

TEST_P(LocalPageUrls, AreKnownAsTheEngineReportsThem) {
  const CLocalPages pages(L"file:///C:/Program%20Files/Lirra/res");
  EXPECT_EQ(GetParam().ours, pages.Contains(GetParam().url));
  EXPECT_EQ(GetParam().retry, pages.IsRetryRequest(GetParam().url));
}

INSTANTIATE_TEST_SUITE_P(
    Urls, LocalPageUrls,
    testing::Values(LocalUrlCase{L"file:///C:/Program%20Files/Lirra/res/offline-noanswer.html", true, false},
                    LocalUrlCase{L"file:///C:/Program Files/Lirra/res/offline-network.html", true, false},
                    LocalUrlCase{L"FILE:///c:/program files/lirra/RES/Offline-Error.html", true, false},
                    LocalUrlCase{L"file://C:\\Program Files\\Lirra\\res\\offline-error.html", true, false},
                    LocalUrlCase{L"file:///C:/Program%20Files/Lirra/res/offline-error.html#top", true, false},
                    LocalUrlCase{L"file:///C:/Program%20Files/Lirra/res/offline-error.html?retry", true, true},
                    LocalUrlCase{L"file:///C:/Program%20Files/Lirra/res/offline-network.html?retry#x", true, true},
                    LocalUrlCase{L"file:///C:/Program%20Files/Lirra/res/offline-network.html?retry=1", true, false},
                    LocalUrlCase{L"file:///C:/Program%20Files/Lirra/res/bg2.png", false, false},
                    LocalUrlCase{L"file:///C:/Other/res/offline-noanswer.html?retry", false, false},
                    LocalUrlCase{L"http://127.0.0.1:18080/res/offline-noanswer.html?retry", false, false},
                    LocalUrlCase{L"file:///C:/Program%20Files/Lirra/res/offline-noanswer.html.bak", false, false}));

TEST(LocalPages, WithoutAFolderNothingIsOurs) {
  const CLocalPages pages(L"");
  EXPECT_FALSE(pages.Contains(L"offline-noanswer.html"));
  EXPECT_FALSE(pages.IsRetryRequest(L"offline-noanswer.html?retry"));
}

// Each page of res/ says its reason in plain words and offers "重试", which asks for the retry.
TEST(LocalPages, EachPageSaysWhatHappenedAndOffersARetry) {
  struct Expected {
    OfflineReason reason;
    const char* says;
  };
  const Expected pages[] = {
      {kNetwork, "<h1>网络连接不上</h1>"},
      {kNoAnswer, "<h1>平台没有响应</h1>"},
      {kServer, "<h1>平台报告了错误</h1>"},
  };
  const CLocalPages local(L"file:///C:/Lirra/res/");
  for (const Expected& page : pages) {
    const std::wstring file = LocalPageFile(page.reason);
    const char* root = std::getenv("LIRRA_SOURCE_DIR");
    std::ifstream in(std::string(root ? root : ".") + "/res/" + std::string(file.begin(), file.end()));
    ASSERT_TRUE(in) << "res/ has no page for reason " << static_cast<int>(page.reason);
    const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const Expected& other : pages)
      EXPECT_EQ(&other == &page, html.find(other.says) != std::string::npos) << other.says;
    EXPECT_NE(std::string::npos, html.find(">重试<"));
    // The button is a link to the page itself with the query the watch takes as a retry.
    const std::string href = "href=\"" + std::string(file.begin(), file.end()) + "?retry\"";
    EXPECT_NE(std::string::npos, html.find(href)) << href;
    EXPECT_TRUE(local.IsRetryRequest(local.UrlFor(page.reason) + L"?retry"));
    // Local pages run no script here (the engine blocks it for files): the page must not need any.
    EXPECT_EQ(std::string::npos, html.find("<script"));
  }
  EXPECT_EQ(LocalPageFile(kNetwork), std::wstring(L"offline-network.html"));
  EXPECT_NE(std::wstring(LocalPageFile(kNetwork)), LocalPageFile(kNoAnswer));
  EXPECT_NE(std::wstring(LocalPageFile(kNoAnswer)), LocalPageFile(kServer));
}

// ---- the watch ------------------------------------------------------------------------------

// What the watch asked of the window, in order.
class Transcript : public IBrowserHost {
 public:
  void NavigateSilently(const std::wstring& url) override { calls.push_back(L"navigate " + url); }
  void SetTitleText(const std::wstring&) override {}
  void EnableBackButton(bool) override {}
  void EnableForwardButton(bool) override {}
  void RunScriptInTopDocument(const std::wstring& code, const std::wstring&) override {
    calls.push_back(L"script " + code);
  }
  void NavigateOwnPage(const std::wstring& url) override { calls.push_back(L"own " + url); }
  void StartTimer(WatchTimer timer, unsigned ms) override { calls.push_back(Name(timer) + L" " + std::to_wstring(ms)); }
  void StopTimer(WatchTimer timer) override { calls.push_back(Name(timer) + L" stop"); }

  // The calls since the last Take.
  std::vector<std::wstring> Take() {
    std::vector<std::wstring> taken;
    taken.swap(calls);
    return taken;
  }

  std::vector<std::wstring> calls;

 private:
  static std::wstring Name(WatchTimer timer) { return timer == WatchTimer::kLoad ? L"load" : L"retry"; }
};

using Calls = std::vector<std::wstring>;

class Watch : public testing::Test {
 protected:
  // The engine's part of a navigation the watch asked for: its BeforeNavigate goes through.
  void EngineStarts(const std::wstring& url) { EXPECT_FALSE(watch.OnBeforeNavigate(url)) << "own navigation"; }

  // A platform page that the assistant opens and the engine completes.
  void Open(const std::wstring& url) {
    EXPECT_FALSE(watch.OnBeforeNavigate(url));
    watch.OnDocumentComplete(url);
    host.Take();
  }

  // The platform is lost: `url` fails as a closed port does, and our page shows.
  void Lose(const std::wstring& url) {
    EXPECT_FALSE(watch.OnBeforeNavigate(url));
    EXPECT_TRUE(watch.OnNavigateError(url, kRefused));
    EngineStarts(kNoAnswerPage);
    watch.OnDocumentComplete(kNoAnswerPage);
    host.Take();
  }

  Transcript host;
  COwnPages platform{"127.0.0.1:18080", "lirra.cn", "lirrapay.com"};
  CPlatformWatch watch{host, platform, kLogin, CLocalPages(kFolder)};
};

struct FailureCase {
  long status;
  std::wstring page;
};

class FailedStart : public Watch, public testing::WithParamInterface<FailureCase> {};

// The start page fails: our page for the reason replaces the engine's, and the first retry is
// 5 s away.
TEST_P(FailedStart, ShowsOurPageForTheReasonAndRetriesIn5s) {
  EXPECT_FALSE(watch.OnBeforeNavigate(kLogin));
  EXPECT_EQ(Calls{L"load 30000"}, host.Take());
  EXPECT_TRUE(watch.OnNavigateError(kLogin, GetParam().status)) << "the engine's error page would show";
  EXPECT_EQ((Calls{L"load stop", L"own " + GetParam().page, L"retry 5000"}), host.Take());
  EXPECT_TRUE(watch.ShowsLocalPage());
  EngineStarts(GetParam().page);
  watch.OnDocumentComplete(GetParam().page);
  EXPECT_EQ(Calls{}, host.Take());
}

INSTANTIATE_TEST_SUITE_P(Reasons, FailedStart,
                         testing::Values(FailureCase{kRefused, kNoAnswerPage},
                                         FailureCase{kNameNotFound, kNoNetworkPage},
                                         FailureCase{503, kServerErrorPage}));

TEST_F(Watch, RetriesWithGrowingPausesUntilThePlatformAnswers) {
  Lose(kLogin);
  for (unsigned pause : {10000u, 20000u, 40000u, 60000u, 60000u}) {
    watch.OnTimer(WatchTimer::kRetry);
    EXPECT_EQ((Calls{L"retry stop", L"load 30000", L"own " + kLogin}), host.Take());
    EngineStarts(kLogin);
    EXPECT_TRUE(watch.OnNavigateError(kLogin, kRefused));
    EXPECT_EQ((Calls{L"load stop", L"own " + kNoAnswerPage, L"retry " + std::to_wstring(pause)}), host.Take());
    EngineStarts(kNoAnswerPage);
  }
  // The platform is back: the page completes and the watch is quiet again.
  watch.OnTimer(WatchTimer::kRetry);
  host.Take();
  EngineStarts(kLogin);
  watch.OnDocumentComplete(kLogin);
  EXPECT_EQ((Calls{L"load stop", L"retry stop"}), host.Take());
  EXPECT_FALSE(watch.ShowsLocalPage());
  // A tick that was already on its way does nothing.
  watch.OnTimer(WatchTimer::kRetry);
  watch.OnTimer(WatchTimer::kLoad);
  EXPECT_EQ(Calls{}, host.Take());
  // The next loss starts again from 5 s.
  Open(kOrders);
  EXPECT_FALSE(watch.OnBeforeNavigate(kShop));
  EXPECT_TRUE(watch.OnNavigateError(kShop, kRefused));
  EXPECT_EQ((Calls{L"load 30000", L"load stop", L"own " + kNoAnswerPage, L"retry 5000"}), host.Take());
}

// A retry loads the page the assistant was on, else the login page.
TEST_F(Watch, ARetryLoadsTheLastPlatformPageElseTheLogin) {
  Lose(kLogin);
  watch.OnTimer(WatchTimer::kRetry);
  EXPECT_EQ(L"own " + kLogin, host.Take().back());

  Transcript other;
  CPlatformWatch again(other, platform, kLogin, CLocalPages(kFolder));
  EXPECT_FALSE(again.OnBeforeNavigate(kOrders));
  again.OnDocumentComplete(kOrders);
  // Another site in between is not the platform's page.
  EXPECT_FALSE(again.OnBeforeNavigate(kOtherSite));
  again.OnDocumentComplete(kOtherSite);
  EXPECT_FALSE(again.OnBeforeNavigate(kShop));
  EXPECT_TRUE(again.OnNavigateError(kShop, kRefused));
  EXPECT_FALSE(again.OnBeforeNavigate(kNoAnswerPage));
  again.OnTimer(WatchTimer::kRetry);
  EXPECT_EQ(L"own " + kOrders, other.Take().back());
}

// Wine's engine answers a page it can't show with an error of no reason: the platform answered.
// After a 500 the same error follows, and the platform has not come back.
TEST_F(Watch, AnAnswerWithoutAReasonEndsTheOutageOnlyWhenItAnswersTheRetry) {
  EXPECT_FALSE(watch.OnBeforeNavigate(kLogin));
  EXPECT_TRUE(watch.OnNavigateError(kLogin, 500));
  EXPECT_FALSE(watch.OnNavigateError(kLogin, kCannotShow));
  EXPECT_EQ(OfflineReason::kServerError, watch.Reason());
  EngineStarts(kServerErrorPage);
  host.Take();

  watch.OnTimer(WatchTimer::kRetry);
  EngineStarts(kLogin);
  host.Take();
  EXPECT_FALSE(watch.OnNavigateError(kLogin, kCannotShow));
  EXPECT_EQ((Calls{L"load stop", L"retry stop"}), host.Take());
  EXPECT_FALSE(watch.ShowsLocalPage());
}

TEST_F(Watch, APlatformPageThatDoesNotCompleteIn30sCountsAsNoAnswer) {
  Open(kLogin);
  EXPECT_FALSE(watch.OnBeforeNavigate(kOrders));
  EXPECT_EQ(Calls{L"load 30000"}, host.Take());
  watch.OnTimer(WatchTimer::kLoad);
  EXPECT_EQ((Calls{L"own " + kNoAnswerPage, L"retry 5000"}), host.Take());
  EngineStarts(kNoAnswerPage);
  // The retry is watched the same way.
  watch.OnTimer(WatchTimer::kRetry);
  EngineStarts(kLogin);
  EXPECT_EQ((Calls{L"retry stop", L"load 30000", L"own " + kLogin}), host.Take());
  watch.OnTimer(WatchTimer::kLoad);
  EXPECT_EQ((Calls{L"own " + kNoAnswerPage, L"retry 10000"}), host.Take());
}

// What ends or never starts the 30 s watch.
TEST_F(Watch, OnlyAPlatformDocumentOnItsWayIsWatched) {
  Open(kOrders);
  struct Step {
    const wchar_t* name;
    std::wstring url;
    Calls calls;
  };
  const Step steps[] = {
      {L"a jump within the page", kOrders + L"#details", {}},
      {L"a script link", L"javascript:void(0);", {}},
      {L"another site", kOtherSite, {}},
      {L"the payment domain", L"https://pay.lirrapay.com/checkout", {L"load 30000"}},
      {L"then another site", kOtherSite, {L"load stop"}},
  };
  for (const Step& step : steps) {
    EXPECT_FALSE(watch.OnBeforeNavigate(step.url)) << step.name;
    EXPECT_EQ(step.calls, host.Take()) << step.name;
  }
  // A download from the platform: no page will complete, and nothing is wrong.
  EXPECT_FALSE(watch.OnBeforeNavigate(kLogin + L"?export=xls"));
  watch.OnDownloadStarted();
  EXPECT_EQ((Calls{L"load 30000", L"load stop"}), host.Take());
  watch.OnTimer(WatchTimer::kLoad);
  EXPECT_EQ(Calls{}, host.Take());
  EXPECT_FALSE(watch.ShowsLocalPage());
}

// Failures that are not the platform's leave the engine's own handling.
TEST_F(Watch, OtherSitesAndOurOwnMissingPageAreLeftToTheEngine) {
  EXPECT_FALSE(watch.OnBeforeNavigate(kOtherSite));
  EXPECT_FALSE(watch.OnNavigateError(kOtherSite, kRefused));
  EXPECT_FALSE(watch.OnNavigateError(kOtherSite, 503));
  EXPECT_EQ(Calls{}, host.Take());
  EXPECT_FALSE(watch.ShowsLocalPage());

  // Our page is missing from res/: no loop of pages, the retries go on.
  Lose(kLogin);
  EXPECT_FALSE(watch.OnNavigateError(kNoAnswerPage, Status(0x800C0006)));
  EXPECT_EQ(Calls{}, host.Take());
  watch.OnTimer(WatchTimer::kRetry);
  EXPECT_EQ(L"own " + kLogin, host.Take().back());
}

// On our page nothing but its own retry navigates away: not Back, not a page's link, not
// another site; "重试" and the reload button retry at once.
TEST_F(Watch, OnOurPageOnlyItsRetryLeavesIt) {
  Open(kOrders);
  Lose(kShop);
  for (const std::wstring& url : {kOrders, kShop, kLogin, kOtherSite, kServerErrorPage, std::wstring(L"about:blank")})
    EXPECT_TRUE(watch.OnBeforeNavigate(url)) << std::string(url.begin(), url.end());
  EXPECT_EQ(Calls{}, host.Take());

  EXPECT_TRUE(watch.OnBeforeNavigate(kNoAnswerPage + L"?retry")) << "the retry link itself never loads";
  EXPECT_EQ((Calls{L"retry stop", L"load 30000", L"own " + kOrders}), host.Take());
  EngineStarts(kOrders);
  EXPECT_TRUE(watch.OnNavigateError(kOrders, kRefused));
  EXPECT_EQ(L"retry 10000", host.Take().back());
  EngineStarts(kNoAnswerPage);

  EXPECT_TRUE(watch.OnReload());
  EXPECT_EQ((Calls{L"retry stop", L"load 30000", L"own " + kOrders}), host.Take());
  EngineStarts(kOrders);
  watch.OnDocumentComplete(kOrders);
  host.Take();
  EXPECT_FALSE(watch.OnReload()) << "back online, the reload is the engine's";
  EXPECT_EQ(Calls{}, host.Take());
  // Our page without its retry running is never shown.
  EXPECT_TRUE(watch.OnBeforeNavigate(kNoAnswerPage));
}

// ---- the policy on our page -----------------------------------------------------------------

class CountingElements : public IPageElements {
 public:
  std::size_t Count() override { return 0; }
  std::optional<std::wstring> TagName(std::size_t) override { return std::nullopt; }
  std::optional<std::wstring> TextAttribute(std::size_t, const std::wstring&) override { return std::nullopt; }
  void SetAttribute(std::size_t, const std::wstring&, const std::wstring&) override {}
};

// A shop whose client folder is named after the operator's domain: the substring tests of the
// marker and the rewrite would match our page.
TEST(PolicyOnOurPage, NoMarkerNoRewriteAndOnlyTheTopFrameCounts) {
  Transcript host;
  const COwnPages platform{"127.0.0.1:18080", "lirra.cn", "lirrapay.com"};
  const std::wstring folder = L"file:///C:/lirra.cn/res/";
  CPlatformWatch watch(host, platform, kLogin, CLocalPages(folder));
  CNavigationPolicy policy(host, L"lirra.cn", L"lirrapay.com", &watch);
  const std::wstring page = folder + L"offline-noanswer.html";

  // A frame of a platform page fails: the page is left alone.
  EXPECT_FALSE(policy.OnBeforeNavigate2(kShop, false));
  EXPECT_FALSE(policy.OnNavigateError(kShop, false, kRefused));
  EXPECT_EQ(Calls{}, host.Take());

  EXPECT_FALSE(policy.OnBeforeNavigate2(kShop, true));
  EXPECT_TRUE(policy.OnNavigateError(kShop, true, kRefused));
  EXPECT_FALSE(policy.OnBeforeNavigate2(page, true));
  host.Take();
  policy.OnNavigateComplete2(page);
  int opened = 0;
  policy.OnDocumentComplete(
      page,
      [&opened] {
        ++opened;
        return std::make_unique<CountingElements>();
      },
      true);
  EXPECT_EQ(Calls{}, host.Take()) << "our page got the marker";
  EXPECT_EQ(0, opened) << "our page was opened for the link rewrite";
  // A frame's navigation is never cancelled, even on our page (it has none of its own).
  EXPECT_FALSE(policy.OnBeforeNavigate2(kOtherSite, false));
  EXPECT_TRUE(policy.OnBeforeNavigate2(kOtherSite, true));

  // The operator's pages still get both.
  policy.OnNavigateComplete2(kShop);
  policy.OnDocumentComplete(
      kShop,
      [&opened] {
        ++opened;
        return std::make_unique<CountingElements>();
      },
      false);
  EXPECT_EQ(Calls{L"script window.getpc=true;"}, host.Take());
  EXPECT_EQ(1, opened);
}

}  // namespace
}  // namespace lirra::browser
