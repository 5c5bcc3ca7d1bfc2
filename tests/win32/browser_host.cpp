// Shows the browser window for the browser window tests, as lirra.exe does after its other
// windows: GDI+ and OLE started, the window run modally on the main thread.
//   browser_host                exit code: the dialog result
#include <ole2.h>
#include <windows.h>

#include "browser/win32/mervo_web_brower.h"
#include "ui/win32/gdi.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  lirra::win::GdiplusSession gdiplus;
  if (FAILED(OleInitialize(nullptr))) return 90;
  INT_PTR result = 0;
  {
    lirra::win::CMervoWebBrower browser;
    result = browser.DoModal(nullptr);
  }
  OleUninitialize();
  return static_cast<int>(result);
}
