// Which file a skin picture comes from at each DPI, and at what size: the one drawn for the
// nearest larger screen, the next one when it is missing or broken, the 96-DPI one last (a
// shop's own res\ with only those keeps working), each brought to the size the layout expects.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ui/win32/gdi.h"
#include "window_driver.h"

namespace lirra::win {
namespace {

// A one-colour PNG of the given size; each file of a test gets its own colour.
void WritePng(const std::wstring& path, int cx, int cy, Gdiplus::Color colour) {
  Gdiplus::Bitmap picture(cx, cy, PixelFormat32bppARGB);
  {
    Gdiplus::Graphics graphics(&picture);
    Gdiplus::SolidBrush brush(colour);
    graphics.FillRectangle(&brush, 0, 0, cx, cy);
  }
  const CLSID png = test::PngEncoder();
  ASSERT_EQ(Gdiplus::Ok, picture.Save(path.c_str(), &png, nullptr));
}

enum class File { k1x, k15x, k2x };

struct PictureCase {
  const char* name;
  std::vector<File> present;
  bool brokenOneAndAHalf;  // the @1.5x file holds no picture
  int dpi;
  File expected;
  int cx, cy;  // the size handed out
};

class SkinPictures : public testing::TestWithParam<PictureCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gdiplus_.Ok());
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"lirra-skin-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder_.c_str(), nullptr);
  }
  void TearDown() override {
    for (const wchar_t* name : {L"\\pic.png", L"\\pic@1.5x.png", L"\\pic@2x.png"})
      DeleteFileW((folder_ + name).c_str());
    RemoveDirectoryW(folder_.c_str());
  }

  GdiplusSession gdiplus_;
  std::wstring folder_;
};

Gdiplus::Color ColourOf(File file) {
  switch (file) {
    case File::k1x:
      return Gdiplus::Color(255, 0, 0, 255);
    case File::k15x:
      return Gdiplus::Color(255, 0, 255, 0);
    case File::k2x:
      break;
  }
  return Gdiplus::Color(255, 255, 0, 0);
}

TEST_P(SkinPictures, NearestLargerFileAtTheLayoutsSize) {
  const PictureCase& c = GetParam();
  for (File file : c.present) {
    switch (file) {
      case File::k1x:
        WritePng(folder_ + L"\\pic.png", 20, 10, ColourOf(file));
        break;
      case File::k15x:
        if (c.brokenOneAndAHalf) {
          FILE* out = _wfopen((folder_ + L"\\pic@1.5x.png").c_str(), L"wb");
          ASSERT_NE(nullptr, out);
          fputs("not a picture", out);
          fclose(out);
        } else {
          WritePng(folder_ + L"\\pic@1.5x.png", 30, 15, ColourOf(file));
        }
        break;
      case File::k2x:
        WritePng(folder_ + L"\\pic@2x.png", 40, 20, ColourOf(file));
        break;
    }
  }
  std::unique_ptr<Gdiplus::Bitmap> picture = LoadSkinPicture(folder_ + L"\\pic.png", c.dpi, false);
  ASSERT_NE(nullptr, picture);
  EXPECT_EQ(static_cast<UINT>(c.cx), picture->GetWidth());
  EXPECT_EQ(static_cast<UINT>(c.cy), picture->GetHeight());
  Gdiplus::Color middle;
  ASSERT_EQ(Gdiplus::Ok, picture->GetPixel(c.cx / 2, c.cy / 2, &middle));
  EXPECT_EQ(ColourOf(c.expected).GetValue(), middle.GetValue());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SkinPictures,
    testing::Values(
        PictureCase{"at96TheDesignPicture", {File::k1x, File::k15x, File::k2x}, false, 96, File::k1x, 20, 10},
        PictureCase{"at144TheOneAndAHalf", {File::k1x, File::k15x, File::k2x}, false, 144, File::k15x, 30, 15},
        PictureCase{"at120TheOneAndAHalfShrunk", {File::k1x, File::k15x, File::k2x}, false, 120, File::k15x, 25, 13},
        PictureCase{"at192TheDouble", {File::k1x, File::k15x, File::k2x}, false, 192, File::k2x, 40, 20},
        PictureCase{"missingOneAndAHalfTheDoubleShrunk", {File::k1x, File::k2x}, false, 144, File::k2x, 30, 15},
        PictureCase{
            "brokenOneAndAHalfTheDoubleShrunk", {File::k1x, File::k15x, File::k2x}, true, 144, File::k2x, 30, 15},
        PictureCase{"onlyTheDesignPictureGrown", {File::k1x}, false, 144, File::k1x, 30, 15}),
    [](const testing::TestParamInfo<PictureCase>& info) { return std::string(info.param.name); });

TEST(SkinPicturesMissing, NoFileOfTheNameIsNoPicture) {
  GdiplusSession gdiplus;
  EXPECT_EQ(nullptr, LoadSkinPicture(L"no-such-folder\\pic.png", 144, false));
}

}  // namespace
}  // namespace lirra::win
