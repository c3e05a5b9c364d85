#include "CAppendRules.h"

#include "DinovaIds.h"
#include "DinovaStrings.h"
#include "common/StoFormat.h"

namespace {

// The melodies' terminator in device memory: pitch 0, duration code 7.
constexpr int kTerminatorByte = 7;

// text with %1, %2, ... replaced by values in order.
std::string Format(const char* text, std::initializer_list<long> values) {
  std::string result = text;
  int number = 1;
  for (const long value : values) {
    const std::string mark = "%" + std::to_string(number++);
    const size_t at = result.find(mark);
    if (at != std::string::npos) result.replace(at, mark.size(), std::to_string(value));
  }
  return result;
}

}  // namespace

LONG CAppendRules::MaxMelodies(LONG bellType) {
  switch (bellType) {
    case BELL_TYPE_20:
      return 111;
    case BELL_TYPE_29:
      return 1024;
    default:
      return 0;
  }
}

CAppendRules::Limits CAppendRules::LimitsOf(const BellInfo& info, LONG bellType) {
  return {info.capacity - info.usedSymbols, info.melodyCount, MaxMelodies(bellType)};
}

// Durations are the five codes whole to sixteenth (0 to 4), as the melody
// model, the files and the bell's encoder all hold them.
bool CAppendRules::CanStore(const NoteValues& note) {
  return note.pitch <= 31 && note.duration <= 4 && note.pitch * 8 + note.duration != kTerminatorByte;
}

CAppendRules::Result CAppendRules::Check(Kind, const std::vector<MelodyData>& melodies, const Limits& limits) {
  Result result;
  result.size = StoFormat::SetSize(melodies);
  for (size_t m = 0; m < melodies.size(); ++m) {
    const std::vector<NoteValues>& notes = melodies[m].notes;
    for (size_t n = 0; n < notes.size(); ++n) {
      if (CanStore(notes[n])) continue;
      result.verdict = Verdict::BadNote;
      result.melody = m;
      result.note = n;
      result.bad = notes[n];
      return result;
    }
  }
  if (limits.storedMelodies + static_cast<LONG>(melodies.size()) > limits.maxMelodies) {
    result.verdict = Verdict::TooMany;
  } else {
    result.verdict = result.size <= limits.freeSymbols ? Verdict::Fits : Verdict::TooBig;
  }
  return result;
}

std::string CAppendRules::Text(Kind kind, const Result& result, const Limits& limits) {
  const bool melody = kind == Kind::Melody;
  switch (result.verdict) {
    case Verdict::Fits:
      return melody ? DinovaStrings::kMelodyFits : DinovaStrings::kSetFits;
    case Verdict::TooBig:
      return melody ? DinovaStrings::kMelodyTooLong : DinovaStrings::kSetTooBig;
    case Verdict::TooMany:
      return Format(DinovaStrings::kTooManyMelodies, {limits.maxMelodies});
    case Verdict::BadNote: {
      const long note = static_cast<long>(result.note) + 1;
      if (melody) return Format(DinovaStrings::kMelodyBadNote, {note, result.bad.pitch, result.bad.duration});
      return Format(DinovaStrings::kSetBadNote,
                    {static_cast<long>(result.melody) + 1, note, result.bad.pitch, result.bad.duration});
    }
    case Verdict::BadFormat:
      return DinovaStrings::kBadFormat;
    case Verdict::ReadFailed:
      return DinovaStrings::kReadFailed;
    case Verdict::None:
      break;
  }
  return {};
}

LONG CAppendRules::CurrentInSet(const BellInfo& info) {
  return info.currentMelody >= 1 && info.currentMelody <= info.melodyCount ? info.currentMelody : 1;
}

bool CAppendRules::PrepareAppend(BellInfo& info) {
  info.currentMelody = CurrentInSet(info);
  return info.selectionMode != BELL_MODE_UNKNOWN;
}
