// Ring-tone text read into note symbols, problems named by line and column,
// and melodies written and read back.
#include <gtest/gtest.h>

#include "common/PitchRange.h"
#include "common/RingToneText.h"

namespace {

using Kind = RingToneIssue::Kind;

// Pitches as the reader gives them: C4 is 4, A4 13, C5 16, C6 28, C7 40.
constexpr BYTE kRest = 11;

struct ReadCase {
  const char* text;
  std::u16string name;
  int tempo;
  std::vector<NoteValues> notes;
};

TEST(RingToneTextRead, TurnsEachNoteIntoItsSymbol) {
  const ReadCase cases[] = {
      {"Bell:d=4,o=5,b=120:8e6,8d#6,2p,c.6", u"Bell", 120, {{32, 3, 0}, {31, 3, 0}, {kRest, 1, 4}, {28, 2, 8}}},
      // The dot before or after the octave, on notes and pauses.
      {"t:d=8,o=5,b=100:e.6,e6.,4p.,16c.,16c5.",
       u"t",
       100,
       {{32, 3, 8}, {32, 3, 8}, {kRest, 2, 12}, {16, 4, 8}, {16, 4, 8}}},
      // Without defaults: a quarter in octave 6 at 63 beats per minute.
      {"t::c,4c,p", u"t", 63, {{28, 2, 0}, {28, 2, 0}, {kRest, 2, 4}}},
      // Defaults in any order and case, with blanks; h is b.
      {"t: B=90 , O=4 :C#,8D,h,16A#7", u"t", 90, {{5, 2, 0}, {6, 3, 0}, {15, 2, 0}, {50, 4, 0}}},
      {"t:d=1:c4,c5,c6,c7,b7", u"t", 63, {{4, 0, 0}, {16, 0, 0}, {28, 0, 0}, {40, 0, 0}, {51, 0, 0}}},
      {"t:o=5:1a,2a,4a,8a,16a,1a.,2a.,16a.",
       u"t",
       63,
       {{25, 0, 0}, {25, 1, 0}, {25, 2, 0}, {25, 3, 0}, {25, 4, 0}, {25, 0, 8}, {25, 1, 8}, {25, 4, 8}}},
      // Sharps of e and b are the next key up.
      {"t:o=5:b#,e#", u"t", 63, {{28, 2, 0}, {21, 2, 0}}},
      // Thirty-seconds as the MIDI import takes them: notes become sixteenths,
      // pauses are too short to be rests.
      {"t:o=5:32a,32a.,32p,32p.,16p", u"t", 63, {{25, 4, 0}, {25, 4, 0}, {kRest, 4, 4}}},
      // Blanks and line breaks around every separator, a comma at the end.
      {" My tune :\r\n d=8,\n o=5 :\n e6 ,\td#6 ,\r\n\n P, ", u"My tune", 63, {{32, 3, 0}, {31, 3, 0}, {kRest, 3, 4}}},
      {"Silence:d=4,o=5,b=63:", u"Silence", 63, {}},
      {"t:d=4,:p6", u"t", 63, {{kRest, 2, 4}}},
      {"\xEF\xBB\xBF\xD0\x97\xD0\xB2\xD0\xBE\xD0\xBD\xD0\xBE\xD0\xBA:d=4:a", u"Звонок", 63, {{37, 2, 0}}},
      {":d=16,o=7:g", u"", 63, {{47, 4, 0}}},
  };
  for (const ReadCase& c : cases) {
    RingTone tune;
    RingToneIssue error;
    std::vector<RingToneIssue> warnings;
    ASSERT_TRUE(RingToneText::Read(c.text, tune, error, warnings)) << c.text << ": " << error.kind;
    EXPECT_EQ(c.name, tune.name) << c.text;
    EXPECT_EQ(c.tempo, tune.beatsPerMinute) << c.text;
    EXPECT_EQ(c.notes, tune.notes) << c.text;
  }
}

struct ErrorCase {
  const char* text;
  Kind kind;
  size_t line;
  size_t column;
};

TEST(RingToneTextRead, NamesTheFirstProblemAndReadsNothing) {
  const ErrorCase cases[] = {
      {"no colon at all", Kind::NoNameEnd, 1, 16},
      {"t:d=4", Kind::NoDefaultsEnd, 1, 6},
      {"t:d4:a", Kind::BadDefault, 1, 4},
      {"t:=4:a", Kind::BadDefault, 1, 3},
      {"t:d=:a", Kind::BadDefault, 1, 5},
      {"t:d=3:a", Kind::BadDuration, 1, 5},
      {"t:d=64:a", Kind::BadDuration, 1, 5},
      {"t:o=8:a", Kind::BadOctave, 1, 5},
      {"t:o=3:a", Kind::BadOctave, 1, 5},
      {"t:b=0:a", Kind::BadTempo, 1, 5},
      {"t:b=1000:a", Kind::BadTempo, 1, 5},
      {"t:d=4 o=5:a", Kind::UnexpectedText, 1, 7},
      {"t::a,3a", Kind::BadDuration, 1, 6},
      {"t::a,0016a", Kind::BadDuration, 1, 6},
      {"t::1999999999999999999999a", Kind::BadDuration, 1, 4},
      {"t:b=99999999999999999999:a", Kind::BadTempo, 1, 5},
      {"t::a,a8", Kind::BadOctave, 1, 7},
      {"t::a3", Kind::BadOctave, 1, 5},
      {"t::x", Kind::BadNote, 1, 4},
      {"t::8 e", Kind::BadNote, 1, 5},
      {"t::,a", Kind::BadNote, 1, 4},
      {"t::a,,b", Kind::EmptyNote, 1, 6},
      {"t::8e.6.", Kind::UnexpectedText, 1, 8},
      {"t::p#", Kind::UnexpectedText, 1, 5},
      {"t::a b", Kind::UnexpectedText, 1, 6},
      {"t::a:b", Kind::UnexpectedText, 1, 5},
      {"t::a,\n  8e6,\n  9c", Kind::BadDuration, 3, 3},
      // Columns count characters: six Cyrillic letters take twelve bytes.
      {"\xD0\x97\xD0\xB2\xD0\xBE\xD0\xBD\xD0\xBE\xD0\xBA::a,x", Kind::BadNote, 1, 11},
      {"", Kind::NoNameEnd, 1, 1},
      {"\xEF\xBB\xBFt::x", Kind::BadNote, 1, 4},
  };
  for (const ErrorCase& c : cases) {
    RingTone tune{u"kept", 99, {{1, 2, 3}}};
    RingToneIssue error;
    std::vector<RingToneIssue> warnings = {{Kind::NameShortened, 7, 7}};
    EXPECT_FALSE(RingToneText::Read(c.text, tune, error, warnings)) << c.text;
    EXPECT_EQ((RingToneIssue{c.kind, c.line, c.column}), error)
        << c.text << ": " << error.kind << " at " << error.line << ":" << error.column;
    EXPECT_EQ((RingTone{u"kept", 99, {{1, 2, 3}}}.notes), tune.notes) << c.text;
    EXPECT_EQ(u"kept", tune.name);
    EXPECT_EQ(1u, warnings.size());
  }
}

TEST(RingToneTextRead, WarnsAboutWhatItChangesOrLeavesOut) {
  struct Case {
    std::string text;
    std::vector<RingToneIssue> warnings;
  };
  const Case cases[] = {
      {"t:l=15,d=4:32a,32p,a",
       {{Kind::UnknownDefault, 1, 3}, {Kind::ThirtySecondNote, 1, 12}, {Kind::ThirtySecondRest, 1, 16}}},
      {"t::a,\n32p.", {{Kind::ThirtySecondRest, 2, 1}}},
      {std::string(300, 'n') + "::a", {{Kind::NameShortened, 1, 1}}},
      {"t:d=4,o=5,b=120:a", {}},
  };
  for (const Case& c : cases) {
    RingTone tune;
    RingToneIssue error;
    std::vector<RingToneIssue> warnings;
    ASSERT_TRUE(RingToneText::Read(c.text, tune, error, warnings)) << c.text;
    EXPECT_EQ(c.warnings, warnings) << c.text;
  }
  RingTone tune;
  RingToneIssue error;
  std::vector<RingToneIssue> warnings;
  ASSERT_TRUE(RingToneText::Read(std::string(300, 'n') + "::a", tune, error, warnings));
  EXPECT_EQ(std::u16string(255, u'n'), tune.name);
}

MelodyData ReadBack(const std::string& text) {
  RingTone tune;
  RingToneIssue error;
  std::vector<RingToneIssue> warnings;
  EXPECT_TRUE(RingToneText::Read(text, tune, error, warnings)) << text << ": " << error.kind;
  EXPECT_TRUE(warnings.empty()) << text;
  return MelodyData{tune.name, tune.notes};
}

TEST(RingToneTextWrite, EveryDurationDotAndRestComesBackTheSame) {
  MelodyData melody{u"Все длительности", {}};
  BYTE pitch = 4;
  for (BYTE flags : {0, 0x04, 0x08, 0x0C}) {
    for (BYTE duration = 0; duration <= 4; ++duration) {
      const bool rest = (flags & 0x04) != 0;
      melody.notes.push_back({rest ? kRest : pitch, duration, flags});
      if (!rest) pitch = static_cast<BYTE>(pitch == 31 ? 4 : pitch + 1);
    }
  }
  for (BYTE p = 4; p <= 31; ++p) melody.notes.push_back({p, 2, 0});

  std::string text;
  bool raised = true;
  size_t bad = 0;
  ASSERT_TRUE(RingToneText::Write(melody, text, raised, bad));
  EXPECT_FALSE(raised);
  EXPECT_EQ(0u, text.rfind("Все длительности:d=4,o=", 0)) << text;
  EXPECT_NE(std::string::npos, text.find(",b=114:")) << text;
  EXPECT_EQ(melody, ReadBack(text)) << text;
}

TEST(RingToneTextWrite, ChoosesCompactDefaultsAndStandardText) {
  struct Case {
    MelodyData melody;
    std::string text;
    bool raised;
  };
  const Case cases[] = {
      {{u"Bell", {{20, 3, 0}, {19, 3, 0}, {kRest, 1, 4}, {16, 2, 8}, {28, 3, 0}}},
       "Bell:d=8,o=5,b=114:e,d#,2p,4c.,c6",
       false},
      {{u"", {}}, ":d=4,o=5,b=114:", false},
      // A ':' would end the name early; line breaks would split the tune.
      {{u"a:b\nc", {{13, 4, 8}}}, "a b c:d=16,o=4,b=114:a.", false},
      // Below C4 the whole melody goes an octave up.
      {{u"Low", {{0, 2, 0}, {3, 2, 0}, {31, 2, 0}, {kRest, 2, 4}}}, "Low:d=4,o=4,b=114:g#,b,d#7,p", true},
  };
  for (const Case& c : cases) {
    std::string text;
    bool raised = !c.raised;
    size_t bad = 0;
    ASSERT_TRUE(RingToneText::Write(c.melody, text, raised, bad));
    EXPECT_EQ(c.text, text);
    EXPECT_EQ(c.raised, raised) << c.text;
  }
  // Read back, a raised melody is an octave up; moving it down restores it.
  MelodyData low = ReadBack("Low:d=4,o=4,b=114:g#,b,d#7,p");
  EXPECT_EQ(0u, PitchRange::Place(low.notes, -12, false).folded);
  EXPECT_EQ(cases[3].melody.notes, low.notes);
}

TEST(RingToneTextWrite, RefusesValuesOutsideTheModel) {
  const std::pair<std::vector<NoteValues>, size_t> cases[] = {
      {{{13, 2, 0}, {32, 2, 0}}, 1},
      {{{13, 5, 0}}, 0},
      {{{13, 2, 0}, {13, 2, 0}, {kRest, 7, 4}}, 2},
  };
  for (const auto& [notes, index] : cases) {
    std::string text = "untouched";
    bool raised = false;
    size_t bad = 99;
    EXPECT_FALSE(RingToneText::Write({u"x", notes}, text, raised, bad));
    EXPECT_EQ(index, bad);
    EXPECT_EQ("untouched", text);
  }
  // A rest's stored pitch is not written, so any value is fine.
  std::string text;
  bool raised = false;
  size_t bad = 0;
  EXPECT_TRUE(RingToneText::Write({u"x", {{200, 2, 4}}}, text, raised, bad));
}

}  // namespace
