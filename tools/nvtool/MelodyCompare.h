// Whether a melody read back from the doorbell is the one written: the
// device keeps pitch, duration code and the rest and dot flags of every note
// symbol (no name, no other flag bits), so those are compared.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/MelodyData.h"

class MelodyCompare {
 public:
  // Empty when they agree, else what differs first, e.g.
  // "note symbol 3: written (13, 2, 0), read (14, 2, 0)" or
  // "read back 4 note symbols instead of 5".
  static std::optional<std::string> FirstDifference(const std::vector<NoteValues>& written,
                                                    const std::vector<NoteValues>& read);
};
