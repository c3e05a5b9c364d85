// The request thread: the table, synchronous sends with out-values, the
// start-up outcome, closing, and jobs handed back to the sender.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "common/RequestThread.h"

using nv::RequestThread;

namespace {

enum : UINT { kAdd = 0x8001, kRecord = 0x8002, kQuit = 0x8003, kAsk = 0x8004, kNested = 0x8005, kThrow = 0x8006 };

// A table owner that records what its handlers saw.
struct Owner {
  RequestThread* thread = nullptr;
  std::thread::id handlerThread;
  std::vector<LONG> order;
  std::thread::id jobThread;
  LONG nestedResult = 0;

  LONG Add(WPARAM w, LPARAM l) {
    handlerThread = std::this_thread::get_id();
    *reinterpret_cast<LONG*>(w) = static_cast<LONG>(l) + 1;
    return 7;
  }
  LONG Record(WPARAM, LPARAM l) {
    order.push_back(static_cast<LONG>(l));
    return 1;
  }
  LONG Quit(WPARAM, LPARAM) {
    thread->Quit();
    return 1;
  }
  // Hands a job back to the sender; the job itself sends another request,
  // which the waiting thread must serve.
  LONG Ask(WPARAM, LPARAM) {
    const bool ran = thread->RunOnSender([this] {
      jobThread = std::this_thread::get_id();
      nestedResult = thread->Send(kNested);
    });
    return ran ? 1 : 0;
  }
  LONG Nested(WPARAM, LPARAM) { return 42; }
  LONG Throw(WPARAM, LPARAM) { throw std::runtime_error("handler failure"); }
};

const RequestThread::Entry kTable[] = {
    {kAdd, &RequestThread::Bind<Owner, &Owner::Add>},
    {kRecord, &RequestThread::Bind<Owner, &Owner::Record>},
    {kQuit, &RequestThread::Bind<Owner, &Owner::Quit>},
    {kAsk, &RequestThread::Bind<Owner, &Owner::Ask>},
    {kNested, &RequestThread::Bind<Owner, &Owner::Nested>},
    {kThrow, &RequestThread::Bind<Owner, &Owner::Throw>},
    {0, nullptr},
};

class RequestThreadTest : public testing::Test {
 protected:
  void SetUp() override {
    owner_.thread = &thread_;
    ASSERT_TRUE(thread_.Start(kTable, &owner_));
  }

  Owner owner_;
  RequestThread thread_;
};

}  // namespace

TEST_F(RequestThreadTest, ServesTheTableOnItsOwnThreadWithOutValues) {
  LONG out = 0;
  EXPECT_EQ(7, thread_.Send(kAdd, reinterpret_cast<WPARAM>(&out), 41));
  EXPECT_EQ(42, out);
  EXPECT_NE(std::this_thread::get_id(), owner_.handlerThread);
  EXPECT_EQ(0, thread_.Send(0x9999)) << "a number outside the table";
  EXPECT_EQ(0, thread_.Send(kThrow)) << "a throwing handler fails its request only";
  EXPECT_EQ(42, thread_.Send(kNested));
}

TEST_F(RequestThreadTest, ServesConcurrentSendersOneAtATimeInArrivalOrder) {
  constexpr int kSenders = 4;
  constexpr int kEach = 200;
  std::vector<std::thread> senders;
  for (int s = 0; s < kSenders; ++s) {
    senders.emplace_back([this, s] {
      for (int i = 0; i < kEach; ++i) thread_.Send(kRecord, 0, s * kEach + i);
    });
  }
  for (auto& t : senders) t.join();
  thread_.Close();
  ASSERT_EQ(static_cast<size_t>(kSenders * kEach), owner_.order.size());
  // Each sender's own requests keep their order.
  for (int s = 0; s < kSenders; ++s) {
    LONG last = -1;
    for (LONG v : owner_.order) {
      if (v / kEach != s) continue;
      EXPECT_GT(v, last);
      last = v;
    }
  }
}

TEST_F(RequestThreadTest, JobsRunOnTheSenderWhichMaySendMeanwhile) {
  EXPECT_EQ(1, thread_.Send(kAsk));
  EXPECT_EQ(std::this_thread::get_id(), owner_.jobThread);
  EXPECT_EQ(42, owner_.nestedResult);
  EXPECT_FALSE(thread_.RunOnSender([] {})) << "outside a request";
}

TEST_F(RequestThreadTest, QuitFromAHandlerEndsServing) {
  EXPECT_EQ(1, thread_.Send(kQuit));
  LONG out = 0;
  EXPECT_EQ(0, thread_.Send(kAdd, reinterpret_cast<WPARAM>(&out), 1));
  EXPECT_EQ(0, out);
  EXPECT_FALSE(thread_.IsRunning());
  thread_.Close();
}

TEST_F(RequestThreadTest, CloseSendsTheCloseRequestAndWaits) {
  thread_.Close(kQuit);
  EXPECT_FALSE(thread_.IsRunning());
  EXPECT_EQ(0, thread_.Send(kNested));
  thread_.Close(kQuit);  // a second close does nothing
}

TEST(RequestThreadStart, ReportsAFailedStartAndRunsTheHooksOnTheThread) {
  RequestThread thread;
  std::thread::id hookThread;
  EXPECT_FALSE(thread.Start(kTable, nullptr,
                            {[&] {
                               hookThread = std::this_thread::get_id();
                               return false;
                             },
                             nullptr}));
  EXPECT_NE(std::this_thread::get_id(), hookThread);
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_EQ(0, thread.Send(kNested));

  std::atomic<bool> stopped{false};
  Owner owner;
  ASSERT_TRUE(thread.Start(kTable, &owner, {nullptr, [&] { stopped = true; }}));
  EXPECT_FALSE(thread.Start(kTable, &owner)) << "already running";
  thread.Close();
  EXPECT_TRUE(stopped);
}
