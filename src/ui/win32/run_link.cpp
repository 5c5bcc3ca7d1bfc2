#include "ui/win32/run_link.h"

#include "ui/win32/my_message_box.h"

namespace lirra::win {

namespace {

// The window whose worker's questions are closed, and the window's own thread (its own boxes
// are not the worker's).
struct QuestionOwner {
  HWND window;
  DWORD thread;
};

BOOL CALLBACK CancelWorkerQuestion(HWND window, LPARAM argument) {
  const auto* owner = reinterpret_cast<const QuestionOwner*>(argument);
  if (GetWindow(window, GW_OWNER) == owner->window && GetWindowThreadProcessId(window, nullptr) != owner->thread) {
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  }
  return TRUE;
}

}  // namespace

void CRunLink::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
  if (HasLeft()) return;
  if (HWND window = m_hWindow.load()) SendMessageW(window, message, wParam, lParam);
}

void CRunLink::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
  if (HasLeft()) return;
  if (HWND window = m_hWindow.load()) PostMessageW(window, message, wParam, lParam);
}

bool CRunLink::Ask(const std::wstring& title, const std::wstring& text, const std::wstring& confirmText,
                   const std::wstring& cancelText) const {
  HWND window = m_hWindow.load();
  if (!window || HasLeft()) return false;
  CMyMessageBox box;
  box.SetTwoButtons(title, text, confirmText, confirmText, cancelText);
  box.DoModal(window);
  return box.m_bConfirmed && !HasLeft();
}

void CRunLink::Warn(const std::wstring& title, const std::wstring& text, const std::wstring& buttonText) const {
  HWND window = m_hWindow.load();
  if (!window || HasLeft()) return;
  CMyMessageBox box;
  box.SetOneButton(title, text, buttonText);
  box.DoModal(window);
}

void CRunLink::Detach() {
  LeaveRun();
  HWND window = m_hWindow.exchange(nullptr);
  if (!window) return;
  QuestionOwner owner = {window, GetCurrentThreadId()};
  EnumWindows(&CancelWorkerQuestion, reinterpret_cast<LPARAM>(&owner));
}

bool CLeaveQuestion::Ask(HWND owner, const std::wstring& package) {
  CMyMessageBox box;
  box.SetTwoButtons(ui::kInstallReminderTitle, ui::LeaveQuestion(package), ui::kLeaveText, ui::kLeaveText,
                    ui::kCancelText);
  m_pBox = &box;
  box.DoModal(owner);
  m_pBox = nullptr;
  return box.m_bConfirmed;
}

void CLeaveQuestion::Close() {
  if (m_pBox && m_pBox->GetSafeHwnd()) PostMessageW(m_pBox->GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
}

}  // namespace lirra::win
