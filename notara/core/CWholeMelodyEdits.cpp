#include "CWholeMelodyEdits.h"

#include <algorithm>

#include "common/MelodyValues.h"
#include "common/PitchRange.h"

namespace {

// Empties melody and fills it with data, current becoming the current note.
bool Load(IMelody* melody, const MelodyData& data, LONG current) {
  if (FAILED(melody->Clear()) || FAILED(MelodyValues::WriteName(melody, data.name)) ||
      FAILED(MelodyValues::AppendNotes(melody, data.notes))) {
    return false;
  }
  return SUCCEEDED(melody->SetCurrent(current < static_cast<LONG>(data.notes.size()) ? current : -1));
}

}  // namespace

bool CWholeMelodyEdits::ReadIdle(MelodyData& data, LONG& current) const {
  IMelody* melody = doc_.Melody();
  if (melody == nullptr || MelodyValues::IsPlaying(melody)) return false;
  return SUCCEEDED(MelodyValues::Read(melody, data)) && SUCCEEDED(melody->GetCurrent(&current));
}

LONG CWholeMelodyEdits::Rewrite(const MelodyData& before, LONG currentBefore, const MelodyData& after, LONG current) {
  IMelody* melody = doc_.Melody();
  if (after == before) {
    // Nothing changes: no step that undo would spend on nothing.
    melody->SetCurrent(current);
    return 1;
  }
  if (!Load(melody, after, current)) {
    Load(melody, before, currentBefore);
    return 0;
  }
  doc_.Undo().Push(UndoRecord{UNDO_REWRITE, currentBefore, 0, 0, 0, CStringU(before.name), before.notes});
  doc_.SetModified(true);
  return 1;
}

LONG CWholeMelodyEdits::ImportRingTone(std::string_view text, int semitones, bool fit, bool insert,
                                       RingToneImport::Prepared& prepared) {
  prepared = RingToneImport::Prepare(text, semitones, fit);
  MelodyData before;
  LONG current = -1;
  if (!prepared.ok || !ReadIdle(before, current)) return 0;

  MelodyData after;
  if (insert) {
    after.name = before.name;
    const auto at = static_cast<size_t>(current < 0 ? static_cast<LONG>(before.notes.size()) : current + 1);
    after.notes = before.notes;
    after.notes.insert(after.notes.begin() + static_cast<std::ptrdiff_t>(at), prepared.melody.notes.begin(),
                       prepared.melody.notes.end());
    const LONG last = static_cast<LONG>(at + prepared.melody.notes.size()) - 1;
    return Rewrite(before, current, after, prepared.melody.notes.empty() ? current : last);
  }
  after.name = prepared.melody.name.empty() ? before.name : prepared.melody.name;
  after.notes = prepared.melody.notes;
  return Rewrite(before, current, after, -1);
}

LONG CWholeMelodyEdits::Transpose(int semitones, bool fit, size_t& folded) {
  MelodyData before;
  LONG current = -1;
  if (!ReadIdle(before, current)) return 0;
  MelodyData after = before;
  semitones = std::clamp(semitones, -RingToneImport::kMaxSemitones, RingToneImport::kMaxSemitones);
  const PitchRange::Placement placement = PitchRange::Place(after.notes, semitones, fit);
  if (Rewrite(before, current, after, current) == 0) return 0;
  folded = placement.folded;
  return 1;
}

bool CWholeMelodyEdits::Restore(IMelody* melody, const UndoRecord& record) {
  return Load(melody, MelodyData{std::u16string(record.name.View()), record.notes}, record.index);
}
