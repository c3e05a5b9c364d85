#include "RingToneImport.h"

#include <algorithm>

#include "common/CFileU.h"
#include "common/FileTexts.h"
#include "common/NoteQuantiser.h"
#include "common/PitchRange.h"
#include "platform/CodePage.h"

namespace {

std::u16string Number(long long value) {
  return nv::Utf8ToWide(std::to_string(value));
}

std::u16string What(RingToneIssue::Kind kind) {
  switch (kind) {
    case RingToneIssue::NoNameEnd:
      return u"нет двоеточия после названия";
    case RingToneIssue::NoDefaultsEnd:
      return u"нет двоеточия после параметров (d=, o=, b=)";
    case RingToneIssue::BadDefault:
      return u"параметр записывается буквой, знаком = и числом, например d=4";
    case RingToneIssue::BadDuration:
      return u"длительность должна быть 1, 2, 4, 8, 16 или 32";
    case RingToneIssue::BadOctave:
      return u"октава должна быть от 4 до 7";
    case RingToneIssue::BadTempo:
      return u"темп (b) должен быть от 1 до 999";
    case RingToneIssue::BadNote:
      return u"ожидается нота (a-g, h) или пауза (p)";
    case RingToneIssue::UnexpectedText:
      return u"лишний символ";
    case RingToneIssue::EmptyNote:
      return u"пустая нота между запятыми";
    case RingToneIssue::ThirtySecondNote:
      return u"нота 1/32 взята как 1/16";
    case RingToneIssue::ThirtySecondRest:
      return u"пауза 1/32 пропущена";
    case RingToneIssue::NameShortened:
      return u"название сокращено до 255 символов";
    case RingToneIssue::UnknownDefault:
      return u"неизвестный параметр пропущен";
  }
  return u"неизвестная ошибка";
}

}  // namespace

RingToneImport::Prepared RingToneImport::Prepare(std::string_view text, int semitones, bool fit) {
  Prepared prepared;
  RingTone tune;
  if (!RingToneText::Read(text, tune, prepared.error, prepared.warnings)) return prepared;
  semitones = std::clamp(semitones, -kMaxSemitones, kMaxSemitones);
  const PitchRange::Placement placement = PitchRange::Place(tune.notes, semitones, fit);
  prepared.ok = true;
  prepared.shift = placement.shift;
  prepared.folded = placement.folded;
  prepared.rests = static_cast<size_t>(std::count_if(tune.notes.begin(), tune.notes.end(), [](const NoteValues& n) {
    return (n.flags & NoteQuantiser::kRestFlag) != 0;
  }));
  prepared.melody = MelodyData{std::move(tune.name), std::move(tune.notes)};
  return prepared;
}

bool RingToneImport::IsRingTone(std::string_view text) {
  RingTone tune;
  RingToneIssue error;
  std::vector<RingToneIssue> warnings;
  return text.size() <= kLargestText && RingToneText::Read(text, tune, error, warnings);
}

bool RingToneImport::ReadFile(const std::string& path, std::string& text, std::u16string& error) {
  CFileU file;
  if (!file.Open(path, "rb")) {
    error = FileTexts::Line(FileTexts::WithPath(FileTexts::kOpenFailed, path));
    return false;
  }
  // One byte more than allowed tells a file that is too large.
  std::string read(kLargestText + 1, '\0');
  const size_t got = file.ReadSome(read.data(), read.size());
  if (got > kLargestText || file.HasError()) {
    error = FileTexts::Line(FileTexts::WithPath(FileTexts::kReadFailed, path));
    return false;
  }
  read.resize(got);
  text = std::move(read);
  return true;
}

std::u16string RingToneImport::Describe(const RingToneIssue& issue) {
  return u"строка " + Number(static_cast<long long>(issue.line)) + u", позиция " +
         Number(static_cast<long long>(issue.column)) + u": " + What(issue.kind);
}

std::u16string RingToneImport::Summary(const Prepared& prepared) {
  if (!prepared.ok) return u"Ошибка: " + Describe(prepared.error);
  const size_t rests = prepared.rests;
  std::u16string line = u"Нот: " + Number(static_cast<long long>(prepared.melody.notes.size() - rests)) + u", пауз: " +
                        Number(static_cast<long long>(rests));
  if (prepared.shift != 0) {
    line += u"; сдвиг на " + std::u16string(prepared.shift > 0 ? u"+" : u"") + Number(prepared.shift) + u" полутонов";
  }
  if (prepared.folded > 0) line += u"; перенесено по октавам: " + Number(static_cast<long long>(prepared.folded));
  for (const RingToneIssue& warning : prepared.warnings) line += u"\n" + Describe(warning);
  return line;
}
