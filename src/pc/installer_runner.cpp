#include "pc/installer_runner.h"

#include "pc/system_probe.h"
#include "platform/platform.h"

namespace lirra {

namespace {
constexpr unsigned kPollMs = 50;
}

int LaunchAndWait(const std::wstring& file, const std::wstring& waitName, const std::wstring& parameters,
                  const std::wstring& directory) {
  int code = OS().ShellOpen(file, parameters, directory);
  if (code == 0) return -1;
  if (waitName.empty()) return code;
  // The shell hands out no process handle, so the end is seen in the process list; an
  // installer may run for as long as its user needs, hence no time limit.
  while (CSystemProbe::IsProcessRunning(waitName)) OS().SleepMs(kPollMs);
  return code;
}

int RunInstaller(const std::wstring& file, const std::wstring& waitName, const std::wstring& parameters,
                 const std::wstring& directory) {
  CSystemProbe::KillProcessByName(waitName);
  return LaunchAndWait(file, waitName, parameters, directory);
}

}  // namespace lirra
