// Building Standard MIDI Files for the reader and writer tests.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <list>
#include <string>
#include <vector>

#include "common/CFileU.h"
#include "midi/ChannelCollector.h"
#include "midi/MidiReader.h"

namespace nvtest {

using Bytes = std::vector<BYTE>;

// Events of one track; End of Track is added when the file is built.
struct Track {
  Bytes events;

  Track& Delta(DWORD ticks) {
    BYTE groups[5];
    int n = 0;
    do {
      groups[n++] = static_cast<BYTE>(ticks & 0x7F);
      ticks >>= 7;
    } while (ticks);
    while (n > 1) events.push_back(static_cast<BYTE>(groups[--n] | 0x80));
    events.push_back(groups[0]);
    return *this;
  }
  Track& Raw(std::initializer_list<BYTE> bytes) {
    events.insert(events.end(), bytes);
    return *this;
  }
  Track& On(DWORD delta, BYTE channel, BYTE key, BYTE velocity = 90) {
    return Delta(delta).Raw({static_cast<BYTE>(0x90 | channel), key, velocity});
  }
  Track& Off(DWORD delta, BYTE channel, BYTE key) {
    return Delta(delta).Raw({static_cast<BYTE>(0x80 | channel), key, 64});
  }
};

inline void PutBig(Bytes& out, DWORD value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<BYTE>(value >> (8 * i)));
}

// A whole file: header chunk, then one MTrk chunk per track closed by End of Track.
inline Bytes Smf(WORD format, WORD division, const std::vector<Track>& tracks) {
  Bytes out = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
  PutBig(out, format, 2);
  PutBig(out, static_cast<DWORD>(tracks.size()), 2);
  PutBig(out, division, 2);
  for (const Track& track : tracks) {
    Bytes body = track.events;
    body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    PutBig(out, static_cast<DWORD>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
  }
  return out;
}

// A stream over a copy of bytes.
inline CFileU Over(const Bytes& bytes) {
  static std::list<Bytes> keep;  // fmemopen reads from the buffer itself
  keep.push_back(bytes.empty() ? Bytes{0} : bytes);
  return CFileU(fmemopen(keep.back().data(), bytes.size(), "rb"));
}

struct MidiResult {
  MidiError error;
  std::vector<ChannelMelody> melodies;
};

inline MidiResult ReadMidi(const Bytes& bytes) {
  ChannelCollector collector;
  MidiReader reader(collector);
  CFileU file = Over(bytes);
  MidiError error = reader.Read(file);
  return {error, collector.Melodies()};
}

}  // namespace nvtest
