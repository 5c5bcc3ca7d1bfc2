#include "drivers/installer_steps.h"

#include <utility>

#include "pc/ie_helper.h"
#include "pc/run_flags.h"
#include "pc/system_probe.h"
#include "platform/platform.h"
#include "store/driver_state.h"
#include "store/support_log.h"

namespace lirra {

namespace {

constexpr wchar_t kRegistrationTool[] = L"regsvr32.exe";
constexpr wchar_t kPluginFile[] = L"CardX.ocx";
constexpr wchar_t kTextRemovingPlugin[] = L"正在清除HID插件，如出错请用管理员权限运行...";
constexpr wchar_t kTextRegisteringPlugin[] = L"正在注册HID插件，如出错请用管理员权限运行";

}  // namespace

namespace {

// The run with the program's file name in the support log, which the windows never show.
template <typename Installer>
bool TracedWait(InstallerWatch& watch, const std::wstring& package, const std::wstring& file, Installer installer,
                const std::wstring& parameters) {
  const std::string image = OS().WideToAnsi(ImageNameOf(file));
  SupportTrace("wait for %s (%s)\n", image.c_str(), OS().WideToAnsi(package).c_str());
  const bool ended = RunWatched(watch, package, std::move(installer), parameters);
  if (!ended) SupportTrace("left %s running\n", image.c_str());
  return ended;
}

}  // namespace

bool WaitForInstaller(InstallerWatch& watch, const std::wstring& package, const std::wstring& file,
                      const std::wstring& parameters) {
  return TracedWait(watch, package, file, file, parameters);
}

bool WaitForInstaller(InstallerWatch& watch, const std::wstring& package, HeldFilePtr installer,
                      const std::wstring& parameters) {
  if (!installer) return true;
  const std::wstring file = installer->Path();
  return TracedWait(watch, package, file, std::move(installer), parameters);
}

CardXResult RegisterCardX(InstallerWatch& watch, const std::function<void(const std::wstring&)>& show, bool record) {
  // By its full path: a bare name would be looked for in the working folder first.
  const std::wstring systemFolder = OS().SystemDirectory();
  if (systemFolder.empty()) return CardXResult::kNotRegistered;
  const std::wstring tool = systemFolder + kPathSep + kRegistrationTool;
  const std::wstring quotedPath = L"\"" + CSystemProbe::GetModuleDir() + kPathSep + kPluginFile + L"\"";

  show(kTextRemovingPlugin);
  if (!WaitForInstaller(watch, kPackageCardX, tool, L"/u " + quotedPath)) return CardXResult::kLeft;
  show(kTextRegisteringPlugin);
  if (!WaitForInstaller(watch, kPackageCardX, tool, quotedPath)) return CardXResult::kLeft;

  if (!CIEHelper::IsHidPluginRegistered()) return CardXResult::kNotRegistered;
  if (record && !watch.Left()) {
    CRunFlags& flags = CRunFlags::GetInstance();
    flags.m_bHID = true;
    SaveDriverState(flags);
  }
  return CardXResult::kRegistered;
}

}  // namespace lirra
