#include "RingToneFiles.h"

#include <algorithm>
#include <cstdio>

#include "MelodyFiles.h"
#include "ToolError.h"
#include "common/CFileU.h"
#include "common/CSaveFileU.h"
#include "platform/CodePage.h"

namespace {

constexpr const char16_t* kOpenError = u"Ошибка при открытии файла";
constexpr const char16_t* kReadError = u"Ошибка при чтении файла";
constexpr const char16_t* kWriteError = u"Ошибка при записи в файл";
constexpr const char16_t* kDefaultName = u"Новая мелодия";

std::u16string WithPath(const char16_t* text, const std::string& path) {
  return std::u16string(text) + u" " + nv::Utf8ToWide(path);
}

std::string Where(const std::string& path, const RingToneIssue& issue) {
  return (path == "-" ? std::string("standard input") : path) + ": line " + std::to_string(issue.line) +
         ", column " + std::to_string(issue.column) + ": ";
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
  if (path == "-") return true;
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  std::string extension = path.substr(dot);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return extension == ".rtttl" || extension == ".txt";
}

RingTone RingToneFiles::Load(const std::string& path) {
  std::string text;
  bool tooLong = false;
  if (path == "-") {
    if (!ReadAll(stdin, text, tooLong) && !tooLong) throw ToolError::Failed(WithPath(kReadError, path));
  } else {
    CFileU file;
    if (!file.Open(path, "rb")) throw ToolError::Failed(WithPath(kOpenError, path));
    if (!ReadAll(file.Stream(), text, tooLong) && !tooLong) throw ToolError::Failed(WithPath(kReadError, path));
  }
  if (tooLong) {
    throw ToolError::Failed((path == "-" ? std::string("standard input") : path) +
                            ": longer than any ring-tone text (" + std::to_string(kLargestText) + " bytes at most)");
  }

  RingTone tune;
  RingToneIssue error;
  std::vector<RingToneIssue> warnings;
  if (!RingToneText::Read(text, tune, error, warnings)) throw ToolError::Failed(Where(path, error) + Describe(error.kind));
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
      throw ToolError::Failed(std::u16string(kWriteError));
    return raised;
  }
  CSaveFileU save;
  if (!save.Create(path)) throw ToolError::Failed(WithPath(kOpenError, path));
  if (!save.File().Write(text.data(), text.size()) || !save.Commit()) throw ToolError::Failed(WithPath(kWriteError, path));
  return raised;
}

std::string RingToneFiles::Describe(RingToneIssue::Kind kind) {
  switch (kind) {
    case RingToneIssue::NoNameEnd: return "no ':' after the name";
    case RingToneIssue::NoDefaultsEnd: return "no ':' after the defaults (d=, o=, b=)";
    case RingToneIssue::BadDefault: return "a default must be a letter, '=' and a number, as in d=4";
    case RingToneIssue::BadDuration: return "a duration must be 1, 2, 4, 8, 16 or 32";
    case RingToneIssue::BadOctave: return "an octave must be 4 to 7";
    case RingToneIssue::BadTempo: return "b (beats per minute) must be 1 to 999";
    case RingToneIssue::BadNote: return "a note letter (a to g, h) or p expected";
    case RingToneIssue::UnexpectedText: return "unexpected character";
    case RingToneIssue::EmptyNote: return "no note between two commas";
    case RingToneIssue::ThirtySecondNote: return "thirty-second note taken as a sixteenth";
    case RingToneIssue::ThirtySecondRest: return "thirty-second pause left out (too short for a rest)";
    case RingToneIssue::NameShortened: return "name cut to 255 characters";
    case RingToneIssue::UnknownDefault: return "unknown default ignored";
  }
  return "unknown problem";
}
