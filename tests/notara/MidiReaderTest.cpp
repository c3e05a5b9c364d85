// The MIDI reader: file structure, events, and the channel trackers that
// turn what sounds into one line of note symbols.
#include <gtest/gtest.h>

#include "MidiTestFiles.h"
#include "midi/MidiQuantiser.h"

using namespace nvtest;

namespace {

constexpr BYTE kRest = 0x04;
constexpr BYTE kDot = 0x08;

Bytes Header(std::initializer_list<BYTE> afterMagic) {
  Bytes b = {'M', 'T', 'h', 'd'};
  b.insert(b.end(), afterMagic);
  return b;
}

// One note on channel 0 in a format-0 file at division 480.
Bytes OneNote() {
  return Smf(0, 480, {Track().On(0, 0, 69).Off(480, 0, 69)});
}

}  // namespace

TEST(MidiReader, RefusesBadStructure) {
  Bytes wrongChunk = OneNote();
  wrongChunk[17] = 'x';  // "MTrx"
  Bytes timeCode = OneNote();
  timeCode[12] = 0xE7;
  Bytes overrun = OneNote();
  overrun[21] -= 4;  // the declared length ends before End of Track
  struct Case {
    const char* what;
    Bytes bytes;
    MidiError error;
  };
  const Case cases[] = {
      {"empty file", {}, MidiError::Format},
      {"not a header", {'M', 'T', 'h', 'x', 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xE0}, MidiError::Format},
      {"header length 7", Header({0, 0, 0, 7, 0, 0, 0, 1, 1, 0xE0, 0}), MidiError::Format},
      {"format 3", Smf(3, 480, {Track()}), MidiError::Format},
      {"format 0 with two tracks", Smf(0, 480, {Track(), Track()}), MidiError::Format},
      {"format 1 without tracks", Smf(1, 480, {}), MidiError::Format},
      {"track chunk not MTrk", wrongChunk, MidiError::Format},
      {"time-code division", timeCode, MidiError::Unsupported},
      {"division of zero ticks", Smf(0, 0, {Track().On(0, 0, 69).Off(480, 0, 69)}), MidiError::Format},
      {"track overrun", overrun, MidiError::Format},
      {"no notes on any channel", Smf(1, 96, {Track().Raw({0, 0xC0, 5}), Track()}), MidiError::NoMelodies},
  };
  for (const Case& c : cases) EXPECT_EQ(c.error, ReadMidi(c.bytes).error) << c.what;
}

TEST(MidiReader, EveryTruncatedFileIsAFormatError) {
  Bytes whole = Smf(1, 96,
                    {Track().Raw({0, 0xFF, 0x03, 2, 'h', 'i'}).On(0, 1, 60).Raw({40, 62, 90}).Off(48, 1, 60),
                     Track().Raw({0, 0xF0, 3, 1, 2, 0xF7}).On(0, 2, 70).Off(96, 2, 70)});
  ASSERT_EQ(MidiError::None, ReadMidi(whole).error);
  for (size_t n = 0; n < whole.size(); ++n)
    EXPECT_EQ(MidiError::Format, ReadMidi(Bytes(whole.begin(), whole.begin() + static_cast<long>(n))).error) << n;
}

TEST(MidiReader, ReadsEventsAndRunningStatus) {
  struct Case {
    const char* what;
    Track track;
    MidiError error;
    std::vector<NoteValues> notes;
  };
  const Case cases[] = {
      {"running status carries note-on and velocity 0 ends the note",
       Track().On(0, 0, 69).Raw({0x83, 0x60, 69, 0}),
       MidiError::None,
       {{13, 2, 0}}},
      {"velocity-0 note-on ends a note like note-off",
       Track().On(0, 0, 69).Delta(480).Raw({0x90, 69, 0}),
       MidiError::None,
       {{13, 2, 0}}},
      {"controllers, program and pressure are skipped",
       Track()
           .Raw({0, 0xB0, 7, 100, 0, 0xC0, 3, 0, 0xD0, 9, 0, 0xE0, 0, 64, 0, 0xA0, 1, 2})
           .On(0, 0, 69)
           .Off(480, 0, 69),
       MidiError::None,
       {{13, 2, 0}}},
      {"a data byte right after a meta event has no running status",
       Track().On(0, 0, 69).Raw({0, 0xFF, 0x01, 1, 'x'}).Raw({0, 69, 0}),
       MidiError::Unsupported,
       {}},
      {"a data byte right after system exclusive has no running status",
       Track().On(0, 0, 69).Raw({0, 0xF0, 1, 0xF7}).Raw({0, 69, 0}),
       MidiError::Unsupported,
       {}},
      {"an End of Track before the chunk end does not end the track",
       Track().On(0, 0, 69).Raw({0, 0xFF, 0x2F, 0}).Off(480, 0, 69),
       MidiError::None,
       {{13, 2, 0}}},
  };
  for (const Case& c : cases) {
    MidiResult result = ReadMidi(Smf(0, 480, {c.track}));
    EXPECT_EQ(c.error, result.error) << c.what;
    if (c.error == MidiError::None) {
      ASSERT_EQ(1u, result.melodies.size()) << c.what;
      EXPECT_EQ(c.notes, result.melodies[0].notes) << c.what;
    }
  }
}

