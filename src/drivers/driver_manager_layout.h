// Where the driver manager's controls sit in its 578 x 338 window, and its button labels.
#pragma once

#include <vector>

#include "drivers/install_ui.h"
#include "ui/skin_files.h"
#include "ui/skin_layout.h"

namespace lirra::drivers {

inline constexpr ui::Size kDriverManagerWindow{578, 338};
// The close button keeps this distance from the right edge of the client area.
inline constexpr int kDriverManagerCloseRight = 47;

// Labels: vendor names in 10-point "宋体", the bottom buttons' in 12-point white.
inline constexpr int kVendorLabelSize = 10;
inline constexpr int kBottomLabelSize = 12;
inline constexpr int kLabelY = 7;
inline constexpr int kBottomLabelX = 32;

// How a vendor button looks: an installed vendor (locked, "重装" redoes it), a vendor ticked
// for the next run, or neither; each at a glance different, in the skin's one accent.
enum class VendorState { kNotSelected, kSelected, kInstalled };

struct VendorLook {
  ui::ButtonPictures pictures;
  unsigned labelRgb;  // 0xRRGGBB
};

VendorState VendorStateOf(bool installed, bool selected);
VendorLook VendorLookOf(VendorState state);

// Every control of dialog 102 in client pixels for a client area of this size: the heading,
// the five vendor buttons in two rows, the status line, the three bottom buttons centred in
// the footer, and the close button in the top right corner. Sizes and gaps are those of the
// 96-DPI skin scaled to `dpi` (the client area is the caller's, already scaled).
std::vector<ui::ControlPlace> DriverManagerPlaces(ui::Size client, int dpi = ui::kDesignDpi);

}  // namespace lirra::drivers
