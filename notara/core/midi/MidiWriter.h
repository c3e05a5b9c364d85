// MidiWriter: a melody as a Standard MIDI File of format 0 with one track.
//
// Division 96 ticks per quarter note; the track opens with a 2/4 time
// signature, a tempo of 524288 µs per quarter (a quarter lasts as long as in
// the melody model) and program 23 on channel 0. Every note symbol is a
// note-on 5 ticks after the previous event and a note-off after its length
// (whole 384 ticks down to sixteenth 24, dotted one and a half times that);
// rests are silent pairs of velocity 0. A silent pair on key 56 and the End
// of Track close the track.
#pragma once

#include <string>
#include <vector>

#include "common/MelodyData.h"

enum class MidiWriteError {
  None,
  CreateFailed,  // "Ошибка при создании файла"
  WriteFailed,   // "Ошибка при записи в файл"
  LengthFailed,  // the track length could not be written: "Ошибка записи в файл"
};

class MidiWriter {
 public:
  static constexpr WORD kDivision = 96;
  // Velocity of every pitched note; rests use 0.
  static constexpr BYTE kVelocity = 100;
  // Offset of the track length, written last.
  static constexpr long kTrackLengthOffset = 18;

  // MIDI key of a note symbol: pitch index + 56, moved by whole octaves into
  // 0..127 should a stored pitch lie outside the model's range.
  static BYTE Key(BYTE pitch);
  // Length in ticks; duration codes outside 0..4 last as long as a whole note.
  static DWORD Ticks(BYTE duration, BYTE flags);

  // The whole file image, the track length included.
  static std::vector<BYTE> Build(const std::vector<NoteValues>& notes);
  // Writes the file through a temporary file renamed over path at the end;
  // on failure an existing file at path is untouched.
  static MidiWriteError Write(const std::string& path, const std::vector<NoteValues>& notes);

  static const char16_t* ErrorText(MidiWriteError error);
};
