// Stateless questions and settings of the Internet Explorer engine: which version is
// installed, which card-reader plug-ins are registered, and the registry settings the
// embedded engine needs before the platform's first page. Portable over the platform seam.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace lirra {

class CIEHelper {
 public:
  // --- Probes (read only) ---

  // The text of a value of HKLM "SOFTWARE\Microsoft\Internet Explorer\" ("Version",
  // "svcVersion"), or empty when it can't be read.
  static std::wstring ReadIEVersionValue(const std::wstring& valueName);
  // The greater major number of "Version" and "svcVersion"; 0 when neither tells.
  static int GetIEMajorVersion();
  // The major number of one version text: the decimal value before the first dot, else 0.
  static int MajorOf(const std::wstring& version);
  // Whether the key under HKEY_LOCAL_MACHINE exists; only "not found" counts as absent.
  static bool IsKeyPresent(const std::wstring& keyPath, RegView view = RegView::Default);
  // Whether a plug-in interface's ProxyStubClsid32 key exists, 32-bit view first.
  static bool IsInterfaceRegistered(const std::wstring& interfaceId);

  static bool IsHidPluginRegistered();
  static bool IsYsbPluginRegistered();  // both of its interfaces
  static bool IsNjysPluginRegistered();
  static bool IsWhjlPluginRegistered();
  static bool IsSdssPluginRegistered();

  // --- Engine settings (writes; every failure is silent) ---

  // The nine feature controls for this executable's current file name; 0.
  static int SetOwnFeatureControls();
  // The nine feature controls for another program's file name ("iexplore.exe"); 0.
  static int SetFeatureControlsFor(const std::wstring& programFileName);
  // Puts a domain pattern ("*.example.com") in the Trusted sites zone for http; 0 or -1.
  static int AddTrustedDomain(const std::wstring& domainPattern);
  // The six ActiveX URL actions enabled in zones "2" and "3"; true.
  static bool EnableZoneActions();

  static bool SetFeatureControl(const std::wstring& feature, std::uint32_t data, const std::wstring& valueName);
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
