#include "CMelodyDoc.h"

#include "common/CFileU.h"
#include "common/CSaveFileU.h"
#include "common/FileTexts.h"
#include "common/MelFormat.h"
#include "common/MelodyValues.h"
#include "common/RingToneText.h"
#include "common/ToneSample.h"
#include "midi/MidiWriter.h"
#include "platform/CodePage.h"

namespace {

const std::u16string kInitError = FileTexts::Line(FileTexts::kInitFailed);
const std::u16string kOpenError(FileTexts::kOpenFailed);
const std::u16string kNotMelody = FileTexts::Line(FileTexts::kNotMelody);
const std::u16string kReadError(FileTexts::kReadFailed);
const std::u16string kWriteError(FileTexts::kWriteFailed);
const std::u16string kSampleError(FileTexts::kSampleObjectFailed);
const std::u16string kMelodyError(FileTexts::kMelodyObjectFailed);

std::u16string OpenErrorWithPath(const std::string& path) {
  return FileTexts::Line(FileTexts::WithPath(kOpenError, path));
}

// Names longer than a file can hold are stored empty.
std::u16string_view BoundedName(std::u16string_view name) {
  return name.size() > CStringU::kMaxLength ? std::u16string_view() : name;
}

}  // namespace

CMelodyDoc::CMelodyDoc(Ui* ui, ObjectFactory factory) : ui_(ui), factory_(OrServerObjects(std::move(factory))) {}

CMelodyDoc::~CMelodyDoc() {
  ChannelClear();
  // Releasing a melody waits for its playback thread without a limit; one
  // that a stalled sound device keeps playing is left to the end of the
  // process rather than holding the program open.
  if (melody_ && StopPlaying(false)) melody_->Release();
  if (sample_) sample_->Release();
}

bool CMelodyDoc::CreateObjects() {
  if (!sample_) {
    ToneSample::Failure failure;
    if (FAILED(ToneSample::Create(factory_, ToneSample::EditorPeriod(), &sample_, &failure))) {
      if (ui_) {
        bool described = failure.step == ToneSample::Step::Fill && !failure.description.empty();
        ui_->ShowError(described ? failure.description : std::u16string(kSampleError));
      }
      return false;
    }
  }
  if (!melody_) {
    if (FAILED(factory_(CLSID_Melody, IID_IMelody, reinterpret_cast<void**>(&melody_))) || !melody_) {
      melody_ = nullptr;
      if (ui_) ui_->ShowError(kMelodyError);
      return false;
    }
  }
  return true;
}

bool CMelodyDoc::NewDocument(std::u16string_view name) {
  if (!CreateObjects() || !ClearDocument()) return false;
  name = BoundedName(name);
  MelodyValues::WriteName(melody_, name);
  path_ = nv::WideToUtf8(name);
  modified_ = 0;
  return true;
}

bool CMelodyDoc::OpenDocument(const std::string& path, std::u16string& errorText) {
  if (!CreateObjects()) {
    errorText = kInitError;
    return false;
  }
  // The whole file is read before the document changes, so a file that
  // turns out broken part-way leaves the melody that was open untouched.
  CFileU file;
  if (!file.Open(path, "rb")) {
    errorText = OpenErrorWithPath(path);
    return false;
  }
  MelodyData data;
  FileStatus status = MelFormat::ReadMagic(file);
  if (status == FileStatus::Ok) status = MelFormat::ReadBody(file, data, nullptr);
  file.Close();
  if (status != FileStatus::Ok) {
    errorText = status == FileStatus::BadMagic ? kNotMelody : kReadError;
    return false;
  }

  if (!ClearDocument()) {
    errorText = kInitError;
    return false;
  }
  MelodyValues::WriteName(melody_, data.name);
  if (FAILED(MelodyValues::AppendNotes(melody_, data.notes))) {
    errorText = kInitError;
    return false;
  }
  if (!data.notes.empty()) melody_->SetCurrent(-1);
  path_ = path;
  modified_ = 0;
  return true;
}

bool CMelodyDoc::SaveDocument(const std::string* path, std::u16string& errorText) {
  // The document takes the new name only once the file is saved under it,
  // so after a failed Save As the next Save still writes the file it had.
  const std::string& target = path ? *path : path_;
  MelodyData data;
  // A melody that cannot be read whole is not saved over a good file.
  if (FAILED(MelodyValues::Read(melody_, data))) {
    errorText = kWriteError;
    return false;
  }
  switch (MelFormat::Save(target, data)) {
    case FileStatus::Ok:
      if (path) path_ = *path;
      modified_ = 0;
      return true;
    case FileStatus::OpenFailed:
      errorText = kOpenError;
      return false;
    default:
      errorText = kWriteError;
      return false;
  }
}

