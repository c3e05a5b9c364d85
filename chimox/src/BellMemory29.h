// The version 2.9 memory: 16, 32 or 64 KByte on select 0xA0/0xA1, two
// address bytes (high first), 64-byte write pages, found by probing.
//
// 0x0000 header byte, 0x0001 selection mode (0 sequential, 1 manual,
// 2 random), 0x0002 current melody pointer (14 + 2n, big-endian), 0x0004
// last-entry pointer (14 + 2 * count; below 16 an empty set), 0x0010-0x080F
// directory (1024 big-endian entries: the start address of melody k + 1;
// entry 0 is 0x0810; entries rise strictly), 0x0810 on: two bytes per
// symbol, the note byte and a flag byte (bit 0 rest, bit 1 dot); the
// terminator is 7, 0.
//
// Worker procedures return BELL_ERR_NONE, BELL_ERR_TRANSFER,
// BELL_ERR_REFUSED or BELL_ERR_CANCELLED and report their progress points
// below 100 (the caller reports the end). Bytes already written stay written
// when one fails.
#pragma once

#include <cstdio>

#include "BusPort.h"
#include "MemoryBus.h"
#include "Progress.h"
#include "chimox/Chimox.h"

namespace chimox {

class BellMemory29 {
 public:
  static constexpr LONG kMaxMelodies = 1024;
  static constexpr DWORD kNoteArea = 0x0810;

  explicit BellMemory29(BusPort& port) : bus_(port, 2) {}

  // 1 (16 KByte), 2 (32 KByte) or 3 (64 KByte); 0 when a device answers the
  // version 2.0 block-1 select or a transfer fails. The probed cell 0x1000 is
  // given its byte back.
  int ProbeSize();
  // Bytes of a probed size (0 for 0).
  static DWORD MemorySize(int sizeCode);

  // Probes the size and fills every field of info; content that does not
  // hold together reads as an empty set. Progress 10, 60.
  int ReadStatus(BellInfo& info, Progress& progress);
  // Appends the melody at info.usedSymbols; refused when it does not fit
  // with its terminator or with 1024 melodies stored. With defer the stored
  // count stays as it was. Progress 90.
  int AppendMelody(IMelody* melody, BellInfo& info, bool defer, Progress& progress);
  // Appends melody number n's notes to melody; refused when n is above
  // info.melodyCount. Progress 90.
  int ReadMelody(IMelody* melody, LONG n, const BellInfo& info, Progress& progress);

  // Each returns false when a transfer failed.
  bool Clear(BellInfo& info);
  bool SetCurrentMelody(const BellInfo& info);
  bool SetSelectionMode(BellInfo& info);
  // Reads the memory (size bytes, a multiple of 1024) KByte by KByte into
  // buffer and writes it as text; false when a transfer or the file failed.
  bool Dump(std::FILE* file, BYTE* buffer, DWORD size);

 private:
  static constexpr BYTE kSelect = 0xA0;
  static constexpr size_t kPage = 64;

  bool WriteWord(DWORD address, DWORD value);
  bool WriteMode(BellInfo& info);
  bool ReadByteAt(DWORD address, BYTE* value) { return bus_.ReadAt(kSelect, address, value, 1); }

  MemoryBus bus_;
};

}  // namespace chimox
