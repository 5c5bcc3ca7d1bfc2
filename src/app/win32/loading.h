// CLoading: the borderless loading panel (dialog 129) shown while the start-up preparation runs
// on its own thread; closed by WM_LOADING_DONE.
#pragma once

#include <windows.h>

#include "app/prepare_ui.h"
#include "app/win32/loading_prepare_ui.h"
#include "platform/win32/scoped.h"
#include "ui/win32/gdi.h"
#include "ui/win32/skin_dialog.h"
#include "ui/win32/worker_thread.h"

namespace lirra::win {

class CLoading : public CSkinDialog {
 public:
  using ThreadProc = unsigned(__stdcall*)(void* ui);

  // `worker` runs on a thread of its own with this window's PrepareUi as its argument.
  explicit CLoading(ThreadProc worker);

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnShowWindow(bool show) override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) override;
  bool OnPaint() override;

 private:
  void OnLoadingDone();

  ThreadProc m_pfnWorker;
  HICON m_hIcon = nullptr;
  HICON m_hIconSmall = nullptr;
  ScopedFont m_fontText;
  ScopedBrush m_brFrame;
  CLoadingPrepareUi m_prepareUi;
  CWorkerThread m_worker;
  bool m_bWorkerStarted = false;
};

}  // namespace lirra::win
