// Mapping MIDI tick lengths onto the melody model's duration codes, by the
// shared rule of common/NoteQuantiser.h (notes round at the midpoints between
// neighbouring lengths, rests take the longest length reached within 0.05 of
// a sixteenth, gaps below 0.95 sixteenths are no rest).
#pragma once

#include "midi/ImportedNote.h"

class MidiQuantiser {
 public:
  // Lengths in sixteenths from tick differences: ticks × 4 / division, in
  // single precision.
  static float Sixteenths(DWORD ticks, WORD division);
  // A note of MIDI key (folded by octaves into 56..87) lasting x sixteenths.
  static ImportedNote Note(BYTE key, float x);
  // The rest for a gap of x sixteenths; false when the gap is too short.
  static bool Rest(float x, ImportedNote& rest);
  // key raised or lowered by whole octaves into 56..87.
  static BYTE FoldKey(BYTE key);
};
