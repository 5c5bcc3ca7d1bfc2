// Helpers for tests that drive a window host in a separate process: start and end it, find its
// dialogs, read texts with bounded waits, signal its scripted steps and keep screenshots in the
// build tree (tests/win32/screenshots).
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <commctrl.h>
// after windows.h
#include <tlhelp32.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/scoped.h"
#include "resource.h"
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
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &info))
      return;
    process_.Reset(info.hProcess);
    CloseHandle(info.hThread);
    pid_ = info.dwProcessId;
    threadId_ = info.dwThreadId;
  }
  ~WindowHost() {
    if (!Started() || WaitForSingleObject(process_.Get(), 0) != WAIT_TIMEOUT) return;
    TerminateProcess(process_.Get(), 99);
    WaitForSingleObject(process_.Get(), 10000);
  }
  WindowHost(const WindowHost&) = delete;
  WindowHost& operator=(const WindowHost&) = delete;

  bool Started() const { return process_.Valid(); }
  DWORD Pid() const { return pid_; }
  DWORD ThreadId() const { return threadId_; }

  // The exit code, or -1 when the process is still running after `ms`.
  long WaitExit(DWORD ms) {
    if (WaitForSingleObject(process_.Get(), ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.Get(), &code);
    return static_cast<long>(code);
  }

  // Any visible dialog of the host, waiting up to `ms`.
  HWND FindDialog(DWORD ms) const { return Find({pid_, kAnyChild, nullptr, nullptr}, ms); }
  // A visible dialog of the host that has a control `childId`, waiting up to `ms`.
  HWND FindDialogWith(int childId, DWORD ms) const { return Find({pid_, childId, nullptr, nullptr}, ms); }
  // A visible dialog of the host other than `except` (one it opened over it), waiting up to `ms`.
  HWND FindDialogOtherThan(HWND except, DWORD ms) const { return Find({pid_, kAnyChild, except, nullptr}, ms); }

 private:
  static constexpr int kAnyChild = -1;
  struct Search {
    DWORD pid;
    int childId;
    HWND except;
    HWND found;
  };
  static HWND Find(Search search, DWORD ms) {
    for (DWORD waited = 0;; waited += 50) {
      EnumWindows(&WindowHost::Visit, reinterpret_cast<LPARAM>(&search));
      if (search.found || waited >= ms) return search.found;
      Sleep(50);
    }
  }
  static BOOL CALLBACK Visit(HWND hwnd, LPARAM argument) {
    auto* search = reinterpret_cast<Search*>(argument);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (pid == search->pid && hwnd != search->except && IsWindowVisible(hwnd) && std::wstring(cls) == L"#32770" &&
        (search->childId == kAnyChild || GetDlgItem(hwnd, search->childId))) {
      search->found = hwnd;
      return FALSE;
    }
    return TRUE;
  }

  win::ScopedHandle process_;
  DWORD pid_ = 0;
  DWORD threadId_ = 0;
};

// The product version in a program's version resource, read as Explorer reads it.
// Processes of this image name, ended when `end` is set.
inline int Processes(const wchar_t* image, bool end) {
  win::ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.Valid()) return 0;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  int count = 0;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
    if (lstrcmpiW(entry.szExeFile, image) != 0) continue;
    ++count;
    if (!end) continue;
    win::ScopedHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
    if (process) TerminateProcess(process.Get(), 1);
  }
  return count;
}

inline std::wstring ProductVersionOf(const std::wstring& program) {
  DWORD ignored = 0;
  std::vector<char> data(GetFileVersionInfoSizeW(program.c_str(), &ignored));
  if (data.empty() || !GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(data.size()), data.data()))
    return L"<no version resource>";
  // The string table the resource names first (the client's is 0804/04B0; NSIS picks its own).
  WORD* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
      !translation || length < 2 * sizeof(WORD))
    return L"<no translation>";
  wchar_t path[64];
  swprintf(path, 64, L"\\StringFileInfo\\%04x%04x\\ProductVersion", translation[0], translation[1]);
  wchar_t* text = nullptr;
  if (!VerQueryValueW(data.data(), path, reinterpret_cast<void**>(&text), &length) || !text)
    return L"<no product version>";
  return text;
}

// Polls `done` every 50 ms for up to `ms`; its last answer.
inline bool WaitUntil(const std::function<bool()>& done, DWORD ms) {
  for (DWORD waited = 0; waited < ms; waited += 50) {
    if (done()) return true;
    Sleep(50);
  }
  return done();
}

