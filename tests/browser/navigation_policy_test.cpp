#include "browser/navigation_policy.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace lirra::browser {
namespace {

const std::wstring kPrimary = L"lirra.cn";
const std::wstring kPayment = L"lirrapay.com";

// Records what the policy asks of the window and the control.
class RecordingHost : public IBrowserHost {
 public:
  void NavigateSilently(const std::wstring& url) override { navigated.push_back(url); }
  void SetTitleText(const std::wstring& text) override { titles.push_back(text); }
  void EnableBackButton(bool enable) override { back.push_back(enable); }
  void EnableForwardButton(bool enable) override { forward.push_back(enable); }
  void RunScriptInTopDocument(const std::wstring& code, const std::wstring& language) override {
    scripts.push_back(code + L"|" + language);
  }
  void NavigateOwnPage(const std::wstring& url) override { navigated.push_back(url); }
  void StartTimer(WatchTimer, unsigned) override {}
  void StopTimer(WatchTimer) override {}

  std::vector<std::wstring> navigated, titles, scripts;
  std::vector<bool> back, forward;
};

// A document as a list of (tag, href) pairs; an absent href is a missing attribute.
struct FakeElement {
  std::optional<std::wstring> tag;
  std::optional<std::wstring> href;
};

class FakeElements : public IPageElements {
 public:
  explicit FakeElements(std::vector<FakeElement> items) : items(std::move(items)) {}
  ~FakeElements() override {
    if (onDestroy) onDestroy(items);
  }
  std::size_t Count() override { return items.size(); }
  std::optional<std::wstring> TagName(std::size_t i) override { return items.at(i).tag; }
  std::optional<std::wstring> TextAttribute(std::size_t i, const std::wstring& name) override {
    EXPECT_EQ(L"href", name);
    return items.at(i).href;
  }
  void SetAttribute(std::size_t i, const std::wstring& name, const std::wstring& value) override {
    EXPECT_EQ(L"href", name);
    items.at(i).href = value;
    ++writes;
  }

