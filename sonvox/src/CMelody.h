// A melody: an ordered list of note symbols with a current (selected) note,
// a name, the MIDI channel it came from, a block range, and the state of its
// playback thread.
//
// Lock order: a melody method holds the melody's lock and may call into its
// notes (taking each note's lock); a note never calls back into its melody.
//
// Playback (Play, Stop, IsPlaying) and drawing and hit testing (Draw,
// GetNotePosition, SelectAt, GetNoteSize) are defined in their own source
// files, CMelodyPlay.cpp and CMelodyDraw.cpp, part of the sonvox_model
// target (which the module and the tests link). The playback thread is
// started into thread_ and sets busy_ by interlocked exchange while it runs;
// it reaches the melody only through its interface methods and AcquireNote
// (each taking the lock) and must not AddRef or Release it. FinalRelease signals stopEvent_ and waits for the
// thread before the notes are released.
#pragma once

#include <string>
#include <vector>

#include "CObjectBase.h"
#include "InterfaceEntry.h"
#include "platform/Com.h"
#include "sonvox/Sonvox.h"

namespace nv {

class CMelody : public CObjectBase<CMelody>, public ISupportErrorInfo, public IMelody, public IChannel, public IBlock {
 public:
  static constexpr char progId[] = "Sonvox.Melody";
  static const InterfaceEntry<CMelody> interfaceMap[];

  // Creates the melody's stop event; E_HANDLE when it cannot.
  HRESULT Initialize();
  // Stops and waits for the playback thread, if one was ever started.
  void FinalRelease();

  // IMelody
  HRESULT STDMETHODCALLTYPE GetName(BSTR* out) override;
  HRESULT STDMETHODCALLTYPE SetName(BSTR name) override;
  HRESULT STDMETHODCALLTYPE InsertNote() override;
  HRESULT STDMETHODCALLTYPE InsertNoteValues(SHORT pitch, SHORT duration, SHORT flags) override;
  HRESULT STDMETHODCALLTYPE InsertRest() override;
  HRESULT STDMETHODCALLTYPE DeleteCurrent() override;
  HRESULT STDMETHODCALLTYPE DeleteLast() override;
  HRESULT STDMETHODCALLTYPE Draw(HDC dc, HIMAGELIST staff, HIMAGELIST notes, HIMAGELIST selectedNotes,
                                 const COLORREF* colours, const RECT* clip, HFONT font, LONG scale) override;
  HRESULT STDMETHODCALLTYPE GetCount(LONG* out) override;
  HRESULT STDMETHODCALLTYPE GetNotePosition(LONG index, LONG scale, LONG top, POINT* out) override;
  HRESULT STDMETHODCALLTYPE GetCurrent(LONG* out) override;
  HRESULT STDMETHODCALLTYPE SetCurrent(LONG index) override;
  HRESULT STDMETHODCALLTYPE GetCurrentDuration(SHORT* out) override;
  HRESULT STDMETHODCALLTYPE GetCurrentPitch(SHORT* out) override;
  HRESULT STDMETHODCALLTYPE GetCurrentFlags(SHORT* out) override;
  HRESULT STDMETHODCALLTYPE CurrentPitchUp(SHORT* before, SHORT* after) override;
  HRESULT STDMETHODCALLTYPE CurrentPitchDown(SHORT* before, SHORT* after) override;
  HRESULT STDMETHODCALLTYPE CurrentLengthen(SHORT* durationBefore, SHORT* durationAfter, SHORT* flagsBefore,
                                            SHORT* flagsAfter) override;
  HRESULT STDMETHODCALLTYPE CurrentShorten(SHORT* durationBefore, SHORT* durationAfter, SHORT* flagsBefore,
                                           SHORT* flagsAfter) override;
  HRESULT STDMETHODCALLTYPE SelectAt(LONG x, LONG y, LONG scale, LONG top) override;
  HRESULT STDMETHODCALLTYPE Play(SHORT blockOnly, ISample1* sample, HWND window, UINT message) override;
  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE IsPlaying(SHORT* out) override;
  HRESULT STDMETHODCALLTYPE Clear() override;
  HRESULT STDMETHODCALLTYPE GetNoteSize(LONG scale, LONG reserved, LONG* width, LONG* height) override;

