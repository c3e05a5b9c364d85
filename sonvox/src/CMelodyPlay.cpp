// A melody playing a range of its notes one after the other: each next note
// is rendered and handed to the sample while the current one sounds, so
// that it follows without a gap; the sounding note is made current, and the
// caller's window is told which note sounds.
#include <utility>

#include "CMelody.h"
#include "CNote.h"
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

// A note symbol on its way through the sample, with its own started and
// finished events.
struct CMelody::Turn {
  HANDLE started = nullptr;
  HANDLE finished = nullptr;
  ComPtr<INote1> note;
  bool playing = false;  // its Play was accepted
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
    ScopedHandle events[4];
    bool created = true;
    for (ScopedHandle& event : events) {
      event.reset(CreateEvent(nullptr, FALSE, FALSE, nullptr));
      created = created && event;
    }
    if (created) {
      Turn turns[2];
      turns[0].started = events[0].get();
      turns[0].finished = events[1].get();
      turns[1].started = events[2].get();
      turns[1].finished = events[3].get();
      start.melody->PlayRange(start, turns);
    }
  }

  start.sample->Release();
  // The melody may be played again once busy_ drops: nothing of it is
  // touched afterwards.
  InterlockedExchange(&start.melody->busy_, 0);
  CoUninitialize();
  return 0;
}

void CMelody::PlayRange(const PlaybackStart& start, Turn (&turns)[2]) {
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

  // Renders note `index` and hands it to the sample behind whatever sounds.
  // False when the note is gone (the list cannot change while the melody is
  // busy; the range ends there if it did).
  auto begin = [&](LONG index, Turn& turn) {
    turn.note = ComPtr<INote1>(AcquireNote(index));
    if (!turn.note) return false;
    turn.note->PrepareSound(start.sample);
    // Every note of a melody is a CNote made by the melody itself.
    turn.playing =
        SUCCEEDED(static_cast<CNote*>(turn.note.get())->PlayInSequence(turn.started, turn.finished, start.sample));
    if (turn.playing) WaitForSingleObject(turn.started, INFINITE);
    return true;
  };
  // Waits until the turn's note is over; false when stopped first. A note
  // that would not play (busy elsewhere) counts as over at once, so that the
  // melody goes on instead of waiting for signals that never come.
  auto over = [&](const Turn& turn) {
    if (!turn.playing) return WaitForSingleObject(start.stopEvent, 0) != WAIT_OBJECT_0;
    const HANDLE waits[2] = {start.stopEvent, turn.finished};  // stop first: it wins a tie
    return WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0;
  };

  Turn* current = &turns[0];
  Turn* next = &turns[1];
  LONG i = first;
  if (!begin(i, *current)) return;
  SetCurrent(i);
  notify(i);
  for (;;) {
    // The block's end may be moved while it plays; it is read as each note
    // starts, when the next one is handed over.
    if (start.blockOnly != 0) GetEnd(&end);
    const LONG n = i + 1;
    const bool following = n < end && n < count && begin(n, *next);
    if (!over(*current)) {
      // The note stop event is shared by every note of the process, so this
      // stops the sounding note; the sample's stop drops the one waiting
      // behind it as well.
      current->note->Stop();
      if (current->playing) WaitForSingleObject(current->finished, INFINITE);
      if (following && next->playing && WaitForSingleObject(next->finished, 0) == WAIT_TIMEOUT) {
        next->note->Stop();
        WaitForSingleObject(next->finished, INFINITE);
      }
      return;
    }
    if (!following) {
      SetCurrent(n);
      notify(n);
      return;
    }
    std::swap(current, next);
    i = n;
    SetCurrent(i);
    notify(i);
  }
}

}  // namespace nv
