// The start every window host (ui_host, driver_host, browser_host) shares: the libraries the
// client starts before its windows, the host's arguments, and the wait for the driving test's
// next step (see StepSignals in window_driver.h).
#pragma once

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/win32/scoped.h"
#include "ui/win32/gdi.h"

namespace lirra::test {

// GDI+ and OLE, as the application starts them, for the host's life. The common controls are
// left out: no window shown here uses them, and loading comctl32 through the client's manifest
// (which names the x86 assembly) fails in the 64-bit build.
class HostStart {
 public:
  HostStart() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return;
    // argv[0] is the host itself.
    for (int i = 1; i < argc; ++i) arguments_.push_back(argv[i]);
    LocalFree(argv);
  }
  HostStart(const HostStart&) = delete;
  HostStart& operator=(const HostStart&) = delete;

  bool Ok() const { return gdiplus_.Ok() && ole_.Ok(); }
  size_t ArgumentCount() const { return arguments_.size(); }
  // The n-th argument after the program's name; empty when there are fewer.
  std::wstring Argument(size_t n) const { return n < arguments_.size() ? arguments_[n] : std::wstring(); }

 private:
  win::GdiplusSession gdiplus_;
  win::ScopedOleInit ole_;
  std::vector<std::wstring> arguments_;
};

// Waits (bounded) for the test's go-ahead for step `step` of the run named `token`.
inline bool WaitForStep(const std::wstring& token, int step) {
  const std::wstring name = token + L"-" + std::to_wstring(step);
  win::ScopedHandle event(CreateEventW(nullptr, FALSE, FALSE, name.c_str()));
  return event && WaitForSingleObject(event.Get(), 30000) == WAIT_OBJECT_0;
}

}  // namespace lirra::test
