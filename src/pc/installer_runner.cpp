#include "pc/installer_runner.h"

#include <utility>

#include "pc/system_probe.h"

namespace lirra {

namespace {

constexpr unsigned kPollMs = 50;

// The launch's result once no process of the wait name is left, or kWaitLeft.
int WaitAfterLaunch(int code, const std::wstring& waitName, InstallerWatch* watch) {
  if (code == 0) return -1;
  if (waitName.empty()) return code;
  // The shell hands out no process handle, so the end is seen in the process list; an
  // installer may run for as long as its user needs, so only the user ends the wait early.
  while (CSystemProbe::IsProcessRunning(waitName)) {
    if (watch && watch->Left()) return kWaitLeft;
    OS().SleepMs(kPollMs);
  }
  return code;
}

}  // namespace

std::wstring ImageNameOf(const std::wstring& path) {
  const size_t sep = path.find_last_of(L"\\/");
  return sep == std::wstring::npos ? path : path.substr(sep + 1);
}

int LaunchAndWait(const std::wstring& file, const std::wstring& waitName, const std::wstring& parameters,
                  const std::wstring& directory, InstallerWatch* watch) {
  return WaitAfterLaunch(OS().ShellOpen(file, parameters, directory), waitName, watch);
}

int RunInstaller(const std::wstring& file, const std::wstring& waitName, const std::wstring& parameters,
                 const std::wstring& directory, InstallerWatch* watch) {
  CSystemProbe::KillProcessByName(waitName);
  return LaunchAndWait(file, waitName, parameters, directory, watch);
}

int LaunchHeldAndWait(HeldFilePtr installer, const std::wstring& waitName, const std::wstring& parameters,
                      const std::wstring& directory, InstallerWatch* watch) {
  if (!installer) return -1;
  // The shell returns once the process exists (or was refused).
  const int code = OS().ShellOpen(installer->Path(), parameters, directory);
  installer.reset();
  return WaitAfterLaunch(code, waitName, watch);
}

int RunHeldInstaller(HeldFilePtr installer, const std::wstring& waitName, const std::wstring& parameters,
                     const std::wstring& directory, InstallerWatch* watch) {
  CSystemProbe::KillProcessByName(waitName);
  return LaunchHeldAndWait(std::move(installer), waitName, parameters, directory, watch);
}

bool RunWatched(InstallerWatch& watch, const std::wstring& package, const std::wstring& file,
                const std::wstring& parameters) {
  const std::wstring image = ImageNameOf(file);
  watch.WaitBegins(package, image);
  const bool ended = RunInstaller(file, image, parameters, {}, &watch) != kWaitLeft;
  watch.WaitEnds();
  return ended;
}

bool RunWatched(InstallerWatch& watch, const std::wstring& package, HeldFilePtr installer,
                const std::wstring& parameters) {
  if (!installer) return true;  // nothing to start, nothing to wait for
  const std::wstring image = ImageNameOf(installer->Path());
  watch.WaitBegins(package, image);
  const bool ended = RunHeldInstaller(std::move(installer), image, parameters, {}, &watch) != kWaitLeft;
  watch.WaitEnds();
  return ended;
}

}  // namespace lirra
