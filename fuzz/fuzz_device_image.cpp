// Any device memory image, of either version and every size, through the
// status read, the read-back of every melody and an append, on a fast
// byte-level model of the serial memory: no crash, no hang, results inside
// their ranges, and an append that writes only the bytes it owns.
//
// Input: byte 0 picks the memory (512 bytes for version 2.0; 16, 32 or 64
// KByte for version 2.9), byte 1 the appended melody's length n, the next
// n bytes its notes, the rest the memory's first bytes (0xFF after them).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <vector>

#include "BellMemory20.h"
#include "BellMemory29.h"
#include "CComObject.h"
#include "CMelody.h"
#include "platform/ComPtr.h"
#include "MelodyNotes.h"
#include "portix/Portix.h"

namespace {

using chimox::BellMemory20;
using chimox::BellMemory29;

// The serial memory at the level of whole requests: selects, address
// counter, sequential reads across the whole memory and page writes that
// wrap inside their page, as the chip does. Records every written address.
class FastMemory final : public chimox::BusPort {
 public:
  explicit FastMemory(std::vector<BYTE> bytes) : bytes_(std::move(bytes)) {}

  bool Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength) override {
    if (!input || inputLength < 2) return false;
    const bool small = bytes_.size() == 512;
    const BYTE select = input[0];
    if (small ? (select & 0xFC) != 0xA0 : (select & 0xFE) != 0xA0) return false;  // no one answers
    const size_t block = small ? ((select >> 1) & 1) * 256 : 0;
    if (code == IOCTL_BUS_READ) {
      if (!(select & 1) || !output || outputLength == 0) return false;
      for (DWORD i = 0; i < outputLength; ++i) {
        output[i] = bytes_[counter_];
        counter_ = (counter_ + 1) % bytes_.size();
      }
      return true;
    }
    if (code != IOCTL_BUS_WRITE || (select & 1)) return false;
    const DWORD addressBytes = small ? 1 : 2;
    if (inputLength < 2 + addressBytes) return false;
    size_t address = small ? input[2] : (size_t{input[2]} << 8 | input[3]);
    address = (address + block) % bytes_.size();
    counter_ = address;
    const size_t page = small ? 8 : bytes_.size() == 65536 ? 128 : 64;
    const size_t base = address - address % page;
    for (DWORD i = 2 + addressBytes; i < inputLength; ++i) {
      const size_t at = base + (address - base + (i - 2 - addressBytes)) % page;
      bytes_[at] = input[i];
      written.insert(at);
    }
    return true;
  }
  void Pause(DWORD) override {}

  std::vector<BYTE> bytes_;
  std::set<size_t> written;

 private:
  size_t counter_ = 0;
};

class Null final : public chimox::Progress {
 public:
  bool Reached(int) override { return true; }
};

nv::ComPtr<IMelody> NewMelody(const std::vector<chimox::NoteValues>& notes) {
  nv::ComPtr<IMelody> melody;
  if (nv::CComObject<nv::CMelody>::CreateInstance(IID_IMelody, melody.putVoid()) != S_OK) abort();
  if (!chimox::InsertMelodyNotes(melody.get(), notes)) abort();
  return melody;
}

struct Version {
  bool v29;
  int Status(chimox::BusPort& port, BellInfo& info) const {
    Null progress;
    return v29 ? BellMemory29(port).ReadStatus(info, progress) : BellMemory20(port).ReadStatus(info, progress);
  }
  int Read(chimox::BusPort& port, LONG n, const BellInfo& info, std::vector<chimox::NoteValues>* notes) const {
    Null progress;
    auto melody = NewMelody({});
    const int code = v29 ? BellMemory29(port).ReadMelody(melody.get(), n, info, progress)
                         : BellMemory20(port).ReadMelody(melody.get(), n, info, progress);
    if (code == BELL_ERR_NONE && !chimox::ReadMelodyNotes(melody.get(), notes)) abort();
    return code;
  }
  int Append(chimox::BusPort& port, IMelody* melody, BellInfo& info) const {
    Null progress;
    return v29 ? BellMemory29(port).AppendMelody(melody, info, false, progress)
               : BellMemory20(port).AppendMelody(melody, info, progress);
  }
};

