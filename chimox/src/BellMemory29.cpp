#include "BellMemory29.h"

#include <algorithm>
#include <vector>

#include "DumpText.h"
#include "MelodyNotes.h"

namespace chimox {

namespace {

constexpr DWORD kProbeCells[3] = {0x1000, 0x5000, 0x9000};

DWORD Word(const BYTE* bytes) {
  return static_cast<DWORD>(bytes[0]) << 8 | bytes[1];
}

BYTE FlagByte(SHORT flags) {
  return static_cast<BYTE>(((flags & FLAG_REST) ? 1 : 0) | ((flags & FLAG_DOT) ? 2 : 0));
}

SHORT FlagsOf(BYTE flagByte) {
  return static_cast<SHORT>(((flagByte & 1) ? FLAG_REST : 0) | ((flagByte & 2) ? FLAG_DOT : 0));
}

int DecodeMode(BYTE stored) {
  return stored <= 2 ? stored + 1 : stored;
}

}  // namespace

DWORD BellMemory29::MemorySize(int sizeCode) {
  switch (sizeCode) {
    case 1:
      return 16384;
    case 2:
      return 32768;
    case 3:
      return 65536;
    default:
      return 0;
  }
}

int BellMemory29::ProbeSize() {
  bus_.Pause(MemoryBus::kPagePauseMilliseconds);
  BYTE ignored = 0;
  if (bus_.Read(0xA3, &ignored, 1)) return 0;  // a version 2.0 memory answers its block 1

  BYTE before[3];
  for (int i = 0; i < 3; ++i) {
    if (!ReadByteAt(kProbeCells[i], &before[i])) return 0;
  }
  BYTE marker = 0;
  while (marker == before[0] || marker == before[1] || marker == before[2]) ++marker;

  // Wherever the marker reappears, the address wrapped onto the probed cell.
  // The cell gets its byte back whatever happens after the marker went out.
  BYTE after[3];
  bool ok = bus_.WriteOnce(kSelect, kProbeCells[0], &marker, 1);
  if (ok) {
    bus_.Pause(MemoryBus::kPagePauseMilliseconds);
    for (int i = 0; i < 3 && ok; ++i) ok = ReadByteAt(kProbeCells[i], &after[i]);
  }
  if (!bus_.WriteOnce(kSelect, kProbeCells[0], &before[0], 1) || !ok) return 0;
  if (after[0] != after[2]) return 3;
  return after[0] == after[1] ? 1 : 2;
}

int BellMemory29::ReadStatus(BellInfo& info, Progress& progress) {
  const DWORD size = MemorySize(ProbeSize());
  if (size == 0) return BELL_ERR_TRANSFER;
  BYTE header[16];
  if (!bus_.ReadAt(kSelect, 0, header, sizeof header)) return BELL_ERR_TRANSFER;
  if (!progress.Reached(10)) return BELL_ERR_CANCELLED;

  info.capacity = static_cast<LONG>((size - kNoteArea) / 2);
  info.selectionMode = static_cast<BYTE>(header[1] <= 2 ? header[1] + 1 : BELL_MODE_UNKNOWN);
  info.headerByte = header[0];
  info.melodyCount = 0;
  info.usedSymbols = 0;
  info.currentMelody = 0;

  // Anything that does not hold together leaves the set empty: a new or
  // foreign memory shows as an empty device.
  const DWORD last = Word(header + 4);
  const DWORD current = Word(header + 2);
  if (last < 16 || current < 16) return BELL_ERR_NONE;
  const LONG count = static_cast<LONG>((last - 16) / 2 + 1);
  const LONG currentMelody = static_cast<LONG>((current - 16) / 2 + 1);
  if (count > kMaxMelodies || currentMelody > count) return BELL_ERR_NONE;

  std::vector<BYTE> directory(2048);
  if (!bus_.ReadAt(kSelect, 0x0010, directory.data(), 2048)) return BELL_ERR_TRANSFER;
  if (!progress.Reached(60)) return BELL_ERR_CANCELLED;

  if (Word(directory.data()) != kNoteArea) return BELL_ERR_NONE;
  for (LONG k = 1; k < count; ++k) {
    if (Word(&directory[2 * k]) <= Word(&directory[2 * (k - 1)])) return BELL_ERR_NONE;
  }
  const DWORD start = Word(&directory[2 * (count - 1)]);
  if (start >= size) return BELL_ERR_NONE;

  // The last melody ends at the first symbol whose note byte is a terminator.
  if (!bus_.SetAddress(kSelect, start)) return BELL_ERR_TRANSFER;
  for (DWORD address = start; address < size;) {
    BYTE chunk[60];
    const DWORD length = std::min<DWORD>(sizeof chunk, size - address);
    if (!bus_.Read(kSelect | 1, chunk, length)) return BELL_ERR_TRANSFER;
    for (DWORD i = (address - start) % 2; i < length; i += 2) {
      if (chunk[i] == kTerminator) {
        info.melodyCount = count;
        info.currentMelody = currentMelody;
        info.usedSymbols = static_cast<LONG>((start - kNoteArea) / 2 + (address + i - start) / 2 + 1);
        return BELL_ERR_NONE;
      }
    }
    address += length;
  }
  return BELL_ERR_NONE;
}

int BellMemory29::AppendMelody(IMelody* melody, BellInfo& info, bool defer, Progress& progress) {
  std::vector<NoteValues> notes;
  if (!ReadMelodyNotes(melody, &notes)) return BELL_ERR_REFUSED;
  const LONG count = static_cast<LONG>(notes.size());
  const LONG used = info.usedSymbols;
  if (used < 0 || info.capacity - used < count + 1 || info.melodyCount < 0 || info.melodyCount >= kMaxMelodies) {
    return BELL_ERR_REFUSED;
  }

  std::vector<BYTE> bytes;
  bytes.reserve(2 * notes.size() + 2);
  for (const NoteValues& note : notes) {
    bytes.push_back(NoteByte(note));
    bytes.push_back(FlagByte(note.flags));
  }
  bytes.push_back(kTerminator);
  bytes.push_back(0);
  const DWORD start = kNoteArea + 2 * static_cast<DWORD>(used);
  if (!bus_.WriteAt(kSelect, start, bytes.data(), bytes.size(), kPage)) return BELL_ERR_TRANSFER;
  if (!progress.Reached(90)) return BELL_ERR_CANCELLED;

  BYTE header[16];
  if (!bus_.ReadAt(kSelect, 0, header, sizeof header)) return BELL_ERR_TRANSFER;
  const LONG storedCurrent = (static_cast<LONG>(Word(header + 2)) - 16) / 2 + 1;
  if (storedCurrent != info.currentMelody && !WriteWord(0x0002, static_cast<DWORD>(14 + 2 * info.currentMelody))) {
    return BELL_ERR_TRANSFER;
  }
  if (DecodeMode(header[1]) != info.selectionMode && !WriteMode(info)) return BELL_ERR_TRANSFER;
  // Deferred appends stay invisible to the bell until a later append names
  // the last entry.
  if (!defer && !WriteWord(0x0004, static_cast<DWORD>(16 + 2 * info.melodyCount))) return BELL_ERR_TRANSFER;
  if (!WriteWord(0x0010 + 2 * static_cast<DWORD>(info.melodyCount), start)) return BELL_ERR_TRANSFER;
  info.melodyCount += 1;
  info.usedSymbols += count + 1;
  return BELL_ERR_NONE;
}

int BellMemory29::ReadMelody(IMelody* melody, LONG n, const BellInfo& info, Progress& progress) {
  if (n < 1 || info.melodyCount < n) return BELL_ERR_REFUSED;
  BYTE entry[2];
  if (!bus_.ReadAt(kSelect, static_cast<DWORD>(14 + 2 * n), entry, 2)) return BELL_ERR_TRANSFER;
  const DWORD start = Word(entry);

  // At most capacity notes, and none beyond the top of the memory (reading on
  // would wrap round to the header).
  const DWORD top =
      info.capacity > 0 && info.capacity <= 31736 ? kNoteArea + 2 * static_cast<DWORD>(info.capacity) : 0x10000;
  const DWORD limit =
      std::min<DWORD>(static_cast<DWORD>(std::max<LONG>(info.capacity, 0)), start < top ? (top - start) / 2 : 0);
  std::vector<NoteValues> notes;
  if (limit > 0 && !bus_.SetAddress(kSelect, start)) return BELL_ERR_TRANSFER;
  bool ended = false;
  while (!ended && notes.size() < limit) {
    BYTE chunk[32];
    const DWORD symbols = std::min<DWORD>(16, limit - static_cast<DWORD>(notes.size()));
    if (!bus_.Read(kSelect | 1, chunk, 2 * symbols)) return BELL_ERR_TRANSFER;
    for (DWORD i = 0; i < symbols && !ended; ++i) {
      ended = chunk[2 * i] == kTerminator;
      if (!ended) notes.push_back(FromNoteByte(chunk[2 * i], FlagsOf(chunk[2 * i + 1])));
    }
  }
  if (!progress.Reached(90)) return BELL_ERR_CANCELLED;
  return InsertMelodyNotes(melody, notes) ? BELL_ERR_NONE : BELL_ERR_REFUSED;
}

bool BellMemory29::WriteWord(DWORD address, DWORD value) {
  const BYTE bytes[2] = {static_cast<BYTE>(value >> 8), static_cast<BYTE>(value)};
  return bus_.WriteAt(kSelect, address, bytes, 2, kPage);
}

bool BellMemory29::WriteMode(BellInfo& info) {
  BYTE stored = 2;
  if (info.selectionMode == BELL_MODE_MANUAL) {
    stored = 1;
  } else if (info.selectionMode == BELL_MODE_SEQUENTIAL) {
    stored = 0;
  }
  if (!bus_.WriteAt(kSelect, 0x0001, &stored, 1, kPage)) return false;
  if (stored == 2) info.selectionMode = BELL_MODE_RANDOM;
  return true;
}

bool BellMemory29::Clear(BellInfo& info) {
  if (!WriteWord(0x0004, 0)) return false;
  info.melodyCount = 0;
  info.usedSymbols = 0;
  return true;
}

bool BellMemory29::SetCurrentMelody(const BellInfo& info) {
  return WriteWord(0x0002, static_cast<DWORD>(14 + 2 * info.currentMelody));
}

bool BellMemory29::SetSelectionMode(BellInfo& info) {
  return WriteMode(info);
}

bool BellMemory29::Dump(std::FILE* file, BYTE* buffer, DWORD size) {
  if (!WriteDumpText(file, "\r\nCBell_v2_9: DUMP MEMORY\r\n")) return false;
  for (DWORD i = 0; i < size / 1024; ++i) {
    char title[32];
    std::snprintf(title, sizeof title, "\r\n\t%u KByte\r\n", i + 1);
    BYTE* kbyte = buffer + i * 1024;
    if (!WriteDumpText(file, title) || !bus_.ReadAt(kSelect, i * 1024, kbyte, 1024) ||
        !WriteDumpBytes(file, kbyte, 1024, i * 1024) || !WriteDumpText(file, "\r\n")) {
      return false;
    }
  }
  return true;
}

}  // namespace chimox
