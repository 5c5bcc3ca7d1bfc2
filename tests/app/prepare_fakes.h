// Test doubles of the start-up preparation: a transcript of what the worker does, a
// recording PrepareUi with scripted answers and a user who may leave installers behind (over
// the real run link), and a scripted PC on the fake platform whose installers run for a while.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/prepare_ui.h"
#include "net/package_table.h"
#include "pc/installer_runner.h"
#include "platform/utf8.h"
#include "support/fake_platform.h"
#include "support/transcript.h"
#include "ui/run_link.h"

namespace lirra::test {

inline const std::wstring kIEValues = L"HKLM\\SOFTWARE\\Microsoft\\Internet Explorer\\\\";
inline const std::wstring kHidPluginKey =
    L"HKLM\\SOFTWARE\\Classes\\Wow6432Node\\Interface\\{D18F137A-0549-4868-B49D-4AF69278E7AC}\\ProxyStubClsid32";
inline const std::wstring kNjysPluginKey =
    L"HKLM\\SOFTWARE\\Classes\\Interface\\{2C4CE648-A725-4FC8-9F54-F3CB680A42BD}\\ProxyStubClsid32";
inline const std::wstring kOmnikeyX86 = L"C:\\Program Files (x86)\\HID Global\\OMNIKEY 3x2x";
inline const std::wstring kOmnikey = L"C:\\Program Files\\HID Global\\OMNIKEY 3x2x";

// regsvr32 as the worker starts it: from the system folder.
inline const std::wstring kRegsvr32 = std::wstring(L"C:\\Windows\\system32") + kPathSep + L"regsvr32.exe";

// How long an installer runs in test time unless a test says otherwise.
constexpr unsigned kInstallerRunMs = 2000;

// What the user does about a wait on an installer, as the loading window lets them.
enum class WaitMove {
  kLeave,        // leaves it as soon as the window lets them (tries at every look)
  kAnswerLater,  // asks once leaving is offered, and answers "离开" only after the wait ended
};

class RecordingUi : public PrepareUi {
 public:
  explicit RecordingUi(Transcript& log) : log_(log) {}
  std::deque<bool> answers;
  std::map<std::wstring, WaitMove> moves;  // by package
  int exitCode = -1;

  void WaitBegins(const std::wstring& package, const std::wstring& image) override {
    log_.Add("wait", package + L" " + image);
    link_.WaitBegins(package);
  }
  bool Left() override {
    const std::optional<ui::WaitView> wait = link_.CurrentWait();
    auto move = wait ? moves.find(wait->package) : moves.end();
    if (move != moves.end() && move->second == WaitMove::kLeave && link_.LeaveWait(wait->id)) {
      log_.Add("leave", wait->package + L" " + std::to_wstring(wait->seconds));
    }
    if (move != moves.end() && move->second == WaitMove::kAnswerLater && wait->leaveOffered && !asked_) {
      asked_ = wait->id;
      log_.Add("asked", wait->package + L" " + std::to_wstring(wait->seconds));
    }
    return link_.StopWaiting();
  }
  void WaitEnds() override {
    log_.Add(link_.StopWaiting() ? "left waiting" : "waited", L"");
    link_.WaitEnds();
    if (asked_) log_.Add(link_.LeaveWait(*asked_) ? "answer taken" : "answer refused", L"");
    asked_.reset();
  }

  void SetProgressText(const std::wstring& text) override { log_.Add("text", text); }
  void ShowProgress(int percent) override { log_.Add("progress", std::to_wstring(percent)); }
  bool AskTwoButtons(const std::wstring& title, const std::wstring& text, const std::wstring& confirmText,
                     const std::wstring& cancelText) override {
    return log_.Ask(answers, title + L"|" + text + L"|" + confirmText + L"|" + cancelText);
  }
  void Warn(const std::wstring& title, const std::wstring& text, const std::wstring& buttonText) override {
    log_.Add("warn", title + L"|" + text + L"|" + buttonText);
  }
  void Done() override { log_.Add("done", L""); }
  void ExitProcess(int code) override {
    log_.Add("exit", std::to_wstring(code));
    exitCode = code;
  }

 private:
  Transcript& log_;
  ui::RunLink link_;
  std::optional<unsigned> asked_;  // the wait an open question is about
};

// The PC: records launches, stops and pauses (the runner's polls of the process list show as
// the wait's lines instead), and lets installers change the registry. Each installer runs
// kInstallerRunMs unless runTimes says otherwise.
class ScriptedPc : public FakePlatform {
 public:
  explicit ScriptedPc(Transcript& log) : log_(log) {}
  const wchar_t* ieVersionAfterIe8 = nullptr;  // "Version" once the IE8 installer has run
  bool pluginRegistersOnRegsvr = false;
  std::set<std::wstring> folders;  // which OMNIKEY folders exist
  // How long regsvr32 runs when it removes CardX.ocx and when it registers it.
  unsigned unregisterRunMs = kInstallerRunMs;
  unsigned registerRunMs = kInstallerRunMs;

  bool StartServiceByName(const std::wstring& name) override {
    log_.Add("service", name);
    return FakePlatform::StartServiceByName(name);
  }
  bool KillProcess(std::uint32_t pid) override {
    for (const ProcessEntry& p : processes) {
      if (p.pid == pid) log_.Add("kill", std::to_wstring(pid) + L" " + p.imageName);
    }
    return FakePlatform::KillProcess(pid);
  }
  int ShellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory) override {
    log_.Add(IsHeld(file) ? "open held" : "open", parameters.empty() ? file : file + L" " + parameters);
    if (file == GetPackageTable().m_IE8.m_strLocalPath && ieVersionAfterIe8) {
      registryStrings[kIEValues + L"Version"] = ieVersionAfterIe8;
    }
    const bool unregistering = parameters.rfind(L"/u ", 0) == 0;
    if (file == kRegsvr32) {
      runTimes[ImageNameOf(file)] = unregistering ? unregisterRunMs : registerRunMs;
      if (!unregistering && pluginRegistersOnRegsvr) registryKeys.insert(kHidPluginKey);
    }
    runTimes.emplace(ImageNameOf(file), kInstallerRunMs);
    return FakePlatform::ShellOpen(file, parameters, directory);
  }
  int RunCommandLine(const std::string& commandLine) override {
    log_.Add("run", Utf8ToWide(commandLine));
    return FakePlatform::RunCommandLine(commandLine);
  }
  void SleepMs(unsigned ms) override {
    if (ms != kPollMs) log_.Add("sleep", std::to_wstring(ms));
    FakePlatform::SleepMs(ms);
  }
  static constexpr unsigned kPollMs = 50;
  bool IsDirectory(const std::wstring& path) override {
    if (path == kOmnikeyX86 || path == kOmnikey) return folders.count(path) != 0;
    return FakePlatform::IsDirectory(path);
  }

 private:
  Transcript& log_;
};

}  // namespace lirra::test
