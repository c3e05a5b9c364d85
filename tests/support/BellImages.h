// Doorbell memory images built by the documented version 2.9 layout, for the
// memory procedures' tests, the programmer's and nvtool's: header byte, mode
// byte, the current-entry and last-entry pointers, the directory from 0x10
// and the melodies from 0x810, two bytes a note and a terminator after each.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/Types.h"

namespace nvtest {

// Version 2.9 of size bytes holding melodies (any note type with pitch,
// duration and flags); current is the current melody's number; countShown
// is the count the last-entry pointer names (-1: all of them; deferred
// appends leave it behind); without melodies the last-entry pointer is 14
// (an empty set).
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
