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
};

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
  BadMagic,     // the first string is not this format's magic
  WriteFailed,  // a write, flush or the final rename failed
  Failed,       // the document could not take the data (no melody object)
};
