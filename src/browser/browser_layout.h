// Where the browser window and its title strip go, and which maximise pictures it shows.
#pragma once

#include <vector>

#include "ui/skin_files.h"
#include "ui/skin_layout.h"

namespace lirra::browser {

// The screen as the window sees it: the work area (the monitor's area less the taskbar and
// other docked bars) of the monitor the window is on, in screen coordinates. Its left and top
// are not 0 when the taskbar is on that edge or the monitor is not the primary one.
struct ScreenMetrics {
  ui::Rect workArea;
};

inline constexpr int kTitleStripHeight = 39;

// The title strip's height (one button) at `dpi`.
int TitleStripHeight(int dpi = ui::kDesignDpi);

// The default position and size: the whole work area up to 1600 pixels wide, else 1600 x 900
// (or 700 when 900 does not fit) in the middle of its width and, when it is taller than 900,
// of its height. The window never leaves the work area, so its title strip is never under the
// taskbar. The sizes are those of a 96-DPI screen, scaled to `dpi`.
ui::Rect DefaultPlacement(const ScreenMetrics& screen, int dpi = ui::kDesignDpi);
// The enlarged window: the whole work area.
ui::Rect EnlargedPlacement(const ScreenMetrics& screen);

// Controls placed at the first show for a window of outer size W x H.
std::vector<ui::ControlPlace> FirstShowPlaces(int outerWidth, int outerHeight, int dpi = ui::kDesignDpi);
// Controls placed on every size change: the right-hand buttons, the title and the browser.
std::vector<ui::ControlPlace> ResizePlaces(int outerWidth, int clientWidth, int clientHeight, int dpi = ui::kDesignDpi);

using ui::ButtonPictures;

ButtonPictures MaximizePictures(bool enlarged);
// The pictures of every title-strip button at the first show (the maximise button not enlarged).
std::vector<std::pair<int, ButtonPictures>> TitleStripPictures();

// The tooltip of each title-strip icon: the command it runs (the maximise button's follows the
// enlargement). The about pop-up carries its name in its picture and has none.
std::vector<std::pair<int, const wchar_t*>> TitleStripTips(bool enlarged);

// The one colour of the strip's glyphs and title (0xRRGGBB).
inline constexpr unsigned kTitleStripGlyphRgb = 0xFFFFFF;

}  // namespace lirra::browser
