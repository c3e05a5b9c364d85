#include "RenderCommand.h"

#include <cstdio>

#include "ArgParser.h"
#include "MelodyFiles.h"
#include "NoteTables.h"
#include "Synthesizer.h"
#include "ToolError.h"
#include "WavFile.h"
#include "common/ToneSample.h"
#include "platform/CodePage.h"

namespace {

// The level of silence in unsigned 8-bit PCM.
constexpr BYTE kSilence = 127;

// Each note's buffer as the synthesiser renders it for playback with the
// melody editor's tone; a rest is silence of its length. Playback plays the
// buffers back to back, so the file does the same.
std::vector<BYTE> Render(const std::vector<NoteValues>& notes, size_t from) {
  const std::vector<BYTE> period = ToneSample::EditorPeriod();
  nv::Synthesizer synth;
  synth.Analyse(period.data(), period.size(), ToneSample::kSampleRate, ToneSample::kFrequency);
  std::vector<BYTE> samples;
  for (size_t i = from; i < notes.size(); ++i) {
    const NoteValues& note = notes[i];
    const size_t count = nv::Synthesizer::RenderLength(nv::NoteLength(note.duration, note.flags));
    const size_t start = samples.size();
    samples.resize(start + count, kSilence);
    if ((note.flags & FLAG_REST) == 0 && synth.IsFilled()) {
      synth.Render(nv::NoteFrequency(note.pitch), samples.data() + start, count);
    }
  }
  return samples;
}

}  // namespace

std::string_view RenderCommand::Help() const {
  return "usage: nvtool render IN.mel -o OUT.wav [--from I]\n"
         "\n"
         "Writes what playback of the melody sounds as a WAV file (8-bit mono,\n"
         "11025 samples per second): each note rendered by the synthesiser with the\n"
         "melody editor's tone, each rest as silence of its length, back to back.\n"
         "No sound device is needed.\n"
         "\n"
         "  --from I      start at note symbol I, from 0 (default 0)\n"
         "  -o, --output  the WAV file to write\n";
}

int RenderCommand::Run(const std::vector<std::string>& args) {
  ArgParser parser(args, {{"output", 'o', true}, {"from", 0, true}});
  parser.ExpectPositionals(1, "IN.mel");
  const std::string output = parser.Required("output");
  const MelodyData melody = MelodyFiles::LoadMelody(parser.Positionals()[0]);
  const long from = parser.Number("from", 0, static_cast<long>(melody.notes.size()), 0);

  const std::vector<BYTE> samples = Render(melody.notes, static_cast<size_t>(from));
  if (!WavFile::Write(output, samples, nv::Synthesizer::kOutputRate)) {
    throw ToolError::Failed(u"Ошибка при записи в файл " + nv::Utf8ToWide(output));
  }
  std::printf("%s: %zu samples, %.2f s\n", output.c_str(), samples.size(),
              static_cast<double>(samples.size()) / nv::Synthesizer::kOutputRate);
  return kExitOk;
}
