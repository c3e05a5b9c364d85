// The simulated serial memory: image files, page and address wrapping as the
// real parts do them, durable write-back.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "BusFixture.h"

namespace {

using portixtest::BusFixture;

std::vector<BYTE> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(EepromModel, ImagesAreCreatedBlankOrRefusedBySize) {
  const struct {
    size_t existing;  // 0: no file yet
    size_t requested;
    bool opens;
    size_t size;
  } cases[] = {
      {0, 512, true, 512},    {0, 16384, true, 16384},   {0, 65536, true, 65536},
      {0, 1000, false, 0},    {32768, 512, true, 32768},  // an existing image keeps its size
      {100, 512, false, 100},                             // a foreign file is left alone
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.existing << "/" << c.requested);
    nvtest::TempDir dir;
    const std::string path = dir.file("m.bin");
    if (c.existing) std::ofstream(path, std::ios::binary) << std::string(c.existing, '\x5A');
    portix::VirtualClock clock;
    std::string error;
    auto memory = portix::EepromModel::Open(path, c.requested, clock, &error);
    EXPECT_EQ(memory != nullptr, c.opens) << error;
    EXPECT_EQ(memory == nullptr, !error.empty());
    const std::vector<BYTE> bytes = FileBytes(path);
    EXPECT_EQ(bytes.size(), c.size);
    if (!c.existing && c.opens) {
      EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0xFF), static_cast<long>(c.size));
    }
  }
}

TEST(EepromModel, PageWritesWrapInsideTheirPage) {
  const struct {
    size_t size;
    size_t page;
    size_t address;
    size_t count;
  } cases[] = {
      {512, 8, 0x108, 20},       // block 1, 8-byte pages
      {16384, 64, 0x0030, 70},   // two bytes wrap over the first ones
      {65536, 128, 0x1070, 40},  // 128-byte pages
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    BusFixture f(c.size);
    std::vector<BYTE> payload;
    if (c.size != 512) payload.push_back(static_cast<BYTE>(c.address >> 8));
    payload.push_back(static_cast<BYTE>(c.address & 0xFF));
    for (size_t i = 0; i < c.count; ++i) payload.push_back(static_cast<BYTE>(i + 1));
    const BYTE select = c.size == 512 ? static_cast<BYTE>(0xA0 | ((c.address >> 7) & 2)) : 0xA0;
    ASSERT_TRUE(f.Write(select, payload).ok);

    std::vector<BYTE> expected(c.size, 0xFF);
    const size_t base = c.address - c.address % c.page;
    for (size_t i = 0; i < c.count; ++i) expected[base + (c.address - base + i) % c.page] = static_cast<BYTE>(i + 1);
    EXPECT_EQ(f.memory_->memory(), expected);
    EXPECT_EQ(FileBytes(f.path_), expected);  // written back at once
  }
}

}  // namespace

namespace {

// Two opens of one image stand for two programs.
TEST(EepromModel, ProgramsTakingTheLockSeeOneChip) {
  portixtest::BusFixture first(512);
  portix::VirtualClock clock;
  std::string error;
  auto second = portix::EepromModel::Open(first.path_, 512, clock, &error);
  ASSERT_TRUE(second) << error;
  portix::SimulatedLines lines(second.get());
  portix::TwoWireBus bus(lines, clock);

  ASSERT_EQ(first.memory_->Lock(&error), portix::PortLock::kHeld);
  EXPECT_EQ(second->Lock(&error), portix::PortLock::kBusy);
  ASSERT_TRUE(first.Write(0xA2, {0x10, 0x33}).ok);
  EXPECT_TRUE(first.memory_->Unlock());

  // The second one reads what the first one wrote, not its own old copy.
  ASSERT_EQ(second->Lock(&error), portix::PortLock::kHeld);
  const BYTE address[] = {0xA2, 0, 0x10};
  ASSERT_TRUE(bus.Transfer(IOCTL_BUS_WRITE, address, 3, nullptr, 0).ok);
  BYTE value = 0;
  const BYTE read[] = {0xA3, 1};
  ASSERT_TRUE(bus.Transfer(IOCTL_BUS_READ, read, 2, &value, 1).ok);
  EXPECT_EQ(value, 0x33);
  EXPECT_TRUE(second->Unlock());
}

// Cuts every wait to at most the 1 us settling time: the 4 us holds shrink.
class HastyClock final : public portix::BusClock {
 public:
  LONGLONG Counter() override { return inner_.Counter(); }
  LONGLONG Frequency() override { return inner_.Frequency(); }
  void WaitUntil(LONGLONG counter) override { inner_.WaitUntil(std::min(counter, inner_.Counter() + 1001)); }
  time_t CalendarSeconds() override { return inner_.CalendarSeconds(); }
  portix::VirtualClock inner_;
};

TEST(EepromModel, TimingChecksCatchAMissingDelay) {
  for (const bool hasty : {false, true}) {
    SCOPED_TRACE(hasty ? "holds left out" : "full timing");
    portix::VirtualClock clock;
    HastyClock hastyClock;
    portix::BusClock& used = hasty ? static_cast<portix::BusClock&>(hastyClock) : clock;
    nvtest::TempDir dir;
    std::string error;
    auto memory = portix::EepromModel::Open(dir.file("t.bin"), 16384, used, &error);
    ASSERT_TRUE(memory) << error;
    memory->CheckTiming(true);
    portix::SimulatedLines lines(memory.get());
    portix::TwoWireBus bus(lines, used);
    const BYTE write[] = {0xA0, 1, 0x01, 0x00, 1, 2, 3};
    bus.Transfer(IOCTL_BUS_WRITE, write, sizeof write, nullptr, 0);
    const BYTE address[] = {0xA0, 0, 0x01, 0x00};
    bus.Transfer(IOCTL_BUS_WRITE, address, sizeof address, nullptr, 0);
    BYTE out[3] = {};
    const BYTE read[] = {0xA1, 1};
    bus.Transfer(IOCTL_BUS_READ, read, 2, out, 3);
    if (hasty) {
      EXPECT_GT(memory->timingViolations(), 0u);
    } else {
      EXPECT_EQ(memory->timingViolations(), 0u);
    }
  }
}

}  // namespace
