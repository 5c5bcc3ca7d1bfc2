#include "ui/dpi_scale.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "resource.h"

namespace lirra::ui {
namespace {

struct LengthCase {
  int pixels;
  int dpi;
  int scaled;
};

class Lengths : public testing::TestWithParam<LengthCase> {};

TEST_P(Lengths, NearestPixelHalvesAwayFromZero) {
  EXPECT_EQ(GetParam().scaled, ScaleLength(GetParam().pixels, GetParam().dpi));
}

INSTANTIATE_TEST_SUITE_P(Cases, Lengths,
                         testing::Values(LengthCase{39, 96, 39}, LengthCase{39, 120, 49},       // 48.75
                                         LengthCase{39, 144, 59},                               // 58.5
                                         LengthCase{578, 144, 867}, LengthCase{338, 120, 423},  // 422.5
                                         LengthCase{418, 120, 523}, LengthCase{7, 480, 35}, LengthCase{0, 144, 0},
                                         LengthCase{-49, 120, -61},  // -61.25
                                         LengthCase{-3, 144, -5},    // -4.5
                                         LengthCase{1600, 192, 3200},
                                         // A DPI no screen has leaves the layout as drawn.
                                         LengthCase{100, 0, 100}, LengthCase{100, -120, 100},
                                         LengthCase{100, 100000, 100}));

TEST(Rects, NeighboursStillTouchAndNeverOverlap) {
  for (int dpi : {96, 110, 120, 144, 168, 192}) {
    // A row of 39-pixel buttons, as in the browser window's title strip.
    int right = 0;
    for (int i = 0; i < 10; ++i) {
      const Rect button = ScaleRect({i * 39, 0, 39, 39}, dpi);
      EXPECT_EQ(right, button.x) << dpi << " button " << i;
      EXPECT_GE(button.cx, 39 * dpi / 96) << dpi;
      EXPECT_LE(button.cx, 39 * dpi / 96 + 1) << dpi;
      right = button.x + button.cx;
    }
    EXPECT_EQ(ScaleLength(390, dpi), right) << dpi;
  }
  EXPECT_EQ((Rect{17, 17, 681, 100}), ScaleRect(kLoadingText, 144));
  EXPECT_EQ((Size{714, 134}), ScaleSize(kLoadingWindow, 144));
}

TEST(LoadingWindow, TheTextStaysInsideTheWindowAtEveryDpi) {
  for (int dpi : {96, 120, 144, 192}) {
    const Size window = ScaleSize(kLoadingWindow, dpi);
    const Rect text = ScaleRect(kLoadingText, dpi);
    EXPECT_GT(text.x, 0);
    EXPECT_GT(text.y, 0);
    EXPECT_LT(text.x + text.cx, window.cx) << dpi;
    EXPECT_LT(text.y + text.cy, window.cy) << dpi;
  }
}

TEST(MessageBoxAtDpi, ControlsScaleWithTheWindowAndTheCloseButtonWithTheScreen) {
  for (int dpi : {96, 120, 144}) {
    const Size window = ScaleSize(kMessageBoxWindow, dpi);
    std::map<int, Rect> byId;
    for (const ControlPlace& place : MessageBoxPlaces(window, dpi)) byId[place.id] = place.rect;
    for (const auto& [id, rect] : byId) {
      EXPECT_GE(rect.x, 0) << id;
      EXPECT_LE(rect.x + rect.cx, window.cx) << dpi << " " << id;
      EXPECT_LE(rect.y + rect.cy, window.cy) << dpi << " " << id;
    }
    EXPECT_EQ((Rect{window.cx - ScaleLength(49, dpi), ScaleLength(8, dpi), ScaleLength(39, dpi), ScaleLength(39, dpi)}),
              byId.at(IDC_MSGBOX_CLOSE));
  }
  std::map<int, Rect> at144;
  for (const ControlPlace& place : MessageBoxPlaces({627, 387}, 144)) at144[place.id] = place.rect;
  EXPECT_EQ((Rect{553, 12, 59, 59}), at144.at(IDC_MSGBOX_CLOSE));
  EXPECT_EQ((Rect{57, 125, 542, 128}), at144.at(IDC_MSGBOX_TEXT));
}

struct VariantCase {
  int dpi;
  std::vector<std::wstring> tried;
};

class Variants : public testing::TestWithParam<VariantCase> {};

TEST_P(Variants, SmallestLargeEnoughFirstAndTheDesignPictureLast) {
  std::vector<std::wstring> tried;
  for (const PictureVariant& variant : PictureVariants(L"res\\close.png", GetParam().dpi))
    tried.push_back(variant.path);
  EXPECT_EQ(GetParam().tried, tried);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, Variants,
    testing::Values(VariantCase{96, {L"res\\close.png"}}, VariantCase{0, {L"res\\close.png"}},
                    VariantCase{120, {L"res\\close@1.5x.png", L"res\\close@2x.png", L"res\\close.png"}},
                    VariantCase{144, {L"res\\close@1.5x.png", L"res\\close@2x.png", L"res\\close.png"}},
                    // 145 DPI needs more than one and a half times: the 2x picture shrunk.
                    VariantCase{145, {L"res\\close@2x.png", L"res\\close@1.5x.png", L"res\\close.png"}},
                    VariantCase{288, {L"res\\close@2x.png", L"res\\close@1.5x.png", L"res\\close.png"}}));

TEST(Variants, SuffixGoesBeforeTheExtensionOfTheFileNotOfAFolder) {
  EXPECT_EQ(L"res.d\\bg@2x.png", PictureVariants(L"res.d\\bg.png", 192).front().path);
  EXPECT_EQ(L"res.d\\bg@2x", PictureVariants(L"res.d\\bg", 192).front().path);
}

TEST(Variants, DesignLengthUndoesEveryScaleOfTheSkin) {
  for (int pixels = 1; pixels <= 600; ++pixels) {
    EXPECT_EQ(pixels, DesignLength(ScaleLength(pixels, 144), 150)) << pixels;
    EXPECT_EQ(pixels, DesignLength(ScaleLength(pixels, 192), 200)) << pixels;
    EXPECT_EQ(pixels, DesignLength(pixels, 100)) << pixels;
  }
}

}  // namespace
}  // namespace lirra::ui
