// The version 2.9 memory image through the simulated doorbell: the size
// probe, status, deferred appends, read-back, the small writes and the dump.
#include <gtest/gtest.h>

#include <cstdio>

#include "BellMemory29.h"
#include "MemoryImages.h"
#include "SimulatedDoorbell.h"
#include "portix/Portix.h"

namespace {

using chimox::BellMemory29;
using namespace chimoxtest;

const Melodies kThree = {Notes(30, 0), {}, {{5, 2, FLAG_REST}, {31, 4, FLAG_DOT}, {0, 0, FLAG_REST | FLAG_DOT}}};

// Counts the writes that store bytes (those with a stop condition).
class WriteCounter final : public chimox::BusPort {
 public:
  explicit WriteCounter(chimox::BusPort& inner) : inner_(inner) {}
  bool Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength) override {
    if (code == IOCTL_BUS_WRITE && inputLength > 2 && input[1] != 0) ++writes;
    return inner_.Transfer(code, input, inputLength, output, outputLength);
  }
  void Pause(DWORD milliseconds) override { inner_.Pause(milliseconds); }
  int writes = 0;

 private:
  chimox::BusPort& inner_;
};

TEST(BellMemory29, ProbeTellsTheSizeByReadingAndWritesOnlyWhereItMust) {
  // A stored set makes the places a smaller memory would share differ; a
  // new memory reads the same everywhere and needs the marker, once.
  const struct {
    const char* name;
    std::vector<BYTE> image;
    LONG capacity;
    int writesFirst, writesAgain;
  } cases[] = {
      {"16 KByte set", Image29(16384, kThree), 7160, 2, 0},
      {"32 KByte set", Image29(32768, kThree), 15352, 0, 0},
      {"64 KByte set", Image29(65536, kThree), 31736, 0, 0},
      {"16 KByte new", std::vector<BYTE>(16384, 0xFF), 7160, 2, 0},
      {"32 KByte new", std::vector<BYTE>(32768, 0xFF), 15352, 2, 2},
      {"64 KByte new", std::vector<BYTE>(65536, 0x00), 31736, 2, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimulatedDoorbell bell(c.image);
    chimox::MemorySizes kept;
    for (const int expectedWrites : {c.writesFirst, c.writesAgain}) {
      WriteCounter port(bell);
      BellInfo info{};
      ProgressLog log;
      ASSERT_EQ(BellMemory29(port, kept).ReadStatus(info, log), BELL_ERR_NONE);
      EXPECT_EQ(info.capacity, c.capacity);
      EXPECT_EQ(info.melodyCount, c.image[0] == 0x3C ? 3 : 0);
      EXPECT_EQ(log.points, (std::vector<int>{10, 60}));
      EXPECT_EQ(port.writes, expectedWrites);
      EXPECT_EQ(bell.file(), c.image);  // the marker's cell has its byte back
    }
  }
  SCOPED_TRACE("a version 2.0 memory");
  SimulatedDoorbell bell(std::vector<BYTE>(512, 0xFF));
  BellInfo info{};
  ProgressLog log;
  EXPECT_EQ(BellMemory29(bell).ProbeSize(), 0);
  EXPECT_EQ(BellMemory29(bell).ReadStatus(info, log), BELL_ERR_TRANSFER);
  EXPECT_TRUE(log.points.empty());
}

TEST(BellMemory29, ForeignContentReadsAsEmptyAndBrokenContentAsDamaged) {
  constexpr size_t kSize = 32768;
  auto with = [](std::vector<BYTE> image, size_t at, std::vector<BYTE> bytes) {
    std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<long>(at));
    return image;
  };
  const std::vector<BYTE> good = Image29(kSize, kThree, 2, 1);
  std::vector<BYTE> unterminated = good;
  std::fill(unterminated.begin() + 0x0810 + 2 * 32, unterminated.end(), 0x10);

  const struct {
    const char* name;
    std::vector<BYTE> image;
    LONG count, used, current;
    BYTE mode;
    LPARAM code;
  } cases[] = {
      {"three melodies", good, 3, 36, 2, BELL_MODE_MANUAL, BELL_ERR_NONE},
      {"two of them shown", Image29(kSize, kThree, 1, 2, 2), 2, 32, 1, BELL_MODE_RANDOM, BELL_ERR_NONE},
      {"blank memory", std::vector<BYTE>(kSize, 0xFF), 0, 0, 0, BELL_MODE_UNKNOWN, BELL_ERR_NONE},
      {"cleared", with(good, 4, {0, 0}), 0, 0, 0, BELL_MODE_MANUAL, BELL_ERR_NONE},
      {"more than 1024", with(good, 4, {0x08, 0x10}), 0, 0, 0, BELL_MODE_MANUAL, BELL_ERR_NONE},
      {"first entry elsewhere", with(good, 0x10, {0x08, 0x12}), 0, 0, 0, BELL_MODE_MANUAL, BELL_ERR_NONE},
      // The header names melodies of our directory that cannot be read as
      // a set: they are still there, so no free space is shown.
      {"current pointer 15", with(good, 2, {0, 15}), 0, 15352, 0, BELL_MODE_MANUAL, BELL_ERR_DAMAGED},
      {"current pointer below 16", with(good, 2, {0, 14}), 0, 15352, 0, BELL_MODE_MANUAL, BELL_ERR_DAMAGED},
      {"current above the count", with(good, 2, {0, 22}), 0, 15352, 0, BELL_MODE_MANUAL, BELL_ERR_DAMAGED},
      {"entries do not rise", with(good, 0x14, {0x08, 0x4E}), 0, 15352, 0, BELL_MODE_MANUAL, BELL_ERR_DAMAGED},
      {"last melody unterminated", unterminated, 0, 15352, 0, BELL_MODE_MANUAL, BELL_ERR_DAMAGED},
      {"unknown mode", with(good, 1, {7}), 3, 36, 2, BELL_MODE_UNKNOWN, BELL_ERR_NONE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimulatedDoorbell bell(c.image);
    BellInfo info{};
    ProgressLog log;
    ASSERT_EQ(BellMemory29(bell).ReadStatus(info, log), c.code);
    EXPECT_EQ(bell.file(), c.image);  // a status read writes nothing
    EXPECT_EQ(info.capacity, 15352);
    EXPECT_EQ(info.melodyCount, c.count);
    EXPECT_EQ(info.usedSymbols, c.used);
    EXPECT_EQ(info.currentMelody, c.current);
    EXPECT_EQ(info.selectionMode, c.mode);
    EXPECT_EQ(info.headerByte, c.image[0]);
  }
}

TEST(BellMemory29, DeferredAppendsBecomeVisibleWithTheNextPlainOne) {
  constexpr size_t kSize = 16384;
  SimulatedDoorbell bell(std::vector<BYTE>(kSize, 0xFF));
  BellInfo info{};
  ProgressLog status;
  ASSERT_EQ(BellMemory29(bell).ReadStatus(info, status), BELL_ERR_NONE);
  info.currentMelody = 1;
  info.selectionMode = BELL_MODE_RANDOM;

  Melodies stored = kThree;
  stored[2][2].flags = 0x0F;  // only rest and dot are kept
  for (size_t m = 0; m < stored.size(); ++m) {
    auto melody = MakeMelody(stored[m]);
    ProgressLog log;
    ASSERT_EQ(BellMemory29(bell).AppendMelody(melody.get(), info, m < 2, log), BELL_ERR_NONE);
    EXPECT_EQ(log.points, (std::vector<int>{90}));
    EXPECT_EQ(bell.bytes()[5], m < 2 ? 0xFF : 20);  // the last-entry pointer's low byte
  }
  EXPECT_EQ(info.melodyCount, 3);
  EXPECT_EQ(info.usedSymbols, 36);
  std::vector<BYTE> expected = Image29(kSize, kThree, 1, 2, 3, 0xFF);
  EXPECT_EQ(bell.bytes(), expected);
  EXPECT_EQ(bell.file(), expected);
}

TEST(BellMemory29, MelodiesReadBackNoteForNote) {
  SimulatedDoorbell bell(Image29(65536, kThree));
  BellInfo info{};
  ProgressLog status;
  ASSERT_EQ(BellMemory29(bell).ReadStatus(info, status), BELL_ERR_NONE);
  for (LONG n = 1; n <= 3; ++n) {
    SCOPED_TRACE(n);
    auto melody = MakeMelody();
    ProgressLog log;
    ASSERT_EQ(BellMemory29(bell).ReadMelody(melody.get(), n, info, log), BELL_ERR_NONE);
    EXPECT_EQ(NotesOf(melody.get()), kThree[static_cast<size_t>(n - 1)]);
    EXPECT_EQ(log.points, (std::vector<int>{90}));
  }
  for (LONG n : {0, 4}) {
    SCOPED_TRACE(n);
    bell.transfers_ = 0;
    auto melody = MakeMelody();
    ProgressLog log;
    EXPECT_EQ(BellMemory29(bell).ReadMelody(melody.get(), n, info, log), BELL_ERR_REFUSED);
    EXPECT_EQ(bell.transfers_, 0);
  }
}

TEST(BellMemory29, AppendsThatDoNotFitAreRefusedBeforeAnyTransfer) {
  const struct {
    const char* name;
    LONG count, used;
    int notes;
    int code;
  } cases[] = {
      {"one symbol to spare", 3, 15352 - 6, 5, BELL_ERR_NONE},
      {"exactly the notes free", 3, 15352 - 5, 5, BELL_ERR_REFUSED},
      {"1023 melodies stored", 1023, 3000, 1, BELL_ERR_NONE},
      {"1024 melodies stored", 1024, 3000, 1, BELL_ERR_REFUSED},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimulatedDoorbell bell(std::vector<BYTE>(32768, 0xFF));
    BellInfo info{15352, c.count, c.used, 1, BELL_MODE_SEQUENTIAL, 0};
    auto melody = MakeMelody(Notes(c.notes));
    ProgressLog log;
    EXPECT_EQ(BellMemory29(bell).AppendMelody(melody.get(), info, false, log), c.code);
    EXPECT_EQ(bell.transfers_ == 0, c.code != BELL_ERR_NONE);
  }
}

TEST(BellMemory29, SmallWritesChangeTheirHeaderBytes) {
  const struct {
    const char* name;
    bool (*write)(BellMemory29&, BellInfo&);
    BYTE mode;
    size_t address;
    std::vector<BYTE> bytes;
    BYTE modeAfter;
  } cases[] = {
      {"clear", [](BellMemory29& m, BellInfo& i) { return m.Clear(i); }, 1, 4, {0, 0}, 1},
      {"current melody", [](BellMemory29& m, BellInfo& i) { return m.SetCurrentMelody(i); }, 1, 2, {0, 20}, 1},
      {"manual", [](BellMemory29& m, BellInfo& i) { return m.SetSelectionMode(i); }, 2, 1, {1}, 2},
      {"unknown becomes random", [](BellMemory29& m, BellInfo& i) { return m.SetSelectionMode(i); }, 0, 1, {2}, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<BYTE> before = Image29(16384, kThree, 1, 0xEE);
    SimulatedDoorbell bell(before);
    BellInfo info{7160, 3, 35, 3, c.mode, 0};
    BellMemory29 memory(bell);
    ASSERT_TRUE(c.write(memory, info));
    std::vector<BYTE> expected = before;
    std::copy(c.bytes.begin(), c.bytes.end(), expected.begin() + static_cast<long>(c.address));
    EXPECT_EQ(bell.bytes(), expected);
    EXPECT_EQ(info.selectionMode, c.modeAfter);
  }
}

TEST(BellMemory29, DumpShowsTheWholeMemoryKilobyteByKilobyte) {
  std::vector<BYTE> image(16384);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<BYTE>(i / 16 + i);
  SimulatedDoorbell bell(image);
  BellMemory29 memory(bell);
  ASSERT_EQ(memory.ProbeSize(), 1);
  nvtest::TempDir dir;
  const std::string path = dir.file("dump.txt");
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::vector<BYTE> buffer(16384 + 2);
  ASSERT_TRUE(memory.Dump(file, buffer.data(), 16384));
  std::fclose(file);
  const std::vector<BYTE> bytes = ReadImage(path);
  const std::string text(bytes.begin(), bytes.end());

  EXPECT_TRUE(text.starts_with("\r\nCBell_v2_9: DUMP MEMORY\r\n\r\n\t1 KByte\r\n\r\n0000 00 01 02 03 "));
  EXPECT_NE(text.find("\r\n\t16 KByte\r\n\r\n3C00 C0 C1 "), std::string::npos);
  EXPECT_TRUE(text.ends_with("\r\n3FF0 EF F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE \r\n"));
  const size_t perKByte = std::string("\r\n\tNN KByte\r\n").size() + 64 * (7 + 16 * 3) + 2;
  EXPECT_EQ(text.size(), std::string("\r\nCBell_v2_9: DUMP MEMORY\r\n").size() + 16 * perKByte - 9);
  EXPECT_EQ(bell.bytes(), image);
}

}  // namespace
