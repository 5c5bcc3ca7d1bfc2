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
constexpr ui::Size kTemplate{139, 173};
constexpr ui::Size kWindow{284, 318};
// The close button keeps this distance from the right edge of the client area.
constexpr int kCloseRight = 47;

// The texts and the icon as the template places them, in dialog units. They are stretched
// with the window, so they sit the same whatever the dialog font's metrics are.
constexpr ui::ControlPlace kTemplatePlaces[] = {
    {IDC_ABOUT_VERSION, {20, 88, 93, 16}},
    {IDC_ABOUT_HEADING, {40, 20, 54, 13}},
};
constexpr ui::Rect kIconPlace{57, 52, 16, 16};

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
  const std::wstring version = std::wstring(ui::kAppTitle) + LIRRA_VERSION_WTEXT + L" 版";
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
  // Over the window that opened it, or in the middle of the screen.
  RECT area;
  HWND owner = GetWindow(m_hWnd, GW_OWNER);
  if (!owner || !IsWindowVisible(owner) || !GetWindowRect(owner, &area)) area = WorkArea();
  const ui::Size window = ui::ScaleSize(kWindow, m_nDpi);
  CenterIn(area, window.cx, window.cy);

  RECT client;
  GetClientRect(m_hWnd, &client);
  const ui::Size size{client.right, client.bottom};
  // Everything is centred across the window; the template's columns are only nearly so.
  for (const ui::ControlPlace& place : kTemplatePlaces) {
    const ui::Rect r = ui::StretchTemplateRect(place.rect, kTemplate, size);
    SetWindowPos(GetDlgItem(place.id), nullptr, (size.cx - r.cx) / 2, r.y, r.cx, r.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The icon keeps its own size.
  HWND icon = GetWindow(m_hWnd, GW_CHILD);  // the template's first control
  const ui::Rect r = ui::StretchTemplateRect(kIconPlace, kTemplate, size);
  RECT own;
  GetWindowRect(icon, &own);
  const int w = own.right - own.left;
  const int h = own.bottom - own.top;
  SetWindowPos(icon, nullptr, (size.cx - w) / 2, r.y + (r.cy - h) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const ui::Size close = ui::ScaleSize(ui::kCloseButton, m_nDpi);
  SetWindowPos(m_btnClose.GetSafeHwnd(), nullptr, client.right - ui::ScaleLength(kCloseRight, m_nDpi),
               ui::ScaleLength(ui::kCloseTop, m_nDpi), close.cx, close.cy, SWP_NOZORDER | SWP_NOACTIVATE);
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
