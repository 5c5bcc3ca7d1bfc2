#include "ui/win32/my_message_box.h"

#include "resource.h"
#include "ui/dpi_scale.h"
#include "ui/skin_files.h"
#include "ui/skin_layout.h"

namespace lirra::win {

CMyMessageBox::CMyMessageBox() : CSkinDialog(IDD_MYMESSAGEBOX) {}

void CMyMessageBox::SetOneButton(const std::wstring& title, const std::wstring& text, const std::wstring& buttonText) {
  m_strTitle = title;
  m_strText = text;
  m_strSingle = buttonText;
  m_bOneButton = true;
}

void CMyMessageBox::SetTwoButtons(const std::wstring& title, const std::wstring& text, const std::wstring& singleText,
                                  const std::wstring& confirmText, const std::wstring& cancelText) {
  m_strTitle = title;
  m_strText = text;
  m_strSingle = singleText;
  m_strConfirm = confirmText;
  m_strCancel = cancelText;
  m_bOneButton = false;
}

BOOL CMyMessageBox::OnInitDialog() {
  LoadBackground(ui::kSkinMessageBoxBackground);
  LoadStaticBrush(ui::kSkinStaticBrush);
  m_fontTitle.Reset(CreatePointFont(ui::kTitleFontTenths, ui::kSkinFontFace));
  m_fontText.Reset(CreatePointFont(ui::kMessageFontTenths, ui::kSkinFontFace));
  SendDlgItemMessageW(m_hWnd, IDC_MSGBOX_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(m_fontTitle.Get()), FALSE);
  SendDlgItemMessageW(m_hWnd, IDC_MSGBOX_TEXT, WM_SETFONT, reinterpret_cast<WPARAM>(m_fontText.Get()), FALSE);
  m_btnSingle.Attach(GetDlgItem(IDC_MSGBOX_SINGLE));
  m_btnConfirm.Attach(GetDlgItem(IDC_MSGBOX_CONFIRM));
  m_btnCancel.Attach(GetDlgItem(IDC_MSGBOX_CANCEL));
  m_btnClose.Attach(GetDlgItem(IDC_MSGBOX_CLOSE));
  SetWindowTextW(m_hWnd, m_strTitle.empty() ? ui::kAppTitle : m_strTitle.c_str());
  m_pIcon = LoadSkinPicture(m_bOneButton ? ui::kSkinWarningIcon : ui::kSkinQuestionIcon, m_nDpi, false);
  return TRUE;
}

bool CMyMessageBox::OnCommand(int id, int code, HWND control) {
  switch (id) {
    case IDC_MSGBOX_CONFIRM:
      if (code != BN_CLICKED) return false;
      m_bConfirmed = true;
      EndDialog(IDOK);
      return true;
    case IDC_MSGBOX_CANCEL:
      if (code != BN_CLICKED) return false;
      m_bConfirmed = false;
      EndDialog(IDOK);
      return true;
    case IDC_MSGBOX_SINGLE:
    case IDC_MSGBOX_CLOSE:
      if (code != BN_CLICKED) return false;
      OnCloseCommand();
      return true;
    case IDOK:
      OnCloseCommand();
      return true;
    default:
      return CSkinDialog::OnCommand(id, code, control);
  }
}

void CMyMessageBox::OnShowWindow(bool show) {
  if (!show) return;
  PlaceWindowAndControls();
  DecorateButtons();
  SetDlgItemTextW(m_hWnd, IDC_MSGBOX_TITLE, m_strTitle.c_str());
  SetDlgItemTextW(m_hWnd, IDC_MSGBOX_TEXT, m_strText.c_str());
  CentreMessage();
  const int twoButtons = m_bOneButton ? SW_HIDE : SW_SHOW;
  ShowWindow(m_btnConfirm.GetSafeHwnd(), twoButtons);
  ShowWindow(m_btnCancel.GetSafeHwnd(), twoButtons);
  ShowWindow(m_btnClose.GetSafeHwnd(), twoButtons);
  ShowWindow(m_btnSingle.GetSafeHwnd(), m_bOneButton ? SW_SHOW : SW_HIDE);
  CutRegion();
  // Asked from a worker thread the box has no owner; bring it to the user.
  SetForegroundWindow(m_hWnd);
}

void CMyMessageBox::PlaceWindowAndControls() {
  const ui::Size size = ui::ScaleSize(ui::kMessageBoxWindow, m_nDpi);
  // Over the window that asks, so the user sees which one; a worker's question has none.
  CenterOnOwner(size.cx, size.cy);
  RECT client;
  GetClientRect(m_hWnd, &client);
  for (const ui::ControlPlace& place : ui::MessageBoxPlaces({client.right, client.bottom}, m_nDpi)) {
    SetWindowPos(GetDlgItem(place.id), nullptr, place.rect.x, place.rect.y, place.rect.cx, place.rect.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// A message may span lines (the driver conflict questions do), which a static centred both
// ways can't show: it draws one line. So the static wraps, and is itself centred on its place.
void CMyMessageBox::CentreMessage() {
  HWND text = GetDlgItem(IDC_MSGBOX_TEXT);
  RECT place;
  GetWindowRect(text, &place);
  MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&place), 2);
  const int width = place.right - place.left;
  const int room = place.bottom - place.top;
  RECT need = {0, 0, width, 0};
  {
    ScopedWindowDc dc(text);
    ScopedSelect font(dc.Get(), m_fontText.Get());
    DrawTextW(dc.Get(), m_strText.c_str(), -1, &need, DT_CALCRECT | DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
  }
  const int height = need.bottom < room ? static_cast<int>(need.bottom) : room;
  SetWindowPos(text, nullptr, place.left, place.top + (room - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMyMessageBox::DecorateButtons() {
  const int x = ui::kMessageBoxLabelX;
  const int y = ui::kMessageBoxLabelY;
  const int size = ui::kMessageBoxLabelSize;
  m_btnConfirm.SetLabel(m_strConfirm, x, y, size, RGB(255, 255, 255), ui::kLabelFontFace);
  m_btnCancel.SetLabel(m_strCancel, x, y, size, RGB(0, 0, 0), ui::kLabelFontFace);
  m_btnSingle.SetLabel(m_strSingle, x, y, size, RGB(255, 255, 255), ui::kLabelFontFace);
  m_btnSingle.SetImages(ui::kSkinConfirm);
  m_btnConfirm.SetImages(ui::kSkinConfirm);
  m_btnCancel.SetImages(ui::kSkinCancel);
  m_btnClose.SetImages(ui::kSkinClose);
}

bool CMyMessageBox::OnEraseBkgnd(HDC dc) {
  if (!CSkinDialog::OnEraseBkgnd(dc)) return false;
  if (!m_pIcon) return true;
  RECT client;
  GetClientRect(m_hWnd, &client);
  const ui::Rect place = ui::MessageBoxIconPlace({client.right, client.bottom}, m_nDpi);
  Gdiplus::Graphics graphics(dc);
  graphics.DrawImage(m_pIcon.get(), Gdiplus::Rect(place.x, place.y, place.cx, place.cy), 0, 0,
                     static_cast<INT>(m_pIcon->GetWidth()), static_cast<INT>(m_pIcon->GetHeight()), Gdiplus::UnitPixel);
  return true;
}

HBRUSH CMyMessageBox::OnCtlColor(HDC dc, HWND control, UINT message) {
  if (message == WM_CTLCOLORDLG || control == m_hWnd) {
    SetBkMode(dc, TRANSPARENT);
    return m_brBackground.Get();
  }
  if (message != WM_CTLCOLORSTATIC) return nullptr;
  const int id = GetDlgCtrlID(control);
  if (id == IDC_MSGBOX_TEXT) {
    SetTextColor(dc, RGB(0, 0, 0));
    SelectObject(dc, m_fontText.Get());
    // From now on the statics draw straight on the picture.
    m_bHollowStatic = true;
  } else if (id == IDC_MSGBOX_TITLE) {
    SetTextColor(dc, RGB(0, 0, 0));
    SelectObject(dc, m_fontTitle.Get());
  }
  SetBkMode(dc, TRANSPARENT);
  if (m_bHollowStatic || !m_brStatic) return static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
  AlignBrushToDialog(dc, control);
  return m_brStatic.Get();
}

}  // namespace lirra::win
