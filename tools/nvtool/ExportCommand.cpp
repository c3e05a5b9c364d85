#include "ExportCommand.h"

#include <cstdio>

#include "ArgParser.h"
#include "MelodyFiles.h"
#include "RingToneFiles.h"
#include "ToolError.h"
#include "midi/MidiWriter.h"
#include "platform/CodePage.h"

std::string_view ExportCommand::Help() const {
  return "usage: nvtool export IN.mel -o OUT.mid\n"
         "       nvtool export IN.mel --format rtttl [-o OUT.rtttl]\n"
         "\n"
         "midi   writes the melody as the melody editor's MIDI export does: a format 0\n"
         "       file with one track on channel 0, 96 ticks per quarter note, every note\n"
         "       symbol a note-on and note-off pair (rests silent)\n"
         "rtttl  writes the melody as one line of ring-tone text, to standard output\n"
         "       without -o (or with -o -). The tempo is b=114, the whole number nearest\n"
         "       to the melody's own (a quarter lasts 0.524288 s; at 114 it lasts\n"
         "       0.526 s). Ring-tone text has no notes below C4: a melody that reaches\n"
         "       lower is written an octave higher, with a note saying so.\n"
         "\n"
         "An existing output file is replaced only when the new file was written whole.\n"
         "\n"
         "  --format F    midi or rtttl (default: rtttl for an output named .rtttl or\n"
         "                .txt, midi otherwise)\n"
         "  -o, --output  the file to write\n";
}

int ExportCommand::Run(const std::vector<std::string>& args) {
  ArgParser parser(args, {{"format", 0, true}, {"output", 'o', true}});
  parser.ExpectPositionals(1, "IN.mel");
  const std::string output = parser.Value("output").value_or("");
  const std::string format =
      parser.Value("format").value_or(!output.empty() && RingToneFiles::IsRingTone(output) ? "rtttl" : "midi");
  if (format != "midi" && format != "rtttl")
    throw ToolError::Usage("--format must be midi or rtttl, not \"" + format + "\"");
  if (format == "midi" && output.empty()) throw ToolError::Usage("--output is required");
  const MelodyData melody = MelodyFiles::LoadMelody(parser.Positionals()[0]);

  if (format == "rtttl") {
    const std::string path = output.empty() ? "-" : output;
    if (RingToneFiles::Save(path, melody)) {
      std::fprintf(stderr, "nvtool: note: written an octave higher, as ring-tone text has no notes below C4\n");
    }
    if (path != "-") {
      std::printf("%s: %zu note symbols, b=%d\n", path.c_str(), melody.notes.size(), RingToneText::kWrittenTempo);
    }
    return kExitOk;
  }
  const MidiWriteError error = MidiWriter::Write(output, melody.notes);
  if (error != MidiWriteError::None) {
    throw ToolError::Failed(std::u16string(MidiWriter::ErrorText(error)) + u" " + nv::Utf8ToWide(output));
  }
  std::printf("%s: %zu note symbols\n", output.c_str(), melody.notes.size());
  return kExitOk;
}
