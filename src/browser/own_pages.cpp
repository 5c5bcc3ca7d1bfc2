#include "browser/own_pages.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "net/web_url.h"
#include "platform/utf8.h"

namespace lirra::browser {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Four dot-separated numbers: such a host has no subdomains.
bool IsIpv4Address(const std::string& host) {
  return !host.empty() && std::count(host.begin(), host.end(), '.') == 3 &&
         host.find_first_not_of("0123456789.") == std::string::npos;
}

// The domain itself or a name under it ("pay.shop.example" for "shop.example"), never a name
// that only ends in the same letters ("evilshop.example").
bool IsInDomain(const std::string& host, const std::string& domain) {
  if (domain.empty()) return false;
  if (host == domain) return true;
  if (IsIpv4Address(domain) || host.size() <= domain.size()) return false;
  return host.compare(host.size() - domain.size(), domain.size(), domain) == 0 &&
         host[host.size() - domain.size() - 1] == '.';
}

}  // namespace

COwnPages::COwnPages(std::string platformHost, std::string primaryDomain, std::string paymentDomain)
    : m_strPrimaryDomain(Lower(std::move(primaryDomain))), m_strPaymentDomain(Lower(std::move(paymentDomain))) {
  UrlAuthority platform;
  if (!platformHost.empty() && SplitAuthority(platformHost, &platform)) {
    m_strPlatformHost = Lower(platform.host);
    m_nPlatformPort = platform.portGiven ? platform.port : 0;
  }
}

bool COwnPages::Contains(const std::wstring& url) const {
  const std::optional<WebUrl> page = ParseWebUrl(WideToUtf8(url));
  if (!page) return false;
  const bool platform = !m_strPlatformHost.empty() && page->host == m_strPlatformHost &&
                        (m_nPlatformPort == 0 || page->port == m_nPlatformPort);
  return platform || IsInDomain(page->host, m_strPrimaryDomain) || IsInDomain(page->host, m_strPaymentDomain);
}

UrlActionAnswer COwnPages::AnswerUrlAction(const std::wstring& url, std::uint32_t action) const {
  const bool activeX =
      std::find(std::begin(kOwnPageUrlActions), std::end(kOwnPageUrlActions), action) != std::end(kOwnPageUrlActions);
  return activeX && Contains(url) ? UrlActionAnswer::kAllow : UrlActionAnswer::kDefault;
}

const COwnPages& BuiltInOwnPages() {
  static const COwnPages pages(LIRRA_PLATFORM_HOST, LIRRA_PRIMARY_DOMAIN, LIRRA_PAYMENT_DOMAIN);
  return pages;
}

}  // namespace lirra::browser
