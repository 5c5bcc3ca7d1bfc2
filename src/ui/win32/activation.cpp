#include "ui/win32/activation.h"

namespace lirra::win {

UINT ActivateClientMessage() {
  static const UINT message = RegisterWindowMessageW(L"Lirra.Activate");
  return message;
}

void BringForward(HWND window) {
  if (!IsWindow(window)) return;
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  HWND front = GetLastActivePopup(window);
  if (!front || !IsWindowVisible(front)) front = window;
  // Allowed because the second start, which is in the foreground, let us take it.
  SetForegroundWindow(front);
}

}  // namespace lirra::win
