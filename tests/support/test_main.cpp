#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
  // The code under test writes trace lines to stdout; keep them in order with gtest's output.
  setvbuf(stdout, nullptr, _IONBF, 0);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
