// Threads and their handles, critical sections and time.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/Kernel.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Gate {
  HANDLE go = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  HANDLE entered = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  std::atomic<DWORD> id{0};
  ~Gate() {
    CloseHandle(go);
    CloseHandle(entered);
  }
};

// Reports that it runs, waits for the gate, and returns 1000 + its priority.
DWORD GatedWorker(void* parameter) {
  auto* gate = static_cast<Gate*>(parameter);
  gate->id = GetCurrentThreadId();
  SetEvent(gate->entered);
  WaitForSingleObject(gate->go, INFINITE);
  return 1000 + static_cast<DWORD>(GetThreadPriority(GetCurrentThread()));
}

TEST(KernelThread, HandleIsSignalledWhenTheThreadEndsWithItsExitCode) {
  Gate gate;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, GatedWorker, &gate, 0, &id);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(gate.entered, 10'000), WAIT_OBJECT_0);
  EXPECT_EQ(gate.id, id);
  EXPECT_NE(id, GetCurrentThreadId());

  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(thread, 20), WAIT_TIMEOUT);
  // Priorities are recorded even where the system does not let us raise them.
  EXPECT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_ABOVE_NORMAL));
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_ABOVE_NORMAL);

  SetEvent(gate.go);
  ASSERT_EQ(WaitForSingleObject(thread, 10'000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);  // stays signalled
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 1000u + THREAD_PRIORITY_ABOVE_NORMAL);
  EXPECT_TRUE(CloseHandle(thread));
}

TEST(KernelThread, ClosingAHandleAnotherThreadWaitsOnIsSafe) {
  Gate gate;
  HANDLE thread = CreateThread(nullptr, 0, GatedWorker, &gate, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  std::atomic<DWORD> result{WAIT_FAILED};
  std::thread waiter([&] { result = WaitForSingleObject(thread, 30'000); });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  ASSERT_TRUE(CloseHandle(thread));  // the last handle
  SetEvent(gate.go);
  waiter.join();
  EXPECT_EQ(result, WAIT_OBJECT_0);

  // Likewise for an event that stays reachable through a duplicate.
  HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  HANDLE duplicate = nullptr;
  ASSERT_TRUE(
      DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), &duplicate, 0, FALSE, DUPLICATE_SAME_ACCESS));
  std::thread eventWaiter([&] { result = WaitForSingleObject(event, 30'000); });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  ASSERT_TRUE(CloseHandle(event));
  ASSERT_TRUE(SetEvent(duplicate));
  eventWaiter.join();
  EXPECT_EQ(result, WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(duplicate));
  EXPECT_FALSE(CloseHandle(duplicate));
}

TEST(KernelThread, ClosingTheHandleLeavesTheThreadRunning) {
  HANDLE done = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](void* event) -> DWORD {
        Sleep(30);
        SetEvent(static_cast<HANDLE>(event));
        return 0;
      },
      done, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  ASSERT_TRUE(CloseHandle(thread));
  EXPECT_EQ(WaitForSingleObject(done, 10'000), WAIT_OBJECT_0);
  CloseHandle(done);
}

TEST(KernelThread, SuspendedThreadStartsOnResume) {
  Gate gate;
  SetEvent(gate.go);
  HANDLE thread = CreateThread(nullptr, 64 * 1024, GatedWorker, &gate, CREATE_SUSPENDED, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(gate.entered, 100), WAIT_TIMEOUT);
  EXPECT_EQ(ResumeThread(thread), 1u);
  EXPECT_EQ(WaitForSingleObject(thread, 10'000), WAIT_OBJECT_0);
  EXPECT_EQ(ResumeThread(thread), 0u);
  CloseHandle(thread);
}

TEST(KernelThread, CurrentThreadPseudoHandle) {
  EXPECT_EQ(WaitForSingleObject(GetCurrentThread(), 10), WAIT_TIMEOUT);
  EXPECT_TRUE(CloseHandle(GetCurrentThread()));

  // A thread we did not start: its duplicated pseudo handle is signalled when it exits.
  HANDLE own = nullptr;
  std::atomic<DWORD> code{0};
  std::thread foreign([&] {
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &own, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    DWORD value = 0;
    GetExitCodeThread(own, &value);
    code = value;
  });
  foreign.join();
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(own, 10'000), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(own));
}

TEST(KernelCriticalSection, IsRecursiveAndExcludesOtherThreads) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EXPECT_TRUE(TryEnterCriticalSection(&section));
  std::atomic<BOOL> otherGotIt{TRUE};
  std::thread([&] { otherGotIt = TryEnterCriticalSection(&section); }).join();
  EXPECT_FALSE(otherGotIt);
  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);

  long counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 10'000; ++i) {
        EnterCriticalSection(&section);
        ++counter;
        LeaveCriticalSection(&section);
      }
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(counter, 40'000);
  DeleteCriticalSection(&section);
}

TEST(KernelTime, ClocksAreMonotonicAndAgree) {
  LARGE_INTEGER before, after, frequency;
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  ASSERT_TRUE(QueryPerformanceCounter(&before));
  const DWORD ticksBefore = GetTickCount();
  Sleep(50);
  ASSERT_TRUE(QueryPerformanceCounter(&after));
  const double elapsedMs = static_cast<double>(after.QuadPart - before.QuadPart) * 1000.0 / frequency.QuadPart;
  EXPECT_GE(elapsedMs, 49.0);
  EXPECT_GE(GetTickCount() - ticksBefore, 49u);
}

}  // namespace
