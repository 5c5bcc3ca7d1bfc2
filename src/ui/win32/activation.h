// How a second start of the client brings the first one forward: it broadcasts a registered
// message, and each of the client's windows (loading window, driver manager, browser window)
// answers by coming to the front, out of the tray if it sits there.
#pragma once

#include <windows.h>

namespace lirra::win {

// RegisterWindowMessage("Lirra.Activate"): the same number in every process of the session.
UINT ActivateClientMessage();

// Restores `window` if it is minimised and gives the foreground to it, or to the box it waits
// on (its last active pop-up).
void BringForward(HWND window);

}  // namespace lirra::win
