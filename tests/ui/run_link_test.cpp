// The run link's rules for leaving an installer behind, against a clock that moves only when a
// step says so, and the words of the wait line and of the question before leaving.
#include "ui/run_link.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/utf8.h"
#include "support/fake_platform.h"

namespace lirra::ui {
namespace {

// One thing that happens to the link: the worker begins or ends a wait, time passes, or the
// window leaves (the wait in progress, the wait a question was asked about, or the run).
struct Step {
  enum Op { kBegin, kPass, kLeave, kAsk, kAnswer, kLeaveRun, kEnd } op;
  const wchar_t* package = L"";  // kBegin
  unsigned ms = 0;               // kPass
};

Step Begin(const wchar_t* package) { return {Step::kBegin, package}; }
Step Pass(unsigned ms) { return {Step::kPass, L"", ms}; }
constexpr Step kLeave{Step::kLeave};
constexpr Step kAsk{Step::kAsk};
constexpr Step kAnswer{Step::kAnswer};
constexpr Step kLeaveRun{Step::kLeaveRun};
constexpr Step kEnd{Step::kEnd};

struct Case {
  const char* name;
  std::vector<Step> steps;
  // After each step: what it did, then what the window sees (package, seconds, whether leaving
  // is offered, or "-"), whether the worker stops waiting, and whether the run was left.
  std::vector<std::string> seen;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

std::string State(const RunLink& link) {
  std::string out;
  if (const std::optional<WaitView> wait = link.CurrentWait()) {
    out = WideToUtf8(wait->package) + " " + std::to_string(wait->seconds) + (wait->leaveOffered ? " offered" : "");
  } else {
    out = "-";
  }
  if (link.StopWaiting()) out += " stop";
  if (link.HasLeft()) out += " run-left";
  return out;
}

class Leaving : public testing::TestWithParam<Case> {};

TEST_P(Leaving, FollowsTheRules) {
  test::FakePlatform clock;
  RunLink link;
  std::optional<unsigned> asked;  // the wait an open question is about
  std::vector<std::string> seen;
  for (const Step& step : GetParam().steps) {
    std::string did;
    switch (step.op) {
      case Step::kBegin:
        link.WaitBegins(step.package);
        did = "begin";
        break;
      case Step::kPass:
        clock.SleepMs(step.ms);
        did = "pass " + std::to_string(step.ms);
        break;
      case Step::kLeave: {
        const std::optional<WaitView> wait = link.CurrentWait();
        did = wait && link.LeaveWait(wait->id) ? "leave taken" : "leave refused";
        break;
      }
      case Step::kAsk:
        asked = link.CurrentWait() ? std::optional<unsigned>(link.CurrentWait()->id) : std::nullopt;
        did = "ask";
        break;
      case Step::kAnswer:
        did = asked && link.LeaveWait(*asked) ? "answer taken" : "answer refused";
        break;
      case Step::kLeaveRun:
        link.LeaveRun();
        did = "leave run";
        break;
      case Step::kEnd:
        link.WaitEnds();
        did = "end";
        break;
    }
    seen.push_back(did + " | " + State(link));
  }
  EXPECT_EQ(seen, GetParam().seen);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Leaving,
    testing::Values(Case{"WaitThatEndsByItselfIsNeverStopped",
                         {Begin(L"HID驱动"), Pass(5000), kEnd, Pass(70000)},
                         {"begin | HID驱动 0", "pass 5000 | HID驱动 5", "end | -", "pass 70000 | -"}},
                    Case{"LeavingIsRefusedUntilTheWaitHasLastedAMinute",
                         {Begin(L"HID驱动"), kLeave, Pass(59999), kLeave, Pass(1), kLeave, kEnd, Begin(L"HID插件")},
                         {"begin | HID驱动 0", "leave refused | HID驱动 0", "pass 59999 | HID驱动 59",
                          "leave refused | HID驱动 59", "pass 1 | HID驱动 60 offered",
                          "leave taken | HID驱动 60 offered stop", "end | -", "begin | HID插件 0"}},
                    Case{"AnswerAfterTheWaitEndedLeavesNothing",
                         {Begin(L"HID插件"), Pass(61000), kAsk, kEnd, kAnswer, Begin(L"HID插件"), Pass(60000), kAnswer},
                         {"begin | HID插件 0", "pass 61000 | HID插件 61 offered", "ask | HID插件 61 offered", "end | -",
                          "answer refused | -", "begin | HID插件 0", "pass 60000 | HID插件 60 offered",
                          "answer refused | HID插件 60 offered"}},
                    Case{"LeavingTheRunStopsThisWaitAndEveryLaterOneAtOnce",
                         {Begin(L"武汉精伦"), Pass(1000), kLeaveRun, kEnd, Begin(L"山东神思")},
                         {"begin | 武汉精伦 0", "pass 1000 | 武汉精伦 1", "leave run | 武汉精伦 1 stop run-left",
                          "end | - stop run-left", "begin | 山东神思 0 stop run-left"}},
                    Case{"LeavingTheRunBetweenWaits",
                         {kLeaveRun, Begin(L"南京亿数")},
                         {"leave run | - stop run-left", "begin | 南京亿数 0 stop run-left"}}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(WaitWords, SayWhichPackageAndForHowLong) {
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
  EXPECT_EQ(L"正在等待山东神思安装程序结束，已等待11秒", InstallerWaitText(L"山东神思", 11));
  EXPECT_EQ(L"正在等待HID驱动安装程序结束，已等待1分05秒", InstallerWaitText(L"HID驱动", 65));
}

TEST(WaitWords, LeaveQuestionNamesThePackageWhenAnInstallerRuns) {
  EXPECT_EQ(L"武汉精伦的安装程序尚未结束，离开后它会继续运行，\r\n但不记录武汉精伦的安装结果。是否离开？",
            LeaveQuestion(L"武汉精伦"));
  EXPECT_EQ(L"驱动安装尚未完成，离开后不记录正在安装的驱动。\r\n是否离开？", LeaveQuestion(L""));
}

}  // namespace
}  // namespace lirra::ui
