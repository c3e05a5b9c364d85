#include "common/NoteQuantiser.h"

namespace {

struct Step {
  float below;  // upper end (exclusive) of this length's interval
  BYTE duration;
  bool dotted;
};

// Half-open intervals in sixteenths, shortest first; the last one is open.
constexpr Step kNoteSteps[] = {
    {1.25f, 4, false}, {1.75f, 4, true},  {2.5f, 3, false}, {3.5f, 3, true},   {5.0f, 2, false},
    {7.0f, 2, true},   {10.0f, 1, false}, {14.0f, 1, true}, {20.0f, 0, false},
};
constexpr Step kRestSteps[] = {
    {1.45f, 4, false}, {1.95f, 4, true},   {2.95f, 3, false}, {3.95f, 3, true},   {5.95f, 2, false},
    {7.95f, 2, true},  {11.95f, 1, false}, {15.95f, 1, true}, {23.95f, 0, false},
};
constexpr float kShortestRest = 0.95f;

template <size_t N>
void Classify(const Step (&steps)[N], float x, NoteValues& item) {
  for (const Step& step : steps) {
    if (x < step.below) {
      item.duration = step.duration;
      item.flags |= step.dotted ? NoteQuantiser::kDotFlag : 0;
      return;
    }
  }
  item.duration = 0;
  item.flags |= NoteQuantiser::kDotFlag;
}

}  // namespace

int NoteQuantiser::FoldKey(int key) {
  if (key < kLowestKey) key += 12 * ((kLowestKey - key + 11) / 12);
  if (key > kHighestKey) key -= 12 * ((key - kHighestKey + 11) / 12);
  return key;
}

NoteValues NoteQuantiser::Note(int key, float x) {
  NoteValues note;
  note.pitch = static_cast<BYTE>(FoldKey(key) - kLowestKey);
  Classify(kNoteSteps, x, note);
  return note;
}

bool NoteQuantiser::Rest(float x, NoteValues& rest) {
  if (x < kShortestRest) return false;
  rest = NoteValues();
  rest.pitch = kRestPitch;
  rest.flags = kRestFlag;
  Classify(kRestSteps, x, rest);
  return true;
}
