// Mapping lengths measured in sixteenth notes onto the melody model's
// duration codes. A note rounds at the midpoints between neighbouring
// lengths; a rest takes the longest length the gap reaches within 0.05 of a
// sixteenth, and a gap below 0.95 sixteenths is no rest at all.
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
