// The version 2.9 doorbell memory as its layout describes it, built from
// melodies for any note type with pitch, duration and flags members (the
// bell server's own and the files' values alike).
#pragma once

#include <cstddef>
#include <vector>

#include "platform/Types.h"

namespace nvtest {

// A memory of size bytes holding melodies (terminators after each), the mode
// byte and the current melody number as the bell keeps them; countShown is
// the count the last-entry pointer names (-1: all of them; deferred appends
// leave it behind). Without melodies the last-entry pointer is 14.
template <class Note>
std::vector<BYTE> Image29(size_t size, const std::vector<std::vector<Note>>& melodies, int current = 1,
                          BYTE modeByte = 0, int countShown = -1, BYTE header = 0x3C) {
  std::vector<BYTE> image(size, 0xFF);
  image[0] = header;
  image[1] = modeByte;
  auto word = [&](size_t at, size_t value) {
    image[at] = static_cast<BYTE>(value >> 8);
    image[at + 1] = static_cast<BYTE>(value);
  };
  word(2, 14 + 2 * current);
  word(4, 14 + 2 * (countShown < 0 ? melodies.size() : static_cast<size_t>(countShown)));
  size_t at = 0x0810;
  for (size_t m = 0; m < melodies.size(); ++m) {
    word(0x0010 + 2 * m, at);
    for (const Note& note : melodies[m]) {
      image[at++] = static_cast<BYTE>(note.pitch * 8 + note.duration);
      image[at++] = static_cast<BYTE>(((note.flags & 4) ? 1 : 0) | ((note.flags & 8) ? 2 : 0));
    }
    image[at++] = 7;
    image[at++] = 0;
  }
  return image;
}

}  // namespace nvtest
