// Ring-tone text: one tune as "name:defaults:notes", e.g.
// "Bell:d=4,o=5,b=120:8e6,8d#6,2p,c.6". The defaults are d (duration 1, 2, 4,
// 8, 16 or 32), o (octave 4 to 7) and b (beats per minute), each optional
// (4, 6 and 63 when absent); a note is [duration] letter [#] [octave] with a
// dot for one and a half times the length either before or after the octave
// ("8e.6" and "8e6."); "p" is a pause. Letters and keys in either case, "h"
// for b; blanks and line breaks may stand around every separator. Octave 4
// holds C4..B4 (A4 = 440 Hz).
//
// The melody model has no tempo and nothing shorter than a sixteenth, so the
// reader takes lengths as the MIDI import takes them: every note or pause is
// its length in sixteenths given to the shared quantiser. A thirty-second note
// (dotted or not) becomes a sixteenth, a thirty-second pause is dropped (too
// short to be a rest), and the tempo is checked but unused: a quarter always
// lasts 0.524288 s. The writer states the tempo nearest to that, 114.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/MelodyData.h"

// A tune as read. Note pitches count semitones from G♯3 as the model's
// indices do, but run from 4 (C4) up to 52 (B♯7): give them to
// PitchRange::Place before they go into a melody.
struct RingTone {
  std::u16string name;  // cut to 255 characters
  int beatsPerMinute = 63;
  std::vector<NoteValues> notes;
};

// What the reader found, and where (line and column from 1; columns count
// characters, not bytes).
struct RingToneIssue {
  enum Kind {
    // Errors: nothing is read.
    NoNameEnd,       // no ':' after the name
    NoDefaultsEnd,   // no ':' after the defaults
    BadDefault,      // a default that is not key=number
    BadDuration,     // a duration other than 1, 2, 4, 8, 16, 32
    BadOctave,       // an octave outside 4..7
    BadTempo,        // b not a whole number from 1 to 999
    BadNote,         // no note letter (a-h) or p where a note must start
    UnexpectedText,  // a character that cannot follow what came before
    EmptyNote,       // nothing between two commas
    // Warnings: the tune is read anyway.
    ThirtySecondNote,  // taken as a sixteenth
    ThirtySecondRest,  // left out
    NameShortened,     // cut to 255 characters
    UnknownDefault,    // a key other than d, o, b; ignored
  };
  Kind kind = NoNameEnd;
  size_t line = 1;
  size_t column = 1;

  bool operator==(const RingToneIssue&) const = default;
};

class RingToneText {
 public:
  // Beats per minute the writer states: a quarter then lasts 60/114 =
  // 0.5263 s, the nearest whole tempo to the model's 0.524288 s.
  static constexpr int kWrittenTempo = 114;

  // Reads one tune. On success fills tune and warnings (in text order) and
  // returns true; on failure sets error to the first problem, leaves tune
  // and warnings untouched and returns false.
  static bool Read(std::string_view text, RingTone& tune, RingToneIssue& error, std::vector<RingToneIssue>& warnings);

  // melody as ring-tone text (no line break at the end), with the most
  // frequent duration and octave as the defaults. Ring-tone text cannot hold
  // notes below C4: when the melody has any, every note is written an octave
  // higher and raised is set. Returns false, with badIndex the first such
  // symbol, when a symbol holds a duration code above 4 or a note a pitch
  // above 31; text is then untouched. A ':' or control character in the
  // name is written as a blank.
  static bool Write(const MelodyData& melody, std::string& text, bool& raised, size_t& badIndex);
};
