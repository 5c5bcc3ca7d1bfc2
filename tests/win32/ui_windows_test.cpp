// Drives the client's windows in a separate process (ui_host.exe): finds them, reads their
// texts, sends them the messages a user's clicks and keys produce, checks the answers and keeps
// screenshots in the build tree (tests/win32/screenshots).
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/win32/loading_prepare_ui.h"
#include "resource.h"
#include "store/driver_state.h"
#include "ui/run_link.h"
#include "ui/win32/gdi.h"
#include "win32_test_util.h"
#include "window_driver.h"

namespace {

using lirra::test::BesideTest;
using lirra::test::EnvWinePath;
using lirra::test::ExpectProgressShown;
using lirra::test::Processes;
using lirra::test::RectInDialog;
using lirra::test::SaveScreenshot;
using lirra::test::StepSignals;
using lirra::test::TextOf;
using lirra::test::WaitedSeconds;
using lirra::test::WaitForText;
using lirra::test::WaitForWaitPast;

// ui_host.exe started in the source folder (where res/ lies), or another program.
class Host : public lirra::test::WindowHost {
 public:
  explicit Host(const std::wstring& arguments)
      : WindowHost(BesideTest(L"ui_host.exe"), arguments, EnvWinePath("LIRRA_SOURCE_DIR")) {}
  using WindowHost::WindowHost;
};

class WindowTest : public testing::Test {
 protected:
  lirra::win::GdiplusSession gdiplus_;
};

// How the user ends a message box.
enum class Answer { kConfirm, kCancel, kSingle, kCloseButton, kEnter, kEsc };

void Give(const Host& host, HWND box, Answer answer) {
  switch (answer) {
    case Answer::kConfirm:
      PostMessageW(GetDlgItem(box, IDC_MSGBOX_CONFIRM), BM_CLICK, 0, 0);
      break;
    case Answer::kCancel:
      PostMessageW(GetDlgItem(box, IDC_MSGBOX_CANCEL), BM_CLICK, 0, 0);
      break;
    case Answer::kSingle:
      PostMessageW(GetDlgItem(box, IDC_MSGBOX_SINGLE), BM_CLICK, 0, 0);
      break;
    case Answer::kCloseButton:
      PostMessageW(GetDlgItem(box, IDC_MSGBOX_CLOSE), BM_CLICK, 0, 0);
      break;
    case Answer::kEnter:
    case Answer::kEsc: {
      // Keys go to the control that has the focus, through the dialog's own message loop.
      GUITHREADINFO gui = {};
      gui.cbSize = sizeof(gui);
      HWND target = GetGUIThreadInfo(host.ThreadId(), &gui) && gui.hwndFocus ? gui.hwndFocus : box;
      const WPARAM key = answer == Answer::kEnter ? VK_RETURN : VK_ESCAPE;
      PostMessageW(target, WM_KEYDOWN, key, 1);
      PostMessageW(target, WM_KEYUP, key, 0xC0000001);
      break;
    }
  }
}

struct MessageBoxCase {
  const char* name;
  bool oneButton;
  Answer answer;
  long exitCode;  // 100 when confirmed, plus the dialog result (IDOK 1, IDCANCEL 2)
};

class MessageBoxAnswers : public WindowTest, public testing::WithParamInterface<MessageBoxCase> {};

TEST_P(MessageBoxAnswers, OnlyTheConfirmButtonConfirms) {
  const MessageBoxCase& c = GetParam();
  Host host(c.oneButton ? L"msgbox one" : L"msgbox two");
  ASSERT_TRUE(host.Started());
  HWND box = host.FindDialog(20000);
  ASSERT_NE(nullptr, box) << "message box did not appear";
  ASSERT_FALSE(WaitForText(GetDlgItem(box, IDC_MSGBOX_TITLE), c.oneButton ? L"警告" : L"更新提醒", 5000).empty());
  Give(host, box, c.answer);
  EXPECT_EQ(c.exitCode, host.WaitExit(10000));
}

INSTANTIATE_TEST_SUITE_P(Modes, MessageBoxAnswers,
                         testing::Values(MessageBoxCase{"two_confirm", false, Answer::kConfirm, 101},
                                         MessageBoxCase{"two_cancel", false, Answer::kCancel, 1},
                                         MessageBoxCase{"two_close_button", false, Answer::kCloseButton, 1},
                                         MessageBoxCase{"two_enter", false, Answer::kEnter, 1},
                                         MessageBoxCase{"two_esc", false, Answer::kEsc, 2},
                                         MessageBoxCase{"one_single", true, Answer::kSingle, 1},
                                         MessageBoxCase{"one_enter", true, Answer::kEnter, 1},
                                         MessageBoxCase{"one_esc", true, Answer::kEsc, 2}),
                         [](const testing::TestParamInfo<MessageBoxCase>& info) {
                           return std::string(info.param.name);
                         });

struct LookCase {
  const char* name;
  bool oneButton;
  const wchar_t* title;
  const wchar_t* text;
};

class MessageBoxLook : public WindowTest, public testing::WithParamInterface<LookCase> {};

TEST_P(MessageBoxLook, ShapeTextsAndButtons) {
  const LookCase& c = GetParam();
  Host host(c.oneButton ? L"msgbox one" : L"msgbox two");
  ASSERT_TRUE(host.Started());
  HWND box = host.FindDialog(20000);
  ASSERT_NE(nullptr, box);
  EXPECT_EQ(c.title, WaitForText(GetDlgItem(box, IDC_MSGBOX_TITLE), c.title, 5000));
  EXPECT_EQ(c.text, TextOf(GetDlgItem(box, IDC_MSGBOX_TEXT)));

  RECT window;
  GetWindowRect(box, &window);
  EXPECT_EQ(418, window.right - window.left);
  EXPECT_EQ(258, window.bottom - window.top);

  // The corners are cut by the key colour; the middle belongs to the window.
  lirra::win::ScopedRegion region(CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(ERROR, GetWindowRgn(box, region.Get()));
  EXPECT_FALSE(PtInRegion(region.Get(), 0, 0));
  EXPECT_FALSE(PtInRegion(region.Get(), 417, 257));
  EXPECT_TRUE(PtInRegion(region.Get(), 209, 129));
  EXPECT_TRUE(PtInRegion(region.Get(), 12, 0));

  const bool two = !c.oneButton;
  EXPECT_EQ(c.oneButton, IsWindowVisible(GetDlgItem(box, IDC_MSGBOX_SINGLE)) != FALSE);
  EXPECT_EQ(two, IsWindowVisible(GetDlgItem(box, IDC_MSGBOX_CONFIRM)) != FALSE);
  EXPECT_EQ(two, IsWindowVisible(GetDlgItem(box, IDC_MSGBOX_CANCEL)) != FALSE);
  EXPECT_EQ(two, IsWindowVisible(GetDlgItem(box, IDC_MSGBOX_CLOSE)) != FALSE);

  // Buttons take their pictures' sizes; the close button keeps 49 px from the right edge.
  const RECT confirm = RectInDialog(box, GetDlgItem(box, c.oneButton ? IDC_MSGBOX_SINGLE : IDC_MSGBOX_CONFIRM));
  EXPECT_EQ(110, confirm.right - confirm.left);
  EXPECT_EQ(34, confirm.bottom - confirm.top);
  RECT client;
  GetClientRect(box, &client);
  const RECT close = RectInDialog(box, GetDlgItem(box, IDC_MSGBOX_CLOSE));
  EXPECT_EQ(client.right - 49, close.left);
  EXPECT_EQ(8, close.top);
  EXPECT_EQ(39, close.right - close.left);

  // Pressing on the free surface drags the window.
  POINT free = {window.left + 30, window.top + 60};
  EXPECT_EQ(HTCAPTION, SendMessageW(box, WM_NCHITTEST, 0, MAKELPARAM(free.x, free.y)));

  SaveScreenshot(box, c.oneButton ? L"message-box-one-button" : L"message-box-two-buttons");
  if (two) {
    // The pointer over the close and confirm buttons shows their hover pictures.
    for (int id : {IDC_MSGBOX_CLOSE, IDC_MSGBOX_CONFIRM}) {
      HWND button = GetDlgItem(box, id);
      SendMessageTimeoutW(button, WM_SETCURSOR, reinterpret_cast<WPARAM>(button), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE),
                          SMTO_ABORTIFHUNG, 5000, nullptr);
    }
    SaveScreenshot(box, L"message-box-two-buttons-hover");
  }
  PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
  EXPECT_NE(-1, host.WaitExit(10000));
}

INSTANTIATE_TEST_SUITE_P(Modes, MessageBoxLook,
                         testing::Values(LookCase{"one", true, L"警告", L"安装HID失败，请尝试用管理员身份运行"},
                                         LookCase{"two", false, L"更新提醒", L"检测到当前版本需要更新，是否要更新？"}),
                         [](const testing::TestParamInfo<LookCase>& info) { return std::string(info.param.name); });

// Without its pictures the box still works: buttons shrink to nothing, the window stays square.
TEST_F(WindowTest, MessageBoxWithoutSkinPicturesStillAnswers) {
  Host host(BesideTest(L"ui_host.exe"), L"msgbox two", EnvWinePath("LIRRA_BINARY_DIR"));
  ASSERT_TRUE(host.Started());
  HWND box = host.FindDialog(20000);
  ASSERT_NE(nullptr, box);
  EXPECT_EQ(L"更新提醒", WaitForText(GetDlgItem(box, IDC_MSGBOX_TITLE), L"更新提醒", 5000));
  RECT confirm;
  GetWindowRect(GetDlgItem(box, IDC_MSGBOX_CONFIRM), &confirm);
  EXPECT_EQ(0, confirm.right - confirm.left);
  EXPECT_EQ(0, confirm.bottom - confirm.top);
  lirra::win::ScopedRegion region(CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(ERROR, GetWindowRgn(box, region.Get()));
  Give(host, box, Answer::kEsc);
  EXPECT_EQ(2, host.WaitExit(10000));
}

class LoadingWindow : public WindowTest {
 protected:
  StepSignals signals_{L"lirra-ui-test-"};
};

// Esc, Enter, Alt+F4 and the close request, as the keyboard and the window manager send them.
void TryEveryWayOut(HWND loading) {
  HWND text = GetWindow(loading, GW_CHILD);
  PostMessageW(text, WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageW(text, WM_KEYDOWN, VK_RETURN, 1);
  PostMessageW(loading, WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageW(loading, WM_CLOSE, 0, 0);
}

TEST_F(LoadingWindow, ShowsTheWorkersTextsStaysOpenUntilDoneAndCloses) {
  // The events exist before the host waits on them, so no signal is lost.
  Host host(L"loading " + signals_.Token());
  ASSERT_TRUE(host.Started());
  HWND loading = host.FindDialog(20000);
  ASSERT_NE(nullptr, loading) << "loading window did not appear";
  HWND text = GetWindow(loading, GW_CHILD);
  ASSERT_NE(nullptr, text);
  EXPECT_EQ(L"正在初始化Lirra·商户系统，请耐心等待...", TextOf(text));
  EXPECT_EQ(L"Lirra·商户", TextOf(loading));

  // The text lets the mouse through, and the panel answers as a caption: it drags from anywhere.
  RECT panel;
  GetWindowRect(text, &panel);
  const LPARAM middle = MAKELPARAM((panel.left + panel.right) / 2, (panel.top + panel.bottom) / 2);
  EXPECT_EQ(HTTRANSPARENT, static_cast<LONG>(SendMessageW(text, WM_NCHITTEST, 0, middle)));
  EXPECT_EQ(HTCAPTION, SendMessageW(loading, WM_NCHITTEST, 0, middle));
  GetWindowRect(loading, &panel);
  EXPECT_EQ(HTCAPTION, SendMessageW(loading, WM_NCHITTEST, 0, MAKELPARAM(panel.left + 2, panel.top + 2)));
  SaveScreenshot(loading, L"loading-window");

  signals_.Signal(1);
  EXPECT_EQ(L"正在检查系统环境，请稍候...", WaitForText(text, L"正在检查系统环境，请稍候...", 10000));

  // Esc, Enter, Alt+F4 and the close request leave it open while the worker runs. A progress
  // message posted after them is the marker: once it shows, they have all been handled.
  TryEveryWayOut(loading);
  PostMessageW(loading, lirra::win::WM_LOADING_PROGRESS, 7, 0);
  EXPECT_EQ(L"7%", WaitForText(GetDlgItem(loading, IDC_PROGRESS_TEXT), L"7%", 10000));
  EXPECT_EQ(-1, host.WaitExit(0));
  EXPECT_TRUE(IsWindowVisible(loading));
  EXPECT_EQ(nullptr, host.FindDialogOtherThan(loading, 0)) << "a way out asked a question";

  // A download: a thin bar and the percentage under the text, which stays as it was.
  signals_.Signal(2);
  ExpectProgressShown(loading, 45);
  HWND bar = GetDlgItem(loading, IDC_PROGRESS_BAR);
  HWND percent = GetDlgItem(loading, IDC_PROGRESS_TEXT);
  EXPECT_EQ(L"正在检查系统环境，请稍候...", TextOf(text));
  const RECT line = RectInDialog(loading, bar);
  RECT client;
  GetClientRect(loading, &client);
  EXPECT_LE(line.bottom - line.top, 8) << "a thin bar";
  EXPECT_LE(RectInDialog(loading, percent).bottom, client.bottom) << "the percentage lies inside the panel";
  SaveScreenshot(loading, L"loading-window-progress");

  // The worker's question is owned by the loading window, so it can't sink behind it.
  signals_.Signal(3);
  HWND box = host.FindDialogWith(IDC_MSGBOX_TITLE, 20000);
  ASSERT_NE(nullptr, box) << "the worker's question did not appear";
  EXPECT_EQ(loading, GetWindow(box, GW_OWNER));
  PostMessageW(GetDlgItem(box, IDC_MSGBOX_CONFIRM), BM_CLICK, 0, 0);

  signals_.Signal(4);
  EXPECT_EQ(L"初始化完成，正在启动系统，请稍候...", WaitForText(text, L"初始化完成，正在启动系统，请稍候...", 10000));
  EXPECT_FALSE(IsWindowVisible(bar)) << "the bar belongs to the text of the download";
  SaveScreenshot(loading, L"loading-window-last-step");

  // A wait on an installer: the line under the text names the package and counts the seconds;
  // the text stays. Before a minute has passed no way out does anything and no button shows.
  signals_.Signal(6);
  HWND waitLine = GetDlgItem(loading, IDC_PROGRESS_TEXT);
  const std::wstring waiting = L"正在等待HID驱动安装程序结束，已等待";
  EXPECT_EQ(waiting + L"1秒", WaitForText(waitLine, waiting + L"1秒", 10000));
  EXPECT_EQ(L"初始化完成，正在启动系统，请稍候...", TextOf(text));
  TryEveryWayOut(loading);
  EXPECT_EQ(waiting + L"2秒", WaitForWaitPast(waitLine, 1, 5000));
  EXPECT_EQ(-1, host.WaitExit(0));
  EXPECT_EQ(nullptr, host.FindDialogOtherThan(loading, 0)) << "a way out asked before a minute";
  HWND skip = GetDlgItem(loading, IDC_LOADING_SKIP);
  ASSERT_NE(nullptr, skip);
  EXPECT_FALSE(IsWindowVisible(skip));
  SaveScreenshot(loading, L"loading-window-waiting");
  signals_.Signal(7);
  for (int waited = 0; IsWindowVisible(waitLine) && waited < 10000; waited += 50) Sleep(50);
  EXPECT_FALSE(IsWindowVisible(waitLine)) << "the wait line goes with the wait";

  signals_.Signal(5);
  EXPECT_EQ(IDOK, host.WaitExit(10000));
}

// "退出" on a worker's question ends the client through the window's own thread: the loading
// window closes with the end-of-client result and the code the worker asked for.
TEST_F(LoadingWindow, ExitFromAQuestionEndsTheClientThroughTheWindow) {
  Host host(L"loading " + signals_.Token());
  ASSERT_TRUE(host.Started());
  HWND loading = host.FindDialog(20000);
  ASSERT_NE(nullptr, loading);
  signals_.Signal(1);
  signals_.Signal(2);
  signals_.Signal(3);
  HWND box = host.FindDialogWith(IDC_MSGBOX_TITLE, 20000);
  ASSERT_NE(nullptr, box);
  EXPECT_EQ(loading, GetWindow(box, GW_OWNER));
  PostMessageW(GetDlgItem(box, IDC_MSGBOX_CANCEL), BM_CLICK, 0, 0);
  EXPECT_EQ(105, host.WaitExit(10000));
}

std::string FileBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The progress texts of a start in the order the loading window shows them.
const std::vector<std::wstring> kProgressTexts = {
    L"正在初始化Lirra·商户系统，请耐心等待...",
    L"正在检查系统环境，请稍候...",
    L"正在检查版本更新情况...",
    L"正在检查版本已经OK...",
    L"正在下载HID必备驱动...",
    L"正在安装HID驱动【温馨提示：如果杀毒软件或360拦截安装，请允许】",
    L"正在清除HID插件，如出错请用管理员权限运行...",
    L"正在注册HID插件，如出错请用管理员权限运行",
    L"初始化完成，正在启动系统，请稍候...",
};

// lirra.exe in a shop folder without file.ini, served by the shop server; first-start.sh sets
// it up with a config.ini that records no HID driver.
TEST(FirstStart, LoadingWindowRunsThePreparationAndCloses) {
  const std::wstring shop = EnvWinePath("LIRRA_SHOP_DIR");
  if (shop.empty()) GTEST_SKIP() << "needs the shop folder and server of first-start.sh";

  // With the plug-in already registered, no warning can stop the road.
  Host regsvr(L"C:\\windows\\system32\\regsvr32.exe", L"/s \"" + shop + L"\\CardX.ocx\"", shop);
  ASSERT_TRUE(regsvr.Started());
  ASSERT_EQ(0, regsvr.WaitExit(60000));

  Host client(shop + L"\\lirra.exe", L"", shop);
  ASSERT_TRUE(client.Started());
  HWND loading = client.FindDialog(30000);
  ASSERT_NE(nullptr, loading) << "loading window did not appear";
  HWND text = GetWindow(loading, GW_CHILD);

  std::vector<std::wstring> seen;
  HWND warning = nullptr;
  long exitCode = -1;
  for (DWORD waited = 0; exitCode == -1 && waited < 120000; waited += 20) {
    const std::wstring shown = IsWindow(text) ? TextOf(text) : L"";
    if (!shown.empty() && (seen.empty() || seen.back() != shown)) seen.push_back(shown);
    // Any second window of the client while the loading window stands is a warning box.
    if (!warning && IsWindowVisible(loading)) warning = client.FindDialogOtherThan(loading, 0);
    exitCode = client.WaitExit(20);
    if (!IsWindow(loading)) break;
  }
  EXPECT_EQ(nullptr, warning) << "a warning box came up: " << (warning ? TextOf(warning) : L"");
  // Without an earlier file.ini the driver manager follows; its close button ends the client.
  HWND manager = exitCode == -1 ? client.FindDialog(30000) : nullptr;
  ASSERT_NE(nullptr, manager) << "the driver manager did not follow the loading window";
  EXPECT_NE(nullptr, GetDlgItem(manager, IDC_DRV_STATUS));
  PostMessageW(GetDlgItem(manager, IDC_DRV_CLOSE), BM_CLICK, 0, 0);
  exitCode = client.WaitExit(20000);
  EXPECT_EQ(0, exitCode) << "the client did not end by itself";
  // The worker's texts, each once and in order. A text can come and go between two looks (the
  // first and the last often do: the window closes right after the last), so the proof that
  // the worker ran to its end is the driver manager above; here at least one of its own texts
  // must have shown, and none out of order.
  ASSERT_NE(seen.end(), std::find_if(seen.begin(), seen.end(),
                                     [](const std::wstring& shown) { return shown != kProgressTexts.front(); }))
      << "only the initial text was seen";
  size_t last = 0;
  for (size_t i = 0; i < seen.size(); ++i) {
    auto found = std::find(kProgressTexts.begin(), kProgressTexts.end(), seen[i]);
    ASSERT_NE(kProgressTexts.end(), found) << "unexpected text";
    const size_t index = static_cast<size_t>(found - kProgressTexts.begin());
    if (i > 0) {
      EXPECT_GT(index, last) << "texts out of order or repeated";
    }
    last = index;
  }

  const std::string manifest = FileBytes(EnvWinePath("LIRRA_SHOP_MANIFEST"));
  ASSERT_FALSE(manifest.empty());
  EXPECT_EQ(manifest, FileBytes(shop + L"\\file.ini"));
  EXPECT_EQ(lirra::DefaultDriverState(), FileBytes(shop + L"\\config.ini"));
}

// The HID packages of every Windows key; the client runs the one of the PC it finds.
constexpr const wchar_t* kHidPackages[] = {L"XP32.exe", L"XP64.exe", L"W732.exe",  L"W764.exe",
                                           L"W832.exe", L"W864.exe", L"W1032.exe", L"W1064.exe"};

int HidInstallersRunning(bool end) {
  int count = 0;
  for (const wchar_t* name : kHidPackages) count += Processes(name, end);
  return count;
}

bool IsHidPluginRegistered() {
  const std::wstring key = L"SOFTWARE\\Classes\\Interface\\{D18F137A-0549-4868-B49D-4AF69278E7AC}\\ProxyStubClsid32";
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    lirra::win::ScopedKey opened;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | view, opened.Receive()) == ERROR_SUCCESS) {
      return true;
    }
  }
  return false;
}

// A first start on Windows 7 whose HID driver package never ends (the stand-in registers and then
// hangs): the loading window keeps its text and counts the wait under it; before a minute no
// way out does anything; after it a "跳过" button shows and the close request asks the driver
// manager's question. "取消" stays; "跳过" asks again and "离开" goes on: the plug-in is
// registered, the driver manager follows, config.ini records no HID, and the installer still
// runs after the client has ended.
TEST(FirstStart, HungHidPackageIsLeftBehindAfterAMinute) {
  const std::wstring shop = EnvWinePath("LIRRA_SHOP_DIR");
  if (shop.empty()) GTEST_SKIP() << "needs the shop folder and server of first-start.sh";
  struct CleanUp {
    explicit CleanUp(const std::wstring& shop) : shop(shop) { Undo(); }
    ~CleanUp() {
      HidInstallersRunning(true);
      Undo();
      lirra::test::SetString(HKEY_CURRENT_USER, L"Software\\Wine", L"Version", nullptr);
    }
    void Undo() {
      for (const wchar_t* name : kHidPackages) DeleteFileW((shop + L"\\HID\\" + name + L".hang").c_str());
      RemoveDirectoryW(L"C:\\Program Files\\HID Global\\OMNIKEY 3x2x");
      RemoveDirectoryW(L"C:\\Program Files (x86)\\HID Global\\OMNIKEY 3x2x");
    }
    std::wstring shop;
  } cleanUp(shop);
  // Windows 7 installs the HID driver; a shop without file.ini gets the driver manager next.
  ASSERT_TRUE(lirra::test::SetString(HKEY_CURRENT_USER, L"Software\\Wine", L"Version", L"win7"));
  DeleteFileW((shop + L"\\file.ini").c_str());
  CreateDirectoryW((shop + L"\\HID").c_str(), nullptr);
  for (const wchar_t* name : kHidPackages) {
    lirra::win::ScopedHandle marker(CreateFileW((shop + L"\\HID\\" + name + L".hang").c_str(), GENERIC_WRITE, 0,
                                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(marker.Valid());
  }
  // The plug-in is not registered, so the start registers it after the HID driver.
  Host unregister(L"C:\\windows\\system32\\regsvr32.exe", L"/u /s \"" + shop + L"\\CardX.ocx\"", shop);
  ASSERT_TRUE(unregister.Started());
  ASSERT_EQ(0, unregister.WaitExit(60000));
  ASSERT_FALSE(IsHidPluginRegistered());

  Host client(shop + L"\\lirra.exe", L"", shop);
  ASSERT_TRUE(client.Started());
  HWND loading = client.FindDialog(30000);
  ASSERT_NE(nullptr, loading) << "loading window did not appear";
  HWND text = GetWindow(loading, GW_CHILD);
  HWND line = GetDlgItem(loading, IDC_PROGRESS_TEXT);
  HWND skip = GetDlgItem(loading, IDC_LOADING_SKIP);
  ASSERT_NE(nullptr, line);
  ASSERT_NE(nullptr, skip);
  const std::wstring installing = L"正在安装HID驱动【温馨提示：如果杀毒软件或360拦截安装，请允许】";
  const std::wstring waiting = L"正在等待HID驱动安装程序结束，已等待";
  ASSERT_EQ(waiting + L"1秒", WaitForText(line, waiting + L"1秒", 120000)) << "no wait line for the HID driver";
  EXPECT_EQ(installing, TextOf(text)) << "the specified text stays";

  TryEveryWayOut(loading);
  EXPECT_EQ(waiting + L"2秒", WaitForWaitPast(line, 1, 5000));
  EXPECT_EQ(nullptr, client.FindDialogOtherThan(loading, 0)) << "a way out asked before a minute";
  EXPECT_FALSE(IsWindowVisible(skip));

  for (int waited = 0; !IsWindowVisible(skip) && waited < 75000; waited += 100) Sleep(100);
  ASSERT_TRUE(IsWindowVisible(skip)) << "no 跳过 after a minute: " << testing::PrintToString(TextOf(line));
  EXPECT_GE(WaitedSeconds(TextOf(line)), 60);
  EXPECT_EQ(L"跳过", TextOf(skip));
  SaveScreenshot(loading, L"loading-window-hung-installer");

  const std::wstring question = lirra::ui::LeaveQuestion(L"HID驱动");
  PostMessageW(loading, WM_CLOSE, 0, 0);
  HWND box = client.FindDialogWith(IDC_MSGBOX_TITLE, 20000);
  ASSERT_NE(nullptr, box) << "the close request asked nothing";
  EXPECT_EQ(loading, GetWindow(box, GW_OWNER));
  EXPECT_EQ(L"安装提醒", WaitForText(GetDlgItem(box, IDC_MSGBOX_TITLE), L"安装提醒", 5000));
  EXPECT_EQ(question, TextOf(GetDlgItem(box, IDC_MSGBOX_TEXT)));
  SaveScreenshot(box, L"loading-window-hung-installer-question");
  PostMessageW(GetDlgItem(box, IDC_MSGBOX_CANCEL), BM_CLICK, 0, 0);
  for (int waited = 0; IsWindow(box) && waited < 10000; waited += 50) Sleep(50);
  const int counted = WaitedSeconds(TextOf(line));
  EXPECT_GT(WaitedSeconds(WaitForWaitPast(line, counted, 5000)), counted) << "取消 keeps waiting";
  EXPECT_TRUE(IsWindowVisible(loading));

  PostMessageW(skip, BM_CLICK, 0, 0);
  box = client.FindDialogWith(IDC_MSGBOX_TITLE, 20000);
  ASSERT_NE(nullptr, box) << "跳过 asked nothing";
  EXPECT_EQ(question, WaitForText(GetDlgItem(box, IDC_MSGBOX_TEXT), question, 5000));
  PostMessageW(GetDlgItem(box, IDC_MSGBOX_CONFIRM), BM_CLICK, 0, 0);

  HWND manager = client.FindDialogWith(IDC_DRV_STATUS, 120000);
  ASSERT_NE(nullptr, manager) << "离开 did not lead on to the driver manager";
  EXPECT_EQ(lirra::DefaultDriverState(), FileBytes(shop + L"\\config.ini")) << "HID is not recorded";
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(manager, IDC_DRV_HID))) << "HID can be installed again";
  EXPECT_TRUE(IsHidPluginRegistered()) << "the start registered the plug-in after leaving the driver";
  EXPECT_EQ(1, HidInstallersRunning(false)) << "the installer keeps running";
  PostMessageW(GetDlgItem(manager, IDC_DRV_CLOSE), BM_CLICK, 0, 0);
  EXPECT_EQ(0, client.WaitExit(20000));
  EXPECT_EQ(1, HidInstallersRunning(false)) << "the client's end leaves the installer running";
}

}  // namespace
