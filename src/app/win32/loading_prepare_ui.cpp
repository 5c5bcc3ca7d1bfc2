#include "app/win32/loading_prepare_ui.h"

#include "ui/win32/worker_thread.h"

namespace lirra::win {

void CLoadingPrepareUi::SetProgressText(const std::wstring& text) {
  // The bar belongs to the text that started the download.
  if (m_bProgressShown) SendMessageW(m_hLoading, WM_LOADING_PROGRESS, static_cast<WPARAM>(-1), 0);
  m_bProgressShown = false;
  // Carried out by the window's thread before the call returns.
  SetWindowTextW(m_hText, text.c_str());
}

void CLoadingPrepareUi::ShowProgress(int percent) {
  SendMessageW(m_hLoading, WM_LOADING_PROGRESS, static_cast<WPARAM>(percent), 0);
  m_bProgressShown = true;
}

bool CLoadingPrepareUi::AskTwoButtons(const std::wstring& title, const std::wstring& text,
                                      const std::wstring& confirmText, const std::wstring& cancelText) {
  return AskFromWorker(m_hLoading, title, text, confirmText, cancelText);
}

void CLoadingPrepareUi::Warn(const std::wstring& title, const std::wstring& text, const std::wstring& buttonText) {
  WarnFromWorker(m_hLoading, title, text, buttonText);
}

void CLoadingPrepareUi::Done() { PostMessageW(m_hLoading, WM_LOADING_DONE, 0, 0); }

// The window's thread ends its modal loop and the application returns the code, so the end
// runs through every destructor instead of under the main thread's feet.
void CLoadingPrepareUi::ExitProcess(int exitCode) {
  PostMessageW(m_hLoading, WM_LOADING_EXIT, static_cast<WPARAM>(exitCode), 0);
}

}  // namespace lirra::win
