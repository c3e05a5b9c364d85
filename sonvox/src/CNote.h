// One note symbol of a melody: pitch index, duration code and flags, the
// selection mark, and the state of the note's own playback thread.
//
// Playback (PrepareSound, Play, Stop) and drawing (Draw) are defined in their
// own source files, CNotePlay.cpp and CNoteDraw.cpp, part of the
// sonvox_model target (which the module and the tests link). A playback
// thread is started into thread_, with busy_ set to 1 by interlocked exchange
// for as long as it runs; FinalRelease signals stopEvent_ and waits for it.
#pragma once

#include "CObjectBase.h"
#include "InterfaceEntry.h"
#include "NoteTables.h"
#include "platform/Com.h"
#include "sonvox/Sonvox.h"

namespace nv {

class CNote : public CObjectBase<CNote>, public ISupportErrorInfo, public INote1 {
 public:
  static constexpr char progId[] = "Sonvox.Note";
  static const InterfaceEntry<CNote> interfaceMap[];

  // Opens the process's shared note stop event; E_HANDLE when it cannot.
  HRESULT Initialize();
  // Stops and waits for the note's playback thread, if one was ever started.
  void FinalRelease();

  HRESULT STDMETHODCALLTYPE GetPitch(SHORT* out) override;
  HRESULT STDMETHODCALLTYPE SetPitch(SHORT value) override;
  HRESULT STDMETHODCALLTYPE GetDuration(SHORT* out) override;
  HRESULT STDMETHODCALLTYPE SetDuration(SHORT value) override;
  HRESULT STDMETHODCALLTYPE GetFlags(SHORT* out) override;
  HRESULT STDMETHODCALLTYPE SetFlags(SHORT value) override;
  HRESULT STDMETHODCALLTYPE Lengthen() override;
  HRESULT STDMETHODCALLTYPE Shorten() override;
  HRESULT STDMETHODCALLTYPE PitchUp() override;
  HRESULT STDMETHODCALLTYPE PitchDown() override;
  HRESULT STDMETHODCALLTYPE Select() override;
  HRESULT STDMETHODCALLTYPE Deselect() override;
  HRESULT STDMETHODCALLTYPE Draw(HDC dc, HIMAGELIST notes, HIMAGELIST selectedNotes, const COLORREF* colours,
                                 const POINT* anchor, LONG scale) override;
  HRESULT STDMETHODCALLTYPE PrepareSound(ISample1* sample) override;
  HRESULT STDMETHODCALLTYPE Play(HANDLE started, HANDLE finished, ISample1* sample) override;
  HRESULT STDMETHODCALLTYPE Stop() override;

  // Play for a melody: the sound (a rest as silence) is handed to the sample
  // to follow whatever it is playing, without a gap, when the sample can do
  // that (ISampleSequence); otherwise as Play.
  HRESULT PlayInSequence(HANDLE started, HANDLE finished, ISample1* sample);

  // Test seams: marks the note as playing (1) or idle (0) without a thread;
  // reads the selection mark.
  void SetBusyForTesting(LONG busy) { InterlockedExchange(&busy_, busy); }
  bool IsSelectedForTesting() {
    ObjectLock hold(lock_);
    return selected_ != 0;
  }

 protected:
  CNote() = default;
  ~CNote() override;

 private:
  // The refusal rule of the editing methods.
  template <class Body>
  HRESULT Edit(Body&& body) noexcept {
    return RunUnlessBusy(busy_, [&]() -> HRESULT {
      body();
      return S_OK;
    });
  }
  HRESULT Read(SHORT* out, const BYTE& field) noexcept;

  // The note's playback thread (CNotePlay.cpp).
  struct PlaybackStart;
  HRESULT StartPlayback(HANDLE started, HANDLE finished, ISample1* sample, bool inSequence);
  static DWORD WINAPI PlaybackThread(LPVOID parameter);

  BYTE pitch_ = kDefaultPitch;
  BYTE duration_ = kDefaultDuration;
  BYTE flags_ = 0;  // FLAG_REST, FLAG_DOT; other bits are kept as given
  BYTE selected_ = 0;
  volatile LONG busy_ = 0;
  HANDLE thread_ = nullptr;     // the last playback thread started, or null
  HANDLE stopEvent_ = nullptr;  // shared by every note of the process
};

}  // namespace nv
