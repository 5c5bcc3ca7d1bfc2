#include "ui/win32/progress_line.h"

#include <commctrl.h>

#include "resource.h"
#include "ui/win32/gdi.h"

namespace lirra::win {

namespace {

constexpr int kBarHeight = 4;  // at 96 DPI
constexpr int kGap = 1;

}  // namespace

void CProgressLine::Create(HWND dialog, const RECT& area, HFONT font) {
  if (Created()) return;
  // The progress class is registered by the common controls, which the hosts may not have
  // started yet.
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);

  const int dpi = ScreenDpi();
  const int lineHeight = TextLineHeight(dialog, font);
  const int textHeight = lineHeight > 0 ? lineHeight + 2 : MulDiv(16, dpi, 96);

  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
  const int width = area.right - area.left;
  const int barWidth = width * 2 / 3;
  const int barHeight = MulDiv(kBarHeight, dpi, 96);
  m_hBar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | PBS_SMOOTH, area.left + (width - barWidth) / 2, area.top,
                           barWidth, barHeight, dialog, reinterpret_cast<HMENU>(IDC_PROGRESS_BAR), instance, nullptr);
  SendMessageW(m_hBar, PBM_SETRANGE32, 0, 100);
  m_hText =
      CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_CENTER | SS_NOPREFIX, area.left, area.top + barHeight + kGap,
                      width, textHeight, dialog, reinterpret_cast<HMENU>(IDC_PROGRESS_TEXT), instance, nullptr);
  if (font) SendMessageW(m_hText, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void CProgressLine::ShowPercent(int percent) {
  if (!Created()) return;
  SendMessageW(m_hBar, PBM_SETPOS, percent, 0);
  SetWindowTextW(m_hText, (std::to_wstring(percent) + L"%").c_str());
  ShowWindow(m_hBar, SW_SHOWNA);
  ShowWindow(m_hText, SW_SHOWNA);
}

void CProgressLine::ShowText(const std::wstring& text) {
  if (!Created()) return;
  ShowWindow(m_hBar, SW_HIDE);
  SetWindowTextW(m_hText, text.c_str());
  ShowWindow(m_hText, SW_SHOWNA);
}

void CProgressLine::Hide() {
  if (!Created()) return;
  ShowWindow(m_hBar, SW_HIDE);
  ShowWindow(m_hText, SW_HIDE);
  SetWindowTextW(m_hText, L"");
}

}  // namespace lirra::win
