// A melody playing a range of its notes one after the other: each next note
// is rendered while the current one sounds, the sounding note is made
// current, and the caller's window is told which note sounds.
#include "CMelody.h"
#include "platform/ComPtr.h"
#include "ScopedHandle.h"
#include "platform/Kernel.h"
#include "platform/Messages.h"

namespace nv {

// Copied by the thread before it signals ready; the record lives on Play's stack.
struct CMelody::PlaybackStart {
  HANDLE ready;
  CMelody* melody;
  ISample1* sample;
  SHORT blockOnly;  // non-zero: play the block only
  HWND window;      // may be null
  UINT message;
  HANDLE stopEvent;
};

HRESULT CMelody::Play(SHORT blockOnly, ISample1* sample, HWND window, UINT message) {
  return RunUnlessBusy(busy_, [&]() -> HRESULT {
    if (sample == nullptr) return E_POINTER;
    ScopedHandle ready(CreateEvent(nullptr, FALSE, FALSE, nullptr));
    if (!ready) return E_HANDLE;
    // A Stop given while nothing played must not cut this start.
    ResetEvent(stopEvent_);
    if (thread_ != nullptr) {
      CloseHandle(thread_);
      thread_ = nullptr;
    }
    PlaybackStart start{ready.get(), this, sample, blockOnly, window, message, stopEvent_};
    thread_ = CreateThread(nullptr, 0, &CMelody::PlaybackThread, &start, 0, nullptr);
    if (thread_ == nullptr) return E_HANDLE;
    WaitForSingleObject(ready.get(), INFINITE);
    return S_OK;
  });
}

HRESULT CMelody::Stop() {
  return Run([&]() -> HRESULT {
    SetEvent(stopEvent_);
    return S_OK;
  });
}

HRESULT CMelody::IsPlaying(SHORT* out) {
  return Run([&]() -> HRESULT {
    if (out == nullptr) return E_POINTER;
    *out = InterlockedRead(&busy_) != 0 ? 1 : 0;
    return S_OK;
  });
}

INote1* CMelody::AcquireNote(LONG index) {
  ObjectLock hold(lock_);
  if (index < 0 || index >= Count()) return nullptr;
  notes_[index]->AddRef();
  return notes_[index];
}

DWORD WINAPI CMelody::PlaybackThread(LPVOID parameter) {
  const PlaybackStart start = *static_cast<const PlaybackStart*>(parameter);
  // Best effort: an unprivileged process may not raise its threads.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
    SetEvent(start.ready);
    return 0;
  }
  start.sample->AddRef();
  InterlockedExchange(&start.melody->busy_, 1);
  SetEvent(start.ready);  // `parameter` is gone from here on

  {
    ScopedHandle started(CreateEvent(nullptr, FALSE, FALSE, nullptr));
    ScopedHandle finished(CreateEvent(nullptr, FALSE, FALSE, nullptr));
    if (started && finished) start.melody->PlayRange(start, started.get(), finished.get());
  }

  start.sample->Release();
  // The melody may be played again once busy_ drops: nothing of it is
  // touched afterwards.
  InterlockedExchange(&start.melody->busy_, 0);
  CoUninitialize();
  return 0;
}

void CMelody::PlayRange(const PlaybackStart& start, HANDLE started, HANDLE finished) {
  auto notify = [&](LONG index) {
    if (start.window != nullptr) PostMessage(start.window, start.message, static_cast<WPARAM>(index), 0);
  };

  LONG count = 0;
  GetCount(&count);
  LONG first = 0;
  LONG end = count;
  if (start.blockOnly != 0) {
    GetStart(&first);
    GetEnd(&end);
  }
  // An invalid range sounds nothing and tells nobody.
  if (first < 0 || first >= count || end < 0 || end > count || first >= end) return;

  LONG i = first;
  ComPtr<INote1> note(AcquireNote(i));
  if (!note) return;
  note->PrepareSound(start.sample);
  for (;;) {
    const HRESULT played = note->Play(started, finished, start.sample);
    SetCurrent(i);
    notify(i);
    // A note that would not play (busy elsewhere) counts as over at once,
    // so that the melody goes on instead of waiting for signals that never come.
    if (SUCCEEDED(played)) WaitForSingleObject(started, INFINITE);

    ++i;
    if (i < count) {
      ComPtr<INote1> next(AcquireNote(i));
      if (next) {
        note = std::move(next);
        // Rendered while the current note sounds: the sample plays its own copy.
        note->PrepareSound(start.sample);
      } else {
        count = i;  // the list cannot change while the melody is busy; end here if it did
      }
    }

    bool stopped = false;
    if (SUCCEEDED(played)) {
      // Stop first: when both are signalled the stop wins.
      const HANDLE waits[2] = {start.stopEvent, finished};
      stopped = WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0;
    } else {
      stopped = WaitForSingleObject(start.stopEvent, 0) == WAIT_OBJECT_0;
    }
    if (stopped) {
      // The note stop event is shared by every note of the process, so this
      // stops the sounding note even when `note` is already the next one.
      note->Stop();
      if (SUCCEEDED(played)) WaitForSingleObject(finished, INFINITE);
      return;
    }

    // The block's end may be moved while it plays.
    if (start.blockOnly != 0) GetEnd(&end);
    if (i >= end || i == count) {
      SetCurrent(i);
      notify(i);
      return;
    }
  }
}

}  // namespace nv
