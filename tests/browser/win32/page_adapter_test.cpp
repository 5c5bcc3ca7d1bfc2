// The client's page adapter (the event sink, the document's elements, the marker script) driven
// with stand-in COM objects under Wine, which renders no pages: what the client asks of a page,
// what it writes, and that every reference it takes goes back.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <exdispid.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "browser/navigation_policy.h"
#include "browser/win32/browser_events.h"
#include "browser/win32/explorer1.h"
#include "browser/win32/html_document.h"
#include "browser/win32/html_fakes.h"

namespace lirra::win {
namespace {

using test::AttributeValue;
using test::FakeDispatch;
using test::FakeElement;

constexpr wchar_t kPrimaryDomain[] = L"lirra.cn";
constexpr wchar_t kPaymentDomain[] = L"lirrapay.com";
constexpr wchar_t kOperatorPage[] = L"http://www.lirra.cn/jxsplatform/index.html";

// A frame with its document, the document's "all" collection and window, and the elements.
class Page {
 public:
  explicit Page(const char* name) : m_name(name) {
    frame.m_document = &document;
    document.m_all = &all;
    document.m_window = &window;
  }
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  // An element of the page; without an href it has no such attribute.
  FakeElement& Add(const std::wstring& tag, std::optional<std::wstring> href = std::nullopt) {
    elements.push_back(std::make_unique<FakeElement>(tag));
    FakeElement& element = *elements.back();
    if (href) element.SetPageAttribute(browser::kLinkAttribute, AttributeValue::Text(*href));
    all.m_entries.push_back({&element, S_OK});
    return element;
  }

  FakeDispatch& Other() {
    others.push_back(std::make_unique<FakeDispatch>());
    return *others.back();
  }

  // Only the test's own reference is left on every object.
  void ExpectReferencesBack() const {
    EXPECT_EQ(1, frame.References()) << m_name << " frame";
    EXPECT_EQ(1, document.References()) << m_name << " document";
    EXPECT_EQ(1, all.References()) << m_name << " all";
    EXPECT_EQ(1, window.References()) << m_name << " window";
    for (std::size_t i = 0; i < elements.size(); ++i)
      EXPECT_EQ(1, elements[i]->References()) << m_name << " element " << i;
    for (std::size_t i = 0; i < others.size(); ++i) EXPECT_EQ(1, others[i]->References()) << m_name << " object " << i;
  }

  test::FakeFrame frame;
  test::FakeDocument document;
  test::FakeCollection all;
  test::FakeWindow window;
  std::vector<std::unique_ptr<FakeElement>> elements;
  std::vector<std::unique_ptr<FakeDispatch>> others;

 private:
  const char* m_name;
};

// The browser window's side of the policy: the marker goes through the client's own code to the
// control's top-level document; the rest is only recorded.
class ControlHost : public browser::IBrowserHost {
 public:
  explicit ControlHost(CExplorer1& control) : m_control(control) {}
  void NavigateSilently(const std::wstring& url) override { navigated.push_back(url); }
  void SetTitleText(const std::wstring&) override {}
  void EnableBackButton(bool) override {}
  void EnableForwardButton(bool) override {}
  void RunScriptInTopDocument(const std::wstring& code, const std::wstring& language) override {
    win::RunScriptInTopDocument(m_control, code, language);
  }
  void NavigateOwnPage(const std::wstring& url) override { navigated.push_back(url); }
  void StartTimer(browser::WatchTimer, unsigned) override {}
  void StopTimer(browser::WatchTimer) override {}

  std::vector<std::wstring> navigated;

 private:
  CExplorer1& m_control;
};

// The control holds the top page; a sub-frame of it raises events of its own.
class PageAdapter : public testing::Test {
 protected:
  void SetUp() override {
    test::UnexpectedCalls().clear();
    ASSERT_TRUE(control_.AttachControl(static_cast<IWebBrowser2*>(&top_.frame), nullptr));
    sink_ = new CWebBrowserEvents(policy_);
  }

