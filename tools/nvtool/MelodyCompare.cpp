#include "MelodyCompare.h"

#include <algorithm>

#include "sonvox/Sonvox.h"

namespace {

constexpr BYTE kStoredFlags = FLAG_REST | FLAG_DOT;

std::string Triple(const NoteValues& note) {
  return "(" + std::to_string(note.pitch) + ", " + std::to_string(note.duration) + ", " + std::to_string(note.flags) +
         ")";
}

}  // namespace

std::optional<std::string> MelodyCompare::FirstDifference(const std::vector<NoteValues>& written,
                                                          const std::vector<NoteValues>& read) {
  const size_t common = std::min(written.size(), read.size());
  for (size_t i = 0; i < common; ++i) {
    const NoteValues& a = written[i];
    const NoteValues& b = read[i];
    if (a.pitch != b.pitch || a.duration != b.duration || (a.flags & kStoredFlags) != (b.flags & kStoredFlags)) {
      return "note symbol " + std::to_string(i) + ": written " + Triple(a) + ", read " + Triple(b);
    }
  }
  if (written.size() != read.size()) {
    return "read back " + std::to_string(read.size()) + " note symbols instead of " + std::to_string(written.size());
  }
  return std::nullopt;
}
