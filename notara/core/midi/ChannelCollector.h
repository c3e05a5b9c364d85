// ChannelCollector: a MIDI sink that keeps each channel's note symbols as
// plain values, in the order in which the channels produced their first
// item; what the command-line tool and the tests read a MIDI file into.
#pragma once

#include <array>
#include <vector>

#include "common/MelodyData.h"
#include "midi/IMidiSink.h"

struct ChannelMelody {
  LONG channel = 0;
  std::vector<NoteValues> notes;

  bool operator==(const ChannelMelody&) const = default;
};

class ChannelCollector : public IMidiSink {
 public:
  ChannelCollector();

  bool AddNote(const ImportedNote& note) override;
  LONG MelodyCount() override { return static_cast<LONG>(melodies_.size()); }

  const std::vector<ChannelMelody>& Melodies() const { return melodies_; }
  void Clear();

 private:
  std::vector<ChannelMelody> melodies_;
  std::array<int, 16> indexOfChannel_;  // -1 until the channel's first item
};
