// CmervoDrviceManageDlg: the driver manager (dialog 102), where the user picks card-reader
// vendors and starts an install or reinstall run on a thread of its own. While a run is in
// progress no second run starts, and the line under the status line shows the download's
// progress or which installer the run waits for and for how long. Every way out during a run
// asks once; on yes the dialog leaves the run to itself: the run talks to the dialog only
// through a shared run link that the dialog detaches, so it stops waiting for its installer
// (which keeps running) and never touches the dialog again.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "drivers/install_ui.h"
#include "drivers/install_worker.h"
#include "ui/win32/png_button.h"
#include "ui/win32/progress_line.h"
#include "ui/win32/run_link.h"
#include "ui/win32/skin_dialog.h"
#include "ui/win32/worker_thread.h"

namespace lirra::win {

class CInstallRunLink;
struct RunReport;

class CmervoDrviceManageDlg : public CSkinDialog {
 public:
  using ThreadProc = unsigned(__stdcall*)(void* ui);

  // Each run is `run` on a thread of its own with this dialog's InstallUi as its argument.
  explicit CmervoDrviceManageDlg(ThreadProc run = &InstallDriversThread);
  ~CmervoDrviceManageDlg() override;

  // True when the start-up sequence opens the dialog: "使用" saves and goes on, the close
  // button ends the client (the dialog ends with kResultEndClient). The browser window clears
  // it ("退出", both just close).
  bool m_bFromStartup = true;

 protected:
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnShowWindow(bool show) override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) override;
  bool OnPaint() override;

  void OnDestroy() override;

 private:
  friend class CInstallRunLink;

  void AddAboutToSystemMenu();
  void PreselectInstalled();
  void DecorateButtons();
  void PlaceWindowAndControls();
  void OnBnClickedVendor(Vendor vendor);
  void StartRun(bool reinstall);
  void OnRunEnded();
  void OnRunReport(const RunReport& report);
  void LockForRun(bool locked);
  bool MayLeave();
  void AbandonRun();
  void StopWaiting();
  void ShowWaitText();
  void PlaceProgressLine();
  void OnBnClickedUse();
  void OnBnClickedX();
  void SetVendorLook(Vendor vendor, bool selected);
  CPngButton& ButtonOf(Vendor vendor) { return m_btnVendor[static_cast<int>(vendor)]; }
  std::atomic<bool>& SelectionOf(Vendor vendor) { return m_bSel[static_cast<int>(vendor)]; }

  ThreadProc m_pfnRun;
  HICON m_hIcon = nullptr;
  HICON m_hIconSmall = nullptr;
  bool m_bBusy = false;                         // a run is in progress and reports here
  std::atomic<bool> m_bSel[kVendorCount] = {};  // by vendor; read by the run's thread
  bool m_bInstalled[kVendorCount] = {};         // installed when the dialog opened: locked
  bool m_bReinstall = false;
  CLeaveQuestion m_leaveQuestion;
  ScopedFont m_fontTitle;
  CPngButton m_btnVendor[kVendorCount];
  CPngButton m_btnUse, m_btnInstall, m_btnX, m_btnReinstall;
  CProgressLine m_progressLine;
  std::shared_ptr<CInstallRunLink> m_link;
  CWorkerThread m_run;
};

}  // namespace lirra::win
