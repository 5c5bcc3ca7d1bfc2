// How the start-up preparation worker talks to the user: the loading window's progress line,
// the line that shows which installer it waits for (and the way to leave that installer
// behind), questions and warnings in the skinned message box, the close message, and the end
// of the process. The Windows client implements it over CLoading and CMyMessageBox; tests
// record it.
#pragma once

#include <string>

#include "pc/installer_runner.h"

namespace lirra {

// Posted to the loading window when the preparation has finished (wParam 0, lParam 0).
constexpr unsigned WM_LOADING_DONE = 0x464;  // WM_USER + 100

// Every call comes from the worker thread; each one returns only when it is done. As the
// installers' watch (InstallerWatch) the loading window shows under the progress text which
// installer the worker waits for and for how long; once a wait has lasted a minute the user
// may leave that installer running (Left), and the worker goes on without recording it.
class PrepareUi : public InstallerWatch {
 public:
  virtual ~PrepareUi() = default;

  // Replaces the loading window's progress text (and takes away a download's progress bar).
  virtual void SetProgressText(const std::wstring& text) = 0;

  // How much of the package being downloaded has arrived, 0 to 100: a thin bar and the
  // percentage under the progress text, until the next text.
  virtual void ShowProgress(int percent) = 0;

  // A two-button message box (SetTwoButtons with the confirm text also as the single text),
  // run modally on the calling thread. True only when the confirm button was pressed
  // (m_bConfirmed); cancel, the close button, Enter and Esc all answer false.
  virtual bool AskTwoButtons(const std::wstring& title, const std::wstring& text, const std::wstring& confirmText,
                             const std::wstring& cancelText) = 0;

  // A one-button message box (SetOneButton), run modally; returns when it is closed.
  virtual void Warn(const std::wstring& title, const std::wstring& text, const std::wstring& buttonText) = 0;

  // Posts WM_LOADING_DONE to the loading window. The worker's last call.
  virtual void Done() = 0;

  // Asks for the end of the whole process with this exit code. The loading window's thread
  // ends it (the window closes and the start-up goes no further); the worker stops right after
  // the call.
  virtual void ExitProcess(int exitCode) = 0;
};

}  // namespace lirra
