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

#include "resource.h"
#include "store/driver_state.h"
#include "ui/win32/gdi.h"
#include "window_driver.h"

namespace {

using lirra::test::BesideTest;
using lirra::test::EnvWinePath;
using lirra::test::ExpectProgressShown;
using lirra::test::RectInDialog;
using lirra::test::SaveScreenshot;
using lirra::test::StepSignals;
using lirra::test::TextOf;
using lirra::test::WaitForText;

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

  // Esc, Enter and Alt+F4 leave it open while the worker runs.
  PostMessageW(text, WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageW(text, WM_KEYDOWN, VK_RETURN, 1);
  PostMessageW(loading, WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageW(loading, WM_CLOSE, 0, 0);
  EXPECT_EQ(-1, host.WaitExit(1500));
  EXPECT_TRUE(IsWindow(loading));

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

}  // namespace
