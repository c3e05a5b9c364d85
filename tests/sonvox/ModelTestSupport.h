// Helpers of the model tests: objects made directly from the model classes
// (linked into the test), the thread's error text, and views of a melody.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CComObject.h"
#include "CMelody.h"
#include "CNote.h"
#include "ComPtr.h"
#include "platform/Com.h"

namespace nvtest {

// Takes the calling thread's error information; its description, or empty when there is none.
inline std::u16string TakeErrorText() {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || info == nullptr) return {};
  BSTR text = nullptr;
  std::u16string result;
  if (SUCCEEDED(info->GetDescription(&text)) && text != nullptr) result.assign(text, SysStringLen(text));
  SysFreeString(text);
  info->Release();
  return result;
}

template <class T, class I>
nv::ComPtr<I> Create(REFIID iid) {
  nv::ComPtr<I> object;
  EXPECT_EQ(S_OK, nv::CComObject<T>::CreateInstance(iid, object.putVoid()));
  return object;
}

inline nv::ComPtr<IMelody> NewMelody() {
  return Create<nv::CMelody, IMelody>(IID_IMelody);
}
inline nv::ComPtr<INote1> NewNote() {
  return Create<nv::CNote, INote1>(IID_INote1);
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
  for (int i = 0; i < count; ++i) EXPECT_EQ(S_OK, melody->InsertNoteValues(static_cast<SHORT>(i), 3, 0));
  EXPECT_EQ(S_OK, melody->SetCurrent(-1));
  return melody;
}

inline std::vector<int> Pitches(IMelody* melody) {
  std::vector<int> pitches;
  for (LONG i = 0; INote1* note = Impl(melody)->NoteForTesting(i); ++i) {
    SHORT pitch = -1;
    EXPECT_EQ(S_OK, note->GetPitch(&pitch));
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
  EXPECT_EQ(S_OK, melody->GetCurrent(&current));
  return current;
}

}  // namespace nvtest
