#include "drivers/driver_manager_layout.h"

#include "resource.h"
#include "ui/dpi_scale.h"

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

constexpr unsigned kBlackRgb = 0x000000;
constexpr unsigned kWhiteRgb = 0xFFFFFF;
constexpr unsigned kAccentDeepRgb = 0x1C3F7A;  // the darkest accent of the skin (scripts/make-skin.sh)

}  // namespace

VendorState VendorStateOf(bool installed, bool selected) {
  if (installed) return VendorState::kInstalled;
  return selected ? VendorState::kSelected : VendorState::kNotSelected;
}

VendorLook VendorLookOf(VendorState state) {
  switch (state) {
    case VendorState::kInstalled:
      return {ui::kSkinVendorInstalled, kWhiteRgb};
    case VendorState::kSelected:
      return {ui::kSkinVendorSelected, kAccentDeepRgb};
    case VendorState::kNotSelected:
      break;
  }
  return {ui::kSkinVendor, kBlackRgb};
}

std::vector<ui::ControlPlace> DriverManagerPlaces(ui::Size client, int dpi) {
  auto scale = [dpi](int pixels) { return ui::ScaleLength(pixels, dpi); };
  const ui::Size v = ui::ScaleSize(kVendorButton, dpi);
  const ui::Size b = ui::ScaleSize(kBottomButton, dpi);
  const int gap = scale(kColumnGap);
  const int rowWidth = 3 * v.cx + 2 * gap;
  const int left = CentredLeft(rowWidth, client.cx);
  const int column = v.cx + gap;
  const int bottomLeft = CentredLeft(3 * b.cx + 2 * gap, client.cx);
  const int bottomStep = b.cx + gap;
  const int footerTop = scale(kFooterTop);
  const int bottomY = footerTop + (client.cy - footerTop - b.cy) / 2;
  std::vector<ui::ControlPlace> places = {{IDC_DRV_HEADING, {left, scale(30), rowWidth, scale(34)}}};
  // Vendor buttons in run order, three to a row.
  for (int i = 0; i < kVendorCount; ++i) {
    const int y = scale(i < kVendorsPerRow ? kFirstRowY : kSecondRowY);
    places.push_back({VendorOf(kVendorsInRunOrder[i]).buttonId, {left + (i % kVendorsPerRow) * column, y, v.cx, v.cy}});
  }
  const ui::Size close = ui::ScaleSize(ui::kCloseButton, dpi);
  const std::vector<ui::ControlPlace> rest = {
      {IDC_DRV_STATUS, {left, scale(204), rowWidth, scale(28)}},
      {IDC_DRV_REINSTALL, {bottomLeft, bottomY, b.cx, b.cy}},
      {IDC_DRV_INSTALL, {bottomLeft + bottomStep, bottomY, b.cx, b.cy}},
      {IDC_DRV_USE, {bottomLeft + 2 * bottomStep, bottomY, b.cx, b.cy}},
      {IDC_DRV_CLOSE, {client.cx - scale(kDriverManagerCloseRight), scale(ui::kCloseTop), close.cx, close.cy}},
  };
  places.insert(places.end(), rest.begin(), rest.end());
  return places;
}

}  // namespace lirra::drivers
