// CMyMessageBox: the client's skinned message box (dialog 166) with one button or with confirm
// and cancel. Construct, set the texts, DoModal, read m_bConfirmed.
#pragma once

#include <memory>
#include <string>

#include "ui/win32/png_button.h"
#include "ui/win32/skin_dialog.h"

namespace lirra::win {

class CMyMessageBox : public CSkinDialog {
 public:
  CMyMessageBox();

  void SetOneButton(const std::wstring& title, const std::wstring& text, const std::wstring& buttonText);
  void SetTwoButtons(const std::wstring& title, const std::wstring& text, const std::wstring& singleText,
                     const std::wstring& confirmText, const std::wstring& cancelText);

  // True only when the box was closed by the confirm button.
  bool m_bConfirmed = false;

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  void OnShowWindow(bool show) override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) override;
  // The background, then the icon on it.
  bool OnEraseBkgnd(HDC dc) override;

 private:
  void PlaceWindowAndControls();
  void DecorateButtons();
  void CentreMessage();

  CPngButton m_btnSingle;
  CPngButton m_btnConfirm;
  CPngButton m_btnCancel;
  CPngButton m_btnClose;
  bool m_bHollowStatic = false;
  std::wstring m_strTitle, m_strText;
  std::wstring m_strSingle, m_strConfirm, m_strCancel;
  ScopedFont m_fontTitle;
  ScopedFont m_fontText;
  bool m_bOneButton = false;
  // A question with two buttons, a warning with one; at the screen's DPI.
  std::unique_ptr<Gdiplus::Bitmap> m_pIcon;
};

}  // namespace lirra::win
