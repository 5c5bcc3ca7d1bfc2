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

  // Starts a stopped service and waits (at most 30 s) until it runs. True when it runs or
  // was already in any state but stopped; false when it is missing, refuses to start,
  // stops again, or is still not running when the wait ends.
  static bool StartServiceByName(const std::wstring& name);
  // Terminates the first process (in snapshot order) whose image name matches, ASCII
  // letters compared without case. True when one was found, whether or not it ended.
  static bool KillProcessByName(const std::wstring& name);
  // Whether a process of that image name is in the list; only the first
  // kMaxComparedProcesses entries after the idle process are looked at.
  static bool IsProcessRunning(const std::wstring& name);

  static constexpr int kMaxComparedProcesses = 301;
};

}  // namespace lirra
