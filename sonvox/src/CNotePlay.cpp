// A note symbol playing itself: a pitched note plays the sample's rendered
// buffer and ends when the device has finished it; a rest, or a note whose
// sound cannot start, waits out its length on a waitable timer. Inside a
// melody a note follows the previous one on the sample's stream, and a rest
// is silence on that stream, so that the time line has no gaps.
#include "CNote.h"
#include "platform/ComPtr.h"
#include "ISampleSequence.h"
#include "NoteTables.h"
#include "ScopedHandle.h"
#include "platform/Kernel.h"

namespace nv {

// Copied by the thread before it signals ready; the record lives on Play's stack.
struct CNote::PlaybackStart {
  HANDLE ready;
  CNote* note;
  ISample1* sample;
  LONG frequency;  // Hz, 0 for a rest
  LONG length;     // 100 ns ticks
  HANDLE stopEvent;
  HANDLE started;   // the caller's, may be null
  HANDLE finished;  // the caller's, may be null
  bool inSequence;  // follow the sample's current sound
};

namespace {

void SignalIfSet(HANDLE event) {
  if (event != nullptr) SetEvent(event);
}

// Waits `length` ticks on timer, or until the stop event. Returns at once
// when the timer cannot be set.
void WaitOut(HANDLE timer, HANDLE stopEvent, LONG length) {
  LARGE_INTEGER due{};
  due.QuadPart = -static_cast<LONGLONG>(length);
  if (!SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) return;
  const HANDLE waits[2] = {stopEvent, timer};
  WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  CancelWaitableTimer(timer);
}

// Hands the sound to the sample: in sequence through ISampleSequence when
// asked and possible (a rest as silence), else through ISample1 (nothing for
// a rest, which then keeps time on the timer).
HRESULT StartSound(ISample1* sample, LONG frequency, LONG length, bool inSequence, HANDLE soundOver) {
  if (inSequence) {
    ComPtr<ISampleSequence> sequence;
    if (SUCCEEDED(sample->QueryInterface(IID_ISampleSequence, sequence.putVoid()))) {
      return frequency != 0 ? sequence->PlayNext(soundOver) : sequence->PlaySilenceNext(length, soundOver);
    }
  }
  return frequency != 0 ? sample->Play(soundOver) : E_FAIL;
}

}  // namespace

HRESULT CNote::PrepareSound(ISample1* sample) {
  return Run([&]() -> HRESULT {
    // The sample's verdict is not the note's: a note that cannot be rendered
    // still keeps its time when played (see PlaybackThread).
    if ((flags_ & FLAG_REST) == 0 && sample != nullptr) {
      sample->PreparePlay(NoteFrequency(pitch_), NoteLength(duration_, flags_));
    }
    return S_OK;
  });
}

HRESULT CNote::Play(HANDLE started, HANDLE finished, ISample1* sample) {
  return StartPlayback(started, finished, sample, false);
}

HRESULT CNote::PlayInSequence(HANDLE started, HANDLE finished, ISample1* sample) {
  return StartPlayback(started, finished, sample, true);
}

HRESULT CNote::StartPlayback(HANDLE started, HANDLE finished, ISample1* sample, bool inSequence) {
  return RunUnlessBusy(busy_, [&]() -> HRESULT {
    if (sample == nullptr) return E_POINTER;
    ScopedHandle ready(CreateEvent(nullptr, FALSE, FALSE, nullptr));
    if (!ready) return E_HANDLE;
    // A Stop given while nothing played must not cut this note.
    ResetEvent(stopEvent_);
    if (thread_ != nullptr) {
      CloseHandle(thread_);
      thread_ = nullptr;
    }
    const LONG frequency = (flags_ & FLAG_REST) != 0 ? 0 : NoteFrequency(pitch_);
    PlaybackStart start{ready.get(), this,    sample,   frequency, NoteLength(duration_, flags_),
                        stopEvent_,  started, finished, inSequence};
    thread_ = CreateThread(nullptr, 0, &CNote::PlaybackThread, &start, 0, nullptr);
    if (thread_ == nullptr) return E_HANDLE;
    WaitForSingleObject(ready.get(), INFINITE);
    return S_OK;
  });
}

HRESULT CNote::Stop() {
  return Run([&]() -> HRESULT {
    SetEvent(stopEvent_);
    return S_OK;
  });
}

DWORD WINAPI CNote::PlaybackThread(LPVOID parameter) {
  const PlaybackStart start = *static_cast<const PlaybackStart*>(parameter);
  // Best effort: an unprivileged process may not raise its threads.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
    // Started too, so that nobody waiting for the sound to begin hangs.
    SignalIfSet(start.started);
    SignalIfSet(start.finished);
    SetEvent(start.ready);
    return 0;
  }
  start.sample->AddRef();
  InterlockedExchange(&start.note->busy_, 1);
  SetEvent(start.ready);  // `parameter` is gone from here on

  {
    ScopedHandle soundOver(CreateEvent(nullptr, FALSE, FALSE, nullptr));
    ScopedHandle timer(CreateWaitableTimer(nullptr, FALSE, nullptr));
    if (!soundOver || !timer) {
      SignalIfSet(start.started);
    } else {
      const HRESULT played = StartSound(start.sample, start.frequency, start.length, start.inSequence, soundOver.get());
      SignalIfSet(start.started);
      if (SUCCEEDED(played)) {
        const HANDLE waits[2] = {start.stopEvent, soundOver.get()};
        // A stop asks the sample to cut the sound; the note is over when
        // the sample says so.
        while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0) start.sample->Stop();
      } else {
        // A rest, or a note the sample would not play, keeps its time in
        // silence unless stopped.
        WaitOut(timer.get(), start.stopEvent, start.length);
      }
    }
  }

  start.sample->Release();
  // The note may be played again once busy_ drops: nothing of it is touched
  // afterwards.
  InterlockedExchange(&start.note->busy_, 0);
  SignalIfSet(start.finished);
  CoUninitialize();
  return 0;
}

}  // namespace nv
