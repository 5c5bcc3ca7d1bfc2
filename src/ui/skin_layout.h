// Sizes, positions, fonts and picture files of the skinned windows.
#pragma once

#include <vector>

namespace lirra::ui {

// The screen resolution every pixel size here is drawn for (ui/dpi_scale.h scales them).
inline constexpr int kDesignDpi = 96;

struct Size {
  int cx = 0;
  int cy = 0;
  bool operator==(const Size& o) const { return cx == o.cx && cy == o.cy; }
};

struct Rect {
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
  bool operator==(const Rect& o) const { return x == o.x && y == o.y && cx == o.cx && cy == o.cy; }
};

// Message box: template in dialog units, window in pixels.
inline constexpr Size kMessageBoxTemplate{251, 145};
inline constexpr Size kMessageBoxWindow{418, 258};

// Close buttons sit this far from the right edge and the top.
inline constexpr int kMessageBoxCloseRight = 49;
inline constexpr int kCloseTop = 8;
inline constexpr Size kCloseButton{39, 39};

// The message box's icon, below the accent edge and above the title.
inline constexpr Size kMessageBoxIcon{32, 32};
inline constexpr int kMessageBoxIconTop = 7;

// Button labels of the message box.
inline constexpr int kMessageBoxLabelX = 28;
inline constexpr int kMessageBoxLabelY = 7;
inline constexpr int kMessageBoxLabelSize = 14;

// The client's name, as its windows and tray icon show it.
inline constexpr wchar_t kAppTitle[] = L"Lirra·商户";

// Font faces: the skin's texts and the driver manager's button labels.
inline constexpr wchar_t kSkinFontFace[] = L"微软雅黑";
inline constexpr wchar_t kLabelFontFace[] = L"宋体";
// Fonts in tenths of a point.
inline constexpr int kTitleFontTenths = 130;
inline constexpr int kMessageFontTenths = 95;
inline constexpr int kLoadingFontTenths = 100;

struct ControlPlace {
  int id = 0;
  Rect rect;
};

// The message box's controls in pixels: the template's layout stretched to the window, so the
// controls keep their proportions whatever the dialog font's metrics are. The close button is
// placed at (window width - 49, 8), both lengths scaled to `dpi`.
std::vector<ControlPlace> MessageBoxPlaces(Size window, int dpi = kDesignDpi);

// The message box's icon (a question or a warning), 32 pixels square at 96 DPI, centred above
// the title.
Rect MessageBoxIconPlace(Size window, int dpi = kDesignDpi);

// The About box in pixels at 96 DPI: as tall as its heading, icon and version line need, each
// centred across it, the close button in the corner. The icon keeps its own size and is
// centred on its place.
inline constexpr Size kAboutWindow{284, 168};
inline constexpr int kAboutCloseRight = 47;
struct AboutLayout {
  Rect heading;
  Rect icon;
  Rect version;
  Rect close;
};
AboutLayout AboutPlaces(int dpi = kDesignDpi);

// A window of `size` centred on `owner` (its owner window, or the work area when it has none),
// then moved as little as needed to lie inside `work`: an owner near a screen edge never pushes
// the window off the screen.
Rect CentredOn(const Rect& owner, Size size, const Rect& work);

// A rectangle in template units stretched from `templ` to `window`.
Rect StretchTemplateRect(const Rect& units, Size templ, Size window);

}  // namespace lirra::ui
