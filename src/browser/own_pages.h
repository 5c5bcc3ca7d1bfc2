// Which pages are the operator's own, so that the hosted browser lets them run the card-reader
// plug-ins without a prompt: pages of the platform host, of the primary domain and its
// subdomains, and of the payment domain and its subdomains, over http or https. Every other
// page (another site, a look-alike name, file:, about:, res:, script URLs) is left to Windows'
// own zone settings, which the client never loosens for the Internet zone.
#pragma once

#include <cstdint>
#include <string>

namespace lirra::browser {

// The ActiveX URL actions that own pages get without a prompt, as the numbers Windows gives
// them (the zone settings name them by the same numbers in hexadecimal): download unsigned
// controls, script controls not marked safe, run controls never run before, run controls,
// script controls marked safe, automatic prompting.
inline constexpr std::uint32_t kOwnPageUrlActions[] = {0x1004, 0x1201, 0x1208, 0x1200, 0x1405, 0x2201};

enum class UrlActionAnswer {
  kAllow,    // allowed without a prompt
  kDefault,  // whatever Windows' own settings say
};

class COwnPages {
 public:
  // The platform host may carry a port ("127.0.0.1:18080"): then only that port is its. The
  // domains are bare names; an empty one names nothing.
  COwnPages(std::string platformHost, std::string primaryDomain, std::string paymentDomain);

  bool Contains(const std::wstring& url) const;
  UrlActionAnswer AnswerUrlAction(const std::wstring& url, std::uint32_t action) const;

 private:
  std::string m_strPlatformHost;
  int m_nPlatformPort = 0;  // 0: any port
  std::string m_strPrimaryDomain;
  std::string m_strPaymentDomain;
};

// The built-in hosts of this build.
const COwnPages& BuiltInOwnPages();

}  // namespace lirra::browser
