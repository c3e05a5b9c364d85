#include "MelodyNotes.h"

namespace chimox {

bool ReadMelodyNotes(IMelody* melody, std::vector<NoteValues>* notes) {
  LONG count = 0;
  if (FAILED(melody->GetCount(&count)) || count < 0) return false;
  notes->clear();
  notes->reserve(static_cast<size_t>(count));
  for (LONG i = 0; i < count; ++i) {
    NoteValues note{};
    if (FAILED(melody->SetCurrent(i)) || FAILED(melody->GetCurrentPitch(&note.pitch)) ||
        FAILED(melody->GetCurrentDuration(&note.duration)) || FAILED(melody->GetCurrentFlags(&note.flags))) {
      return false;
    }
    // A note outside the byte's fields would be stored as a different note,
    // or as a terminator that cuts the set short.
    if (note.pitch < 0 || note.pitch > 31 || note.duration < 0 || note.duration > 4) return false;
    if (NoteByte(note) == kTerminator) return false;
    notes->push_back(note);
  }
  return true;
}

bool InsertMelodyNotes(IMelody* melody, const std::vector<NoteValues>& notes) {
  for (const NoteValues& note : notes) {
    if (FAILED(melody->InsertNoteValues(note.pitch, note.duration, note.flags))) return false;
  }
  return true;
}

}  // namespace chimox
