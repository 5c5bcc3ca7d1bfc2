// The skin pictures, opened relative to the current directory (the client's folder in a shop).
#pragma once

namespace lirra::ui {

inline constexpr wchar_t kSkinLoadingBackground[] = L"res\\bg.png";
inline constexpr wchar_t kSkinMessageBoxBackground[] = L"res\\bgMessageBox.png";
inline constexpr wchar_t kSkinStaticBrush[] = L"res\\bg3.png";
inline constexpr wchar_t kSkinConfirmNormal[] = L"res\\button_left_normal.png";
inline constexpr wchar_t kSkinConfirmPressed[] = L"res\\button_press.png";
inline constexpr wchar_t kSkinCancelNormal[] = L"res\\buttonRight.png";
inline constexpr wchar_t kSkinCancelPressed[] = L"res\\buttonRight2.png";
inline constexpr wchar_t kSkinCloseNormal[] = L"res\\close.png";
inline constexpr wchar_t kSkinCloseHover[] = L"res\\close1.png";
inline constexpr wchar_t kSkinClosePressed[] = L"res\\close2.png";

inline constexpr wchar_t kSkinFontFace[] = L"微软雅黑";
inline constexpr wchar_t kLabelFontFace[] = L"宋体";
inline constexpr wchar_t kAppTitle[] = L"Lirra·商户";

}  // namespace lirra::ui
