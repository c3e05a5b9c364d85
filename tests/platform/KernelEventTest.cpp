// Events, waitable timers, waits, handles and last error.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Kernel.h"

namespace {

using Clock = std::chrono::steady_clock;

// Closes a handle when the test ends, however it ends.
struct Handle {
  HANDLE h;
  explicit Handle(HANDLE handle) : h(handle) {}
  ~Handle() {
    if (h != nullptr) CloseHandle(h);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  operator HANDLE() const { return h; }
};

long MillisecondsSince(Clock::time_point start) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Sets `event` from another thread a little later.
std::thread SetLater(HANDLE event) {
  return std::thread([event] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    SetEvent(event);
  });
}

LARGE_INTEGER RelativeMs(LONGLONG ms) {
  LARGE_INTEGER due;
  due.QuadPart = -ms * 10'000;
  return due;
}

TEST(KernelEvent, ResetSemanticsFollowTheKindOfEvent) {
  struct Case {
    BOOL manualReset;
    BOOL initialState;
    DWORD firstWait;
    DWORD secondWait;
  };
  const Case cases[] = {
      {TRUE, TRUE, WAIT_OBJECT_0, WAIT_OBJECT_0},
      {FALSE, TRUE, WAIT_OBJECT_0, WAIT_TIMEOUT},
      {TRUE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
      {FALSE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "manual " << c.manualReset << " initial " << c.initialState);
    Handle event(CreateEvent(nullptr, c.manualReset, c.initialState, nullptr));
    ASSERT_NE(event.h, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), c.firstWait);
    EXPECT_EQ(WaitForSingleObject(event, 0), c.secondWait);
    ASSERT_TRUE(SetEvent(event));
    ASSERT_TRUE(ResetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  }
}

TEST(KernelEvent, WaitAnyResetsOnlyTheObjectItReturns) {
  Handle manual(CreateEvent(nullptr, TRUE, TRUE, nullptr));
  Handle autoA(CreateEvent(nullptr, FALSE, TRUE, nullptr));
  Handle autoB(CreateEvent(nullptr, FALSE, TRUE, nullptr));

  const HANDLE autos[] = {autoA, autoB};
  EXPECT_EQ(WaitForMultipleObjects(2, autos, FALSE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(2, autos, FALSE, 0), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForMultipleObjects(2, autos, FALSE, 0), WAIT_TIMEOUT);

  // A signalled manual event in front keeps answering; the auto one behind it stays set.
  ASSERT_TRUE(SetEvent(autoA));
  const HANDLE mixed[] = {manual, autoA};
  EXPECT_EQ(WaitForMultipleObjects(2, mixed, FALSE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(2, mixed, FALSE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(autoA, 0), WAIT_OBJECT_0);
}

TEST(KernelEvent, WaitsWakeWhenAnotherThreadSignals) {
  Handle manual(CreateEvent(nullptr, TRUE, TRUE, nullptr));
  Handle automatic(CreateEvent(nullptr, FALSE, FALSE, nullptr));
  const HANDLE both[] = {manual, automatic};
  const auto start = Clock::now();
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 60), WAIT_TIMEOUT);
  EXPECT_GE(MillisecondsSince(start), 55);

  std::thread setter = SetLater(automatic);
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, INFINITE), WAIT_OBJECT_0);
  setter.join();
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);  // wait-all satisfied it too

  ASSERT_TRUE(ResetEvent(manual));
  setter = SetLater(automatic);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, INFINITE), WAIT_OBJECT_0 + 1);
  setter.join();
}

