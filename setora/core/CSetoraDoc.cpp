#include "CSetoraDoc.h"

#include <utility>

#include "common/FileTexts.h"
#include "common/MelFormat.h"
#include "common/MelodyValues.h"
#include "common/StoFormat.h"
#include "common/ToneSample.h"
#include "platform/CodePage.h"

namespace {

const std::u16string kInitError = FileTexts::Line(FileTexts::kInitFailed);
const std::u16string kOpenError(FileTexts::kOpenFailed);
const std::u16string kNotSet = FileTexts::Line(FileTexts::kNotSet);
const std::u16string kReadError(FileTexts::kReadFailed);
const std::u16string kWriteError(FileTexts::kWriteFailed);
const std::u16string kMelodyError(FileTexts::kMelodyObjectFailed);
const std::u16string kBadMelodyFile(FileTexts::kBadFormat);

std::u16string WithName(std::u16string_view text, const std::string& path) {
  return FileTexts::WithPath(text, path);
}

}  // namespace

CSetoraDoc::CSetoraDoc(ObjectFactory factory) : factory_(OrServerObjects(std::move(factory))) {}

CSetoraDoc::~CSetoraDoc() {
  // Releasing a melody waits for its playback thread without a limit; one
  // that a stalled sound device keeps playing is left to the end of the
  // process rather than holding the program open.
  for (IMelody*& melody : melodies_) {
    if (!MelodyValues::StopAndWait(melody)) melody = nullptr;
  }
  std::erase(melodies_, nullptr);
  Clear();
  if (sample_) sample_->Release();
}

bool CSetoraDoc::Clear() {
  for (IMelody* melody : melodies_) melody->Release();
  melodies_.clear();
  return true;
}

IMelody* CSetoraDoc::NewMelody() const {
  IMelody* melody = nullptr;
  if (FAILED(factory_(CLSID_Melody, IID_IMelody, reinterpret_cast<void**>(&melody)))) return nullptr;
  return melody;
}

bool CSetoraDoc::CreateSample() {
  return sample_ || SUCCEEDED(ToneSample::Create(factory_, ToneSample::SetPeriod(), &sample_));
}

FileStatus CSetoraDoc::Serialize(CFileU& file, bool storing) {
  if (storing) {
    std::vector<MelodyData> set(melodies_.size());
    for (size_t i = 0; i < melodies_.size(); ++i)
      if (FAILED(MelodyValues::Read(melodies_[i], set[i]))) return FileStatus::Failed;
    return StoFormat::Write(file, set);
  }
  // The whole set is read and made into melodies before the document
  // changes, so a file that turns out broken leaves the set that was open.
  std::vector<MelodyData> set;
  FileStatus status = StoFormat::ReadMagic(file);
  if (status == FileStatus::ReadFailed) return status;
  status = StoFormat::ReadBody(file, set);
  if (status != FileStatus::Ok) return status;
  std::vector<IMelody*> melodies;
  for (const MelodyData& data : set) {
    IMelody* melody = NewMelody();
    if (melody) melodies.push_back(melody);
    if (!melody || FAILED(MelodyValues::WriteName(melody, data.name)) ||
        FAILED(MelodyValues::AppendNotes(melody, data.notes))) {
      for (IMelody* made : melodies) made->Release();
      return FileStatus::Failed;
    }
  }
  Clear();
  melodies_ = std::move(melodies);
  return FileStatus::Ok;
}

bool CSetoraDoc::New(std::u16string_view name) {
  if (!CreateSample()) return false;
  Clear();
  SetPath(name.size() > CStringU::kMaxLength ? std::string() : nv::WideToUtf8(name));
  SetModified(false);
  return true;
}

bool CSetoraDoc::Open(const std::string& path, std::u16string& errorText) {
  if (!CreateSample()) {
    errorText = kInitError;
    return false;
  }
  switch (ProbeFile(path, &StoFormat::ReadMagic)) {
    case FileStatus::Ok:
      break;
    case FileStatus::OpenFailed:
      errorText = WithName(kOpenError, path) + u"\n";
      return false;
    case FileStatus::BadMagic:
      errorText = kNotSet;
      return false;
    default:
      errorText = WithName(kReadError, path);
      return false;
  }
  switch (OpenFile(path)) {
    case FileStatus::Ok:
      return true;
    case FileStatus::ReadFailed:
      errorText = WithName(kReadError, path);
      return false;
    default:
      errorText = WithName(kOpenError, path) + u"\n";
      return false;
  }
}

