// Shows the browser window for the browser window tests, as lirra.exe does after its other
// windows: the window run modally on the main thread.
//   browser_host                              exit code: the dialog result
//   browser_host tray-refuses-first           a tray that refuses the first icon (a taskbar not
//                                             ready yet)
//   browser_host double-click-report <file>   starts from a double-click time of 500 ms and
//                                             writes "<before> <after the first show> <after
//                                             the window>" to the file
//   browser_host navigation-report <file>     adds a line to the file (UTF-8) for each of the
//                                             window's own navigations: our page, a retry
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "browser/win32/mervo_web_brower.h"
#include "platform/utf8.h"
#include "test_host.h"

namespace {

constexpr UINT kUsersDoubleClickMs = 500;

class TestWindow : public lirra::win::CMervoWebBrower {
 public:
  bool m_bRefuseFirstIcon = false;
  UINT m_uShownDoubleClickTime = 0;
  std::wstring m_strNavigationReport;

 protected:
  BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data) override {
    if (message == NIM_ADD && m_bRefuseFirstIcon) {
      m_bRefuseFirstIcon = false;
      return FALSE;
    }
    return CMervoWebBrower::NotifyIcon(message, data);
  }
  void NavigateOwnPage(const std::wstring& url) override {
    if (FILE* out = m_strNavigationReport.empty() ? nullptr : _wfopen(m_strNavigationReport.c_str(), L"ab")) {
      std::fprintf(out, "%s\n", lirra::WideToUtf8(url).c_str());
      std::fclose(out);
    }
    CMervoWebBrower::NavigateOwnPage(url);
  }
  void OnShowWindow(bool show) override {
    CMervoWebBrower::OnShowWindow(show);
    if (show && !m_uShownDoubleClickTime) m_uShownDoubleClickTime = GetDoubleClickTime();
  }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  lirra::test::HostStart start;
  if (!start.Ok()) return 90;
  const std::wstring what = start.Argument(0);
  const std::wstring report = start.Argument(1);
  INT_PTR result = 0;
  UINT before = 0;
  UINT shown = 0;
  {
    TestWindow browser;
    browser.m_bRefuseFirstIcon = what == L"tray-refuses-first";
    if (what == L"navigation-report") browser.m_strNavigationReport = report;
    if (what == L"double-click-report") SetDoubleClickTime(kUsersDoubleClickMs);
    before = GetDoubleClickTime();
    result = browser.DoModal(nullptr);
    shown = browser.m_uShownDoubleClickTime;
  }
  if (what == L"double-click-report") {
    FILE* out = _wfopen(report.c_str(), L"w");
    if (!out) return 91;
    std::fprintf(out, "%u %u %u", before, shown, GetDoubleClickTime());
    std::fclose(out);
  }
  return static_cast<int>(result);
}
