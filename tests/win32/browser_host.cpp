// Shows the browser window for the browser window tests, as lirra.exe does after its other
// windows: GDI+ and OLE started, the window run modally on the main thread.
//   browser_host                              exit code: the dialog result
//   browser_host tray-refuses-first           a tray that refuses the first icon (a taskbar not
//                                             ready yet)
//   browser_host double-click-report <file>   starts from a double-click time of 500 ms and
//                                             writes "<before> <after the first show> <after
//                                             the window>" to the file
#include <ole2.h>
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "browser/win32/mervo_web_brower.h"
#include "ui/win32/gdi.h"

namespace {

constexpr UINT kUsersDoubleClickMs = 500;

class TestWindow : public lirra::win::CMervoWebBrower {
 public:
  bool m_bRefuseFirstIcon = false;
  UINT m_uShownDoubleClickTime = 0;

 protected:
  BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data) override {
    if (message == NIM_ADD && m_bRefuseFirstIcon) {
      m_bRefuseFirstIcon = false;
      return FALSE;
    }
    return CMervoWebBrower::NotifyIcon(message, data);
  }
  void OnShowWindow(bool show) override {
    CMervoWebBrower::OnShowWindow(show);
    if (show && !m_uShownDoubleClickTime) m_uShownDoubleClickTime = GetDoubleClickTime();
  }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const std::wstring what = argv && argc > 1 ? argv[1] : L"";
  const std::wstring report = argv && argc > 2 ? argv[2] : L"";
  if (argv) LocalFree(argv);

  lirra::win::GdiplusSession gdiplus;
  if (FAILED(OleInitialize(nullptr))) return 90;
  INT_PTR result = 0;
  UINT before = 0;
  UINT shown = 0;
  {
    TestWindow browser;
    browser.m_bRefuseFirstIcon = what == L"tray-refuses-first";
    if (what == L"double-click-report") SetDoubleClickTime(kUsersDoubleClickMs);
    before = GetDoubleClickTime();
    result = browser.DoModal(nullptr);
    shown = browser.m_uShownDoubleClickTime;
  }
  if (!report.empty()) {
    FILE* out = _wfopen(report.c_str(), L"w");
    if (!out) return 91;
    std::fprintf(out, "%u %u %u", before, shown, GetDoubleClickTime());
    std::fclose(out);
  }
  OleUninitialize();
  return static_cast<int>(result);
}
