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

ButtonPictures MaximizePictures(bool enlarged) {
  if (enlarged) return {L"res\\notmax.png", L"res\\notmax1.png", L"res\\notmax2.png"};
  return {L"res\\max.png", L"res\\max1.png", L"res\\max2.png"};
}

std::vector<std::pair<int, ButtonPictures>> TitleStripPictures() {
  return {
      {IDC_BROWSER_CLOSE, {L"res\\close.png", L"res\\close1.png", L"res\\close2.png"}},
      {IDC_BROWSER_MAX, MaximizePictures(false)},
      {IDC_BROWSER_MIN, {L"res\\smail.png", L"res\\smail1.png", L"res\\smail2.png"}},
      {IDC_BROWSER_DRIVER, {L"res\\setting.png", L"res\\setting1.png", L"res\\setting2.png"}},
      {IDC_BROWSER_REFRESH, {L"res\\refurbish.png", L"res\\refurbish1.png", L"res\\refurbish2.png"}},
      {IDC_BROWSER_LOGO, {L"res\\LOGO_normal.png", L"res\\LOGO_pressed.png", L"res\\LOGO_pressed.png"}},
      {IDC_BROWSER_ABOUT, {L"res\\about-normal.png", L"res\\about-focus.png", L"res\\about-focus.png"}},
      {IDC_BROWSER_BACK, {L"res\\back.png", L"res\\back1.png", L"res\\back2.png"}},
      {IDC_BROWSER_FORWARD, {L"res\\move.png", L"res\\move1.png", L"res\\move2.png"}},
  };
}

TrayAction TrayActionFor(unsigned iconId, unsigned mouseMessage) {
  if (iconId != static_cast<unsigned>(kTrayIconId)) return TrayAction::kNotOurs;
  if (mouseMessage == kLeftDoubleClick) return TrayAction::kRestore;
  if (mouseMessage == kRightButtonUp) return TrayAction::kShowMenu;
  return TrayAction::kIgnore;
}

}  // namespace lirra::browser
