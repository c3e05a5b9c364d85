// Melody files written byte by byte, as the editor's file format lays them
// out, so tests read back what a user's file holds without the reader under
// test making them. Qt-free: the core tests use it too.
#pragma once

#include <cstdint>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace notaratest {

// One note symbol of a melody file: pitch, duration and flags.
struct MelNote {
  BYTE pitch, duration, flags;
  bool operator==(const MelNote&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const MelNote& n) {
  return out << "{" << int(n.pitch) << "," << int(n.duration) << "," << int(n.flags) << "}";
}

// A melody file named ansiName (at most 255 bytes) holding notes.
inline void WriteMel(const std::string& path, const std::vector<MelNote>& notes, const std::string& ansiName = "m") {
  std::ofstream out(path, std::ios::binary);
  const auto count = static_cast<int32_t>(notes.size());
  out.write(
      "\x05"
      "EM2.0",
      6);
  out.write(reinterpret_cast<const char*>(&count), 4);
  out.put(static_cast<char>(ansiName.size()));
  out << ansiName;
  out.write(reinterpret_cast<const char*>(&count), 4);
  for (const MelNote& n : notes) out << n.pitch << n.duration << n.flags;
}

}  // namespace notaratest