// The bytes an append at this status may write.
std::set<size_t> Owned(bool v29, const BellInfo& info, size_t notes) {
  std::set<size_t> owned;
  auto range = [&](size_t from, size_t count) {
    for (size_t i = 0; i < count; ++i) owned.insert(from + i);
  };
  const auto used = static_cast<size_t>(info.usedSymbols);
  const auto count = info.melodyCount;
  if (v29) {
    range(BellMemory29::Symbol(info.usedSymbols), 2 * (notes + 1));
    range(BellMemory29::Entry(count + 1), 2);
    range(BellMemory29::kMode, 5);  // mode, current pointer, last-entry pointer
  } else {
    range(used, notes + 1);
    if (notes > 0) range(256 + BellMemory20::kFlags + used / 2, (used + notes - 1) / 2 - used / 2 + 1);
    range(256 + BellMemory20::Entry(count + 1), 2);
    range(256 + BellMemory20::kCurrentMelody, 2);  // current melody and mode
  }
  return owned;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static constexpr size_t kSizes[] = {512, 16384, 32768, 65536};
  const size_t memorySize = kSizes[data[0] % 4];
  const Version version{memorySize != 512};
  const size_t noteCount = std::min<size_t>(data[1] % 64, size - 2);
  std::vector<chimox::NoteValues> notes;
  for (size_t i = 0; i < noteCount; ++i) {
    const uint8_t b = data[2 + i];
    notes.push_back({static_cast<SHORT>(b % 32), static_cast<SHORT>((b / 32) % 5), static_cast<SHORT>(b & 0x0C)});
  }
  std::vector<BYTE> image(memorySize, 0xFF);
  const size_t rest = size - 2 - noteCount;
  std::copy_n(data + 2 + noteCount, std::min(rest, memorySize), image.begin());

  FastMemory memory(image);
  BellInfo info{};
  const int status = version.Status(memory, info);
  const LONG capacity = version.v29 ? static_cast<LONG>((memorySize - BellMemory29::kNoteArea) / 2) : 256;
  if (status != BELL_ERR_NONE && status != BELL_ERR_DAMAGED) abort();
  if (info.capacity != capacity || info.usedSymbols < 0 || info.usedSymbols > capacity || info.melodyCount < 0 ||
      info.melodyCount > (version.v29 ? 1024 : 111) || (info.melodyCount > 0) != (info.usedSymbols > 0 && status == 0)) {
    abort();
  }
  // A status read writes at most the size probe's unused cell, and gives it back.
  if (memory.bytes_ != image) abort();
  for (const size_t at : memory.written) {
    if (at != BellMemory29::kProbeCell) abort();
  }

  // A melody reads up to its terminator, which may lie past the next one's
  // start in a foreign memory; never beyond the note area. A note byte with a
  // duration code the model does not have refuses the melody.
  for (LONG n = 1; n <= info.melodyCount; ++n) {
    std::vector<chimox::NoteValues> read;
    if (version.Read(memory, n, info, &read) != BELL_ERR_NONE) continue;
    if (read.size() >= static_cast<size_t>(capacity)) abort();
  }
  if (memory.bytes_ != image) abort();

  memory.written.clear();
  const BellInfo before = info;
  info.currentMelody = 1;
  auto melody = NewMelody(notes);
  const int appended = version.Append(memory, melody.get(), info);
  const std::set<size_t> owned = Owned(version.v29, before, notes.size());
  for (const size_t at : memory.written) {
    if (!owned.count(at)) abort();
  }
  if (status == BELL_ERR_DAMAGED && (appended != BELL_ERR_REFUSED || !memory.written.empty())) abort();
  if (appended == BELL_ERR_NONE && status == BELL_ERR_NONE) {
    // The set now ends with the new melody.
    BellInfo after{};
    if (version.Status(memory, after) != BELL_ERR_NONE || after.melodyCount != before.melodyCount + 1) abort();
    std::vector<chimox::NoteValues> read;
    if (version.Read(memory, after.melodyCount, after, &read) != BELL_ERR_NONE) abort();
    for (auto& note : notes) note.flags = static_cast<SHORT>(note.flags & (version.v29 ? 0x0C : 0x0F));
    if (read != notes) abort();
  }
  return 0;
}
