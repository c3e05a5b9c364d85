// MidiReader: reads a Standard MIDI File (.mid, .kar) and hands one line of
// note symbols per MIDI channel to a sink.
//
// The file is read in 1024-byte blocks. Formats 0 to 2 with a division in
// ticks per quarter note are accepted; every track must be an "MTrk" chunk
// that ends with an End of Track event exactly at its declared length.
// Tempo, time signature and every other meta event are skipped: timing
// comes from ticks and the division alone. Tracks restart the trackers, but
// melodies are keyed by channel, so a channel found in several tracks gives
// one melody holding them in track order.
//
// Reading past the end of the file is a format error: a truncated file
// always ends in MidiError::Format (or in a finished track when the bytes it
// still has form a valid ending), never in a hang or a read outside the
// buffer. Memory stays bounded by the buffer and the notes held at once.
#pragma once

#include <array>
#include <string>

#include "common/CFileU.h"
#include "midi/CChannel.h"
#include "midi/IMidiSink.h"

enum class MidiError {
  None,
  OpenFailed,  // "Ошибка при открытии файла."
  ReadFailed,  // a short read before the end of the file: "Не могу прочитать файл"
  Format,      // header, chunk, End of Track placement, track overrun: "Ошибка в формате файла."
  Unsupported,  // time-code division or a data byte with no running status: "Неподдерживаемый формат файла."
  AddFailed,   // the sink refused a note: "Ошибка при добавлении ноты в мелодию"
  NoMelodies,  // nothing found: "В MIDI файле мелодиии не обнаружены."
};

class MidiReader {
 public:
  static constexpr size_t kBlockSize = 1024;

  explicit MidiReader(IMidiSink& sink);

  // Opens path for binary reading and reads it; OpenFailed when it cannot
  // be opened. The file is closed on every way out.
  MidiError ReadFile(const std::string& path);
  // Reads from an open stream positioned at the header.
  MidiError Read(CFileU& file);

  // The message the melody editor shows for error (empty for None).
  static const char16_t* ErrorText(MidiError error);

 private:
  struct Failure {
    MidiError error;
  };

  BYTE NextByte() {
    if (position_ == filled_) Refill();
    ++consumed_;
    return buffer_[position_++];
  }
  void Refill();
  void Skip(DWORD count);
  DWORD ReadQuantity();
  DWORD ReadBigEndian(int bytes);
  void ReadHeader();
  void ReadTrack();
  void ChannelMessage(BYTE status, BYTE first, DWORD time);
  void Emit(bool produced, const ImportedNote& note, BYTE channel);

  IMidiSink& sink_;
  CFileU* file_ = nullptr;
  std::array<BYTE, kBlockSize> buffer_{};
  size_t position_ = 0;
  size_t filled_ = 0;
  uint64_t consumed_ = 0;
  WORD format_ = 0;
  WORD tracks_ = 0;
  WORD division_ = 0;
  std::array<CChannel, 16> channels_;
};
