// Stateless questions to the Internet Explorer engine: which version is installed and which
// card-reader plug-ins are registered. Read only; portable over the platform seam.
#pragma once

#include <string>

#include "platform/platform.h"

namespace lirra {

enum class Vendor;

// Internet Explorer's image name: both workers end it before they change what it loads.
inline constexpr wchar_t kBrowserImage[] = L"iexplore.exe";

class CIEHelper {
 public:
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

  // Whether every interface of the vendor's plug-in is registered.
  static bool IsPluginRegistered(Vendor vendor);
  static bool IsHidPluginRegistered();
  static bool IsYsbPluginRegistered();  // both of its interfaces
  static bool IsNjysPluginRegistered();
  static bool IsWhjlPluginRegistered();
  static bool IsSdssPluginRegistered();
};

}  // namespace lirra
