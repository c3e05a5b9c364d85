#include "ExportCommand.h"

#include <cstdio>

#include "ArgParser.h"
#include "MelodyFiles.h"
#include "ToolError.h"
#include "midi/MidiWriter.h"
#include "platform/CodePage.h"

std::string_view ExportCommand::Help() const {
  return "usage: nvtool export IN.mel -o OUT.mid\n"
         "\n"
         "Writes the melody as the melody editor's MIDI export does: a format 0 file\n"
         "with one track on channel 0, 96 ticks per quarter note, every note symbol a\n"
         "note-on and note-off pair (rests silent). An existing OUT.mid is replaced\n"
         "only when the new file was written whole.\n"
         "\n"
         "  -o, --output  the MIDI file to write\n";
}

int ExportCommand::Run(const std::vector<std::string>& args) {
  ArgParser parser(args, {{"output", 'o', true}});
  parser.ExpectPositionals(1, "IN.mel");
  const std::string output = parser.Required("output");
  const MelodyData melody = MelodyFiles::LoadMelody(parser.Positionals()[0]);
  const MidiWriteError error = MidiWriter::Write(output, melody.notes);
  if (error != MidiWriteError::None) {
    throw ToolError::Failed(std::u16string(MidiWriter::ErrorText(error)) + u" " + nv::Utf8ToWide(output));
  }
  std::printf("%s: %zu note symbols\n", output.c_str(), melody.notes.size());
  return kExitOk;
}
