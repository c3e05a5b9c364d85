// The version 2.9 memory: 16, 32 or 64 KByte on select 0xA0/0xA1, two
// address bytes (high first), 64-byte write pages, found by probing.
//
// Memory map (words big-endian):
//   kHeaderByte    0x0000  header byte
//   kMode          0x0001  selection mode (0 sequential, 1 manual, 2 random)
//   kCurrentEntry  0x0002  current melody pointer: the entry of melody n, 14 + 2n
//   kLastEntry     0x0004  last-entry pointer: 14 + 2 * count; below 16 an empty set
//   0x0006-0x000F          not used (kProbeCell is one of them)
//   kDirectory     0x0010  1024 entries: Entry(k) holds the start of melody k + 1;
//                          entry 0 is kNoteArea; entries rise strictly
//   kNoteArea      0x0810  two bytes per symbol, the note byte and a flag byte
//                          (bit 0 rest, bit 1 dot); the terminator is 7, 0
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

// What the size probe learnt of one device by writing, kept by its owner so
// that the write is not repeated.
struct MemorySizes {
  int written = 0;  // size code found by writing; 0 before
};

class BellMemory29 {
 public:
  static constexpr LONG kMaxMelodies = 1024;
  static constexpr DWORD kHeaderByte = 0x0000;
  static constexpr DWORD kMode = 0x0001;
  static constexpr DWORD kCurrentEntry = 0x0002;
  static constexpr DWORD kLastEntry = 0x0004;
  static constexpr DWORD kProbeCell = 0x000F;
  static constexpr DWORD kDirectory = 0x0010;
  static constexpr DWORD kNoteArea = 0x0810;
  static constexpr DWORD kHeaderSize = 16;

  // The directory entry of melody number n (1-based) and the pointer value
  // that names it.
  static constexpr DWORD Entry(LONG n) { return kDirectory + 2 * static_cast<DWORD>(n - 1); }
  // The note area position of symbol i.
  static constexpr DWORD Symbol(LONG i) { return kNoteArea + 2 * static_cast<DWORD>(i); }

  // sizes may be null (nothing kept between calls).
  explicit BellMemory29(BusPort& port, MemorySizes* sizes = nullptr) : bus_(port, 2), sizes_(sizes) {}
  BellMemory29(BusPort& port, MemorySizes& sizes) : BellMemory29(port, &sizes) {}

  // 1 (16 KByte), 2 (32 KByte) or 3 (64 KByte); 0 when a device answers the
  // version 2.0 block-1 select or a transfer fails. Compares the memory at
  // 0x0000, 0x4000 and 0x8000, which are one cell where the memory is
  // smaller; only when all three read the same (a 16 KByte memory, or a new
  // one) does it write, once per device: a marker into kProbeCell, which
  // nothing uses, and then the cell's byte back.
  int ProbeSize();
  // Bytes of a probed size (0 for 0).
  static DWORD MemorySize(int sizeCode);

  // Probes the size and fills every field of info; changes nothing in the
  // memory but kProbeCell. A new, cleared or foreign memory reads as an
  // empty set; a header that names melodies the directory cannot hold is
  // BELL_ERR_DAMAGED, with no free space in info so that nothing is
  // appended over the stored melodies. Progress 10, 60.
  int ReadStatus(BellInfo& info, Progress& progress);
  // Appends the melody at info.usedSymbols; refused when it does not fit
  // with its terminator or with 1024 melodies stored. With defer the stored
  // count stays as it was. A current melody the stored set cannot have is
  // not written (melody 1 is, when the stored one is not valid either).
  // Writes notes, directory entry, last-entry pointer, then current melody
  // and mode (the current melody before the pointer where only that order
  // keeps it valid). Progress 90.
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
  // The size code by a marker in kProbeCell; 0 when a transfer failed.
  int ProbeByWriting();

  MemoryBus bus_;
  MemorySizes* sizes_;
  BYTE header_[kHeaderSize] = {};  // read by the last probe
};

}  // namespace chimox
