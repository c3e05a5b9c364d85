// The MIDI writer, byte for byte, and export followed by import.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "MidiTestFiles.h"
#include "TempDir.h"
#include "midi/MidiWriter.h"

using namespace nvtest;

namespace {

// The events written for the note symbols, between the opening events and the closing pair.
Bytes NoteEvents(const std::vector<NoteValues>& notes) {
  Bytes file = MidiWriter::Build(notes);
  return Bytes(file.begin() + 40, file.end() - 12);
}

}  // namespace

TEST(MidiWriter, WritesTheFixedFrame) {
  const Bytes expected = {0x4D, 0x54, 0x68, 0x64, 0,    0,    0,    6,    0,    0,    0,    1,    0,
                          0x60, 0x4D, 0x54, 0x72, 0x6B, 0,    0,    0,    30,   0x00, 0xFF, 0x58, 0x04,
                          0x02, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x51, 0x03, 0x08, 0x00, 0x00, 0x00, 0xC0,
                          0x17, 0x05, 0x90, 0x38, 0x00, 0x18, 0x80, 0x38, 0x00, 0x00, 0xFF, 0x2F, 0x00};
  EXPECT_EQ(expected, MidiWriter::Build({}));
}

TEST(MidiWriter, EncodesEachNoteSymbol) {
  const BYTE v = MidiWriter::kVelocity;
  struct Case {
    const char* what;
    NoteValues note;
    Bytes events;
  };
  const Case cases[] = {
      {"quarter at index 13", {13, 2, 0}, {0x05, 0x90, 0x45, v, 0x60, 0x80, 0x45, v}},
      {"whole", {0, 0, 0}, {0x05, 0x90, 0x38, v, 0x83, 0x00, 0x80, 0x38, v}},
      {"dotted whole", {0, 0, 0x08}, {0x05, 0x90, 0x38, v, 0x84, 0x40, 0x80, 0x38, v}},
      {"half rest", {11, 1, 0x04}, {0x05, 0x90, 0x43, 0, 0x81, 0x40, 0x80, 0x43, 0}},
      {"dotted sixteenth", {31, 4, 0x08}, {0x05, 0x90, 0x57, v, 0x24, 0x80, 0x57, v}},
      {"a code outside 0..4 lasts a whole", {1, 9, 0}, {0x05, 0x90, 0x39, v, 0x83, 0x00, 0x80, 0x39, v}},
      {"a pitch outside the range stays a MIDI key", {200, 2, 0}, {0x05, 0x90, 0x7C, v, 0x60, 0x80, 0x7C, v}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.events, NoteEvents({c.note})) << c.what;

  Bytes two = MidiWriter::Build({{13, 0, 0}, {13, 0, 0x08}});
  EXPECT_EQ((Bytes{0, 0, 0, 30 + 9 + 9}), Bytes(two.begin() + 18, two.begin() + 22)) << "track length";
}

TEST(MidiWriter, ExportThenImportGivesTheSameMelody) {
  std::vector<NoteValues> melody;
  for (BYTE duration = 0; duration <= 4; ++duration) {
    for (BYTE dot : {0, 0x08}) {
      melody.push_back({static_cast<BYTE>(duration * 6), duration, dot});
      melody.push_back({11, duration, static_cast<BYTE>(0x04 | dot)});
    }
  }
  melody.push_back({31, 2, 0});
  nvtest::TempDir dir;
  const std::string path = dir.file("Мелодия.mid");
  ASSERT_EQ(MidiWriteError::None, MidiWriter::Write(path, melody));

  ChannelCollector collector;
  MidiReader reader(collector);
  ASSERT_EQ(MidiError::None, reader.ReadFile(path));
  ASSERT_EQ(1u, collector.Melodies().size());
  EXPECT_EQ(0, collector.Melodies()[0].channel);
  EXPECT_EQ(melody, collector.Melodies()[0].notes);
}

TEST(MidiWriter, AFailedExportLeavesTheOldFile) {
  nvtest::TempDir dir;
  // A note symbol without a length (duration code above 4) is not exported
  // as some other length: nothing is written.
  EXPECT_EQ(MidiWriteError::WriteFailed, MidiWriter::Write(dir.file("bad.mid"), {{13, 2, 0}, {13, 5, 0}}));
  EXPECT_NE(0, access(dir.file("bad.mid").c_str(), F_OK));
  EXPECT_EQ(MidiWriteError::CreateFailed, MidiWriter::Write(dir.file("missing/x.mid"), {}));
  EXPECT_EQ(std::u16string(u"Ошибка при создании файла"), MidiWriter::ErrorText(MidiWriteError::CreateFailed));
  EXPECT_EQ(std::u16string(u"Ошибка записи в файл"), MidiWriter::ErrorText(MidiWriteError::LengthFailed));
}
