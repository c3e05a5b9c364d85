// Ring-tone text files as the tool reads and writes them: "-" is standard
// input or output, problems are named with the file, line and column.
// Failures are ToolErrors.
#pragma once

#include <string>

#include "common/MelodyData.h"
#include "common/PitchRange.h"
#include "common/RingToneText.h"

class RingToneFiles {
 public:
  // Longest ring-tone text the tool reads; public collections hold tunes of a
  // few hundred bytes.
  static constexpr size_t kLargestText = 1 << 20;

  // .rtttl and .txt in any case, and "-" for standard input or output.
  static bool IsRingTone(const std::string& path);

  // Reads and parses the tune; warnings go to standard error, one line each.
  static RingTone Load(const std::string& path);
  // The tune as a melody: moved by semitones (and with fit into the range, see
  // PitchRange::Place), named after the file's stem when the tune has no name.
  static MelodyData ToMelody(const RingTone& tune, const std::string& path, int semitones, bool fit,
                             PitchRange::Placement& placement);

  // Writes melody as ring-tone text and a line feed to path ("-": standard
  // output), replacing an existing file only when the new one was written
  // whole. Returns whether the notes had to be written an octave higher.
  static bool Save(const std::string& path, const MelodyData& melody);

  // The problem in words, e.g. "an octave must be 4 to 7".
  static std::string Describe(RingToneIssue::Kind kind);
};
