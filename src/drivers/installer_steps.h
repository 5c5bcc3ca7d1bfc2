// What both workers, the start-up preparation and the install run, do with installers: run one
// while their window shows the wait (and may leave it behind), and register CardX.ocx anew.
// Here rather than beside the installer runner in pc, because the registration records into
// config.ini, which only floors above the store reach; the preparation reaches it from app.
#pragma once

#include <functional>
#include <string>

#include "pc/installer_runner.h"

namespace lirra {

// CardX.ocx, the HID card-reader plug-in, as the wait line and the question name it.
inline constexpr wchar_t kPackageCardX[] = L"HID插件";

// RunWatched, with the program's file name kept in the support log (the windows name the
// package only). True when the installer ended; false when the watch left it running.
bool WaitForInstaller(InstallerWatch& watch, const std::wstring& package, const std::wstring& file,
                      const std::wstring& parameters = {});
// The same for an installer held since its digest check (HeldFile), started from its hold.
bool WaitForInstaller(InstallerWatch& watch, const std::wstring& package, HeldFilePtr installer,
                      const std::wstring& parameters = {});

enum class CardXResult {
  kRegistered,     // the plug-in's interface is registered now
  kNotRegistered,  // regsvr32 ran (or could not be found) and the interface is not registered
  kLeft,           // a regsvr32 wait was left: nothing more was run, nothing is recorded
};

// Unregisters and registers CardX.ocx in the client's folder with regsvr32.exe from the system
// folder, each wait shown through `watch`; `show` sets the status text of each step. When the
// plug-in is registered afterwards and `record` is set (and the watch has not left meanwhile),
// sets the HID flag of the run flags and saves the driver state.
CardXResult RegisterCardX(InstallerWatch& watch, const std::function<void(const std::wstring&)>& show, bool record);

}  // namespace lirra
