#include "BellMemory29.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "DumpText.h"
#include "MelodyNotes.h"

namespace chimox {

namespace {

// Where a smaller memory wraps round onto address 0: 0x4000 is 0x0000 on
// 16 KByte, 0x8000 on 16 and 32 KByte.
constexpr DWORD kMirror16 = 0x4000;
constexpr DWORD kMirror32 = 0x8000;

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

// The melody number a pointer to a directory entry names; 0 for none.
LONG MelodyOf(DWORD pointer) {
  return pointer < 16 ? 0 : static_cast<LONG>(pointer - 16) / 2 + 1;
}

// The count the header's last-entry pointer names; 0 for an empty set and
// for a pointer no set can have (a new memory reads 0xFFFF).
LONG VisibleCount(const BYTE* header) {
  const DWORD last = Word(header + BellMemory29::kLastEntry);
  if (last < 16) return 0;
  const LONG count = MelodyOf(last);
  return count > BellMemory29::kMaxMelodies ? 0 : count;
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
  // A version 2.0 memory answers its block 1; a version 2.9 one never does,
  // so it is asked once instead of for the select deadline.
  if (bus_.Answers(0xA3)) return 0;

  BYTE at16[kHeaderSize];
  BYTE at32[kHeaderSize];
  if (!bus_.ReadAt(kSelect, kHeaderByte, header_, kHeaderSize) ||
      !bus_.ReadAt(kSelect, kMirror16, at16, kHeaderSize) || !bus_.ReadAt(kSelect, kMirror32, at32, kHeaderSize)) {
    return 0;
  }
  // Different bytes are different cells.
  if (std::memcmp(header_, at32, kHeaderSize) != 0) return 3;
  if (std::memcmp(header_, at16, kHeaderSize) != 0) return 2;
  // One cell, or a larger memory holding the same bytes there (a new one).
  // A size once found as 16 KByte is kept: should the device have been
  // changed for a larger one, it is only under-used.
  if (sizes_ && sizes_->written == 1) return 1;
  const int code = ProbeByWriting();
  if (sizes_) sizes_->written = code;
  return code;
}

int BellMemory29::ProbeByWriting() {
  // The three places hold the same byte; the marker is any other value.
  const BYTE before = header_[kProbeCell];
  const BYTE marker = static_cast<BYTE>(before ^ 0xFF);
  BYTE at16 = 0;
  BYTE at32 = 0;
  bool ok = bus_.WriteOnce(kSelect, kProbeCell, &marker, 1);
  if (ok) {
    bus_.Pause(MemoryBus::kPagePauseMilliseconds);
    ok = ReadByteAt(kMirror16 + kProbeCell, &at16) && ReadByteAt(kMirror32 + kProbeCell, &at32);
  }
  // The cell gets its byte back whatever happened after the marker went out.
  bus_.Pause(MemoryBus::kPagePauseMilliseconds);
  if (!bus_.WriteOnce(kSelect, kProbeCell, &before, 1) || !ok) return 0;
  if (at32 != marker) return 3;
  return at16 == marker ? 1 : 2;
}

int BellMemory29::ReadStatus(BellInfo& info, Progress& progress) {
  const DWORD size = MemorySize(ProbeSize());
  if (size == 0) return BELL_ERR_TRANSFER;
  const BYTE* header = header_;
  if (!progress.Reached(10)) return BELL_ERR_CANCELLED;

  info.capacity = static_cast<LONG>((size - kNoteArea) / 2);
  info.selectionMode = static_cast<BYTE>(header[kMode] <= 2 ? header[kMode] + 1 : BELL_MODE_UNKNOWN);
  info.headerByte = header[kHeaderByte];
  info.melodyCount = 0;
  info.usedSymbols = 0;
  info.currentMelody = 0;

  // A new, cleared or foreign memory shows as an empty device.
  // Only the entries the header names are read: there is nothing else to
  // check in them.
  const LONG count = VisibleCount(header);
  if (count == 0) return progress.Reached(60) ? BELL_ERR_NONE : BELL_ERR_CANCELLED;
  std::vector<BYTE> directory(2 * static_cast<size_t>(count));
  if (!bus_.ReadAt(kSelect, kDirectory, directory.data(), static_cast<DWORD>(directory.size()))) {
    return BELL_ERR_TRANSFER;
  }
  if (!progress.Reached(60)) return BELL_ERR_CANCELLED;
  if (Word(directory.data()) != kNoteArea) return BELL_ERR_NONE;

  // From here the directory is ours: whatever does not hold together is
  // damage, and the stored melodies must not be written over.
  auto damaged = [&] {
    info.usedSymbols = info.capacity;
    return BELL_ERR_DAMAGED;
  };
  const LONG current = MelodyOf(Word(header + kCurrentEntry));
  if (current < 1 || current > count) return damaged();
  for (LONG k = 1; k < count; ++k) {
    if (Word(&directory[2 * k]) <= Word(&directory[2 * (k - 1)])) return damaged();
  }
  const DWORD start = Word(&directory[2 * (count - 1)]);
  if (start >= size || (start - kNoteArea) % 2 != 0) return damaged();

  // The last melody ends at the first symbol whose note byte is a terminator.
  if (!bus_.SetAddress(kSelect, start)) return BELL_ERR_TRANSFER;
  for (DWORD address = start; address < size;) {
    BYTE chunk[60];
    const DWORD length = std::min<DWORD>(sizeof chunk, size - address);
    if (!bus_.Read(kSelect | 1, chunk, length)) return BELL_ERR_TRANSFER;
    for (DWORD i = 0; i < length; i += 2) {
      if (chunk[i] == kTerminator) {
        info.melodyCount = count;
        info.currentMelody = current;
        info.usedSymbols = static_cast<LONG>((address + i - kNoteArea) / 2 + 1);
        return BELL_ERR_NONE;
      }
    }
    address += length;
  }
  return damaged();
}

int BellMemory29::AppendMelody(IMelody* melody, BellInfo& info, bool defer, Progress& progress) {
  std::vector<NoteValues> notes;
  if (!ReadMelodyNotes(melody, &notes)) return BELL_ERR_REFUSED;
  const LONG count = static_cast<LONG>(notes.size());
  const LONG used = info.usedSymbols;
  const LONG stored = info.melodyCount;
  if (used < 0 || info.capacity > 31736 || info.capacity - used < count + 1 || stored < 0 ||
      stored >= kMaxMelodies) {
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
  // Notes and entry lie beyond what the header names: writing them changes
  // nothing the bell reads.
  const DWORD start = Symbol(used);
  if (!bus_.WriteAt(kSelect, start, bytes.data(), bytes.size(), kPage)) return BELL_ERR_TRANSFER;
  if (!progress.Reached(90)) return BELL_ERR_CANCELLED;

  // The header is read in the pause before the entry's write, when the
  // memory has finished writing the notes, instead of waiting for that
  // right after them. The entry never crosses a page.
  BYTE header[kHeaderSize];
  bus_.Pause(MemoryBus::kPagePauseMilliseconds);
  if (!bus_.ReadAt(kSelect, kHeaderByte, header, kHeaderSize)) return BELL_ERR_TRANSFER;
  const BYTE entry[2] = {static_cast<BYTE>(start >> 8), static_cast<BYTE>(start)};
  if (!bus_.WriteOnce(kSelect, Entry(stored + 1), entry, 2)) return BELL_ERR_TRANSFER;

  // The current melody must name a melody of the set the header shows, both
  // before the last-entry pointer moves on and after (an empty set needs
  // none): before it when it is valid for the old set, else after it.
  const LONG visibleBefore = VisibleCount(header);
  const LONG visibleAfter = defer ? visibleBefore : stored + 1;
  const LONG storedCurrent = MelodyOf(Word(header + kCurrentEntry));
  LONG current = info.currentMelody;
  if (current < 1 || current > visibleAfter) {
    current = storedCurrent >= 1 && storedCurrent <= visibleAfter ? storedCurrent : (visibleAfter >= 1 ? 1 : 0);
  }
  const bool writeCurrent = current >= 1 && current != storedCurrent;
  const bool currentFirst = writeCurrent && (visibleBefore == 0 || current <= visibleBefore);
  if (currentFirst && !WriteWord(kCurrentEntry, Entry(current))) return BELL_ERR_TRANSFER;
  if (DecodeMode(header[kMode]) != info.selectionMode && !WriteMode(info)) return BELL_ERR_TRANSFER;
  // Deferred appends stay invisible to the bell until a later append names
  // the last entry.
  if (!defer && !WriteWord(kLastEntry, Entry(stored + 1))) return BELL_ERR_TRANSFER;
  if (writeCurrent && !currentFirst && !WriteWord(kCurrentEntry, Entry(current))) return BELL_ERR_TRANSFER;
  if (current >= 1) info.currentMelody = current;
  info.melodyCount += 1;
  info.usedSymbols += count + 1;
  return BELL_ERR_NONE;
}

int BellMemory29::ReadMelody(IMelody* melody, LONG n, const BellInfo& info, Progress& progress) {
  if (n < 1 || info.melodyCount < n) return BELL_ERR_REFUSED;
  BYTE entry[2];
  if (!bus_.ReadAt(kSelect, Entry(n), entry, 2)) return BELL_ERR_TRANSFER;
  const DWORD start = Word(entry);

  // At most capacity notes, and none beyond the top of the memory (reading on
  // would wrap round to the header).
  const DWORD top = info.capacity > 0 && info.capacity <= 31736 ? Symbol(info.capacity) : 0x10000;
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
  if (!bus_.WriteAt(kSelect, kMode, &stored, 1, kPage)) return false;
  if (stored == 2) info.selectionMode = BELL_MODE_RANDOM;
  return true;
}

bool BellMemory29::Clear(BellInfo& info) {
  if (!WriteWord(kLastEntry, 0)) return false;
  info.melodyCount = 0;
  info.usedSymbols = 0;
  return true;
}

bool BellMemory29::SetCurrentMelody(const BellInfo& info) {
  return WriteWord(kCurrentEntry, Entry(info.currentMelody));
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