  void TearDown() override {
    if (sink_) sink_->Release();
    control_.Detach();
    top_.ExpectReferencesBack();
    sub_.ExpectReferencesBack();
    EXPECT_EQ(std::vector<std::string>{}, test::UnexpectedCalls()) << "the client called what a page was not asked";
    EXPECT_TRUE(host_.navigated.empty());
  }

  // The event as the control raises it: the frame's browser object, then the URL in a variant
  // passed by reference.
  void Raise(DISPID id, IDispatch* frame, const std::wstring& url) {
    BSTR text = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
    VARIANT page;
    VariantInit(&page);
    V_VT(&page) = VT_BSTR;
    V_BSTR(&page) = text;
    VARIANT arguments[2];  // last first
    VariantInit(&arguments[0]);
    V_VT(&arguments[0]) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&arguments[0]) = &page;
    VariantInit(&arguments[1]);
    V_VT(&arguments[1]) = VT_DISPATCH;
    V_DISPATCH(&arguments[1]) = frame;
    DISPPARAMS params = {arguments, nullptr, 2, 0};
    EXPECT_EQ(S_OK, sink_->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
    SysFreeString(text);
  }
  void DocumentComplete(Page& page, const std::wstring& url) {
    Raise(DISPID_DOCUMENTCOMPLETE, static_cast<IWebBrowser2*>(&page.frame), url);
  }
  void NavigateComplete(Page& page, const std::wstring& url) {
    Raise(DISPID_NAVIGATECOMPLETE2, static_cast<IWebBrowser2*>(&page.frame), url);
  }

