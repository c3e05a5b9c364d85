// Plain values of melodies as the files hold them, independent of the melody
// objects: what the readers produce and the writers take.
#pragma once

#include <string>
#include <vector>

#include "platform/Types.h"

// One note symbol: pitch index, duration code and flags byte, as stored.
struct NoteValues {
  BYTE pitch = 0;
  BYTE duration = 0;
  BYTE flags = 0;

  bool operator==(const NoteValues&) const = default;

  // Duration codes run from 0 (whole) to 4 (sixteenth). A note symbol with a
  // higher code has no length: the model refuses it, the readers treat a
  // file holding one as not of their format, and the writers write none.
  static constexpr BYTE kLastDuration = 4;
  bool HasValidDuration() const { return duration <= kLastDuration; }
};

// True when every note symbol has a valid duration code.
inline bool HaveValidDurations(const std::vector<NoteValues>& notes) {
  for (const NoteValues& note : notes) {
    if (!note.HasValidDuration()) return false;
  }
  return true;
}

// A melody's name (at most 255 characters in a file; a longer one is written
// empty) and its note symbols in order.
struct MelodyData {
  std::u16string name;
  std::vector<NoteValues> notes;

  bool operator==(const MelodyData&) const = default;
};

// What went wrong with a file; each program words its own message for it.
enum class FileStatus {
  Ok,
  OpenFailed,   // the file could not be opened (or, for a save, created)
  ReadFailed,   // a read returned fewer bytes than asked
  BadMagic,     // not this format: the first string is not its magic, or a note symbol
                // holds a duration code above 4
  WriteFailed,  // a write, flush or the final rename failed
  Failed,       // the document could not take the data (no melody object)
};
