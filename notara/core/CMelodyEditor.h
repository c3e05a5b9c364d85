// The editing commands on the document's melody: navigation, insertion,
// deletion, pitch and length steps, renaming, undo, the sound of the current
// note and playback. Each returns 1 when it did its work and 0 otherwise, as
// the document-thread requests answer. Editing commands record an undo step
// and mark the document modified.
//
// Runs on the document thread only.
#pragma once

#include "CMelodyDoc.h"
#include "common/ObjectFactory.h"

class CMelodyEditor {
 public:
  // The message playback posts to the view with the sounding note's index.
  static constexpr UINT kProgressMessage = 0x8001;

  // soundWaitMs: the longest a sounded note is waited for.
  CMelodyEditor(CMelodyDoc& doc, ObjectFactory factory, DWORD soundWaitMs);

  // Moves the current note forward or back, passing through "no current
  // note" at either end. 0 for an empty melody.
  LONG Next();
  LONG Previous();

  LONG InsertNote();
  LONG InsertRest();
  // Deletes the current note symbol; the undo step is recorded only when
  // the deletion happened, so undo never brings back a note that is there.
  LONG Delete();
  LONG PitchUp() { return StepPitch(true); }
  LONG PitchDown() { return StepPitch(false); }
  LONG Lengthen() { return StepLength(true); }
  LONG Shorten() { return StepLength(false); }
  // Recorded even when the name stays the same.
  LONG Rename(const CStringU& name);

  // Applies the newest undo step. 0 when the pool is empty or the melody
  // plays (the step then stays in the pool).
  LONG Undo();

  // Sounds the current note as a sixteenth (dotted when the note is) and
  // returns when it has finished. 0 without a current note or when the
  // note cannot be played.
  LONG SoundNote();
  // Plays from the current note to the end, or everything when none is
  // current, posting progress to window. 0 when playback does not start.
  LONG Play(HWND window);

 private:
  LONG StepPitch(bool up);
  LONG StepLength(bool longer);
  void RestoreDeleted(IMelody* melody, const UndoRecord& record);
  bool IsPlaying(IMelody* melody) const;

  CMelodyDoc& doc_;
  ObjectFactory factory_;
  DWORD soundWaitMs_;
};
