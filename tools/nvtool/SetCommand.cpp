#include "SetCommand.h"

#include <cstdio>

#include "ArgParser.h"
#include "CSetoraDoc.h"
#include "ComSession.h"
#include "MelodyFiles.h"
#include "RingToneFiles.h"
#include "ToolError.h"
#include "platform/CodePage.h"

namespace {

std::u16string WithPath(std::u16string text, const std::string& path) {
  // The set editor names the file in some of its texts and not in others.
  if (text.find(nv::Utf8ToWide(path)) == std::u16string::npos) text += u" " + nv::Utf8ToWide(path);
  return text;
}

int Create(const std::vector<std::string>& args) {
  ArgParser parser(args, {{"fit", 0, false}});
  const auto& words = parser.Positionals();
  if (words.size() < 2) throw ToolError::Usage("usage: nvtool set create [--fit] OUT.sto IN.mel|IN.rtttl...");
  const std::string& output = words[0];

  ComSession session;
  session.RequireSonvox();
  CSetoraDoc doc;
  std::u16string error;
  for (size_t i = 1; i < words.size(); ++i) {
    if (RingToneFiles::IsRingTone(words[i])) {
      PitchRange::Placement placement;
      const MelodyData melody =
          RingToneFiles::ToMelody(RingToneFiles::Load(words[i]), words[i], 0, parser.Has("fit"), placement);
      if (!doc.AddMelody(melody, error)) throw ToolError::Failed(error);
      if (placement.shift != 0 || placement.folded != 0) {
        std::printf("%s: moved by %d semitones, %zu folded into G#3..D#6\n", words[i].c_str(), placement.shift,
                    placement.folded);
      }
    } else if (!doc.AddMelodyFile(words[i], error)) {
      throw ToolError::Failed(WithPath(error, words[i]));
    }
  }
  if (!doc.Save(&output, error)) throw ToolError::Failed(WithPath(error, output));
  std::printf("%s: melodies: %d, set size %d note symbols\n", output.c_str(), static_cast<int>(doc.Count()),
              static_cast<int>(doc.SetSize()));
  return kExitOk;
}

int Extract(const std::vector<std::string>& args) {
  ArgParser parser(args, {{"melody", 0, true}, {"output", 'o', true}});
  parser.ExpectPositionals(1, "IN.sto");
  const std::string& input = parser.Positionals()[0];
  const std::string output = parser.Required("output");
  const std::string wanted = parser.Required("melody");

  // Read and checked by the shared reader first, so a file that is not a
  // set is reported as such; the document then reads it into melodies.
  const size_t count = MelodyFiles::LoadSet(input).size();
  const long number = ArgParser::ParseNumber(wanted, 1, 0x7FFFFFFF, "--melody");
  if (static_cast<size_t>(number) > count) {
    throw ToolError::Usage("--melody " + wanted + ": the set has " + std::to_string(count) +
                           (count == 1 ? " melody" : " melodies"));
  }

  ComSession session;
  session.RequireSonvox();
  CSetoraDoc doc;
  if (doc.OpenFile(input) != FileStatus::Ok)
    throw ToolError::Failed(u"Ошибка при чтении файла " + nv::Utf8ToWide(input));
  std::u16string error;
  if (!doc.SaveMelody(static_cast<LONG>(number - 1), output, error)) throw ToolError::Failed(WithPath(error, output));
  std::u16string name;
  LONG notes = 0;
  doc.Name(static_cast<LONG>(number - 1), name);
  doc.NoteCount(static_cast<LONG>(number - 1), notes);
  std::printf("%s: \"%s\", %d note symbols\n", output.c_str(), nv::WideToUtf8(name).c_str(), static_cast<int>(notes));
  return kExitOk;
}

}  // namespace

std::string_view SetCommand::Help() const {
  return "usage: nvtool set create [--fit] OUT.sto IN.mel|IN.rtttl...\n"
         "       nvtool set extract IN.sto --melody K -o OUT.mel\n"
         "\n"
         "create   writes a melody set of the given melody files, in order, as the set\n"
         "         editor saves one; an existing OUT.sto is replaced only when the new\n"
         "         file was written whole. Ring-tone files (.rtttl, .txt, \"-\") are\n"
         "         read as \"nvtool import\" reads them: notes outside G#3..D#6 folded\n"
         "         by octaves, with --fit after moving each tune by the octaves that\n"
         "         keep the most of its notes inside\n"
         "extract  writes melody K (from 1) of the set as a melody file, as the set\n"
         "         editor's \"save melody\" does\n";
}

int SetCommand::Run(const std::vector<std::string>& args) {
  if (args.empty()) throw ToolError::Usage("missing create or extract (see nvtool set --help)");
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "create") return Create(rest);
  if (args[0] == "extract") return Extract(rest);
  throw ToolError::Usage("unknown set operation \"" + args[0] + "\"");
}
