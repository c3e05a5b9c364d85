// Writes the demo's MIDI file: three tunes, each written by the melody
// editor's MIDI writer and moved onto a channel of its own as one track of a
// format 1 file. Usage: nv-demo-tune OUT.mid
#include <cstdio>
#include <string>
#include <vector>

#include "common/CSaveFileU.h"
#include "common/MelodyData.h"
#include "midi/MidiWriter.h"
#include "sonvox/Sonvox.h"

namespace {

// Pitch indices (A4 = 13) and the note symbols of the three tunes.
constexpr BYTE G4 = 11, A4 = 13, B4 = 15, C5 = 16, D5 = 18, E5 = 20, F5 = 21, G5 = 23;
constexpr BYTE C4 = 4, E4 = 8, F4 = 9;

NoteValues Note(BYTE pitch, BYTE duration, BYTE flags = 0) {
  return {pitch, duration, flags};
}

NoteValues Rest(BYTE duration) {
  return {11, duration, static_cast<BYTE>(FLAG_REST)};
}

// The chimes of a clock tower, four phrases of four.
std::vector<NoteValues> Chimes() {
  const BYTE phrases[4][4] = {{E5, C5, D5, G4}, {G4, D5, E5, C5}, {E5, D5, C5, G4}, {G4, D5, E5, C5}};
  std::vector<NoteValues> notes;
  for (const auto& phrase : phrases) {
    for (int i = 0; i < 3; ++i) notes.push_back(Note(phrase[i], DURATION_QUARTER));
    notes.push_back(Note(phrase[3], DURATION_HALF, FLAG_DOT));
    notes.push_back(Rest(DURATION_QUARTER));
  }
  return notes;
}

// A bass line under the chimes.
std::vector<NoteValues> Bass() {
  return {Note(C4, DURATION_HALF), Note(G4, DURATION_HALF), Note(E4, DURATION_HALF),
          Note(G4, DURATION_HALF), Note(F4, DURATION_HALF), Note(C4, DURATION_HALF),
          Note(G4, DURATION_HALF), Note(B4, DURATION_HALF), Note(C4, DURATION_WHOLE)};
}

// A quick two-tone call with a flourish.
std::vector<NoteValues> DingDong() {
  return {Note(G5, DURATION_EIGHTH),    Note(E5, DURATION_EIGHTH),    Note(G5, DURATION_EIGHTH),
          Note(E5, DURATION_EIGHTH),    Rest(DURATION_EIGHTH),        Note(F5, DURATION_SIXTEENTH),
          Note(G5, DURATION_SIXTEENTH), Note(A4, DURATION_SIXTEENTH), Note(C5, DURATION_QUARTER, FLAG_DOT)};
}

size_t SkipQuantity(const std::vector<BYTE>& file, size_t at) {
  while (file[at] & 0x80) ++at;
  return at + 1;
}

// The track events of a writer's format 0 file with every channel message
// moved to channel.
std::vector<BYTE> TrackOnChannel(const std::vector<BYTE>& file, BYTE channel) {
  constexpr size_t kEvents = 22;
  std::vector<BYTE> track(file.begin() + kEvents, file.end());
  size_t at = 0;
  while (at < track.size()) {
    at = SkipQuantity(track, at);
    const BYTE status = track[at];
    if (status == 0xFF) {
      const size_t length = track[at + 2];
      at += 3 + length;
    } else {
      track[at] = static_cast<BYTE>((status & 0xF0) | channel);
      at += (status & 0xF0) == 0xC0 ? 2 : 3;
    }
  }
  return track;
}

void Put(std::vector<BYTE>& out, DWORD value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<BYTE>(value >> (8 * i)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: nv-demo-tune OUT.mid\n");
    return 2;
  }
  const std::vector<std::vector<NoteValues>> tunes = {Chimes(), Bass(), DingDong()};
  std::vector<BYTE> out = {'M', 'T', 'h', 'd'};
  Put(out, 6, 4);
  Put(out, 1, 2);  // format 1: tracks played together
  Put(out, static_cast<DWORD>(tunes.size()), 2);
  Put(out, MidiWriter::kDivision, 2);
  for (size_t i = 0; i < tunes.size(); ++i) {
    const std::vector<BYTE> track = TrackOnChannel(MidiWriter::Build(tunes[i]), static_cast<BYTE>(i));
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    Put(out, static_cast<DWORD>(track.size()), 4);
    out.insert(out.end(), track.begin(), track.end());
  }
  CSaveFileU file;
  if (!file.Create(argv[1]) || !file.File().Write(out.data(), out.size()) || !file.Commit()) {
    std::fprintf(stderr, "nv-demo-tune: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
