#include "drivers/install_wait.h"

namespace lirra::drivers {

namespace {

std::wstring TwoDigits(unsigned long value) { return (value < 10 ? L"0" : L"") + std::to_wstring(value); }

}  // namespace

std::wstring WaitDurationText(unsigned long seconds) {
  const unsigned long hours = seconds / 3600;
  const unsigned long minutes = seconds / 60 % 60;
  const unsigned long rest = seconds % 60;
  if (hours > 0) return std::to_wstring(hours) + L"小时" + TwoDigits(minutes) + L"分" + TwoDigits(rest) + L"秒";
  if (minutes > 0) return std::to_wstring(minutes) + L"分" + TwoDigits(rest) + L"秒";
  return std::to_wstring(rest) + L"秒";
}

std::wstring InstallerWaitText(const std::wstring& vendorLabel, const std::wstring& imageName, unsigned long seconds) {
  return L"正在等待" + imageName + L"（" + vendorLabel + L"）结束，已等待" + WaitDurationText(seconds);
}

std::wstring LeaveRunQuestion(const std::wstring& vendorLabel) {
  if (vendorLabel.empty()) return L"驱动安装尚未完成，离开后不记录正在安装的驱动。\r\n是否离开？";
  return vendorLabel + L"的安装程序尚未结束，离开后它会继续运行，\r\n但不记录" + vendorLabel +
         L"的安装结果。是否离开？";
}

}  // namespace lirra::drivers
