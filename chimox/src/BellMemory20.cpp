#include "BellMemory20.h"

#include <algorithm>
#include <vector>

#include "DumpText.h"
#include "MelodyNotes.h"

namespace chimox {

namespace {

// The number of melodies a directory describes, 0 when it is invalid.
LONG CountMelodies(const BYTE* directory) {
  if (directory[0] != 0) return 0;
  for (LONG k = 1; k < 112; ++k) {
    if (directory[k] == 0xFF) return k;
    if (k == BellMemory20::kMaxMelodies || directory[k] <= directory[k - 1]) return 0;
  }
  return 0;
}

}  // namespace

int BellMemory20::ReadStatus(BellInfo& info, Progress& progress) {
  BYTE header[16];
  if (!bus_.ReadAt(kBlock1, 0, header, sizeof header)) return BELL_ERR_TRANSFER;
  info.currentMelody = header[0] - 15;
  info.selectionMode = header[1] == 0 ? BELL_MODE_SEQUENTIAL : header[1] == 1 ? BELL_MODE_MANUAL : BELL_MODE_UNKNOWN;
  info.headerByte = header[2];
  if (!progress.Reached(10)) return BELL_ERR_CANCELLED;

  BYTE directory[112];
  if (!bus_.ReadAt(kBlock1, 0x10, directory, sizeof directory)) return BELL_ERR_TRANSFER;
  if (!progress.Reached(60)) return BELL_ERR_CANCELLED;

  info.capacity = kCapacity;
  info.melodyCount = CountMelodies(directory);
  info.usedSymbols = 0;
  if (info.melodyCount == 0) return BELL_ERR_NONE;

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
  info.melodyCount = 0;
  return BELL_ERR_NONE;
}

int BellMemory20::AppendMelody(IMelody* melody, BellInfo& info, Progress& progress) {
  std::vector<NoteValues> notes;
  if (!ReadMelodyNotes(melody, &notes)) return BELL_ERR_REFUSED;
  const LONG count = static_cast<LONG>(notes.size());
  const LONG used = info.usedSymbols;
  if (info.capacity != kCapacity || used < 0 || kCapacity - used < count + 1 || info.melodyCount < 0 ||
      info.melodyCount >= kMaxMelodies) {
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
    if (!bus_.WriteAt(kBlock1, static_cast<DWORD>(0x80 + used / 2), nibbles, touched, kPage)) {
      return BELL_ERR_TRANSFER;
    }
  }
  if (!progress.Reached(90)) return BELL_ERR_CANCELLED;

  BYTE header[16];
  if (!bus_.ReadAt(kBlock1, 0, header, sizeof header)) return BELL_ERR_TRANSFER;
  if (header[0] - 15 != info.currentMelody && !WriteBlock1(0, static_cast<BYTE>(info.currentMelody + 15))) {
    return BELL_ERR_TRANSFER;
  }
  const int storedMode = header[1] == 0 ? BELL_MODE_SEQUENTIAL : header[1] == 1 ? BELL_MODE_MANUAL : header[1];
  if (storedMode != info.selectionMode && !WriteMode(info)) return BELL_ERR_TRANSFER;

  const BYTE entry[2] = {static_cast<BYTE>(used), 0xFF};  // the new entry and the end marker
  if (!bus_.WriteAt(kBlock1, static_cast<DWORD>(0x10 + info.melodyCount), entry, 2, kPage)) {
    return BELL_ERR_TRANSFER;
  }
  info.melodyCount += 1;
  info.usedSymbols += count + 1;
  return BELL_ERR_NONE;
}

int BellMemory20::ReadMelody(IMelody* melody, LONG n, const BellInfo& info, Progress& progress) {
  if (n < 1 || info.melodyCount < n) return BELL_ERR_REFUSED;
  BYTE start = 0;
  if (!bus_.ReadAt(kBlock1, static_cast<DWORD>(15 + n), &start, 1)) return BELL_ERR_TRANSFER;

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
    if (!bus_.ReadAt(kBlock1, 0x80 + start / 2u, flagBytes.data(), static_cast<DWORD>(flagBytes.size()))) {
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
  if (!WriteBlock1(0x10, 0xFF)) return false;
  info.melodyCount = 0;
  info.usedSymbols = 0;
  return true;
}

bool BellMemory20::SetCurrentMelody(const BellInfo& info) {
  return WriteBlock1(0, static_cast<BYTE>(info.currentMelody + 15));
}

bool BellMemory20::WriteMode(BellInfo& info) {
  if (info.selectionMode == BELL_MODE_MANUAL) return WriteBlock1(1, 1);
  if (!WriteBlock1(1, 0)) return false;
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
