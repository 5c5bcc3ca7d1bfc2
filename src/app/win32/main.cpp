// lirra.exe: the merchant client.
#include <windows.h>

#include "app/win32/application.h"
#include "store/support_log.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // A folder that can't be written leaves the client without its log, nothing more.
  lirra::OpenSupportLog();
  lirra::win::CmervoDrviceManageApp app;
  app.InitInstance();
  return 0;
}
