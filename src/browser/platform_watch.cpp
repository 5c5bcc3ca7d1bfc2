#include "browser/platform_watch.h"

#include <cstdint>
#include <utility>

#include "browser/navigation_policy.h"
#include "platform/utf8.h"

namespace lirra::browser {
namespace {

struct StatusReason {
  std::uint32_t code;
  OfflineReason reason;
};

// The engine reports a lost connection as an URL-moniker HRESULT (INET_E_...).
const StatusReason kMonikerFailures[] = {
    {0x800C0005, OfflineReason::kNoNetwork},  // resource not found: the name did not resolve
    {0x800C0004, OfflineReason::kNoAnswer},   // cannot connect
    {0x800C0007, OfflineReason::kNoAnswer},   // data not available
    {0x800C0008, OfflineReason::kNoAnswer},   // download failure: dropped (Wine: also refused)
    {0x800C000B, OfflineReason::kNoAnswer},   // connection timeout
};

// Some engines pass WinINet's own error, bare or as an HRESULT.
const StatusReason kWinInetFailures[] = {
    {12007, OfflineReason::kNoNetwork},  // name not resolved
    {12163, OfflineReason::kNoNetwork},  // disconnected
    {12002, OfflineReason::kNoAnswer},   // timeout
    {12029, OfflineReason::kNoAnswer},   // cannot connect
    {12030, OfflineReason::kNoAnswer},   // connection aborted
    {12031, OfflineReason::kNoAnswer},   // connection reset
    {12152, OfflineReason::kNoAnswer},   // invalid server response
};

constexpr std::uint32_t kWin32Facility = 0x80070000;

constexpr unsigned kRetryPausesMs[] = {5000, 10000, 20000, 40000, 60000};

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// One spelling for URLs that the engine may give back with other escapes, letter case or
// slashes than we gave it.
std::wstring Folded(const std::wstring& url) {
  std::wstring out;
  for (std::size_t i = 0; i < url.size(); ++i) {
    wchar_t c = url[i];
    // %XX of a plain ASCII character is that character.
    if (c == L'%' && i + 2 < url.size() && HexDigit(url[i + 1]) >= 0 && HexDigit(url[i + 2]) >= 0) {
      const int value = HexDigit(url[i + 1]) * 16 + HexDigit(url[i + 2]);
      if (value > 0 && value < 0x80) {
        c = static_cast<wchar_t>(value);
        i += 2;
      }
    }
    if (c == L'\\') c = L'/';
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    out += c;
  }
  // "file://C:/..." is the old spelling of "file:///C:/...".
  const std::wstring file = L"file://";
  if (out.compare(0, file.size(), file) == 0 && out.size() > file.size() && out[file.size()] != L'/')
    out.insert(file.size(), 1, L'/');
  return out;
}

// The URL without its query and fragment, and the query alone.
std::wstring Document(const std::wstring& url) { return url.substr(0, url.find_first_of(L"?#")); }

std::wstring Query(const std::wstring& url) {
  const std::size_t mark = url.find(L'?');
  if (mark == std::wstring::npos) return {};
  const std::size_t fragment = url.find(L'#', mark);
  return url.substr(mark + 1, fragment == std::wstring::npos ? std::wstring::npos : fragment - mark - 1);
}

const OfflineReason kReasons[] = {OfflineReason::kNoNetwork, OfflineReason::kNoAnswer, OfflineReason::kServerError};

// A script URL or a jump within the page shown: no new document, so nothing to wait for.
bool StartsNewDocument(const std::wstring& url, const std::wstring& topPage) {
  if (Folded(url).rfind(L"javascript:", 0) == 0) return false;
  return url.find(L'#') == std::wstring::npos || topPage.empty() ||
         url.substr(0, url.find(L'#')) != topPage.substr(0, topPage.find(L'#'));
}

}  // namespace

std::optional<OfflineReason> ReasonForNavigateError(long statusCode) {
  if (statusCode >= 500 && statusCode <= 599) return OfflineReason::kServerError;
  const auto code = static_cast<std::uint32_t>(statusCode);
  for (const StatusReason& failure : kMonikerFailures) {
    if (code == failure.code) return failure.reason;
  }
  for (const StatusReason& failure : kWinInetFailures) {
    if (code == failure.code || code == (kWin32Facility | failure.code)) return failure.reason;
  }
  return std::nullopt;
}

unsigned RetryPauseMs(unsigned retriesMade) {
  const unsigned last = sizeof kRetryPausesMs / sizeof kRetryPausesMs[0] - 1;
  return kRetryPausesMs[retriesMade < last ? retriesMade : last];
}

const wchar_t* LocalPageFile(OfflineReason reason) {
  switch (reason) {
    case OfflineReason::kNoNetwork:
      return L"offline-network.html";
    case OfflineReason::kServerError:
      return L"offline-error.html";
    case OfflineReason::kNoAnswer:
      break;
  }
  return L"offline-noanswer.html";
}

std::wstring LoginUrl() { return L"http://" + Utf8ToWide(LIRRA_PLATFORM_HOST) + L"/jxsplatform/login.html"; }

CLocalPages::CLocalPages(std::wstring folderUrl) : m_strFolderUrl(std::move(folderUrl)) {
  if (!m_strFolderUrl.empty() && m_strFolderUrl.back() != L'/') m_strFolderUrl += L'/';
}

std::wstring CLocalPages::UrlFor(OfflineReason reason) const { return m_strFolderUrl + LocalPageFile(reason); }

bool CLocalPages::Contains(const std::wstring& url) const {
  if (m_strFolderUrl.empty()) return false;
  const std::wstring page = Folded(Document(url));
  for (OfflineReason reason : kReasons) {
    if (page == Folded(UrlFor(reason))) return true;
  }
  return false;
}

bool CLocalPages::IsRetryRequest(const std::wstring& url) const { return Contains(url) && Query(url) == L"retry"; }

CPlatformWatch::CPlatformWatch(IBrowserHost& host, const COwnPages& platform, std::wstring loginUrl,
                               CLocalPages localPages)
    : m_host(host), m_platform(platform), m_strLoginUrl(std::move(loginUrl)), m_localPages(std::move(localPages)) {}

bool CPlatformWatch::OnBeforeNavigate(const std::wstring& url) {
  if (m_localPages.IsRetryRequest(url)) {
    Retry();
    return true;
  }
  if (m_bOwnNavigationPending && (m_localPages.Contains(url) || IsPlatformPage(url))) {
    m_bOwnNavigationPending = false;
    return false;
  }
  // Nothing leaves our page but our own navigations, and our page never shows without a reason.
  if (ShowsLocalPage() || m_localPages.Contains(url)) return true;
  if (!StartsNewDocument(url, m_strTopPage)) return false;
  if (IsPlatformPage(url))
    WatchLoad();
  else
    EndLoadWatch();
  return false;
}

bool CPlatformWatch::OnNavigateError(const std::wstring& url, long statusCode) {
  // Our page itself missing (res/ damaged): the engine's error page, and the retries go on.
  if (m_localPages.Contains(url)) return false;
  EndLoadWatch();
  const bool answersRetry = m_bRetryInFlight;
  m_bRetryInFlight = false;
  const std::optional<OfflineReason> reason =
      IsPlatformPage(url) ? ReasonForNavigateError(statusCode) : std::optional<OfflineReason>();
  if (reason) {
    ShowLocalPage(*reason);
    return true;
  }
  // The platform answered, if only with an error of its own (a 404): that page stands.
  if (answersRetry) BackOnline();
  return false;
}

void CPlatformWatch::OnDocumentComplete(const std::wstring& url) {
  if (m_localPages.Contains(url)) return;
  m_strTopPage = url;
  EndLoadWatch();
  m_bRetryInFlight = false;
  if (!IsPlatformPage(url)) return;
  m_strLastPlatformPage = url;
  if (ShowsLocalPage()) BackOnline();
}

void CPlatformWatch::OnDownloadStarted() { EndLoadWatch(); }

void CPlatformWatch::OnTimer(WatchTimer timer) {
  if (timer == WatchTimer::kRetry) {
    if (ShowsLocalPage()) Retry();
    return;
  }
  if (!m_bLoadWatched) return;
  m_bLoadWatched = false;
  ShowLocalPage(OfflineReason::kNoAnswer);
}

bool CPlatformWatch::OnReload() {
  if (!ShowsLocalPage()) return false;
  Retry();
  return true;
}

void CPlatformWatch::ShowLocalPage(OfflineReason reason) {
  EndLoadWatch();
  m_bRetryInFlight = false;
  m_reason = reason;
  m_bOwnNavigationPending = true;
  m_host.NavigateOwnPage(m_localPages.UrlFor(reason));
  m_host.StartTimer(WatchTimer::kRetry, RetryPauseMs(m_nRetriesMade));
}

void CPlatformWatch::Retry() {
  m_host.StopTimer(WatchTimer::kRetry);
  ++m_nRetriesMade;
  m_bRetryInFlight = true;
  m_bOwnNavigationPending = true;
  WatchLoad();
  m_host.NavigateOwnPage(m_strLastPlatformPage.empty() ? m_strLoginUrl : m_strLastPlatformPage);
}

void CPlatformWatch::BackOnline() {
  m_reason.reset();
  m_nRetriesMade = 0;
  m_host.StopTimer(WatchTimer::kRetry);
}

void CPlatformWatch::WatchLoad() {
  m_bLoadWatched = true;
  m_host.StartTimer(WatchTimer::kLoad, kLoadWatchMs);
}

void CPlatformWatch::EndLoadWatch() {
  if (!m_bLoadWatched) return;
  m_bLoadWatched = false;
  m_host.StopTimer(WatchTimer::kLoad);
}

bool CPlatformWatch::IsPlatformPage(const std::wstring& url) const { return m_platform.Contains(url); }

}  // namespace lirra::browser
