#include "app/win32/loading_prepare_ui.h"

#include <cstdlib>

#include "ui/win32/worker_thread.h"

namespace lirra::win {

void CLoadingPrepareUi::SetProgressText(const std::wstring& text) {
  // Carried out by the window's thread before the call returns.
  SetWindowTextW(m_hText, text.c_str());
}

bool CLoadingPrepareUi::AskTwoButtons(const std::wstring& title, const std::wstring& text,
                                      const std::wstring& confirmText, const std::wstring& cancelText) {
  return AskFromWorker(m_hLoading, title, text, confirmText, cancelText);
}

void CLoadingPrepareUi::Warn(const std::wstring& title, const std::wstring& text, const std::wstring& buttonText) {
  WarnFromWorker(m_hLoading, title, text, buttonText);
}

void CLoadingPrepareUi::Done() { PostMessageW(m_hLoading, WM_LOADING_DONE, 0, 0); }

void CLoadingPrepareUi::ExitProcess(int exitCode) { std::exit(exitCode); }

}  // namespace lirra::win
