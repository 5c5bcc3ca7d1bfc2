// The tie between a window and the worker thread it started (the loading window's
// preparation, the driver manager's install run), its rules for leaving an installer behind,
// and the words both windows say about it.
//
// The worker tells the link when a wait on an installer begins and ends, and asks it while it
// waits whether to stop. The window shows the wait from CurrentWait and may leave it: the
// loading window one wait at a time, once that wait has lasted kLeaveOfferSeconds (the
// preparation then goes on); the driver manager the whole run, whenever the user goes. The
// installer is never ended. What a left wait installed is not recorded, and once the run is
// left the worker reports and records nothing more. Safe to use from both threads; nothing is
// called under the lock, so the window's thread never waits for its worker.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace lirra::ui {

// How long a wait lasts before the loading window offers to leave it.
inline constexpr unsigned long kLeaveOfferSeconds = 60;

inline constexpr wchar_t kInstallReminderTitle[] = L"安装提醒";
inline constexpr wchar_t kLeaveText[] = L"离开";
inline constexpr wchar_t kCancelText[] = L"取消";

// How long, as the wait line says it: "8秒", "1分05秒", "2小时03分09秒".
std::wstring WaitDurationText(unsigned long seconds);

// The wait line: "正在等待山东神思安装程序结束，已等待11秒".
std::wstring InstallerWaitText(const std::wstring& package, unsigned long seconds);

// The question before leaving; `package` names the installer being waited for, or is empty
// when the run waits for nothing (a download, a question).
std::wstring LeaveQuestion(const std::wstring& package);

// The wait in progress, as the window shows it.
struct WaitView {
  unsigned id = 0;
  std::wstring package;
  unsigned long seconds = 0;
  bool leaveOffered = false;  // lasted kLeaveOfferSeconds
};

class RunLink {
 public:
  // The worker's side.
  void WaitBegins(const std::wstring& package);
  // True once the wait in progress or the whole run was left.
  bool StopWaiting() const;
  void WaitEnds();
  // True once the window left the run: the worker's later reports reach no window and it
  // records nothing more.
  bool HasLeft() const;

  // The window's side.
  std::optional<WaitView> CurrentWait() const;
  // Leaves wait `id` while it is still in progress and has lasted kLeaveOfferSeconds; false
  // otherwise (it ended meanwhile, another began, or it is younger).
  bool LeaveWait(unsigned id);
  // Leaves the run: the wait in progress and every later one stop at once.
  void LeaveRun();

 private:
  mutable std::mutex mutex_;
  unsigned lastId_ = 0;
  bool waiting_ = false;
  std::wstring package_;
  std::uint64_t startMs_ = 0;
  bool waitLeft_ = false;
  bool runLeft_ = false;
};

}  // namespace lirra::ui
