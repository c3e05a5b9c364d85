// What the programmer decides before it appends melodies to the doorbell:
// whether a melody or a set can be stored at all (every note, the number of
// melodies, the free space), what the checker says about it, and how the
// status record is prepared for the first append. The open dialogs' checker
// panels, the add and write flows and nvtool all decide by these rules.
#pragma once

#include <string>
#include <vector>

#include "chimox/Chimox.h"
#include "common/MelodyData.h"

class CAppendRules {
 public:
  // A single melody (a .mel file) or a melody set (a .sto file).
  enum class Kind { Melody, Set };

  enum class Verdict {
    None,        // no file of that name, or not a regular file: nothing to say
    Fits,        // every note storable, room for the melodies and their symbols
    TooBig,      // size > free space
    TooMany,     // the bell would hold more melodies than it can
    BadNote,     // a note the bell cannot store (see melody, note)
    BadFormat,   // not a melody (set) file
    ReadFailed,  // the file ends inside its data
  };

  struct Result {
    Verdict verdict = Verdict::None;
    LONG size = 0;      // in note symbols, terminators included; 0 unless read whole
    size_t melody = 0;  // BadNote: 0-based melody of the set
    size_t note = 0;    // BadNote: 0-based note of that melody
    NoteValues bad{};   // BadNote: the note itself
  };

  // What the bell has room for.
  struct Limits {
    LONG freeSymbols = 0;
    LONG storedMelodies = 0;
    LONG maxMelodies = 0;
  };

  // The most melodies a bell of the type (BELL_TYPE_20, BELL_TYPE_29) holds:
  // 111 and 1024; 0 for an unknown type.
  static LONG MaxMelodies(LONG bellType);
  // The limits of the bell the status record describes.
  static Limits LimitsOf(const BellInfo& info, LONG bellType);

  // Whether the bell stores the note as it is: the pitch fits the note byte's
  // five bits, the duration code its three, and the byte is not the
  // melodies' terminator. Flags beyond rest and dot are dropped, not refused.
  static bool CanStore(const NoteValues& note);

  // Weighs melodies (one for Melody) against limits. The first note the
  // bell cannot store decides before the melody count, which decides before
  // the size.
  static Result Check(Kind kind, const std::vector<MelodyData>& melodies, const Limits& limits);

  // What the checker says about result (UTF-8); empty for None.
  static std::string Text(Kind kind, const Result& result, const Limits& limits);

  // The melody the bell plays next: its current melody, or 1 when that lies
  // outside the stored ones (a new version 2.9 memory reads 0, a new
  // version 2.0 memory 240).
  static LONG CurrentInSet(const BellInfo& info);

  // Before the first append: the current melody becomes CurrentInSet, so
  // the bell never points past its set. True when the record is ready;
  // false when the selection mode is unknown and must be set before
  // anything is written.
  static bool PrepareAppend(BellInfo& info);
};
