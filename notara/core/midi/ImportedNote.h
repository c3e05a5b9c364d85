// One note symbol taken out of a MIDI file, tagged with its MIDI channel.
#pragma once

#include "platform/Types.h"

struct ImportedNote {
  BYTE pitch = 0;     // 0..31 for a note (MIDI key − 56 after octave folding), 11 for a rest
  BYTE duration = 0;  // 0 whole .. 4 sixteenth
  BYTE flags = 0;     // 0x04 rest, 0x08 dotted
  LONG channel = 0;   // MIDI channel 0..15

  bool operator==(const ImportedNote&) const = default;
};
