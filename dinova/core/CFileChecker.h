// Whether a melody file or a melody set file can be appended to the
// doorbell, as the open dialogs' checker panels show it while a file is
// chosen and as the add and write flows check it again before the first
// append. A melody of N note symbols takes N + 1 (its terminator) on the
// device; a set takes that sum over its melodies.
#pragma once

#include <string>

#include "CAppendRules.h"

class CFileChecker {
 public:
  using Kind = CAppendRules::Kind;
  using Verdict = CAppendRules::Verdict;
  using Result = CAppendRules::Result;

  // Reads the file at path (UTF-8) whole and weighs it against limits.
  // Verdict None when there is no regular file of that name (a folder, a
  // pipe or a device is never opened).
  static Result Check(Kind kind, const std::string& path, const CAppendRules::Limits& limits);
};
