#include "browser/browser_layout.h"

#include <gtest/gtest.h>

#include <map>

#include "resource.h"

namespace lirra::browser {
namespace {

std::map<int, ui::Rect> ById(const std::vector<ui::ControlPlace>& places) {
  std::map<int, ui::Rect> byId;
  for (const ui::ControlPlace& place : places) byId[place.id] = place.rect;
  return byId;
}

struct PlacementCase {
  ScreenMetrics screen;
  ui::Rect expected;
};

class Placement : public testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, DefaultPositionAndSize) { EXPECT_EQ(GetParam().expected, DefaultPlacement(GetParam().screen)); }

INSTANTIATE_TEST_SUITE_P(Screens, Placement,
                         testing::Values(PlacementCase{{1920, 1017, 1040}, {160, 70, 1600, 900}},
                                         PlacementCase{{1920, 850, 880}, {160, 0, 1600, 700}},
                                         PlacementCase{{1366, 705, 728}, {0, 0, 1366, 728}},
                                         PlacementCase{{1600, 870, 900}, {0, 0, 1600, 900}},  // 1600 is not wider
                                         PlacementCase{{1601, 901, 899}, {0, 0, 1600, 700}},  // 900 does not fit
                                         PlacementCase{{2560, 1400, 1400}, {480, 250, 1600, 900}}));

TEST(Placement, EnlargedCoversTheWorkAreaWidthAndHeight) {
  EXPECT_EQ((ui::Rect{0, 0, 1920, 1040}), EnlargedPlacement({1920, 1017, 1040}));
}

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
