#include "browser/navigation_policy.h"

#include <utility>

#include "platform/utf8.h"

namespace lirra::browser {
namespace {

const wchar_t* const kEmptyScriptPatterns[] = {L"javascript:void(0);", L"javascript:;"};

// An empty domain would match every page, so it matches none.
bool ContainsDomain(const std::wstring& url, const std::wstring& domain) {
  return !domain.empty() && url.find(domain) != std::wstring::npos;
}

}  // namespace

CNavigationPolicy::CNavigationPolicy(IBrowserHost& host, std::wstring primaryDomain, std::wstring paymentDomain,
                                     CPlatformWatch* watch)
    : m_host(host),
      m_pWatch(watch),
      m_strPrimaryDomain(std::move(primaryDomain)),
      m_strPaymentDomain(std::move(paymentDomain)) {}

bool CNavigationPolicy::OnNewWindow2() {
  const bool allowed = m_bBlankPopupAllowed;
  m_bBlankPopupAllowed = false;
  return !allowed;
}

bool CNavigationPolicy::OnNewWindow3(const std::wstring& urlToOpen) {
  m_bBlankPopupAllowed = NewWindowActionFor(urlToOpen) == NewWindowAction::kOwnWindow;
  // Loading about:blank here would throw the platform page away for an empty one.
  if (m_bBlankPopupAllowed) return false;
  m_host.NavigateSilently(urlToOpen);
  // Cancelled here too: not every engine raises NewWindow2 after this event.
  return true;
}

void CNavigationPolicy::OnCommandStateChange(long command, bool enable) {
  if (command == kCommandForward) m_host.EnableForwardButton(enable);
  if (command == kCommandBack) m_host.EnableBackButton(enable);
}

void CNavigationPolicy::OnProgressChange(long progress, long progressMax) {
  m_host.SetTitleText(TitleForProgress(progress, progressMax));
}

void CNavigationPolicy::OnNavigateComplete2(const std::wstring& url) {
  // The substring test would also match a client folder named after the domain.
  if (IsOperatorPage(url) && !IsLocalPage(url))
    m_host.RunScriptInTopDocument(kClientMarkerScript, kClientMarkerLanguage);
}

void CNavigationPolicy::OnDocumentComplete(const std::wstring& url, const ElementsOpener& openElements, bool topFrame) {
  if (topFrame && m_pWatch) m_pWatch->OnDocumentComplete(url);
  if (IsLocalPage(url) || !WantsLinkRewrite(url) || !openElements) return;
  std::unique_ptr<IPageElements> elements = openElements();
  if (elements) RewriteEmptyScriptLinks(*elements);
}

bool CNavigationPolicy::OnBeforeNavigate2(const std::wstring& url, bool topFrame) {
  return topFrame && m_pWatch && m_pWatch->OnBeforeNavigate(url);
}

bool CNavigationPolicy::OnNavigateError(const std::wstring& url, bool topFrame, long statusCode) {
  return topFrame && m_pWatch && m_pWatch->OnNavigateError(url, statusCode);
}

void CNavigationPolicy::OnFileDownload(bool document) {
  if (!document && m_pWatch) m_pWatch->OnDownloadStarted();
}

bool CNavigationPolicy::IsLocalPage(const std::wstring& url) const { return m_pWatch && m_pWatch->IsLocalPage(url); }

bool CNavigationPolicy::IsOperatorPage(const std::wstring& url) const {
  return ContainsDomain(url, m_strPrimaryDomain);
}

bool CNavigationPolicy::WantsLinkRewrite(const std::wstring& url) const {
  if (!ContainsDomain(url, m_strPrimaryDomain) && !ContainsDomain(url, m_strPaymentDomain)) return false;
  // "https" later in the URL (a query, say) does not make it a secure page.
  const std::size_t secure = url.find(L"https");
  return secure == std::wstring::npos || secure == 0;
}

std::size_t RewriteEmptyScriptLinks(IPageElements& elements) {
  std::size_t replaced = 0;
  const std::size_t count = elements.Count();
  for (std::size_t i = 0; i < count; ++i) {
    const std::optional<std::wstring> tag = elements.TagName(i);
    if (!tag || !IsAnchorTag(*tag)) continue;
    const std::optional<std::wstring> href = elements.TextAttribute(i, kLinkAttribute);
    if (!href || !IsEmptyScriptLink(*href)) continue;
    elements.SetAttribute(i, kLinkAttribute, kReplacementLink);
    ++replaced;
  }
  return replaced;
}

bool IsBlankTarget(const std::wstring& url) {
  const std::size_t first = url.find_first_not_of(L" \t\r\n");
  if (first == std::wstring::npos) return true;
  const std::size_t last = url.find_last_not_of(L" \t\r\n");
  std::wstring target = url.substr(first, last - first + 1);
  for (wchar_t& c : target) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  const std::wstring blank = L"about:blank";
  if (target.compare(0, blank.size(), blank) != 0) return false;
  return target.size() == blank.size() || target[blank.size()] == L'#' || target[blank.size()] == L'?';
}

NewWindowAction NewWindowActionFor(const std::wstring& urlToOpen) {
  return IsBlankTarget(urlToOpen) ? NewWindowAction::kOwnWindow : NewWindowAction::kLoadHere;
}

bool IsAnchorTag(const std::wstring& tagName) { return tagName == L"A" || tagName == L"a"; }

bool IsEmptyScriptLink(const std::wstring& href) {
  for (const wchar_t* pattern : kEmptyScriptPatterns) {
    if (href.find(pattern) != std::wstring::npos) return true;
  }
  return false;
}

const wchar_t* TitleForProgress(long progress, long progressMax) {
  return (progress >= 0 && progress < progressMax) ? kLoadingTitle : kNormalTitle;
}

std::wstring PrimaryDomain() { return Utf8ToWide(LIRRA_PRIMARY_DOMAIN); }
std::wstring PaymentDomain() { return Utf8ToWide(LIRRA_PAYMENT_DOMAIN); }

}  // namespace lirra::browser
