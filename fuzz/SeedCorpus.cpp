// Writes the seed corpus of the fuzz targets: valid and broken melody, set
// and MIDI files and ring-tone texts, one folder per target under the folder
// given.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "SyntheticMidi.h"
#include "common/MelFormat.h"
#include "common/StoFormat.h"
#include "midi/MidiWriter.h"

namespace {

using nvfuzz::Bytes;

void Put(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes Saved(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), {});
}

Bytes Cut(Bytes bytes, size_t keep) {
  bytes.resize(std::min(keep, bytes.size()));
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path root = argv[1];
  for (const char* target : {"mel", "sto", "midi", "rtttl"}) std::filesystem::create_directories(root / target);

  const MelodyData empty{u"Новая мелодия", {}};
  const MelodyData tune{u"Звонок", {{13, 2, 0}, {11, 3, 0x04}, {31, 0, 0x08}, {0, 4, 0}}};
  const MelodyData longName{std::u16string(255, u'ж'), {{5, 1, 0}}};
  bool ok = true;
  ok &= MelFormat::Save((root / "mel/empty.mel").string(), empty) == FileStatus::Ok;
  ok &= MelFormat::Save((root / "mel/tune.mel").string(), tune) == FileStatus::Ok;
  ok &= MelFormat::Save((root / "mel/long-name.mel").string(), longName) == FileStatus::Ok;
  Put(root / "mel/cut.mel", Cut(Saved(root / "mel/tune.mel"), 20));
  Put(root / "mel/counts-differ.mel", {5, 'E', 'M', '2', '.', '0', 9, 0, 0, 0, 0, 1, 0, 0, 0, 5, 2, 0});

  ok &= StoFormat::Save((root / "sto/empty.sto").string(), {}) == FileStatus::Ok;
  ok &= StoFormat::Save((root / "sto/one.sto").string(), {{u"a", {{13, 2, 0}, {11, 3, 4}}}}) == FileStatus::Ok;
  ok &= StoFormat::Save((root / "sto/three.sto").string(), {tune, empty, longName}) == FileStatus::Ok;
  Put(root / "sto/cut.sto", Cut(Saved(root / "sto/three.sto"), 40));

  ok &= MidiWriter::Write((root / "midi/empty.mid").string(), {}) == MidiWriteError::None;
  ok &= MidiWriter::Write((root / "midi/tune.mid").string(), tune.notes) == MidiWriteError::None;
  Put(root / "midi/tracks.mid", nvfuzz::SyntheticMidi(3, 60, 1, 96));
  Put(root / "midi/dense.mid", nvfuzz::SyntheticMidi(1, 200, 2, 480));
  Put(root / "midi/cut.mid", Cut(nvfuzz::SyntheticMidi(2, 40, 3), 150));

  const std::pair<const char*, const char*> tunes[] = {
      {"bell.rtttl", "Bell:d=4,o=5,b=120:8e6,8d#6,2p,c.6,8e.6,8e6.,32a,32p,16b#7,h4"},
      {"blanks.rtttl", " Tune :\r\n d=8,\n o=5 :\n e6 ,\td#6 ,\r\n\n P, "},
      {"bad-octave.rtttl", "t:d=4,o=5:a,\n  8e9"},
      {"long-number.rtttl", "t:b=99999999999:1999999999999999999999a"},
      {"no-defaults.rtttl", "\xEF\xBB\xBF\xD0\x97\xD0\xB2\xD0\xBE\xD0\xBD::c,4c,p,l=1"},
  };
  for (const auto& [name, text] : tunes) Put(root / "rtttl" / name, Bytes(text, text + std::strlen(text)));
  if (!ok) {
    std::fprintf(stderr, "could not write the seeds under %s\n", argv[1]);
    return 1;
  }
  return 0;
}
