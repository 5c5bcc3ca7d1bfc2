// Shows the browser window for the browser window tests, as lirra.exe does after its other
// windows: the window run modally on the main thread.
//   browser_host                exit code: the dialog result
#include <windows.h>

#include "browser/win32/mervo_web_brower.h"
#include "test_host.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  lirra::test::HostStart start;
  if (!start.Ok()) return 90;
  lirra::win::CMervoWebBrower browser;
  return static_cast<int>(browser.DoModal(nullptr));
}
