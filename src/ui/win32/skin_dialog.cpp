#include "ui/win32/skin_dialog.h"

#include <vector>

#include "ui/region_runs.h"
#include "ui/skin_files.h"
#include "ui/skin_layout.h"

namespace lirra::win {
namespace {

// The bitmap's pixels as 32-bit top-down rows (blue, green, red, unused).
std::vector<std::uint8_t> ReadPixels(HDC dc, HBITMAP bitmap, int& width, int& height) {
  BITMAP info = {};
  if (!GetObjectW(bitmap, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight == 0) return {};
  width = info.bmWidth;
  height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  BITMAPINFO request = {};
  request.bmiHeader.biSize = sizeof(request.bmiHeader);
  request.bmiHeader.biWidth = width;
  request.bmiHeader.biHeight = -height;
  request.bmiHeader.biPlanes = 1;
  request.bmiHeader.biBitCount = 32;
  request.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint8_t> pixels(static_cast<size_t>(width) * height * 4);
  if (GetDIBits(dc, bitmap, 0, height, pixels.data(), &request, DIB_RGB_COLORS) != height) return {};
  return pixels;
}

}  // namespace

void BuildRegionFromBitmap(HDC reference, HBITMAP bitmap, HWND hwnd) {
  if (!bitmap || !hwnd) return;
  ScopedMemoryDc memory(reference);
  int width = 0;
  int height = 0;
  const std::vector<std::uint8_t> pixels = ReadPixels(memory.Get(), bitmap, width, height);
  if (pixels.empty()) return;
  ScopedRegion region(CreateRectRgn(0, 0, 0, 0));
  for (const ui::RegionRun& run : ui::FindRegionRuns(pixels.data(), width, height, width * 4)) {
    ScopedRegion line(CreateRectRgn(run.left, run.y, run.right, run.y + 1));
    CombineRgn(region.Get(), region.Get(), line.Get(), RGN_OR);
  }
  // The window owns the region once it is set.
  if (SetWindowRgn(hwnd, region.Get(), TRUE)) region.Release();
}

void SetAppTitle(HWND fallback) {
  HWND target = GetActiveWindow();
  if (!target) target = fallback;
  if (target) SetWindowTextW(target, ui::kAppTitle);
}

void CSkinDialog::LoadBackground(const std::wstring& path) {
  // At the screen's DPI, pixel for pixel (the key colour stays exact at the edges).
  m_bmpBackground.Reset(LoadPictureBitmap(path, m_nDpi));
  m_brBackground.Reset(m_bmpBackground ? CreatePatternBrush(m_bmpBackground.Get()) : nullptr);
}

void CSkinDialog::LoadStaticBrush(const std::wstring& path) { m_brStatic.Reset(LoadPatternBrush(path, m_nDpi)); }

void CSkinDialog::CutRegion() {
  ScopedWindowDc dc(m_hWnd);
  BuildRegionFromBitmap(dc.Get(), m_bmpBackground.Get(), m_hWnd);
}

void CSkinDialog::AlignBrushToDialog(HDC dc, HWND control) const {
  RECT rc;
  GetWindowRect(control, &rc);
  MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
  SetBrushOrgEx(dc, -rc.left, -rc.top, nullptr);
}

LRESULT CSkinDialog::OnNcHitTest(POINT screenPoint) {
  RECT client;
  GetClientRect(m_hWnd, &client);
  MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  if (PtInRect(&client, screenPoint)) return HTCAPTION;
  return CDialogBase::OnNcHitTest(screenPoint);
}

bool CSkinDialog::OnEraseBkgnd(HDC dc) {
  if (!m_brBackground) return false;
  RECT client;
  GetClientRect(m_hWnd, &client);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  FillRect(dc, &client, m_brBackground.Get());
  return true;
}

RECT WorkArea() {
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

void CSkinDialog::CenterIn(const RECT& area, int cx, int cy) {
  SetWindowPos(m_hWnd, nullptr, area.left + (area.right - area.left - cx) / 2,
               area.top + (area.bottom - area.top - cy) / 2, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSkinDialog::CenterOnOwner(int cx, int cy) {
  const RECT work = WorkArea();
  RECT area = work;
  HWND owner = GetWindow(m_hWnd, GW_OWNER);
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &area);
  auto rect = [](const RECT& r) { return ui::Rect{r.left, r.top, r.right - r.left, r.bottom - r.top}; };
  const ui::Rect place = ui::CentredOn(rect(area), {cx, cy}, rect(work));
  SetWindowPos(m_hWnd, nullptr, place.x, place.y, place.cx, place.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace lirra::win
