// What a PNG button shows: which of its three pictures after which mouse event, and how its label is drawn.
#pragma once

namespace lirra::ui {

enum class ButtonPicture { kNormal, kHover, kPressed };

enum class ButtonEvent {
  kSetImages,       // new pictures were given
  kSetCursor,       // the pointer moved over the button
  kMouseHover,      // the hover notification arrived
  kLeftButtonDown,  // pressed on the button
  kLeftButtonUp,    // released
  kMouseLeave,      // the pointer left the button
};

// The picture shown after `event` when `shown` was on screen.
ButtonPicture PictureAfter(ButtonEvent event, ButtonPicture shown);

// Font height of a label of size value s: s + s/8 + s/3 (14, 17, 19 for 10, 12, 14).
int LabelFontHeight(int size);

struct LabelOrigin {
  int x = 0;
  int y = 0;
};

// Where a label centred on a button starts: the middle, or the left edge when it is wider.
int CentredLabelX(int buttonWidth, int textWidth);

// Where the label starts; one pixel right and down while the button is held.
LabelOrigin LabelPosition(LabelOrigin label, bool held);

}  // namespace lirra::ui
