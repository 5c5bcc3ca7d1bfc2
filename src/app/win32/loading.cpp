#include "app/win32/loading.h"

#include "resource.h"
#include "ui/dpi_scale.h"
#include "ui/skin_files.h"
#include "ui/skin_layout.h"
#include "ui/win32/activation.h"

namespace lirra::win {
namespace {

// A hairline around the borderless panel keeps it apart from a light desktop.
constexpr COLORREF kFrameColour = RGB(0xCF, 0xD7, 0xE4);

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
    case WM_LOADING_PROGRESS:
      if (static_cast<int>(wParam) < 0) {
        m_progressLine.Hide();
      } else {
        m_progressLine.ShowPercent(static_cast<int>(wParam));
      }
      result = 0;
      return true;
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
  // Templates sit at (0, 0); a window without owner goes to the middle of the screen.
  const ui::Size window = ui::ScaleSize(ui::kLoadingWindow, m_nDpi);
  CenterIn(WorkArea(), window.cx, window.cy);
  return TRUE;
}

// The text stands in the middle of its tall control; the bar goes under its one line.
void CLoading::PlaceProgressLine(HWND text) {
  RECT area;
  GetWindowRect(text, &area);
  MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&area), 2);
  int lineHeight = 16;
  if (HDC dc = GetDC(m_hWnd)) {
    HGDIOBJ old = SelectObject(dc, m_fontText.Get());
    TEXTMETRICW metrics = {};
    if (GetTextMetricsW(dc, &metrics)) lineHeight = metrics.tmHeight;
    SelectObject(dc, old);
    ReleaseDC(m_hWnd, dc);
  }
  area.top = (area.top + area.bottom + lineHeight) / 2 + 2;
  m_progressLine.Create(m_hWnd, area, m_fontText.Get());
}

bool CLoading::OnCommand(int id, int code, HWND control) {
  // Esc, Enter and Alt+F4 arrive as IDOK/IDCANCEL; the window stays until the preparation is done.
  if ((id == IDOK || id == IDCANCEL) && m_worker.Running()) return true;
  return CSkinDialog::OnCommand(id, code, control);
}

void CLoading::OnShowWindow(bool show) {
  if (!show) return;
  SetAppTitle(m_hWnd);
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIconSmall ? m_hIconSmall : m_hIcon));
  if (m_bWorkerStarted) return;
  m_bWorkerStarted = true;
  m_worker.Start(m_pfnWorker, &m_prepareUi);
}

void CLoading::OnLoadingDone() {
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
