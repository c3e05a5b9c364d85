#include "RingToneFiles.h"

#include <cstdio>

#include "MelodyFiles.h"
#include "ToolError.h"
#include "common/CFileU.h"
#include "common/CSaveFileU.h"

namespace {

constexpr const char16_t* kDefaultName = u"Новая мелодия";

std::string Where(const std::string& path, const RingToneIssue& issue) {
  return (path == "-" ? std::string("standard input") : path) + ": line " + std::to_string(issue.line) + ", column " +
         std::to_string(issue.column) + ": ";
}

// The whole stream, or false when it cannot be read or is longer than limit.
bool ReadAll(FILE* stream, std::string& text, bool& tooLong) {
  char block[4096];
  for (;;) {
    const size_t got = std::fread(block, 1, sizeof block, stream);
    if (text.size() + got > RingToneFiles::kLargestText) {
      tooLong = true;
      return false;
    }
    text.append(block, got);
    if (got < sizeof block) return std::ferror(stream) == 0;
  }
}

}  // namespace

bool RingToneFiles::IsRingTone(const std::string& path) {
  const std::string extension = MelodyFiles::Extension(path);
  return path == "-" || extension == ".rtttl" || extension == ".txt";
}

RingTone RingToneFiles::Load(const std::string& path) {
  std::string text;
  bool tooLong = false;
  if (path == "-") {
    if (!ReadAll(stdin, text, tooLong) && !tooLong) throw ToolError::Failed(MelodyFiles::ReadError(path));
  } else {
    CFileU file;
    if (!file.Open(path, "rb")) throw ToolError::Failed(MelodyFiles::OpenError(path));
    if (!ReadAll(file.Stream(), text, tooLong) && !tooLong) throw ToolError::Failed(MelodyFiles::ReadError(path));
  }
  if (tooLong) {
    throw ToolError::Failed((path == "-" ? std::string("standard input") : path) +
                            ": longer than any ring-tone text (" + std::to_string(kLargestText) + " bytes at most)");
  }

  RingTone tune;
  RingToneIssue error;
  std::vector<RingToneIssue> warnings;
  if (!RingToneText::Read(text, tune, error, warnings))
    throw ToolError::Failed(Where(path, error) + Describe(error.kind));
  for (const RingToneIssue& warning : warnings) {
    std::fprintf(stderr, "nvtool: warning: %s%s\n", Where(path, warning).c_str(), Describe(warning.kind).c_str());
  }
  return tune;
}

MelodyData RingToneFiles::ToMelody(const RingTone& tune, const std::string& path, int semitones, bool fit,
                                   PitchRange::Placement& placement) {
  MelodyData melody{tune.name, tune.notes};
  if (melody.name.empty()) melody.name = path == "-" ? std::u16string(kDefaultName) : MelodyFiles::Stem(path);
  placement = PitchRange::Place(melody.notes, semitones, fit);
  return melody;
}

bool RingToneFiles::Save(const std::string& path, const MelodyData& melody) {
  std::string text;
  bool raised = false;
  size_t bad = 0;
  if (!RingToneText::Write(melody, text, raised, bad)) {
    throw ToolError::Failed("note symbol " + std::to_string(bad) +
                            " holds a duration or pitch outside the melody model's range");
  }
  text += '\n';
  if (path == "-") {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
      throw ToolError::Failed(MelodyFiles::WriteError(path));
    return raised;
  }
  CSaveFileU save;
  if (!save.Create(path)) throw ToolError::Failed(MelodyFiles::OpenError(path));
  if (!save.File().Write(text.data(), text.size()) || !save.Commit())
    throw ToolError::Failed(MelodyFiles::WriteError(path));
  return raised;
}

std::string RingToneFiles::Describe(RingToneIssue::Kind kind) {
  switch (kind) {
    case RingToneIssue::NoNameEnd:
      return "no ':' after the name";
    case RingToneIssue::NoDefaultsEnd:
      return "no ':' after the defaults (d=, o=, b=)";
    case RingToneIssue::BadDefault:
      return "a default must be a letter, '=' and a number, as in d=4";
    case RingToneIssue::BadDuration:
      return "a duration must be 1, 2, 4, 8, 16 or 32";
    case RingToneIssue::BadOctave:
      return "an octave must be 4 to 7";
    case RingToneIssue::BadTempo:
      return "b (beats per minute) must be 1 to 999";
    case RingToneIssue::BadNote:
      return "a note letter (a to g, h) or p expected";
    case RingToneIssue::UnexpectedText:
      return "unexpected character";
    case RingToneIssue::EmptyNote:
      return "no note between two commas";
    case RingToneIssue::ThirtySecondNote:
      return "thirty-second note taken as a sixteenth";
    case RingToneIssue::ThirtySecondRest:
      return "thirty-second pause left out (too short for a rest)";
    case RingToneIssue::NameShortened:
      return "name cut to 255 characters";
    case RingToneIssue::UnknownDefault:
      return "unknown default ignored";
  }
  return "unknown problem";
}