  // IChannel
  HRESULT STDMETHODCALLTYPE GetChannel(LONG* out) override;
  HRESULT STDMETHODCALLTYPE SetChannel(LONG value) override;

  // IBlock
  HRESULT STDMETHODCALLTYPE GetStart(LONG* out) override;
  HRESULT STDMETHODCALLTYPE SetStart(LONG value) override;
  HRESULT STDMETHODCALLTYPE GetEnd(LONG* out) override;
  HRESULT STDMETHODCALLTYPE SetEnd(LONG value) override;
  HRESULT STDMETHODCALLTYPE DeleteBlock() override;
  HRESULT STDMETHODCALLTYPE KeepBlock() override;
  HRESULT STDMETHODCALLTYPE ResetBlock() override;

  // Test seams: marks the melody as playing (1) or idle (0) without a thread;
  // borrows note index (null outside the list).
  void SetBusyForTesting(LONG busy) { InterlockedExchange(&busy_, busy); }
  INote1* NoteForTesting(LONG index) {
    ObjectLock hold(lock_);
    return index >= 0 && index < Count() ? notes_[index] : nullptr;
  }

 protected:
  CMelody() = default;
  ~CMelody() override;

 private:
  using NoteStep = HRESULT (STDMETHODCALLTYPE INote1::*)();

  // The melody's playback thread (CMelodyPlay.cpp).
  struct PlaybackStart;
  struct Turn;
  static DWORD WINAPI PlaybackThread(LPVOID parameter);
  // Plays the range of the start record, taking turns with the two sets of
  // note events (one note sounds while the next waits behind it); returns
  // when the range is over or playback is stopped.
  void PlayRange(const PlaybackStart& start, Turn (&turns)[2]);
  // Note index with a reference added for the caller, or null outside the
  // list; takes the melody's lock.
  INote1* AcquireNote(LONG index);

  // The following helpers run inside a method body, under the melody's lock;
  // failures are raised (ComError).
  // Creates a default note (flags FLAG_REST for a rest), inserts it after the
  // current note (or at the end when there is none) and makes it current.
  void InsertNew(bool rest);
  // Deselects the current note, then selects note index when it exists.
  void MakeCurrent(LONG index);
  // Releases and removes the notes [first, last).
  void RemoveNotes(LONG first, LONG last);
  void ReleaseAllNotes();
  // Fails with the block's description unless 0 <= start <= end <= count, start < count.
  void ValidateBlock() const;
  LONG Count() const { return static_cast<LONG>(notes_.size()); }

  HRESULT ReadCurrent(SHORT* out, HRESULT (STDMETHODCALLTYPE INote1::*get)(SHORT*)) noexcept;
  HRESULT StepCurrentPitch(SHORT* before, SHORT* after, NoteStep step) noexcept;
  HRESULT StepCurrentLength(SHORT* durationBefore, SHORT* durationAfter, SHORT* flagsBefore, SHORT* flagsAfter,
                            NoteStep step) noexcept;
  HRESULT ReadField(LONG* out, const LONG& field) noexcept;
  HRESULT WriteField(LONG& field, LONG value) noexcept;

  std::vector<INote1*> notes_;  // one reference held on each
  LONG current_ = -1;           // index of the selected note, or -1
  std::u16string name_;
  LONG channel_ = 1;
  LONG blockStart_ = -1;        // first index of the block, or -1
  LONG blockEnd_ = -1;          // one past the block's last index, or -1
  HANDLE thread_ = nullptr;     // the last playback thread started, or null
  volatile LONG busy_ = 0;      // 1 while the playback thread runs
  HANDLE stopEvent_ = nullptr;  // unnamed, auto-reset; ends playback
};

}  // namespace nv
