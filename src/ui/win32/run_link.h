// CRunLink: the Windows side of a ui::RunLink. It knows the window a worker reports to,
// carries the worker's reports there and runs the worker's questions owned by that window;
// once the window has left the run, nothing of the worker reaches it again and a question of
// the worker that is open answers no.
// CLeaveQuestion: the one question a window asks before it leaves an installer behind.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "ui/run_link.h"

namespace lirra::win {

class CMyMessageBox;

class CRunLink : public ui::RunLink {
 public:
  // On the window's thread, before the worker starts.
  void Bind(HWND window) { m_hWindow = window; }

  // On the worker's thread. A report is carried out by the window's thread before Send
  // returns; a report that crosses the leaving finds no window, or a window whose handler
  // asks HasLeft first.
  void Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  // A two-button question in the skinned message box, owned by the window so that it stays in
  // front of it, run modally on the worker's thread. True only for the confirm button, and
  // never once the run was left.
  bool Ask(const std::wstring& title, const std::wstring& text, const std::wstring& confirmText,
           const std::wstring& cancelText) const;
  void Warn(const std::wstring& title, const std::wstring& text, const std::wstring& buttonText) const;

  // On the window's thread: leaves the run (ui::RunLink::LeaveRun) and lets go of the window.
  void Detach();

 private:
  std::atomic<HWND> m_hWindow{nullptr};
};

class CLeaveQuestion {
 public:
  // Asks, owned by `owner` and on the calling thread, whether to leave the installer of
  // `package` behind (empty: the run waits for nothing); true for "离开".
  bool Ask(HWND owner, const std::wstring& package);
  bool IsOpen() const { return m_pBox != nullptr; }
  // Closes the open question as "取消" (the wait it is about has ended by itself).
  void Close();

 private:
  CMyMessageBox* m_pBox = nullptr;
};

}  // namespace lirra::win
