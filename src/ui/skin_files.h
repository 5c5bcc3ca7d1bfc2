// The skin pictures, opened relative to the current directory (the client's folder in a shop).
// Every picture a window shows is named here and nowhere else; scripts/make-skin.sh draws them.
#pragma once

namespace lirra::ui {

// A button's pictures: at rest, under the mouse, pressed, and while disabled (none: the picture
// at rest, greyed and faded).
struct ButtonPictures {
  const wchar_t* normal;
  const wchar_t* hover;
  const wchar_t* pressed;
  const wchar_t* disabled = nullptr;
};

// A button that looks pressed as soon as the mouse is over it.
constexpr ButtonPictures HoverShowsPressed(const wchar_t* normal, const wchar_t* pressed) {
  return {normal, pressed, pressed};
}
// A button with one picture whatever the mouse does.
constexpr ButtonPictures OnePicture(const wchar_t* picture) { return {picture, picture, picture, picture}; }

// Backgrounds: the windows' own, and the brush behind their static texts.
inline constexpr wchar_t kSkinLoadingBackground[] = L"res\\bg.png";
inline constexpr wchar_t kSkinMessageBoxBackground[] = L"res\\bgMessageBox.png";
inline constexpr wchar_t kSkinAboutBackground[] = L"res\\bg_about.png";
inline constexpr wchar_t kSkinDriverManagerBackground[] = L"res\\bg_install.png";
inline constexpr wchar_t kSkinTitleStripBackground[] = L"res\\bg2.png";
inline constexpr wchar_t kSkinStaticBrush[] = L"res\\bg3.png";

// The close button of every skinned dialog.
inline constexpr ButtonPictures kSkinClose = {L"res\\close.png", L"res\\close1.png", L"res\\close2.png"};

// The message box's icons: a question (two buttons) and a warning (one button).
inline constexpr wchar_t kSkinQuestionIcon[] = L"res\\icon_question.png";
inline constexpr wchar_t kSkinWarningIcon[] = L"res\\icon_warning.png";

// The message box's buttons.
inline constexpr ButtonPictures kSkinConfirm =
    HoverShowsPressed(L"res\\button_left_normal.png", L"res\\button_press.png");
inline constexpr ButtonPictures kSkinCancel = HoverShowsPressed(L"res\\buttonRight.png", L"res\\buttonRight2.png");

// The driver manager's vendor buttons, not selected, selected and installed (which can't be
// deselected, so its picture is also its disabled one), and its bottom buttons.
inline constexpr ButtonPictures kSkinVendor = {L"res\\select.png", L"res\\select.png", L"res\\select.png"};
inline constexpr ButtonPictures kSkinVendorSelected = {L"res\\select2.png", L"res\\select2.png", L"res\\select2.png"};
inline constexpr ButtonPictures kSkinVendorInstalled = OnePicture(L"res\\installed.png");
inline constexpr ButtonPictures kSkinWideButton = HoverShowsPressed(L"res\\button.png", L"res\\button1.png");

// The browser's title strip; the maximise button swaps to the restore pictures while enlarged.
inline constexpr ButtonPictures kSkinStripClose = {L"res\\strip_close.png", L"res\\strip_close1.png",
                                                   L"res\\strip_close2.png"};
inline constexpr ButtonPictures kSkinMaximize = {L"res\\max.png", L"res\\max1.png", L"res\\max2.png"};
inline constexpr ButtonPictures kSkinRestore = {L"res\\notmax.png", L"res\\notmax1.png", L"res\\notmax2.png"};
inline constexpr ButtonPictures kSkinMinimize = {L"res\\smail.png", L"res\\smail1.png", L"res\\smail2.png"};
inline constexpr ButtonPictures kSkinDriverSettings = {L"res\\setting.png", L"res\\setting1.png", L"res\\setting2.png"};
inline constexpr ButtonPictures kSkinRefresh = {L"res\\refurbish.png", L"res\\refurbish1.png", L"res\\refurbish2.png"};
inline constexpr ButtonPictures kSkinBack = {L"res\\back.png", L"res\\back1.png", L"res\\back2.png"};
inline constexpr ButtonPictures kSkinForward = {L"res\\move.png", L"res\\move1.png", L"res\\move2.png"};
inline constexpr ButtonPictures kSkinLogo = HoverShowsPressed(L"res\\LOGO_normal.png", L"res\\LOGO_pressed.png");
inline constexpr ButtonPictures kSkinAboutPopup = HoverShowsPressed(L"res\\about-normal.png", L"res\\about-focus.png");

}  // namespace lirra::ui
