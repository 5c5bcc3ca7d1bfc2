// Helpers for tests that drive a window host in a separate process: start and end it, find its
// dialogs, read texts with bounded waits, signal its scripted steps and keep screenshots in the
// build tree (tests/win32/screenshots).
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ui/win32/gdi.h"

namespace lirra::test {

// A Unix path from the test environment as Wine sees it.
inline std::wstring EnvWinePath(const char* variable, const std::wstring& tail = L"") {
  const char* value = std::getenv(variable);
  if (!value) return L"";
  std::wstring path = L"Z:";
  for (const char* p = value; *p; ++p) path += (*p == '/') ? L'\\' : static_cast<wchar_t>(*p);
  return path + tail;
}

// A program beside the running test.
inline std::wstring BesideTest(const std::wstring& name) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

// The host process, ended if the test leaves it running.
class WindowHost {
 public:
  WindowHost(const std::wstring& program, const std::wstring& arguments, const std::wstring& folder) {
    std::wstring command = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    started_ = CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                              &info_) != FALSE;
  }
  ~WindowHost() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  WindowHost(const WindowHost&) = delete;
  WindowHost& operator=(const WindowHost&) = delete;

  bool Started() const { return started_; }
  DWORD Pid() const { return info_.dwProcessId; }
  DWORD ThreadId() const { return info_.dwThreadId; }

  // The exit code, or -1 when the process is still running after `ms`.
  long WaitExit(DWORD ms) {
    if (WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
  }

  // Any visible dialog of the host, waiting up to `ms`.
  HWND FindDialog(DWORD ms) const { return FindDialogWith(kAnyChild, ms); }

  // A visible dialog of the host that has a control `childId`, waiting up to `ms`.
  HWND FindDialogWith(int childId, DWORD ms) const {
    for (DWORD waited = 0; waited < ms; waited += 50) {
      Search search = {Pid(), childId, nullptr};
      EnumWindows(&WindowHost::Visit, reinterpret_cast<LPARAM>(&search));
      if (search.found) return search.found;
      Sleep(50);
    }
    return nullptr;
  }

 private:
  static constexpr int kAnyChild = -1;
  struct Search {
    DWORD pid;
    int childId;
    HWND found;
  };
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM argument) {
    auto* search = reinterpret_cast<Search*>(argument);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (pid == search->pid && IsWindowVisible(hwnd) && std::wstring(cls) == L"#32770" &&
        (search->childId == kAnyChild || GetDlgItem(hwnd, search->childId))) {
      search->found = hwnd;
      return FALSE;
    }
    return TRUE;
  }

  PROCESS_INFORMATION info_ = {};
  bool started_ = false;
};

inline std::wstring TextOf(HWND hwnd) {
  wchar_t text[512] = {};
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

// Polls until the control shows `expected` or `ms` pass; returns what it showed last.
inline std::wstring WaitForText(HWND hwnd, const std::wstring& expected, DWORD ms) {
  std::wstring text = TextOf(hwnd);
  for (DWORD waited = 0; text != expected && waited < ms; waited += 50) {
    Sleep(50);
    text = TextOf(hwnd);
  }
  return text;
}

// Polls until the control is enabled (or disabled) or `ms` pass; returns its last state.
inline bool WaitForEnabled(HWND hwnd, bool enabled, DWORD ms) {
  for (DWORD waited = 0; (IsWindowEnabled(hwnd) != FALSE) != enabled && waited < ms; waited += 50) Sleep(50);
  return IsWindowEnabled(hwnd) != FALSE;
}

// A child's rectangle in its dialog's client coordinates.
inline RECT RectInDialog(HWND dialog, HWND child) {
  RECT rc;
  GetWindowRect(child, &rc);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

// Named events that let a host's scripted steps go on; the events exist before the host
// waits on them, so no signal is lost.
class StepSignals {
 public:
  explicit StepSignals(const std::wstring& prefix) : token_(prefix + std::to_wstring(GetCurrentProcessId())) {}
  ~StepSignals() {
    for (HANDLE event : events_) CloseHandle(event);
  }
  StepSignals(const StepSignals&) = delete;
  StepSignals& operator=(const StepSignals&) = delete;
  const std::wstring& Token() const { return token_; }
  void Signal(int step) {
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, (token_ + L"-" + std::to_wstring(step)).c_str());
    ASSERT_NE(nullptr, event);
    SetEvent(event);
    events_.push_back(event);
  }

 private:
  std::wstring token_;
  std::vector<HANDLE> events_;
};

// Saves the screen area of the window as a PNG in the build tree.
inline void SaveScreenshot(HWND hwnd, const std::wstring& name) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(700);  // let the window's own thread finish painting
  RECT rc;
  GetWindowRect(hwnd, &rc);
  const int width = rc.right - rc.left;
  const int height = rc.bottom - rc.top;
  win::ScopedWindowDc screen(nullptr);
  win::ScopedMemoryDc memory(screen.Get());
  win::ScopedBitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
  {
    win::ScopedSelect select(memory.Get(), bitmap.Get());
    BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rc.left, rc.top, SRCCOPY);
  }
  const std::wstring folder = EnvWinePath("LIRRA_BINARY_DIR", L"\\tests\\win32\\screenshots");
  CreateDirectoryW(folder.c_str(), nullptr);
  Gdiplus::Bitmap picture(bitmap.Get(), nullptr);
  CLSID png = {};
  UINT count = 0;
  UINT bytes = 0;
  Gdiplus::GetImageEncodersSize(&count, &bytes);
  std::vector<BYTE> buffer(bytes);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  Gdiplus::GetImageEncoders(count, bytes, encoders);
  for (UINT i = 0; i < count; ++i)
    if (std::wstring(encoders[i].MimeType) == L"image/png") png = encoders[i].Clsid;
  EXPECT_EQ(Gdiplus::Ok, picture.Save((folder + L"\\" + name + L".png").c_str(), &png, nullptr)) << "screenshot";
}

}  // namespace lirra::test
