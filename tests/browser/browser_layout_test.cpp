#include "browser/browser_layout.h"

#include <gtest/gtest.h>

#include <map>

#include "browser/tray_icon.h"
#include "resource.h"
#include "ui/dpi_scale.h"

namespace lirra::browser {
namespace {

std::map<int, ui::Rect> ById(const std::vector<ui::ControlPlace>& places) {
  std::map<int, ui::Rect> byId;
  for (const ui::ControlPlace& place : places) byId[place.id] = place.rect;
  return byId;
}

bool Inside(const ui::Rect& inner, const ui::Rect& outer) {
  return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.cx <= outer.x + outer.cx &&
         inner.y + inner.cy <= outer.y + outer.cy;
}

struct PlacementCase {
  const char* name;
  ui::Rect workArea;  // of the monitor the window is on
  int dpi;
  ui::Rect expected;
};

class Placement : public testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, DefaultPositionAndSizeStayInTheWorkArea) {
  const PlacementCase& c = GetParam();
  const ui::Rect placed = DefaultPlacement({c.workArea}, c.dpi);
  EXPECT_EQ(c.expected, placed);
  // The title strip (every button and the only drag area) is never under a taskbar.
  EXPECT_TRUE(Inside(placed, c.workArea));
  EXPECT_EQ(c.workArea, EnlargedPlacement({c.workArea}));
}

INSTANTIATE_TEST_SUITE_P(
    Screens, Placement,
    testing::Values(
        // 1920 x 1080 with the taskbar on each edge.
        PlacementCase{"taskbar_bottom", {0, 0, 1920, 1040}, 96, {160, 70, 1600, 900}},
        PlacementCase{"taskbar_top", {0, 40, 1920, 1040}, 96, {160, 110, 1600, 900}},
        PlacementCase{"taskbar_left", {60, 0, 1860, 1080}, 96, {190, 90, 1600, 900}},
        PlacementCase{"taskbar_right", {0, 0, 1860, 1080}, 96, {130, 90, 1600, 900}},
        // Up to 1600 wide the window takes the whole work area, wherever the taskbar is.
        PlacementCase{"narrow_taskbar_bottom", {0, 0, 1366, 728}, 96, {0, 0, 1366, 728}},
        PlacementCase{"narrow_taskbar_top", {0, 40, 1366, 728}, 96, {0, 40, 1366, 728}},
        PlacementCase{"narrow_taskbar_left", {62, 0, 1304, 768}, 96, {62, 0, 1304, 768}},
        PlacementCase{"exactly_1600", {0, 0, 1600, 900}, 96, {0, 0, 1600, 900}},
        // A second monitor left of, above and right of the primary one.
        PlacementCase{"second_left_narrow", {-1366, 0, 1366, 728}, 96, {-1366, 0, 1366, 728}},
        PlacementCase{"second_left", {-1920, -120, 1920, 1040}, 96, {-1760, -50, 1600, 900}},
        PlacementCase{"second_above", {0, -1080, 1920, 1040}, 96, {160, -1010, 1600, 900}},
        PlacementCase{"second_right", {1920, 0, 2560, 1400}, 96, {2400, 250, 1600, 900}},
        PlacementCase{"second_right_taskbar_top", {1920, 30, 1680, 1020}, 96, {1960, 90, 1600, 900}},
        // 900 does not fit: 700 from the top.
        PlacementCase{"short", {0, 0, 1920, 880}, 96, {160, 0, 1600, 700}},
        PlacementCase{"barely_short", {0, 0, 1601, 899}, 96, {0, 0, 1600, 700}},
        PlacementCase{"short_taskbar_top", {0, 40, 1920, 860}, 96, {160, 40, 1600, 700}},
        // Lower than 700: cut to the work area rather than run under the taskbar.
        PlacementCase{"very_short", {0, 0, 1920, 600}, 96, {160, 0, 1600, 600}},
        // On a 150 % or 125 % screen the window keeps the room the platform was drawn for.
        PlacementCase{"dpi144_wide", {0, 0, 2560, 1400}, 144, {80, 25, 2400, 1350}},
        PlacementCase{"dpi144_full_hd", {0, 0, 1920, 1040}, 144, {0, 0, 1920, 1040}},
        PlacementCase{"dpi120_wide", {0, 0, 2560, 1400}, 120, {280, 137, 2000, 1125}},
        PlacementCase{"dpi120_second_left", {-2560, 0, 2560, 1400}, 120, {-2280, 137, 2000, 1125}}),
    [](const testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.name); });

