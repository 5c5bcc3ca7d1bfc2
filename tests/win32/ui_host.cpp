// Shows the client's windows for the window tests: the message box in either mode, or the
// loading window with a scripted worker that moves on when the driver signals it: a text, a
// download's progress, a question ("退出" on it asks for the end of the client with code 5),
// the last text, a wait on an installer and its end, the close message.
//   ui_host msgbox one|two           exit code: 100 if confirmed, plus the dialog result
//   ui_host loading <token>          exit code: the dialog result, or 100 plus the exit code
//                                    when the window ended the client
#include <windows.h>

#include <string>

#include "app/prepare_ui.h"
#include "app/win32/loading.h"
#include "test_host.h"
#include "ui/win32/my_message_box.h"

namespace {

using lirra::test::WaitForStep;

std::wstring g_token;

unsigned __stdcall ScriptedWorker(void* argument) {
  auto* ui = static_cast<lirra::PrepareUi*>(argument);
  if (WaitForStep(g_token, 1)) ui->SetProgressText(L"正在检查系统环境，请稍候...");
  if (WaitForStep(g_token, 2)) ui->ShowProgress(45);
  if (WaitForStep(g_token, 3) &&
      !ui->AskTwoButtons(L"警告提醒", L"检测到当前版本IE版本较低，请到官网更新", L"更新", L"退出")) {
    ui->ExitProcess(5);
    return 0;
  }
  if (WaitForStep(g_token, 4)) ui->SetProgressText(L"初始化完成，正在启动系统，请稍候...");
  if (WaitForStep(g_token, 6)) ui->WaitBegins(L"HID驱动", L"W732.exe");
  if (WaitForStep(g_token, 7)) ui->WaitEnds();
  WaitForStep(g_token, 5);
  ui->Done();
  return 0;
}

int RunMessageBox(const std::wstring& mode) {
  lirra::win::CMyMessageBox box;
  if (mode == L"one")
    box.SetOneButton(L"警告", L"安装HID失败，请尝试用管理员身份运行", L"确认");
  else
    box.SetTwoButtons(L"更新提醒", L"检测到当前版本需要更新，是否要更新？", L"更新", L"更新", L"取消");
  const INT_PTR result = box.DoModal(nullptr);
  return (box.m_bConfirmed ? 100 : 0) + static_cast<int>(result);
}

int RunLoading() {
  lirra::win::CLoading loading(&ScriptedWorker);
  const INT_PTR result = loading.DoModal(nullptr);
  return result == lirra::win::kResultEndClient ? 100 + loading.ExitCode() : static_cast<int>(result);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  lirra::test::HostStart start;
  if (!start.Ok() || start.ArgumentCount() < 2) return 90;
  const std::wstring what = start.Argument(0);
  const std::wstring detail = start.Argument(1);
  if (what == L"msgbox") return RunMessageBox(detail);
  if (what == L"loading") {
    g_token = detail;
    return RunLoading();
  }
  return 91;
}
