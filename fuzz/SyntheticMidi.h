// Generated Standard MIDI Files with what real files have: several tracks
// and channels, chords, overlapping notes, running status, controllers,
// meta and system-exclusive events. Used for the fuzzing seeds and the
// import benchmark.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace nvfuzz {

using Bytes = std::vector<uint8_t>;

inline void PutQuantity(Bytes& out, uint32_t value) {
  uint8_t groups[5];
  int n = 0;
  do {
    groups[n++] = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value);
  while (n > 1) out.push_back(static_cast<uint8_t>(groups[--n] | 0x80));
  out.push_back(groups[0]);
}

inline void PutBig(Bytes& out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A format-1 file of tracks tracks, each with about eventsPerTrack note events.
inline Bytes SyntheticMidi(int tracks, int eventsPerTrack, uint32_t seed, uint16_t division = 480) {
  std::mt19937 random(seed);
  auto pick = [&](uint32_t n) { return static_cast<uint32_t>(random() % n); };
  Bytes out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
  PutBig(out, static_cast<uint32_t>(tracks), 2);
  PutBig(out, division, 2);
  for (int t = 0; t < tracks; ++t) {
    Bytes body = {0x00, 0xFF, 0x03, 0x05, 'T', 'r', 'a', 'c', 'k', 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
    const uint8_t channel = static_cast<uint8_t>(t % 16);
    uint8_t running = 0;
    std::vector<uint8_t> held;
    for (int e = 0; e < eventsPerTrack;) {
      uint32_t roll = pick(100);
      PutQuantity(body, roll < 30 ? 0 : pick(division));  // chords strike together
      uint8_t status;
      if (roll < 2) {
        body.insert(body.end(), {0xF0, 0x03, 0x7E, 0x01, 0xF7});
        running = 0;
        continue;
      }
      if (roll < 4) {
        body.insert(body.end(), {0xFF, 0x05, 0x02, 'l', 'a'});
        running = 0;
        continue;
      }
      if (roll < 8) {
        status = static_cast<uint8_t>(0xB0 | channel);
        if (status != running) body.push_back(status);
        body.insert(body.end(), {static_cast<uint8_t>(pick(120)), static_cast<uint8_t>(pick(128))});
        running = status;
        continue;
      }
      bool release = !held.empty() && (held.size() > 3 || pick(2) == 0);
      uint8_t key;
      if (release) {
        size_t i = pick(static_cast<uint32_t>(held.size()));
        key = held[i];
        held.erase(held.begin() + static_cast<long>(i));
        // Half the releases are note-on with velocity 0, which keeps running status.
        status = static_cast<uint8_t>((pick(2) ? 0x90 : 0x80) | channel);
      } else {
        key = static_cast<uint8_t>(36 + pick(60));
        held.push_back(key);
        status = static_cast<uint8_t>(0x90 | channel);
      }
      if (status != running) body.push_back(status);
      running = status;
      body.push_back(key);
      body.push_back(release && (status & 0xF0) == 0x90 ? 0 : static_cast<uint8_t>(1 + pick(127)));
      ++e;
    }
    body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    PutBig(out, static_cast<uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
  }
  return out;
}

}  // namespace nvfuzz
