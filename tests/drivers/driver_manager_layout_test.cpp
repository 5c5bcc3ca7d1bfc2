// The driver manager's controls in its 578 x 338 window: inside it, apart from each other,
// the bottom buttons in the background's footer and the close button in the corner.
#include "drivers/driver_manager_layout.h"

#include <gtest/gtest.h>

#include <string>

#include "resource.h"
#include "ui/dpi_scale.h"

namespace lirra::drivers {
namespace {

bool Overlap(const ui::Rect& a, const ui::Rect& b) {
  return a.x < b.x + b.cx && b.x < a.x + a.cx && a.y < b.y + b.cy && b.y < a.y + a.cy;
}

class DriverManagerAtDpi : public testing::TestWithParam<int> {};

TEST_P(DriverManagerAtDpi, ControlsFitApartInsideTheWindow) {
  const int dpi = GetParam();
  const ui::Size window = ui::ScaleSize(kDriverManagerWindow, dpi);
  const std::vector<ui::ControlPlace> places = DriverManagerPlaces(window, dpi);
  ASSERT_EQ(11u, places.size());
  for (size_t i = 0; i < places.size(); ++i) {
    const ui::Rect& r = places[i].rect;
    EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.cx <= window.cx && r.y + r.cy <= window.cy) << places[i].id;
    for (size_t j = i + 1; j < places.size(); ++j)
      EXPECT_FALSE(Overlap(r, places[j].rect)) << places[i].id << " and " << places[j].id;
  }
}

TEST_P(DriverManagerAtDpi, ButtonsTakeTheirPicturesSizeAndTheStatusLineTheRowsWidth) {
  const int dpi = GetParam();
  const ui::Size window = ui::ScaleSize(kDriverManagerWindow, dpi);
  const ui::Size vendor = ui::ScaleSize({134, 28}, dpi);
  const ui::Size bottom = ui::ScaleSize({112, 32}, dpi);
  int vendorRowRight = 0;
  ui::Rect status;
  for (const ui::ControlPlace& place : DriverManagerPlaces(window, dpi)) {
    const ui::Rect& r = place.rect;
    if (place.id == IDC_DRV_STATUS) status = r;
    if (place.id == IDC_DRV_NJYS) vendorRowRight = r.x + r.cx;
    if (place.id == IDC_DRV_HID || place.id == IDC_DRV_YSB || place.id == IDC_DRV_NJYS || place.id == IDC_DRV_WHJL ||
        place.id == IDC_DRV_SDSS) {
      EXPECT_EQ(vendor.cx, r.cx);
    }
    if (place.id == IDC_DRV_USE || place.id == IDC_DRV_INSTALL || place.id == IDC_DRV_REINSTALL) {
      EXPECT_EQ(bottom.cx, r.cx);
      EXPECT_GE(r.y, ui::ScaleLength(256, dpi)) << "in the background's footer";
    }
    if (place.id == IDC_DRV_CLOSE) {
      EXPECT_EQ((ui::Rect{window.cx - ui::ScaleLength(47, dpi), ui::ScaleLength(8, dpi), ui::ScaleLength(39, dpi),
                          ui::ScaleLength(39, dpi)}),
                r);
    }
  }
  // The status line spans the vendor rows: 450 pixels at 96 DPI, in proportion above.
  EXPECT_EQ(vendorRowRight, status.x + status.cx);
  EXPECT_GE(status.cx, 450 * dpi / 96);
}

INSTANTIATE_TEST_SUITE_P(Dpis, DriverManagerAtDpi, testing::Values(96, 120, 144, 192));

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

TEST(VendorLooks, InstalledWinsOverTheTick) {
  EXPECT_EQ(VendorState::kInstalled, VendorStateOf(true, true));
  EXPECT_EQ(VendorState::kInstalled, VendorStateOf(true, false));
  EXPECT_EQ(VendorState::kSelected, VendorStateOf(false, true));
  EXPECT_EQ(VendorState::kNotSelected, VendorStateOf(false, false));
}

TEST(VendorLooks, EveryStateHasItsOwnPictureAndLabelColour) {
  const VendorState states[] = {VendorState::kNotSelected, VendorState::kSelected, VendorState::kInstalled};
  for (VendorState a : states) {
    for (VendorState b : states) {
      if (a == b) continue;
      EXPECT_NE(std::wstring(VendorLookOf(a).pictures.normal), VendorLookOf(b).pictures.normal);
      EXPECT_NE(VendorLookOf(a).labelRgb, VendorLookOf(b).labelRgb);
    }
  }
}

// An installed vendor's button is disabled (it can't be deselected); it keeps its own picture
// instead of the greyed one, which would read as "not available".
TEST(VendorLooks, OnlyTheInstalledLookBringsItsOwnDisabledPicture) {
  const ui::ButtonPictures installed = VendorLookOf(VendorState::kInstalled).pictures;
  ASSERT_NE(nullptr, installed.disabled);
  EXPECT_EQ(std::wstring(installed.normal), installed.disabled);
  EXPECT_EQ(nullptr, VendorLookOf(VendorState::kSelected).pictures.disabled);
}

}  // namespace
}  // namespace lirra::drivers
