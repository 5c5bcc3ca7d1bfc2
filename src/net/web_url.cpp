#include "net/web_url.h"

#include <algorithm>
#include <cctype>

#include "net/http_client.h"

namespace lirra {
namespace {

bool IsHostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
}

// Empty digits ("host:") name no port.
bool ParsePort(const std::string& digits, UrlAuthority* authority) {
  if (digits.empty()) return true;
  if (digits.size() > 5) return false;
  int value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > 65535) return false;
  authority->port = value;
  authority->portGiven = true;
  return true;
}

// "http://" or "https://" at the start, in any letter case; the length of the prefix or 0.
std::size_t WebSchemeLength(const std::string& url, bool* secure) {
  for (const char* prefix : {"http://", "https://"}) {
    const std::size_t n = std::char_traits<char>::length(prefix);
    if (url.size() < n) continue;
    bool same = std::equal(prefix, prefix + n, url.begin(),
                           [](char p, char c) { return p == std::tolower(static_cast<unsigned char>(c)); });
    if (same) {
      *secure = n == 8;
      return n;
    }
  }
  return 0;
}

}  // namespace

bool SplitAuthority(const std::string& url, UrlAuthority* authority) {
  std::size_t start = 0;
  const std::size_t scheme = url.find("://");
  if (scheme != std::string::npos && url.find_first_of("/\\?#") > scheme) start = scheme + 3;

  const std::size_t end = std::min(url.find_first_of("/\\?#", start), url.size());
  std::string text = url.substr(start, end - start);
  const std::size_t at = text.rfind('@');
  if (at != std::string::npos) text.erase(0, at + 1);

  UrlAuthority result;
  result.end = end;
  const std::size_t colon = text.rfind(':');
  result.host = text.substr(0, colon);
  if (colon != std::string::npos && !ParsePort(text.substr(colon + 1), &result)) return false;
  if (result.host.empty() || result.host.size() > static_cast<std::size_t>(kHttpMaxHost)) return false;
  if (!std::all_of(result.host.begin(), result.host.end(), IsHostChar)) return false;
  *authority = std::move(result);
  return true;
}

std::optional<WebUrl> ParseWebUrl(const std::string& url) {
  WebUrl web;
  if (WebSchemeLength(url, &web.secure) == 0) return std::nullopt;
  UrlAuthority authority;
  if (!SplitAuthority(url, &authority)) return std::nullopt;
  web.host = authority.host;
  for (char& c : web.host) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  web.port = authority.portGiven ? authority.port : (web.secure ? 443 : 80);
  return web;
}

}  // namespace lirra
