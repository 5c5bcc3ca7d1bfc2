#include "ui/win32/about_dlg.h"

#include <string>

#include "lirra_version.h"
#include "resource.h"
#include "ui/dpi_scale.h"
#include "ui/skin_files.h"
#include "ui/skin_layout.h"

namespace lirra::win {
namespace {

constexpr int kTitleFontTenths = 120;

}  // namespace

CAboutDlg::CAboutDlg() : CSkinDialog(IDD_ABOUTBOX) {}

BOOL CAboutDlg::OnInitDialog() {
  LoadBackground(ui::kSkinAboutBackground);
  LoadStaticBrush(ui::kSkinStaticBrush);
  m_fontTitle.Reset(CreatePointFont(kTitleFontTenths, ui::kSkinFontFace));
  for (int id : {IDC_ABOUT_VERSION, IDC_ABOUT_HEADING})
    SendDlgItemMessageW(m_hWnd, id, WM_SETFONT, reinterpret_cast<WPARAM>(m_fontTitle.Get()), FALSE);
  m_btnClose.Attach(GetDlgItem(IDC_ABOUT_CLOSE));
  // The number comes from the build's one version, the same as the version resource's.
  const std::wstring version = std::wstring(ui::kAppTitle) + L" " + LIRRA_VERSION_WTEXT + L" 版";
  SetDlgItemTextW(m_hWnd, IDC_ABOUT_VERSION, version.c_str());
  SetWindowTextW(m_hWnd, ui::kAppTitle);
  return TRUE;
}

bool CAboutDlg::OnCommand(int id, int code, HWND control) {
  if (id == IDC_ABOUT_CLOSE || id == IDOK) {
    if (id == IDC_ABOUT_CLOSE && code != BN_CLICKED) return false;
    OnCloseCommand();
    return true;
  }
  return CSkinDialog::OnCommand(id, code, control);
}

void CAboutDlg::OnShowWindow(bool show) {
  if (!show) return;
  m_btnClose.SetImages(ui::kSkinClose);
  PlaceWindowAndControls();
  CutRegion();
}

void CAboutDlg::PlaceWindowAndControls() {
  const ui::Size window = ui::ScaleSize(ui::kAboutWindow, m_nDpi);
  // Over the window that opened it, or in the middle of the screen.
  CenterOnOwner(window.cx, window.cy);
  const ui::AboutLayout places = ui::AboutPlaces(m_nDpi);
  auto place = [](HWND control, const ui::Rect& r) {
    SetWindowPos(control, nullptr, r.x, r.y, r.cx, r.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(GetDlgItem(IDC_ABOUT_HEADING), places.heading);
  place(GetDlgItem(IDC_ABOUT_VERSION), places.version);
  place(m_btnClose.GetSafeHwnd(), places.close);
  // The icon keeps its own size.
  HWND icon = GetWindow(m_hWnd, GW_CHILD);  // the template's first control
  RECT own;
  GetWindowRect(icon, &own);
  const ui::Rect& r = places.icon;
  SetWindowPos(icon, nullptr, r.x + (r.cx - (own.right - own.left)) / 2, r.y + (r.cy - (own.bottom - own.top)) / 2, 0,
               0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HBRUSH CAboutDlg::OnCtlColor(HDC dc, HWND control, UINT message) {
  if (message == WM_CTLCOLORDLG || control == m_hWnd) {
    SetBkMode(dc, TRANSPARENT);
    return m_brBackground.Get();
  }
  if (message != WM_CTLCOLORSTATIC) return nullptr;
  const int id = GetDlgCtrlID(control);
  if (id == IDC_ABOUT_HEADING || id == IDC_ABOUT_VERSION) {
    SetTextColor(dc, RGB(0, 0, 0));
    SelectObject(dc, m_fontTitle.Get());
  }
  SetBkMode(dc, TRANSPARENT);
  if (!m_brStatic) return static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
  AlignBrushToDialog(dc, control);
  return m_brStatic.Get();
}

}  // namespace lirra::win
