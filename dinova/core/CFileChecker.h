// Whether a melody file or a melody set file fits into the doorbell's free
// space, as the open dialogs' checker panels show it while a file is chosen.
// A melody of N note symbols takes N + 1 (its terminator) on the device; a
// set takes that sum over its melodies.
#pragma once

#include <QString>
#include <string>

#include "platform/Types.h"

class CFileChecker {
 public:
  enum class Kind { Melody, Set };

  enum class Verdict {
    None,        // no file of that name, or not a regular file: nothing to say
    Fits,        // size <= free space
    TooBig,      // size > free space
    BadFormat,   // not a melody (set) file
    ReadFailed,  // the file ends inside its data
  };

  struct Result {
    Verdict verdict = Verdict::None;
    LONG size = 0;  // in note symbols, terminators included; 0 unless read whole
  };

  // Reads the file at path (UTF-8) whole and weighs it against freeSymbols.
  static Result Check(Kind kind, const std::string& path, LONG freeSymbols);

  // The file a name typed into a dialog stands for: name itself when it is
  // absolute, else name inside folder; the kind's extension (".mel", ".sto")
  // is added when the name has none. Empty for an empty name.
  static QString PathFor(Kind kind, const QString& folder, const QString& name);

  // What the panel shows: empty for None.
  static QString Text(Kind kind, Verdict verdict);
};
