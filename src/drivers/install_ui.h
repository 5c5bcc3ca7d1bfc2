// How a driver install run talks to the driver manager: the vendors the user has selected, the
// status line, the conflict questions and the end of the run. The Windows client implements it
// in CmervoDrviceManageDlg; tests record it.
#pragma once

#include <string>

#include "pc/installer_runner.h"
#include "pc/vendors.h"

namespace lirra {

// Every call comes from the run's thread; each one returns only when it is done. As the
// installers' watch it shows which vendor's installer the run waits for and for how long
// (InstallerWatch), and leaves the wait when the user leaves the run.
class InstallUi : public InstallerWatch {
 public:
  virtual ~InstallUi() = default;

  // Asked each time the run reaches the vendor: the user may change the selection meanwhile.
  virtual bool IsSelected(Vendor vendor) = 0;
  // "重装" started the run: selected vendors are processed even when installed.
  virtual bool IsReinstall() = 0;

  // Replaces the status line's text, and clears the line under it.
  virtual void SetStatusText(const std::wstring& text) = 0;

  // The line under the status line, until the next status text: how much of the package
  // being downloaded has arrived (0 to 100, with a thin bar), or a sentence of its own (why a
  // vendor failed).
  virtual void ShowProgress(int percent) = 0;
  virtual void SetDetailText(const std::wstring& text) = 0;

  // True once the user has left the driver manager while the run was in progress. The run
  // then starts nothing more and records nothing more (not the vendor being installed, nor
  // config.ini); what it recorded before stays. Its later calls of this interface do nothing,
  // and its wait on an installer ends at once (Left), the installer still running.
  virtual bool HasLeft() = 0;

  // A two-button message box run modally on the calling thread; true only when the confirm
  // button was pressed.
  virtual bool AskTwoButtons(const std::wstring& title, const std::wstring& text, const std::wstring& confirmText,
                             const std::wstring& cancelText) = 0;

  // The run's last call: the buttons that were locked for the run come back.
  virtual void RunEnded() = 0;
};

}  // namespace lirra
