#include "drivers/win32/driver_manager_dlg.h"

#include <mutex>
#include <optional>

#include "drivers/driver_manager_layout.h"
#include "pc/run_flags.h"
#include "resource.h"
#include "store/driver_state.h"
#include "ui/dpi_scale.h"
#include "ui/skin_files.h"
#include "ui/skin_layout.h"
#include "ui/win32/about_dlg.h"
#include "ui/win32/activation.h"

namespace lirra::win {

// What a run tells the dialog's thread, sent with WM_INSTALL_REPORT (the text lives for the
// length of the send). What the run waits for is read from the run link.
struct RunReport {
  enum Kind { kStatus, kProgress, kDetail, kWaitBegins, kWaitEnds } kind;
  const std::wstring* text = nullptr;  // status or detail text
  int percent = 0;                     // kProgress
};

namespace {

// Posted by a run when it has ended; the dialog's thread then unlocks the buttons.
constexpr UINT WM_INSTALL_DONE = WM_APP + 1;
// Sent by a run with a RunReport.
constexpr UINT WM_INSTALL_REPORT = WM_APP + 2;
// Refreshes how long the run has waited for its installer.
constexpr UINT_PTR kWaitTimer = 1;
constexpr UINT kWaitTimerMs = 1000;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// The buttons locked while a run is in progress: no second run. The ways out stay open.
constexpr int kRunLockedIds[] = {IDC_DRV_INSTALL, IDC_DRV_REINSTALL};

}  // namespace

// The run's InstallUi over the run link that the dialog and the run share. When the user leaves
// the dialog during a run, the dialog detaches the link: from then on the run's wait ends at
// once, its calls do nothing (questions answer no), HasLeft is true, and nothing of the dialog
// is touched. The run's RunEnded lets go of its share. Rejected: keeping the dialog open until
// the run ends (a hung installer would trap the user) and ending the run's thread (it may be
// inside a file write).
class CInstallRunLink : public InstallUi {
 public:
  CInstallRunLink(CmervoDrviceManageDlg& dialog, bool reinstall) : m_pDialog(&dialog), m_bReinstall(reinstall) {
    m_link.Bind(dialog.m_hWnd);
  }

  // The run's share, held from its start to its RunEnded.
  void HoldForRun(std::shared_ptr<CInstallRunLink> self) { m_self = std::move(self); }
  void ReleaseRun() { m_self.reset(); }

  CRunLink& Link() { return m_link; }

  // On the dialog's thread, when the user leaves during the run.
  void Detach() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_pDialog = nullptr;
    }
    m_link.Detach();
  }

  bool IsSelected(Vendor vendor) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pDialog && m_pDialog->SelectionOf(vendor);
  }
  bool IsReinstall() override { return m_bReinstall; }
  void SetStatusText(const std::wstring& text) override { Report({RunReport::kStatus, &text}); }
  void ShowProgress(int percent) override { Report({RunReport::kProgress, nullptr, percent}); }
  void SetDetailText(const std::wstring& text) override { Report({RunReport::kDetail, &text}); }
  void WaitBegins(const std::wstring& package, const std::wstring&) override {
    m_link.WaitBegins(package);
    Report({RunReport::kWaitBegins});
  }
  bool Left() override { return m_link.StopWaiting(); }
  void WaitEnds() override {
    m_link.WaitEnds();
    Report({RunReport::kWaitEnds});
  }
  bool AskTwoButtons(const std::wstring& title, const std::wstring& text, const std::wstring& confirmText,
                     const std::wstring& cancelText) override {
    return m_link.Ask(title, text, confirmText, cancelText);
  }
  bool HasLeft() override { return m_link.HasLeft(); }
  void RunEnded() override {
    std::shared_ptr<CInstallRunLink> self = std::move(m_self);  // this lives to the end of the call
    m_link.Post(WM_INSTALL_DONE);
  }

 private:
  void Report(const RunReport& report) { m_link.Send(WM_INSTALL_REPORT, 0, reinterpret_cast<LPARAM>(&report)); }

  std::mutex m_mutex;  // guards m_pDialog
  CmervoDrviceManageDlg* m_pDialog;
  CRunLink m_link;
  const bool m_bReinstall;
  std::shared_ptr<CInstallRunLink> m_self;
};

