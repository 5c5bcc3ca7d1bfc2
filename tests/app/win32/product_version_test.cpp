// The product version from this executable's own version resource.
#include <gtest/gtest.h>

#include "app/update_check.h"
#include "platform/platform.h"

namespace lirra {
namespace {

TEST(ProductVersionWin32Test, ReadFromTheVersionResource) {
  EXPECT_EQ(NativePlatform().ProductVersion(), L"1.0.0.2");
  char buffer[kProductVersionCapacity];
  ASSERT_EQ(GetProductVersion(buffer), 0);
  EXPECT_STREQ(buffer, "1.0.0.2");
}

}  // namespace
}  // namespace lirra
