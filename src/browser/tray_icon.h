// What a notification of the browser window's tray icon asks for.
#pragma once

namespace lirra::browser {

inline constexpr int kTrayIconId = 128;

// kNotOurs: another icon's notification (answered 1); kIgnore: a mouse message we don't use.
enum class TrayAction { kNotOurs, kIgnore, kRestore, kShowMenu };

// What a tray notification for `iconId` with mouse message `mouseMessage` asks for.
TrayAction TrayActionFor(unsigned iconId, unsigned mouseMessage);

}  // namespace lirra::browser
