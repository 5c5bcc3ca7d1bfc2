#include "drivers/win32/driver_manager_dlg.h"

#include <cstdlib>

#include "drivers/driver_manager_layout.h"
#include "pc/run_flags.h"
#include "resource.h"
#include "store/driver_state.h"
#include "ui/dpi_scale.h"
#include "ui/skin_files.h"
#include "ui/win32/about_dlg.h"

namespace lirra::win {
namespace {

// Posted by a run when it has ended; the dialog's thread then unlocks the buttons.
constexpr UINT WM_INSTALL_DONE = WM_APP + 1;

constexpr wchar_t kSkinBackground[] = L"res\\bg_install.png";
constexpr wchar_t kSkinVendor[] = L"res\\select.png";
constexpr wchar_t kSkinVendorSelected[] = L"res\\select2.png";
constexpr wchar_t kSkinButton[] = L"res\\button.png";
constexpr wchar_t kSkinButtonPressed[] = L"res\\button1.png";
constexpr COLORREF kSelectedLabel = RGB(117, 219, 33);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// The buttons locked while a run is in progress.
constexpr int kRunLockedIds[] = {IDC_DRV_INSTALL, IDC_DRV_REINSTALL, IDC_DRV_USE, IDC_DRV_CLOSE};

}  // namespace

CmervoDrviceManageDlg::CmervoDrviceManageDlg(ThreadProc run) : CSkinDialog(IDD_DRIVER_MANAGER), m_pfnRun(run) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  m_hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
  m_hIconSmall =
      static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                    GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

bool CmervoDrviceManageDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_INSTALL_DONE:
      OnRunEnded();
      result = 0;
      return true;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != IDM_ABOUTBOX) break;
      {
        CAboutDlg about;
        about.DoModal(m_hWnd);
      }
      result = 0;
      return true;
    case WM_QUERYDRAGICON:
      result = reinterpret_cast<LRESULT>(m_hIcon);
      return true;
    default:
      break;
  }
  return CSkinDialog::OnMessage(message, wParam, lParam, result);
}

BOOL CmervoDrviceManageDlg::OnInitDialog() {
  m_bBusy = false;
  LoadBackground(kSkinBackground);
  LoadStaticBrush(ui::kSkinStaticBrush);
  m_fontTitle.Reset(CreatePointFont(ui::kTitleFontTenths, ui::kSkinFontFace));
  SendDlgItemMessageW(m_hWnd, IDC_DRV_HEADING, WM_SETFONT, reinterpret_cast<WPARAM>(m_fontTitle.Get()), FALSE);
  for (Vendor vendor : kVendorsInRunOrder) ButtonOf(vendor).Attach(GetDlgItem(VendorOf(vendor).buttonId));
  m_btnUse.Attach(GetDlgItem(IDC_DRV_USE));
  m_btnInstall.Attach(GetDlgItem(IDC_DRV_INSTALL));
  m_btnX.Attach(GetDlgItem(IDC_DRV_CLOSE));
  m_btnReinstall.Attach(GetDlgItem(IDC_DRV_REINSTALL));
  AddAboutToSystemMenu();
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIconSmall ? m_hIconSmall : m_hIcon));
  PreselectInstalled();
  return TRUE;
}

void CmervoDrviceManageDlg::AddAboutToSystemMenu() {
  HMENU menu = GetSystemMenu(m_hWnd, FALSE);
  wchar_t text[128] = {};
  if (!menu || LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, text, 128) <= 0) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, text);
}

// Installed vendors show as selected and can't be deselected; "重装" redoes them.
void CmervoDrviceManageDlg::PreselectInstalled() {
  const CRunFlags& flags = CRunFlags::GetInstance();
  for (Vendor vendor : kVendorsInRunOrder) {
    if (!flags.Installed(vendor)) continue;
    SelectionOf(vendor) = true;
    EnableWindow(ButtonOf(vendor).GetSafeHwnd(), FALSE);
  }
}

bool CmervoDrviceManageDlg::OnCommand(int id, int code, HWND control) {
  for (Vendor vendor : kVendorsInRunOrder) {
    if (id != VendorOf(vendor).buttonId) continue;
    if (code == BN_CLICKED) OnBnClickedVendor(vendor);
    return true;
  }
  switch (id) {
    case IDC_DRV_INSTALL:
    case IDC_DRV_REINSTALL:
      if (code == BN_CLICKED) StartRun(id == IDC_DRV_REINSTALL);
      return true;
    case IDC_DRV_USE:
      OnBnClickedUse();
      return true;
    case IDC_DRV_CLOSE:
      if (code == BN_CLICKED) OnBnClickedX();
      return true;
    case IDOK:
      // Enter closes without saving, but never while a run still reports here.
      if (!m_bBusy) OnCloseCommand();
      return true;
    default:
      return CSkinDialog::OnCommand(id, code, control);
  }
}

void CmervoDrviceManageDlg::OnBnClickedVendor(Vendor vendor) {
  std::atomic<bool>& selected = SelectionOf(vendor);
  SetVendorLook(vendor, !selected);
  selected = !selected;
}

void CmervoDrviceManageDlg::StartRun(bool reinstall) {
  if (m_bBusy) return;
  m_bReinstall = reinstall;
  LockForRun(true);
  if (!m_run.Start(m_pfnRun, static_cast<InstallUi*>(this))) LockForRun(false);
}

void CmervoDrviceManageDlg::OnRunEnded() {
  m_run.Finished();
  LockForRun(false);
}

