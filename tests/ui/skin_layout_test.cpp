#include "ui/skin_layout.h"

#include <gtest/gtest.h>

#include <map>

#include "resource.h"

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

}  // namespace
}  // namespace lirra::ui
