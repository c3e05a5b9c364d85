#include "NoteText.h"

#include <cstdio>

#include "sonvox/Sonvox.h"

namespace {

// Semitone names from C; pitch index p is MIDI key p + 56.
constexpr const char* kNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
constexpr const char* kDurations[5] = {"whole", "half", "quarter", "eighth", "sixteenth"};
constexpr int kKeyOfPitch0 = 56;

}  // namespace

std::string NoteText::PitchName(int pitch) {
  const int key = pitch + kKeyOfPitch0;
  return std::string(kNames[key % 12]) + std::to_string(key / 12 - 1);
}

std::string NoteText::DurationName(int duration) {
  if (duration >= 0 && duration < 5) return kDurations[duration];
  return "code " + std::to_string(duration);
}

std::string NoteText::Describe(const NoteValues& note) {
  const bool rest = (note.flags & FLAG_REST) != 0;
  std::string length = DurationName(note.duration);
  if ((note.flags & FLAG_DOT) != 0) length += " dotted";
  char line[96];
  std::snprintf(line, sizeof line, "%-5s %-16s (%d, %d, %d)", rest ? "rest" : PitchName(note.pitch).c_str(),
                length.c_str(), note.pitch, note.duration, note.flags);
  return line;
}

std::string NoteText::List(const std::vector<NoteValues>& notes, const std::string& indent) {
  std::string out;
  for (size_t i = 0; i < notes.size(); ++i) {
    char number[32];
    std::snprintf(number, sizeof number, "%4zu  ", i);
    out += indent + number + Describe(notes[i]) + "\n";
  }
  return out;
}
