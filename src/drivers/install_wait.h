// What the driver manager says while a run waits for an installer, and the one question it asks
// before the user leaves a run that is still in progress.
#pragma once

#include <string>

namespace lirra::drivers {

// How long, as the line under the status line says it: "8秒", "1分05秒", "2小时03分09秒".
std::wstring WaitDurationText(unsigned long seconds);

// "正在等待jinglun.exe（武汉精伦）结束，已等待1分05秒".
std::wstring InstallerWaitText(const std::wstring& vendorLabel, const std::wstring& imageName, unsigned long seconds);

// The question before leaving a run in progress; `vendorLabel` names the vendor whose installer
// is being waited for, or is empty when the run waits for nothing (a download, a question).
std::wstring LeaveRunQuestion(const std::wstring& vendorLabel);

inline constexpr wchar_t kLeaveRunTitle[] = L"安装提醒";
inline constexpr wchar_t kLeaveRunConfirm[] = L"离开";
inline constexpr wchar_t kLeaveRunCancel[] = L"取消";

}  // namespace lirra::drivers
