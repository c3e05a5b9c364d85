#include "CMelody.h"

#include "CComObject.h"
#include "CNote.h"
#include "platform/ComPtr.h"
#include "platform/Kernel.h"

namespace nv {

namespace {

constexpr char16_t kDefaultName[] = u"Новая мелодия";

}  // namespace

const InterfaceEntry<CMelody> CMelody::interfaceMap[] = {
    {&IID_ISupportErrorInfo, &InterfacePart<CMelody, ISupportErrorInfo>},
    {&IID_IMelody, &InterfacePart<CMelody, IMelody>},
    {&IID_IChannel, &InterfacePart<CMelody, IChannel>},
    {&IID_IBlock, &InterfacePart<CMelody, IBlock>},
    {nullptr, nullptr},
};

HRESULT CMelody::Initialize() {
  try {
    name_ = kDefaultName;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  stopEvent_ = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  return stopEvent_ != nullptr ? S_OK : E_HANDLE;
}

void CMelody::FinalRelease() {
  if (thread_ != nullptr) {
    SetEvent(stopEvent_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
}

CMelody::~CMelody() {
  ReleaseAllNotes();
  if (stopEvent_ != nullptr) CloseHandle(stopEvent_);
}

// ---- helpers (under the melody's lock) ----

void CMelody::InsertNew(bool rest) {
  // Notes are made inside the module, so a melody works whether or not the
  // note class is registered.
  ComPtr<INote1> note;
  if (FAILED(CComObject<CNote>::CreateInstance(IID_INote1, note.putVoid()))) Raise(E_FAIL);
  if (rest) Check(note->SetFlags(FLAG_REST));
  // Room first: the only step that can fail, and nothing has changed yet.
  // Growth is geometric so building a long melody stays linear.
  if (notes_.size() == notes_.capacity()) notes_.reserve(notes_.empty() ? 16 : notes_.size() * 2);
  LONG at = Count();
  if (current_ >= 0) {
    Check(notes_[current_]->Deselect());
    at = current_ + 1;
  }
  Check(note->Select());
  notes_.insert(notes_.begin() + at, note.detach());
  current_ = at;
}

void CMelody::MakeCurrent(LONG index) {
  if (current_ >= 0) {
    const LONG previous = current_;
    current_ = -1;
    Check(notes_[previous]->Deselect());
  }
  if (index >= 0 && index < Count()) {
    Check(notes_[index]->Select());
    current_ = index;
  }
}

void CMelody::RemoveNotes(LONG first, LONG last) {
  for (LONG i = first; i < last; ++i) notes_[i]->Release();
  notes_.erase(notes_.begin() + first, notes_.begin() + last);
}

void CMelody::ReleaseAllNotes() {
  RemoveNotes(0, Count());
  current_ = -1;
}

void CMelody::ValidateBlock() const {
  if (blockStart_ < 0 || blockStart_ >= Count()) {
    Raise(E_FAIL, "Начальная позиция блока выходит за пределы мелодии\n");
  }
  if (blockEnd_ < 0 || blockEnd_ > Count()) Raise(E_FAIL, "Конечная позицию блока выходит за пределы мелодии\n");
  if (blockEnd_ < blockStart_) Raise(E_FAIL, "Начальная позиция больше конечной\n");
}

HRESULT CMelody::ReadCurrent(SHORT* out, HRESULT (STDMETHODCALLTYPE INote1::*get)(SHORT*)) noexcept {
  return Run([&]() -> HRESULT {
    if (out == nullptr) return E_POINTER;
    return current_ >= 0 ? (notes_[current_]->*get)(out) : S_OK;
  });
}

HRESULT CMelody::StepCurrentPitch(SHORT* before, SHORT* after, NoteStep step) noexcept {
  return RunUnlessBusy(busy_, [&]() -> HRESULT {
    if (current_ < 0) return S_OK;
    INote1* note = notes_[current_];
    if (before != nullptr) Check(note->GetPitch(before));
    Check((note->*step)());
    if (after != nullptr) Check(note->GetPitch(after));
    return S_OK;
  });
}

HRESULT CMelody::StepCurrentLength(SHORT* durationBefore, SHORT* durationAfter, SHORT* flagsBefore, SHORT* flagsAfter,
                                   NoteStep step) noexcept {
  return RunUnlessBusy(busy_, [&]() -> HRESULT {
    if (current_ < 0) return S_OK;
    INote1* note = notes_[current_];
    if (durationBefore != nullptr) Check(note->GetDuration(durationBefore));
    if (flagsBefore != nullptr) Check(note->GetFlags(flagsBefore));
    Check((note->*step)());
    if (durationAfter != nullptr) Check(note->GetDuration(durationAfter));
    if (flagsAfter != nullptr) Check(note->GetFlags(flagsAfter));
    return S_OK;
  });
}

HRESULT CMelody::ReadField(LONG* out, const LONG& field) noexcept {
  return Run([&]() -> HRESULT {
    if (out == nullptr) return E_POINTER;
    *out = field;
    return S_OK;
  });
}

HRESULT CMelody::WriteField(LONG& field, LONG value) noexcept {
  return Run([&] {
    field = value;
    return S_OK;
  });
}

// ---- IMelody ----

HRESULT CMelody::GetName(BSTR* out) {
  return Run([&]() -> HRESULT {
    if (out == nullptr) return E_POINTER;
    *out = SysAllocStringLen(name_.data(), static_cast<UINT>(name_.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
  });
}

HRESULT CMelody::SetName(BSTR name) {
  return Run([&] {
    // A null BSTR is the empty string; a name ends at its first NUL.
    name_ = name != nullptr ? std::u16string(name) : std::u16string();
    return S_OK;
  });
}

HRESULT CMelody::InsertNote() {
  return RunUnlessBusy(busy_, [&] {
    InsertNew(false);
    return S_OK;
  });
}

HRESULT CMelody::InsertRest() {
  return RunUnlessBusy(busy_, [&] {
    InsertNew(true);
    return S_OK;
  });
}

HRESULT CMelody::InsertNoteValues(SHORT pitch, SHORT duration, SHORT flags) {
  return RunUnlessBusy(busy_, [&] {
    InsertNew(false);
    INote1* note = notes_[current_];
    Check(note->SetPitch(pitch));
    Check(note->SetDuration(duration));
    Check(note->SetFlags(flags));
    return S_OK;
  });
}

HRESULT CMelody::DeleteCurrent() {
  return RunUnlessBusy(busy_, [&] {
    if (current_ >= 0) {
      const LONG index = current_;
      current_ = -1;
      RemoveNotes(index, index + 1);
    }
    return S_OK;
  });
}

HRESULT CMelody::DeleteLast() {
  return RunUnlessBusy(busy_, [&] {
    if (!notes_.empty()) {
      const LONG last = Count() - 1;
      if (current_ == last) current_ = -1;
      RemoveNotes(last, last + 1);
    }
    return S_OK;
  });
}

HRESULT CMelody::GetCount(LONG* out) {
  return Run([&]() -> HRESULT {
    if (out == nullptr) return E_POINTER;
    *out = Count();
    return S_OK;
  });
}

HRESULT CMelody::GetCurrent(LONG* out) {
  return ReadField(out, current_);
}

HRESULT CMelody::SetCurrent(LONG index) {
  // Not refused while busy: the playback thread moves the current note itself.
  return Run([&] {
    MakeCurrent(index);
    return S_OK;
  });
}

HRESULT CMelody::GetCurrentDuration(SHORT* out) {
  return ReadCurrent(out, &INote1::GetDuration);
}
HRESULT CMelody::GetCurrentPitch(SHORT* out) {
  return ReadCurrent(out, &INote1::GetPitch);
}
HRESULT CMelody::GetCurrentFlags(SHORT* out) {
  return ReadCurrent(out, &INote1::GetFlags);
}

HRESULT CMelody::CurrentPitchUp(SHORT* before, SHORT* after) {
  return StepCurrentPitch(before, after, &INote1::PitchUp);
}

HRESULT CMelody::CurrentPitchDown(SHORT* before, SHORT* after) {
  return StepCurrentPitch(before, after, &INote1::PitchDown);
}

HRESULT CMelody::CurrentLengthen(SHORT* durationBefore, SHORT* durationAfter, SHORT* flagsBefore, SHORT* flagsAfter) {
  return StepCurrentLength(durationBefore, durationAfter, flagsBefore, flagsAfter, &INote1::Lengthen);
}

HRESULT CMelody::CurrentShorten(SHORT* durationBefore, SHORT* durationAfter, SHORT* flagsBefore, SHORT* flagsAfter) {
  return StepCurrentLength(durationBefore, durationAfter, flagsBefore, flagsAfter, &INote1::Shorten);
}

HRESULT CMelody::Clear() {
  return RunUnlessBusy(busy_, [&] {
    name_ = kDefaultName;
    ReleaseAllNotes();
    return S_OK;
  });
}

// ---- IChannel ----

HRESULT CMelody::GetChannel(LONG* out) {
  return ReadField(out, channel_);
}
HRESULT CMelody::SetChannel(LONG value) {
  return WriteField(channel_, value);
}

// ---- IBlock ----

HRESULT CMelody::GetStart(LONG* out) {
  return ReadField(out, blockStart_);
}
HRESULT CMelody::SetStart(LONG value) {
  return WriteField(blockStart_, value);
}
HRESULT CMelody::GetEnd(LONG* out) {
  return ReadField(out, blockEnd_);
}
HRESULT CMelody::SetEnd(LONG value) {
  return WriteField(blockEnd_, value);
}

HRESULT CMelody::DeleteBlock() {
  return RunUnlessBusy(busy_, [&] {
    ValidateBlock();
    MakeCurrent(-1);
    RemoveNotes(blockStart_, blockEnd_);
    blockStart_ = blockEnd_ = -1;
    return S_OK;
  });
}

HRESULT CMelody::KeepBlock() {
  return RunUnlessBusy(busy_, [&] {
    ValidateBlock();
    MakeCurrent(-1);
    RemoveNotes(blockEnd_, Count());
    RemoveNotes(0, blockStart_);
    blockStart_ = blockEnd_ = -1;
    return S_OK;
  });
}

HRESULT CMelody::ResetBlock() {
  return RunUnlessBusy(busy_, [&] {
    blockStart_ = blockEnd_ = -1;
    return S_OK;
  });
}

}  // namespace nv
