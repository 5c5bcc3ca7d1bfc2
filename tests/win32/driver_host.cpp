// Shows the driver manager or the About box for the window tests. The driver manager's runs are
// scripted: a run reports the selection it sees and a download at 60 %, then, at the driver's
// signals, waits for a stand-in installer, asks a conflict question, and ends. HID and SDSS
// count as installed. A run the user left behind goes on at the same signals, and checks that
// it is told so and that its calls show nothing any more.
//   driver_host manager startup|browser <token>   exit code: the dialog result (50 for the end
//                                                  of the client), plus 100 when config.ini
//                                                  was saved, plus 1000 when a run was left
//                                                  and behaved as left
//   driver_host about <token>                      exit code: the dialog result
#include <windows.h>

#include <atomic>
#include <string>

#include "drivers/install_ui.h"
#include "drivers/install_worker.h"
#include "drivers/win32/driver_manager_dlg.h"
#include "pc/run_flags.h"
#include "pc/system_probe.h"
#include "test_host.h"
#include "ui/win32/about_dlg.h"

namespace {

using lirra::test::WaitForStep;

std::wstring g_token;
std::atomic<int> g_runs{0};
std::atomic<int> g_running{0};
std::atomic<bool> g_leftRunBehaved{false};

// Run n waits for steps 10n+1 (the installer), 10n+2 (the question) and 10n+3 (the end).
unsigned __stdcall ScriptedRun(void* argument) {
  auto* ui = static_cast<lirra::InstallUi*>(argument);
  ++g_running;
  const int base = 10 * ++g_runs;
  std::wstring seen;
  for (lirra::Vendor v :
       {lirra::Vendor::kHID, lirra::Vendor::kYSB, lirra::Vendor::kNJYS, lirra::Vendor::kWHJL, lirra::Vendor::kSDSS}) {
    if (ui->IsSelected(v)) seen += lirra::VendorOf(v).label + std::wstring(L" ");
  }
  ui->SetStatusText(seen + (ui->IsReinstall() ? L"重装" : L"安装"));
  ui->ShowProgress(60);
  if (WaitForStep(g_token, base + 1)) ui->WaitBegins(L"武汉精伦", L"jinglun.exe");
  if (WaitForStep(g_token, base + 2)) {
    ui->WaitEnds();
    const bool confirmed =
        ui->AskTwoButtons(L"安装提醒", L"南京亿数和山东神思在部分机型上会冲突，\r\n继续安装？", L"安装", L"取消");
    ui->SetStatusText(confirmed ? L"confirmed" : L"cancelled");
  }
  WaitForStep(g_token, base + 3);
  if (ui->HasLeft()) {
    // Left behind: nothing is selected any more, and questions answer no without a box.
    const bool nothingSelected = !ui->IsSelected(lirra::Vendor::kHID) && !ui->IsSelected(lirra::Vendor::kWHJL);
    ui->SetStatusText(L"after leaving");
    ui->ShowProgress(70);
    g_leftRunBehaved = nothingSelected && !ui->AskTwoButtons(L"安装提醒", L"after leaving", L"安装", L"取消");
  }
  ui->RunEnded();
  --g_running;
  return 0;
}

std::wstring ConfigPath() { return lirra::CSystemProbe::GetModuleDir() + L"\\config.ini"; }

int RunManager(const std::wstring& mode) {
  DeleteFileW(ConfigPath().c_str());
  lirra::CRunFlags& flags = lirra::CRunFlags::GetInstance();
  flags.m_bHID = true;
  flags.m_bSDSS = true;
  INT_PTR result = 0;
  {
    lirra::win::CmervoDrviceManageDlg manager(&ScriptedRun);
    manager.m_bFromStartup = mode == L"startup";
    result = manager.DoModal(nullptr);
  }
  const bool saved = GetFileAttributesW(ConfigPath().c_str()) != INVALID_FILE_ATTRIBUTES;
  DeleteFileW(ConfigPath().c_str());
  // A run left behind goes on after its dialog is gone, at the driver's signals.
  for (int waited = 0; g_running > 0 && waited < 30000; waited += 50) Sleep(50);
  return (result == lirra::win::kResultEndClient ? 50 : static_cast<int>(result)) + (saved ? 100 : 0) +
         (g_leftRunBehaved ? 1000 : 0);
}

int RunAbout() {
  lirra::win::CAboutDlg about;
  return static_cast<int>(about.DoModal(nullptr));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  lirra::test::HostStart start;
  if (!start.Ok() || start.ArgumentCount() < 2) return 90;
  const std::wstring what = start.Argument(0);
  const std::wstring detail = start.Argument(1);
  g_token = start.Argument(2);
  if (what == L"manager") return RunManager(detail);
  if (what == L"about") return RunAbout();
  return 91;
}
