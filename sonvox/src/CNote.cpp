#include "CNote.h"

#include <string>

#include "NoteTables.h"
#include "platform/Kernel.h"

namespace nv {

const InterfaceEntry<CNote> CNote::interfaceMap[] = {
    {&IID_ISupportErrorInfo, &InterfacePart<CNote, ISupportErrorInfo>},
    {&IID_INote1, &InterfacePart<CNote, INote1>},
    {nullptr, nullptr},
};

HRESULT CNote::Initialize() {
  // One auto-reset stop event per process, shared by every note: a Stop on
  // any note ends whichever note is sounding.
  const std::string name = "F3A45338-3CBF-437a-B482-CDD2AC064F8B+" + std::to_string(GetCurrentProcessId());
  stopEvent_ = CreateEvent(nullptr, FALSE, FALSE, name.c_str());
  return stopEvent_ != nullptr ? S_OK : E_HANDLE;
}

void CNote::FinalRelease() {
  if (thread_ != nullptr) {
    // The stop event is the whole process's: signalled only to end this
    // note's own thread, never a note that another melody is sounding.
    if (WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT) SetEvent(stopEvent_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
}

CNote::~CNote() {
  if (stopEvent_ != nullptr) CloseHandle(stopEvent_);
}

HRESULT CNote::Read(SHORT* out, const BYTE& field) noexcept {
  return Run([&]() -> HRESULT {
    if (out == nullptr) return E_POINTER;
    *out = field;
    return S_OK;
  });
}

HRESULT CNote::GetPitch(SHORT* out) {
  return Read(out, pitch_);
}
HRESULT CNote::GetDuration(SHORT* out) {
  return Read(out, duration_);
}
HRESULT CNote::GetFlags(SHORT* out) {
  return Read(out, flags_);
}

HRESULT CNote::SetPitch(SHORT value) {
  return Edit([&] { pitch_ = static_cast<BYTE>(value); });
}

HRESULT CNote::SetDuration(SHORT value) {
  return RunUnlessBusy(busy_, [&]() -> HRESULT {
    // A code above the sixteenth has no length: refused, the note unchanged.
    if (static_cast<BYTE>(value) > kShortestDuration) return E_INVALIDARG;
    duration_ = static_cast<BYTE>(value);
    return S_OK;
  });
}

HRESULT CNote::SetFlags(SHORT value) {
  return Edit([&] { flags_ = static_cast<BYTE>(value); });
}

// The ten lengths form one ladder, shortest first: sixteenth, dotted
// sixteenth, eighth, dotted eighth, ... whole, dotted whole. Rests step like notes.
HRESULT CNote::Lengthen() {
  return Edit([&] {
    if ((flags_ & FLAG_DOT) == 0) {
      flags_ |= FLAG_DOT;
    } else if (duration_ != 0) {
      --duration_;
      flags_ &= static_cast<BYTE>(~FLAG_DOT);
    }
  });
}

HRESULT CNote::Shorten() {
  return Edit([&] {
    if ((flags_ & FLAG_DOT) != 0) {
      flags_ &= static_cast<BYTE>(~FLAG_DOT);
    } else if (duration_ < kShortestDuration) {
      ++duration_;
      flags_ |= FLAG_DOT;
    }
  });
}

HRESULT CNote::PitchUp() {
  return Edit([&] {
    if (pitch_ < kHighestPitch && (flags_ & FLAG_REST) == 0) ++pitch_;
  });
}

HRESULT CNote::PitchDown() {
  return Edit([&] {
    if (pitch_ != 0 && (flags_ & FLAG_REST) == 0) --pitch_;
  });
}

HRESULT CNote::Select() {
  return Run([&] {
    selected_ = 1;
    return S_OK;
  });
}

HRESULT CNote::Deselect() {
  return Run([&] {
    selected_ = 0;
    return S_OK;
  });
}

}  // namespace nv
