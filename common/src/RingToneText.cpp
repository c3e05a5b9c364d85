#include "common/RingToneText.h"

#include <algorithm>
#include <array>

#include "common/NoteQuantiser.h"
#include "platform/CodePage.h"

namespace {

constexpr size_t kNameLimit = 255;
constexpr int kLowestOctave = 4;
constexpr int kHighestOctave = 7;
constexpr int kHighestTempo = 999;
// Pitch index of C4; a note of octave o and semitone s above C is
// 4 + 12 × (o − 4) + s.
constexpr int kC4 = 4;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool ValidDuration(int d) {
  return d == 1 || d == 2 || d == 4 || d == 8 || d == 16 || d == 32;
}

// Semitones above C of a note letter ("h" is b), or -1 for anything else.
int Semitone(char letter) {
  constexpr std::string_view kScale = "c-d-ef-g-a-b";  // each letter at its semitone
  const char c = Lower(letter);
  if (c == 'h') return 11;
  const size_t at = c == '-' ? std::string_view::npos : kScale.find(c);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

// Reads one tune left to right; each step returns false after setting the
// error at the offending offset.
class Parser {
 public:
  // A byte-order mark, as editors on other systems write one, is skipped;
  // columns count from after it, as those editors show them.
  Parser(std::string_view text, RingToneIssue& error)
      : text_(text), error_(error), start_(text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0) {
    at_ = counted_ = start_;
  }

  bool Run(RingTone& tune, std::vector<RingToneIssue>& warnings) {
    if (!Name(tune) || !Defaults(tune) || !Notes(tune)) return false;
    warnings = std::move(warnings_);
    return true;
  }

 private:
  bool Fail(RingToneIssue::Kind kind, size_t offset) {
    error_ = Issue(kind, offset);
    return false;
  }
  void Warn(RingToneIssue::Kind kind, size_t offset) { warnings_.push_back(Issue(kind, offset)); }

  // Issues come in text order, so the line and column are counted on from
  // the last issue's offset rather than from the start each time.
  RingToneIssue Issue(RingToneIssue::Kind kind, size_t offset) {
    if (offset < counted_) {
      counted_ = start_;
      line_ = 1;
      column_ = 1;
    }
    for (; counted_ < offset && counted_ < text_.size(); ++counted_) {
      if (text_[counted_] == '\n') {
        ++line_;
        column_ = 1;
      } else if ((static_cast<unsigned char>(text_[counted_]) & 0xC0) != 0x80) {
        ++column_;  // UTF-8 continuation bytes belong to the character before
      }
    }
    RingToneIssue issue;
    issue.kind = kind;
    issue.line = line_;
    issue.column = column_;
    return issue;
  }

  bool AtEnd() const { return at_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[at_]; }
  void SkipBlanks() {
    while (!AtEnd() && IsBlank(text_[at_])) ++at_;
  }

  // The digits at the cursor as a number, all of them consumed; value −1
  // when there are more than three (no valid number has more).
  bool Number(int& value) {
    if (!IsDigit(Peek())) return false;
    value = 0;
    size_t digits = 0;
    for (; IsDigit(Peek()); ++at_, ++digits) {
      if (digits < 3) value = value * 10 + (Peek() - '0');
    }
    if (digits > 3) value = -1;
    return true;
  }

  bool Name(RingTone& tune) {
    const size_t colon = text_.find(':', at_);
    if (colon == std::string_view::npos) return Fail(RingToneIssue::NoNameEnd, text_.size());
    std::string_view name = text_.substr(at_, colon - at_);
    while (!name.empty() && IsBlank(name.front())) name.remove_prefix(1);
    while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
    tune.name = nv::Utf8ToWide(name);
    if (tune.name.size() > kNameLimit) {
      size_t keep = kNameLimit;
      if (tune.name[keep - 1] >= 0xD800 && tune.name[keep - 1] < 0xDC00) --keep;  // no half of a pair
      tune.name.resize(keep);
      Warn(RingToneIssue::NameShortened, at_);
    }
    at_ = colon + 1;
    return true;
  }

  bool Defaults(RingTone& tune) {
    SkipBlanks();
    if (Peek() == ':') {
      ++at_;
      return true;
    }
    for (;;) {
      SkipBlanks();
      const size_t start = at_;
      const char key = Lower(Peek());
      if (AtEnd()) return Fail(RingToneIssue::NoDefaultsEnd, at_);
      if (key < 'a' || key > 'z') return Fail(RingToneIssue::BadDefault, start);
      ++at_;
      SkipBlanks();
      if (Peek() != '=') return Fail(RingToneIssue::BadDefault, at_);
      ++at_;
      SkipBlanks();
      const size_t valueAt = at_;
      int value = 0;
      if (!Number(value)) return Fail(RingToneIssue::BadDefault, valueAt);
      if (key == 'd') {
        if (!ValidDuration(value)) return Fail(RingToneIssue::BadDuration, valueAt);
        duration_ = value;
      } else if (key == 'o') {
        if (value < kLowestOctave || value > kHighestOctave) return Fail(RingToneIssue::BadOctave, valueAt);
        octave_ = value;
      } else if (key == 'b') {
        if (value < 1 || value > kHighestTempo) return Fail(RingToneIssue::BadTempo, valueAt);
        tune.beatsPerMinute = value;
      } else {
        Warn(RingToneIssue::UnknownDefault, start);
      }
      SkipBlanks();
      if (Peek() == ':') {
        ++at_;
        return true;
      }
      if (AtEnd()) return Fail(RingToneIssue::NoDefaultsEnd, at_);
      if (Peek() != ',') return Fail(RingToneIssue::UnexpectedText, at_);
      ++at_;
      SkipBlanks();
      if (Peek() == ':') {  // a comma before the colon
        ++at_;
        return true;
      }
    }
  }

  bool Notes(RingTone& tune) {
    SkipBlanks();
    while (!AtEnd()) {
      if (!Note(tune)) return false;
      SkipBlanks();
      if (AtEnd()) break;
      if (Peek() != ',') return Fail(RingToneIssue::UnexpectedText, at_);
      ++at_;
      SkipBlanks();
      // A comma may end the list; two commas in a row may not.
      if (Peek() == ',') return Fail(RingToneIssue::EmptyNote, at_);
    }
    return true;
  }

  bool Note(RingTone& tune) {
    const size_t start = at_;
    int duration = duration_;
    if (IsDigit(Peek())) {
      Number(duration);
      if (!ValidDuration(duration)) return Fail(RingToneIssue::BadDuration, start);
    }
    const size_t letterAt = at_;
    const bool pause = Lower(Peek()) == 'p';
    int semitone = pause ? 0 : Semitone(Peek());
    if (semitone < 0) return Fail(RingToneIssue::BadNote, letterAt);
    ++at_;
    if (!pause && Peek() == '#') {
      ++semitone;
      ++at_;
    }
    bool dotted = false;
    if (Peek() == '.') {
      dotted = true;
      ++at_;
    }
    int octave = octave_;
    const size_t octaveAt = at_;
    if (Number(octave) && (octave < kLowestOctave || octave > kHighestOctave)) {
      return Fail(RingToneIssue::BadOctave, octaveAt);
    }
    if (!dotted && Peek() == '.') {
      dotted = true;
      ++at_;
    }

    // Lengths in sixteenths through the quantiser the MIDI import uses.
    const float sixteenths = 16.0f / static_cast<float>(duration) * (dotted ? 1.5f : 1.0f);
    if (pause) {
      NoteValues rest;
      if (NoteQuantiser::Rest(sixteenths, rest)) {
        tune.notes.push_back(rest);
      } else {
        Warn(RingToneIssue::ThirtySecondRest, start);
      }
      return true;
    }
    if (duration == 32) Warn(RingToneIssue::ThirtySecondNote, start);
    NoteValues note = NoteQuantiser::Note(NoteQuantiser::kLowestKey, sixteenths);
    note.pitch = static_cast<BYTE>(kC4 + 12 * (octave - kLowestOctave) + semitone);
    tune.notes.push_back(note);
    return true;
  }

  std::string_view text_;
  RingToneIssue& error_;
  std::vector<RingToneIssue> warnings_;
  size_t start_;  // where the tune begins: after a byte-order mark
  size_t at_ = 0;
  size_t counted_ = 0;  // offset up to which line_ and column_ are counted
  size_t line_ = 1;
  size_t column_ = 1;
  int duration_ = 4;
  int octave_ = 6;
};

constexpr std::array<const char*, 12> kNoteNames = {"c", "c#", "d", "d#", "e", "f", "f#", "g", "g#", "a", "a#", "b"};

bool IsRest(const NoteValues& note) {
  return (note.flags & NoteQuantiser::kRestFlag) != 0;
}

// The value among counts (index = value) held most often; the lowest on a tie.
template <size_t N>
int MostFrequent(const std::array<size_t, N>& counts, int fallback) {
  const auto most = std::max_element(counts.begin(), counts.end());
  return *most == 0 ? fallback : static_cast<int>(most - counts.begin());
}

}  // namespace

bool RingToneText::Read(std::string_view text, RingTone& tune, RingToneIssue& error,
                        std::vector<RingToneIssue>& warnings) {
  RingTone read;
  std::vector<RingToneIssue> found;
  Parser parser(text, error);
  if (!parser.Run(read, found)) return false;
  tune = std::move(read);
  warnings = std::move(found);
  return true;
}

bool RingToneText::Write(const MelodyData& melody, std::string& text, bool& raised, size_t& badIndex) {
  bool low = false;
  for (size_t i = 0; i < melody.notes.size(); ++i) {
    const NoteValues& note = melody.notes[i];
    if (note.duration > 4 || (!IsRest(note) && note.pitch > 31)) {
      badIndex = i;
      return false;
    }
    low = low || (!IsRest(note) && note.pitch < kC4);
  }
  const int shift = low ? 12 : 0;

  std::array<size_t, 5> durations{};
  std::array<size_t, 4> octaves{};
  for (const NoteValues& note : melody.notes) {
    ++durations[note.duration];
    if (!IsRest(note)) ++octaves[(note.pitch + shift - kC4) / 12];
  }
  const int duration = MostFrequent(durations, 2);
  const int octave = kLowestOctave + MostFrequent(octaves, 1);

  std::string name = nv::WideToUtf8(melody.name);
  std::replace_if(
      name.begin(), name.end(), [](char c) { return c == ':' || (c >= 0 && c < ' '); }, ' ');
  std::string out = name + ":d=" + std::to_string(1 << duration) + ",o=" + std::to_string(octave) +
                    ",b=" + std::to_string(kWrittenTempo) + ":";
  for (size_t i = 0; i < melody.notes.size(); ++i) {
    const NoteValues& note = melody.notes[i];
    if (i > 0) out += ',';
    if (note.duration != duration) out += std::to_string(1 << note.duration);
    if (IsRest(note)) {
      out += 'p';
    } else {
      const int pitch = note.pitch + shift - kC4;
      out += kNoteNames[pitch % 12];
      if (kLowestOctave + pitch / 12 != octave) out += std::to_string(kLowestOctave + pitch / 12);
    }
    if (note.flags & NoteQuantiser::kDotFlag) out += '.';
  }
  text = std::move(out);
  raised = low;
  return true;
}
