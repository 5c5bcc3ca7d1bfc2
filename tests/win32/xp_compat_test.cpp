// The GetTickCount64 stand-in must keep timed waits working: winpthreads calls it for
// every timed wait on a condition variable and for sleeps.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// The import slot that compat/mingw fills in place of kernel32's.
extern "C" ULONGLONG(WINAPI* const TickCount64Slot)(void) __asm__("__imp__GetTickCount64@0");

TEST(XpCompat, TickCountAdvancesWithRealTime) {
  ULONGLONG before = TickCount64Slot();
  Sleep(50);
  ULONGLONG after = TickCount64Slot();
  EXPECT_GE(after - before, 40u);
  EXPECT_LT(after - before, 5000u);
}

TEST(XpCompat, TimedWaitsAndThreadsWork) {
  std::mutex m;
  std::condition_variable cv;
  bool ready = false;
  std::unique_lock<std::mutex> lock(m);
  EXPECT_FALSE(cv.wait_for(lock, std::chrono::milliseconds(30), [&] { return ready; }));

  std::thread worker([&] {
    std::lock_guard<std::mutex> g(m);
    ready = true;
    cv.notify_one();
  });
  EXPECT_TRUE(cv.wait_for(lock, std::chrono::seconds(10), [&] { return ready; }));
  lock.unlock();
  worker.join();
}
