#include "app/win32/loading.h"

#include "resource.h"
#include "store/win32/crash_writer.h"
#include "ui/dpi_scale.h"
#include "ui/run_link.h"
#include "ui/skin_files.h"
#include "ui/skin_layout.h"
#include "ui/win32/activation.h"

namespace lirra::win {
namespace {

// A hairline around the borderless panel keeps it apart from a light desktop.
constexpr COLORREF kFrameColour = RGB(0xCF, 0xD7, 0xE4);

// Refreshes how long the worker has waited for its installer.
constexpr UINT_PTR kWaitTimer = 1;
constexpr UINT kWaitTimerMs = 1000;

// The "跳过" button at 96 DPI: room around its text, and the gap to the wait line.
constexpr int kSkipPaddingX = 10;
constexpr int kSkipPaddingY = 3;
constexpr int kSkipGap = 4;
constexpr wchar_t kSkipText[] = L"跳过";

// A child's rectangle in the client coordinates of its dialog.
RECT RectInClient(HWND dialog, HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

#ifdef LIRRA_CRASH_TEST_SWITCH
// Debug and test builds only: LIRRA_CRASH_TEST=1 makes the client fault once the window is up,
// so that the crash report can be seen made. The fault comes from a posted message: one inside
// WM_SHOWWINDOW, a call back from the system, may be swallowed there (WOW64 does, Wine too).
constexpr UINT WM_LOADING_CRASH_TEST = WM_APP + 13;

bool CrashTestRequested() {
  wchar_t value[4] = {};
  return GetEnvironmentVariableW(L"LIRRA_CRASH_TEST", value, 4) == 1 && value[0] == L'1';
}
#endif

}  // namespace

CLoading::CLoading(ThreadProc worker) : CSkinDialog(IDD_LOADING), m_pfnWorker(worker) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  m_hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
  m_hIconSmall =
      static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                    GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

bool CLoading::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_LOADING_DONE:
      OnLoadingDone();
      result = 1;
      return true;
    case WM_LOADING_EXIT:
      OnLoadingExit(static_cast<int>(wParam));
      result = 0;
      return true;
    case WM_LOADING_WAIT:
      OnWait(wParam != 0);
      result = 0;
      return true;
    case WM_TIMER:
      if (wParam != kWaitTimer) break;
      ShowWait();
      result = 0;
      return true;
    case WM_LOADING_PROGRESS:
      if (static_cast<int>(wParam) < 0) {
        m_progressLine.Hide();
      } else {
        m_progressLine.ShowPercent(static_cast<int>(wParam));
      }
      result = 0;
      return true;
#ifdef LIRRA_CRASH_TEST_SWITCH
    case WM_LOADING_CRASH_TEST:
      FaultOnPurpose();
      return true;
#endif
    default:
      break;
  }
  if (message == ActivateClientMessage()) {
    BringForward(m_hWnd);
    result = 0;
    return true;
  }
  return CSkinDialog::OnMessage(message, wParam, lParam, result);
}

BOOL CLoading::OnInitDialog() {
  LoadBackground(ui::kSkinLoadingBackground);
  m_fontText.Reset(CreatePointFont(ui::kLoadingFontTenths, ui::kSkinFontFace));
  m_brFrame.Reset(CreateSolidBrush(kFrameColour));
  HWND text = GetWindow(m_hWnd, GW_CHILD);
  SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(m_fontText.Get()), FALSE);
  m_prepareUi.Bind(m_hWnd, text);
  // In pixels for the screen's DPI, like the text's font: dialog units follow the dialog font,
  // which grows by other steps than the text's, and the longest texts would be cut.
  const ui::Rect place = ui::ScaleRect(ui::kLoadingText, m_nDpi);
  SetWindowPos(text, nullptr, place.x, place.y, place.cx, place.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  PlaceProgressLine(text);
  CreateSkipButton();
  // Templates sit at (0, 0); a window without owner goes to the middle of the screen.
  const ui::Size window = ui::ScaleSize(ui::kLoadingWindow, m_nDpi);
  CenterIn(WorkArea(), window.cx, window.cy);
  return TRUE;
}

// The text stands in the middle of its tall control; the bar goes under its one line.
void CLoading::PlaceProgressLine(HWND text) {
  RECT area = RectInClient(m_hWnd, text);
  int lineHeight = TextLineHeight(m_hWnd, m_fontText.Get());
  if (lineHeight <= 0) lineHeight = 16;
  area.top = (area.top + area.bottom + lineHeight) / 2 + 2;
  m_progressLine.Create(m_hWnd, area, m_fontText.Get());
}

