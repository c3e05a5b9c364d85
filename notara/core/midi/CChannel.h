// CChannel: reduces what sounds on one MIDI channel to a single line of
// notes and rests.
//
// Notes struck within a sixteenth of the first held note form a chord, of
// which the highest key (the earliest of equal keys) is the melody note. A
// note struck later while the current one still sounds overlaps it: the
// current note keeps sounding until it is released, unless it has lasted a
// whole note and a sixteenth, in which case the newer notes take over. A
// silence between notes becomes a rest when it is long enough; there is no
// rest before a channel's first note in a track.
#pragma once

#include <vector>

#include "midi/ImportedNote.h"

class CChannel {
 public:
  CChannel();
  virtual ~CChannel();

  // Forgets every held note and the last release, as at the start of a track.
  void Reset();
  // Key struck at tick t; true when it ends a silence long enough for a rest,
  // which is then in out (channel left as it was).
  bool Press(DWORD t, BYTE key, BYTE velocity, WORD division, ImportedNote& out);
  // Key released at tick t; true when it ends the melody note, which is then
  // in out (channel left as it was).
  bool Release(DWORD t, BYTE key, WORD division, ImportedNote& out);

 private:
  struct HeldNote {
    DWORD start;
    BYTE key;
    BYTE velocity;
  };

  void Hold(DWORD t, BYTE key, BYTE velocity);
  void ClearHeld();
  // Makes the highest held note (earliest of equal keys) the current note.
  void ChooseTop();
  ImportedNote EndCurrent(DWORD t, WORD division) const;

  LONG sounding_ = 0;
  LONG overlapping_ = 0;
  std::vector<HeldNote> heldNotes_;
  // Index of the held note the top-note rule picks, kept as notes are added
  // so that a long chord never costs a scan per event.
  size_t topIndex_ = 0;
  DWORD startTime_ = 0;
  BYTE topPitch_ = 0;
  BYTE topVelocity_ = 0;
  DWORD releaseTime_ = 0;
};