CmervoDrviceManageDlg::CmervoDrviceManageDlg(ThreadProc run) : CSkinDialog(IDD_DRIVER_MANAGER), m_pfnRun(run) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  m_hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
  m_hIconSmall =
      static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                    GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

CmervoDrviceManageDlg::~CmervoDrviceManageDlg() {
  // Never wait here on a run the user did not leave (the dialog failed to show, say).
  if (m_link) AbandonRun();
}

bool CmervoDrviceManageDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == ActivateClientMessage()) {
    BringForward(m_hWnd);
    result = 0;
    return true;
  }
  switch (message) {
    case WM_INSTALL_DONE:
      OnRunEnded();
      result = 0;
      return true;
    case WM_INSTALL_REPORT:
      // A report that crossed the leaving finds no run here any more.
      if (m_link && lParam) OnRunReport(*reinterpret_cast<const RunReport*>(lParam));
      result = 0;
      return true;
    case WM_TIMER:
      if (wParam != kWaitTimer) break;
      ShowWaitText();
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
  LoadBackground(ui::kSkinDriverManagerBackground);
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
    m_bInstalled[static_cast<int>(vendor)] = true;
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
      // Enter closes without saving.
      if (MayLeave()) OnCloseCommand();
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
  m_link = std::make_shared<CInstallRunLink>(*this, reinstall);
  m_link->HoldForRun(m_link);
  LockForRun(true);
  if (!m_run.Start(m_pfnRun, static_cast<InstallUi*>(m_link.get()))) {
    m_link->ReleaseRun();
    m_link.reset();
    LockForRun(false);
  }
}

void CmervoDrviceManageDlg::OnRunEnded() {
  m_run.Finished();
  m_link.reset();
  StopWaiting();
  LockForRun(false);
}

void CmervoDrviceManageDlg::OnRunReport(const RunReport& report) {
  switch (report.kind) {
    case RunReport::kStatus:
      StopWaiting();
      m_progressLine.Hide();
      SetDlgItemTextW(m_hWnd, IDC_DRV_STATUS, report.text->c_str());
      break;
    case RunReport::kProgress:
      m_progressLine.ShowPercent(report.percent);
      break;
    case RunReport::kDetail:
      m_progressLine.ShowText(*report.text);
      break;
    case RunReport::kWaitBegins:
      SetTimer(m_hWnd, kWaitTimer, kWaitTimerMs, nullptr);
      ShowWaitText();
      break;
    case RunReport::kWaitEnds:
      StopWaiting();
      m_progressLine.Hide();
      break;
  }
}

void CmervoDrviceManageDlg::ShowWaitText() {
  const std::optional<ui::WaitView> wait = m_link ? m_link->Link().CurrentWait() : std::nullopt;
  if (wait) m_progressLine.ShowText(ui::InstallerWaitText(wait->package, wait->seconds));
}

void CmervoDrviceManageDlg::StopWaiting() {
  if (m_hWnd) KillTimer(m_hWnd, kWaitTimer);
}

void CmervoDrviceManageDlg::LockForRun(bool locked) {
  m_bBusy = locked;
  for (int id : kRunLockedIds) EnableWindow(GetDlgItem(id), locked ? FALSE : TRUE);
}

// Every way out asks once while a run is in progress; on yes the run is left to itself.
bool CmervoDrviceManageDlg::MayLeave() {
  if (!m_bBusy) return true;
  // One question at a time; this way out is answered by it.
  if (m_leaveQuestion.IsOpen()) return false;
  const std::optional<ui::WaitView> wait = m_link ? m_link->Link().CurrentWait() : std::nullopt;
  if (!m_leaveQuestion.Ask(m_hWnd, wait ? wait->package : std::wstring())) return false;
  // The run may have ended while the question was open; then there is nothing to leave.
  if (m_bBusy) AbandonRun();
  return true;
}

