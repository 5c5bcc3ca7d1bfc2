// The preparation worker's view of the loading window: progress text in its text control,
// the download's progress bar, questions in CMyMessageBox on the worker's own thread, and the
// close and exit messages.
#pragma once

#include <windows.h>

#include "app/prepare_ui.h"

namespace lirra::win {

// Sent by the worker: a download's progress (wParam 0 to 100), or -1 to take the bar away.
constexpr UINT WM_LOADING_PROGRESS = WM_APP + 10;
// Posted by the worker: the user chose to end the client; wParam is the exit code.
constexpr UINT WM_LOADING_EXIT = WM_APP + 11;

class CLoadingPrepareUi : public PrepareUi {
 public:
  void Bind(HWND loading, HWND text) {
    m_hLoading = loading;
    m_hText = text;
  }

  void SetProgressText(const std::wstring& text) override;
  void ShowProgress(int percent) override;
  bool AskTwoButtons(const std::wstring& title, const std::wstring& text, const std::wstring& confirmText,
                     const std::wstring& cancelText) override;
  void Warn(const std::wstring& title, const std::wstring& text, const std::wstring& buttonText) override;
  void Done() override;
  void ExitProcess(int exitCode) override;

 private:
  HWND m_hLoading = nullptr;
  HWND m_hText = nullptr;
  bool m_bProgressShown = false;  // worker thread only
};

}  // namespace lirra::win
