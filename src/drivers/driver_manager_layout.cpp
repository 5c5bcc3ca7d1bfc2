#include "drivers/driver_manager_layout.h"

#include "resource.h"

namespace lirra::drivers {
namespace {

// Vendor buttons take the size of their picture (ui::kSkinVendor); bottom buttons that of
// ui::kSkinWideButton.
constexpr ui::Size kVendorButton{134, 28};
constexpr ui::Size kBottomButton{112, 32};
constexpr int kColumnGap = 24;
constexpr int kVendorsPerRow = 3;
constexpr int kFirstRowY = 96;
constexpr int kSecondRowY = 150;
constexpr int kFooterTop = 256;  // where the background's footer begins

int CentredLeft(int width, int inside) { return (inside - width) / 2; }

}  // namespace

std::vector<ui::ControlPlace> DriverManagerPlaces(ui::Size client) {
  const int rowWidth = 3 * kVendorButton.cx + 2 * kColumnGap;
  const int left = CentredLeft(rowWidth, client.cx);
  const int column = kVendorButton.cx + kColumnGap;
  const int bottomLeft = CentredLeft(3 * kBottomButton.cx + 2 * kColumnGap, client.cx);
  const int bottomStep = kBottomButton.cx + kColumnGap;
  const int bottomY = kFooterTop + (client.cy - kFooterTop - kBottomButton.cy) / 2;
  const ui::Size v = kVendorButton;
  const ui::Size b = kBottomButton;
  std::vector<ui::ControlPlace> places = {{IDC_DRV_HEADING, {left, 30, rowWidth, 34}}};
  // Vendor buttons in run order, three to a row.
  for (int i = 0; i < kVendorCount; ++i) {
    const int y = i < kVendorsPerRow ? kFirstRowY : kSecondRowY;
    places.push_back({VendorOf(kVendorsInRunOrder[i]).buttonId, {left + (i % kVendorsPerRow) * column, y, v.cx, v.cy}});
  }
  const std::vector<ui::ControlPlace> rest = {
      {IDC_DRV_STATUS, {left, 204, rowWidth, 28}},
      {IDC_DRV_REINSTALL, {bottomLeft, bottomY, b.cx, b.cy}},
      {IDC_DRV_INSTALL, {bottomLeft + bottomStep, bottomY, b.cx, b.cy}},
      {IDC_DRV_USE, {bottomLeft + 2 * bottomStep, bottomY, b.cx, b.cy}},
      {IDC_DRV_CLOSE, {client.cx - kDriverManagerCloseRight, ui::kCloseTop, ui::kCloseButton.cx, ui::kCloseButton.cy}},
  };
  places.insert(places.end(), rest.begin(), rest.end());
  return places;
}

}  // namespace lirra::drivers
