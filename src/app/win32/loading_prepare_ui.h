// The preparation worker's view of the loading window: progress text in its text control,
// the download's progress bar and the wait line (sent to the window), questions in
// CMyMessageBox on the worker's own thread, and the close and exit messages. All of it goes
// through the window's run link, which also carries the leaving of an installer's wait.
#pragma once

#include <windows.h>

#include "app/prepare_ui.h"
#include "ui/win32/run_link.h"

namespace lirra::win {

// Sent by the worker: a download's progress (wParam 0 to 100), or -1 to take the bar away.
constexpr UINT WM_LOADING_PROGRESS = WM_APP + 10;
// Posted by the worker: the user chose to end the client; wParam is the exit code.
constexpr UINT WM_LOADING_EXIT = WM_APP + 11;
// Sent by the worker: a wait on an installer begins (wParam 1) or ends (0); the window reads
// what it waits for from the run link.
constexpr UINT WM_LOADING_WAIT = WM_APP + 12;

class CLoadingPrepareUi : public PrepareUi {
 public:
  void Bind(HWND loading, HWND text) {
    m_link.Bind(loading);
    m_hText = text;
  }
  CRunLink& Link() { return m_link; }

  void SetProgressText(const std::wstring& text) override;
  void ShowProgress(int percent) override;
  void WaitBegins(const std::wstring& package, const std::wstring& image) override;
  bool Left() override { return m_link.StopWaiting(); }
  void WaitEnds() override;
  bool AskTwoButtons(const std::wstring& title, const std::wstring& text, const std::wstring& confirmText,
                     const std::wstring& cancelText) override;
  void Warn(const std::wstring& title, const std::wstring& text, const std::wstring& buttonText) override;
  void Done() override;
  void ExitProcess(int exitCode) override;

 private:
  CRunLink m_link;
  HWND m_hText = nullptr;
  bool m_bProgressShown = false;  // worker thread only
};

}  // namespace lirra::win
