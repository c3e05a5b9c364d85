// Any bytes as ring-tone text: the reader ends in a tune or in one error
// placed inside the text; a tune holds no more symbols than the text has
// characters, placing it puts every note into the range, and what it writes
// reads back to the same note symbols.
#include <cstdlib>
#include <string_view>

#include "common/PitchRange.h"
#include "common/RingToneText.h"

namespace {

void Check(bool condition) {
  if (!condition) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  RingTone tune;
  RingToneIssue error;
  std::vector<RingToneIssue> warnings;
  if (!RingToneText::Read(text, tune, error, warnings)) {
    Check(error.kind <= RingToneIssue::EmptyNote);
    Check(error.line >= 1 && error.column >= 1 && error.line + error.column <= size + 2);
    Check(tune.notes.empty() && warnings.empty());
    return 0;
  }
  Check(tune.notes.size() <= size && tune.name.size() <= 255);
  for (const RingToneIssue& warning : warnings) Check(warning.kind > RingToneIssue::EmptyNote);
  for (const NoteValues& note : tune.notes) {
    Check(note.duration <= 4);
    Check((note.flags & 0x04) != 0 || (note.pitch >= 4 && note.pitch <= 52));
  }

  MelodyData melody{tune.name, tune.notes};
  PitchRange::Place(melody.notes, 0, size % 2 == 0);
  for (const NoteValues& note : melody.notes) Check(note.pitch <= 31);
  std::string written;
  bool raised = false;
  size_t bad = 0;
  Check(RingToneText::Write(melody, written, raised, bad));
  RingTone back;
  Check(RingToneText::Read(written, back, error, warnings) && warnings.empty());
  PitchRange::Place(back.notes, raised ? -12 : 0, false);
  Check(back.notes == melody.notes);
  return 0;
}
