// What the browser window does when the platform can't be reached: a top-level navigation to
// the platform fails (no network, no answer, a server error) or does not complete within 30 s.
// The window then shows a page of our own from res/ that says which, and tries the platform
// again by itself after 5, 10, 20, 40 and then every 60 s, or at once on "重试" (a link to the
// local page with the query "retry") and on the reload button. A retry loads the last platform
// page that completed, else the login page; once the platform answers, the watch is back to
// normal. While our page shows, only our own navigations (the retry, another of our pages) may
// leave it.
//
// The inputs are the top frame's events and the window's timer ticks; a frame inside a page
// never gets here, so its failure leaves the page alone. Kept apart from the navigation policy
// so that every state and every step is one call away from a table test.
#pragma once

#include <optional>
#include <string>

#include "browser/own_pages.h"

namespace lirra::browser {

class IBrowserHost;

enum class OfflineReason {
  kNoNetwork,    // the name of the host can't be looked up: the line is down
  kNoAnswer,     // refused, dropped or timed out, or the page never completed
  kServerError,  // the platform answered with a server error (500 to 599)
};

// The window's two one-shot timers.
enum class WatchTimer { kLoad, kRetry };

// How long a platform page may take before the platform counts as not answering.
inline constexpr unsigned kLoadWatchMs = 30000;

// The reason a failed top-level navigation of a platform page gives, from the status code of
// the engine's NavigateError (an HRESULT, a WinINet error or an HTTP status); none when the
// failure is not one of these (a 404, a certificate, a document the engine can't show): the
// engine's own handling stands.
std::optional<OfflineReason> ReasonForNavigateError(long statusCode);

// The pause before the next retry, after `retriesMade` retries since the platform was lost.
unsigned RetryPauseMs(unsigned retriesMade);

// The file of res/ that says what happened.
const wchar_t* LocalPageFile(OfflineReason reason);

// The login page of the platform host of this build.
std::wstring LoginUrl();

// Our local pages under a folder URL ("file:///C:/Lirra/res/").
class CLocalPages {
 public:
  explicit CLocalPages(std::wstring folderUrl);

  std::wstring UrlFor(OfflineReason reason) const;
  // One of our pages, whatever its query or fragment; the engine may report the URL with
  // other escapes, letter case or slashes.
  bool Contains(const std::wstring& url) const;
  // "重试" on one of our pages: the page itself with the query "retry".
  bool IsRetryRequest(const std::wstring& url) const;

 private:
  std::wstring m_strFolderUrl;
};

class CPlatformWatch {
 public:
  CPlatformWatch(IBrowserHost& host, const COwnPages& platform, std::wstring loginUrl, CLocalPages localPages);

  // A navigation of the top frame is about to start; answers the cancel flag.
  bool OnBeforeNavigate(const std::wstring& url);
  // The top frame's navigation failed; answers the cancel flag (true: our page replaces the
  // engine's error page).
  bool OnNavigateError(const std::wstring& url, long statusCode);
  // The top frame's document completed.
  void OnDocumentComplete(const std::wstring& url);
  // The navigation turned out to be a file download: no page will complete.
  void OnDownloadStarted();
  void OnTimer(WatchTimer timer);
  // The reload button: while our page shows, a retry at once (answers true); otherwise the
  // engine reloads the page.
  bool OnReload();

  bool IsLocalPage(const std::wstring& url) const { return m_localPages.Contains(url); }
  // Our page shows (or is on its way), and the retry timer runs.
  bool ShowsLocalPage() const { return m_reason.has_value(); }
  std::optional<OfflineReason> Reason() const { return m_reason; }

 private:
  void ShowLocalPage(OfflineReason reason);
  void Retry();
  void BackOnline();
  void WatchLoad();
  void EndLoadWatch();
  bool IsPlatformPage(const std::wstring& url) const;

  IBrowserHost& m_host;
  const COwnPages& m_platform;
  std::wstring m_strLoginUrl;
  CLocalPages m_localPages;
  std::optional<OfflineReason> m_reason;  // set while our page shows
  unsigned m_nRetriesMade = 0;            // since the platform was lost
  bool m_bOwnNavigationPending = false;   // ours was asked for; its BeforeNavigate is still to come
  bool m_bRetryInFlight = false;          // the retry's answer is still to come
  bool m_bLoadWatched = false;            // a platform page is loading under the 30 s watch
  std::wstring m_strLastPlatformPage;     // the last one that completed
  std::wstring m_strTopPage;              // the top document that completed last
};

}  // namespace lirra::browser
