#include "browser/browser_layout.h"

#include <algorithm>

#include "resource.h"
#include "ui/dpi_scale.h"

namespace lirra::browser {
namespace {

constexpr int kWideScreen = 1600;
constexpr int kTallWindow = 900;
constexpr int kShortWindow = 700;

}  // namespace

int TitleStripHeight(int dpi) { return ui::ScaleLength(kTitleStripHeight, dpi); }

ui::Rect DefaultPlacement(const ScreenMetrics& screen, int dpi) {
  const ui::Rect& work = screen.workArea;
  const int wide = ui::ScaleLength(kWideScreen, dpi);
  const int tall = ui::ScaleLength(kTallWindow, dpi);
  if (work.cx <= wide) return work;
  const int x = work.x + (work.cx - wide) / 2;
  const int top = work.cy > tall ? (work.cy - tall) / 2 : 0;
  const int height = top + tall > work.cy ? ui::ScaleLength(kShortWindow, dpi) : tall;
  // A work area lower than the short window still keeps the whole window on it.
  return {x, work.y + top, wide, std::min(height, work.cy)};
}

ui::Rect EnlargedPlacement(const ScreenMetrics& screen) { return screen.workArea; }

// The strip is made of buttons b wide: logo, back, forward and reload from the left; close,
// maximise, minimise and driver settings from the right; the title in between.
std::vector<ui::ControlPlace> FirstShowPlaces(int w, int h, int dpi) {
  const int b = TitleStripHeight(dpi);
  const int edge = ui::ScaleLength(3, dpi);
  return {
      {IDC_BROWSER_CLOSE, {w - b - edge, 0, b, b}},
      {IDC_BROWSER_MAX, {w - 2 * b - edge, 0, b, b}},
      {IDC_BROWSER_MIN, {w - 3 * b - edge, 0, b, b}},
      {IDC_BROWSER_DRIVER, {w - 4 * b - edge, 0, b, b}},
      {IDC_BROWSER_REFRESH, {3 * b, 0, b, b}},
      {IDC_BROWSER_LOGO, {0, 0, b, b}},
      {IDC_BROWSER_ABOUT, {ui::ScaleLength(1, dpi), b, ui::ScaleLength(76, dpi), ui::ScaleLength(40, dpi)}},
      {IDC_BROWSER_BACK, {b, 0, b, b}},
      {IDC_BROWSER_FORWARD, {2 * b, 0, b, b}},
      {IDC_BROWSER_TITLE, {4 * b, 0, w - 8 * b, b}},
      {IDC_BROWSER_CONTROL, {0, b, w, h - b}},
  };
}

std::vector<ui::ControlPlace> ResizePlaces(int w, int cx, int cy, int dpi) {
  const int b = TitleStripHeight(dpi);
  return {
      {IDC_BROWSER_CLOSE, {w - b, 0, b, b}},
      {IDC_BROWSER_MAX, {w - 2 * b, 0, b, b}},
      {IDC_BROWSER_MIN, {w - 3 * b, 0, b, b}},
      {IDC_BROWSER_DRIVER, {w - 4 * b, 0, b, b}},
      {IDC_BROWSER_CONTROL, {0, b, cx, cy - b}},
      {IDC_BROWSER_TITLE, {4 * b, 0, w - 8 * b - ui::ScaleLength(3, dpi), b}},
  };
}

ButtonPictures MaximizePictures(bool enlarged) { return enlarged ? ui::kSkinRestore : ui::kSkinMaximize; }

std::vector<std::pair<int, ButtonPictures>> TitleStripPictures() {
  return {
      {IDC_BROWSER_CLOSE, ui::kSkinStripClose}, {IDC_BROWSER_MAX, MaximizePictures(false)},
      {IDC_BROWSER_MIN, ui::kSkinMinimize},     {IDC_BROWSER_DRIVER, ui::kSkinDriverSettings},
      {IDC_BROWSER_REFRESH, ui::kSkinRefresh},  {IDC_BROWSER_LOGO, ui::kSkinLogo},
      {IDC_BROWSER_ABOUT, ui::kSkinAboutPopup}, {IDC_BROWSER_BACK, ui::kSkinBack},
      {IDC_BROWSER_FORWARD, ui::kSkinForward},
  };
}

std::vector<std::pair<int, const wchar_t*>> TitleStripTips(bool enlarged) {
  return {
      {IDC_BROWSER_LOGO, L"关于"},
      {IDC_BROWSER_BACK, L"返回"},
      {IDC_BROWSER_FORWARD, L"前进"},
      {IDC_BROWSER_REFRESH, L"刷新"},
      {IDC_BROWSER_DRIVER, L"驱动设置"},
      {IDC_BROWSER_MIN, L"最小化"},
      {IDC_BROWSER_MAX, enlarged ? L"还原" : L"最大化"},
      {IDC_BROWSER_CLOSE, L"关闭"},
  };
}

}  // namespace lirra::browser
