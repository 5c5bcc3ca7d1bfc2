#include "browser/tray_icon.h"

namespace lirra::browser {

namespace {
// Mouse messages as the tray reports them.
constexpr unsigned kLeftDoubleClick = 0x0203;
constexpr unsigned kRightButtonUp = 0x0205;
}  // namespace

TrayAction TrayActionFor(unsigned iconId, unsigned mouseMessage) {
  if (iconId != static_cast<unsigned>(kTrayIconId)) return TrayAction::kNotOurs;
  if (mouseMessage == kLeftDoubleClick) return TrayAction::kRestore;
  if (mouseMessage == kRightButtonUp) return TrayAction::kShowMenu;
  return TrayAction::kIgnore;
}

}  // namespace lirra::browser