TEST(TitleStrip, FirstShowThenResize) {
  const auto first = ById(FirstShowPlaces(1600, 900));
  EXPECT_EQ(11u, first.size());
  EXPECT_EQ((ui::Rect{1558, 0, 39, 39}), first.at(IDC_BROWSER_CLOSE));
  EXPECT_EQ((ui::Rect{1, 39, 76, 40}), first.at(IDC_BROWSER_ABOUT));
  EXPECT_EQ((ui::Rect{156, 0, 1288, 39}), first.at(IDC_BROWSER_TITLE));
  EXPECT_EQ((ui::Rect{0, 39, 1600, 861}), first.at(IDC_BROWSER_CONTROL));

  // The right-hand buttons and the title follow the width; the left-hand ones are not moved.
  const auto resized = ById(ResizePlaces(1600, 1600, 900));
  EXPECT_EQ(1561, resized.at(IDC_BROWSER_CLOSE).x);
  EXPECT_EQ(1522, resized.at(IDC_BROWSER_MAX).x);
  EXPECT_EQ(1483, resized.at(IDC_BROWSER_MIN).x);
  EXPECT_EQ(1444, resized.at(IDC_BROWSER_DRIVER).x);
  const ui::Rect title = resized.at(IDC_BROWSER_TITLE);
  EXPECT_EQ(156, title.x);
  EXPECT_EQ(1441, title.x + title.cx);
  EXPECT_EQ((ui::Rect{0, 39, 1600, 861}), resized.at(IDC_BROWSER_CONTROL));
  for (int left : {IDC_BROWSER_LOGO, IDC_BROWSER_BACK, IDC_BROWSER_FORWARD, IDC_BROWSER_REFRESH, IDC_BROWSER_ABOUT})
    EXPECT_EQ(0u, resized.count(left)) << left;
}

TEST(TitleStrip, MaximisePicturesFollowTheEnlargement) {
  EXPECT_EQ(std::wstring(L"res\\max.png"), MaximizePictures(false).normal);
  EXPECT_EQ(std::wstring(L"res\\notmax.png"), MaximizePictures(true).normal);
  EXPECT_EQ(std::wstring(L"res\\notmax2.png"), MaximizePictures(true).pressed);
  const auto pictures = TitleStripPictures();
  EXPECT_EQ(9u, pictures.size());
  for (const auto& [id, picture] : pictures) {
    if (id == IDC_BROWSER_MAX) {
      EXPECT_EQ(std::wstring(L"res\\max.png"), picture.normal);
    }
  }
}

// Every icon of the strip names its command, the close button included; the maximise button
// says what a click will do.
TEST(TitleStrip, EveryIconButtonHasItsCommandAsTip) {
  for (bool enlarged : {false, true}) {
    std::map<int, std::wstring> tips;
    for (const auto& [id, tip] : TitleStripTips(enlarged)) EXPECT_TRUE(tips.emplace(id, tip).second) << id;
    for (const auto& [id, pictures] : TitleStripPictures()) {
      if (id == IDC_BROWSER_ABOUT) continue;
      EXPECT_FALSE(tips[id].empty()) << id;
    }
    EXPECT_EQ(enlarged ? L"还原" : L"最大化", tips[IDC_BROWSER_MAX]);
    EXPECT_EQ(L"驱动设置", tips[IDC_BROWSER_DRIVER]);
  }
}

// The strip's close button is drawn like its neighbours, not like the dialogs' light disc.
TEST(TitleStrip, CloseButtonIsTheStripsOwn) {
  for (const auto& [id, pictures] : TitleStripPictures()) {
    if (id == IDC_BROWSER_CLOSE) {
      EXPECT_EQ(std::wstring(ui::kSkinStripClose.normal), pictures.normal);
    }
  }
}

struct StripCase {
  int dpi;
  int strip;       // the strip's height and each button's side
  ui::Size about;  // the about pop-up: its picture's size at this DPI
};

class StripAtDpi : public testing::TestWithParam<StripCase> {};

