// The document-thread base and the typed client over it: start-up and
// shutdown steps on the thread, the close request, and typed in- and
// out-values reaching the handlers unchanged.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "common/DocumentThread.h"
#include "common/RequestClient.h"

namespace {

enum : UINT { kClose = 0x8001, kCount = 0x8002, kName = 0x8003, kOpen = 0x8004, kPick = 0x8005, kPing = 0x8006 };

struct OpenBlock {
  LONG first;
  LONG second;
};

class TestThread : public nv::DocumentThread<TestThread> {
 public:
  explicit TestThread(bool startOk = true) : startOk_(startOk) {}
  ~TestThread() { Close(); }

  int closes = 0;
  int stops = 0;
  std::thread::id stopThread;
  LONG picked = -1;

 private:
  friend class nv::DocumentThread<TestThread>;
  static constexpr UINT kCloseMessage = kClose;
  static const nv::RequestThread::Entry kRequests[];

  bool OnStart() { return startOk_; }
  void OnStop() {
    ++stops;
    stopThread = std::this_thread::get_id();
  }

  LONG OnClose(WPARAM, LPARAM) {
    ++closes;
    thread_.Quit();
    return 1;
  }
  LONG OnCount(WPARAM w, LPARAM) {
    *nv::RequestOut<LONG>(w) = 12;
    return 1;
  }
  LONG OnName(WPARAM w, LPARAM l) {
    *nv::RequestOut<std::string>(w) = "melody " + std::to_string(l);
    return 1;
  }
  // Fails for a null text, as a request with an optional path may.
  LONG OnOpen(WPARAM w, LPARAM l) {
    const char* path = reinterpret_cast<const char*>(l);
    if (path == nullptr) return 0;
    *nv::RequestOut<std::string>(w) = std::string("opened ") + path;
    return 1;
  }
  LONG OnPick(WPARAM w, LPARAM l) {
    const auto* block = reinterpret_cast<const OpenBlock*>(l);
    *nv::RequestOut<LONG>(w) = block->first * 10 + block->second;
    return 3;
  }
  LONG OnPing(WPARAM, LPARAM l) {
    picked = static_cast<LONG>(l);
    return 5;
  }

  bool startOk_;
};

const nv::RequestThread::Entry TestThread::kRequests[] = {
    {kClose, &nv::RequestThread::Bind<TestThread, &TestThread::OnClose>},
    {kCount, &nv::RequestThread::Bind<TestThread, &TestThread::OnCount>},
    {kName, &nv::RequestThread::Bind<TestThread, &TestThread::OnName>},
    {kOpen, &nv::RequestThread::Bind<TestThread, &TestThread::OnOpen>},
    {kPick, &nv::RequestThread::Bind<TestThread, &TestThread::OnPick>},
    {kPing, &nv::RequestThread::Bind<TestThread, &TestThread::OnPing>},
    {0, nullptr},
};

class TestClient : public nv::RequestClient {
 public:
  using RequestClient::RequestClient;

  LONG Count() const {
    LONG count = -1;
    Get(kCount, count);
    return count;
  }
  std::string Name(LONG index) const {
    std::string name;
    Get(kName, name, index);
    return name;
  }
  bool Open(const char* path, std::string& text) const { return Exchange(kOpen, text, path) != 0; }
  LONG Pick(const OpenBlock& block, LONG& out) const { return Exchange(kPick, out, &block); }
  LONG Ping(LONG value) const { return CallWith(kPing, value); }
  LONG Unknown() const { return Call(0x9999); }
};

TEST(DocumentThreadTest, StartServesAndCloseSendsTheCloseRequestOnce) {
  TestThread thread;
  ASSERT_TRUE(thread.Start());
  EXPECT_FALSE(thread.Start());  // already running
  thread.Close();
  thread.Close();  // a second close finds no thread
  EXPECT_EQ(thread.closes, 1);
  EXPECT_EQ(thread.stops, 1);
  EXPECT_NE(thread.stopThread, std::this_thread::get_id());
  EXPECT_EQ(thread.Send(kCount), 0);
}

TEST(DocumentThreadTest, FailedStartEndsTheThreadAndAnswersNothing) {
  TestThread thread(false);
  EXPECT_FALSE(thread.Start());
  EXPECT_FALSE(thread.Thread().IsRunning());
  EXPECT_EQ(TestClient(thread.Thread()).Count(), -1);  // out-value untouched
  EXPECT_EQ(thread.stops, 0);
}

TEST(RequestClientTest, TypedValuesReachTheHandlersAndResultsComeBackUnchanged) {
  TestThread thread;
  ASSERT_TRUE(thread.Start());
  const TestClient client(thread.Thread());

  EXPECT_EQ(client.Count(), 12);
  EXPECT_EQ(client.Name(7), "melody 7");

  std::string text;
  EXPECT_TRUE(client.Open("/tmp/a.mel", text));
  EXPECT_EQ(text, "opened /tmp/a.mel");
  std::string untouched = "kept";
  EXPECT_FALSE(client.Open(nullptr, untouched));
  EXPECT_EQ(untouched, "kept");

  LONG picked = 0;
  EXPECT_EQ(client.Pick({4, 2}, picked), 3);
  EXPECT_EQ(picked, 42);
  EXPECT_EQ(client.Ping(-3), 5);  // a negative number keeps its sign
  EXPECT_EQ(thread.picked, -3);
  EXPECT_EQ(client.Unknown(), 0);
}

}  // namespace
