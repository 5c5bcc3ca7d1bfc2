// The navigation policy of the hosted browser: what the browser window does when the control
// raises its events. Every decision lives here; the COM side only converts the event arguments
// and carries out the calls on IBrowserHost and IPageElements.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "browser/platform_watch.h"

namespace lirra::browser {

inline constexpr wchar_t kNormalTitle[] = L"欢迎使用Lirra·商户PC系统";
inline constexpr wchar_t kLoadingTitle[] = L"欢迎使用Lirra·商户PC系统（正在加载，请稍后...）";
inline constexpr wchar_t kClientMarkerScript[] = L"window.getpc=true;";
inline constexpr wchar_t kClientMarkerLanguage[] = L"JavaScript";
inline constexpr wchar_t kLinkAttribute[] = L"href";
inline constexpr wchar_t kReplacementLink[] = L"#";

// Commands of the control's CommandStateChange event.
inline constexpr long kCommandForward = 1;
inline constexpr long kCommandBack = 2;

// What the policy drives: the browser window and its control.
class IBrowserHost {
 public:
  virtual ~IBrowserHost() = default;
  // Loads a URL in the hosted browser with the engine's own dialogs suppressed.
  virtual void NavigateSilently(const std::wstring& url) = 0;
  virtual void SetTitleText(const std::wstring& text) = 0;
  virtual void EnableBackButton(bool enable) = 0;
  virtual void EnableForwardButton(bool enable) = 0;
  // Runs a script in the window of the top-level document; does nothing without one.
  virtual void RunScriptInTopDocument(const std::wstring& code, const std::wstring& language) = 0;
  // Loads one of the client's own navigations (our page, a retry) in place of the current
  // history entry, so that going back never lands on our page.
  virtual void NavigateOwnPage(const std::wstring& url) = 0;
  // One-shot timers: a timer started again starts over; OnTimer of the watch is its tick.
  virtual void StartTimer(WatchTimer timer, unsigned ms) = 0;
  virtual void StopTimer(WatchTimer timer) = 0;
};

// The elements of one loaded document, by index.
class IPageElements {
 public:
  virtual ~IPageElements() = default;
  virtual std::size_t Count() = 0;
  // Empty when the item is not an element or its tag name can't be read.
  virtual std::optional<std::wstring> TagName(std::size_t index) = 0;
  // Empty when the attribute is missing or its value is not text.
  virtual std::optional<std::wstring> TextAttribute(std::size_t index, const std::wstring& name) = 0;
  virtual void SetAttribute(std::size_t index, const std::wstring& name, const std::wstring& value) = 0;
};

// What a request for a new browser window gets.
enum class NewWindowAction {
  // The target replaces the page in the hosted browser; no second window.
  kLoadHere,
  // A blank pop-up that its page fills by script (receipts and print previews call
  // window.open('') and write into it, or post a form into it): it opens in a window of its own,
  // so the page gets the window it writes to and the platform page stays as it is.
  kOwnWindow,
};

// Empty (or only blanks) or "about:blank", in any letter case, with or without a fragment or
// query.
bool IsBlankTarget(const std::wstring& url);
NewWindowAction NewWindowActionFor(const std::wstring& urlToOpen);

// Opens the elements of the document that completed; null when there is none.
using ElementsOpener = std::function<std::unique_ptr<IPageElements>()>;

class CNavigationPolicy {
 public:
  // With a watch, the top frame's navigations also go to it, and our own pages get neither the
  // marker nor the link rewrite.
  CNavigationPolicy(IBrowserHost& host, std::wstring primaryDomain, std::wstring paymentDomain,
                    CPlatformWatch* watch = nullptr);

  // Answers the cancel flag: no second browser window, except for the blank pop-up that
  // OnNewWindow3 has just let through. An engine that raised NewWindow2 first would see the
  // pop-up cancelled: the page loses its pop-up but never the platform page.
  bool OnNewWindow2();
  // Loads a target in the hosted browser (cancelling the new window), or lets a blank pop-up
  // open in its own window; answers the cancel flag.
  bool OnNewWindow3(const std::wstring& urlToOpen);
  void OnCommandStateChange(long command, bool enable);
  void OnProgressChange(long progress, long progressMax);
  void OnNavigateComplete2(const std::wstring& url);
  void OnDocumentComplete(const std::wstring& url, const ElementsOpener& openElements, bool topFrame = false);
  // Answer the cancel flag. A frame inside a page is left to the engine.
  bool OnBeforeNavigate2(const std::wstring& url, bool topFrame);
  bool OnNavigateError(const std::wstring& url, bool topFrame, long statusCode);
  // FileDownload: `document` false when a file, not a page, is being fetched.
  void OnFileDownload(bool document);

  bool IsOperatorPage(const std::wstring& url) const;
  // The operator's or the payment pages, plain or wholly on https.
  bool WantsLinkRewrite(const std::wstring& url) const;

 private:
  bool IsLocalPage(const std::wstring& url) const;

  IBrowserHost& m_host;
  CPlatformWatch* m_pWatch;
  // A blank pop-up was let through by NewWindow3; the NewWindow2 of the same request follows.
  bool m_bBlankPopupAllowed = false;
  std::wstring m_strPrimaryDomain;
  std::wstring m_strPaymentDomain;
};

// Replaces empty-script links of anchors by "#"; answers how many it replaced.
std::size_t RewriteEmptyScriptLinks(IPageElements& elements);

bool IsAnchorTag(const std::wstring& tagName);
bool IsEmptyScriptLink(const std::wstring& href);
const wchar_t* TitleForProgress(long progress, long progressMax);

// The built-in domains of this build.
std::wstring PrimaryDomain();
std::wstring PaymentDomain();

}  // namespace lirra::browser