void CmervoDrviceManageDlg::LockForRun(bool locked) {
  m_bBusy = locked;
  for (int id : kRunLockedIds) EnableWindow(GetDlgItem(id), locked ? FALSE : TRUE);
}

// "使用" at start-up, "退出" from the browser window; also Esc and the close request.
void CmervoDrviceManageDlg::OnBnClickedUse() {
  if (m_bBusy) return;
  if (m_bFromStartup) SaveDriverState(CRunFlags::GetInstance());
  EndDialog(IDOK);
}

void CmervoDrviceManageDlg::OnBnClickedX() {
  if (m_bBusy) return;
  // At start-up the close button declines the client altogether; runs have saved their state.
  if (m_bFromStartup) std::exit(0);
  EndDialog(IDOK);
}

void CmervoDrviceManageDlg::OnShowWindow(bool show) {
  if (!show) return;
  DecorateButtons();
  PlaceWindowAndControls();
  CutRegion();
  // The dialog is the client's window in the task bar while it is open.
  SetWindowTextW(m_hWnd, ui::kAppTitle);
}

void CmervoDrviceManageDlg::DecorateButtons() {
  for (Vendor vendor : kVendorsInRunOrder) {
    ButtonOf(vendor).SetLabel(VendorOf(vendor).label, VendorOf(vendor).labelX, drivers::kLabelY,
                              drivers::kVendorLabelSize, kBlack, ui::kLabelFontFace);
    SetVendorLook(vendor, SelectionOf(vendor));
  }
  for (CPngButton* button : {&m_btnUse, &m_btnInstall, &m_btnReinstall})
    button->SetImages(kSkinButton, kSkinButtonPressed, kSkinButtonPressed);
  m_btnX.SetImages(ui::kSkinCloseNormal, ui::kSkinCloseHover, ui::kSkinClosePressed);
  const int x = drivers::kBottomLabelX;
  const int y = drivers::kLabelY;
  const int size = drivers::kBottomLabelSize;
  m_btnUse.SetLabel(m_bFromStartup ? L"使用" : L"退出", x, y, size, kWhite, ui::kLabelFontFace);
  m_btnInstall.SetLabel(L"安装", x, y, size, kWhite, ui::kLabelFontFace);
  m_btnReinstall.SetLabel(L"重装", x, y, size, kWhite, ui::kLabelFontFace);
}

void CmervoDrviceManageDlg::SetVendorLook(Vendor vendor, bool selected) {
  CPngButton& button = ButtonOf(vendor);
  button.m_clrLabel = selected ? kSelectedLabel : kBlack;
  const wchar_t* picture = selected ? kSkinVendorSelected : kSkinVendor;
  button.SetImages(picture, picture, picture);
  InvalidateRect(button.GetSafeHwnd(), nullptr, TRUE);
}

void CmervoDrviceManageDlg::PlaceWindowAndControls() {
  const ui::Size size = ui::ScaleSize(drivers::kDriverManagerWindow, m_nDpi);
  CenterIn(WorkArea(), size.cx, size.cy);
  RECT client;
  GetClientRect(m_hWnd, &client);
  for (const ui::ControlPlace& place : drivers::DriverManagerPlaces({client.right, client.bottom}, m_nDpi)) {
    // Buttons keep the size of their pictures.
    const bool isStatic = place.id == IDC_DRV_STATUS || place.id == IDC_DRV_HEADING;
    SetWindowPos(GetDlgItem(place.id), nullptr, place.rect.x, place.rect.y, place.rect.cx, place.rect.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE | (isStatic || place.id == IDC_DRV_CLOSE ? 0 : SWP_NOSIZE));
  }
}

HBRUSH CmervoDrviceManageDlg::OnCtlColor(HDC dc, HWND control, UINT message) {
  if (message == WM_CTLCOLORDLG || control == m_hWnd) return m_brBackground.Get();
  if (message != WM_CTLCOLORSTATIC) return nullptr;
  const int id = GetDlgCtrlID(control);
  if (id == IDC_DRV_STATUS || id == IDC_DRV_HEADING) SetTextColor(dc, kBlack);
  if (id == IDC_DRV_HEADING) SelectObject(dc, m_fontTitle.Get());
  SetBkMode(dc, TRANSPARENT);
  if (!m_brStatic) return static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
  AlignBrushToDialog(dc, control);
  return m_brStatic.Get();
}

bool CmervoDrviceManageDlg::OnPaint() {
  if (!IsIconic(m_hWnd)) return false;
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(m_hWnd, &paint);
  RECT client;
  GetClientRect(m_hWnd, &client);
  const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, m_hIcon);
  EndPaint(m_hWnd, &paint);
  return true;
}

bool CmervoDrviceManageDlg::IsSelected(Vendor vendor) { return SelectionOf(vendor); }

void CmervoDrviceManageDlg::SetStatusText(const std::wstring& text) {
  // Carried out by the dialog's thread before the call returns.
  SetDlgItemTextW(m_hWnd, IDC_DRV_STATUS, text.c_str());
}

bool CmervoDrviceManageDlg::AskTwoButtons(const std::wstring& title, const std::wstring& text,
                                          const std::wstring& confirmText, const std::wstring& cancelText) {
  return AskFromWorker(m_hWnd, title, text, confirmText, cancelText);
}

void CmervoDrviceManageDlg::RunEnded() { PostMessageW(m_hWnd, WM_INSTALL_DONE, 0, 0); }

}  // namespace lirra::win
