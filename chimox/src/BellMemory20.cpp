#include "BellMemory20.h"

#include <algorithm>
#include <vector>

#include "DumpText.h"
#include "MelodyNotes.h"

namespace chimox {

namespace {

// The number of melodies a directory describes: 0 for a directory that is
// not ours (its first entry is not 0), -1 for one that starts as ours and
// then does not hold together.
LONG CountMelodies(const BYTE* directory) {
  if (directory[0] != 0) return 0;
  for (LONG k = 1; k < 112; ++k) {
    if (directory[k] == BellMemory20::kEndMarker) return k;
    if (k == BellMemory20::kMaxMelodies || directory[k] <= directory[k - 1]) return -1;
  }
  return -1;
}

}  // namespace

int BellMemory20::ReadStatus(BellInfo& info, Progress& progress) {
  BYTE header[16];
  if (!bus_.ReadAt(kBlock1, kCurrentMelody, header, sizeof header)) return BELL_ERR_TRANSFER;
  info.currentMelody = header[kCurrentMelody] - 15;
  info.selectionMode = header[kMode] == 0   ? BELL_MODE_SEQUENTIAL
                       : header[kMode] == 1 ? BELL_MODE_MANUAL
                                            : BELL_MODE_UNKNOWN;
  info.headerByte = header[kHeaderByte];
  if (!progress.Reached(10)) return BELL_ERR_CANCELLED;

  BYTE directory[112];
  if (!bus_.ReadAt(kBlock1, kDirectory, directory, sizeof directory)) return BELL_ERR_TRANSFER;
  if (!progress.Reached(60)) return BELL_ERR_CANCELLED;

  info.capacity = kCapacity;
  info.melodyCount = 0;
  info.usedSymbols = 0;
  // The stored melodies must not be written over: no free space.
  auto damaged = [&] {
    info.melodyCount = 0;
    info.usedSymbols = kCapacity;
    return BELL_ERR_DAMAGED;
  };
  const LONG count = CountMelodies(directory);
  if (count < 0) return damaged();
  if (count == 0) return BELL_ERR_NONE;
  info.melodyCount = count;

  // The last melody ends at the first terminator after its start.
  const DWORD start = directory[info.melodyCount - 1];
  if (!bus_.SetAddress(kBlock0, start)) return BELL_ERR_TRANSFER;
  for (DWORD address = start; address < 256;) {
    BYTE chunk[30];
    const DWORD count = std::min<DWORD>(sizeof chunk, 256 - address);
    if (!bus_.Read(kBlock0 | 1, chunk, count)) return BELL_ERR_TRANSFER;
    const BYTE* end = std::find(chunk, chunk + count, kTerminator);
    if (end != chunk + count) {
      info.usedSymbols = static_cast<LONG>(address + (end - chunk) + 1);
      return BELL_ERR_NONE;
    }
    address += count;
  }
  return damaged();
}

int BellMemory20::AppendMelody(IMelody* melody, BellInfo& info, Progress& progress) {
  std::vector<NoteValues> notes;
  if (!ReadMelodyNotes(melody, &notes)) return BELL_ERR_REFUSED;
  const LONG count = static_cast<LONG>(notes.size());
  const LONG used = info.usedSymbols;
  const LONG stored = info.melodyCount;
  if (info.capacity != kCapacity || used < 0 || used >= kEndMarker || kCapacity - used < count + 1 || stored < 0 ||
      stored >= kMaxMelodies) {
    return BELL_ERR_REFUSED;
  }

  std::vector<BYTE> bytes;
  bytes.reserve(notes.size() + 1);
  for (const NoteValues& note : notes) bytes.push_back(NoteByte(note));
  bytes.push_back(kTerminator);
  if (!bus_.WriteAt(kBlock0, static_cast<DWORD>(used), bytes.data(), bytes.size(), kPage)) return BELL_ERR_TRANSFER;
  if (!progress.Reached(50)) return BELL_ERR_CANCELLED;

  if (count > 0) {
    // A melody starting at an odd address shares its first flag byte with the
    // previous terminator, whose (high) nibble is 0.
    BYTE nibbles[128] = {};
    for (LONG i = 0; i < count; ++i) {
      const LONG p = used + i;
      const BYTE flags = static_cast<BYTE>(notes[static_cast<size_t>(i)].flags & 0x0F);
      nibbles[p / 2 - used / 2] |= p % 2 == 0 ? static_cast<BYTE>(flags << 4) : flags;
    }
    const size_t touched = static_cast<size_t>((used + count - 1) / 2 - used / 2 + 1);
    if (!bus_.WriteAt(kBlock1, kFlags + static_cast<DWORD>(used / 2), nibbles, touched, kPage)) {
      return BELL_ERR_TRANSFER;
    }
  }
  if (!progress.Reached(90)) return BELL_ERR_CANCELLED;

  // The new end marker lies beyond the old one, so writing it changes
  // nothing; the entry then takes the old marker's place, and the set
  // grows by the new melody in that one write.
  if (!WriteBlock1(Entry(stored + 2), kEndMarker) || !WriteBlock1(Entry(stored + 1), static_cast<BYTE>(used))) {
    return BELL_ERR_TRANSFER;
  }

  BYTE header[16];
  if (!bus_.ReadAt(kBlock1, kCurrentMelody, header, sizeof header)) return BELL_ERR_TRANSFER;
  if (header[kCurrentMelody] - 15 != info.currentMelody &&
      !WriteBlock1(kCurrentMelody, static_cast<BYTE>(Entry(info.currentMelody)))) {
    return BELL_ERR_TRANSFER;
  }
  const int storedMode = header[kMode] == 0 ? BELL_MODE_SEQUENTIAL : header[kMode] == 1 ? BELL_MODE_MANUAL : header[kMode];
  if (storedMode != info.selectionMode && !WriteMode(info)) return BELL_ERR_TRANSFER;
  info.melodyCount += 1;
  info.usedSymbols += count + 1;
  return BELL_ERR_NONE;
}

int BellMemory20::ReadMelody(IMelody* melody, LONG n, const BellInfo& info, Progress& progress) {
  if (n < 1 || info.melodyCount < n) return BELL_ERR_REFUSED;
  BYTE start = 0;
  if (!bus_.ReadAt(kBlock1, Entry(n), &start, 1)) return BELL_ERR_TRANSFER;

  // Notes lie in block 0 only: reading stops at its end even without a terminator.
  std::vector<BYTE> bytes;
  if (!bus_.SetAddress(kBlock0, start)) return BELL_ERR_TRANSFER;
  for (DWORD address = start; address < 256;) {
    BYTE chunk[16];
    const DWORD count = std::min<DWORD>(sizeof chunk, 256 - address);
    if (!bus_.Read(kBlock0 | 1, chunk, count)) return BELL_ERR_TRANSFER;
    const BYTE* end = std::find(chunk, chunk + count, kTerminator);
    bytes.insert(bytes.end(), static_cast<const BYTE*>(chunk), end);
    if (end != chunk + count) break;
    address += count;
  }
  const size_t k = bytes.size();
  if (!progress.Reached(50)) return BELL_ERR_CANCELLED;

  // An empty melody has no flags to read.
  std::vector<BYTE> flagBytes;
  if (k > 0) {
    flagBytes.resize(k / 2 + ((start % 2 != 0 || k % 2 != 0) ? 1 : 0));
    if (!bus_.ReadAt(kBlock1, kFlags + start / 2u, flagBytes.data(), static_cast<DWORD>(flagBytes.size()))) {
      return BELL_ERR_TRANSFER;
    }
  }
  std::vector<NoteValues> notes;
  notes.reserve(k);
  for (size_t i = 0; i < k; ++i) {
    const size_t p = start + i;
    const BYTE packed = flagBytes[p / 2 - start / 2];
    const SHORT flags = static_cast<SHORT>(p % 2 == 0 ? packed >> 4 : packed & 0x0F);
    notes.push_back(FromNoteByte(bytes[i], flags));
  }
  return InsertMelodyNotes(melody, notes) ? BELL_ERR_NONE : BELL_ERR_REFUSED;
}

bool BellMemory20::Clear(BellInfo& info) {
  if (!WriteBlock1(kDirectory, kEndMarker)) return false;
  info.melodyCount = 0;
  info.usedSymbols = 0;
  return true;
}

bool BellMemory20::SetCurrentMelody(const BellInfo& info) {
  return WriteBlock1(kCurrentMelody, static_cast<BYTE>(Entry(info.currentMelody)));
}

bool BellMemory20::WriteMode(BellInfo& info) {
  if (info.selectionMode == BELL_MODE_MANUAL) return WriteBlock1(kMode, 1);
  if (!WriteBlock1(kMode, 0)) return false;
  info.selectionMode = BELL_MODE_SEQUENTIAL;
  return true;
}

bool BellMemory20::SetSelectionMode(BellInfo& info) {
  return WriteMode(info);
}

bool BellMemory20::Dump(std::FILE* file) {
  BYTE block[256];
  return WriteDumpText(file, "\r\nCBell_v2_0: DUMP 1Page\r\n") && bus_.ReadAt(kBlock0, 0, block, sizeof block) &&
         WriteDumpBytes(file, block, sizeof block, 0) && WriteDumpText(file, "\r\n") &&
         WriteDumpText(file, "\r\nCBell_v2_0: DUMP 2Page\r\n") && bus_.ReadAt(kBlock1, 0, block, sizeof block) &&
         WriteDumpBytes(file, block, sizeof block, 0) && WriteDumpText(file, "\r\n\r\n");
}

}  // namespace chimox
