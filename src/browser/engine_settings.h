// The registry settings the embedded Internet Explorer engine needs before the platform's
// first page: document mode and ActiveX permissions for this program, and the operator's
// domain as a trusted site. Every write's failure is silent to the browser window.
#pragma once

#include <cstdint>
#include <string>

namespace lirra {

class CEngineSettings {
 public:
  // The nine feature controls for this executable's current file name; 0.
  static int SetOwnFeatureControls();
  // The nine feature controls for another program's file name ("iexplore.exe"); 0.
  static int SetFeatureControlsFor(const std::wstring& programFileName);
  // Puts a domain pattern ("*.example.com") in the Trusted sites zone for http; 0 or -1.
  static int AddTrustedDomain(const std::wstring& domainPattern);
  // The six ActiveX URL actions enabled in zone "2" (Trusted sites); true. The Internet zone
  // is never written.
  static bool EnableZoneActions();

  static bool SetFeatureControl(const std::wstring& feature, std::uint32_t data, const std::wstring& valueName);
  // Writes the value for this executable under HKLM and under HKCU (same key path); true when
  // either holds it. Other programs' values (SetFeatureControlsFor) stay HKLM-only: under HKCU
  // the "iexplore.exe" column would lower the user's own Internet Explorer lockdowns.
  static bool SetOwnFeatureControl(const std::wstring& feature, std::uint32_t data);
  static int SetZoneAction(const std::wstring& zonesPrefix, const std::wstring& valueName,
                           const std::wstring& zoneNumber);

  // All writes the browser window makes at its first show, in their order: own file,
  // "iexplore.exe", the primary domain as trusted site, the zone actions.
  static void ApplyBrowserSettings();
  // "*." followed by the built-in primary domain.
  static std::wstring TrustedDomainPattern();
};

}  // namespace lirra
