// The preparation worker's view of the loading window: progress text in its text control,
// questions in CMyMessageBox on the worker's own thread, and the close message.
#pragma once

#include <windows.h>

#include "app/prepare_ui.h"

namespace lirra::win {

class CLoadingPrepareUi : public PrepareUi {
 public:
  void Bind(HWND loading, HWND text) {
    m_hLoading = loading;
    m_hText = text;
  }

  void SetProgressText(const std::wstring& text) override;
  bool AskTwoButtons(const std::wstring& title, const std::wstring& text, const std::wstring& confirmText,
                     const std::wstring& cancelText) override;
  void Warn(const std::wstring& title, const std::wstring& text, const std::wstring& buttonText) override;
  void Done() override;
  void ExitProcess(int exitCode) override;

 private:
  HWND m_hLoading = nullptr;
  HWND m_hText = nullptr;
};

}  // namespace lirra::win
