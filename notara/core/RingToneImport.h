// Ring-tone text as the editor takes it in: the tune read, moved as the user
// asked, and described in the editor's words. The import dialog shows what
// Prepare says while the user types; the document thread prepares the same
// text again when the user accepts, so both always agree.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/MelodyData.h"
#include "common/RingToneText.h"

class RingToneImport {
 public:
  // Longest text taken from a file or the clipboard; public collections
  // hold tunes of a few hundred bytes.
  static constexpr size_t kLargestText = 1 << 20;
  // Transposition the dialogs offer, in semitones either way.
  static constexpr int kMaxSemitones = 36;

  struct Prepared {
    bool ok = false;
    MelodyData melody;  // name as the tune gives it (may be empty), notes inside the range
    size_t rests = 0;   // rests among melody.notes
    size_t folded = 0;  // notes folded by octaves after moving
    int shift = 0;      // semitones every note was moved by before folding
    RingToneIssue error;
    std::vector<RingToneIssue> warnings;
  };

  // Reads text and moves its notes by semitones (clamped to ±kMaxSemitones),
  // with fit by the octaves that keep the most of them inside. ok false
  // with error set when the text is not one tune; melody is empty then.
  static Prepared Prepare(std::string_view text, int semitones, bool fit);

  // Whether text reads as a tune (the dialog offers the clipboard only then).
  static bool IsRingTone(std::string_view text);

  // Reads a whole file of at most kLargestText bytes. False with error set
  // to the editor's message when it cannot be opened or read or is larger.
  static bool ReadFile(const std::string& path, std::string& text, std::u16string& error);

  // "строка 2, позиция 14: октава должна быть от 4 до 7".
  static std::u16string Describe(const RingToneIssue& issue);
  // The dialog's line: note and rest counts, shift and folded notes, or the
  // error; each warning on a line of its own after it.
  static std::u16string Summary(const Prepared& prepared);
};
