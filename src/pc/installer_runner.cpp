#include "pc/installer_runner.h"

#include <utility>

#include "pc/system_probe.h"
#include "platform/platform.h"

namespace lirra {

namespace {

constexpr unsigned kPollMs = 50;

// The launch's result once no process of the wait name is left.
int WaitAfterLaunch(int code, const std::wstring& waitName) {
  if (code == 0) return -1;
  if (waitName.empty()) return code;
  // The shell hands out no process handle, so the end is seen in the process list; an
  // installer may run for as long as its user needs, hence no time limit.
  while (CSystemProbe::IsProcessRunning(waitName)) OS().SleepMs(kPollMs);
  return code;
}

}  // namespace

int LaunchAndWait(const std::wstring& file, const std::wstring& waitName, const std::wstring& parameters,
                  const std::wstring& directory) {
  return WaitAfterLaunch(OS().ShellOpen(file, parameters, directory), waitName);
}

int LaunchHeldAndWait(HeldFilePtr installer, const std::wstring& waitName, const std::wstring& parameters,
                      const std::wstring& directory) {
  if (!installer) return -1;
  // The shell returns once the process exists (or was refused).
  const int code = OS().ShellOpen(installer->Path(), parameters, directory);
  installer.reset();
  return WaitAfterLaunch(code, waitName);
}

int RunHeldInstaller(HeldFilePtr installer, const std::wstring& waitName, const std::wstring& parameters,
                     const std::wstring& directory) {
  CSystemProbe::KillProcessByName(waitName);
  return LaunchHeldAndWait(std::move(installer), waitName, parameters, directory);
}

int RunInstaller(const std::wstring& file, const std::wstring& waitName, const std::wstring& parameters,
                 const std::wstring& directory) {
  CSystemProbe::KillProcessByName(waitName);
  return LaunchAndWait(file, waitName, parameters, directory);
}

}  // namespace lirra