TEST(KernelEvent, OneSetOfAnAutoResetEventReleasesOneWaiter) {
  Handle event(CreateEvent(nullptr, FALSE, FALSE, nullptr));
  std::atomic<int> released{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 3; ++i)
    waiters.emplace_back([&] {
      if (WaitForSingleObject(event, 30'000) == WAIT_OBJECT_0) ++released;
    });
  for (int set = 1; set <= 3; ++set) {
    ASSERT_TRUE(SetEvent(event));
    const auto start = Clock::now();
    while (released < set && MillisecondsSince(start) < 10'000)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (set == 1) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(released, set);
  }
  for (auto& waiter : waiters) waiter.join();
}

TEST(KernelEvent, NamedEventsAreSharedInTheProcessWhileAHandleIsOpen) {
  const std::string name = "test-event+" + std::to_string(GetCurrentProcessId());
  HANDLE first = CreateEvent(nullptr, TRUE, FALSE, name.c_str());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  HANDLE second = CreateEvent(nullptr, FALSE, TRUE, name.c_str());
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  HANDLE opened = OpenEvent(EVENT_ALL_ACCESS, FALSE, name.c_str());
  ASSERT_NE(opened, nullptr);

  // One event: the first creation's settings count (manual, not set).
  EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_TIMEOUT);
  ASSERT_TRUE(SetEvent(opened));
  EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);

  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(CreateWaitableTimer(nullptr, FALSE, name.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  EXPECT_TRUE(CloseHandle(first));
  EXPECT_TRUE(CloseHandle(second));
  HANDLE again = OpenEvent(SYNCHRONIZE, FALSE, name.c_str());  // still open through `opened`
  EXPECT_NE(again, nullptr);
  EXPECT_TRUE(CloseHandle(again));
  EXPECT_TRUE(CloseHandle(opened));
  EXPECT_EQ(OpenEvent(SYNCHRONIZE, FALSE, name.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  // A new event of that name starts afresh.
  Handle fresh(CreateEvent(nullptr, FALSE, FALSE, name.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(WaitForSingleObject(fresh, 0), WAIT_TIMEOUT);
}

TEST(KernelEvent, BadHandlesAndArgumentsFailWithTheirLastError) {
  HANDLE closed = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  ASSERT_TRUE(CloseHandle(closed));
  Handle event(CreateEvent(nullptr, TRUE, FALSE, nullptr));
  Handle timer(CreateWaitableTimer(nullptr, TRUE, nullptr));
  const LARGE_INTEGER due = RelativeMs(10);
  DWORD code = 0;
  const HANDLE twice[] = {event, event};
  const HANDLE some[] = {event};
  struct Case {
    const char* what;
    std::function<bool()> failed;
    DWORD error;
  };
  const Case cases[] = {
      {"SetEvent(closed)", [&] { return !SetEvent(closed); }, ERROR_INVALID_HANDLE},
      {"ResetEvent(timer)", [&] { return !ResetEvent(timer); }, ERROR_INVALID_HANDLE},
      {"wait on null", [] { return WaitForSingleObject(nullptr, 0) == WAIT_FAILED; }, ERROR_INVALID_HANDLE},
      {"wait on closed", [&] { return WaitForSingleObject(closed, INFINITE) == WAIT_FAILED; }, ERROR_INVALID_HANDLE},
      {"wait on process", [] { return WaitForSingleObject(GetCurrentProcess(), 0) == WAIT_FAILED; },
       ERROR_INVALID_HANDLE},
      {"CloseHandle(closed)", [&] { return !CloseHandle(closed); }, ERROR_INVALID_HANDLE},
      {"exit code of an event", [&] { return !GetExitCodeThread(event, &code); }, ERROR_INVALID_HANDLE},
      {"timer completion routine",
       [&] { return !SetWaitableTimer(timer, &due, 0, reinterpret_cast<void*>(&code), nullptr, FALSE); },
       ERROR_NOT_SUPPORTED},
      {"no handles", [&] { return WaitForMultipleObjects(0, some, FALSE, 0) == WAIT_FAILED; }, ERROR_INVALID_PARAMETER},
      {"too many handles", [&] { return WaitForMultipleObjects(65, some, FALSE, 0) == WAIT_FAILED; },
       ERROR_INVALID_PARAMETER},
      {"wait all twice", [&] { return WaitForMultipleObjects(2, twice, TRUE, 0) == WAIT_FAILED; },
       ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_TRUE(c.failed()) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
  }
  // Closing the stale handle did not reach the event made after it.
  EXPECT_TRUE(SetEvent(event));
}

TEST(KernelEvent, LastErrorBelongsToEachThread) {
  SetLastError(42);
  DWORD seenByOther = 0;
  std::thread other([&] {
    seenByOther = GetLastError();
    SetEvent(nullptr);
  });
  other.join();
  EXPECT_EQ(seenByOther, ERROR_SUCCESS);
  EXPECT_EQ(GetLastError(), 42u);
}

TEST(KernelTimer, FiresAsArmed) {
  struct Case {
    const char* what;
    BOOL manualReset;
    LONG period;
    DWORD secondWait;  // right after the first signal
  };
  const Case cases[] = {
      {"one-shot auto-reset", FALSE, 0, WAIT_TIMEOUT},
      {"one-shot manual-reset", TRUE, 0, WAIT_OBJECT_0},
      {"periodic auto-reset", FALSE, 40, WAIT_OBJECT_0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Handle timer(CreateWaitableTimer(nullptr, c.manualReset, nullptr));
    ASSERT_NE(timer.h, nullptr);
    const LARGE_INTEGER due = RelativeMs(40);
    const auto start = Clock::now();
    ASSERT_TRUE(SetWaitableTimer(timer, &due, c.period, nullptr, nullptr, FALSE));
    ASSERT_EQ(WaitForSingleObject(timer, 10'000), WAIT_OBJECT_0);
    EXPECT_GE(MillisecondsSince(start), 35);
    EXPECT_EQ(WaitForSingleObject(timer, c.period == 0 ? 100 : 10'000), c.secondWait);
    if (c.period != 0) {
      EXPECT_GE(MillisecondsSince(start), 75);
    }
  }
}

TEST(KernelTimer, CancelStopsATimerAndReArmingWakesASleepingWaiter) {
  Handle timer(CreateWaitableTimer(nullptr, FALSE, nullptr));
  LARGE_INTEGER due = RelativeMs(30);
  ASSERT_TRUE(SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE));
  ASSERT_TRUE(CancelWaitableTimer(timer));
  EXPECT_EQ(WaitForSingleObject(timer, 120), WAIT_TIMEOUT);

  due = RelativeMs(60'000);
  ASSERT_TRUE(SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE));
  std::atomic<DWORD> result{WAIT_FAILED};
  std::thread waiter([&] { result = WaitForSingleObject(timer, 30'000); });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  due = RelativeMs(10);
  ASSERT_TRUE(SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE));
  waiter.join();
  EXPECT_EQ(result, WAIT_OBJECT_0);
}

TEST(KernelTimer, AbsoluteDueTimeIsOnThePerformanceCounterClock) {
  Handle timer(CreateWaitableTimer(nullptr, TRUE, nullptr));
  LARGE_INTEGER now, frequency;
  ASSERT_TRUE(QueryPerformanceCounter(&now));
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  EXPECT_EQ(frequency.QuadPart, 10'000'000);
  LARGE_INTEGER due;
  due.QuadPart = now.QuadPart + frequency.QuadPart / 20;  // 50 ms
  const auto start = Clock::now();
  ASSERT_TRUE(SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE));
  ASSERT_EQ(WaitForSingleObject(timer, 10'000), WAIT_OBJECT_0);
  EXPECT_GE(MillisecondsSince(start), 40);
  // A due time already past signals at once.
  ASSERT_TRUE(SetWaitableTimer(timer, &now, 0, nullptr, nullptr, FALSE));
  EXPECT_EQ(WaitForSingleObject(timer, 0), WAIT_OBJECT_0);
}

}  // namespace
