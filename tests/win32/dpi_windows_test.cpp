// Every skinned window at 96, 120 and 144 DPI: the screen's resolution is set where Wine reads
// it (LogPixels) for the hosts started afterwards, and each window's size, and each specified
// text and button label measured with the font its control draws it in, are checked against
// the controls. The test process itself keeps the resolution it started with: the fonts are
// made at the hosts' pixel heights, so its own DPI does not enter the measurement.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "pc/vendors.h"
#include "resource.h"
#include "ui/dpi_scale.h"
#include "ui/png_button_state.h"
#include "ui/skin_layout.h"
#include "window_driver.h"

namespace {

using lirra::test::BesideTest;
using lirra::test::EnvWinePath;
using lirra::test::StepSignals;
using lirra::test::TextOf;
using lirra::test::WindowHost;
using lirra::ui::ScaleLength;
using lirra::ui::ScaleSize;

// A DWORD value set for the test and put back (or removed) afterwards.
class ScopedDword {
 public:
  ScopedDword(HKEY root, const wchar_t* path, const wchar_t* name, DWORD value)
      : root_(root), path_(path), name_(name) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root_, path_, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
      return;
    DWORD size = sizeof(old_);
    DWORD type = 0;
    had_ = RegQueryValueExW(key, name_, nullptr, &type, reinterpret_cast<BYTE*>(&old_), &size) == ERROR_SUCCESS &&
           type == REG_DWORD;
    set_ =
        RegSetValueExW(key, name_, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) == ERROR_SUCCESS;
    RegCloseKey(key);
  }
  ~ScopedDword() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root_, path_, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
    if (had_)
      RegSetValueExW(key, name_, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof(old_));
    else
      RegDeleteValueW(key, name_);
    RegCloseKey(key);
  }
  ScopedDword(const ScopedDword&) = delete;
  ScopedDword& operator=(const ScopedDword&) = delete;
  bool Set() const { return set_; }

 private:
  HKEY root_;
  const wchar_t* path_;
  const wchar_t* name_;
  DWORD old_ = 0;
  bool had_ = false;
  bool set_ = false;
};

// How a control's text is drawn: a font at a pixel height (negative: character height, as
// point-size fonts are made), and where the text starts inside the control.
struct Font {
  int height;
  int width;
  int weight;
  const wchar_t* face;
  BYTE pitchAndFamily;
};

// A font made from tenths of a point at `dpi` (CreatePointFont, the dialog fonts).
Font PointFont(int tenths, int dpi, const wchar_t* face) { return {-MulDiv(tenths, dpi, 720), 0, 0, face, 0}; }

// A PNG button's label font of size value s at `dpi`.
Font LabelFont(int size, int dpi) {
  return {ScaleLength(lirra::ui::LabelFontHeight(size), dpi), ScaleLength(size, dpi), size, L"宋体", FF_SWISS};
}

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
  return out;
}

HFONT MakeFont(const Font& look) {
  return CreateFontW(look.height, look.width, 0, 0, look.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, look.pitchAndFamily, look.face);
}

// The text's extent in that font (one line).
SIZE Measure(const Font& look, const std::wstring& text) {
  lirra::win::ScopedFont font(MakeFont(look));
  lirra::win::ScopedMemoryDc dc(nullptr);
  lirra::win::ScopedSelect select(dc.Get(), font.Get());
  SIZE extent = {};
  GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
  return extent;
}

// One line of text, started at `origin` inside the control, ends inside it.
void ExpectFits(HWND control, const Font& font, const std::wstring& text, POINT origin = {0, 0}) {
  ASSERT_NE(nullptr, control);
  RECT client;
  GetClientRect(control, &client);
  const SIZE extent = Measure(font, text);
  EXPECT_GT(extent.cx, 0) << Utf8(text) << ": not measured";
  EXPECT_LE(origin.x + extent.cx, client.right) << Utf8(text) << " is cut at the sides";
  EXPECT_LE(origin.y + extent.cy, client.bottom) << Utf8(text) << " is cut at the top or bottom";
}

