// lirra.exe: the merchant client.
#include <windows.h>

#include "app/win32/application.h"
#include "app/win32/single_instance.h"
#include "platform/win32/system_folder.h"
#include "store/support_log.h"
#include "store/win32/crash_writer.h"
#include "ui/win32/worker_thread.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything loads a DLL by name.
  lirra::win::RestrictDllSearch();
  lirra::win::CSingleInstance instance;
  if (!instance.IsFirst()) {
    lirra::win::CSingleInstance::ActivateRunningClient();
    return 0;
  }
  // A folder that can't be written leaves the client without its log, nothing more.
  lirra::OpenSupportLog();
  lirra::win::InstallCrashReports();
  int exitCode = 0;
  {
    lirra::win::CmervoDrviceManageApp app;
    app.InitInstance();
    exitCode = app.ExitCode();
  }
  // An install run left behind on an installer that never ends may still be waiting; the
  // process ends here without it and without running static destructors under its feet.
  if (lirra::win::CWorkerThread::AbandonedStillRunning()) ExitProcess(static_cast<UINT>(exitCode));
  return exitCode;
}
