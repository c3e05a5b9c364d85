// The synthesiser's sound source: a timbre described once by one period of
// a waveform (Fill), notes rendered from it (PreparePlay) and played on the
// wave output from a thread of the sample's own (Play, Stop).
//
// Rendering and playing are separate so that the next note can be rendered
// while the current one sounds: playing takes a private copy of the rendered
// buffer. The playback thread never takes the object's lock; it reads the
// copies it was given and the stop event, and writes busy_ by interlocked
// exchange. Play is refused while busy_, so at most one playback thread runs;
// through ISampleSequence one more buffer may be handed to the running thread,
// which writes it right behind the sounding one so that the two play without
// a gap. FinalRelease stops the thread and waits for it.
#pragma once

#include <deque>
#include <mutex>
#include <vector>

#include "CObjectBase.h"
#include "ISampleSequence.h"
#include "InterfaceEntry.h"
#include "Synthesizer.h"
#include "platform/Com.h"
#include "platform/WaveOut.h"
#include "sonvox/Sonvox.h"

namespace nv {

class CSample : public CObjectBase<CSample>, public ISupportErrorInfo, public ISample1, public ISampleSequence {
 public:
  static constexpr char progId[] = "Sonvox.Sample";
  static const InterfaceEntry<CSample> interfaceMap[];

  // Creates the stop and hand-over events; E_HANDLE when it cannot.
  HRESULT Initialize();
  // Stops and waits for the playback thread, if one was ever started.
  void FinalRelease();

  // E_ABORT while playing; E_FAIL when there is no audio output device;
  // E_INVALIDARG unless waveform is a non-empty one-dimensional
  // VT_ARRAY | VT_UI1, and for a sample rate at or below 0 or a waveform
  // holding less than one period (or a period count that is not finite);
  // E_OUTOFMEMORY. A failure keeps the earlier analysis.
  HRESULT STDMETHODCALLTYPE Fill(VARIANT waveform, LONG sampleRate, double frequency) override;
  // E_FAIL before a successful Fill; E_INVALIDARG for a length below 1 tick;
  // E_OUTOFMEMORY. Allowed while playing. After a failure past the Fill check
  // nothing is rendered.
  HRESULT STDMETHODCALLTYPE PreparePlay(LONG frequency, LONG length) override;
  // E_FAIL while playing or with nothing rendered; E_OUTOFMEMORY; E_HANDLE
  // when the thread's start-up cannot be arranged. Returns once the thread runs.
  HRESULT STDMETHODCALLTYPE Play(HANDLE finished) override;
  HRESULT STDMETHODCALLTYPE Stop() override;

  HRESULT STDMETHODCALLTYPE PlayNext(HANDLE finished) override;
  HRESULT STDMETHODCALLTYPE PlaySilenceNext(LONG length, HANDLE finished) override;

  // Test seam: the last rendered buffer.
  std::vector<BYTE> RenderedForTesting() {
    ObjectLock hold(lock_);
    return rendered_;
  }

 protected:
  CSample() = default;
  ~CSample() override;

 private:
  // One buffer of the playback thread: its bytes, its header on the device
  // and the caller's finished handle. Kept in a deque, so that the bytes and
  // the header stay where they are while later buffers are added.
  struct Buffer {
    std::vector<BYTE> bytes;
    HANDLE finished;  // may be null
    WAVEHDR header{};
    bool written = false;  // handed to the device
    bool refused = false;  // the device would not take it: over at once
  };
  struct ThreadStart;
  static DWORD WINAPI PlaybackThread(LPVOID parameter);

  // Plays `bytes` (Play's rules when idle): starts the thread, or hands the
  // buffer to the running thread when `follow` allows it.
  HRESULT Enqueue(std::vector<BYTE>&& bytes, HANDLE finished, bool follow);
  HRESULT StartThread();
  // The thread's work: plays the queue until it is empty or stopped.
  void PlayQueue();
  // Writes the buffers not yet on the device; a buffer the device refuses
  // is marked done at once.
  void WriteNew(HWAVEOUT device);
  // Takes the finished buffers off the front of the queue, signalling them
  // in order; true (the last one's finished handle left to the caller) when
  // the queue is empty and takes no more buffers.
  bool RetireDone(HWAVEOUT device, HANDLE* lastFinished);
  // Without a device every buffer is over at once.
  void RetireAll();

  Synthesizer synth_;
  std::vector<BYTE> rendered_;  // empty: nothing rendered
  HANDLE thread_ = nullptr;     // the last playback thread started, or null
  volatile LONG busy_ = 0;      // 1 while the playback thread runs
  HANDLE stopEvent_ = nullptr;  // unnamed, auto-reset; ends playback
  HANDLE handOver_ = nullptr;   // unnamed, auto-reset; a buffer was added to the queue

  // Shared by the callers and the playback thread.
  std::mutex queueLock_;
  std::deque<Buffer> queue_;  // the front one sounds
  bool accepting_ = false;    // the running thread still takes buffers
};

}  // namespace nv
