// The edits that rewrite the whole melody at once: taking in ring-tone text
// (replacing the melody or inserting the tune after the current note) and
// transposing every note. Each is one undo step that holds the melody as it
// was (name, every note symbol and the current note), so undo gives it back
// exactly. An edit that would change nothing records nothing and leaves the
// modified flag alone.
//
// Runs on the document thread only.
#pragma once

#include <string_view>

#include "CMelodyDoc.h"
#include "RingToneImport.h"

class CWholeMelodyEdits {
 public:
  explicit CWholeMelodyEdits(CMelodyDoc& doc) : doc_(doc) {}

  // Reads text (see RingToneImport::Prepare) and, when it is a tune,
  // replaces the melody with it (taking the tune's name unless it has none;
  // no note current afterwards) or inserts its notes after the current
  // note, or at the end when none is current (the last inserted note
  // becomes current). prepared tells what was read. Returns 1 when the
  // melody holds the tune; 0 when the text is no tune, the melody plays or
  // cannot be read or written (the melody is then as it was).
  LONG ImportRingTone(std::string_view text, int semitones, bool fit, bool insert, RingToneImport::Prepared& prepared);

  // Moves every note (rests keep their pitch) by semitones, with fit by the
  // octaves that keep the most notes inside the range; notes still outside
  // are folded by octaves and counted in folded. The current note stays.
  // Returns 1 on success (an empty melody included); 0 when the melody
  // plays or cannot be read or written.
  LONG Transpose(int semitones, bool fit, size_t& folded);

  // Gives back the melody an UNDO_REWRITE record holds. False when the
  // melody refused a change.
  static bool Restore(IMelody* melody, const UndoRecord& record);

 private:
  // Records the melody as it is (before) and writes after in its place with
  // current as the current note. 1 on success; on failure the melody is
  // written back as it was and nothing is recorded.
  LONG Rewrite(const MelodyData& before, LONG currentBefore, const MelodyData& after, LONG current);
  // The melody's name, notes and current note; false when it cannot be
  // read or is playing.
  bool ReadIdle(MelodyData& data, LONG& current) const;

  CMelodyDoc& doc_;
};