bool CSetoraDoc::Save(const std::string* path, std::u16string& errorText) {
  switch (SaveFile(path)) {
    case FileStatus::Ok:
      return true;
    case FileStatus::WriteFailed:
      errorText = kWriteError;
      return false;
    default:
      errorText = kOpenError;
      return false;
  }
}

bool CSetoraDoc::AddMelodyFile(const std::string& path, std::u16string& errorText) {
  CFileU file;
  if (!file.Open(path, "rb")) {
    errorText = WithName(kOpenError, path);
    return false;
  }
  IMelody* melody = NewMelody();
  if (!melody) {
    errorText = kMelodyError;
    return false;
  }
  MelodyData data;
  FileStatus status = MelFormat::Read(file, data);
  if (status == FileStatus::Ok) {
    if (FAILED(MelodyValues::WriteName(melody, data.name)) || FAILED(MelodyValues::AppendNotes(melody, data.notes)))
      status = FileStatus::Failed;
  }
  if (status != FileStatus::Ok) {
    melody->Release();
    errorText = status == FileStatus::BadMagic ? WithName(kBadMelodyFile, path)
                : status == FileStatus::Failed ? std::u16string(kMelodyError)
                                               : WithName(kReadError, path);
    return false;
  }
  melodies_.push_back(melody);
  SetModified(true);
  return true;
}

bool CSetoraDoc::AddMelody(const MelodyData& data, std::u16string& errorText) {
  IMelody* melody = NewMelody();
  if (!melody || FAILED(MelodyValues::WriteName(melody, data.name)) ||
      FAILED(MelodyValues::AppendNotes(melody, data.notes))) {
    if (melody) melody->Release();
    errorText = kMelodyError;
    return false;
  }
  melodies_.push_back(melody);
  SetModified(true);
  return true;
}

bool CSetoraDoc::SaveMelody(LONG index, const std::string& path, std::u16string& errorText) {
  MelodyData data;
  IMelody* melody = Melody(index);
  if (!melody || FAILED(MelodyValues::Read(melody, data))) {
    errorText = kWriteError;
    return false;
  }
  switch (MelFormat::Save(path, data)) {
    case FileStatus::Ok:
      return true;
    case FileStatus::OpenFailed:
      errorText = WithName(kOpenError, path);
      return false;
    default:
      errorText = kWriteError;
      return false;
  }
}

bool CSetoraDoc::Delete(LONG index) {
  IMelody* melody = Melody(index);
  if (!melody) return false;
  melodies_.erase(melodies_.begin() + index);
  melody->Release();
  SetModified(true);
  return true;
}

bool CSetoraDoc::MoveUp(LONG index) {
  if (!Melody(index)) return false;
  if (index == 0) return true;
  std::swap(melodies_[static_cast<size_t>(index)], melodies_[static_cast<size_t>(index - 1)]);
  SetModified(true);
  return true;
}

bool CSetoraDoc::MoveDown(LONG index) {
  if (!Melody(index)) return false;
  if (index == Count() - 1) return true;
  std::swap(melodies_[static_cast<size_t>(index)], melodies_[static_cast<size_t>(index + 1)]);
  SetModified(true);
  return true;
}

IMelody* CSetoraDoc::Melody(LONG index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return melodies_[static_cast<size_t>(index)];
}

bool CSetoraDoc::Name(LONG index, std::u16string& name) const {
  IMelody* melody = Melody(index);
  return melody && SUCCEEDED(MelodyValues::ReadName(melody, name));
}

bool CSetoraDoc::NoteCount(LONG index, LONG& count) const {
  IMelody* melody = Melody(index);
  return melody && SUCCEEDED(melody->GetCount(&count));
}

LONG CSetoraDoc::SetSize() const {
  std::vector<LONG> all(melodies_.size());
  for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<LONG>(i);
  return BlockSize(all);
}

LONG CSetoraDoc::BlockSize(const std::vector<LONG>& selected) const {
  LONG size = 0;
  for (LONG index : selected) {
    LONG count = 0;
    if (NoteCount(index, count)) size += count + 1;
  }
  return size;
}

bool CSetoraDoc::Play(LONG index) {
  IMelody* melody = Melody(index);
  return melody && SUCCEEDED(melody->Play(0, sample_, nullptr, 0));
}

bool CSetoraDoc::IsStopped(LONG index, bool& stopped) const {
  IMelody* melody = Melody(index);
  SHORT playing = 0;
  if (!melody || FAILED(melody->IsPlaying(&playing))) return false;
  stopped = playing == 0;
  return true;
}

bool CSetoraDoc::Stop(LONG index) {
  IMelody* melody = Melody(index);
  return melody && SUCCEEDED(melody->Stop());
}
