#include "ui/png_button_state.h"

#include <gtest/gtest.h>

#include <vector>

namespace lirra::ui {
namespace {

TEST(LabelFont, HeightFromSize) {
  const struct {
    int size;
    int height;
  } cases[] = {{10, 14}, {12, 17}, {14, 19}, {0, 0}, {7, 9}, {24, 35}};
  for (const auto& c : cases) EXPECT_EQ(c.height, LabelFontHeight(c.size)) << "size " << c.size;
}

TEST(LabelFont, ShiftsOnePixelOnlyWhileHeld) {
  EXPECT_EQ(28, LabelPosition({28, 7}, false).x);
  EXPECT_EQ(7, LabelPosition({28, 7}, false).y);
  EXPECT_EQ(29, LabelPosition({28, 7}, true).x);
  EXPECT_EQ(8, LabelPosition({28, 7}, true).y);
}

// Walks a sequence of mouse events and records the picture after each.
std::vector<ButtonPicture> Walk(const std::vector<ButtonEvent>& events) {
  std::vector<ButtonPicture> shown;
  ButtonPicture picture = ButtonPicture::kNormal;
  for (ButtonEvent event : events) {
    picture = PictureAfter(event, picture);
    shown.push_back(picture);
  }
  return shown;
}

// The vendor buttons are 134 pixels wide at 96 DPI; a label wider than its button starts at the
// edge rather than before it.
TEST(LabelFont, CentredLabelSitsInTheMiddleOrAtTheEdge) {
  EXPECT_EQ(47, CentredLabelX(134, 40));
  EXPECT_EQ(17, CentredLabelX(134, 100));
  EXPECT_EQ(0, CentredLabelX(134, 134));
  EXPECT_EQ(0, CentredLabelX(134, 150));
}

TEST(ButtonPictures, ClickOnTheButton) {
  using E = ButtonEvent;
  using P = ButtonPicture;
  EXPECT_EQ((std::vector<P>{P::kNormal, P::kHover, P::kHover, P::kPressed, P::kNormal, P::kHover, P::kNormal}),
            Walk({E::kSetImages, E::kSetCursor, E::kMouseHover, E::kLeftButtonDown, E::kLeftButtonUp, E::kSetCursor,
                  E::kMouseLeave}));
}

TEST(ButtonPictures, EveryEventFromEveryPicture) {
  using E = ButtonEvent;
  using P = ButtonPicture;
  const struct {
    E event;
    P fromNormal, fromHover, fromPressed;
  } cases[] = {
      {E::kSetImages, P::kNormal, P::kNormal, P::kNormal},
      {E::kSetCursor, P::kHover, P::kHover, P::kHover},
      {E::kMouseHover, P::kNormal, P::kHover, P::kPressed},
      {E::kLeftButtonDown, P::kPressed, P::kPressed, P::kPressed},
      {E::kLeftButtonUp, P::kNormal, P::kNormal, P::kNormal},
      {E::kMouseLeave, P::kNormal, P::kNormal, P::kNormal},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.fromNormal, PictureAfter(c.event, P::kNormal)) << static_cast<int>(c.event);
    EXPECT_EQ(c.fromHover, PictureAfter(c.event, P::kHover)) << static_cast<int>(c.event);
    EXPECT_EQ(c.fromPressed, PictureAfter(c.event, P::kPressed)) << static_cast<int>(c.event);
  }
}

}  // namespace
}  // namespace lirra::ui
