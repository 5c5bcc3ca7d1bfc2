// The floor for a shell of our kind, for scripts/bench-size.sh: a bare Win32 window hosting the
// WebBrowser control through atl.dll's AtlAxWin class (as the client does) and loading one
// page. Built with the client's toolchain and flags; never shipped.
#include <exdisp.h>
#include <ole2.h>
#include <windows.h>

#include <string>

#include "mingw/atl_exports.h"

namespace {

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE) {
    MoveWindow(GetWindow(hwnd, GW_CHILD), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show) {
  if (FAILED(OleInitialize(nullptr))) return 1;
  HMODULE atl = LoadLibraryW(L"atl.dll");
  auto init = atl ? reinterpret_cast<AtlAxWinInitFn>(GetProcAddress(atl, "AtlAxWinInit")) : nullptr;
  auto getControl = atl ? reinterpret_cast<AtlAxGetControlFn>(GetProcAddress(atl, "AtlAxGetControl")) : nullptr;
  if (!init || !getControl || !init()) return 2;

  WNDCLASSW frameClass = {};
  frameClass.lpfnWndProc = FrameProc;
  frameClass.hInstance = instance;
  frameClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  frameClass.lpszClassName = L"BareBrowserHost";
  RegisterClassW(&frameClass);
  HWND frame = CreateWindowW(L"BareBrowserHost", L"bare host", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 800,
                             600, nullptr, nullptr, instance, nullptr);
  HWND host = CreateWindowW(L"AtlAxWin", L"{8856F961-340A-11D0-A96B-00C04FD705A2}", WS_CHILD | WS_VISIBLE, 0, 0, 800,
                            600, frame, nullptr, instance, nullptr);
  IUnknown* control = nullptr;
  IWebBrowser2* browser = nullptr;
  if (host && SUCCEEDED(getControl(host, &control)) && control &&
      SUCCEEDED(control->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser)))) {
    const std::wstring url = commandLine && *commandLine ? commandLine : L"about:blank";
    BSTR address = SysAllocString(url.c_str());
    browser->Navigate(address, nullptr, nullptr, nullptr, nullptr);
    SysFreeString(address);
  }
  ShowWindow(frame, show);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (browser) browser->Release();
  if (control) control->Release();
  OleUninitialize();
  return 0;
}
