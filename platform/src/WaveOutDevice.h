// One open wave-output device: a queue of caller-owned headers fed to a PCM
// by a thread of its own, in real time.
//
// Frames are numbered on one time line that starts when the device opens:
// frame f is due at origin + f / rate. A header placed on the line sounds
// from its first frame to its end and is reported done once its end is due
// and the PCM has played it, so its duration holds even on a PCM that
// swallows data at once. A header written while the previous one still
// sounds is placed right after it (no gap); one written to an idle device
// starts now.
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

  WaveOutDevice(std::unique_ptr<WaveOutPcm> pcm, const WAVEFORMATEX& format, const Callback& callback);
  // Closes the device if Close has not.
  ~WaveOutDevice();
  WaveOutDevice(const WaveOutDevice&) = delete;
  WaveOutDevice& operator=(const WaveOutDevice&) = delete;

  // Starts the feeding thread and reports WOM_OPEN. MMSYSERR_NOMEM when the
  // thread cannot be started.
  MMRESULT Start(HWAVEOUT handle);
  MMRESULT Prepare(WAVEHDR* header);
  // WAVERR_STILLPLAYING while the header is queued.
  MMRESULT Unprepare(WAVEHDR* header);
  // WAVERR_UNPREPARED, WAVERR_STILLPLAYING (already queued),
  // MMSYSERR_INVALHANDLE once closing, MMSYSERR_NOMEM.
  MMRESULT Write(WAVEHDR* header);
  // Drops the queued frames and reports every queued header done before returning.
  MMRESULT Reset();
  bool HasQueued();
  // Stops the thread, reports any header still queued done, then WOM_CLOSE.
  // Later calls do nothing.
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
  void Notify(UINT message, DWORD_PTR param) const;

  uint64_t FramesAt(Clock::time_point t) const;
  Clock::time_point TimeOf(uint64_t frame) const;

  const std::unique_ptr<WaveOutPcm> pcm_;
  const unsigned rate_;
  const unsigned frameBytes_;
  const uint64_t lead_;        // how far ahead of the time line the PCM is fed
  const uint64_t step_;        // feeding grain
  const uint64_t maxLatency_;  // after this much past its end a header is over even unheard
  const Callback callback_;
  const Clock::time_point origin_;
  HWAVEOUT handle_ = nullptr;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Entry> queue_;
  uint64_t lineEnd_ = 0;  // end of the last header placed
  uint64_t written_ = 0;  // frames handed to the PCM (gaps count as handed)
  bool closing_ = false;
  bool started_ = false;
  std::thread thread_;
};
