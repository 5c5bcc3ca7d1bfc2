#include "app/win32/loading_prepare_ui.h"

namespace lirra::win {

void CLoadingPrepareUi::SetProgressText(const std::wstring& text) {
  // The bar belongs to the text that started the download.
  if (m_bProgressShown) m_link.Send(WM_LOADING_PROGRESS, static_cast<WPARAM>(-1));
  m_bProgressShown = false;
  // Carried out by the window's thread before the call returns.
  SetWindowTextW(m_hText, text.c_str());
}

void CLoadingPrepareUi::ShowProgress(int percent) {
  m_link.Send(WM_LOADING_PROGRESS, static_cast<WPARAM>(percent));
  m_bProgressShown = true;
}

void CLoadingPrepareUi::WaitBegins(const std::wstring& package, const std::wstring&) {
  m_link.WaitBegins(package);
  m_link.Send(WM_LOADING_WAIT, 1);
}

void CLoadingPrepareUi::WaitEnds() {
  m_link.WaitEnds();
  m_link.Send(WM_LOADING_WAIT, 0);
}

bool CLoadingPrepareUi::AskTwoButtons(const std::wstring& title, const std::wstring& text,
                                      const std::wstring& confirmText, const std::wstring& cancelText) {
  return m_link.Ask(title, text, confirmText, cancelText);
}

void CLoadingPrepareUi::Warn(const std::wstring& title, const std::wstring& text, const std::wstring& buttonText) {
  m_link.Warn(title, text, buttonText);
}

void CLoadingPrepareUi::Done() { m_link.Post(WM_LOADING_DONE); }

// The window's thread ends its modal loop and the application returns the code, so the end
// runs through every destructor instead of under the main thread's feet.
void CLoadingPrepareUi::ExitProcess(int exitCode) { m_link.Post(WM_LOADING_EXIT, static_cast<WPARAM>(exitCode)); }

}  // namespace lirra::win
