// Helpers of the model tests: objects made directly from the model classes
// (linked into the test), the thread's error text, and views of a melody.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CComObject.h"
#include "CMelody.h"
#include "CNote.h"
#include "platform/ComPtr.h"

namespace nvtest {

// Takes the calling thread's error information: its description, or empty.
inline std::u16string TakeErrorText() {
  nv::ComPtr<IErrorInfo> info;
  BSTR text = nullptr;
  if (GetErrorInfo(0, info.put()) != S_OK || FAILED(info->GetDescription(&text))) return {};
  std::u16string result(text, SysStringLen(text));
  SysFreeString(text);
  return result;
}

inline nv::ComPtr<IMelody> NewMelody() {
  nv::ComPtr<IMelody> melody;
  EXPECT_EQ(S_OK, nv::CComObject<nv::CMelody>::CreateInstance(IID_IMelody, melody.putVoid()));
  return melody;
}

inline nv::ComPtr<INote1> NewNote() {
  nv::ComPtr<INote1> note;
  EXPECT_EQ(S_OK, nv::CComObject<nv::CNote>::CreateInstance(IID_INote1, note.putVoid()));
  return note;
}

inline nv::CMelody* Impl(IMelody* melody) {
  return static_cast<nv::CMelody*>(melody);
}
inline nv::CNote* Impl(INote1* note) {
  return static_cast<nv::CNote*>(note);
}

// A melody of count eighth notes whose pitches are their indices, no note current.
inline nv::ComPtr<IMelody> MelodyOfPitches(int count) {
  nv::ComPtr<IMelody> melody = NewMelody();
  for (int i = 0; i < count; ++i) melody->InsertNoteValues(static_cast<SHORT>(i), 3, 0);
  melody->SetCurrent(-1);
  return melody;
}

inline std::vector<int> Pitches(IMelody* melody) {
  std::vector<int> pitches;
  for (LONG i = 0; INote1* note = Impl(melody)->NoteForTesting(i); ++i) {
    SHORT pitch = -1;
    note->GetPitch(&pitch);
    pitches.push_back(pitch);
  }
  return pitches;
}

inline std::vector<int> SelectedIndices(IMelody* melody) {
  std::vector<int> selected;
  for (LONG i = 0; INote1* note = Impl(melody)->NoteForTesting(i); ++i) {
    if (Impl(note)->IsSelectedForTesting()) selected.push_back(i);
  }
  return selected;
}

inline LONG Current(IMelody* melody) {
  LONG current = -2;
  melody->GetCurrent(&current);
  return current;
}

}  // namespace nvtest