TEST_P(StripAtDpi, ButtonsTouchTheTitleFitsBetweenAndTheBrowserFillsTheRest) {
  const int dpi = GetParam().dpi;
  const int b = TitleStripHeight(dpi);
  EXPECT_EQ(GetParam().strip, b);
  for (const auto& places : {ById(FirstShowPlaces(1600, 900, dpi)), ById(ResizePlaces(1600, 1600, 900, dpi))}) {
    const ui::Rect title = places.at(IDC_BROWSER_TITLE);
    EXPECT_EQ(b, title.cy);
    EXPECT_EQ(4 * b, title.x) << "the title starts where the reload button ends";
    // (The first show's title runs 3 pixels under the driver button until the layout moves it.)
    EXPECT_LE(title.x + title.cx, places.at(IDC_BROWSER_DRIVER).x + ui::ScaleLength(3, dpi));
    EXPECT_EQ((ui::Rect{0, b, 1600, 900 - b}), places.at(IDC_BROWSER_CONTROL));
    // Right-hand buttons side by side, each one strip high and square.
    const int right[] = {IDC_BROWSER_DRIVER, IDC_BROWSER_MIN, IDC_BROWSER_MAX, IDC_BROWSER_CLOSE};
    for (int i = 0; i < 4; ++i) {
      const ui::Rect button = places.at(right[i]);
      EXPECT_EQ(b, button.cx);
      EXPECT_EQ(b, button.cy);
      if (i > 0) {
        EXPECT_EQ(places.at(right[i - 1]).x + b, button.x);
      }
      EXPECT_LE(button.x + button.cx, 1600);
    }
  }
  const auto resized = ById(ResizePlaces(1600, 1600, 900, dpi));
  EXPECT_LT(resized.at(IDC_BROWSER_TITLE).x + resized.at(IDC_BROWSER_TITLE).cx, resized.at(IDC_BROWSER_DRIVER).x);
  const auto first = ById(FirstShowPlaces(1600, 900, dpi));
  const int left[] = {IDC_BROWSER_LOGO, IDC_BROWSER_BACK, IDC_BROWSER_FORWARD, IDC_BROWSER_REFRESH};
  for (int i = 0; i < 4; ++i) EXPECT_EQ((ui::Rect{i * b, 0, b, b}), first.at(left[i]));
  // The about pop-up hangs just below the logo, the size of its picture at this DPI.
  const ui::Rect about = first.at(IDC_BROWSER_ABOUT);
  EXPECT_EQ(b, about.y);
  EXPECT_EQ(GetParam().about.cx, about.cx);
  EXPECT_EQ(GetParam().about.cy, about.cy);
}

INSTANTIATE_TEST_SUITE_P(Dpis, StripAtDpi,
                         testing::Values(StripCase{96, 39, {76, 40}}, StripCase{120, 49, {95, 50}},
                                         StripCase{144, 59, {114, 60}}, StripCase{192, 78, {152, 80}}));

TEST(StripAtDpi, A150PercentScreenIsOneAndAHalfTimesThe96DpiStrip) {
  const auto resized = ById(ResizePlaces(2400, 2400, 1350, 144));
  EXPECT_EQ((ui::Rect{2341, 0, 59, 59}), resized.at(IDC_BROWSER_CLOSE));
  EXPECT_EQ((ui::Rect{236, 0, 1923, 59}), resized.at(IDC_BROWSER_TITLE));
  EXPECT_EQ((ui::Rect{0, 59, 2400, 1291}), resized.at(IDC_BROWSER_CONTROL));
}

struct TrayCase {
  unsigned icon;
  unsigned mouse;
  TrayAction action;
};

class Tray : public testing::TestWithParam<TrayCase> {};

TEST_P(Tray, OnlyOurIconsDoubleClickAndRightClickAct) {
  EXPECT_EQ(GetParam().action, TrayActionFor(GetParam().icon, GetParam().mouse));
}

INSTANTIATE_TEST_SUITE_P(
    Notifications, Tray,
    testing::Values(TrayCase{128, 0x0203, TrayAction::kRestore}, TrayCase{128, 0x0205, TrayAction::kShowMenu},
                    TrayCase{128, 0x0201, TrayAction::kIgnore},  // single left click
                    TrayCase{128, 0x0202, TrayAction::kIgnore}, TrayCase{128, 0x0200, TrayAction::kIgnore},
                    TrayCase{129, 0x0203, TrayAction::kNotOurs}, TrayCase{0, 0x0205, TrayAction::kNotOurs}));

}  // namespace
}  // namespace lirra::browser
