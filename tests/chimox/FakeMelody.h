// A melody object for the bell's procedures: a list of note values behind
// the IMelody calls the bell makes, with a visible reference count.
#pragma once

#include <vector>

#include "MelodyNotes.h"
#include "sonvox/Sonvox.h"

namespace chimoxtest {

using chimox::NoteValues;

class FakeMelody final : public IMelody {
 public:
  FakeMelody() = default;
  explicit FakeMelody(std::vector<NoteValues> notes) : notes_(std::move(notes)) {}

  std::vector<NoteValues> notes_;
  LONG current_ = -1;
  LONG refs_ = 1;
  bool refuseInsert_ = false;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMelody)) {
      AddRef();
      *ppv = this;
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(__atomic_add_fetch(&refs_, 1, __ATOMIC_SEQ_CST));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    return static_cast<ULONG>(__atomic_sub_fetch(&refs_, 1, __ATOMIC_SEQ_CST));
  }
  LONG refs() const { return __atomic_load_n(&refs_, __ATOMIC_SEQ_CST); }

  HRESULT STDMETHODCALLTYPE InsertNoteValues(SHORT pitch, SHORT duration, SHORT flags) override {
    if (refuseInsert_) return E_FAIL;
    notes_.push_back({pitch, duration, flags});
    current_ = static_cast<LONG>(notes_.size()) - 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetCount(LONG* out) override {
    *out = static_cast<LONG>(notes_.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetCurrent(LONG index) override {
    if (index < 0 || index >= static_cast<LONG>(notes_.size())) return E_FAIL;
    current_ = index;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetCurrentPitch(SHORT* out) override { return Get(&NoteValues::pitch, out); }
  HRESULT STDMETHODCALLTYPE GetCurrentDuration(SHORT* out) override { return Get(&NoteValues::duration, out); }
  HRESULT STDMETHODCALLTYPE GetCurrentFlags(SHORT* out) override { return Get(&NoteValues::flags, out); }

  // Not used by the bell.
  HRESULT STDMETHODCALLTYPE GetName(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetName(BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InsertNote() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InsertRest() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeleteCurrent() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeleteLast() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Draw(HDC, HIMAGELIST, HIMAGELIST, HIMAGELIST, const COLORREF*, const RECT*, HFONT,
                                 LONG) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetNotePosition(LONG, LONG, LONG, POINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCurrent(LONG* out) override {
    *out = current_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CurrentPitchUp(SHORT*, SHORT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CurrentPitchDown(SHORT*, SHORT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CurrentLengthen(SHORT*, SHORT*, SHORT*, SHORT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CurrentShorten(SHORT*, SHORT*, SHORT*, SHORT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SelectAt(LONG, LONG, LONG, LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Play(SHORT, ISample1*, HWND, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE IsPlaying(SHORT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Clear() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetNoteSize(LONG, LONG, LONG*, LONG*) override { return E_NOTIMPL; }

 private:
  HRESULT Get(SHORT NoteValues::*field, SHORT* out) {
    if (current_ < 0) return E_FAIL;
    *out = notes_[static_cast<size_t>(current_)].*field;
    return S_OK;
  }
};

// n notes of rising pitch with the given flags.
inline std::vector<NoteValues> Notes(int n, SHORT flags = 0, SHORT firstPitch = 1) {
  std::vector<NoteValues> notes;
  for (int i = 0; i < n; ++i) {
    notes.push_back({static_cast<SHORT>((firstPitch + i) % 32), static_cast<SHORT>(i % 5), flags});
  }
  return notes;
}

}  // namespace chimoxtest
