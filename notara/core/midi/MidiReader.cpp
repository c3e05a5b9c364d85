#include "midi/MidiReader.h"

namespace {

constexpr BYTE kSysEx = 0xF0;
constexpr BYTE kSysExContinue = 0xF7;
constexpr BYTE kMeta = 0xFF;
constexpr BYTE kEndOfTrack = 0x2F;

}  // namespace

MidiReader::MidiReader(IMidiSink& sink) : sink_(sink) {}

MidiError MidiReader::ReadFile(const std::string& path) {
  CFileU file;
  if (!file.Open(path, "rb")) return MidiError::OpenFailed;
  return Read(file);
}

MidiError MidiReader::Read(CFileU& file) {
  file_ = &file;
  position_ = filled_ = 0;
  consumed_ = 0;
  try {
    ReadHeader();
    sink_.OnHeader(format_, tracks_, division_);
    for (WORD track = 0; track < tracks_; ++track) {
      sink_.OnTrack(track);
      ReadTrack();
    }
  } catch (const Failure& failure) {
    file_ = nullptr;
    return failure.error;
  }
  file_ = nullptr;
  return sink_.MelodyCount() == 0 ? MidiError::NoMelodies : MidiError::None;
}

void MidiReader::Refill() {
  size_t n = file_->ReadSome(buffer_.data(), buffer_.size());
  if (n < buffer_.size() && !file_->AtEnd()) throw Failure{MidiError::ReadFailed};
  // Nothing left: the file ends inside a chunk.
  if (n == 0) throw Failure{MidiError::Format};
  position_ = 0;
  filled_ = n;
}

void MidiReader::Skip(DWORD count) {
  uint64_t left = count;
  while (left > 0) {
    if (position_ == filled_) Refill();
    size_t step = static_cast<size_t>(std::min<uint64_t>(left, filled_ - position_));
    position_ += step;
    consumed_ += step;
    left -= step;
  }
}

DWORD MidiReader::ReadQuantity() {
  // Seven bits per byte, most significant first, for as many bytes as have
  // bit 7 set; the value keeps its low 32 bits.
  DWORD value = 0;
  BYTE b;
  do {
    b = NextByte();
    value = (value << 7) | (b & 0x7F);
  } while (b & 0x80);
  return value;
}

DWORD MidiReader::ReadBigEndian(int bytes) {
  DWORD value = 0;
  for (int i = 0; i < bytes; ++i) value = (value << 8) | NextByte();
  return value;
}

void MidiReader::ReadHeader() {
  if (ReadBigEndian(4) != 0x4D546864u /* "MThd" */) throw Failure{MidiError::Format};
  if (ReadBigEndian(4) != 6) throw Failure{MidiError::Format};
  format_ = static_cast<WORD>(ReadBigEndian(2));
  if (format_ > 2) throw Failure{MidiError::Format};
  tracks_ = static_cast<WORD>(ReadBigEndian(2));
  if ((format_ == 0 && tracks_ != 1) || tracks_ == 0) throw Failure{MidiError::Format};
  BYTE high = NextByte();
  BYTE low = NextByte();
  if (high & 0x80) throw Failure{MidiError::Unsupported};
  division_ = static_cast<WORD>((high << 8) | low);
  // No length can be measured against a division of zero ticks.
  if (division_ == 0) throw Failure{MidiError::Format};
}

void MidiReader::ReadTrack() {
  for (CChannel& channel : channels_) channel.Reset();
  if (ReadBigEndian(4) != 0x4D54726Bu /* "MTrk" */) throw Failure{MidiError::Format};
  const uint64_t length = ReadBigEndian(4);
  const uint64_t start = consumed_;
  DWORD time = 0;
  BYTE runningStatus = 0;
  for (;;) {
    time += ReadQuantity();
    BYTE status = NextByte();
    if (status == kSysEx || status == kSysExContinue) {
      Skip(ReadQuantity());
      runningStatus = 0;
    } else if (status == kMeta) {
      BYTE type = NextByte();
      runningStatus = 0;
      DWORD size = ReadQuantity();
      if (type == kEndOfTrack && size == 0 && consumed_ - start == length) return;
      Skip(size);
    } else if (status >= 0x80 && status < kSysEx) {
      runningStatus = status;
      ChannelMessage(status, NextByte(), time);
    } else {
      // A data byte (or a system common byte, taken as one) under running status.
      if (runningStatus == 0) throw Failure{MidiError::Unsupported};
      ChannelMessage(runningStatus, status, time);
    }
    if (consumed_ - start >= length) throw Failure{MidiError::Format};
  }
}

void MidiReader::ChannelMessage(BYTE status, BYTE first, DWORD time) {
  const BYTE channel = status & 0x0F;
  ImportedNote note;
  switch (status & 0xF0) {
    case 0x80:
      NextByte();  // release velocity
      Emit(channels_[channel].Release(time, first, division_, note), note, channel);
      break;
    case 0x90: {
      BYTE velocity = NextByte();
      bool produced = velocity == 0 ? channels_[channel].Release(time, first, division_, note)
                                    : channels_[channel].Press(time, first, velocity, division_, note);
      Emit(produced, note, channel);
      break;
    }
    case 0xA0:
    case 0xB0:
    case 0xE0:
      NextByte();
      break;
    default:  // 0xC0, 0xD0: the one data byte is all
      break;
  }
}

void MidiReader::Emit(bool produced, const ImportedNote& note, BYTE channel) {
  if (!produced) return;
  ImportedNote item = note;
  item.channel = channel;
  if (!sink_.AddNote(item)) throw Failure{MidiError::AddFailed};
}

const char16_t* MidiReader::ErrorText(MidiError error) {
  switch (error) {
    case MidiError::None:
      return u"";
    case MidiError::OpenFailed:
      return u"Ошибка при открытии файла.";
    case MidiError::ReadFailed:
      return u"Не могу прочитать файл";
    case MidiError::Format:
      return u"Ошибка в формате файла.";
    case MidiError::Unsupported:
      return u"Неподдерживаемый формат файла.";
    case MidiError::AddFailed:
      return u"Ошибка при добавлении ноты в мелодию";
    case MidiError::NoMelodies:
      return u"В MIDI файле мелодиии не обнаружены.";
  }
  return u"";
}
