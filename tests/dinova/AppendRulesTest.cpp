// The rules every checker and the append flows decide by: which notes the
// bell stores, and where the melody count and the free space end.
#include <gtest/gtest.h>

#include "CAppendRules.h"
#include "DinovaIds.h"

namespace {

using Kind = CAppendRules::Kind;
using Verdict = CAppendRules::Verdict;

TEST(AppendRulesTest, TheBellStoresTheModelsPitchesAndDurationsOnly) {
  struct Case {
    NoteValues note;
    bool stored;
  };
  const Case cases[] = {
      {{0, 0, 0}, true},   {{31, 4, 8}, true},   {{31, 5, 0}, false},  // codes above sixteenth
      {{1, 7, 0}, false},  {{0, 7, 0}, false},  // reads back as the end of the melody
      {{32, 0, 0}, false}, {{40, 2, 0}, false},  {{255, 0, 0}, false},
      {{5, 8, 0}, false},  {{0, 4, 0xFF}, true},  // flags beyond rest and dot are dropped, not refused
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.note.pitch) << "/" << int(c.note.duration));
    EXPECT_EQ(c.stored, CAppendRules::CanStore(c.note));
  }
}

TEST(AppendRulesTest, LimitsEndExactlyAtTheFreeSpaceAndTheMelodyCount) {
  const std::vector<MelodyData> two = {{u"a", std::vector<NoteValues>(4)}, {u"b", {}}};  // 5 + 1 symbols
  struct Case {
    LONG type;
    LONG stored;
    LONG free;
    Verdict verdict;
  };
  const Case cases[] = {
      {BELL_TYPE_29, 0, 6, Verdict::Fits},
      {BELL_TYPE_29, 0, 5, Verdict::TooBig},
      {BELL_TYPE_29, 1022, 100, Verdict::Fits},
      {BELL_TYPE_29, 1023, 100, Verdict::TooMany},
      {BELL_TYPE_20, 109, 100, Verdict::Fits},
      {BELL_TYPE_20, 110, 100, Verdict::TooMany},
      {BELL_TYPE_20, 110, 0, Verdict::TooMany},  // the count speaks before the size
      {7, 0, 100, Verdict::TooMany},             // an unknown bell type takes nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.type << " " << c.stored << " " << c.free);
    const CAppendRules::Limits limits{c.free, c.stored, CAppendRules::MaxMelodies(c.type)};
    const CAppendRules::Result result = CAppendRules::Check(Kind::Set, two, limits);
    EXPECT_EQ(c.verdict, result.verdict);
    EXPECT_EQ(6, result.size);
  }
}

TEST(AppendRulesTest, TheFirstNoteThatCannotBeStoredIsNamed) {
  std::vector<MelodyData> set(3, {u"m", std::vector<NoteValues>(5, {13, 2, 0})});
  set[1].notes[4] = {0, 7, 0};
  set[2].notes[0] = {40, 1, 0};
  const CAppendRules::Limits limits{0, 2000, 1024};  // neither room nor count decides first
  const CAppendRules::Result result = CAppendRules::Check(Kind::Set, set, limits);
  ASSERT_EQ(Verdict::BadNote, result.verdict);
  EXPECT_EQ(1u, result.melody);
  EXPECT_EQ(4u, result.note);
  EXPECT_EQ("Мелодия 2, нота 5 (высота 0, длительность 7) не может быть записана в звонок",
            CAppendRules::Text(Kind::Set, result, limits));
}

}  // namespace
