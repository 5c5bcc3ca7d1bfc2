#include "browser/browser_layout.h"

#include "resource.h"

namespace lirra::browser {
namespace {

constexpr int kButton = 39;
constexpr int kWideScreen = 1600;
constexpr int kTallWindow = 900;
constexpr int kShortWindow = 700;

// Mouse messages as the tray reports them.
constexpr unsigned kLeftDoubleClick = 0x0203;
constexpr unsigned kRightButtonUp = 0x0205;

}  // namespace

ui::Rect DefaultPlacement(const ScreenMetrics& screen) {
  if (screen.cxFullScreen <= kWideScreen) return {0, 0, screen.cxFullScreen, screen.workBottom};
  const int x = (screen.cxFullScreen - kWideScreen) / 2;
  const int y = screen.cyFullScreen > kTallWindow ? (screen.workBottom - kTallWindow) / 2 : 0;
  const int height = y + kTallWindow > screen.workBottom ? kShortWindow : kTallWindow;
  return {x, y, kWideScreen, height};
}

ui::Rect EnlargedPlacement(const ScreenMetrics& screen) { return {0, 0, screen.cxFullScreen, screen.workBottom}; }

std::vector<ui::ControlPlace> FirstShowPlaces(int w, int h) {
  return {
      {IDC_BROWSER_CLOSE, {w - 42, 0, kButton, kButton}},
      {IDC_BROWSER_MAX, {w - 81, 0, kButton, kButton}},
      {IDC_BROWSER_MIN, {w - 120, 0, kButton, kButton}},
      {IDC_BROWSER_DRIVER, {w - 159, 0, kButton, kButton}},
      {IDC_BROWSER_REFRESH, {117, 0, kButton, kButton}},
      {IDC_BROWSER_LOGO, {0, 0, kButton, kButton}},
      {IDC_BROWSER_ABOUT, {1, 39, 76, 40}},
      {IDC_BROWSER_BACK, {39, 0, kButton, kButton}},
      {IDC_BROWSER_FORWARD, {78, 0, kButton, kButton}},
      {IDC_BROWSER_TITLE, {156, 0, w - 312, kButton}},
      {IDC_BROWSER_CONTROL, {0, kTitleStripHeight, w, h - kTitleStripHeight}},
  };
}

std::vector<ui::ControlPlace> ResizePlaces(int w, int cx, int cy) {
  return {
      {IDC_BROWSER_CLOSE, {w - 39, 0, kButton, kButton}},
      {IDC_BROWSER_MAX, {w - 78, 0, kButton, kButton}},
      {IDC_BROWSER_MIN, {w - 117, 0, kButton, kButton}},
      {IDC_BROWSER_DRIVER, {w - 156, 0, kButton, kButton}},
      {IDC_BROWSER_CONTROL, {0, kTitleStripHeight, cx, cy - kTitleStripHeight}},
      {IDC_BROWSER_TITLE, {156, 0, w - 315, kButton}},
  };
}

ButtonPictures MaximizePictures(bool enlarged) { return enlarged ? ui::kSkinRestore : ui::kSkinMaximize; }

std::vector<std::pair<int, ButtonPictures>> TitleStripPictures() {
  return {
      {IDC_BROWSER_CLOSE, ui::kSkinClose},      {IDC_BROWSER_MAX, MaximizePictures(false)},
      {IDC_BROWSER_MIN, ui::kSkinMinimize},     {IDC_BROWSER_DRIVER, ui::kSkinDriverSettings},
      {IDC_BROWSER_REFRESH, ui::kSkinRefresh},  {IDC_BROWSER_LOGO, ui::kSkinLogo},
      {IDC_BROWSER_ABOUT, ui::kSkinAboutPopup}, {IDC_BROWSER_BACK, ui::kSkinBack},
      {IDC_BROWSER_FORWARD, ui::kSkinForward},
  };
}

TrayAction TrayActionFor(unsigned iconId, unsigned mouseMessage) {
  if (iconId != static_cast<unsigned>(kTrayIconId)) return TrayAction::kNotOurs;
  if (mouseMessage == kLeftDoubleClick) return TrayAction::kRestore;
  if (mouseMessage == kRightButtonUp) return TrayAction::kShowMenu;
  return TrayAction::kIgnore;
}

}  // namespace lirra::browser
