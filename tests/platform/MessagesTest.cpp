// Message targets, PostMessage and MessageQueue.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/Kernel.h"
#include "platform/MessageQueue.h"

namespace {

TEST(Messages, PostsFromSeveralThreadsArriveInEachThreadsOrder) {
  constexpr int kThreads = 4;
  constexpr int kPerThread = 500;
  MessageQueue queue;
  ASSERT_NE(queue.Window(), nullptr);
  EXPECT_TRUE(IsWindow(queue.Window()));
  std::vector<std::thread> posters;
  for (int t = 0; t < kThreads; ++t)
    posters.emplace_back([&queue, t] {
      for (int i = 0; i < kPerThread; ++i)
        ASSERT_TRUE(PostMessage(queue.Window(), WM_APP + static_cast<UINT>(t), static_cast<WPARAM>(i), -i));
    });
  std::vector<int> next(kThreads, 0);
  MessageQueue::Message message{};
  for (int received = 0; received < kThreads * kPerThread; ++received) {
    ASSERT_TRUE(queue.Get(&message, 30'000)) << "after " << received;
    const auto t = static_cast<int>(message.message - WM_APP);
    ASSERT_GE(t, 0);
    ASSERT_LT(t, kThreads);
    EXPECT_EQ(message.wParam, static_cast<WPARAM>(next[t]));
    EXPECT_EQ(message.lParam, -next[t]);
    ++next[t];
  }
  for (auto& poster : posters) poster.join();
  EXPECT_FALSE(queue.Peek(&message));
}

TEST(Messages, GoneAndNullTargetsRefusePosts) {
  HWND gone = nullptr;
  {
    MessageQueue queue;
    gone = queue.Window();
    ASSERT_TRUE(PostMessage(gone, WM_USER, 1, 2));
  }
  MessageQueue newer;
  EXPECT_NE(newer.Window(), gone);  // handles are not reused
  const HWND targets[] = {gone, nullptr};
  for (HWND target : targets) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(PostMessage(target, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(IsWindow(target));
    EXPECT_FALSE(UnregisterMessageTarget(target));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  }
  EXPECT_EQ(newer.Size(), 0u);
}

// A sink whose Accept holds the post until released.
class SlowSink final : public MessageSink {
 public:
  HANDLE entered = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> finished{false};
  ~SlowSink() {
    CloseHandle(entered);
    CloseHandle(release);
  }
  void Accept(UINT, WPARAM, LPARAM) override {
    SetEvent(entered);
    WaitForSingleObject(release, INFINITE);
    finished = true;
  }
};

TEST(Messages, UnregisterWaitsForAPostInProgress) {
  SlowSink sink;
  HWND window = RegisterMessageTarget(&sink);
  ASSERT_NE(window, nullptr);
  std::thread poster([&] { PostMessage(window, WM_USER, 0, 0); });
  ASSERT_EQ(WaitForSingleObject(sink.entered, 10'000), WAIT_OBJECT_0);

  std::atomic<bool> unregistered{false};
  std::atomic<bool> finishedWhenUnregistered{false};
  std::thread remover([&] {
    UnregisterMessageTarget(window);
    finishedWhenUnregistered = sink.finished.load();
    unregistered = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(unregistered);
  EXPECT_FALSE(PostMessage(window, WM_USER, 0, 0));  // no new posts while it goes
  SetEvent(sink.release);
  poster.join();
  remover.join();
  EXPECT_TRUE(finishedWhenUnregistered);
}

TEST(Messages, QueueWaitsWithATimeOutAndCanBeWaitedOnWithEvents) {
  MessageQueue queue;
  MessageQueue::Message message{};
  EXPECT_FALSE(queue.Peek(&message));
  EXPECT_FALSE(queue.Get(&message, 30));

  HANDLE stop = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  const HANDLE handles[] = {stop, queue.ReadyEvent()};
  EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, 0), WAIT_TIMEOUT);
  std::thread poster([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    PostMessage(queue.Window(), WM_USER + 5, 6, 7);
  });
  EXPECT_EQ(WaitForMultipleObjects(2, handles, FALSE, 30'000), WAIT_OBJECT_0 + 1);
  poster.join();
  ASSERT_TRUE(queue.Peek(&message));
  EXPECT_EQ(message.message, WM_USER + 5);
  EXPECT_EQ(message.wParam, 6u);
  EXPECT_EQ(message.lParam, 7);
  EXPECT_EQ(WaitForSingleObject(queue.ReadyEvent(), 0), WAIT_TIMEOUT);  // empty again
  CloseHandle(stop);
}

}  // namespace
