// lirra.exe: the merchant client.
#include <windows.h>

#include "app/win32/application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  lirra::win::CmervoDrviceManageApp app;
  app.InitInstance();
  return 0;
}
