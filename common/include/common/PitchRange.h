// Moving a melody's notes into the model's 32 semitones (index 0 G♯3 to 31
// D♯6): by a number of semitones, optionally by the whole octaves that keep
// the most notes inside, and then note by note by octaves, as the MIDI import
// folds keys. Rests keep their stored pitch.
#pragma once

#include <cstddef>
#include <vector>

#include "common/MelodyData.h"

class PitchRange {
 public:
  static constexpr int kLowest = 0;
  static constexpr int kHighest = 31;

  struct Placement {
    int shift = 0;      // semitones every note was moved by before folding
    size_t folded = 0;  // notes that were still outside and were folded
  };

  // Moves every note of notes (pitch indices counted from G♯3, which may lie
  // above 31 when they come from a reader, e.g. ring-tone text up to B7 = 51)
  // by semitones; with fit, then by the octave shift that puts the most of
  // them inside 0..31 (the smallest such shift; between an equal shift up and
  // down, the one down). Notes still outside are folded by octaves. Every note
  // ends inside 0..31; rests are left as they are.
  static Placement Place(std::vector<NoteValues>& notes, int semitones, bool fit);

  // The octave shift (a multiple of 12) by the rule above for these pitches.
  static int BestOctaveShift(const std::vector<int>& pitches);
};
