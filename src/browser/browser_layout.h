// Where the browser window and its title strip go, which maximise pictures it shows, and what a
// tray notification asks for.
#pragma once

#include <vector>

#include "ui/skin_files.h"
#include "ui/skin_layout.h"

namespace lirra::browser {

// The screen as the window sees it: a full-screen client area and the work area's bottom.
struct ScreenMetrics {
  int cxFullScreen = 0;
  int cyFullScreen = 0;
  int workBottom = 0;
};

inline constexpr int kTitleStripHeight = 39;
inline constexpr int kTrayIconId = 128;

// The default position and size: the whole width up to 1600 pixels, else 1600 x 900 (or 700
// when 900 does not fit) in the middle.
ui::Rect DefaultPlacement(const ScreenMetrics& screen);
// The enlarged window: the whole work area's width and height from the top left.
ui::Rect EnlargedPlacement(const ScreenMetrics& screen);

// Controls placed at the first show for a window of outer size W x H.
std::vector<ui::ControlPlace> FirstShowPlaces(int outerWidth, int outerHeight);
// Controls placed on every size change: the right-hand buttons, the title and the browser.
std::vector<ui::ControlPlace> ResizePlaces(int outerWidth, int clientWidth, int clientHeight);

using ui::ButtonPictures;

ButtonPictures MaximizePictures(bool enlarged);
// The pictures of every title-strip button at the first show (the maximise button not enlarged).
std::vector<std::pair<int, ButtonPictures>> TitleStripPictures();

// kNotOurs: another icon's notification (answered 1); kIgnore: a mouse message we don't use.
enum class TrayAction { kNotOurs, kIgnore, kRestore, kShowMenu };

// What a tray notification for `iconId` with mouse message `mouseMessage` asks for.
TrayAction TrayActionFor(unsigned iconId, unsigned mouseMessage);

}  // namespace lirra::browser
