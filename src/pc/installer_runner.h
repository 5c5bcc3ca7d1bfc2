// Launches a program through the shell's "open" and waits until no process of the given
// image name is left (the shell gives no process handle). Blocks the calling thread.
#pragma once

#include <string>

#include "platform/platform.h"

namespace lirra {

// The shell's result (> 32: started; a failure code such as 2 for a missing file is
// returned too, after the wait ends at once), or -1 when the shell answered 0. An empty
// wait name returns right after the launch. Polls every 50 ms, without a time limit.
int LaunchAndWait(const std::wstring& file, const std::wstring& waitName, const std::wstring& parameters = {},
                  const std::wstring& directory = {});

// Ends the first running process of the wait name, then LaunchAndWait.
int RunInstaller(const std::wstring& file, const std::wstring& waitName, const std::wstring& parameters = {},
                 const std::wstring& directory = {});

// The same for an installer whose file is held (HeldFile): it is started from the held file's
// path while still held, so what starts is what was checked, and the hold ends once the
// process has started (its program is then mapped and can't be replaced under it).
int LaunchHeldAndWait(HeldFilePtr installer, const std::wstring& waitName, const std::wstring& parameters = {},
                      const std::wstring& directory = {});
int RunHeldInstaller(HeldFilePtr installer, const std::wstring& waitName, const std::wstring& parameters = {},
                     const std::wstring& directory = {});

}  // namespace lirra
