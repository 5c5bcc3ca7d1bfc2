// Every picture the windows name is in res/ and is a PNG: a misspelt name would only show as a
// window without its picture.
#include "ui/skin_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "ui/dpi_scale.h"

namespace lirra::ui {
namespace {

struct NamedPicture {
  const char* what;
  const wchar_t* file;
};

std::vector<NamedPicture> AllPictures() {
  std::vector<NamedPicture> all = {
      {"loading background", kSkinLoadingBackground},
      {"message box background", kSkinMessageBoxBackground},
      {"About background", kSkinAboutBackground},
      {"driver manager background", kSkinDriverManagerBackground},
      {"title strip background", kSkinTitleStripBackground},
      {"static brush", kSkinStaticBrush},
      {"question icon", kSkinQuestionIcon},
      {"warning icon", kSkinWarningIcon},
  };
  const std::pair<const char*, ButtonPictures> buttons[] = {
      {"close", kSkinClose},
      {"confirm", kSkinConfirm},
      {"cancel", kSkinCancel},
      {"vendor", kSkinVendor},
      {"vendor selected", kSkinVendorSelected},
      {"vendor installed", kSkinVendorInstalled},
      {"title strip close", kSkinStripClose},
      {"wide button", kSkinWideButton},
      {"maximise", kSkinMaximize},
      {"restore", kSkinRestore},
      {"minimise", kSkinMinimize},
      {"driver settings", kSkinDriverSettings},
      {"refresh", kSkinRefresh},
      {"back", kSkinBack},
      {"forward", kSkinForward},
      {"logo", kSkinLogo},
      {"about pop-up", kSkinAboutPopup},
  };
  for (const auto& [what, pictures] : buttons) {
    for (const wchar_t* file : {pictures.normal, pictures.hover, pictures.pressed, pictures.disabled})
      if (file) all.push_back({what, file});
  }
  return all;
}

// "res\name.png" as a path under the source tree (the names are ASCII).
std::string InSourceTree(const wchar_t* name) {
  const char* root = std::getenv("LIRRA_SOURCE_DIR");
  std::string path = root ? root : ".";
  path += '/';
  for (const wchar_t* p = name; *p; ++p) path += *p == L'\\' ? '/' : static_cast<char>(*p);
  return path;
}

TEST(SkinFiles, EveryNamedPictureIsAPngInRes) {
  const std::string kPngSignature = "\x89PNG\r\n\x1a\n";
  for (const NamedPicture& picture : AllPictures()) {
    const std::string path = InSourceTree(picture.file);
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.is_open()) << picture.what << ": " << path;
    std::string head(kPngSignature.size(), '\0');
    in.read(&head[0], static_cast<std::streamsize>(head.size()));
    EXPECT_EQ(kPngSignature, head) << picture.what << ": " << path;
  }
}

// Width and height from a PNG's header chunk; 0 x 0 when the file can't be read.
Size PngSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char head[24] = {};
  if (!in.read(reinterpret_cast<char*>(head), sizeof(head))) return {};
  auto big = [&](int at) { return (head[at] << 24) | (head[at + 1] << 16) | (head[at + 2] << 8) | head[at + 3]; };
  return {big(16), big(20)};
}

// The windows take a larger screen's picture by its name and expect it at exactly the scaled
// size of the 96-DPI one, so layouts and cut outlines match whichever picture was found.
TEST(SkinFiles, EveryPictureIsDrawnForLargerScreensAtItsScaledSize) {
  for (const NamedPicture& picture : AllPictures()) {
    const Size design = PngSize(InSourceTree(picture.file));
    ASSERT_GT(design.cx, 0) << picture.what;
    for (int dpi : {144, 192}) {
      const PictureVariant variant = PictureVariants(picture.file, dpi).front();
      const std::string path = InSourceTree(variant.path.c_str());
      EXPECT_EQ(ScaleSize(design, dpi), PngSize(path)) << picture.what << ": " << path;
    }
  }
}

}  // namespace
}  // namespace lirra::ui
