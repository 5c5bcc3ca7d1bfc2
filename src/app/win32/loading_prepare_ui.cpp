#include "app/win32/loading_prepare_ui.h"

#include <cstdlib>

#include "ui/win32/my_message_box.h"

namespace lirra::win {

void CLoadingPrepareUi::SetProgressText(const std::wstring& text) {
  // Carried out by the window's thread before the call returns.
  SetWindowTextW(m_hText, text.c_str());
}

bool CLoadingPrepareUi::AskTwoButtons(const std::wstring& title, const std::wstring& text,
                                      const std::wstring& confirmText, const std::wstring& cancelText) {
  CMyMessageBox box;
  box.SetTwoButtons(title, text, confirmText, confirmText, cancelText);
  box.DoModal(nullptr);
  return box.m_bConfirmed;
}

void CLoadingPrepareUi::Warn(const std::wstring& title, const std::wstring& text, const std::wstring& buttonText) {
  CMyMessageBox box;
  box.SetOneButton(title, text, buttonText);
  box.DoModal(nullptr);
}

void CLoadingPrepareUi::Done() { PostMessageW(m_hLoading, WM_LOADING_DONE, 0, 0); }

void CLoadingPrepareUi::ExitProcess(int exitCode) { std::exit(exitCode); }

}  // namespace lirra::win
