#include "MelodyFiles.h"

#include <algorithm>
#include <cstring>

#include "ProgressBar.h"
#include "ToolError.h"
#include "common/CFileU.h"
#include "common/FileTexts.h"
#include "common/MelFormat.h"
#include "common/RingToneText.h"
#include "common/StoFormat.h"
#include "midi/MidiReader.h"
#include "platform/CodePage.h"

namespace {

using FileTexts::WithPath;
const std::u16string kOpenError(FileTexts::kOpenFailed);
const std::u16string kNotMelody(FileTexts::kNotMelody);
const std::u16string kNotSet(FileTexts::kNotSet);
const std::u16string kReadError(FileTexts::kReadFailed);
const std::u16string kWriteError(FileTexts::kWriteFailed);

[[noreturn]] void ThrowLoad(FileStatus status, const std::string& path, std::u16string_view badMagic) {
  switch (status) {
    case FileStatus::OpenFailed:
      throw ToolError::Failed(WithPath(kOpenError, path));
    case FileStatus::BadMagic:
      throw ToolError::Failed(WithPath(badMagic, path));
    default:
      throw ToolError::Failed(WithPath(kReadError, path));
  }
}

[[noreturn]] void ThrowSave(FileStatus status, const std::string& path) {
  throw ToolError::Failed(WithPath(status == FileStatus::OpenFailed ? kOpenError : kWriteError, path));
}

std::string LowerExtension(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string extension = path.substr(dot);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return extension;
}

// Reports each track to the bar as the reader reaches it.
class TrackProgress : public ChannelCollector {
 public:
  explicit TrackProgress(ProgressBar* bar) : bar_(bar) {}
  void OnHeader(WORD, WORD tracks, WORD) override { tracks_ = tracks; }
  void OnTrack(WORD index) override {
    if (bar_ && tracks_ > 0) bar_->Set(index * 100 / tracks_);
  }

 private:
  ProgressBar* bar_;
  WORD tracks_ = 0;
};

}  // namespace

MelodyFiles::Kind MelodyFiles::KindOf(const std::string& path) {
  const std::string extension = LowerExtension(path);
  if (extension == ".mel") return Kind::Melody;
  if (extension == ".sto") return Kind::Set;
  if (extension == ".mid" || extension == ".kar") return Kind::Midi;
  if (path == "-" || extension == ".rtttl") return Kind::RingTone;

  CFileU file;
  if (!file.Open(path, "rb")) return Kind::Unknown;
  if (extension == ".txt") {
    // Any text may be called .txt: only a tune counts as ring-tone text.
    std::string text(kLargestTextFile + 1, '\0');
    text.resize(file.ReadSome(text.data(), text.size()));
    RingTone tune;
    RingToneIssue error;
    std::vector<RingToneIssue> warnings;
    const bool tuneRead = text.size() <= kLargestTextFile && RingToneText::Read(text, tune, error, warnings);
    return tuneRead ? Kind::RingTone : Kind::Unknown;
  }
  BYTE head[8] = {};
  const size_t got = file.ReadSome(head, sizeof head);
  if (got >= 4 && std::memcmp(head, "MThd", 4) == 0) return Kind::Midi;
  if (got >= 6 && head[0] == 5 && std::memcmp(head + 1, "EM2.0", 5) == 0) return Kind::Melody;
  if (got >= 7 && head[0] == 6 && std::memcmp(head + 1, "EST1.0", 6) == 0) return Kind::Set;
  return Kind::Unknown;
}

MelodyData MelodyFiles::LoadMelody(const std::string& path) {
  MelodyData melody;
  const FileStatus status = MelFormat::Load(path, melody);
  if (status != FileStatus::Ok) ThrowLoad(status, path, kNotMelody);
  return melody;
}

std::vector<MelodyData> MelodyFiles::LoadSet(const std::string& path) {
  std::vector<MelodyData> melodies;
  const FileStatus status = StoFormat::Load(path, melodies);
  if (status != FileStatus::Ok) ThrowLoad(status, path, kNotSet);
  return melodies;
}

void MelodyFiles::SaveMelody(const std::string& path, const MelodyData& melody) {
  const FileStatus status = MelFormat::Save(path, melody);
  if (status != FileStatus::Ok) ThrowSave(status, path);
}

void MelodyFiles::SaveSet(const std::string& path, const std::vector<MelodyData>& melodies) {
  const FileStatus status = StoFormat::Save(path, melodies);
  if (status != FileStatus::Ok) ThrowSave(status, path);
}

std::vector<ChannelMelody> MelodyFiles::ReadMidi(const std::string& path, ProgressBar* bar) {
  TrackProgress sink(bar);
  MidiReader reader(sink);
  const MidiError error = reader.ReadFile(path);
  if (error != MidiError::None) {
    std::u16string text = MidiReader::ErrorText(error);
    if (error == MidiError::OpenFailed) text += u" " + nv::Utf8ToWide(path);
    throw ToolError::Failed(text);
  }
  if (bar) bar->Set(100);
  return sink.Melodies();
}

std::u16string MelodyFiles::Stem(const std::string& path) {
  const size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return nv::Utf8ToWide(name);
}

std::string MelodyFiles::Extension(const std::string& path) {
  return LowerExtension(path);
}

std::u16string MelodyFiles::OpenError(const std::string& path) {
  return WithPath(kOpenError, path);
}

std::u16string MelodyFiles::ReadError(const std::string& path) {
  return WithPath(kReadError, path);
}

std::u16string MelodyFiles::WriteError(const std::string& path) {
  return WithPath(kWriteError, path);
}
