// The version 2.0 memory: two 256-byte blocks on selects 0xA0/0xA1 (block 0,
// the note bytes of all melodies back to back, each ended by 7) and
// 0xA2/0xA3 (block 1), one address byte, 8-byte write pages.
//
// Block 1:
//   kCurrentMelody  0x00       current melody pointer: 15 + n, the entry of melody n
//   kMode           0x01       selection mode (0 sequential, 1 manual)
//   kHeaderByte     0x02       header byte
//   kDirectory      0x10-0x7F  Entry(n) holds the block-0 start of melody n;
//                              entry 1 is 0; entries rise strictly; kEndMarker
//                              after the last
//   kFlags          0x80-0xFF  flag nibbles: the note at block-0 address p in
//                              byte kFlags + p / 2, high nibble for even p,
//                              low for odd
//
// Worker procedures return BELL_ERR_NONE, BELL_ERR_TRANSFER,
// BELL_ERR_REFUSED, BELL_ERR_CANCELLED or BELL_ERR_DAMAGED and report their
// progress points below 100 (the caller reports the end). Every write is
// ordered so that the memory holds a readable set after each one: the old
// set, or the old set and the new melody.
#pragma once

#include <cstdio>

#include "BusPort.h"
#include "MemoryBus.h"
#include "Progress.h"
#include "chimox/Chimox.h"

namespace chimox {

class BellMemory20 {
 public:
  static constexpr LONG kCapacity = 256;
  static constexpr LONG kMaxMelodies = 111;
  static constexpr DWORD kCurrentMelody = 0x00;
  static constexpr DWORD kMode = 0x01;
  static constexpr DWORD kHeaderByte = 0x02;
  static constexpr DWORD kDirectory = 0x10;
  static constexpr DWORD kFlags = 0x80;
  static constexpr BYTE kEndMarker = 0xFF;

  // The block-1 address of melody n's directory entry (1-based), also the
  // current melody pointer that names it.
  static constexpr DWORD Entry(LONG n) { return kDirectory + static_cast<DWORD>(n - 1); }

  explicit BellMemory20(BusPort& port) : bus_(port, 1) {}

  // Fills every field of info. A new, cleared or foreign memory reads as an
  // empty set; a directory that starts as ours and then does not hold
  // together is BELL_ERR_DAMAGED, with no free space in info so that
  // nothing is appended over the stored melodies. Progress 10, 60.
  int ReadStatus(BellInfo& info, Progress& progress);
  // Appends the melody at info.usedSymbols; refused when info.capacity is not
  // 256, when it does not fit with its terminator, with 111 melodies stored,
  // or at address 255 (a start there reads as the end marker). Writes notes,
  // flags, the new end marker, the entry, then current melody and mode.
  // Progress 50, 90.
  int AppendMelody(IMelody* melody, BellInfo& info, Progress& progress);
  // Appends melody number n's notes to melody; refused when n is above
  // info.melodyCount. Progress 50.
  int ReadMelody(IMelody* melody, LONG n, const BellInfo& info, Progress& progress);

  // Each returns false when a transfer failed.
  bool Clear(BellInfo& info);
  bool SetCurrentMelody(const BellInfo& info);
  bool SetSelectionMode(BellInfo& info);
  // Writes both blocks as text; false when a transfer or the file failed.
  bool Dump(std::FILE* file);

 private:
  static constexpr BYTE kBlock0 = 0xA0;
  static constexpr BYTE kBlock1 = 0xA2;
  static constexpr size_t kPage = 8;

  bool WriteBlock1(DWORD address, BYTE value) { return bus_.WriteAt(kBlock1, address, &value, 1, kPage); }
  bool WriteMode(BellInfo& info);

  MemoryBus bus_;
};

}  // namespace chimox