// Beside the wait line, hidden until a wait offers to be left; the line gives it room then.
void CLoading::CreateSkipButton() {
  HWND line = m_progressLine.TextControl();
  if (!line) return;
  m_rcWaitLine = RectInClient(m_hWnd, line);
  SIZE text = {0, 0};
  {
    ScopedWindowDc dc(m_hWnd);
    ScopedSelect font(dc.Get(), m_fontText.Get());
    GetTextExtentPoint32W(dc.Get(), kSkipText, 2, &text);
  }
  const int width = text.cx + 2 * ui::ScaleLength(kSkipPaddingX, m_nDpi);
  const int height = text.cy + 2 * ui::ScaleLength(kSkipPaddingY, m_nDpi);
  const int middle = (m_rcWaitLine.top + m_rcWaitLine.bottom) / 2;
  m_hSkip = CreateWindowExW(0, L"BUTTON", kSkipText, WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON, m_rcWaitLine.right - width,
                            middle - height / 2, width, height, m_hWnd, reinterpret_cast<HMENU>(IDC_LOADING_SKIP),
                            GetModuleHandleW(nullptr), nullptr);
  SendMessageW(m_hSkip, WM_SETFONT, reinterpret_cast<WPARAM>(m_fontText.Get()), FALSE);
}

bool CLoading::OnCommand(int id, int code, HWND control) {
  // Esc, Enter, Alt+F4 and the close request arrive as IDOK/IDCANCEL; the window stays until
  // the preparation is done, unless the user leaves an installer's long wait.
  const bool wayOut = id == IDOK || id == IDCANCEL || (id == IDC_LOADING_SKIP && code == BN_CLICKED);
  if (wayOut && m_worker.Running()) {
    OfferToLeaveWait();
    return true;
  }
  return CSkinDialog::OnCommand(id, code, control);
}

// One question at a time, only for a wait that has lasted long enough; "离开" leaves that very
// wait, not one that began after it ended.
void CLoading::OfferToLeaveWait() {
  if (m_leaveQuestion.IsOpen()) return;
  CRunLink& link = m_prepareUi.Link();
  const std::optional<ui::WaitView> wait = link.CurrentWait();
  if (!wait || !wait->leaveOffered) return;
  if (m_leaveQuestion.Ask(m_hWnd, wait->package)) link.LeaveWait(wait->id);
}

void CLoading::OnWait(bool begins) {
  if (begins) {
    SetTimer(m_hWnd, kWaitTimer, kWaitTimerMs, nullptr);
    ShowWait();
    return;
  }
  KillTimer(m_hWnd, kWaitTimer);
  ShowSkipButton(false);
  m_progressLine.Hide();
  // A wait that ended by itself needs no answer.
  m_leaveQuestion.Close();
}

void CLoading::ShowWait() {
  const std::optional<ui::WaitView> wait = m_prepareUi.Link().CurrentWait();
  if (!wait) return;
  ShowSkipButton(wait->leaveOffered);
  m_progressLine.ShowText(ui::InstallerWaitText(wait->package, wait->seconds));
}

void CLoading::ShowSkipButton(bool show) {
  if (!m_hSkip || (IsWindowVisible(m_hSkip) != FALSE) == show) return;
  RECT line = m_rcWaitLine;
  if (show) line.right = RectInClient(m_hWnd, m_hSkip).left - ui::ScaleLength(kSkipGap, m_nDpi);
  SetWindowPos(m_progressLine.TextControl(), nullptr, line.left, line.top, line.right - line.left,
               line.bottom - line.top, SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(m_hSkip, show ? SW_SHOWNA : SW_HIDE);
}

void CLoading::OnShowWindow(bool show) {
  if (!show) return;
  SetAppTitle(m_hWnd);
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIconSmall ? m_hIconSmall : m_hIcon));
  if (m_bWorkerStarted) return;
  m_bWorkerStarted = true;
#ifdef LIRRA_CRASH_TEST_SWITCH
  if (CrashTestRequested()) {
    PostMessageW(m_hWnd, WM_LOADING_CRASH_TEST, 0, 0);
    return;
  }
#endif
  m_worker.Start(m_pfnWorker, &m_prepareUi);
}

void CLoading::OnLoadingDone() {
  KillTimer(m_hWnd, kWaitTimer);
  m_worker.Finished();
  EndDialog(IDOK);
}

void CLoading::OnLoadingExit(int exitCode) {
  m_nExitCode = exitCode;
  m_worker.Finished();
  EndDialog(kResultEndClient);
}

HBRUSH CLoading::OnCtlColor(HDC dc, HWND control, UINT message) {
  if (!m_brBackground) return nullptr;
  if (message == WM_CTLCOLORSTATIC) {
    SetBkMode(dc, TRANSPARENT);
    AlignBrushToDialog(dc, control);
    return m_brBackground.Get();
  }
  if (message == WM_CTLCOLORDLG) return m_brBackground.Get();
  return nullptr;
}

bool CLoading::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(m_hWnd, &paint);
  RECT client;
  GetClientRect(m_hWnd, &client);
  FrameRect(dc, &client, m_brFrame.Get());
  EndPaint(m_hWnd, &paint);
  return true;
}

}  // namespace lirra::win
