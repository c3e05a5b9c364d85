// The bus transaction at the level of lines and results: every result and
// last error, the bus state a transaction leaves, the select retry and the
// stuck-clock limit, all in simulated time.
#include <gtest/gtest.h>

#include "BusFixture.h"
#include "portix/RealClock.h"

namespace {

using portixtest::BusFixture;

constexpr DWORD kInvalidParameter = 87;
constexpr DWORD kIoDevice = 1117;

TEST(TwoWireBus, RequestsRejectedOrFailedReportTheirLastErrorAndCount) {
  struct Case {
    const char* name;
    DWORD code;
    std::vector<BYTE> request;  // empty: no input buffer at all
    DWORD outputLength;
    bool withOutput;
    DWORD error;
    bool touchesLines;
  };
  const Case cases[] = {
      {"no input", IOCTL_BUS_WRITE, {}, 0, false, kInvalidParameter, false},
      {"input of one byte", IOCTL_BUS_WRITE, {0xA0}, 0, false, kInvalidParameter, false},
      {"read of zero bytes", IOCTL_BUS_READ, {0xA1, 1}, 0, true, kInvalidParameter, true},
      {"read without output", IOCTL_BUS_READ, {0xA1, 1}, 4, false, kInvalidParameter, true},
      {"unknown code", 0x22200C, {0xA0, 1, 0, 0}, 0, false, ERROR_BUS_UNKNOWN_CODE, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BusFixture f(512);
    BYTE output[8] = {};
    const portix::TransferResult r =
        f.bus_->Transfer(c.code, c.request.empty() ? nullptr : c.request.data(), static_cast<DWORD>(c.request.size()),
                         c.withOutput ? output : nullptr, c.outputLength);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.lastError, c.error);
    EXPECT_EQ(r.count, 0u);
    EXPECT_EQ(f.lines_->writes() > 0, c.touchesLines);
    if (c.touchesLines) {
      // Failed after an acknowledged select, with no stop: the clock stays low.
      EXPECT_FALSE(f.lines_->clockHigh());
      EXPECT_LT(f.MillisecondsSince(0), 1.0);
    }
  }
}

TEST(TwoWireBus, WriteThenReadMovesTheBytesAndCountsThePayload) {
  BusFixture f(512);
  portix::TransferResult r = f.Write(0xA2, {0x20, 1, 2, 3, 4});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.lastError, 0u);
  EXPECT_EQ(r.count, 5u);  // the address byte counts as payload
  EXPECT_TRUE(f.lines_->clockHigh());
  EXPECT_TRUE(f.lines_->dataHigh());

  ASSERT_TRUE(f.Write(0xA2, {0x1F}, false).ok);  // set address, bus kept
  std::vector<BYTE> out(6);
  r = f.Read(0xA3, &out);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.count, 6u);
  EXPECT_EQ(out, (std::vector<BYTE>{0xFF, 1, 2, 3, 4, 0xFF}));
  EXPECT_EQ(f.memory_->memory()[256 + 0x20], 1);  // block 1
}

TEST(TwoWireBus, SelectOnlyWriteChangesNothing) {
  BusFixture f(512);
  const portix::TransferResult r = f.Write(0xA0, {});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.count, 0u);
  EXPECT_TRUE(f.lines_->clockHigh() && f.lines_->dataHigh());
  // No write cycle started: the next select is answered at once.
  const LONGLONG mark = f.clock_.Counter();
  ASSERT_TRUE(f.Write(0xA0, {0}, false).ok);
  EXPECT_LT(f.MillisecondsSince(mark), 1.0);
}

TEST(TwoWireBus, WriteWithoutStopLeavesClockLowAndDataReleased) {
  BusFixture f(16384);
  ASSERT_TRUE(f.Write(0xA0, {0x12, 0x34, 0xAB}).ok);
  f.clock_.Advance(10000);
  ASSERT_TRUE(f.Write(0xA0, {0x12, 0x34}, false).ok);
  EXPECT_FALSE(f.lines_->clockHigh());
  EXPECT_TRUE(f.lines_->dataHigh());
  std::vector<BYTE> out(1);
  ASSERT_TRUE(f.Read(0xA1, &out).ok);  // begins with a repeated start
  EXPECT_EQ(out[0], 0xAB);
}