// A wrapping text: every line fits the control's width and all of them the height `room`.
void ExpectWrapsInto(HWND control, const Font& look, const std::wstring& text, int room) {
  ASSERT_NE(nullptr, control);
  RECT client;
  GetClientRect(control, &client);
  lirra::win::ScopedFont font(MakeFont(look));
  lirra::win::ScopedMemoryDc dc(nullptr);
  lirra::win::ScopedSelect select(dc.Get(), font.Get());
  RECT need = {0, 0, client.right, 0};
  DrawTextW(dc.Get(), text.c_str(), -1, &need, DT_CALCRECT | DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
  EXPECT_LE(need.right, client.right) << Utf8(text) << " is cut at the sides";
  EXPECT_LE(need.bottom, room) << Utf8(text) << " is cut at the bottom";
}

void ExpectWindowSize(HWND window, lirra::ui::Size design, int dpi) {
  RECT rc;
  GetWindowRect(window, &rc);
  const lirra::ui::Size expected = ScaleSize(design, dpi);
  EXPECT_EQ(expected.cx, rc.right - rc.left) << "the window is not laid out for " << dpi << " DPI";
  EXPECT_EQ(expected.cy, rc.bottom - rc.top);
}

// The windows' sizes, fonts and label places at 96 DPI, as the skin gives them.
constexpr lirra::ui::Size kLoadingWindow{476, 89};  // its template, 317 x 55 dialog units of 8-point MS Shell Dlg
constexpr lirra::ui::Size kMessageBoxWindow{418, 258};
constexpr lirra::ui::Size kDriverManagerWindow{578, 338};
constexpr lirra::ui::Size kAboutWindow{284, 168};
constexpr int kTitleTenths = 130;    // the message box's title and the driver manager's heading
constexpr int kMessageTenths = 95;   // the message box's message
constexpr int kAboutTenths = 120;    // the About box's texts
constexpr int kBrowserTenths = 100;  // the browser window's title
constexpr POINT kMessageBoxLabel = {28, 7};
constexpr int kMessageBoxLabelSize = 14;
constexpr POINT kBottomLabel = {32, 7};  // the driver manager's 使用/退出, 安装 and 重装
constexpr int kBottomLabelSize = 12;
constexpr int kVendorLabelSize = 10;
struct VendorLabel {
  int buttonId;
  const wchar_t* text;
  POINT origin;
};
const VendorLabel kVendorLabels[] = {
    {IDC_DRV_HID, L"HID", {48, 7}},       {IDC_DRV_YSB, L"广州易售宝", {17, 7}}, {IDC_DRV_NJYS, L"南京亿数", {28, 7}},
    {IDC_DRV_WHJL, L"武汉精伦", {28, 7}}, {IDC_DRV_SDSS, L"山东神思", {28, 7}},
};

POINT Scaled(POINT at, int dpi) { return {ScaleLength(at.x, dpi), ScaleLength(at.y, dpi)}; }

// The loading window's texts, and those the start-up's worker can show there.
const wchar_t* const kLoadingTexts[] = {
    L"正在初始化Lirra·商户系统，请耐心等待...",
    L"正在检查系统环境，请稍候...",
    L"正在检查版本更新情况...",
    L"正在检查版本已经OK...",
    L"正在下载IE8...",
    L"正在安装IE8...",
    L"正在下载HID必备驱动...",
    L"正在安装HID驱动【温馨提示：如果杀毒软件或360拦截安装，请允许】",
    L"正在清除HID插件，如出错请用管理员权限运行...",
    L"正在注册HID插件，如出错请用管理员权限运行",
    L"初始化完成，正在启动系统，请稍候...",
};

// The message box's titles and messages, and its buttons' labels.
const wchar_t* const kBoxTitles[] = {L"更新提醒", L"警告提醒", L"警告", L"安装提醒"};
const wchar_t* const kBoxMessages[] = {
    L"检测到当前版本需要更新，是否要更新？",
    L"下载IE8失败，尝试重新下载IE8",
    L"检测到当前版本IE版本较低，请到官网更新",
    L"安装HID失败，请尝试用管理员身份运行",
    L"南京亿数和山东神思在部分机型上会冲突，\r\n继续安装？",
    L"南京亿数和武汉精伦在部分机型上会冲突，\r\n继续安装？",
    L"武汉精伦和山东神思在部分机型上会冲突，\r\n继续安装？",
};
const wchar_t* const kBoxLabels[] = {L"更新", L"取消", L"下载", L"退出", L"确认", L"安装"};

class WindowsAtDpi : public testing::TestWithParam<int> {
 protected:
  void SetUp() override { ASSERT_TRUE(desktop_.Set() && fonts_.Set()) << "LogPixels could not be set"; }

  std::unique_ptr<WindowHost> Start(const std::wstring& program, const std::wstring& arguments) {
    return std::make_unique<WindowHost>(BesideTest(program), arguments, EnvWinePath("LIRRA_SOURCE_DIR"));
  }

  const int dpi_ = GetParam();
  // Wine takes the DPI from the first of these it finds when a process starts.
  ScopedDword desktop_{HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", static_cast<DWORD>(dpi_)};
  ScopedDword fonts_{HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts",
                     L"LogPixels", static_cast<DWORD>(dpi_)};
  lirra::win::GdiplusSession gdiplus_;
  StepSignals signals_{L"lirra-dpi-test-"};
};

TEST_P(WindowsAtDpi, LoadingWindowFitsEveryProgressText) {
  auto host = Start(L"ui_host.exe", L"loading " + std::to_wstring(GetCurrentProcessId()));
  ASSERT_TRUE(host->Started());
  HWND loading = host->FindDialog(30000);
  ASSERT_NE(nullptr, loading) << "loading window did not appear";
  ExpectWindowSize(loading, kLoadingWindow, dpi_);
  HWND text = GetWindow(loading, GW_CHILD);
  // The loading text's font is the client's own choice, not a skin number.
  const Font font = PointFont(lirra::ui::kLoadingFontTenths, dpi_, L"微软雅黑");
  for (const wchar_t* shown : kLoadingTexts) ExpectFits(text, font, shown);
  lirra::test::SaveScreenshot(loading, L"dpi" + std::to_wstring(dpi_) + L"-loading-window");
}

TEST_P(WindowsAtDpi, MessageBoxFitsItsTitlesMessagesAndLabels) {
  auto host = Start(L"ui_host.exe", L"msgbox two");
  ASSERT_TRUE(host->Started());
  HWND box = host->FindDialog(30000);
  ASSERT_NE(nullptr, box) << "message box did not appear";
  ASSERT_EQ(L"更新提醒", lirra::test::WaitForText(GetDlgItem(box, IDC_MSGBOX_TITLE), L"更新提醒", 5000));
  ExpectWindowSize(box, kMessageBoxWindow, dpi_);
  for (const wchar_t* title : kBoxTitles)
    ExpectFits(GetDlgItem(box, IDC_MSGBOX_TITLE), PointFont(kTitleTenths, dpi_, L"微软雅黑"), title);
  // The message static is fitted to the message shown; any message has the layout's place.
  RECT client;
  GetClientRect(box, &client);
  int room = 0;
  for (const lirra::ui::ControlPlace& place : lirra::ui::MessageBoxPlaces({client.right, client.bottom}, dpi_))
    if (place.id == IDC_MSGBOX_TEXT) room = place.rect.cy;
  for (const wchar_t* message : kBoxMessages) {
    ExpectWrapsInto(GetDlgItem(box, IDC_MSGBOX_TEXT), PointFont(kMessageTenths, dpi_, L"微软雅黑"), message, room);
  }
  for (int id : {IDC_MSGBOX_CONFIRM, IDC_MSGBOX_CANCEL}) {
    for (const wchar_t* label : kBoxLabels)
      ExpectFits(GetDlgItem(box, id), LabelFont(kMessageBoxLabelSize, dpi_), label, Scaled(kMessageBoxLabel, dpi_));
  }
  lirra::test::SaveScreenshot(box, L"dpi" + std::to_wstring(dpi_) + L"-message-box");
  PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
  EXPECT_NE(-1, host->WaitExit(10000));
}

TEST_P(WindowsAtDpi, DriverManagerFitsEveryStatusTextAndLabel) {
  auto host = Start(L"driver_host.exe", L"manager startup " + signals_.Token());
  ASSERT_TRUE(host->Started());
  HWND manager = host->FindDialogWith(IDC_DRV_STATUS, 30000);
  ASSERT_NE(nullptr, manager) << "driver manager did not appear";
  ExpectWindowSize(manager, kDriverManagerWindow, dpi_);

  // The status line draws in the dialog's font, the template's 9-point "MS Shell Dlg".
  std::vector<std::wstring> status = {L"正在清除HID插件，如出错请用管理员权限运行...",
                                      L"正在注册HID插件，如出错请用管理员权限运行"};
  for (lirra::Vendor vendor : lirra::kVendorsInRunOrder) {
    const lirra::VendorInfo& info = lirra::VendorOf(vendor);
    for (const wchar_t* text : {info.downloading, info.installing, info.succeeded, info.failed})
      if (text) status.push_back(text);
  }
  for (const std::wstring& text : status)
    ExpectFits(GetDlgItem(manager, IDC_DRV_STATUS), PointFont(90, dpi_, L"MS Shell Dlg"), text);
  ExpectFits(GetDlgItem(manager, IDC_DRV_HEADING), PointFont(kTitleTenths, dpi_, L"微软雅黑"), L"请选择要安装的驱动");

  for (const VendorLabel& label : kVendorLabels) {
    ExpectFits(GetDlgItem(manager, label.buttonId), LabelFont(kVendorLabelSize, dpi_), label.text,
               Scaled(label.origin, dpi_));
  }
  for (int id : {IDC_DRV_USE, IDC_DRV_INSTALL, IDC_DRV_REINSTALL}) {
    for (const wchar_t* label : {L"使用", L"退出", L"安装", L"重装"})
      ExpectFits(GetDlgItem(manager, id), LabelFont(kBottomLabelSize, dpi_), label, Scaled(kBottomLabel, dpi_));
  }
  lirra::test::SaveScreenshot(manager, L"dpi" + std::to_wstring(dpi_) + L"-driver-manager");
}

TEST_P(WindowsAtDpi, AboutBoxFitsItsTexts) {
  auto host = Start(L"driver_host.exe", L"about " + signals_.Token());
  ASSERT_TRUE(host->Started());
  HWND about = host->FindDialogWith(IDC_ABOUT_VERSION, 30000);
  ASSERT_NE(nullptr, about) << "About box did not appear";
  ExpectWindowSize(about, kAboutWindow, dpi_);
  const Font font = PointFont(kAboutTenths, dpi_, L"微软雅黑");
  const std::wstring version = TextOf(GetDlgItem(about, IDC_ABOUT_VERSION));
  EXPECT_NE(std::wstring::npos, version.find(L"Lirra·商户"));
  ExpectFits(GetDlgItem(about, IDC_ABOUT_VERSION), font, version);
  ExpectFits(GetDlgItem(about, IDC_ABOUT_HEADING), font, TextOf(GetDlgItem(about, IDC_ABOUT_HEADING)));
  lirra::test::SaveScreenshot(about, L"dpi" + std::to_wstring(dpi_) + L"-about-box");
}

TEST_P(WindowsAtDpi, BrowserStripFitsBothTitles) {
  auto host = Start(L"browser_host.exe", L"");
  ASSERT_TRUE(host->Started());
  HWND browser = host->FindDialogWith(IDC_BROWSER_TITLE, 30000);
  ASSERT_NE(nullptr, browser) << "browser window did not appear";
  ASSERT_EQ(L"Lirra·商户", lirra::test::WaitForText(browser, L"Lirra·商户", 15000));
  const int strip = ScaleLength(39, dpi_);
  for (int id : {IDC_BROWSER_LOGO, IDC_BROWSER_CLOSE, IDC_BROWSER_DRIVER}) {
    const RECT rc = lirra::test::RectInDialog(browser, GetDlgItem(browser, id));
    EXPECT_EQ(strip, rc.right - rc.left) << id;
    EXPECT_EQ(strip, rc.bottom - rc.top) << id;
  }
  EXPECT_EQ(strip, lirra::test::RectInDialog(browser, GetDlgItem(browser, IDC_BROWSER_CONTROL)).top);
  const Font font = PointFont(kBrowserTenths, dpi_, L"微软雅黑");
  for (const wchar_t* title : {L"欢迎使用Lirra·商户PC系统", L"欢迎使用Lirra·商户PC系统（正在加载，请稍后...）"})
    ExpectFits(GetDlgItem(browser, IDC_BROWSER_TITLE), font, title);
  lirra::test::SaveScreenshot(browser, L"dpi" + std::to_wstring(dpi_) + L"-browser-window");
}

INSTANTIATE_TEST_SUITE_P(Screens, WindowsAtDpi, testing::Values(96, 120, 144),
                         [](const testing::TestParamInfo<int>& info) { return std::to_string(info.param); });

}  // namespace
