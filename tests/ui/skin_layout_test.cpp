#include "ui/skin_layout.h"

#include <gtest/gtest.h>

#include <map>

#include "resource.h"
#include "ui/dpi_scale.h"

namespace lirra::ui {
namespace {

std::map<int, Rect> PlacesById(Size window) {
  std::map<int, Rect> byId;
  for (const ControlPlace& place : MessageBoxPlaces(window)) byId[place.id] = place.rect;
  return byId;
}

TEST(MessageBoxLayout, TemplateStretchedToTheWindow) {
  const std::map<int, Rect> places = PlacesById(kMessageBoxWindow);
  ASSERT_EQ(6u, places.size());
  // 418 / 251 across, 258 / 145 down, rounded to the nearest pixel.
  EXPECT_EQ((Rect{148, 198, 150, 43}), places.at(IDC_MSGBOX_SINGLE));
  EXPECT_EQ((Rect{55, 41, 313, 32}), places.at(IDC_MSGBOX_TITLE));
  EXPECT_EQ((Rect{38, 84, 361, 85}), places.at(IDC_MSGBOX_TEXT));
  EXPECT_EQ((Rect{62, 198, 168, 39}), places.at(IDC_MSGBOX_CONFIRM));
  EXPECT_EQ((Rect{236, 198, 173, 37}), places.at(IDC_MSGBOX_CANCEL));
  EXPECT_EQ((Rect{369, 8, 39, 39}), places.at(IDC_MSGBOX_CLOSE));
}

TEST(MessageBoxLayout, EverythingInsideTheWindowAndCloseFollowsTheWidth) {
  for (Size window : {kMessageBoxWindow, Size{500, 300}, Size{251, 145}}) {
    for (const auto& [id, rect] : PlacesById(window)) {
      EXPECT_GE(rect.x, 0) << id;
      EXPECT_LE(rect.x + rect.cx, window.cx) << id;
      EXPECT_LE(rect.y + rect.cy, window.cy) << id;
    }
    EXPECT_EQ(window.cx - 49, PlacesById(window).at(IDC_MSGBOX_CLOSE).x);
  }
}

TEST(MessageBoxLayout, TemplateSizeMapsOntoItself) {
  const Rect units{37, 111, 101, 22};
  EXPECT_EQ(units, StretchTemplateRect(units, kMessageBoxTemplate, kMessageBoxTemplate));
  EXPECT_EQ(units, StretchTemplateRect(units, {0, 0}, kMessageBoxWindow));
}

bool Overlap(const Rect& a, const Rect& b) {
  return a.x < b.x + b.cx && b.x < a.x + a.cx && a.y < b.y + b.cy && b.y < a.y + a.cy;
}

// The icon is drawn on the background, so no control may paint over it.
TEST(MessageBoxLayout, IconClearOfEveryControlAtEveryDpi) {
  for (int dpi : {96, 120, 144, 192}) {
    const Size window = ScaleSize(kMessageBoxWindow, dpi);
    const Rect icon = MessageBoxIconPlace(window, dpi);
    EXPECT_TRUE(icon.y > ScaleLength(4, dpi) && icon.x > 0 && icon.x + icon.cx < window.cx) << dpi;
    for (const ControlPlace& place : MessageBoxPlaces(window, dpi))
      EXPECT_FALSE(Overlap(icon, place.rect)) << dpi << " " << place.id;
  }
}

// The About box ends a margin below its last line, with everything inside and apart.
TEST(AboutLayout, ContentFillsTheWindowAtEveryDpi) {
  for (int dpi : {96, 120, 144, 192}) {
    const Size window = ScaleSize(kAboutWindow, dpi);
    const AboutLayout about = AboutPlaces(dpi);
    const Rect all[] = {about.heading, about.icon, about.version, about.close};
    for (const Rect& r : all) EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.cx <= window.cx && r.y + r.cy <= window.cy);
    EXPECT_FALSE(Overlap(about.heading, about.icon));
    EXPECT_FALSE(Overlap(about.icon, about.version));
    EXPECT_FALSE(Overlap(about.heading, about.close));
    const int below = window.cy - (about.version.y + about.version.cy);
    EXPECT_GT(below, 0) << dpi;
    EXPECT_LE(below, ScaleLength(40, dpi)) << dpi << ": empty space under the version";
    EXPECT_EQ(window.cx - ScaleLength(47, dpi), about.close.x);
  }
}

struct CentreCase {
  const char* what;
  Rect owner;
  Rect expected;
};

class Centring : public testing::TestWithParam<CentreCase> {};

// A 418 x 258 box on a 1920 x 1040 work area.
TEST_P(Centring, OnItsOwnerAndNeverOffTheWorkArea) {
  const Rect work{0, 0, 1920, 1040};
  EXPECT_EQ(GetParam().expected, CentredOn(GetParam().owner, {418, 258}, work)) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Owners, Centring,
    testing::Values(CentreCase{"no owner: the work area", {0, 0, 1920, 1040}, {751, 391, 418, 258}},
                    CentreCase{"driver manager", {671, 351, 578, 338}, {751, 391, 418, 258}},
                    CentreCase{"owner in the top left corner", {-200, -100, 300, 200}, {0, 0, 418, 258}},
                    CentreCase{"owner past the bottom right", {1800, 1000, 578, 338}, {1502, 782, 418, 258}},
                    CentreCase{"owner smaller than the box", {100, 100, 100, 50}, {0, 0, 418, 258}}));

}  // namespace
}  // namespace lirra::ui