inline std::wstring TextOf(HWND hwnd) {
  wchar_t text[512] = {};
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

// Sends a message and takes the answer within 5 s; -1 when the window did not answer.
inline LRESULT SendBounded(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) return -1;
  return static_cast<LRESULT>(result);
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

// The seconds at the end of a wait line ("...已等待1分05秒": 65); -1 when it says no wait.
inline int WaitedSeconds(const std::wstring& line) {
  const std::wstring mark = L"已等待";
  const size_t at = line.rfind(mark);
  if (at == std::wstring::npos) return -1;
  int seconds = 0;
  int number = 0;
  for (wchar_t c : line.substr(at + mark.size())) {
    if (c >= L'0' && c <= L'9') {
      number = number * 10 + (c - L'0');
    } else {
      seconds = seconds * 60 + number;
      number = 0;
    }
  }
  return seconds;
}

// Polls until the wait line has counted past `seconds` (a refresh of the window's own timer, so
// everything posted to the window before it has been handled) or `ms` pass; its last text.
inline std::wstring WaitForWaitPast(HWND line, int seconds, DWORD ms) {
  std::wstring text = TextOf(line);
  for (DWORD waited = 0; WaitedSeconds(text) <= seconds && waited < ms; waited += 50) {
    Sleep(50);
    text = TextOf(line);
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

// The window that a thread has given the keyboard focus, else `fallback`.
inline HWND FocusOf(DWORD threadId, HWND fallback) {
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof(gui);
  return GetGUIThreadInfo(threadId, &gui) && gui.hwndFocus ? gui.hwndFocus : fallback;
}

// Gives a button of the host the focus, as a click does: from then on the dialog keys reach
// its window.
inline bool FocusByClick(HWND button, DWORD threadId) {
  PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  return WaitUntil([&] { return FocusOf(threadId, nullptr) == button; }, 5000);
}

// Esc, and Alt+F4 with the Alt context bit, as the keyboard sends them to the focused window.
inline void PressEsc(DWORD threadId, HWND fallback) {
  PostMessageW(FocusOf(threadId, fallback), WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageW(FocusOf(threadId, fallback), WM_KEYUP, VK_ESCAPE, 0xC0000001);
}
inline void PressAltF4(DWORD threadId, HWND fallback) {
  PostMessageW(FocusOf(threadId, fallback), WM_SYSKEYDOWN, VK_F4, 0x20000001);
  PostMessageW(FocusOf(threadId, fallback), WM_SYSKEYUP, VK_F4, 0xE0000001);
}

// A download's progress under a window's text: the percentage, and the bar visible at it.
inline void ExpectProgressShown(HWND window, int percent) {
  HWND bar = GetDlgItem(window, IDC_PROGRESS_BAR);
  HWND line = GetDlgItem(window, IDC_PROGRESS_TEXT);
  ASSERT_NE(nullptr, bar);
  ASSERT_NE(nullptr, line);
  const std::wstring shown = std::to_wstring(percent) + L"%";
  EXPECT_EQ(shown, WaitForText(line, shown, 10000));
  EXPECT_TRUE(IsWindowVisible(bar));
  EXPECT_EQ(percent, SendMessageW(bar, PBM_GETPOS, 0, 0));
}

// Named events that let a host's scripted steps go on; the events exist before the host
// waits on them, so no signal is lost.
class StepSignals {
 public:
  explicit StepSignals(const std::wstring& prefix) : token_(prefix + std::to_wstring(GetCurrentProcessId())) {}
  StepSignals(const StepSignals&) = delete;
  StepSignals& operator=(const StepSignals&) = delete;
  const std::wstring& Token() const { return token_; }
  void Signal(int step) {
    win::ScopedHandle event(CreateEventW(nullptr, FALSE, FALSE, (token_ + L"-" + std::to_wstring(step)).c_str()));
    ASSERT_TRUE(event);
    SetEvent(event.Get());
    // Kept open until the test ends, so the signal waits for a host that opens the event later.
    events_.push_back(std::move(event));
  }

 private:
  std::wstring token_;
  std::vector<win::ScopedHandle> events_;
};

// What the screen shows in the window's area, copied into a bitmap; its size in `size`.
inline win::ScopedBitmap CaptureScreenArea(HWND hwnd, SIZE& size) {
  RECT rc;
  GetWindowRect(hwnd, &rc);
  size = {rc.right - rc.left, rc.bottom - rc.top};
  win::ScopedWindowDc screen(nullptr);
  win::ScopedMemoryDc memory(screen.Get());
  win::ScopedBitmap bitmap(CreateCompatibleBitmap(screen.Get(), size.cx, size.cy));
  win::ScopedSelect select(memory.Get(), bitmap.Get());
  BitBlt(memory.Get(), 0, 0, size.cx, size.cy, screen.Get(), rc.left, rc.top, SRCCOPY);
  return bitmap;
}

// The 32-bit pixels of the window's area on the screen, top row first.
inline std::vector<BYTE> ScreenPixels(HWND hwnd) {
  SIZE size = {};
  win::ScopedBitmap bitmap = CaptureScreenArea(hwnd, size);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  std::vector<BYTE> pixels(static_cast<size_t>(size.cx) * size.cy * 4);
  win::ScopedWindowDc screen(nullptr);
  GetDIBits(screen.Get(), bitmap.Get(), 0, size.cy, pixels.data(), &info, DIB_RGB_COLORS);
  return pixels;
}

// GDI+'s PNG encoder (all zeros when there is none).
inline CLSID PngEncoder() {
  CLSID png = {};
  UINT count = 0;
  UINT bytes = 0;
  Gdiplus::GetImageEncodersSize(&count, &bytes);
  std::vector<BYTE> buffer(bytes);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  Gdiplus::GetImageEncoders(count, bytes, encoders);
  for (UINT i = 0; i < count; ++i)
    if (std::wstring(encoders[i].MimeType) == L"image/png") png = encoders[i].Clsid;
  return png;
}

// Saves the screen area of the window as a PNG in the build tree.
inline void SaveScreenshot(HWND hwnd, const std::wstring& name) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(700);  // let the window's own thread finish painting
  SIZE size = {};
  win::ScopedBitmap bitmap = CaptureScreenArea(hwnd, size);
  const std::wstring folder = EnvWinePath("LIRRA_BINARY_DIR", L"\\tests\\win32\\screenshots");
  CreateDirectoryW(folder.c_str(), nullptr);
  Gdiplus::Bitmap picture(bitmap.Get(), nullptr);
  const CLSID png = PngEncoder();
  EXPECT_EQ(Gdiplus::Ok, picture.Save((folder + L"\\" + name + L".png").c_str(), &png, nullptr)) << "screenshot";
}

}  // namespace lirra::test
