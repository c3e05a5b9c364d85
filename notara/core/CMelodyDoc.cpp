#include "CMelodyDoc.h"

#include "common/CFileU.h"
#include "common/MelFormat.h"
#include "common/MelodyValues.h"
#include "common/ToneSample.h"
#include "midi/MidiWriter.h"
#include "platform/CodePage.h"
#include "platform/Kernel.h"

namespace {

constexpr const char16_t* kInitError = u"Ошибка при инициализации документа\n";
constexpr const char16_t* kOpenError = u"Ошибка при открытии файла";
constexpr const char16_t* kNotMelody = u"Файл не является мелодией\n";
constexpr const char16_t* kReadError = u"Ошибка при чтении файла";
constexpr const char16_t* kWriteError = u"Ошибка при записи в файл";
constexpr const char16_t* kSampleError = u"Ошибка при создании объекта \"Образец\"";
constexpr const char16_t* kMelodyError = u"Ошибка при создании объекта \"Мелодия\"";
constexpr DWORD kStopPollMs = 50;

std::u16string OpenErrorWithPath(const std::string& path) {
  return std::u16string(kOpenError) + u" " + nv::Utf8ToWide(path) + u"\n";
}

// Names longer than a file can hold are stored empty.
std::u16string_view BoundedName(std::u16string_view name) {
  return name.size() > CStringU::kMaxLength ? std::u16string_view() : name;
}

}  // namespace

CMelodyDoc::CMelodyDoc(Ui* ui, ObjectFactory factory) : ui_(ui), factory_(OrServerObjects(std::move(factory))) {}

CMelodyDoc::~CMelodyDoc() {
  ChannelClear();
  if (melody_) melody_->Release();
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
  if (!CreateObjects()) return false;
  ClearDocument();
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
  {
    CFileU probe;
    if (!probe.Open(path, "rb")) {
      errorText = OpenErrorWithPath(path);
      return false;
    }
    switch (MelFormat::ReadMagic(probe)) {
      case FileStatus::Ok:
        break;
      case FileStatus::BadMagic:
        errorText = kNotMelody;
        return false;
      default:
        errorText = kReadError;
        return false;
    }
  }

  ClearDocument();
  CFileU file;
  if (!file.Open(path, "rb")) {
    errorText = OpenErrorWithPath(path);
    return false;
  }
  MelodyData data;
  bool nameRead = false;
  FileStatus status = MelFormat::ReadMagic(file);
  if (status == FileStatus::Ok) status = MelFormat::ReadBody(file, data, &nameRead);
  file.Close();

  if (nameRead) MelodyValues::WriteName(melody_, data.name);
  if (FAILED(MelodyValues::AppendNotes(melody_, data.notes))) {
    errorText = kInitError;
    return false;
  }
  if (status != FileStatus::Ok) {
    errorText = status == FileStatus::BadMagic ? kNotMelody : kReadError;
    return false;
  }
  if (!data.notes.empty()) melody_->SetCurrent(-1);
  path_ = path;
  modified_ = 0;
  return true;
}

bool CMelodyDoc::SaveDocument(const std::string* path, std::u16string& errorText) {
  if (path) path_ = *path;
  MelodyData data;
  // A melody that cannot be read whole is not saved over a good file.
  if (FAILED(MelodyValues::Read(melody_, data))) {
    errorText = kWriteError;
    return false;
  }
  switch (MelFormat::Save(path_, data)) {
    case FileStatus::Ok:
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

void CMelodyDoc::ClearDocument() {
  if (melody_) {
    SHORT playing = 0;
    if (SUCCEEDED(melody_->IsPlaying(&playing)) && playing) {
      melody_->Stop();
      if (ui_) ui_->BeginWait();
      while (SUCCEEDED(melody_->IsPlaying(&playing)) && playing) Sleep(kStopPollMs);
      if (ui_) ui_->EndWait();
    }
    melody_->Clear();
  }
  undo_.Clear();
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
  IBlock* block = nullptr;
  if (FAILED(chosen->QueryInterface(IID_IBlock, reinterpret_cast<void**>(&block))) || !block) return false;
  bool cut = SUCCEEDED(block->SetStart(start)) && SUCCEEDED(block->SetEnd(end)) && SUCCEEDED(block->KeepBlock());
  block->Release();
  if (!cut) return false;

  ClearDocument();
  chosen->AddRef();
  if (melody_) melody_->Release();
  melody_ = chosen;
  name = BoundedName(name);
  MelodyValues::WriteName(melody_, name);
  path_ = nv::WideToUtf8(name);
  modified_ = 1;
  return true;
}
