// Any bytes as a MIDI file: the reader ends in success or one of its errors,
// and every melody it finds exports to a file that reads back without error.
#include <cstdio>
#include <cstdlib>

#include "midi/ChannelCollector.h"
#include "midi/MidiReader.h"
#include "midi/MidiWriter.h"

namespace {

MidiError ReadBytes(const uint8_t* data, size_t size, ChannelCollector& collector) {
  CFileU file(fmemopen(const_cast<uint8_t*>(data), size, "rb"));
  MidiReader reader(collector);
  return reader.Read(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ChannelCollector collector;
  MidiError error = ReadBytes(data, size, collector);
  switch (error) {
    case MidiError::None:
    case MidiError::ReadFailed:
    case MidiError::Format:
    case MidiError::Unsupported:
    case MidiError::NoMelodies:
      break;
    default:
      abort();  // nothing refuses notes and nothing is opened here
  }
  if (error == MidiError::ReadFailed) abort();  // memory never fails to read
  for (const ChannelMelody& melody : collector.Melodies()) {
    for (const NoteValues& note : melody.notes)
      if (note.duration > 4 || (note.flags & ~0x0C) != 0 || (!(note.flags & 0x04) && note.pitch > 31)) abort();
    std::vector<uint8_t> exported = MidiWriter::Build(melody.notes);
    ChannelCollector again;
    MidiError back = ReadBytes(exported.data(), exported.size(), again);
    if (back != MidiError::None && back != MidiError::NoMelodies) abort();
  }
  return 0;
}