TEST(MidiReader, TrackersReduceEachChannelToOneLine) {
  struct Case {
    const char* what;
    Track track;
    std::vector<NoteValues> notes;
  };
  const Case cases[] = {
      {"480 ticks make a quarter", Track().On(0, 0, 69).Off(480, 0, 69), {{13, 2, 0}}},
      {"600 ticks make a dotted quarter", Track().On(0, 0, 69).Off(600, 0, 69), {{13, 2, kDot}}},
      {"599 ticks still make a quarter", Track().On(0, 0, 69).Off(599, 0, 69), {{13, 2, 0}}},
      {"a silence of 100 ticks is no rest",
       Track().On(0, 0, 69).Off(480, 0, 69).On(100, 0, 71).Off(480, 0, 71),
       {{13, 2, 0}, {15, 2, 0}}},
      {"a silence of 120 ticks is a sixteenth rest",
       Track().On(0, 0, 69).Off(480, 0, 69).On(120, 0, 71).Off(480, 0, 71),
       {{13, 2, 0}, {11, 4, kRest}, {15, 2, 0}}},
      {"no rest before the first note", Track().On(2000, 0, 69).Off(480, 0, 69), {{13, 2, 0}}},
      {"a chord gives its highest note, lasting until that key is released",
       Track().On(0, 0, 60).On(10, 0, 67).On(10, 0, 64).Off(200, 0, 60).Off(100, 0, 64).Off(160, 0, 67),
       {{11, 2, 0}}},
      {"releasing a lower chord note does not end the melody note",
       Track().On(0, 0, 72).On(0, 0, 60).Off(240, 0, 60).Off(240, 0, 72),
       {{16, 2, 0}}},
      {"keys fold by octaves into the range",
       Track().On(0, 0, 40).Off(240, 0, 40).On(0, 0, 100).Off(240, 0, 100),
       {{8, 3, 0}, {20, 3, 0}}},
      {"an older note ending just after a newer one began lets the newer one sound",
       Track().On(0, 0, 69).On(480, 0, 71).Off(20, 0, 69).Off(460, 0, 71),
       {{13, 2, 0}, {15, 2, 0}}},
      {"an older note held on past a newer one drops the newer one",
       Track().On(0, 0, 69).On(480, 0, 71).Off(240, 0, 69).Off(240, 0, 71),
       {{13, 2, kDot}}},
      {"a note held a whole note and a sixteenth gives way to newer notes",
       Track().On(0, 0, 69).On(480, 0, 71).On(1560, 0, 74).Off(480, 0, 69).Off(0, 0, 71).Off(0, 0, 74),
       {{15, 0, 0}}},
  };
  for (const Case& c : cases) {
    MidiResult result = ReadMidi(Smf(0, 480, {c.track}));
    ASSERT_EQ(MidiError::None, result.error) << c.what;
    ASSERT_EQ(1u, result.melodies.size()) << c.what;
    EXPECT_EQ(c.notes, result.melodies[0].notes) << c.what;
  }
}

TEST(MidiReader, MelodiesAreKeyedByChannelAcrossTracks) {
  MidiResult result = ReadMidi(Smf(
      1, 96, {Track().On(0, 3, 69).Off(96, 3, 69).On(0, 9, 60).Off(48, 9, 60), Track().On(500, 3, 71).Off(24, 3, 71)}));
  ASSERT_EQ(MidiError::None, result.error);
  EXPECT_EQ((std::vector<ChannelMelody>{{3, {{13, 2, 0}, {15, 4, 0}}}, {9, {{4, 3, 0}}}}), result.melodies);
}

TEST(MidiReader, StopsWhenTheSinkRefusesANote) {
  struct Refusing : IMidiSink {
    bool AddNote(const ImportedNote&) override { return false; }
    LONG MelodyCount() override { return 0; }
  } sink;
  MidiReader reader(sink);
  CFileU file = Over(OneNote());
  EXPECT_EQ(MidiError::AddFailed, reader.Read(file));
  EXPECT_EQ(MidiError::OpenFailed, reader.ReadFile("/nonexistent/file.mid"));
  EXPECT_EQ(std::u16string(u"В MIDI файле мелодиии не обнаружены."), MidiReader::ErrorText(MidiError::NoMelodies));
}

TEST(MidiQuantiser, BoundariesAreHalfOpen) {
  struct Case {
    float x;
    bool rest;
    BYTE duration;
    BYTE flags;
  };
  const Case cases[] = {
      {1.2499f, false, 4, 0},         {1.25f, false, 4, kDot}, {2.5f, false, 3, kDot},          {4.999f, false, 2, 0},
      {5.0f, false, 2, kDot},         {19.99f, false, 0, 0},   {20.0f, false, 0, kDot},         {0.95f, true, 4, kRest},
      {1.45f, true, 4, kRest | kDot}, {7.95f, true, 1, kRest}, {23.95f, true, 0, kRest | kDot},
  };
  for (const Case& c : cases) {
    ImportedNote item;
    if (c.rest)
      ASSERT_TRUE(MidiQuantiser::Rest(c.x, item)) << c.x;
    else
      item = MidiQuantiser::Note(69, c.x);
    EXPECT_EQ(c.duration, item.duration) << c.x;
    EXPECT_EQ(c.flags, item.flags) << c.x;
  }
  ImportedNote none;
  EXPECT_FALSE(MidiQuantiser::Rest(0.949f, none));
}
