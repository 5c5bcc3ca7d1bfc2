// CAboutDlg: the small skinned About box (dialog 100) naming the product and its version.
// Opened modally by the browser window and by the driver manager's system menu.
#pragma once

#include <windows.h>

#include "ui/win32/png_button.h"
#include "ui/win32/skin_dialog.h"

namespace lirra::win {

class CAboutDlg : public CSkinDialog {
 public:
  CAboutDlg();

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnShowWindow(bool show) override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) override;

 private:
  void PlaceWindowAndControls();

  CPngButton m_btnClose;
  ScopedFont m_fontTitle;
};

}  // namespace lirra::win
