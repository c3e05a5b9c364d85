// Lengths and keys onto the melody model's note symbols, the one rule every
// import follows (MIDI files, ring-tone text). Lengths are measured in
// sixteenth notes: a note rounds at the midpoints between neighbouring
// lengths; a rest takes the longest length the gap reaches within 0.05 of a
// sixteenth, and a gap below 0.95 sixteenths is no rest at all. Keys are MIDI
// key numbers (60 is C4); the model's pitch index is key − 56.
#pragma once

#include "common/MelodyData.h"

class NoteQuantiser {
 public:
  static constexpr int kLowestKey = 56;   // G♯3, pitch index 0
  static constexpr int kHighestKey = 87;  // D♯6, pitch index 31
  static constexpr BYTE kRestPitch = 11;  // what a rest stores as its pitch
  static constexpr BYTE kRestFlag = 0x04;
  static constexpr BYTE kDotFlag = 0x08;

  // key raised or lowered by whole octaves into 56..87: a key below lands
  // in 56..67, a key above in 76..87. Any int is accepted.
  static int FoldKey(int key);
  // A note of key (folded as above) lasting x sixteenths; every length, however
  // short or long, gives a note.
  static NoteValues Note(int key, float x);
  // The rest for a gap of x sixteenths; false (rest untouched) when the gap
  // is too short to be one.
  static bool Rest(float x, NoteValues& rest);
};
