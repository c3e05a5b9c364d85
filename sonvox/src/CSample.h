// The synthesiser's sound source: a timbre described once by one period of
// a waveform (Fill), notes rendered from it (PreparePlay) and played on the
// wave output from a thread of the sample's own (Play, Stop).
//
// Rendering and playing are separate so that the next note can be rendered
// while the current one sounds: Play hands its thread a private copy of the
// rendered buffer. The thread never takes the object's lock; it reads only
// the play copy and the stop event and writes busy_ by interlocked exchange.
// Play is refused while busy_, so at most one playback thread runs;
// FinalRelease stops it and waits for it.
#pragma once

#include <vector>

#include "CObjectBase.h"
#include "InterfaceEntry.h"
#include "Synthesizer.h"
#include "platform/Com.h"
#include "sonvox/Sonvox.h"

namespace nv {

class CSample : public CObjectBase<CSample>, public ISupportErrorInfo, public ISample1 {
 public:
  static constexpr char progId[] = "Sonvox.Sample";
  static const InterfaceEntry<CSample> interfaceMap[];

  // Creates the stop event; E_HANDLE when it cannot.
  HRESULT Initialize();
  // Stops and waits for the playback thread, if one was ever started.
  void FinalRelease();

  // E_ABORT while playing; E_FAIL when there is no audio output device;
  // E_INVALIDARG unless waveform is a non-empty one-dimensional
  // VT_ARRAY | VT_UI1; E_OUTOFMEMORY. A failure keeps the earlier analysis.
  HRESULT STDMETHODCALLTYPE Fill(VARIANT waveform, LONG sampleRate, double frequency) override;
  // E_FAIL before a successful Fill; E_INVALIDARG for a length below 1 tick;
  // E_OUTOFMEMORY. Allowed while playing. After a failure past the Fill check
  // nothing is rendered.
  HRESULT STDMETHODCALLTYPE PreparePlay(LONG frequency, LONG length) override;
  // E_FAIL while playing or with nothing rendered; E_OUTOFMEMORY; E_HANDLE
  // when the thread's start-up cannot be arranged. Returns once the thread runs.
  HRESULT STDMETHODCALLTYPE Play(HANDLE finished) override;
  HRESULT STDMETHODCALLTYPE Stop() override;

  // Test seam: the last rendered buffer.
  std::vector<BYTE> RenderedForTesting() {
    ObjectLock hold(lock_);
    return rendered_;
  }

 protected:
  CSample() = default;
  ~CSample() override;

 private:
  struct ThreadStart;
  static DWORD WINAPI PlaybackThread(LPVOID parameter);
  // Plays the play copy to its end or until the stop event; false when the
  // wave output could not be opened or refused the buffer.
  bool PlayCopyOnDevice();

  Synthesizer synth_;
  std::vector<BYTE> rendered_;  // empty: nothing rendered
  std::vector<BYTE> playCopy_;  // read by the playback thread while busy_
  HANDLE thread_ = nullptr;     // the last playback thread started, or null
  volatile LONG busy_ = 0;      // 1 while the playback thread runs
  HANDLE stopEvent_ = nullptr;  // unnamed, auto-reset; ends playback
};

}  // namespace nv
