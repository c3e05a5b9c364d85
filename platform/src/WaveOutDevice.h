// One sound stream: a queue of caller-owned headers fed to a PCM by a
// thread of its own, in real time.
//
// Frames are numbered on one time line that starts when the stream opens:
// frame f is due at origin + f / rate. A header placed on the line sounds
// from its first frame to its end and is reported done once its end is due
// and the PCM's own delay says it has been played, so its duration holds
// even on a PCM that swallows data at once. A header written while the
// previous one still sounds is placed right after it (no gap); one written
// to an idle stream starts now.
//
// A stream serves one wave-output handle at a time. When the handle closes
// the stream stays open for a while (Detach): a sound server ends a stream
// slowly and throws away what it still holds when the stream is dropped, so
// the next handle for the same PCM takes the stream over (Attach) and its
// first header follows the last one without a gap. A stream nobody takes
// closes its PCM by itself once the linger time after its last frame is over.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "WaveOutPcm.h"
#include "platform/WaveOut.h"

class WaveOutDevice {
 public:
  struct Callback {
    DWORD kind;  // CALLBACK_NULL, CALLBACK_EVENT or CALLBACK_FUNCTION
    DWORD_PTR target;
    DWORD_PTR instance;
  };

  WaveOutDevice(std::unique_ptr<WaveOutPcm> pcm, const WAVEFORMATEX& format);
  // Closes the stream if Close has not.
  ~WaveOutDevice();
  WaveOutDevice(const WaveOutDevice&) = delete;
  WaveOutDevice& operator=(const WaveOutDevice&) = delete;

  // Starts the feeding thread. MMSYSERR_NOMEM when it cannot be started.
  MMRESULT Start();
  // Serves `handle` from now on and reports WOM_OPEN to `callback`. False
  // (nothing reported) when the stream has closed after lingering, or is
  // closing.
  bool Attach(HWAVEOUT handle, const Callback& callback);
  // Reports WOM_CLOSE to the handle's callback, after which the callback is
  // never called again, and keeps the PCM open for `linger` after the last
  // frame written. The queue must be empty.
  void Detach(std::chrono::milliseconds linger);
  // True once a detached stream has closed its PCM after lingering.
  bool HasExpired();

  MMRESULT Prepare(WAVEHDR* header);
  // WAVERR_STILLPLAYING while the header is queued.
  MMRESULT Unprepare(WAVEHDR* header);
  // WAVERR_UNPREPARED, WAVERR_STILLPLAYING (already queued),
  // MMSYSERR_INVALHANDLE once closing, MMSYSERR_NOMEM.
  MMRESULT Write(WAVEHDR* header);
  // Drops the queued frames and reports every queued header done before returning.
  MMRESULT Reset();
  bool HasQueued();
  // Stops the thread, reports any header still queued done and, while a
  // handle is attached, WOM_CLOSE; closes the PCM. Later calls do nothing.
  void Close();

 private:
  using Clock = std::chrono::steady_clock;

  struct Entry {
    WAVEHDR* header;
    uint64_t begin;  // first frame on the time line
    uint64_t end;    // one past the last frame
  };

  void Run();
  // Hands the PCM every queued frame up to `target`; true when the PCM is full.
  bool Feed(uint64_t target);
  // Removes the headers that are over at `nowFrame` and marks them done.
  void Complete(uint64_t nowFrame, std::vector<WAVEHDR*>* done);
  Clock::time_point NextWake(Clock::time_point now, uint64_t nowFrame, bool full) const;
  // Takes every queued header off the queue marked done (after a drop).
  void DropAll(std::vector<WAVEHDR*>* done);
  static void Notify(const Callback& callback, HWAVEOUT handle, UINT message, DWORD_PTR param);
  // Reports headers done from the feeding thread, the lock released meanwhile
  // (a callback may wake a thread that calls back into the stream).
  void NotifyDoneUnlocked(std::unique_lock<std::mutex>& lock, std::vector<WAVEHDR*>* done);

  uint64_t FramesAt(Clock::time_point t) const;
  Clock::time_point TimeOf(uint64_t frame) const;

  std::unique_ptr<WaveOutPcm> pcm_;  // released by the thread once expired
  const unsigned rate_;
  const unsigned frameBytes_;
  const uint64_t lead_;        // how far ahead of the time line the PCM is fed
  const uint64_t step_;        // feeding grain
  const uint64_t maxLatency_;  // after this much past its end a header is over even unheard
  const Clock::time_point origin_;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable quiet_;  // signalled when the thread's callbacks are over
  Callback callback_{CALLBACK_NULL, 0, 0};
  HWAVEOUT handle_ = nullptr;
  bool attached_ = false;
  bool notifying_ = false;                                    // the thread is inside callbacks
  Clock::time_point lingerUntil_ = Clock::time_point::max();  // while detached: when the PCM closes
  std::deque<Entry> queue_;
  uint64_t lineEnd_ = 0;  // end of the last header placed
  uint64_t written_ = 0;  // frames handed to the PCM (gaps count as handed)
  bool closing_ = false;
  bool expired_ = false;
  std::thread thread_;
};