  Page top_{"top"};
  Page sub_{"sub-frame"};
  CExplorer1 control_;
  ControlHost host_{control_};
  browser::CNavigationPolicy policy_{host_, kPrimaryDomain, kPaymentDomain};
  CWebBrowserEvents* sink_ = nullptr;
};

// Each element was fetched once, by its index as a number, with an empty second argument.
void ExpectItemsFetchedOnceInOrder(const test::FakeCollection& all) {
  ASSERT_EQ(all.m_entries.size(), all.m_items.size());
  for (std::size_t i = 0; i < all.m_items.size(); ++i) {
    EXPECT_EQ(VT_I4, all.m_items[i].nameType) << i;
    EXPECT_EQ(static_cast<LONG>(i), all.m_items[i].name) << i;
    EXPECT_EQ(VT_EMPTY, all.m_items[i].indexType) << i;
  }
}

// An anchor's link read with flags 0 and, when it was an empty script, written as text "#" with
// flags 1 (a case-sensitive name).
void ExpectRewritten(const FakeElement& element) {
  ASSERT_EQ(1u, element.m_gets.size());
  EXPECT_EQ(browser::kLinkAttribute, element.m_gets[0].name);
  EXPECT_EQ(0, element.m_gets[0].flags);
  ASSERT_EQ(1u, element.m_sets.size());
  EXPECT_EQ(browser::kLinkAttribute, element.m_sets[0].name);
  EXPECT_EQ(VT_BSTR, element.m_sets[0].type);
  EXPECT_EQ(browser::kReplacementLink, element.m_sets[0].text);
  EXPECT_EQ(1, element.m_sets[0].flags);
}

// ---- link cases -------------------------------------------------------------------------

struct LinkCase {
  const wchar_t* tag;
  const wchar_t* href;  // null: the element has no link
  bool rewritten;
};

void PrintTo(const LinkCase& c, std::ostream* os) {
  *os << testing::PrintToString(std::wstring(c.tag)) << " href "
      << (c.href ? testing::PrintToString(std::wstring(c.href)) : std::string("(none)"));
}

class LinkRewrite : public PageAdapter, public testing::WithParamInterface<LinkCase> {};

TEST_P(LinkRewrite, OnlyAnchorsWithAnEmptyScriptLinkBecomeHash) {
  const LinkCase& c = GetParam();
  const std::optional<std::wstring> href = c.href ? std::optional<std::wstring>(c.href) : std::nullopt;
  // The table says what the navigation policy decides; the adapter must carry out just that.
  ASSERT_EQ(c.rewritten, browser::IsAnchorTag(c.tag) && href && browser::IsEmptyScriptLink(*href));

  FakeElement& before = top_.Add(L"DIV", std::wstring(L"javascript:;"));
  FakeElement& subject = top_.Add(c.tag, href);
  FakeElement& after = top_.Add(L"A", std::wstring(L"http://www.lirra.cn/list.html"));
  DocumentComplete(top_, kOperatorPage);

  ExpectItemsFetchedOnceInOrder(top_.all);
  if (c.rewritten) {
    ExpectRewritten(subject);
    EXPECT_EQ(std::optional<std::wstring>(L"#"), subject.PageText(browser::kLinkAttribute));
  } else {
    EXPECT_TRUE(subject.m_sets.empty());
    EXPECT_EQ(href, subject.PageText(browser::kLinkAttribute));
    // Only an anchor's link is read at all.
    EXPECT_EQ(browser::IsAnchorTag(c.tag) ? 1u : 0u, subject.m_gets.size());
  }
  EXPECT_TRUE(before.m_gets.empty());
  EXPECT_TRUE(before.m_sets.empty());
  EXPECT_EQ(1u, after.m_gets.size());
  EXPECT_TRUE(after.m_sets.empty());
  EXPECT_TRUE(top_.window.m_scripts.empty()) << "the rewrite runs no script";
}

const LinkCase kLinkCases[] = {
    {L"A", L"javascript:void(0);", true},
    {L"a", L"javascript:void(0);", true},
    {L"A", L"javascript:;", true},
    {L"a", L"javascript:;", true},
    {L"A", L"javascript:void(0);openMenu(3)", true},
    {L"a", L" javascript:; ", true},
    {L"A", L"javascript:void(0)", false},
    {L"a", L"JAVASCRIPT:;", false},
    {L"A", L"javascript:", false},
    {L"a", L"#", false},
    {L"A", L"", false},
    {L"a", L"http://www.lirra.cn/order.html", false},
    {L"A", nullptr, false},
    {L"ABBR", L"javascript:;", false},
    {L"AREA", L"javascript:void(0);", false},
    {L"area", L"javascript:;", false},
    {L"DIV", L"javascript:void(0);", false},
    {L"", L"javascript:;", false},
};
INSTANTIATE_TEST_SUITE_P(Anchors, LinkRewrite, testing::ValuesIn(kLinkCases));

// ---- which pages and which document ------------------------------------------------------

struct PageCase {
  const wchar_t* url;
  bool rewritten;
};

void PrintTo(const PageCase& c, std::ostream* os) { *os << testing::PrintToString(std::wstring(c.url)); }

class RewrittenPages : public PageAdapter, public testing::WithParamInterface<PageCase> {};

// The frame that completed is the one rewritten; its parent and other frames stay as they were.
TEST_P(RewrittenPages, TheFrameThatCompletedAndOnlyItIsRewritten) {
  const PageCase& c = GetParam();
  ASSERT_EQ(c.rewritten, policy_.WantsLinkRewrite(c.url));
  FakeElement& topLink = top_.Add(L"A", std::wstring(L"javascript:;"));
  FakeElement& frameLink = sub_.Add(L"a", std::wstring(L"javascript:void(0);"));

  DocumentComplete(sub_, c.url);

  EXPECT_TRUE(topLink.m_gets.empty());
  EXPECT_TRUE(topLink.m_sets.empty());
  EXPECT_EQ(0, top_.frame.m_nDocumentReads);
  if (c.rewritten) {
    ExpectRewritten(frameLink);
  } else {
    // A page the rewrite is not for is not even opened.
    EXPECT_EQ(0, sub_.frame.m_nDocumentReads);
    EXPECT_TRUE(frameLink.m_gets.empty());
    EXPECT_TRUE(frameLink.m_sets.empty());
  }
  EXPECT_TRUE(top_.window.m_scripts.empty());
  EXPECT_TRUE(sub_.window.m_scripts.empty());
}

const PageCase kPageCases[] = {
    {L"http://www.lirra.cn/jxsplatform/frame.html", true},
    {L"https://www.lirra.cn/jxsplatform/frame.html", true},
    {L"http://pay.lirrapay.com/checkout", true},
    {L"http://ads.example.org/?from=www.lirra.cn", true},
    {L"http://www.lirra.cn/?back=https://www.lirra.cn/", false},
    {L"http://ads.example.org/banner.html", false},
    {L"about:blank", false},
};
INSTANTIATE_TEST_SUITE_P(Urls, RewrittenPages, testing::ValuesIn(kPageCases));

// ---- the client marker --------------------------------------------------------------------

enum class Event { kNavigateComplete, kDocumentComplete };

struct MarkerCase {
  Event event;
  bool fromSubFrame;
  const wchar_t* url;
  bool marked;
};

void PrintTo(const MarkerCase& c, std::ostream* os) {
  *os << (c.event == Event::kNavigateComplete ? "NavigateComplete2" : "DocumentComplete")
      << (c.fromSubFrame ? " of a sub-frame " : " of the top ") << testing::PrintToString(std::wstring(c.url));
}

class ClientMarker : public PageAdapter, public testing::WithParamInterface<MarkerCase> {};

// The marker goes to the top-level document's window, whichever frame completed, and only on
// NavigateComplete2 of an operator's page.
TEST_P(ClientMarker, ReachesTheTopDocumentAndOnlyIt) {
  const MarkerCase& c = GetParam();
  ASSERT_EQ(c.marked, c.event == Event::kNavigateComplete && policy_.IsOperatorPage(c.url));
  Page& raising = c.fromSubFrame ? sub_ : top_;
  if (c.event == Event::kNavigateComplete)
    NavigateComplete(raising, c.url);
  else
    DocumentComplete(raising, c.url);

  if (c.marked) {
    ASSERT_EQ(1u, top_.window.m_scripts.size());
    EXPECT_EQ(browser::kClientMarkerScript, top_.window.m_scripts[0].code);
    EXPECT_EQ(browser::kClientMarkerLanguage, top_.window.m_scripts[0].language);
  } else {
    EXPECT_TRUE(top_.window.m_scripts.empty());
  }
  EXPECT_TRUE(sub_.window.m_scripts.empty()) << "a frame's own window never gets the marker";
}

const MarkerCase kMarkerCases[] = {
    {Event::kNavigateComplete, false, kOperatorPage, true},
    {Event::kNavigateComplete, true, L"http://www.lirra.cn/jxsplatform/frame.html", true},
    {Event::kNavigateComplete, true, L"http://ads.example.org/?from=www.lirra.cn", true},
    {Event::kNavigateComplete, false, L"http://pay.lirrapay.com/checkout", false},
    {Event::kNavigateComplete, true, L"http://ads.example.org/banner.html", false},
    {Event::kDocumentComplete, false, kOperatorPage, false},
    {Event::kDocumentComplete, true, L"http://www.lirra.cn/jxsplatform/frame.html", false},
};
INSTANTIATE_TEST_SUITE_P(Events, ClientMarker, testing::ValuesIn(kMarkerCases));

// ---- pages that fail ------------------------------------------------------------------------

// A page whose second entry (or the whole document) misbehaves, between two anchors with
// empty-script links.
struct FaultCase {
  const char* name;
  void (*arrange)(Page& page, FakeElement& middle);
  bool wholePage;  // the document can't be read: nothing changes
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class FaultyPage : public PageAdapter, public testing::WithParamInterface<FaultCase> {};

TEST_P(FaultyPage, LeavesWhatItCannotReadAsItWas) {
  const FaultCase& c = GetParam();
  FakeElement& first = top_.Add(L"A", std::wstring(L"javascript:;"));
  FakeElement& middle = top_.Add(L"a", std::wstring(L"javascript:void(0);"));
  FakeElement& last = top_.Add(L"a", std::wstring(L"javascript:void(0);"));
  c.arrange(top_, middle);
  const std::optional<std::wstring> middleBefore = middle.PageText(browser::kLinkAttribute);

  DocumentComplete(top_, kOperatorPage);

  EXPECT_EQ(middleBefore, middle.PageText(browser::kLinkAttribute));
  if (c.wholePage) {
    EXPECT_TRUE(first.m_sets.empty());
    EXPECT_TRUE(last.m_sets.empty());
    EXPECT_TRUE(middle.m_sets.empty());
    EXPECT_EQ(std::optional<std::wstring>(L"javascript:;"), first.PageText(browser::kLinkAttribute));
  } else {
    // One bad entry costs that entry only.
    ExpectRewritten(first);
    ExpectRewritten(last);
  }
}

const FaultCase kFaultCases[] = {
    {"FrameIsNoBrowser", [](Page& p, FakeElement&) { p.frame.m_bBrowser = false; }, true},
    {"DocumentFails", [](Page& p, FakeElement&) { p.frame.m_hrDocument = E_FAIL; }, true},
    {"NoDocument", [](Page& p, FakeElement&) { p.frame.m_document = nullptr; }, true},
    {"DocumentIsNotHtml", [](Page& p, FakeElement&) { p.document.m_bHtml = false; }, true},
    {"AllFails", [](Page& p, FakeElement&) { p.document.m_hrAll = E_FAIL; }, true},
    {"NoAll", [](Page& p, FakeElement&) { p.document.m_all = nullptr; }, true},
    {"LengthFails", [](Page& p, FakeElement&) { p.all.m_hrLength = E_FAIL; }, true},
    {"ItemFails", [](Page& p, FakeElement&) { p.all.m_entries[1].result = E_FAIL; }, false},
    {"ItemIsNull", [](Page& p, FakeElement&) { p.all.m_entries[1].object = nullptr; }, false},
    {"ItemIsNoElement", [](Page& p, FakeElement&) { p.all.m_entries[1].object = &p.Other(); }, false},
    {"TagNameFails", [](Page&, FakeElement& e) { e.m_hrTagName = E_FAIL; }, false},
    {"TagNameIsNull", [](Page&, FakeElement& e) { e.m_bNullTagName = true; }, false},
    {"GetAttributeFails", [](Page&, FakeElement& e) { e.m_hrGetAttribute = E_FAIL; }, false},
    {"LinkIsAnObject",
     [](Page& p, FakeElement& e) {
       FakeDispatch& object = p.Other();
       e.SetPageAttribute(browser::kLinkAttribute, {VT_DISPATCH, L"", 0, &object});
     },
     false},
    {"LinkIsANumber",
     [](Page&, FakeElement& e) {
       e.SetPageAttribute(browser::kLinkAttribute, {VT_I4, L"", 7, nullptr});
     },
     false},
    {"LinkIsEmpty",
     [](Page&, FakeElement& e) {
       e.SetPageAttribute(browser::kLinkAttribute, {VT_EMPTY, L"", 0, nullptr});
     },
     false},
    {"SetAttributeFails", [](Page&, FakeElement& e) { e.m_hrSetAttribute = E_FAIL; }, false},
};
INSTANTIATE_TEST_SUITE_P(Faults, FaultyPage, testing::ValuesIn(kFaultCases),
                         [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

// A top document that can't take the marker: nothing is run, nothing kept, nothing crashes.
struct MarkerFault {
  const char* name;
  void (*arrange)(Page& top);
  bool scriptTried;
};

void PrintTo(const MarkerFault& c, std::ostream* os) { *os << c.name; }

class MarkerOnAFaultyPage : public PageAdapter, public testing::WithParamInterface<MarkerFault> {};

TEST_P(MarkerOnAFaultyPage, RunsNothingAndKeepsNothing) {
  const MarkerFault& c = GetParam();
  c.arrange(top_);
  NavigateComplete(sub_, kOperatorPage);
  EXPECT_EQ(c.scriptTried ? 1u : 0u, top_.window.m_scripts.size());
  EXPECT_TRUE(sub_.window.m_scripts.empty());
  EXPECT_EQ(0, sub_.frame.m_nDocumentReads) << "the marker never looks at the frame that raised the event";
}

const MarkerFault kMarkerFaults[] = {
    {"DocumentFails", [](Page& p) { p.frame.m_hrDocument = E_FAIL; }, false},
    {"NoDocument", [](Page& p) { p.frame.m_document = nullptr; }, false},
    {"DocumentIsNotHtml", [](Page& p) { p.document.m_bHtml = false; }, false},
    {"ParentWindowFails", [](Page& p) { p.document.m_hrParentWindow = E_FAIL; }, false},
    {"NoParentWindow", [](Page& p) { p.document.m_window = nullptr; }, false},
    {"ScriptFails", [](Page& p) { p.window.m_hrExecScript = E_FAIL; }, true},
};
INSTANTIATE_TEST_SUITE_P(Faults, MarkerOnAFaultyPage, testing::ValuesIn(kMarkerFaults),
                         [](const testing::TestParamInfo<MarkerFault>& info) { return std::string(info.param.name); });

// ---- the top frame's navigations -----------------------------------------------------------

// An event's arguments, built as the engine passes them: last first, the URL, frame name and
// status code as variants by reference, the cancel flag as a bool by reference.
class EventArguments {
 public:
  EventArguments(IDispatch* frame, const std::wstring& url, LONG status, UINT count)
      : m_url(SysAllocStringLen(url.data(), static_cast<UINT>(url.size()))), m_count(count) {
    for (VARIANT& v : m_values) VariantInit(&v);
    V_VT(&m_values[0]) = VT_BSTR;
    V_BSTR(&m_values[0]) = m_url;
    V_VT(&m_values[1]) = VT_I4;
    V_I4(&m_values[1]) = status;
    V_VT(&m_values[2]) = VT_BSTR;  // frame name: none
    for (VARIANT& v : m_arguments) VariantInit(&v);
    VARIANT* first = &m_arguments[count - 1];
    V_VT(first) = VT_DISPATCH;
    V_DISPATCH(first) = frame;
    ByReference(1, &m_values[0]);
    V_VT(&m_arguments[0]) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&m_arguments[0]) = &m_cancel;
  }
  ~EventArguments() { SysFreeString(m_url); }
  EventArguments(const EventArguments&) = delete;
  EventArguments& operator=(const EventArguments&) = delete;

  // The argument at `position` in declaration order refers to `value`.
  void ByReference(UINT position, VARIANT* value) {
    V_VT(&m_arguments[m_count - 1 - position]) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&m_arguments[m_count - 1 - position]) = value;
  }
  VARIANT* Status() { return &m_values[1]; }
  VARIANT* FrameName() { return &m_values[2]; }
  DISPPARAMS* Params() {
    m_params = {m_arguments, nullptr, m_count, 0};
    return &m_params;
  }
  VARIANT_BOOL m_cancel = VARIANT_FALSE;

 private:
  BSTR m_url;
  UINT m_count;
  VARIANT m_values[3];
  VARIANT m_arguments[7];
  DISPPARAMS m_params = {};
};

// The watch behind the sink: whether the sink tells the top frame from a frame and finds the
// status code and the cancel flag where the engine puts them.
TEST(TopFrameEvents, TheTopFramesFailureShowsOurPageAndAFramesIsLeftAlone) {
  test::UnexpectedCalls().clear();
  Page top("top");
  Page sub("sub-frame");
  {
    CExplorer1 control;
    ASSERT_TRUE(control.AttachControl(static_cast<IWebBrowser2*>(&top.frame), nullptr));
    ControlHost host(control);
    const browser::COwnPages platform("127.0.0.1:18080", "lirra.cn", "lirrapay.com");
    const std::wstring folder = L"file:///C:/Lirra/res/";
    browser::CPlatformWatch watch(host, platform, L"http://127.0.0.1:18080/jxsplatform/login.html",
                                  browser::CLocalPages(folder));
    browser::CNavigationPolicy policy(host, kPrimaryDomain, kPaymentDomain, &watch);
    CWebBrowserEvents* sink = new CWebBrowserEvents(policy, &control);
    const auto raise = [sink](DISPID id, EventArguments& arguments) {
      EXPECT_EQ(S_OK, sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, arguments.Params(), nullptr, nullptr, nullptr));
      return arguments.m_cancel;
    };
    // NavigateError: browser object, URL, frame name, status code, cancel.
    const auto navigateError = [&](Page& page, LONG status) {
      EventArguments arguments(static_cast<IWebBrowser2*>(&page.frame), kOperatorPage, status, 5);
      arguments.ByReference(2, arguments.FrameName());
      arguments.ByReference(3, arguments.Status());
      return raise(DISPID_NAVIGATEERROR, arguments);
    };
    // BeforeNavigate2: browser object, URL, flags, frame name, post data, headers, cancel.
    const auto beforeNavigate = [&](Page& page, const std::wstring& url) {
      EventArguments arguments(static_cast<IWebBrowser2*>(&page.frame), url, 0, 7);
      arguments.ByReference(3, arguments.FrameName());
      return raise(DISPID_BEFORENAVIGATE2, arguments);
    };
    const LONG refused = static_cast<LONG>(0x800C0008);

    EXPECT_EQ(VARIANT_FALSE, beforeNavigate(sub, kOperatorPage));
    EXPECT_EQ(VARIANT_FALSE, navigateError(sub, refused)) << "a frame's failure replaced the page";
    EXPECT_TRUE(host.navigated.empty());
    EXPECT_EQ(VARIANT_FALSE, navigateError(top, 404)) << "the platform answered";
    EXPECT_TRUE(host.navigated.empty());

    EXPECT_EQ(VARIANT_TRUE, navigateError(top, refused)) << "the engine's error page would show";
    EXPECT_EQ(std::vector<std::wstring>{folder + L"offline-noanswer.html"}, host.navigated);
    EXPECT_EQ(VARIANT_FALSE, beforeNavigate(top, folder + L"offline-noanswer.html"));
    EXPECT_EQ(VARIANT_TRUE, beforeNavigate(top, L"http://ads.example.org/")) << "something left our page";
    EXPECT_EQ(VARIANT_FALSE, beforeNavigate(sub, L"http://ads.example.org/"));
    EXPECT_EQ(VARIANT_TRUE, beforeNavigate(top, folder + L"offline-noanswer.html?retry"));
    EXPECT_EQ(L"http://127.0.0.1:18080/jxsplatform/login.html", host.navigated.back());
    host.navigated.clear();
    sink->Release();
    control.Detach();
  }
  top.ExpectReferencesBack();
  sub.ExpectReferencesBack();
  EXPECT_EQ(std::vector<std::string>{}, test::UnexpectedCalls());
}

// ---- the control wrapper with a stand-in control -------------------------------------------

TEST(Explorer1Control, TakesOnlyAWebBrowserAndGivesItBack) {
  Page page("control");
  {
    CExplorer1 control;
    page.frame.m_bBrowser = false;
    EXPECT_FALSE(control.AttachControl(static_cast<IWebBrowser2*>(&page.frame), nullptr));
    EXPECT_FALSE(control.HasControl());
    EXPECT_FALSE(control.AttachControl(nullptr, nullptr));

    page.frame.m_bBrowser = true;
    ASSERT_TRUE(control.AttachControl(static_cast<IWebBrowser2*>(&page.frame), nullptr));
    EXPECT_TRUE(control.HasControl());
    ComPtr<IDispatch> document = control.GetDocument();
    EXPECT_EQ(static_cast<IDispatch*>(&page.document), document.Get());
    document.Reset();
    // Attaching again lets go of the control held before.
    Page other("other control");
    ASSERT_TRUE(control.AttachControl(static_cast<IWebBrowser2*>(&other.frame), nullptr));
    EXPECT_EQ(1, page.frame.References());
    control.Detach();
    other.ExpectReferencesBack();
  }
  page.ExpectReferencesBack();
}

}  // namespace
}  // namespace lirra::win