bool CMelodyDoc::StopPlaying(bool showWait) {
  if (!MelodyValues::IsPlaying(melody_)) return true;
  showWait = showWait && ui_ != nullptr;
  if (showWait) ui_->BeginWait();
  const bool silent = MelodyValues::StopAndWait(melody_);
  if (showWait) ui_->EndWait();
  return silent;
}

bool CMelodyDoc::ClearDocument() {
  // A melody that is still playing cannot be emptied; the document stays.
  if (!StopPlaying()) return false;
  if (melody_) melody_->Clear();
  undo_.Clear();
  return true;
}

bool CMelodyDoc::ExportMidi(const std::string& path, std::u16string& errorText) {
  MelodyData data;
  if (FAILED(MelodyValues::Read(melody_, data))) {
    errorText = MidiWriter::ErrorText(MidiWriteError::WriteFailed);
    return false;
  }
  MidiWriteError error = MidiWriter::Write(path, data.notes);
  if (error != MidiWriteError::None) {
    errorText = MidiWriter::ErrorText(error);
    return false;
  }
  return true;
}

bool CMelodyDoc::ExportRingTone(const char* path, std::string& text, bool& raised, std::u16string& errorText) {
  MelodyData data;
  std::string written;
  size_t bad = 0;
  // The model holds nothing the text cannot say, so only a melody that
  // cannot be read fails here.
  if (FAILED(MelodyValues::Read(melody_, data)) || !RingToneText::Write(data, written, raised, bad)) {
    errorText = kWriteError;
    return false;
  }
  written += '\n';
  if (path != nullptr) {
    CSaveFileU save;
    if (!save.Create(path)) {
      errorText = OpenErrorWithPath(path);
      return false;
    }
    if (!save.File().Write(written.data(), written.size()) || !save.Commit()) {
      errorText = kWriteError;
      return false;
    }
  }
  text = std::move(written);
  return true;
}

void CMelodyDoc::ChannelClear() {
  for (IMelody* melody : channelMelodies_) melody->Release();
  channelMelodies_.clear();
}

bool CMelodyDoc::ChannelAddNote(const ImportedNote& note) {
  IMelody* target = nullptr;
  for (IMelody* melody : channelMelodies_) {
    IChannel* channel = nullptr;
    if (FAILED(melody->QueryInterface(IID_IChannel, reinterpret_cast<void**>(&channel))) || !channel) continue;
    LONG value = -1;
    HRESULT hr = channel->GetChannel(&value);
    channel->Release();
    if (SUCCEEDED(hr) && value == note.channel) {
      target = melody;
      break;
    }
  }
  if (!target) {
    if (FAILED(factory_(CLSID_Melody, IID_IMelody, reinterpret_cast<void**>(&target))) || !target) return false;
    channelMelodies_.push_back(target);
    IChannel* channel = nullptr;
    if (FAILED(target->QueryInterface(IID_IChannel, reinterpret_cast<void**>(&channel))) || !channel) return false;
    HRESULT hr = channel->SetChannel(note.channel);
    channel->Release();
    if (FAILED(hr)) return false;
  }
  target->InsertNoteValues(note.pitch, note.duration, note.flags);
  return true;
}

IMelody* CMelodyDoc::ChannelMelody(LONG index) const {
  if (index < 0 || index >= ChannelCount()) return nullptr;
  return channelMelodies_[static_cast<size_t>(index)];
}

bool CMelodyDoc::TakeChannelMelody(LONG index, LONG start, LONG end, std::u16string_view name) {
  IMelody* chosen = ChannelMelody(index);
  if (!chosen) return false;
  LONG count = 0;
  if (FAILED(chosen->GetCount(&count))) return false;
  bool cut = false;
  if (start == end) {
    // An empty fragment is an empty melody wherever it lies, at the very end
    // too, where the block operations refuse a start at the count.
    cut = start >= 0 && start <= count && SUCCEEDED(chosen->Clear());
  } else {
    IBlock* block = nullptr;
    if (FAILED(chosen->QueryInterface(IID_IBlock, reinterpret_cast<void**>(&block))) || !block) return false;
    cut = SUCCEEDED(block->SetStart(start)) && SUCCEEDED(block->SetEnd(end)) && SUCCEEDED(block->KeepBlock());
    block->Release();
  }
  if (!cut || !ClearDocument()) return false;

  chosen->AddRef();
  if (melody_) melody_->Release();
  melody_ = chosen;
  name = BoundedName(name);
  MelodyValues::WriteName(melody_, name);
  path_ = nv::WideToUtf8(name);
  modified_ = 1;
  return true;
}
