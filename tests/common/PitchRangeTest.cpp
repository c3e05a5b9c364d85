// Moving melodies into the 32 semitones: by semitones, by the best octave
// shift, and folding what is still outside.
#include <gtest/gtest.h>

#include "common/PitchRange.h"

namespace {

constexpr BYTE kRest = 0x04;
constexpr BYTE kDot = 0x08;

TEST(PitchRange, PlacesNotesAndCountsTheFoldedOnes) {
  struct Case {
    const char* what;
    std::vector<NoteValues> notes;
    int semitones;
    bool fit;
    std::vector<NoteValues> placed;
    int shift;
    size_t folded;
  };
  const Case cases[] = {
      {"empty", {}, 5, true, {}, 5, 0},
      {"rests stay as stored", {{11, 2, kRest}, {40, 1, kRest}}, 7, true, {{11, 2, kRest}, {40, 1, kRest}}, 7, 0},
      {"inside already", {{13, 2, 0}, {20, 3, kDot}}, 0, true, {{13, 2, 0}, {20, 3, kDot}}, 0, 0},
      {"a tune above, moved down whole",
       {{28, 2, 0}, {32, 3, 0}, {34, 3, 0}, {37, 2, kDot}, {11, 3, kRest}, {35, 2, 0}},
       0,
       true,
       {{16, 2, 0}, {20, 3, 0}, {22, 3, 0}, {25, 2, kDot}, {11, 3, kRest}, {23, 2, 0}},
       -12,
       0},
      {"the same tune only folded",
       {{28, 2, 0}, {32, 3, 0}, {37, 2, 0}},
       0,
       false,
       {{28, 2, 0}, {20, 3, 0}, {25, 2, 0}},
       0,
       2},
      {"up by two, the top note folded", {{30, 2, 0}, {13, 2, 0}}, 2, false, {{20, 2, 0}, {15, 2, 0}}, 2, 1},
      {"far down, raised by octaves", {{5, 2, 0}}, -20, false, {{9, 2, 0}}, -20, 1},
      {"down a semitone, then fitted back up", {{0, 2, 0}, {12, 2, 0}}, -1, true, {{11, 2, 0}, {23, 2, 0}}, 11, 0},
      // Wider than the range: the shift that keeps the most notes wins,
      // and between equals the smaller one.
      {"wider than the range", {{4, 2, 0}, {51, 2, 0}}, 0, true, {{4, 2, 0}, {27, 2, 0}}, 0, 1},
      {"most notes decide",
       {{0, 2, 0}, {1, 2, 0}, {2, 2, 0}, {40, 2, 0}},
       0,
       true,
       {{0, 2, 0}, {1, 2, 0}, {2, 2, 0}, {28, 2, 0}},
       0,
       1},
      {"all outside, all fitted",
       {{40, 2, 0}, {41, 2, 0}, {43, 2, 0}},
       0,
       true,
       {{28, 2, 0}, {29, 2, 0}, {31, 2, 0}},
       -12,
       0},
      {"all outside, each folded", {{40, 2, 0}, {52, 2, 0}}, 0, false, {{28, 2, 0}, {28, 2, 0}}, 0, 2},
  };
  for (const Case& c : cases) {
    std::vector<NoteValues> notes = c.notes;
    const PitchRange::Placement placement = PitchRange::Place(notes, c.semitones, c.fit);
    EXPECT_EQ(c.placed, notes) << c.what;
    EXPECT_EQ(c.shift, placement.shift) << c.what;
    EXPECT_EQ(c.folded, placement.folded) << c.what;
  }
}

TEST(PitchRange, BestOctaveShiftPrefersTheSmallerThenTheDownwardMove) {
  const std::pair<std::vector<int>, int> cases[] = {
      {{}, 0},          {{0, 31}, 0}, {{-5, 36}, -12},  // up and down keep one note each; 0 keeps none
      {{-30, -29}, 36}, {{100}, -72}, {{32, 0}, 0},
  };
  for (const auto& [pitches, shift] : cases) EXPECT_EQ(shift, PitchRange::BestOctaveShift(pitches)) << pitches.size();
}

}  // namespace
