// The driver manager's controls in its 578 x 338 window: inside it, apart from each other,
// the bottom buttons in the background's footer and the close button in the corner.
#include "drivers/driver_manager_layout.h"

#include <gtest/gtest.h>

#include "resource.h"

namespace lirra::drivers {
namespace {

bool Overlap(const ui::Rect& a, const ui::Rect& b) {
  return a.x < b.x + b.cx && b.x < a.x + a.cx && a.y < b.y + b.cy && b.y < a.y + a.cy;
}

TEST(DriverManagerLayout, ControlsFitApartInsideTheWindow) {
  const ui::Size window = kDriverManagerWindow;
  const std::vector<ui::ControlPlace> places = DriverManagerPlaces(window);
  ASSERT_EQ(11u, places.size());
  for (size_t i = 0; i < places.size(); ++i) {
    const ui::Rect& r = places[i].rect;
    EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.cx <= window.cx && r.y + r.cy <= window.cy) << places[i].id;
    for (size_t j = i + 1; j < places.size(); ++j)
      EXPECT_FALSE(Overlap(r, places[j].rect)) << places[i].id << " and " << places[j].id;
  }
}

TEST(DriverManagerLayout, BottomButtonsInTheFooterAndCloseInTheCorner) {
  for (ui::Size window : {kDriverManagerWindow, ui::Size{600, 360}}) {
    for (const ui::ControlPlace& place : DriverManagerPlaces(window)) {
      if (place.id == IDC_DRV_USE || place.id == IDC_DRV_INSTALL || place.id == IDC_DRV_REINSTALL) {
        EXPECT_GE(place.rect.y, 256) << place.id;
        EXPECT_LE(place.rect.y + place.rect.cy, window.cy) << place.id;
      }
      if (place.id == IDC_DRV_CLOSE) {
        EXPECT_EQ((ui::Rect{window.cx - 47, 8, 39, 39}), place.rect);
      }
    }
  }
}

}  // namespace
}  // namespace lirra::drivers
