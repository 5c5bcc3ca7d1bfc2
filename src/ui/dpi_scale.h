// Layouts are drawn for a 96-DPI screen; these scale them to the screen the window runs on, so
// texts made with point-size fonts (which grow with the DPI) keep fitting their controls.
#pragma once

#include <string>
#include <vector>

#include "ui/skin_layout.h"

namespace lirra::ui {

// A DPI that can't be a screen's (zero, negative or beyond any screen) counts as 96.
int SaneDpi(int dpi);

// A length of the 96-DPI layout at `dpi`, to the nearest pixel (halves away from zero).
int ScaleLength(int pixels, int dpi);
Size ScaleSize(Size size, int dpi);
// The edges are scaled rather than the width, so rectangles that touch at 96 DPI still touch
// (and never overlap) at any other.
Rect ScaleRect(const Rect& rect, int dpi);

// The loading window (dialog 129) in pixels at 96 DPI: its template's 317 x 55 dialog units in
// the usual 8-point dialog font, and its one text control inside it.
inline constexpr Size kLoadingWindow{476, 89};
inline constexpr Rect kLoadingText{11, 11, 454, 67};

}  // namespace lirra::ui

namespace lirra::ui {

// A skin picture drawn for a larger screen: "res\close@1.5x.png" beside "res\close.png".
struct PictureVariant {
  std::wstring path;
  int percent;  // its scale against the 96-DPI picture: 100, 150 or 200
};

// The pictures to try for the 96-DPI picture `path` at `dpi`, best first: the smallest drawn
// at least as large as the screen needs (shrinking keeps edges sharp, growing blurs them), then
// the others, largest first; the 96-DPI picture itself always comes last, so a skin with only
// that one keeps working.
std::vector<PictureVariant> PictureVariants(const std::wstring& path, int dpi);

// A length of a variant drawn at `percent` back at 96 DPI (nearest pixel), the inverse of
// ScaleLength for the scales the skin is drawn at.
int DesignLength(int pixels, int percent);

}  // namespace lirra::ui
