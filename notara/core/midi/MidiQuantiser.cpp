#include "midi/MidiQuantiser.h"

#include "common/NoteQuantiser.h"

namespace {

ImportedNote Imported(const NoteValues& values) {
  ImportedNote item;
  item.pitch = values.pitch;
  item.duration = values.duration;
  item.flags = values.flags;
  return item;
}

}  // namespace

float MidiQuantiser::Sixteenths(DWORD ticks, WORD division) {
  return static_cast<float>(ticks) * 4.0f / static_cast<float>(division);
}

BYTE MidiQuantiser::FoldKey(BYTE key) {
  return static_cast<BYTE>(NoteQuantiser::FoldKey(key));
}

ImportedNote MidiQuantiser::Note(BYTE key, float x) {
  return Imported(NoteQuantiser::Note(key, x));
}

bool MidiQuantiser::Rest(float x, ImportedNote& rest) {
  NoteValues values;
  if (!NoteQuantiser::Rest(x, values)) return false;
  rest = Imported(values);
  return true;
}
