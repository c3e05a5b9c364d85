#include "CMelodyEditor.h"

#include "CWholeMelodyEdits.h"
#include "common/MelodyValues.h"
#include "platform/Kernel.h"

namespace {

// One reference to an interface, released at scope end.
template <class I>
class Ref {
 public:
  Ref() = default;
  ~Ref() {
    if (p_ != nullptr) p_->Release();
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  void** Put() { return reinterpret_cast<void**>(&p_); }
  I* operator->() const { return p_; }
  I* Get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  I* p_ = nullptr;
};

// An unnamed auto-reset event, closed at scope end.
class Event {
 public:
  Event() : h_(CreateEvent(nullptr, FALSE, FALSE, nullptr)) {}
  ~Event() {
    if (h_ != nullptr) CloseHandle(h_);
  }
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  HANDLE Get() const { return h_; }

 private:
  HANDLE h_;
};

LONG Current(IMelody* melody) {
  LONG current = -1;
  if (FAILED(melody->GetCurrent(&current))) return -1;
  return current;
}

}  // namespace

CMelodyEditor::CMelodyEditor(CMelodyDoc& doc, ObjectFactory factory, DWORD soundWaitMs)
    : doc_(doc), factory_(OrServerObjects(std::move(factory))), soundWaitMs_(soundWaitMs) {}

bool CMelodyEditor::IsPlaying(IMelody* melody) const {
  SHORT playing = 0;
  return SUCCEEDED(melody->IsPlaying(&playing)) && playing != 0;
}

LONG CMelodyEditor::Next() {
  IMelody* melody = doc_.Melody();
  LONG count = 0;
  if (melody == nullptr || FAILED(melody->GetCount(&count)) || count <= 0) return 0;
  const LONG current = Current(melody);
  melody->SetCurrent(current < 0 ? 0 : current >= count - 1 ? -1 : current + 1);
  return 1;
}

LONG CMelodyEditor::Previous() {
  IMelody* melody = doc_.Melody();
  LONG count = 0;
  if (melody == nullptr || FAILED(melody->GetCount(&count)) || count <= 0) return 0;
  const LONG current = Current(melody);
  melody->SetCurrent(current < 0 ? count - 1 : current == 0 ? -1 : current - 1);
  return 1;
}

LONG CMelodyEditor::InsertNote() {
  IMelody* melody = doc_.Melody();
  LONG index = -1;
  if (melody == nullptr || FAILED(melody->InsertNote()) || FAILED(melody->GetCurrent(&index))) return 0;
  doc_.Undo().Push(UndoRecord{UNDO_INSERT_NOTE, index, 0, 0, 0, CStringU(), {}});
  doc_.SetModified(true);
  return 1;
}

LONG CMelodyEditor::InsertRest() {
  IMelody* melody = doc_.Melody();
  LONG index = -1;
  if (melody == nullptr || FAILED(melody->InsertRest()) || FAILED(melody->GetCurrent(&index))) return 0;
  doc_.Undo().Push(UndoRecord{UNDO_INSERT_REST, index, 0, 0, 0, CStringU(), {}});
  doc_.SetModified(true);
  return 1;
}

LONG CMelodyEditor::Delete() {
  IMelody* melody = doc_.Melody();
  if (melody == nullptr) return 0;
  UndoRecord record{UNDO_DELETE, -1, 0, 0, 0, CStringU(), {}};
  if (FAILED(melody->GetCurrent(&record.index)) || record.index < 0) return 0;
  if (FAILED(melody->GetCurrentPitch(&record.pitch)) || FAILED(melody->GetCurrentDuration(&record.duration)) ||
      FAILED(melody->GetCurrentFlags(&record.flags))) {
    return 0;
  }
  if (FAILED(melody->DeleteCurrent())) return 0;
  doc_.Undo().Push(record);
  doc_.SetModified(true);
  return 1;
}

LONG CMelodyEditor::StepPitch(bool up) {
  IMelody* melody = doc_.Melody();
  if (melody == nullptr) return 0;
  const LONG index = Current(melody);
  if (index < 0) return 0;
  SHORT before = 0;
  SHORT after = 0;
  const HRESULT hr = up ? melody->CurrentPitchUp(&before, &after) : melody->CurrentPitchDown(&before, &after);
  // A refused step (the melody plays) changed nothing and is not recorded.
  if (FAILED(hr)) return 0;
  if (before != after) {
    doc_.Undo().Push(UndoRecord{up ? UNDO_PITCH_UP : UNDO_PITCH_DOWN, index, 0, 0, 0, CStringU(), {}});
  }
  doc_.SetModified(true);
  return 1;
}

LONG CMelodyEditor::StepLength(bool longer) {
  IMelody* melody = doc_.Melody();
  if (melody == nullptr) return 0;
  const LONG index = Current(melody);
  if (index < 0) return 0;
  SHORT durationBefore = 0;
  SHORT durationAfter = 0;
  SHORT flagsBefore = 0;
  SHORT flagsAfter = 0;
  const HRESULT hr = longer ? melody->CurrentLengthen(&durationBefore, &durationAfter, &flagsBefore, &flagsAfter)
                            : melody->CurrentShorten(&durationBefore, &durationAfter, &flagsBefore, &flagsAfter);
  if (FAILED(hr)) return 0;
  if (durationBefore != durationAfter || flagsBefore != flagsAfter) {
    doc_.Undo().Push(UndoRecord{longer ? UNDO_LENGTHEN : UNDO_SHORTEN, index, 0, 0, 0, CStringU(), {}});
  }
  doc_.SetModified(true);
  return 1;
}

LONG CMelodyEditor::Rename(const CStringU& name) {
  IMelody* melody = doc_.Melody();
  if (melody == nullptr) return 0;
  std::u16string previous;
  if (FAILED(MelodyValues::ReadName(melody, previous))) previous.clear();
  if (FAILED(MelodyValues::WriteName(melody, name.View()))) return 0;
  doc_.Undo().Push(UndoRecord{UNDO_RENAME, 0, 0, 0, 0, CStringU(previous), {}});
  doc_.SetModified(true);
  return 1;
}

void CMelodyEditor::RestoreDeleted(IMelody* melody, const UndoRecord& record) {
  LONG count = 0;
  melody->GetCount(&count);
  if (count == 0) {
    melody->InsertNoteValues(record.pitch, record.duration, record.flags);
  } else if (record.index > 0) {
    melody->SetCurrent(record.index - 1);
    melody->InsertNoteValues(record.pitch, record.duration, record.flags);
  } else {
    // Nothing can be inserted before the first note: insert the deleted
    // symbol and a copy of the first one after it, then drop the original.
    SHORT pitch = 0;
    SHORT duration = 0;
    SHORT flags = 0;
    melody->SetCurrent(0);
    melody->GetCurrentPitch(&pitch);
    melody->GetCurrentDuration(&duration);
    melody->GetCurrentFlags(&flags);
    melody->InsertNoteValues(record.pitch, record.duration, record.flags);
    melody->InsertNoteValues(pitch, duration, flags);
    melody->SetCurrent(0);
    melody->DeleteCurrent();
    melody->SetCurrent(0);
  }
}

LONG CMelodyEditor::Undo() {
  IMelody* melody = doc_.Melody();
  if (melody == nullptr || doc_.Undo().IsEmpty()) return 0;
  // While the melody plays every change would be refused and the step lost.
  if (IsPlaying(melody)) return 0;
  UndoRecord record;
  if (!doc_.Undo().Pop(record)) return 0;
  switch (record.kind) {
    case UNDO_RENAME:
      MelodyValues::WriteName(melody, record.name.View());
      break;
    case UNDO_INSERT_NOTE:
    case UNDO_INSERT_REST:
      melody->SetCurrent(record.index);
      melody->DeleteCurrent();
      break;
    case UNDO_DELETE:
      RestoreDeleted(melody, record);
      break;
    case UNDO_PITCH_UP:
      melody->SetCurrent(record.index);
      melody->CurrentPitchDown(nullptr, nullptr);
      break;
    case UNDO_PITCH_DOWN:
      melody->SetCurrent(record.index);
      melody->CurrentPitchUp(nullptr, nullptr);
      break;
    case UNDO_LENGTHEN:
      melody->SetCurrent(record.index);
      melody->CurrentShorten(nullptr, nullptr, nullptr, nullptr);
      break;
    case UNDO_SHORTEN:
      melody->SetCurrent(record.index);
      melody->CurrentLengthen(nullptr, nullptr, nullptr, nullptr);
      break;
    case UNDO_REWRITE:
      CWholeMelodyEdits::Restore(melody, record);
      break;
    default:
      return 0;
  }
  doc_.SetModified(true);
  return 1;
}

LONG CMelodyEditor::SoundNote() {
  IMelody* melody = doc_.Melody();
  if (melody == nullptr || Current(melody) < 0) return 0;
  Ref<INote1> note;
  if (FAILED(factory_(CLSID_Note, IID_INote1, note.Put())) || !note) return 0;
  SHORT pitch = 0;
  SHORT flags = 0;
  melody->GetCurrentPitch(&pitch);
  melody->GetCurrentFlags(&flags);
  note->SetPitch(pitch);
  note->SetDuration(DURATION_SIXTEENTH);
  note->SetFlags(flags);

  Event finished;
  if (finished.Get() == nullptr) return 0;
  note->PrepareSound(doc_.Sample());
  // Only a note that started will signal its end.
  if (FAILED(note->Play(nullptr, finished.Get(), doc_.Sample()))) return 0;
  if (WaitForSingleObject(finished.Get(), soundWaitMs_) != WAIT_OBJECT_0) {
    note->Stop();
    WaitForSingleObject(finished.Get(), soundWaitMs_);
  }
  return 1;
}

LONG CMelodyEditor::Play(HWND window) {
  IMelody* melody = doc_.Melody();
  if (melody == nullptr) return 0;
  const LONG current = Current(melody);
  if (current < 0) return SUCCEEDED(melody->Play(0, doc_.Sample(), window, kProgressMessage)) ? 1 : 0;
  Ref<IBlock> block;
  if (FAILED(melody->QueryInterface(IID_IBlock, block.Put())) || !block) return 0;
  LONG count = 0;
  melody->GetCount(&count);
  block->SetStart(current);
  block->SetEnd(count);
  return SUCCEEDED(melody->Play(1, doc_.Sample(), window, kProgressMessage)) ? 1 : 0;
}
