#include "app/win32/application.h"

#include <windows.h>
// after windows.h
#include <commctrl.h>

#include "app/prepare_worker.h"
#include "app/win32/loading.h"
#include "app/win32/single_instance.h"
#include "browser/win32/mervo_web_brower.h"
#include "drivers/win32/driver_manager_dlg.h"
#include "pc/run_flags.h"
#include "platform/win32/scoped.h"
#include "ui/skin_files.h"
#include "ui/skin_layout.h"

namespace lirra::win {

namespace {

// Registers the client with the restart manager where Windows has one (Vista and later; looked
// up at run time, so XP starts as before): restarted after a crash, a hang or an update that
// had to close it.
void RegisterForRestart() {
  using RegisterProc = HRESULT(WINAPI*)(PCWSTR commandLine, DWORD flags);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto registerRestart = kernel ? reinterpret_cast<RegisterProc>(
                                      reinterpret_cast<void*>(GetProcAddress(kernel, "RegisterApplicationRestart")))
                                : nullptr;
  // No command line (the client takes none); no flags: every kind of restart.
  if (registerRestart) registerRestart(nullptr, 0);
}

}  // namespace

CmervoDrviceManageApp::CmervoDrviceManageApp() = default;
CmervoDrviceManageApp::~CmervoDrviceManageApp() = default;

bool CmervoDrviceManageApp::InitInstance() {
  m_gdiplus = std::make_unique<GdiplusSession>();

  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  m_ole = std::make_unique<ScopedOleInit>();
  RegisterForRestart();
  StartWinsock();

  // A window that ends with kResultEndClient ends the client: the later windows don't run.
  {
    CLoading loading(&PrepareThreadProc);
    if (loading.DoModal(nullptr) == kResultEndClient) {
      m_nExitCode = loading.ExitCode();
      return false;
    }
  }
  CmervoDrviceManageDlg driverManager;
  CMervoWebBrower browser;
  if (CRunFlags::GetInstance().m_bOfferDriverSetup && driverManager.DoModal(nullptr) == kResultEndClient) return false;
  browser.DoModal(nullptr);
  return false;
}

void CmervoDrviceManageApp::StartWinsock() {
  m_winsock = std::make_unique<ScopedWinsock>(MAKEWORD(2, 0));
  if (!m_winsock->Ok()) {
    // The version is only known when the start succeeded.
    MessageBoxW(nullptr, L"无法装载网络库.", ui::kAppTitle, MB_OK);
    return;
  }
  if (m_winsock->MajorVersion() != 2) {
    MessageBoxW(nullptr, L"无法找到合适的网络库.", ui::kAppTitle, MB_OK);
    m_winsock->Cleanup();
  }
}

}  // namespace lirra::win
