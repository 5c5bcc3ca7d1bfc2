// CmervoDrviceManageDlg: the driver manager (dialog 102), where the user picks card-reader
// vendors and starts an install or reinstall run on a thread of its own. While a run is in
// progress the buttons that would start another run or close the dialog are locked, and the
// dialog does not close, so a run never outlives the window it reports to.
#pragma once

#include <windows.h>

#include <atomic>

#include "drivers/install_ui.h"
#include "drivers/install_worker.h"
#include "ui/win32/png_button.h"
#include "ui/win32/skin_dialog.h"
#include "ui/win32/worker_thread.h"

namespace lirra::win {

class CmervoDrviceManageDlg : public CSkinDialog, public InstallUi {
 public:
  using ThreadProc = unsigned(__stdcall*)(void* ui);

  // Each run is `run` on a thread of its own with this dialog's InstallUi as its argument.
  explicit CmervoDrviceManageDlg(ThreadProc run = &InstallDriversThread);

  // True when the start-up sequence opens the dialog: "使用" saves and goes on, the close
  // button ends the client. The browser window clears it ("退出", both just close).
  bool m_bFromStartup = true;

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnShowWindow(bool show) override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) override;
  bool OnPaint() override;

  // InstallUi, called from the run's thread.
  bool IsSelected(Vendor vendor) override;
  bool IsReinstall() override { return m_bReinstall; }
  void SetStatusText(const std::wstring& text) override;
  bool AskTwoButtons(const std::wstring& title, const std::wstring& text, const std::wstring& confirmText,
                     const std::wstring& cancelText) override;
  void RunEnded() override;

 private:
  void AddAboutToSystemMenu();
  void PreselectInstalled();
  void DecorateButtons();
  void PlaceWindowAndControls();
  void OnBnClickedVendor(Vendor vendor);
  void StartRun(bool reinstall);
  void OnRunEnded();
  void LockForRun(bool locked);
  void OnBnClickedUse();
  void OnBnClickedX();
  void SetVendorLook(Vendor vendor, bool selected);
  CPngButton& ButtonOf(Vendor vendor) { return m_btnVendor[static_cast<int>(vendor)]; }
  std::atomic<bool>& SelectionOf(Vendor vendor) { return m_bSel[static_cast<int>(vendor)]; }

  ThreadProc m_pfnRun;
  HICON m_hIcon = nullptr;
  HICON m_hIconSmall = nullptr;
  std::atomic<bool> m_bBusy{false};
  std::atomic<bool> m_bSel[kVendorCount] = {};  // by vendor; read by the run's thread
  bool m_bReinstall = false;
  ScopedFont m_fontTitle;
  CPngButton m_btnVendor[kVendorCount];
  CPngButton m_btnUse, m_btnInstall, m_btnX, m_btnReinstall;
  CWorkerThread m_run;
};

}  // namespace lirra::win
