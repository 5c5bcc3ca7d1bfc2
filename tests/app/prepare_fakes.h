// Test doubles of the start-up preparation: a transcript of what the worker does, a
// recording PrepareUi with scripted answers, and a scripted PC on the fake platform.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <string>
#include <vector>

#include "app/prepare_ui.h"
#include "net/package_table.h"
#include "platform/utf8.h"
#include "support/fake_platform.h"
#include "support/transcript.h"

namespace lirra::test {

inline const std::wstring kIEValues = L"HKLM\\SOFTWARE\\Microsoft\\Internet Explorer\\\\";
inline const std::wstring kHidPluginKey =
    L"HKLM\\SOFTWARE\\Classes\\Wow6432Node\\Interface\\{D18F137A-0549-4868-B49D-4AF69278E7AC}\\ProxyStubClsid32";
inline const std::wstring kNjysPluginKey =
    L"HKLM\\SOFTWARE\\Classes\\Interface\\{2C4CE648-A725-4FC8-9F54-F3CB680A42BD}\\ProxyStubClsid32";
inline const std::wstring kOmnikeyX86 = L"C:\\Program Files (x86)\\HID Global\\OMNIKEY 3x2x";
inline const std::wstring kOmnikey = L"C:\\Program Files\\HID Global\\OMNIKEY 3x2x";

class RecordingUi : public PrepareUi {
 public:
  explicit RecordingUi(Transcript& log) : log_(log) {}
  std::deque<bool> answers;
  int exitCode = -1;

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
};

// The PC: records launches, stops and pauses, and lets installers change the registry.
class ScriptedPc : public FakePlatform {
 public:
  explicit ScriptedPc(Transcript& log) : log_(log) {}
  const wchar_t* ieVersionAfterIe8 = nullptr;  // "Version" once the IE8 installer has run
  bool pluginRegistersOnRegsvr = false;
  std::set<std::wstring> folders;  // which OMNIKEY folders exist

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
    if (file == L"regsvr32.exe" && parameters.rfind(L"/u ", 0) != 0 && pluginRegistersOnRegsvr) {
      registryKeys.insert(kHidPluginKey);
    }
    return FakePlatform::ShellOpen(file, parameters, directory);
  }
  int RunCommandLine(const std::string& commandLine) override {
    log_.Add("run", Utf8ToWide(commandLine));
    return FakePlatform::RunCommandLine(commandLine);
  }
  void SleepMs(unsigned ms) override {
    log_.Add("sleep", std::to_wstring(ms));
    FakePlatform::SleepMs(ms);
  }
  bool IsDirectory(const std::wstring& path) override {
    if (path == kOmnikeyX86 || path == kOmnikey) return folders.count(path) != 0;
    return FakePlatform::IsDirectory(path);
  }

 private:
  Transcript& log_;
};

}  // namespace lirra::test
