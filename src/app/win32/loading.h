// CLoading: the borderless loading panel (dialog 129) shown while the start-up preparation runs
// on its own thread; closed by WM_LOADING_DONE, or with kResultEndClient when the worker asks
// for the end of the client. While the worker runs, Esc, Enter, Alt+F4 and the close request
// do nothing, with one exception: once it has waited a minute for an installer, a "跳过" button
// shows beside the wait line, and each of these ways out asks whether to leave that installer
// behind; the preparation then goes on.
#pragma once

#include <windows.h>

#include "app/prepare_ui.h"
#include "app/win32/loading_prepare_ui.h"
#include "platform/win32/scoped.h"
#include "ui/win32/gdi.h"
#include "ui/win32/progress_line.h"
#include "ui/win32/run_link.h"
#include "ui/win32/skin_dialog.h"
#include "ui/win32/worker_thread.h"

namespace lirra::win {

class CLoading : public CSkinDialog {
 public:
  using ThreadProc = unsigned(__stdcall*)(void* ui);

  // `worker` runs on a thread of its own with this window's PrepareUi as its argument.
  explicit CLoading(ThreadProc worker);

  // The exit code the worker asked for, once the dialog ended with kResultEndClient.
  int ExitCode() const { return m_nExitCode; }

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnShowWindow(bool show) override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) override;
  bool OnPaint() override;

 private:
  void OnLoadingDone();
  void OnLoadingExit(int exitCode);
  void PlaceProgressLine(HWND text);
  void CreateSkipButton();
  void OnWait(bool begins);
  void ShowWait();
  void ShowSkipButton(bool show);
  void OfferToLeaveWait();

  ThreadProc m_pfnWorker;
  HICON m_hIcon = nullptr;
  HICON m_hIconSmall = nullptr;
  ScopedFont m_fontText;
  ScopedBrush m_brFrame;
  CLoadingPrepareUi m_prepareUi;
  CWorkerThread m_worker;
  CProgressLine m_progressLine;
  HWND m_hSkip = nullptr;
  RECT m_rcWaitLine = {};  // the line's text control with the button hidden (client coordinates)
  CLeaveQuestion m_leaveQuestion;
  bool m_bWorkerStarted = false;
  int m_nExitCode = 0;
};

}  // namespace lirra::win
