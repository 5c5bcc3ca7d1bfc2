// Stateless questions to the machine: where the executable lives, which Windows runs,
// services and processes. Portable logic over the platform seam.
#pragma once

#include <string>

#include "platform/platform.h"

namespace lirra {

class CSystemProbe {
 public:
  // The running executable's folder without trailing separator; empty when the path has none.
  static std::wstring GetModuleDir();
  // The running executable's file name without folder.
  static std::wstring GetExeFileName();
  // "XP", "7", "8", "10" or "No".
  static std::wstring GetOsVersionName();
  static std::wstring OsVersionName(OsVersion version);
};

}  // namespace lirra
