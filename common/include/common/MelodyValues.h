// Moving plain melody values in and out of Sonvox melody objects: what the
// documents, the MIDI writer and the tools use to save and load melodies.
#pragma once

#include <string>
#include <vector>

#include "common/MelodyData.h"
#include "sonvox/Sonvox.h"

class MelodyValues {
 public:
  // The melody's name; empty when it is longer than 255 characters. Returns
  // GetName's failure code, or E_POINTER for a null melody.
  static HRESULT ReadName(IMelody* melody, std::u16string& name);
  static HRESULT WriteName(IMelody* melody, std::u16string_view name);

  // Name and every note symbol (low byte of each value), visiting the notes
  // with SetCurrent and restoring the current note at the end. A note is
  // read again when another thread (playback) moved the current note while
  // it was read. Returns the first failing call's code; E_FAIL when the
  // current note never held still. melody is complete only on S_OK.
  static HRESULT Read(IMelody* melody, MelodyData& data);

  // Inserts notes with InsertNoteValues (each value widened without sign)
  // after the current note, which for a new or cleared melody is the end;
  // stops at and returns the first failure.
  static HRESULT AppendNotes(IMelody* melody, const std::vector<NoteValues>& notes);

  // The longest a stopped melody is given to fall silent; ten times the
  // longest note. Only a stalled sound device takes longer.
  static constexpr DWORD kStopWaitMs = 10000;
  // Whether the melody is playing; false for a null melody or a failed call.
  static bool IsPlaying(IMelody* melody);
  // Stops a playing melody and polls every 50 ms, for at most limitMs, until
  // it has fallen silent. True when it is silent (or was not playing).
  static bool StopAndWait(IMelody* melody, DWORD limitMs = kStopWaitMs);
};
