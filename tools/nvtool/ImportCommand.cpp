#include "ImportCommand.h"

#include <cstdio>

#include "ArgParser.h"
#include "CMelodyDoc.h"
#include "ComSession.h"
#include "MelodyFiles.h"
#include "ProgressBar.h"
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

}  // namespace

std::string_view ImportCommand::Help() const {
  return "usage: nvtool import FILE.mid [--melody K] [--from A] [--to B] -o OUT.mel\n"
         "\n"
         "Reads the MIDI file as the melody editor's import does and writes note\n"
         "symbols [A, B) of channel melody K as a melody named after the MIDI file\n"
         "(without folder and extension): exactly what the import dialog's \"Редактор\"\n"
         "button gives for the same choice. \"nvtool info FILE.mid\" lists the melodies.\n"
         "\n"
         "  --melody K    channel melody, from 1 in the reader's order (default 1)\n"
         "  --from A      first note symbol, from 0 (default 0)\n"
         "  --to B        one past the last note symbol (default: the melody's end)\n"
         "  -o, --output  the melody file to write\n";
}

int ImportCommand::Run(const std::vector<std::string>& args) {
  ArgParser parser(args, {{"melody", 0, true}, {"from", 0, true}, {"to", 0, true}, {"output", 'o', true}});
  parser.ExpectPositionals(1, "FILE.mid");
  const std::string& input = parser.Positionals()[0];
  const std::string output = parser.Required("output");
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
  std::printf("%s: \"%s\", %ld note symbols (symbols %ld to %ld of melody %ld)\n", output.c_str(),
              nv::WideToUtf8(name).c_str(), to - from, from, to, wanted);
  return kExitOk;
}
