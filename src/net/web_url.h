// The part of a URL that names the server: read once, here, for the HTTP client's requests and
// for the browser's question "is this page one of ours?".
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace lirra {

// Host and port of a URL: after "scheme://" when the scheme comes before any path, up to the
// first "/", "\", "?" or "#", without the user information before an "@".
struct UrlAuthority {
  std::string host;        // as written
  int port = 80;           // 80 unless the URL names one
  bool portGiven = false;  // the URL names a port
  std::size_t end = 0;     // where the authority ends in the URL (its path, query or fragment begins)
};

// False when there is no host, the host is longer than 255 bytes or holds anything but letters,
// digits, ".", "-" and "_", or the port is not a number from 1 to 65535.
bool SplitAuthority(const std::string& url, UrlAuthority* authority);

// An http or https URL as the browser would load it.
struct WebUrl {
  bool secure = false;  // https
  std::string host;     // in ASCII lower case
  int port = 80;        // the scheme's own port unless the URL names one
};

// Empty unless the URL starts with "http://" or "https://" (in any letter case) and its
// authority splits.
std::optional<WebUrl> ParseWebUrl(const std::string& url);

}  // namespace lirra
