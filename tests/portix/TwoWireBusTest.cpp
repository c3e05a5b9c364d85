// The bus transaction at the level of lines and results: every result and
// last error, the bus state a transaction leaves, the select retry and the
// stuck-clock limit, all in simulated time; and the waits before each line
// change and status read with the real clock.
#include <gtest/gtest.h>

#include <vector>

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

TEST(TwoWireBus, TransfersMoveTheirBytesAndLeaveTheBusAsTheStopFlagSays) {
  BusFixture f(512);
  portix::TransferResult r = f.Write(0xA2, {0x20, 1, 2, 3, 4});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.lastError, 0u);
  EXPECT_EQ(r.count, 5u);  // the address byte counts as payload
  EXPECT_TRUE(f.lines_->clockHigh() && f.lines_->dataHigh());
  f.clock_.Advance(10000);

  // Select only: nothing written, no write cycle, the next select answered at once.
  r = f.Write(0xA0, {});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.count, 0u);
  const LONGLONG mark = f.clock_.Counter();
  // Without stop the clock stays low and data released; the read starts again.
  ASSERT_TRUE(f.Write(0xA2, {0x1F}, false).ok);
  EXPECT_LT(f.MillisecondsSince(mark), 1.0);
  EXPECT_FALSE(f.lines_->clockHigh());
  EXPECT_TRUE(f.lines_->dataHigh());
  std::vector<BYTE> out(6);
  r = f.Read(0xA3, &out);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.count, 6u);
  EXPECT_EQ(out, (std::vector<BYTE>{0xFF, 1, 2, 3, 4, 0xFF}));
  EXPECT_EQ(f.memory_->memory()[256 + 0x20], 1);  // block 1
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
  for (const bool dataLow : {true, false}) {
    SCOPED_TRACE(dataLow ? "data shorted low" : "clock shorted low");
    BusFixture f(512);
    f.lines_->HoldDataLow(dataLow);
    f.lines_->HoldClockLow(!dataLow);
    EXPECT_EQ(f.Write(0xA0, {0}).lastError, kIoDevice);
    EXPECT_LT(f.MillisecondsSince(0), 1.0);  // the start condition fails at once
  }
}

// The port as the bus uses it, with the clock's count at each access.
class TimedLines final : public portix::Lines {
 public:
  TimedLines(portix::Lines& inner, portix::BusClock& clock) : inner_(inner), clock_(clock) {}
  bool ReadData(BYTE* value) override { return inner_.ReadData(value); }
  bool WriteData(BYTE value) override {
    const bool ok = inner_.WriteData(value);
    accesses.push_back({true, clock_.Counter()});
    return ok;
  }
  bool ReadStatus(BYTE* value) override {
    accesses.push_back({false, clock_.Counter()});
    return inner_.ReadStatus(value);
  }
  struct Access {
    bool write;
    LONGLONG at;
  };
  std::vector<Access> accesses;

 private:
  portix::Lines& inner_;
  portix::BusClock& clock_;
};

TEST(TwoWireBus, LinesSettleBeforeEveryReadAndHoldBeforeEveryChangeInRealTime) {
  portix::RealClock clock;
  nvtest::TempDir dir;
  std::string error;
  auto memory = portix::EepromModel::Open(dir.file("t.bin"), 32768, clock, &error);
  ASSERT_TRUE(memory) << error;
  memory->CheckTiming(true);
  portix::SimulatedLines lines(memory.get());
  TimedLines timed(lines, clock);
  portix::TwoWireBus bus(timed, clock);

  const BYTE address[] = {0xA0, 0, 0x01, 0x00};
  const BYTE read[] = {0xA1, 1};
  BYTE out[4] = {};
  // No status is read sooner than 1 us after the last change, no line
  // changes sooner than 1 us after the one before, and a transfer returns
  // only once its last change has settled (with or without a stop). The
  // memory's own checks see every clock and start/stop hold of 4 us or more.
  LONGLONG lastWrite = -1;
  auto check = [&](const char* what) {
    const LONGLONG returned = clock.Counter();
    for (size_t i = 0; i < timed.accesses.size(); ++i) {
      const auto& access = timed.accesses[i];
      if (lastWrite >= 0) {
        ASSERT_GT(access.at - lastWrite, 1000) << what << ", access " << i;
      }
      if (access.write) lastWrite = access.at;
    }
    timed.accesses.clear();
    EXPECT_GT(returned - lastWrite, 1000) << what;
  };
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(bus.Transfer(IOCTL_BUS_WRITE, address, sizeof address, nullptr, 0).ok);
    check("address, no stop");
    ASSERT_TRUE(bus.Transfer(IOCTL_BUS_READ, read, sizeof read, out, sizeof out).ok);
    check("read, stop");
  }
  EXPECT_EQ(memory->timingViolations(), 0u);
}

}  // namespace
