// Note values moved between a melody object and the device memory.
#pragma once

#include <vector>

#include "sonvox/Sonvox.h"

namespace chimox {

struct NoteValues {
  SHORT pitch;
  SHORT duration;
  SHORT flags;

  bool operator==(const NoteValues&) const = default;
};

// The melody terminator in memory; no note encodes to it.
constexpr BYTE kTerminator = 7;

// Pitch in bits 7-3, duration code in bits 2-0.
inline BYTE NoteByte(const NoteValues& note) {
  return static_cast<BYTE>(note.pitch * 8 + note.duration);
}
inline NoteValues FromNoteByte(BYTE value, SHORT flags) {
  return {static_cast<SHORT>(value / 8), static_cast<SHORT>(value % 8), flags};
}

// Reads every note of melody (it moves the melody's current note). False when
// the melody refuses a call, or a note does not fit the memory's note byte
// (pitch 0-31, duration 0-4: a higher code has no length) or would read back
// as a terminator.
bool ReadMelodyNotes(IMelody* melody, std::vector<NoteValues>* notes);

// Inserts the notes in order with InsertNoteValues; false when the melody
// refuses one.
bool InsertMelodyNotes(IMelody* melody, const std::vector<NoteValues>& notes);

}  // namespace chimox
