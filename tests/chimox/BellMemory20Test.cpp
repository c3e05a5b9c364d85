// The version 2.0 memory image through the simulated doorbell: status,
// appends, read-back, the small writes and the dump, with their edge cases.
#include <gtest/gtest.h>

#include <cstdio>

#include "BellMemory20.h"
#include "MemoryImages.h"
#include "SimulatedDoorbell.h"

namespace {

using chimox::BellMemory20;
using namespace chimoxtest;

const Melodies kThree = {{}, Notes(4, FLAG_DOT), {{5, 2, FLAG_REST}, {31, 4, 0}, {0, 0, 12}, {13, 1, 8}}};

BellInfo ReadStatus(SimulatedDoorbell& bell, int expectedCode = BELL_ERR_NONE) {
  BellInfo info{};
  ProgressLog log;
  EXPECT_EQ(BellMemory20(bell).ReadStatus(info, log), expectedCode);
  return info;
}

TEST(BellMemory20, StatusOfValidAndInvalidDirectories) {
  std::vector<BYTE> cleared = Image20({});
  std::vector<BYTE> blank(512, 0xFF);
  std::vector<BYTE> repeated = Image20(kThree);
  repeated[256 + 0x12] = repeated[256 + 0x11];
  std::vector<BYTE> falling = Image20(kThree);
  falling[256 + 0x12] = 0;
  std::vector<BYTE> noEnd = Image20(kThree);
  for (int k = 0; k < 112; ++k) noEnd[256 + 0x10 + k] = static_cast<BYTE>(k);
  std::vector<BYTE> unterminated = Image20(kThree);
  std::fill(unterminated.begin() + 6, unterminated.begin() + 256, 0x10);
  auto with = [](std::vector<BYTE> image, size_t block1Address, BYTE value) {
    image[256 + block1Address] = value;
    return image;
  };
  Melodies full(111, std::vector<NoteValues>{{2, 1, 0}});
  std::vector<BYTE> manual = Image20(kThree, 17, 1);
  std::vector<BYTE> strangeMode = Image20(kThree, 16, 2);

  const struct {
    const char* name;
    std::vector<BYTE> image;
    LONG count, used, current;
    BYTE mode;
    LPARAM code;
  } cases[] = {
      {"cleared", cleared, 0, 0, 1, BELL_MODE_SEQUENTIAL, BELL_ERR_NONE},
      {"blank memory", blank, 0, 0, 0xFF - 15, BELL_MODE_UNKNOWN, BELL_ERR_NONE},
      {"foreign directory", with(Image20(kThree), 0x10, 5), 0, 0, 1, BELL_MODE_SEQUENTIAL, BELL_ERR_NONE},
      {"three melodies", Image20(kThree), 3, 11, 1, BELL_MODE_SEQUENTIAL, BELL_ERR_NONE},
      // A directory that starts as ours and breaks off holds melodies: no
      // free space is shown, so nothing is appended over them.
      {"entries repeat", repeated, 0, 256, 1, BELL_MODE_SEQUENTIAL, BELL_ERR_DAMAGED},
      {"entries fall", falling, 0, 256, 1, BELL_MODE_SEQUENTIAL, BELL_ERR_DAMAGED},
      {"no end marker", noEnd, 0, 256, 1, BELL_MODE_SEQUENTIAL, BELL_ERR_DAMAGED},
      {"last melody unterminated", unterminated, 0, 256, 1, BELL_MODE_SEQUENTIAL, BELL_ERR_DAMAGED},
      {"111 melodies", Image20(full), 111, 222, 1, BELL_MODE_SEQUENTIAL, BELL_ERR_NONE},
      {"manual, second melody", manual, 3, 11, 2, BELL_MODE_MANUAL, BELL_ERR_NONE},
      {"unknown mode", strangeMode, 3, 11, 1, BELL_MODE_UNKNOWN, BELL_ERR_NONE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimulatedDoorbell bell(c.image);
    BellInfo info{};
    ProgressLog log;
    ASSERT_EQ(BellMemory20(bell).ReadStatus(info, log), c.code);
    EXPECT_EQ(log.points, (std::vector<int>{10, 60}));
    EXPECT_EQ(bell.file(), c.image);  // a status read writes nothing
    EXPECT_EQ(info.capacity, 256);
    EXPECT_EQ(info.melodyCount, c.count);
    EXPECT_EQ(info.usedSymbols, c.used);
    EXPECT_EQ(info.currentMelody, c.current);
    EXPECT_EQ(info.selectionMode, c.mode);
    EXPECT_EQ(info.headerByte, c.image[258]);
  }
}

TEST(BellMemory20, AppendsLayOutNotesFlagsHeaderAndDirectory) {
  // Into a cleared device, then at the odd address the first melody leaves:
  // its first flag byte is written whole, 0 in the high nibble.
  std::vector<BYTE> start = Image20({}, 0xFF, 0xFF);
  std::fill(start.begin() + 256 + 0x80, start.end(), 0xEE);  // stale flags
  SimulatedDoorbell bell(start);
  BellInfo info = ReadStatus(bell);
  info.currentMelody = 1;
  info.selectionMode = BELL_MODE_MANUAL;

  for (size_t m = 1; m < kThree.size(); ++m) {
    auto melody = MakeMelody(kThree[m]);
    ProgressLog log;
    ASSERT_EQ(BellMemory20(bell).AppendMelody(melody.get(), info, log), BELL_ERR_NONE);
    EXPECT_EQ(log.points, (std::vector<int>{50, 90}));
  }
  EXPECT_EQ(info.melodyCount, 2);
  EXPECT_EQ(info.usedSymbols, 10);

  std::vector<BYTE> expected = Image20({kThree[1], kThree[2]}, 16, 1, 0x5A);
  std::fill(expected.begin() + 256 + 0x85, expected.end(), 0xEE);  // untouched beyond the last note
  EXPECT_EQ(bell.bytes()[256 + 0x82], 0x04);
  EXPECT_EQ(bell.bytes(), expected);
  EXPECT_EQ(bell.file(), expected);
}

TEST(BellMemory20, AppendsThatDoNotFitAreRefusedBeforeAnyTransfer) {
  const struct {
    const char* name;
    LONG capacity, count, used;
    int notes;
    int code;
  } cases[] = {
      {"one symbol to spare", 256, 1, 250, 5, BELL_ERR_NONE},
      {"exactly the notes free", 256, 1, 251, 5, BELL_ERR_REFUSED},
      {"a version 2.9 record", 7160, 1, 6, 5, BELL_ERR_REFUSED},
      {"111 melodies stored", 256, 111, 200, 1, BELL_ERR_REFUSED},
      // A melody starting at 255 would have the end marker as its entry.
      {"an empty melody at 255", 256, 3, 255, 0, BELL_ERR_REFUSED},
      {"an empty melody at 254", 256, 3, 254, 0, BELL_ERR_NONE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimulatedDoorbell bell(Image20({}));
    BellInfo info{c.capacity, c.count, c.used, 1, BELL_MODE_SEQUENTIAL, 0};
    auto melody = MakeMelody(Notes(c.notes));
    ProgressLog log;
    EXPECT_EQ(BellMemory20(bell).AppendMelody(melody.get(), info, log), c.code);
    if (c.code != BELL_ERR_NONE) {
      EXPECT_EQ(bell.transfers_, 0);
      EXPECT_EQ(info.melodyCount, c.count);
    }
  }
}

TEST(BellMemory20, TheHundredAndEleventhMelodyFitsTheTwelfthDoesNot) {
  SimulatedDoorbell bell(Image20({}));
  BellInfo info = ReadStatus(bell);
  auto melody = MakeMelody(Notes(1));
  for (int i = 1; i <= 111; ++i) {
    ProgressLog log;
    ASSERT_EQ(BellMemory20(bell).AppendMelody(melody.get(), info, log), BELL_ERR_NONE) << i;
  }
  EXPECT_EQ(bell.bytes()[256 + 0x7E], 220);   // the 111th entry
  EXPECT_EQ(bell.bytes()[256 + 0x7F], 0xFF);  // its end marker
  ProgressLog log;
  EXPECT_EQ(BellMemory20(bell).AppendMelody(melody.get(), info, log), BELL_ERR_REFUSED);
  EXPECT_EQ(ReadStatus(bell).melodyCount, 111);
}

TEST(BellMemory20, MelodiesReadBackNoteForNote) {
  SimulatedDoorbell bell(Image20(kThree));
  const BellInfo info = ReadStatus(bell);
  for (LONG n = 1; n <= 3; ++n) {
    SCOPED_TRACE(n);
    auto melody = MakeMelody();
    ProgressLog log;
    ASSERT_EQ(BellMemory20(bell).ReadMelody(melody.get(), n, info, log), BELL_ERR_NONE);
    EXPECT_EQ(NotesOf(melody.get()), kThree[static_cast<size_t>(n - 1)]);
    EXPECT_EQ(log.points, (std::vector<int>{50}));
  }
  for (LONG n : {0, 4}) {
    SCOPED_TRACE(n);
    bell.transfers_ = 0;
    auto melody = MakeMelody();
    ProgressLog log;
    EXPECT_EQ(BellMemory20(bell).ReadMelody(melody.get(), n, info, log), BELL_ERR_REFUSED);
    EXPECT_EQ(bell.transfers_, 0);
  }
  // A note byte with a duration code above 4 has no length: the melody
  // refuses it, so the read is refused rather than giving some other note.
  SimulatedDoorbell odd(Image20({{{13, 2, 0}, {13, 5, 0}}}));
  auto melody = MakeMelody();
  ProgressLog log;
  EXPECT_EQ(BellMemory20(odd).ReadMelody(melody.get(), 1, ReadStatus(odd), log), BELL_ERR_REFUSED);
}

TEST(BellMemory20, SmallWritesChangeOneByteEach) {
  const struct {
    const char* name;
    bool (*write)(BellMemory20&, BellInfo&);
    size_t address;
    BYTE value;
    BYTE modeAfter;
  } cases[] = {
      {"clear", [](BellMemory20& m, BellInfo& i) { return m.Clear(i); }, 0x10, 0xFF, BELL_MODE_RANDOM},
      {"current melody", [](BellMemory20& m, BellInfo& i) { return m.SetCurrentMelody(i); }, 0x00, 17,
       BELL_MODE_RANDOM},
      {"random is sequential here", [](BellMemory20& m, BellInfo& i) { return m.SetSelectionMode(i); }, 0x01, 0,
       BELL_MODE_SEQUENTIAL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<BYTE> before = Image20(kThree, 16, 1);
    SimulatedDoorbell bell(before);
    BellInfo info{256, 3, 10, 2, BELL_MODE_RANDOM, 0};
    BellMemory20 memory(bell);
    ASSERT_TRUE(c.write(memory, info));
    std::vector<BYTE> expected = before;
    expected[256 + c.address] = c.value;
    EXPECT_EQ(bell.bytes(), expected);
    EXPECT_EQ(info.selectionMode, c.modeAfter);
    if (c.address == 0x10) {
      EXPECT_EQ(info.melodyCount + info.usedSymbols, 0);
    }
  }
}

TEST(BellMemory20, DumpShowsBothBlocksAsHexText) {
  std::vector<BYTE> image(512);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<BYTE>(i * 7);
  SimulatedDoorbell bell(image);
  nvtest::TempDir dir;
  const std::string path = dir.file("dump.txt");
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(BellMemory20(bell).Dump(file));
  std::fclose(file);
  const std::vector<BYTE> bytes = ReadImage(path);
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_TRUE(text.starts_with("\r\nCBell_v2_0: DUMP 1Page\r\n\r\n0000 00 07 0E 15 1C 23 "));
  EXPECT_NE(text.find(" F9 \r\n\r\nCBell_v2_0: DUMP 2Page\r\n\r\n0000 00 07 0E "), std::string::npos);
  EXPECT_NE(text.find("\r\n00F0 90 97 9E "), std::string::npos);
  EXPECT_TRUE(text.ends_with("\r\n00F0 90 97 9E A5 AC B3 BA C1 C8 CF D6 DD E4 EB F2 F9 \r\n\r\n"));
  const size_t block = 16 * (7 + 16 * 3);
  EXPECT_EQ(text.size(), 2 * (26 + block) + 2 + 4);
}

}  // namespace

namespace {

using chimox::BellMemory20;
using namespace chimoxtest;

TEST(BellMemory20, ADamagedMemoryTakesNoAppendButCanBeCleared) {
  std::vector<BYTE> image = Image20({Notes(3), Notes(2), Notes(4)});
  image[256 + 0x12] = 1;  // the third entry falls back into the first melody
  SimulatedDoorbell bell(image);
  BellInfo info{};
  ProgressLog log;
  ASSERT_EQ(BellMemory20(bell).ReadStatus(info, log), BELL_ERR_DAMAGED);
  info.currentMelody = 1;
  auto melody = MakeMelody(Notes(2));
  EXPECT_EQ(BellMemory20(bell).AppendMelody(melody.get(), info, log), BELL_ERR_REFUSED);
  EXPECT_EQ(bell.file(), image);
  ASSERT_TRUE(BellMemory20(bell).Clear(info));
  ASSERT_EQ(BellMemory20(bell).ReadStatus(info, log), BELL_ERR_NONE);
  EXPECT_EQ(BellMemory20(bell).AppendMelody(melody.get(), info, log), BELL_ERR_NONE);
  EXPECT_EQ(info.melodyCount, 1);
}

}  // namespace
