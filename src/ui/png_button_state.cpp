#include "ui/png_button_state.h"

namespace lirra::ui {

ButtonPicture PictureAfter(ButtonEvent event, ButtonPicture shown) {
  switch (event) {
    case ButtonEvent::kSetImages:
    case ButtonEvent::kLeftButtonUp:
    case ButtonEvent::kMouseLeave:
      return ButtonPicture::kNormal;
    case ButtonEvent::kSetCursor:
      return ButtonPicture::kHover;
    case ButtonEvent::kLeftButtonDown:
      return ButtonPicture::kPressed;
    case ButtonEvent::kMouseHover:
      return shown;
  }
  return shown;
}

int LabelFontHeight(int size) { return size + size / 8 + size / 3; }

int CentredLabelX(int buttonWidth, int textWidth) {
  return textWidth >= buttonWidth ? 0 : (buttonWidth - textWidth) / 2;
}

LabelOrigin LabelPosition(LabelOrigin label, bool held) {
  if (held) return {label.x + 1, label.y + 1};
  return label;
}

}  // namespace lirra::ui
