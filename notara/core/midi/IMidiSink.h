// Where the MIDI reader hands what it finds. Notara's document thread is one
// sink (channel melodies as Sonvox objects); ChannelCollector keeps plain
// values for tests and the command-line tool.
#pragma once

#include "midi/ImportedNote.h"

class IMidiSink {
 public:
  virtual ~IMidiSink() = default;
  // After the header: the file's format, number of tracks and ticks per quarter note.
  virtual void OnHeader(WORD /*format*/, WORD /*tracks*/, WORD /*division*/) {}
  // Before track index (0-based) is read; lets a caller move a progress bar.
  virtual void OnTrack(WORD /*index*/) {}
  // Appends note to the melody of its channel; false stops the import.
  virtual bool AddNote(const ImportedNote& note) = 0;
  // Number of channel melodies held; none at the end fails the import.
  virtual LONG MelodyCount() = 0;
};
