// The two hardware paths against a stand-in for the kernel: the parallel
// port through ppdev (portix's lines) and an I2C adapter through i2c-dev
// (the bell server's adapter), each writing a set into both memory
// versions, reading it back and verifying it.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "BellMemory20.h"
#include "BellMemory29.h"
#include "FakeKernel.h"
#include "I2cAdapter.h"
#include "MemoryImages.h"
#include "portix/PortSession.h"
#include "portix/Portix.h"

namespace {

using namespace chimoxtest;
using portix::PortLock;

// Pauses in real time: the memory's write cycle runs on the wall clock.
class RealPause : public chimox::BusPort {
 public:
  void Pause(DWORD milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
};

class ParallelPort final : public RealPause {
 public:
  ParallelPort() {
    portix::PortSetting setting;
    EXPECT_TRUE(portix::PortSetting::Parse("/dev/parport0", &setting));
    std::string error;
    session_ = portix::PortSession::Open(setting, &error);
    EXPECT_TRUE(session_) << error;
  }
  PortLock Lock() {
    std::string error;
    return session_->Lock(&error);
  }
  bool Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength) override {
    return session_->bus().Transfer(code, input, inputLength, output, outputLength).ok;
  }

 private:
  std::unique_ptr<portix::PortSession> session_;
};

class AdapterPort final : public RealPause {
 public:
  AdapterPort() : adapter_(chimox::I2cAdapter::Open("/dev/i2c-3")) { EXPECT_TRUE(adapter_); }
  PortLock Lock(std::string* error) { return adapter_->Lock(error); }
  bool Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength) override {
    return adapter_->Transfer(code, input, inputLength, output, outputLength);
  }

 private:
  std::unique_ptr<chimox::I2cAdapter> adapter_;
};

const Melodies kSet = {Notes(12, FLAG_DOT), {}, {{5, 2, FLAG_REST}, {31, 4, FLAG_DOT}, {0, 0, FLAG_REST}}};

// Writes kSet into a cleared memory, reads it back and compares.
void WriteAndVerify(chimox::BusPort& port, bool v29) {
  ProgressLog log;
  BellInfo info{};
  auto status = [&] {
    return v29 ? chimox::BellMemory29(port).ReadStatus(info, log) : chimox::BellMemory20(port).ReadStatus(info, log);
  };
  ASSERT_EQ(status(), BELL_ERR_NONE);
  ASSERT_TRUE(v29 ? chimox::BellMemory29(port).Clear(info) : chimox::BellMemory20(port).Clear(info));
  info.currentMelody = 1;
  for (const auto& notes : kSet) {
    auto melody = MakeMelody(notes);
    ASSERT_EQ(v29 ? chimox::BellMemory29(port).AppendMelody(melody.get(), info, false, log)
                  : chimox::BellMemory20(port).AppendMelody(melody.get(), info, log),
              BELL_ERR_NONE);
  }
  BellInfo fresh{};
  info = fresh;
  ASSERT_EQ(status(), BELL_ERR_NONE);
  ASSERT_EQ(info.melodyCount, 3);
  for (LONG n = 1; n <= 3; ++n) {
    auto melody = MakeMelody();
    ASSERT_EQ(v29 ? chimox::BellMemory29(port).ReadMelody(melody.get(), n, info, log)
                  : chimox::BellMemory20(port).ReadMelody(melody.get(), n, info, log),
              BELL_ERR_NONE);
    EXPECT_EQ(NotesOf(melody.get()), kSet[static_cast<size_t>(n - 1)]);
  }
}

const struct {
  const char* name;
  bool v29;
  std::vector<BYTE> image;
} kVersions[] = {
    {"2.0", false, std::vector<BYTE>(512, 0xFF)},
    {"2.9", true, std::vector<BYTE>(16384, 0xFF)},
};

TEST(HardwarePaths, ParallelPortWritesAndReadsBackASet) {
  for (const auto& v : kVersions) {
    SCOPED_TRACE(v.name);
    FakeKernel kernel(v.image);
    ParallelPort port;
    ASSERT_EQ(port.Lock(), PortLock::kHeld);
    WriteAndVerify(port, v.v29);
    EXPECT_EQ(kernel.timingViolations(), 0u);
  }
}

TEST(HardwarePaths, I2cAdapterWritesAndReadsBackASetWithRepeatedStarts) {
  for (const auto& v : kVersions) {
    SCOPED_TRACE(v.name);
    FakeKernel kernel(v.image);
    AdapterPort port;
    std::string error;
    ASSERT_EQ(port.Lock(&error), PortLock::kHeld) << error;
    WriteAndVerify(port, v.v29);
    EXPECT_GT(kernel.repeatedStarts, 0);  // address setting and read in one call
    EXPECT_GT(kernel.unanswered, 0);      // reads right after a write meet the write cycle
    EXPECT_EQ(kernel.timingViolations(), 0u);
  }
}

TEST(HardwarePaths, PortsHeldElsewhereAreNotWritten) {
  FakeKernel kernel(std::vector<BYTE>(512, 0xFF));
  {
    kernel.claimedElsewhere = true;
    ParallelPort port;
    EXPECT_EQ(port.Lock(), PortLock::kBusy);
    const BYTE request[] = {0xA2, 1, 0x10, 0x00};
    EXPECT_FALSE(port.Transfer(IOCTL_BUS_WRITE, request, sizeof request, nullptr, 0));  // never claimed
    kernel.claimedElsewhere = false;
    EXPECT_EQ(port.Lock(), PortLock::kHeld);
  }
  for (const unsigned address : {0x50u, 0x51u}) {
    kernel.boundAddresses = {address};
    AdapterPort port;
    std::string error;
    EXPECT_EQ(port.Lock(&error), PortLock::kRefused);
    char expected[128];
    std::snprintf(expected, sizeof expected, "Адрес 0x%02X на шине /dev/i2c-3 занят драйвером ядра", address);
    EXPECT_EQ(error, expected);
  }
  EXPECT_EQ(kernel.image(), std::vector<BYTE>(512, 0xFF));
}

TEST(HardwarePaths, UnansweredAddressesFailAfterTheSelectDeadline) {
  FakeKernel kernel(std::vector<BYTE>(16384, 0xFF));
  AdapterPort port;
  std::string error;
  ASSERT_EQ(port.Lock(&error), PortLock::kHeld);
  BYTE byte = 0;
  const BYTE once[] = {0xA3, BUS_STOP_SELECT_ONCE};
  EXPECT_FALSE(port.Transfer(IOCTL_BUS_READ, once, 2, &byte, 1));  // asked once: no wait
  EXPECT_EQ(kernel.rdwrCalls, 1);
  const BYTE asked[] = {0xA3, BUS_STOP};
  EXPECT_FALSE(port.Transfer(IOCTL_BUS_READ, asked, 2, &byte, 1));  // asked for a second
  EXPECT_GT(kernel.rdwrCalls, 2);
}

}  // namespace
