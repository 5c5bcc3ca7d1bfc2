#include "ui/run_link.h"

#include "platform/platform.h"

namespace lirra::ui {

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

std::wstring InstallerWaitText(const std::wstring& package, unsigned long seconds) {
  return L"正在等待" + package + L"安装程序结束，已等待" + WaitDurationText(seconds);
}

std::wstring LeaveQuestion(const std::wstring& package) {
  if (package.empty()) return L"驱动安装尚未完成，离开后不记录正在安装的驱动。\r\n是否离开？";
  return package + L"的安装程序尚未结束，离开后它会继续运行，\r\n但不记录" + package + L"的安装结果。是否离开？";
}

void RunLink::WaitBegins(const std::wstring& package) {
  const std::uint64_t now = OS().TickMs();
  std::lock_guard<std::mutex> lock(mutex_);
  ++lastId_;
  waiting_ = true;
  package_ = package;
  startMs_ = now;
  waitLeft_ = false;
}

bool RunLink::StopWaiting() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return runLeft_ || (waiting_ && waitLeft_);
}

void RunLink::WaitEnds() {
  std::lock_guard<std::mutex> lock(mutex_);
  waiting_ = false;
  waitLeft_ = false;
  package_.clear();
}

bool RunLink::HasLeft() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return runLeft_;
}

std::optional<WaitView> RunLink::CurrentWait() const {
  const std::uint64_t now = OS().TickMs();
  std::lock_guard<std::mutex> lock(mutex_);
  if (!waiting_) return std::nullopt;
  const unsigned long seconds = static_cast<unsigned long>((now - startMs_) / 1000);
  return WaitView{lastId_, package_, seconds, seconds >= kLeaveOfferSeconds};
}

bool RunLink::LeaveWait(unsigned id) {
  const std::uint64_t now = OS().TickMs();
  std::lock_guard<std::mutex> lock(mutex_);
  if (!waiting_ || id != lastId_ || now - startMs_ < kLeaveOfferSeconds * 1000) return false;
  waitLeft_ = true;
  return true;
}

void RunLink::LeaveRun() {
  std::lock_guard<std::mutex> lock(mutex_);
  runLeft_ = true;
}

}  // namespace lirra::ui
