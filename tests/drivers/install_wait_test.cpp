// What the driver manager says while a run waits for an installer, and before leaving a run.
#include "drivers/install_wait.h"

#include <gtest/gtest.h>

namespace lirra::drivers {
namespace {

TEST(InstallerWait, SaysWhichProgramAndForHowLong) {
  struct Case {
    unsigned long seconds;
    const wchar_t* duration;
  };
  const Case cases[] = {
      {0, L"0秒"},
      {9, L"9秒"},
      {59, L"59秒"},
      {60, L"1分00秒"},
      {65, L"1分05秒"},
      {3599, L"59分59秒"},
      {3600, L"1小时00分00秒"},
      {3725, L"1小时02分05秒"},
      {100 * 3600 + 1, L"100小时00分01秒"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.duration, WaitDurationText(c.seconds)) << c.seconds;
  EXPECT_EQ(L"正在等待jinglun.exe（武汉精伦）结束，已等待1分05秒", InstallerWaitText(L"武汉精伦", L"jinglun.exe", 65));
  EXPECT_EQ(L"正在等待regsvr32.exe（HID）结束，已等待0秒", InstallerWaitText(L"HID", L"regsvr32.exe", 0));
}

TEST(InstallerWait, LeaveQuestionNamesTheVendorWhenAnInstallerRuns) {
  EXPECT_EQ(L"武汉精伦的安装程序尚未结束，离开后它会继续运行，\r\n但不记录武汉精伦的安装结果。是否离开？",
            LeaveRunQuestion(L"武汉精伦"));
  EXPECT_EQ(L"驱动安装尚未完成，离开后不记录正在安装的驱动。\r\n是否离开？", LeaveRunQuestion(L""));
}

}  // namespace
}  // namespace lirra::drivers
