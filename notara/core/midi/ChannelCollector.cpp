#include "midi/ChannelCollector.h"

ChannelCollector::ChannelCollector() {
  indexOfChannel_.fill(-1);
}

bool ChannelCollector::AddNote(const ImportedNote& note) {
  if (note.channel < 0 || note.channel >= static_cast<LONG>(indexOfChannel_.size())) return false;
  int& index = indexOfChannel_[static_cast<size_t>(note.channel)];
  if (index < 0) {
    index = static_cast<int>(melodies_.size());
    melodies_.push_back({note.channel, {}});
  }
  melodies_[static_cast<size_t>(index)].notes.push_back({note.pitch, note.duration, note.flags});
  return true;
}

void ChannelCollector::Clear() {
  melodies_.clear();
  indexOfChannel_.fill(-1);
}
