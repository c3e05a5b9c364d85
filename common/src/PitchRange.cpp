#include "common/PitchRange.h"

#include <algorithm>
#include <cstdlib>

#include "common/NoteQuantiser.h"

namespace {

bool IsRest(const NoteValues& note) {
  return (note.flags & NoteQuantiser::kRestFlag) != 0;
}

// Floor division for a negative numerator too.
int FloorDiv(int a, int b) {
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

}  // namespace

int PitchRange::BestOctaveShift(const std::vector<int>& pitches) {
  if (pitches.empty()) return 0;
  const auto [low, high] = std::minmax_element(pitches.begin(), pitches.end());
  // Only shifts that bring at least one note inside can win; past these
  // bounds every note is outside.
  const int first = FloorDiv(kLowest - *high, 12);
  const int last = -FloorDiv(-(kHighest - *low), 12);
  int best = 0;
  long bestInside = -1;
  for (int octaves = first; octaves <= last; ++octaves) {
    const int shift = 12 * octaves;
    const long inside = std::count_if(pitches.begin(), pitches.end(),
                                      [shift](int p) { return p + shift >= kLowest && p + shift <= kHighest; });
    const bool nearer = std::abs(shift) < std::abs(best) || (std::abs(shift) == std::abs(best) && shift < best);
    if (inside > bestInside || (inside == bestInside && nearer)) {
      best = shift;
      bestInside = inside;
    }
  }
  return bestInside > 0 ? best : 0;
}

PitchRange::Placement PitchRange::Place(std::vector<NoteValues>& notes, int semitones, bool fit) {
  std::vector<int> pitches;
  for (const NoteValues& note : notes) {
    if (!IsRest(note)) pitches.push_back(note.pitch + semitones);
  }
  Placement placement;
  placement.shift = semitones + (fit ? BestOctaveShift(pitches) : 0);
  for (NoteValues& note : notes) {
    if (IsRest(note)) continue;
    const int key = note.pitch + placement.shift + NoteQuantiser::kLowestKey;
    const int folded = NoteQuantiser::FoldKey(key);
    placement.folded += folded != key;
    note.pitch = static_cast<BYTE>(folded - NoteQuantiser::kLowestKey);
  }
  return placement;
}
