// Every picture the windows name is in res/ and is a PNG: a misspelt name would only show as a
// window without its picture.
#include "ui/skin_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

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
  };
  const std::pair<const char*, ButtonPictures> buttons[] = {
      {"close", kSkinClose},
      {"confirm", kSkinConfirm},
      {"cancel", kSkinCancel},
      {"vendor", kSkinVendor},
      {"vendor selected", kSkinVendorSelected},
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
    for (const wchar_t* file : {pictures.normal, pictures.hover, pictures.pressed}) all.push_back({what, file});
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

}  // namespace
}  // namespace lirra::ui
