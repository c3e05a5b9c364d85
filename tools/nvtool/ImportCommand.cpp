#include "ImportCommand.h"

#include <cstdio>

#include "ArgParser.h"
#include "CMelodyDoc.h"
#include "ComSession.h"
#include "MelodyFiles.h"
#include "ProgressBar.h"
#include "RingToneFiles.h"
#include "ToolError.h"
#include "midi/MidiReader.h"
#include "platform/CodePage.h"

namespace {

// Hands what the MIDI reader finds to the document's channel melodies, as
// the editor's import does through its document thread.
class DocumentSink : public IMidiSink {
 public:
  DocumentSink(CMelodyDoc& doc, ProgressBar& bar) : doc_(doc), bar_(bar) {}

  void OnHeader(WORD, WORD tracks, WORD) override { tracks_ = tracks; }
  void OnTrack(WORD index) override {
    if (tracks_ > 0) bar_.Set(index * 100 / tracks_);
  }
  bool AddNote(const ImportedNote& note) override { return doc_.ChannelAddNote(note); }
  LONG MelodyCount() override { return doc_.ChannelCount(); }

 private:
  CMelodyDoc& doc_;
  ProgressBar& bar_;
  WORD tracks_ = 0;
};

// ", moved by -12 semitones, 2 notes folded into G#3..D#6" after the
// import's summary line.
std::string PlacementText(const PitchRange::Placement& placement) {
  return ", moved by " + std::to_string(placement.shift) + " semitones, " + std::to_string(placement.folded) +
         (placement.folded == 1 ? " note" : " notes") + " folded into G#3..D#6";
}

// A ring-tone file (or standard input): one tune, so melody 1 only.
int ImportRingTone(const ArgParser& parser, const std::string& input, const std::string& output, int semitones,
                   bool fit) {
  const RingTone tune = RingToneFiles::Load(input);
  if (parser.Number("melody", 1, 0xFFFF, 1) != 1) throw ToolError::Usage("--melody: the file has 1 melody");
  const long count = static_cast<long>(tune.notes.size());
  const long from = parser.Number("from", 0, count, 0);
  const long to = parser.Number("to", from, count, count);
  RingTone fragment = tune;
  fragment.notes.assign(tune.notes.begin() + from, tune.notes.begin() + to);

  PitchRange::Placement placement;
  const MelodyData melody = RingToneFiles::ToMelody(fragment, input, semitones, fit, placement);
  MelodyFiles::SaveMelody(output, melody);
  std::printf("%s: \"%s\", %zu note symbols (symbols %ld to %ld)%s\n", output.c_str(),
              nv::WideToUtf8(melody.name).c_str(), melody.notes.size(), from, to, PlacementText(placement).c_str());
  return kExitOk;
}

}  // namespace

std::string_view ImportCommand::Help() const {
  return "usage: nvtool import FILE.mid [--melody K] [--from A] [--to B] [--transpose N] [--fit] -o OUT.mel\n"
         "       nvtool import FILE.rtttl|FILE.txt|- [--from A] [--to B] [--transpose N] [--fit] -o OUT.mel\n"
         "\n"
         "Reads the MIDI file as the melody editor's MIDI import does and writes note\n"
         "symbols [A, B) of channel melody K as a melody named after the MIDI file\n"
         "(without folder and extension): exactly what the import dialog's \"Редактор\"\n"
         "button gives for the same choice. \"nvtool info FILE.mid\" lists the melodies.\n"
         "\n"
         "A ring-tone text file (.rtttl or .txt, \"-\" for standard input) holds one\n"
         "tune, \"name:d=4,o=5,b=120:8e6,8d#6,2p,c.6\"; the melody takes the tune's name\n"
         "(the file's when it has none). Lengths are taken as the MIDI import takes\n"
         "them: a thirty-second note becomes a sixteenth, a thirty-second pause is left\n"
         "out (each with a warning), and the tempo is not used, as melodies have none.\n"
         "A problem in the text is named by line and column, and nothing is written.\n"
         "\n"
         "Notes outside the melody's range, G#3 to D#6, are folded by octaves, note by\n"
         "note. The summary line says how many were.\n"
         "\n"
         "  --melody K     channel melody, from 1 in the reader's order (default 1)\n"
         "  --from A       first note symbol, from 0 (default 0)\n"
         "  --to B         one past the last note symbol (default: the melody's end)\n"
         "  --transpose N  move every note by N semitones (-60 to 60) first\n"
         "  --fit          then move the whole melody by the octaves that put the most\n"
         "                 notes inside the range, so it keeps its shape\n"
         "  -o, --output   the melody file to write\n";
}

int ImportCommand::Run(const std::vector<std::string>& args) {
  ArgParser parser(args, {{"melody", 0, true},
                          {"from", 0, true},
                          {"to", 0, true},
                          {"transpose", 0, true},
                          {"fit", 0, false},
                          {"output", 'o', true}});
  parser.ExpectPositionals(1, "FILE");
  const std::string& input = parser.Positionals()[0];
  const std::string output = parser.Required("output");
  const int semitones = static_cast<int>(parser.Number("transpose", -60, 60, 0));
  const bool fit = parser.Has("fit");
  if (RingToneFiles::IsRingTone(input)) return ImportRingTone(parser, input, output, semitones, fit);
  const long wanted = parser.Number("melody", 1, 0xFFFF, 1);

  ComSession session;
  session.RequireSonvox();
  CMelodyDoc doc;
  {
    ProgressBar bar("Importing " + input);
    DocumentSink sink(doc, bar);
    MidiReader reader(sink);
    const MidiError error = reader.ReadFile(input);
    if (error != MidiError::None) {
      bar.Finish();
      std::u16string text = MidiReader::ErrorText(error);
      if (error == MidiError::OpenFailed) text += u" " + nv::Utf8ToWide(input);
      throw ToolError::Failed(text);
    }
    bar.Set(100);
  }

  const LONG found = doc.ChannelCount();
  if (wanted > found) {
    throw ToolError::Usage("--melody " + std::to_string(wanted) + ": the file has " + std::to_string(found) +
                           (found == 1 ? " melody" : " melodies"));
  }
  const LONG index = static_cast<LONG>(wanted - 1);
  LONG count = 0;
  if (FAILED(doc.ChannelMelody(index)->GetCount(&count))) throw ToolError::Failed("a melody object cannot be read");
  const long from = parser.Number("from", 0, count, 0);
  const long to = parser.Number("to", from, count, count);

  const std::u16string name = MelodyFiles::Stem(input);
  if (!doc.TakeChannelMelody(index, static_cast<LONG>(from), static_cast<LONG>(to), name)) {
    throw ToolError::Failed("the fragment cannot be taken from the melody");
  }
  std::u16string error;
  if (!doc.SaveDocument(&output, error)) throw ToolError::Failed(error + u" " + nv::Utf8ToWide(output));
  std::string moved;
  if (semitones != 0 || fit) {
    // The reader has folded every key already; this moves the saved fragment.
    MelodyData melody = MelodyFiles::LoadMelody(output);
    moved = PlacementText(PitchRange::Place(melody.notes, semitones, fit));
    MelodyFiles::SaveMelody(output, melody);
  }
  std::printf("%s: \"%s\", %ld note symbols (symbols %ld to %ld of melody %ld)%s\n", output.c_str(),
              nv::WideToUtf8(name).c_str(), to - from, from, to, wanted, moved.c_str());
  return kExitOk;
}
