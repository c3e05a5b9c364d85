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
      {512, 16, 0x108, 20},      // block 1, 16-byte pages
      {16384, 64, 0x0030, 70},   // two bytes wrap over the first ones
      {65536, 128, 0x1070, 40},  // 128-byte pages
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    BusFixture f(c.size);
    std::vector<BYTE> payload;
    const size_t low = c.address & 0xFF;
    if (c.size == 512) {
      payload.push_back(static_cast<BYTE>(low));
    } else {
      payload = {static_cast<BYTE>(c.address >> 8), static_cast<BYTE>(low)};
    }
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

TEST(EepromModel, AddressesWrapAtTheMemorySize) {
  // The same cell answers at 0x1000 and every address 0x1000 + k * size.
  const struct {
    size_t size;
    bool at5000;
    bool at9000;
  } cases[] = {{16384, true, true}, {32768, false, true}, {65536, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    BusFixture f(c.size);
    ASSERT_TRUE(f.Write(0xA0, {0x10, 0x00, 0x42}).ok);
    f.clock_.Advance(10000);
    for (const auto& [address, same] : {std::pair{0x5000, c.at5000}, std::pair{0x9000, c.at9000}}) {
      ASSERT_TRUE(f.Write(0xA0, {static_cast<BYTE>(address >> 8), 0}, false).ok);
      std::vector<BYTE> out(1);
      ASSERT_TRUE(f.Read(0xA1, &out).ok);
      EXPECT_EQ(out[0] == 0x42, same) << std::hex << address;
    }
  }
}

TEST(EepromModel, SequentialReadsRunOnAcrossBlocksAndTheTop) {
  BusFixture f(512);
  ASSERT_TRUE(f.Write(0xA0, {0xFF, 0x11}).ok);
  f.clock_.Advance(10000);
  ASSERT_TRUE(f.Write(0xA2, {0xFF, 0x22}).ok);
  f.clock_.Advance(10000);
  ASSERT_TRUE(f.Write(0xA2, {0x00, 0x33}).ok);
  f.clock_.Advance(10000);
  ASSERT_TRUE(f.Write(0xA0, {0xFF}, false).ok);
  std::vector<BYTE> out(2);
  ASSERT_TRUE(f.Read(0xA1, &out).ok);
  EXPECT_EQ(out, (std::vector<BYTE>{0x11, 0x33}));  // block 0 runs into block 1
  ASSERT_TRUE(f.Write(0xA2, {0xFF}, false).ok);
  ASSERT_TRUE(f.Read(0xA3, &out).ok);
  EXPECT_EQ(out, (std::vector<BYTE>{0x22, 0xFF}));  // and block 1 back into block 0
}

TEST(EepromModel, RepeatedStartAbandonsAWriteInProgress) {
  BusFixture f(16384);
  ASSERT_TRUE(f.Write(0xA0, {0x00, 0x20, 9, 9}, false).ok);
  std::vector<BYTE> out(2);
  ASSERT_TRUE(f.Read(0xA1, &out).ok);  // no write cycle: answered at once
  EXPECT_EQ(f.memory_->memory()[0x20], 0xFF);
}

}  // namespace
