// Note symbols as people read them: "A4 quarter", "rest eighth dotted".
#pragma once

#include <string>
#include <vector>

#include "common/MelodyData.h"

class NoteText {
 public:
  // The pitch's name with its octave (index 13 is A4, 0 is G#3).
  static std::string PitchName(int pitch);
  // "whole" .. "sixteenth", or "code N" for a code the model does not use.
  static std::string DurationName(int duration);
  // The symbol in words followed by its stored values, e.g.
  // "A4    quarter          (13, 2, 0)".
  static std::string Describe(const NoteValues& note);
  // One line per symbol, numbered from 0, each starting with indent.
  static std::string List(const std::vector<NoteValues>& notes, const std::string& indent);
};
