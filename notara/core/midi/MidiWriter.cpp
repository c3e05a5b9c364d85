#include "midi/MidiWriter.h"

#include "common/CSaveFileU.h"

namespace {

constexpr BYTE kRestFlag = 0x04;
constexpr BYTE kDotFlag = 0x08;
constexpr DWORD kGap = 5;
constexpr DWORD kClosingLength = 24;
constexpr BYTE kClosingKey = 56;
constexpr size_t kTrackStart = 22;

// Header chunk, track chunk with a zero length, and the three opening events.
constexpr BYTE kOpening[] = {
    0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x01, 0x00, 0x60,  // MThd
    0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x00,                                      // MTrk
    0x00, 0xFF, 0x58, 0x04, 0x02, 0x02, 0x18, 0x08,                                      // time signature 2/4
    0x00, 0xFF, 0x51, 0x03, 0x08, 0x00, 0x00,                                            // tempo
    0x00, 0xC0, 0x17,                                                                    // program 23
};
constexpr BYTE kEndOfTrack[] = {0x00, 0xFF, 0x2F, 0x00};

void PutQuantity(std::vector<BYTE>& out, DWORD value) {
  BYTE groups[5];
  int n = 0;
  do {
    groups[n++] = static_cast<BYTE>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (n > 1) out.push_back(static_cast<BYTE>(groups[--n] | 0x80));
  out.push_back(groups[0]);
}

void PutEvent(std::vector<BYTE>& out, DWORD delta, BYTE status, BYTE key, BYTE velocity) {
  PutQuantity(out, delta);
  out.push_back(status);
  out.push_back(key);
  out.push_back(velocity);
}

std::vector<BYTE> Image(const std::vector<NoteValues>& notes) {
  std::vector<BYTE> out(std::begin(kOpening), std::end(kOpening));
  out.reserve(out.size() + notes.size() * 10 + 12);
  for (const NoteValues& note : notes) {
    BYTE key = MidiWriter::Key(note.pitch);
    BYTE velocity = (note.flags & kRestFlag) ? 0 : MidiWriter::kVelocity;
    PutEvent(out, kGap, 0x90, key, velocity);
    PutEvent(out, MidiWriter::Ticks(note.duration, note.flags), 0x80, key, velocity);
  }
  PutEvent(out, kGap, 0x90, kClosingKey, 0);
  PutEvent(out, kClosingLength, 0x80, kClosingKey, 0);
  out.insert(out.end(), std::begin(kEndOfTrack), std::end(kEndOfTrack));
  return out;
}

void PutLength(BYTE* at, DWORD length) {
  at[0] = static_cast<BYTE>(length >> 24);
  at[1] = static_cast<BYTE>(length >> 16);
  at[2] = static_cast<BYTE>(length >> 8);
  at[3] = static_cast<BYTE>(length);
}

}  // namespace

BYTE MidiWriter::Key(BYTE pitch) {
  int key = pitch + 56;
  while (key > 127) key -= 12;
  return static_cast<BYTE>(key);
}

DWORD MidiWriter::Ticks(BYTE duration, BYTE flags) {
  static constexpr DWORD kPlain[] = {384, 192, 96, 48, 24};
  DWORD ticks = duration < 5 ? kPlain[duration] : kPlain[0];
  return (flags & kDotFlag) ? ticks + ticks / 2 : ticks;
}

std::vector<BYTE> MidiWriter::Build(const std::vector<NoteValues>& notes) {
  std::vector<BYTE> out = Image(notes);
  PutLength(out.data() + kTrackLengthOffset, static_cast<DWORD>(out.size() - kTrackStart));
  return out;
}

MidiWriteError MidiWriter::Write(const std::string& path, const std::vector<NoteValues>& notes) {
  CSaveFileU save;
  if (!save.Create(path)) return MidiWriteError::CreateFailed;
  CFileU& file = save.File();
  // The events go out with a zero track length, which is filled in last.
  std::vector<BYTE> image = Image(notes);
  if (!file.Write(image.data(), image.size())) return MidiWriteError::WriteFailed;
  BYTE length[4];
  PutLength(length, static_cast<DWORD>(image.size() - kTrackStart));
  if (!file.Seek(kTrackLengthOffset) || !file.Write(length, sizeof length)) return MidiWriteError::LengthFailed;
  if (!save.Commit()) return MidiWriteError::WriteFailed;
  return MidiWriteError::None;
}

const char16_t* MidiWriter::ErrorText(MidiWriteError error) {
  switch (error) {
    case MidiWriteError::None:
      return u"";
    case MidiWriteError::CreateFailed:
      return u"Ошибка при создании файла";
    case MidiWriteError::WriteFailed:
      return u"Ошибка при записи в файл";
    case MidiWriteError::LengthFailed:
      return u"Ошибка записи в файл";
  }
  return u"";
}