// The installer keeps running; the run stops waiting for it, records nothing more (its open
// question answers no) and is not waited for, here or at the end of the process.
void CmervoDrviceManageDlg::AbandonRun() {
  if (m_link) m_link->Detach();
  m_link.reset();
  m_run.Abandon();
  StopWaiting();
  m_bBusy = false;
}

// "使用" at start-up, "退出" from the browser window; also Esc, Alt+F4 and the close request.
void CmervoDrviceManageDlg::OnBnClickedUse() {
  if (!MayLeave()) return;
  // A run left behind has not changed the flag of the vendor it was installing.
  if (m_bFromStartup) SaveDriverState(CRunFlags::GetInstance());
  EndDialog(IDOK);
}

void CmervoDrviceManageDlg::OnBnClickedX() {
  if (!MayLeave()) return;
  // At start-up the close button declines the client altogether; runs have saved their state.
  EndDialog(m_bFromStartup ? kResultEndClient : IDOK);
}

void CmervoDrviceManageDlg::OnDestroy() {
  StopWaiting();
  CSkinDialog::OnDestroy();
}

void CmervoDrviceManageDlg::OnShowWindow(bool show) {
  if (!show) return;
  DecorateButtons();
  PlaceWindowAndControls();
  PlaceProgressLine();
  CutRegion();
  // The dialog is the client's window in the task bar while it is open.
  SetWindowTextW(m_hWnd, ui::kAppTitle);
}

void CmervoDrviceManageDlg::DecorateButtons() {
  for (Vendor vendor : kVendorsInRunOrder) {
    // Centred: the names differ in length and the label font in width from PC to PC.
    ButtonOf(vendor).SetCentredLabel(VendorOf(vendor).label, drivers::kLabelY, drivers::kVendorLabelSize, kBlack,
                                     ui::kLabelFontFace);
    SetVendorLook(vendor, SelectionOf(vendor));
  }
  for (CPngButton* button : {&m_btnUse, &m_btnInstall, &m_btnReinstall}) button->SetImages(ui::kSkinWideButton);
  m_btnX.SetImages(ui::kSkinClose);
  const int x = drivers::kBottomLabelX;
  const int y = drivers::kLabelY;
  const int size = drivers::kBottomLabelSize;
  m_btnUse.SetLabel(m_bFromStartup ? L"使用" : L"退出", x, y, size, kWhite, ui::kLabelFontFace);
  m_btnInstall.SetLabel(L"安装", x, y, size, kWhite, ui::kLabelFontFace);
  m_btnReinstall.SetLabel(L"重装", x, y, size, kWhite, ui::kLabelFontFace);
}

void CmervoDrviceManageDlg::SetVendorLook(Vendor vendor, bool selected) {
  CPngButton& button = ButtonOf(vendor);
  const drivers::VendorLook look =
      drivers::VendorLookOf(drivers::VendorStateOf(m_bInstalled[static_cast<int>(vendor)], selected));
  button.m_clrLabel = RGB((look.labelRgb >> 16) & 0xFF, (look.labelRgb >> 8) & 0xFF, look.labelRgb & 0xFF);
  button.SetImages(look.pictures);
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

// Under the status line, as wide as it, in the room above the footer.
void CmervoDrviceManageDlg::PlaceProgressLine() {
  HWND status = GetDlgItem(IDC_DRV_STATUS);
  RECT area;
  GetWindowRect(status, &area);
  MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&area), 2);
  area.top = area.bottom + 1;
  m_progressLine.Create(m_hWnd, area, reinterpret_cast<HFONT>(SendMessageW(status, WM_GETFONT, 0, 0)));
}

HBRUSH CmervoDrviceManageDlg::OnCtlColor(HDC dc, HWND control, UINT message) {
  if (message == WM_CTLCOLORDLG || control == m_hWnd) return m_brBackground.Get();
  if (message != WM_CTLCOLORSTATIC) return nullptr;
  const int id = GetDlgCtrlID(control);
  if (id == IDC_DRV_STATUS || id == IDC_DRV_HEADING || m_progressLine.IsTextControl(control)) SetTextColor(dc, kBlack);
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

}  // namespace lirra::win
