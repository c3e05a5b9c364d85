// Pitch and length tables of a note symbol. Pitch index p is the semitone
// p - 13 from A4 = 440 Hz (0 is G#3, 31 is D#6); durations are 0 whole to
// 4 sixteenth, a dot adding the next shorter length. Times are 100 ns ticks.
#pragma once

#include "platform/Types.h"
#include "sonvox/Sonvox.h"

namespace nv {

inline constexpr BYTE kDefaultPitch = 11;    // G4, 392 Hz
inline constexpr BYTE kDefaultDuration = 3;  // eighth
inline constexpr BYTE kHighestPitch = 31;
inline constexpr BYTE kShortestDuration = 4;  // sixteenth

// round(440 * 2^((p - 13) / 12)) for every index.
inline constexpr LONG kNoteFrequencies[PITCH_COUNT] = {208, 220, 233, 247, 262, 277, 294,  311,  330,  349, 370,
                                                       392, 415, 440, 466, 494, 523, 554,  587,  622,  659, 698,
                                                       740, 784, 831, 880, 932, 988, 1047, 1109, 1175, 1245};

// Whole, half, quarter, eighth, sixteenth, and the dot of a sixteenth.
inline constexpr LONG kBaseLengths[6] = {20971520, 10485760, 5242880, 2621440, 1310720, 655360};

// The pitch setter stores any 8-bit value unchecked, so the lookups clamp: a
// pitch above 31 sounds as 31. A duration code above 4 is refused by the
// model; the clamp only keeps the table lookup in bounds.
constexpr LONG NoteFrequency(BYTE pitch) {
  return kNoteFrequencies[pitch > kHighestPitch ? kHighestPitch : pitch];
}

constexpr LONG NoteLength(BYTE duration, BYTE flags) {
  const BYTE code = duration > kShortestDuration ? kShortestDuration : duration;
  return kBaseLengths[code] + ((flags & FLAG_DOT) != 0 ? kBaseLengths[code + 1] : 0);
}

}  // namespace nv