TEST(TwoWireBus, MemoryInItsWriteCycleIsServedWithinTheDeadline) {
  BusFixture f(32768);
  ASSERT_TRUE(f.Write(0xA0, {0x00, 0x40, 1, 2, 3}).ok);
  const LONGLONG mark = f.clock_.Counter();
  ASSERT_TRUE(f.Write(0xA0, {0x00, 0x40}, false).ok);
  const double waited = f.MillisecondsSince(mark);
  EXPECT_GE(waited, 5.0);
  EXPECT_LT(waited, 6.0);
  std::vector<BYTE> out(3);
  ASSERT_TRUE(f.Read(0xA1, &out).ok);
  EXPECT_EQ(out, (std::vector<BYTE>{1, 2, 3}));
}

TEST(TwoWireBus, SelectNobodyAnswersFailsAfterAboutOneSecond) {
  BusFixture f(32768);  // a 32 KByte part answers 0xA0/0xA1 only
  std::vector<BYTE> out(1);
  const LONGLONG mark = f.clock_.Counter();
  const portix::TransferResult r = f.Read(0xA3, &out);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.lastError, kIoDevice);
  EXPECT_EQ(r.count, 0u);
  const double waited = f.MillisecondsSince(mark);
  EXPECT_GE(waited, 1000.0);
  EXPECT_LT(waited, 1001.0);
}

// Holds the clock low from the first falling edge after a start on, like a
// part stuck in clock stretching.
class ClockHolder final : public portix::BusDevice {
 public:
  void OnLines(bool clockHigh, bool dataHigh) override {
    if (clockHigh && clockHigh_ && !dataHigh && dataHigh_) started_ = true;
    if (started_ && !clockHigh && clockHigh_) holding_ = true;
    clockHigh_ = clockHigh;
    dataHigh_ = dataHigh;
  }
  bool PullsDataLow() const override { return false; }
  bool PullsClockLow() const override { return holding_; }

 private:
  bool clockHigh_ = true, dataHigh_ = true, started_ = false, holding_ = false;
};

TEST(TwoWireBus, LineFaultsEndTheTransferAsDeviceErrors) {
  {
    SCOPED_TRACE("clock held low after the start: more than 3 s of retries");
    ClockHolder holder;
    portix::VirtualClock clock;
    portix::SimulatedLines lines(&holder);
    portix::TwoWireBus bus(lines, clock);
    const BYTE request[] = {0xA0, 1, 0};
    const portix::TransferResult r = bus.Transfer(IOCTL_BUS_WRITE, request, 3, nullptr, 0);
    EXPECT_EQ(r.lastError, kIoDevice);
    EXPECT_GT(clock.CalendarSeconds(), 3);
    EXPECT_LE(clock.CalendarSeconds(), 5);
  }
  {
    SCOPED_TRACE("data shorted low: the start condition fails at once");
    BusFixture f(512);
    f.lines_->HoldDataLow(true);
    const portix::TransferResult r = f.Write(0xA0, {0});
    EXPECT_EQ(r.lastError, kIoDevice);
    EXPECT_LT(f.MillisecondsSince(0), 1.0);
  }
  {
    SCOPED_TRACE("clock shorted low: the start condition fails at once");
    BusFixture f(512);
    f.lines_->HoldClockLow(true);
    EXPECT_EQ(f.Write(0xA0, {0}).lastError, kIoDevice);
  }
}

TEST(TwoWireBus, RealTimingWaitsAtLeastElevenMicrosecondsPerBit) {
  nvtest::TempDir dir;
  portix::RealClock clock;
  std::string error;
  auto memory = portix::EepromModel::Open(dir.file("m.bin"), 512, clock, &error);
  ASSERT_TRUE(memory) << error;
  portix::SimulatedLines lines(memory.get());
  portix::TwoWireBus bus(lines, clock);
  const BYTE request[] = {0xA0, 0, 0x00};
  BYTE out[16];
  const LONGLONG start = clock.Counter();
  ASSERT_TRUE(bus.Transfer(IOCTL_BUS_WRITE, request, 3, nullptr, 0).ok);
  const BYTE read[] = {0xA1, 1};
  ASSERT_TRUE(bus.Transfer(IOCTL_BUS_READ, read, 2, out, sizeof out).ok);
  const double micros = static_cast<double>(clock.Counter() - start) * 1e6 / static_cast<double>(clock.Frequency());
  EXPECT_GE(micros, (2 + 1 + 16) * 9 * 11.0);
}

}  // namespace
