#include "InfoCommand.h"

#include <cstdio>

#include "ArgParser.h"
#include "Json.h"
#include "MelodyFiles.h"
#include "NoteText.h"
#include "ProgressBar.h"
#include "RingToneFiles.h"
#include "ToolError.h"
#include "common/CFileU.h"
#include "common/StoFormat.h"
#include "platform/CodePage.h"

namespace {

void PrintMelody(const MelodyData& melody, bool json) {
  if (json) {
    std::printf("{\"name\": %s, \"notes\": %s}\n", Json::Quote(melody.name).c_str(), Json::Notes(melody.notes).c_str());
    return;
  }
  std::printf("Name: %s\nNote symbols: %zu\n%s", nv::WideToUtf8(melody.name).c_str(), melody.notes.size(),
              NoteText::List(melody.notes, "").c_str());
}

void PrintSet(const std::vector<MelodyData>& melodies, bool json) {
  const LONG size = StoFormat::SetSize(melodies);
  if (json) {
    std::printf("{\"melodies\": [");
    for (size_t i = 0; i < melodies.size(); ++i) {
      std::printf("%s{\"name\": %s, \"notes\": %s}", i > 0 ? ", " : "", Json::Quote(melodies[i].name).c_str(),
                  Json::Notes(melodies[i].notes).c_str());
    }
    std::printf("], \"size\": %d}\n", static_cast<int>(size));
    return;
  }
  std::printf("Melodies: %zu\nSet size: %d note symbols\n", melodies.size(), static_cast<int>(size));
  for (size_t i = 0; i < melodies.size(); ++i) {
    const MelodyData& melody = melodies[i];
    std::printf("\nMelody %zu: %s\nNote symbols: %zu (size %zu)\n%s", i + 1, nv::WideToUtf8(melody.name).c_str(),
                melody.notes.size(), melody.notes.size() + 1, NoteText::List(melody.notes, "").c_str());
  }
}

// The tune as the import takes it without options: notes outside the range
// folded by octaves, the tempo read but not kept.
void PrintRingTone(const std::string& path, bool json) {
  const RingTone tune = RingToneFiles::Load(path);
  PitchRange::Placement placement;
  const MelodyData melody = RingToneFiles::ToMelody(tune, path, 0, false, placement);
  if (json) {
    std::printf("{\"name\": %s, \"tempo\": %d, \"folded\": %zu, \"notes\": %s}\n", Json::Quote(melody.name).c_str(),
                tune.beatsPerMinute, placement.folded, Json::Notes(melody.notes).c_str());
    return;
  }
  std::printf("Name: %s\nTempo: %d beats per minute (not kept)\nFolded into G#3..D#6: %zu\nNote symbols: %zu\n%s",
              nv::WideToUtf8(melody.name).c_str(), tune.beatsPerMinute, placement.folded, melody.notes.size(),
              NoteText::List(melody.notes, "").c_str());
}

void PrintMidi(const std::vector<ChannelMelody>& melodies, bool json) {
  if (json) {
    std::printf("{\"melodies\": [");
    for (size_t i = 0; i < melodies.size(); ++i) {
      std::printf("%s{\"channel\": %d, \"notes\": %s}", i > 0 ? ", " : "", static_cast<int>(melodies[i].channel),
                  Json::Notes(melodies[i].notes).c_str());
    }
    std::printf("]}\n");
    return;
  }
  std::printf("Melodies: %zu\n", melodies.size());
  for (size_t i = 0; i < melodies.size(); ++i) {
    std::printf("Melody %zu: channel %d, %zu note symbols\n", i + 1, static_cast<int>(melodies[i].channel),
                melodies[i].notes.size());
  }
}

}  // namespace

std::string_view InfoCommand::Help() const {
  return "usage: nvtool info [--json] FILE\n"
         "\n"
         "Shows what FILE holds. A melody (.mel): its name and note symbols. A melody\n"
         "set (.sto): every melody with its name, note symbols and size, and the set's\n"
         "size in note symbols (a melody of N symbols takes N + 1). A MIDI file (.mid,\n"
         ".kar): the channel melodies the MIDI reader finds, in its order, with their\n"
         "MIDI channel (0-15) and number of note symbols. Other names are recognised\n"
         "by their contents. Ring-tone text (.rtttl, - for standard input, and .txt\n"
         "files that hold a tune): the tune as `nvtool import` takes it without\n"
         "options, with its tempo and the number of notes folded by octaves into\n"
         "G#3..D#6. Note symbols are numbered from 0.\n"
         "\n"
         "  --json   print one JSON object instead:\n"
         "             .mel  {\"name\": ..., \"notes\": [[pitch, duration, flags], ...]}\n"
         "             .sto  {\"melodies\": [{\"name\": ..., \"notes\": [...]}, ...], \"size\": N}\n"
         "             MIDI  {\"melodies\": [{\"channel\": c, \"notes\": [...]}, ...]}\n";
}

int InfoCommand::Run(const std::vector<std::string>& args) {
  ArgParser parser(args, {{"json", 0, false}});
  parser.ExpectPositionals(1, "FILE");
  const std::string& path = parser.Positionals()[0];
  const bool json = parser.Has("json");
  switch (MelodyFiles::KindOf(path)) {
    case MelodyFiles::Kind::Melody:
      PrintMelody(MelodyFiles::LoadMelody(path), json);
      break;
    case MelodyFiles::Kind::Set:
      PrintSet(MelodyFiles::LoadSet(path), json);
      break;
    case MelodyFiles::Kind::Midi: {
      ProgressBar bar("Reading " + path);
      std::vector<ChannelMelody> melodies = MelodyFiles::ReadMidi(path, &bar);
      bar.Finish();
      PrintMidi(melodies, json);
      break;
    }
    case MelodyFiles::Kind::RingTone:
      PrintRingTone(path, json);
      break;
    case MelodyFiles::Kind::Unknown: {
      CFileU file;
      if (!file.Open(path, "rb")) throw ToolError::Failed(u"Ошибка при открытии файла " + nv::Utf8ToWide(path));
      throw ToolError::Failed(path + ": neither a melody, a melody set, a MIDI file nor ring-tone text");
    }
  }
  return kExitOk;
}
