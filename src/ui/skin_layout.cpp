#include "ui/skin_layout.h"

#include "resource.h"
#include "ui/dpi_scale.h"

namespace lirra::ui {
namespace {

int Stretch(int value, int from, int to) {
  if (from <= 0) return value;
  return (value * to + from / 2) / from;
}

// Controls of dialog 166 as the template places them, in dialog units.
constexpr ControlPlace kMessageBoxTemplatePlaces[] = {
    {IDC_MSGBOX_SINGLE, {89, 111, 90, 24}},   {IDC_MSGBOX_TITLE, {33, 23, 188, 18}},
    {IDC_MSGBOX_TEXT, {23, 47, 217, 48}},     {IDC_MSGBOX_CONFIRM, {37, 111, 101, 22}},
    {IDC_MSGBOX_CANCEL, {142, 111, 104, 21}},
};

}  // namespace

Rect StretchTemplateRect(const Rect& units, Size templ, Size window) {
  return {Stretch(units.x, templ.cx, window.cx), Stretch(units.y, templ.cy, window.cy),
          Stretch(units.cx, templ.cx, window.cx), Stretch(units.cy, templ.cy, window.cy)};
}

std::vector<ControlPlace> MessageBoxPlaces(Size window, int dpi) {
  std::vector<ControlPlace> places;
  for (const ControlPlace& place : kMessageBoxTemplatePlaces)
    places.push_back({place.id, StretchTemplateRect(place.rect, kMessageBoxTemplate, window)});
  const Size close = ScaleSize(kCloseButton, dpi);
  places.push_back(
      {IDC_MSGBOX_CLOSE,
       {window.cx - ScaleLength(kMessageBoxCloseRight, dpi), ScaleLength(kCloseTop, dpi), close.cx, close.cy}});
  return places;
}

Rect MessageBoxIconPlace(Size window, int dpi) {
  const Size icon = ScaleSize(kMessageBoxIcon, dpi);
  return {(window.cx - icon.cx) / 2, ScaleLength(kMessageBoxIconTop, dpi), icon.cx, icon.cy};
}

AboutLayout AboutPlaces(int dpi) {
  auto centred = [dpi](int y, int cx, int cy) { return ScaleRect({(kAboutWindow.cx - cx) / 2, y, cx, cy}, dpi); };
  const Size close = ScaleSize(kCloseButton, dpi);
  return {centred(26, 110, 28),
          centred(66, 32, 32),
          centred(110, 220, 28),
          {ScaleLength(kAboutWindow.cx, dpi) - ScaleLength(kAboutCloseRight, dpi), ScaleLength(kCloseTop, dpi),
           close.cx, close.cy}};
}

Rect CentredOn(const Rect& owner, Size size, const Rect& work) {
  auto fit = [](int start, int length, int low, int room) {
    if (start + length > low + room) start = low + room - length;
    return start < low ? low : start;
  };
  const int x = owner.x + (owner.cx - size.cx) / 2;
  const int y = owner.y + (owner.cy - size.cy) / 2;
  return {fit(x, size.cx, work.x, work.cx), fit(y, size.cy, work.y, work.cy), size.cx, size.cy};
}

}  // namespace lirra::ui
