// The product version from this executable's own version resource: the number of project(VERSION).
#include <gtest/gtest.h>

#include "app/update_check.h"
#include "lirra_version.h"
#include "platform/platform.h"

namespace lirra {
namespace {

TEST(ProductVersionWin32Test, ReadFromTheVersionResource) {
  EXPECT_EQ(NativePlatform().ProductVersion(), LIRRA_VERSION_WTEXT);
  char buffer[kProductVersionCapacity];
  ASSERT_EQ(GetProductVersion(buffer), 0);
  EXPECT_STREQ(buffer, LIRRA_VERSION_TEXT);
}

}  // namespace
}  // namespace lirra
