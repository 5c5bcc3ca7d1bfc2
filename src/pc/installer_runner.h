// Launches a program through the shell's "open" and waits until no process of the given
// image name is left (the shell gives no process handle). Blocks the calling thread. A wait
// can be watched: the watcher sees what is waited for and may leave the wait behind, the
// program still running.
#pragma once

#include <string>

#include "platform/platform.h"

namespace lirra {

// The image name a launched program runs under: its file name. A manifest that renames a
// package changes the record's file name but not the local path it is launched from, so the
// name is always taken from the file actually launched.
std::wstring ImageNameOf(const std::wstring& path);

// Someone who shows a wait to the user (the loading window, the driver manager) and may leave
// it. Called on the waiting thread.
class InstallerWatch {
 public:
  virtual ~InstallerWatch() = default;
  // The wait for `image`, the installer of `package` (as the user knows it), begins.
  virtual void WaitBegins(const std::wstring& package, const std::wstring& image) = 0;
  // Asked between two looks at the process list: true stops the wait at once, and the
  // installer is left running, never ended.
  virtual bool Left() = 0;
  // The wait is over, ended by itself or left.
  virtual void WaitEnds() = 0;
};

// What the waits return when the watch left the wait.
inline constexpr int kWaitLeft = -2;

// The shell's result (> 32: started; a failure code such as 2 for a missing file is
// returned too, after the wait ends at once), or -1 when the shell answered 0. An empty
// wait name returns right after the launch. Polls every 50 ms, without a time limit unless
// `watch` leaves the wait (kWaitLeft).
int LaunchAndWait(const std::wstring& file, const std::wstring& waitName, const std::wstring& parameters = {},
                  const std::wstring& directory = {}, InstallerWatch* watch = nullptr);

// Ends the first running process of the wait name, then LaunchAndWait.
int RunInstaller(const std::wstring& file, const std::wstring& waitName, const std::wstring& parameters = {},
                 const std::wstring& directory = {}, InstallerWatch* watch = nullptr);

// The same for an installer whose file is held (HeldFile): it is started from the held file's
// path while still held, so what starts is what was checked, and the hold ends once the
// process has started (its program is then mapped and can't be replaced under it). Nothing
// held starts nothing (-1).
int LaunchHeldAndWait(HeldFilePtr installer, const std::wstring& waitName, const std::wstring& parameters = {},
                      const std::wstring& directory = {}, InstallerWatch* watch = nullptr);
int RunHeldInstaller(HeldFilePtr installer, const std::wstring& waitName, const std::wstring& parameters = {},
                     const std::wstring& directory = {}, InstallerWatch* watch = nullptr);

// RunInstaller (or RunHeldInstaller) of the file, waiting on its image name, while `watch`
// shows the wait. True when the installer ended (or never started); false when the watch left
// it running.
bool RunWatched(InstallerWatch& watch, const std::wstring& package, const std::wstring& file,
                const std::wstring& parameters = {});
bool RunWatched(InstallerWatch& watch, const std::wstring& package, HeldFilePtr installer,
                const std::wstring& parameters = {});

}  // namespace lirra