  std::vector<FakeElement> items;
  int writes = 0;
  std::function<void(const std::vector<FakeElement>&)> onDestroy;
};

class NavigationPolicyTest : public testing::Test {
 protected:
  RecordingHost host;
  CNavigationPolicy policy{host, kPrimary, kPayment};
};

TEST_F(NavigationPolicyTest, NoSecondWindowAndTheTargetReplacesThePage) {
  EXPECT_TRUE(policy.OnNewWindow2());
  EXPECT_TRUE(host.navigated.empty());
  EXPECT_TRUE(policy.OnNewWindow3(L"http://www.lirra.cn/order.html?id=7"));
  EXPECT_TRUE(policy.OnNewWindow2());
  ASSERT_EQ(1u, host.navigated.size());
  EXPECT_EQ(L"http://www.lirra.cn/order.html?id=7", host.navigated[0]);
  // Any page, not only the operator's, is kept in the hosted browser.
  EXPECT_TRUE(policy.OnNewWindow3(L"http://example.org/"));
  EXPECT_EQ(L"http://example.org/", host.navigated.back());
}

// window.open('') for a receipt or a print preview: the page writes into the pop-up, so loading
// the target in place would blank the platform page.
struct PopupCase {
  const wchar_t* target;
  NewWindowAction action;
};

class Popups : public NavigationPolicyTest, public testing::WithParamInterface<PopupCase> {};

TEST_P(Popups, BlankPopupsOpenInTheirOwnWindowAndNeverReplaceThePage) {
  const PopupCase& c = GetParam();
  EXPECT_EQ(c.action, NewWindowActionFor(c.target));
  const bool own = c.action == NewWindowAction::kOwnWindow;
  // NewWindow3 decides; the NewWindow2 of the same request follows it.
  EXPECT_EQ(!own, policy.OnNewWindow3(c.target));
  EXPECT_EQ(!own, policy.OnNewWindow2());
  EXPECT_EQ(own ? 0u : 1u, host.navigated.size());
  // Only that one request is let through: the next NewWindow2 on its own is cancelled.
  EXPECT_TRUE(policy.OnNewWindow2());
}

INSTANTIATE_TEST_SUITE_P(
    Targets, Popups,
    testing::Values(PopupCase{L"", NewWindowAction::kOwnWindow}, PopupCase{L"about:blank", NewWindowAction::kOwnWindow},
                    PopupCase{L"ABOUT:BLANK", NewWindowAction::kOwnWindow},
                    PopupCase{L"  about:blank\r\n", NewWindowAction::kOwnWindow},
                    PopupCase{L" ", NewWindowAction::kOwnWindow},
                    PopupCase{L"about:blank#print", NewWindowAction::kOwnWindow},
                    PopupCase{L"about:blank?x=1", NewWindowAction::kOwnWindow},
                    PopupCase{L"about:blanks", NewWindowAction::kLoadHere},
                    PopupCase{L"about:home", NewWindowAction::kLoadHere},
                    PopupCase{L"http://www.lirra.cn/receipt.html?blank=about:blank", NewWindowAction::kLoadHere},
                    PopupCase{L"http://example.org/", NewWindowAction::kLoadHere}));

TEST_F(NavigationPolicyTest, ARealTargetAfterABlankPopupIsLoadedInPlaceAgain) {
  EXPECT_FALSE(policy.OnNewWindow3(L"about:blank"));
  // The engine asked no NewWindow2 this time; the next request is an ordinary one.
  EXPECT_TRUE(policy.OnNewWindow3(L"http://www.lirra.cn/a.html"));
  EXPECT_TRUE(policy.OnNewWindow2());
  EXPECT_EQ(std::vector<std::wstring>{L"http://www.lirra.cn/a.html"}, host.navigated);
}

TEST_F(NavigationPolicyTest, BackAndForwardFollowTheirCommandsOnly) {
  policy.OnCommandStateChange(kCommandForward, false);
  policy.OnCommandStateChange(kCommandBack, true);
  policy.OnCommandStateChange(-1, false);  // update all commands
  policy.OnCommandStateChange(0, false);
  policy.OnCommandStateChange(3, true);
  EXPECT_EQ(std::vector<bool>{false}, host.forward);
  EXPECT_EQ(std::vector<bool>{true}, host.back);
}

struct ProgressCase {
  long progress;
  long max;
  bool loading;
};

class LoadingTitle : public NavigationPolicyTest, public testing::WithParamInterface<ProgressCase> {};

TEST_P(LoadingTitle, ShowsLoadingOnlyWhileProgressIsBelowTheMaximum) {
  const ProgressCase& c = GetParam();
  policy.OnProgressChange(c.progress, c.max);
  ASSERT_EQ(1u, host.titles.size());
  EXPECT_EQ(c.loading ? kLoadingTitle : kNormalTitle, host.titles[0]);
}

INSTANTIATE_TEST_SUITE_P(Cases, LoadingTitle,
                         testing::Values(ProgressCase{0, 0, false}, ProgressCase{0, 100, true},
                                         ProgressCase{-1, 100, false}, ProgressCase{-1, -1, false},
                                         ProgressCase{99, 100, true}, ProgressCase{100, 100, false},
                                         ProgressCase{150, 100, false}, ProgressCase{10000, 10001, true}));

TEST(Titles, ExactTexts) {
  EXPECT_EQ(std::wstring(L"欢迎使用Lirra·商户PC系统"), kNormalTitle);
  EXPECT_EQ(std::wstring(kNormalTitle) + L"（正在加载，请稍后...）", kLoadingTitle);
}

struct UrlCase {
  const wchar_t* url;
  bool marker;   // getpc is set in the top-level page
  bool rewrite;  // empty-script links are replaced
};

class PageUrls : public NavigationPolicyTest, public testing::WithParamInterface<UrlCase> {};

TEST_P(PageUrls, MarkerAndRewriteFollowTheDomainsAndTheSecureScheme) {
  const UrlCase& c = GetParam();
  policy.OnNavigateComplete2(c.url);
  if (c.marker) {
    EXPECT_EQ(std::vector<std::wstring>{L"window.getpc=true;|JavaScript"}, host.scripts);
  } else {
    EXPECT_TRUE(host.scripts.empty());
  }
  bool opened = false;
  policy.OnDocumentComplete(c.url, [&opened]() -> std::unique_ptr<IPageElements> {
    opened = true;
    return std::make_unique<FakeElements>(std::vector<FakeElement>{});
  });
  EXPECT_EQ(c.rewrite, opened);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PageUrls,
    testing::Values(UrlCase{L"http://www.lirra.cn/jxsplatform/login.html", true, true},
                    UrlCase{L"http://example.org/?from=lirra.cn", true, true},       // domain only in the query
                    UrlCase{L"http://pay.lirrapay.com/cashier", false, true},        // payment pages: rewrite only
                    UrlCase{L"http://lirrapay.com/?back=www.lirra.cn", true, true},  // both domains
                    UrlCase{L"https://www.lirra.cn/index.html", true, true},         // "https" at the start
                    UrlCase{L"https://lirrapay.com/", false, true},
                    UrlCase{L"http://www.lirra.cn/?next=https://x", true, false},  // "https" later on
                    UrlCase{L"http://lirrapay.com/https", false, false},
                    UrlCase{L"http://www.LIRRA.cn/", false, false},  // case-sensitive
                    UrlCase{L"http://example.org/", false, false}, UrlCase{L"", false, false}));

TEST(EmptyDomains, MatchNoPage) {
  RecordingHost host;
  CNavigationPolicy policy(host, L"", L"");
  policy.OnNavigateComplete2(L"http://www.lirra.cn/");
  EXPECT_TRUE(host.scripts.empty());
  EXPECT_FALSE(policy.WantsLinkRewrite(L"http://www.lirra.cn/"));
}

TEST_F(NavigationPolicyTest, DocumentCompleteWithoutADocumentDoesNothing) {
  policy.OnDocumentComplete(L"http://www.lirra.cn/", [] { return std::unique_ptr<IPageElements>(); });
  policy.OnDocumentComplete(L"http://www.lirra.cn/", ElementsOpener());
  EXPECT_TRUE(host.navigated.empty());
}

TEST(LinkRewrite, OnlyAnchorsWithAnEmptyScriptLinkGetTheReplacement) {
  FakeElements page({
      {L"A", L"javascript:void(0);"},          // 0: replaced
      {L"a", L"javascript:;"},                 // 1: replaced
      {L"a", L"javascript:void(0);alert(1)"},  // 2: pattern followed by more script
      {L"a", L"javascript:void(0)"},           // 3: no final semicolon
      {L"a", L"JAVASCRIPT:;"},                 // 4: capitals
      {L"ABBR", L"javascript:;"},              // 5: only begins with A
      {L"AREA", L"javascript:void(0);"},       // 6
      {L"DIV", L"javascript:;"},               // 7
      {L"a", std::nullopt},                    // 8: no href
      {std::nullopt, L"javascript:;"},         // 9: not an element
      {L"a", L"http://www.lirra.cn/a.html"},   // 10
      {L"a", L"http://x/?go=javascript:;"},    // 11: pattern anywhere in the value
  });
  EXPECT_EQ(4u, RewriteEmptyScriptLinks(page));
  const std::vector<std::optional<std::wstring>> expected = {
      L"#",
      L"#",
      L"#",
      L"javascript:void(0)",
      L"JAVASCRIPT:;",
      L"javascript:;",
      L"javascript:void(0);",
      L"javascript:;",
      std::nullopt,
      L"javascript:;",
      L"http://www.lirra.cn/a.html",
      L"#",
  };
  ASSERT_EQ(expected.size(), page.items.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(expected[i], page.items[i].href) << "element " << i;
  EXPECT_EQ(4, page.writes);
}

TEST_F(NavigationPolicyTest, DocumentCompleteRewritesTheDocumentItIsGiven) {
  std::vector<FakeElement> frame = {{L"a", L"javascript:;"}, {L"p", L"javascript:;"}};
  policy.OnDocumentComplete(L"http://www.lirra.cn/frame.html", [&frame]() -> std::unique_ptr<IPageElements> {
    auto elements = std::make_unique<FakeElements>(frame);
    elements->onDestroy = [&frame](const std::vector<FakeElement>& items) { frame = items; };
    return elements;
  });
  EXPECT_EQ(std::optional<std::wstring>(L"#"), frame[0].href);
  EXPECT_EQ(std::optional<std::wstring>(L"javascript:;"), frame[1].href);
}

}  // namespace
}  // namespace lirra::browser
