#include "CSample.h"

#include <cmath>
#include <cstring>
#include <new>

#include "ScopedHandle.h"
#include "platform/Kernel.h"
#include "platform/WaveOut.h"

namespace nv {

namespace {

constexpr char kNoDeviceText[] = "Аудио-устройство отсутсвует\n";
constexpr char kVariantText[] = "Ошибка в первом параметре (VARIANT)\n";
constexpr char kMemoryText[] = "Ошибка при выделении памяти\n";
constexpr char kNotFilledText[] = "Образец не заполнен.\nНеобходимо вызвать метод Fill.\n";
constexpr char kNotPreparedText[] = "Образец не готов к воспроизведению.\nНеобходимо вызвать метод PreparePlay.\n";

// The one output format: PCM, mono, 11025 unsigned 8-bit samples per second.
constexpr WAVEFORMATEX kOutputFormat{WAVE_FORMAT_PCM, 1, Synthesizer::kOutputRate, Synthesizer::kOutputRate, 1, 8, 0};

// Closes an open wave output on scope exit; it must have nothing queued by then.
class ScopedWaveOut {
 public:
  ScopedWaveOut() = default;
  ~ScopedWaveOut() { Close(); }
  ScopedWaveOut(const ScopedWaveOut&) = delete;
  ScopedWaveOut& operator=(const ScopedWaveOut&) = delete;
  HWAVEOUT* out() { return &device_; }
  HWAVEOUT get() const { return device_; }
  void Close() {
    if (device_ != nullptr) waveOutClose(device_);
    device_ = nullptr;
  }

 private:
  HWAVEOUT device_ = nullptr;
};

// The level of silence in unsigned 8-bit PCM.
constexpr BYTE kSilence = 127;

// Reads the bytes of a one-dimensional safe array, lower to upper bound, into
// bytes. The type is checked after the buffer is made, so that an allocation
// failure is reported before a wrong element type.
void ReadWaveform(const VARIANT& waveform, std::vector<BYTE>* bytes) {
  if ((waveform.vt & VT_ARRAY) == 0) Raise(E_INVALIDARG, kVariantText);
  SAFEARRAY* array = waveform.parray;
  LONG lower = 0;
  LONG upper = -1;
  if (array == nullptr || SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(array, 1, &upper)) || upper < lower) {
    Raise(E_INVALIDARG, kVariantText);
  }
  const size_t count = static_cast<size_t>(static_cast<int64_t>(upper) - lower + 1);
  try {
    bytes->assign(count, 0);
  } catch (const std::bad_alloc&) {
    Raise(E_OUTOFMEMORY, kMemoryText);
  }
  if (waveform.vt != (VT_ARRAY | VT_UI1) || SafeArrayGetElemsize(array) != 1) Raise(E_INVALIDARG, kVariantText);
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(array, &data)) || data == nullptr) Raise(E_INVALIDARG, kVariantText);
  std::memcpy(bytes->data(), data, count);
  SafeArrayUnaccessData(array);
}

}  // namespace

const InterfaceEntry<CSample> CSample::interfaceMap[] = {
    {&IID_ISupportErrorInfo, &InterfacePart<CSample, ISupportErrorInfo>},
    {&IID_ISample1, &InterfacePart<CSample, ISample1>},
    {&IID_ISampleSequence, &InterfacePart<CSample, ISampleSequence>},
    {nullptr, nullptr},
};

struct CSample::ThreadStart {
  CSample* sample;
  HANDLE started;  // signalled once the thread has copied this record and is busy
};

HRESULT CSample::Initialize() {
  stopEvent_ = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  handOver_ = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  return stopEvent_ != nullptr && handOver_ != nullptr ? S_OK : E_HANDLE;
}

void CSample::FinalRelease() {
  if (thread_ != nullptr) {
    SetEvent(stopEvent_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
}

CSample::~CSample() {
  if (stopEvent_ != nullptr) CloseHandle(stopEvent_);
  if (handOver_ != nullptr) CloseHandle(handOver_);
}

HRESULT CSample::Fill(VARIANT waveform, LONG sampleRate, double frequency) {
  return Run([&]() -> HRESULT {
    if (InterlockedRead(&busy_) != 0) Raise(E_ABORT, kBusyText);
    WAVEOUTCAPS caps{};
    if (waveOutGetDevCaps(WAVE_MAPPER, &caps, sizeof caps) != MMSYSERR_NOERROR) Raise(E_FAIL, kNoDeviceText);
    std::vector<BYTE> bytes;
    ReadWaveform(waveform, &bytes);
    // An analysis without a whole period renders nothing audible and one at
    // rate 0 divides by zero: refused before the earlier analysis is touched.
    if (sampleRate <= 0) return E_INVALIDARG;
    const double periods = static_cast<double>(bytes.size()) * frequency * (1.0 / sampleRate);
    if (!std::isfinite(periods) || periods < 1) return E_INVALIDARG;
    synth_.Analyse(bytes.data(), bytes.size(), sampleRate, frequency);
    return S_OK;
  });
}

HRESULT CSample::PreparePlay(LONG frequency, LONG length) {
  return Run([&]() -> HRESULT {
    if (!synth_.IsFilled()) Raise(E_FAIL, kNotFilledText);
    rendered_.clear();
    if (length < 1) return E_INVALIDARG;
    rendered_.resize(Synthesizer::RenderLength(length));
    synth_.Render(frequency, rendered_.data(), rendered_.size());
    return S_OK;
  });
}

HRESULT CSample::Play(HANDLE finished) {
  return Run([&]() -> HRESULT {
    if (InterlockedRead(&busy_) != 0) Raise(E_FAIL, kBusyText);
    if (rendered_.empty()) Raise(E_FAIL, kNotPreparedText);
    return Enqueue(std::vector<BYTE>(rendered_), finished, false);
  });
}

HRESULT CSample::PlayNext(HANDLE finished) {
  return Run([&]() -> HRESULT {
    if (rendered_.empty()) Raise(E_FAIL, kNotPreparedText);
    return Enqueue(std::vector<BYTE>(rendered_), finished, true);
  });
}

HRESULT CSample::PlaySilenceNext(LONG length, HANDLE finished) {
  return Run([&]() -> HRESULT {
    if (length < 1) return E_INVALIDARG;
    return Enqueue(std::vector<BYTE>(Synthesizer::RenderLength(length), kSilence), finished, true);
  });
}

HRESULT CSample::Stop() {
  return Run([&]() -> HRESULT {
    SetEvent(stopEvent_);
    return S_OK;
  });
}

// Runs under the object's lock, which keeps callers from starting two threads.
HRESULT CSample::Enqueue(std::vector<BYTE>&& bytes, HANDLE finished, bool follow) {
  if (InterlockedRead(&busy_) != 0) {
    if (!follow) Raise(E_FAIL, kBusyText);
    {
      std::lock_guard<std::mutex> hold(queueLock_);
      if (accepting_) {
        // One buffer may wait behind the sounding one: enough to keep the
        // device fed, and a stop never has more than two to cut.
        if (queue_.size() >= 2) Raise(E_FAIL, kBusyText);
        queue_.push_back(Buffer{std::move(bytes), finished});
        SetEvent(handOver_);
        return S_OK;
      }
    }
    // The thread is ending (its last buffer is over, or it was stopped): it
    // takes no lock on its way out, so waiting for it here is short.
    WaitForSingleObject(thread_, INFINITE);
  }
  {
    std::lock_guard<std::mutex> hold(queueLock_);
    queue_.clear();
    queue_.push_back(Buffer{std::move(bytes), finished});
    accepting_ = true;
  }
  // A Stop given while nothing played must not cut this sound.
  ResetEvent(stopEvent_);
  ResetEvent(handOver_);
  return StartThread();
}

HRESULT CSample::StartThread() {
  ScopedHandle started(CreateEvent(nullptr, FALSE, FALSE, nullptr));
  if (started.get() == nullptr) return E_HANDLE;
  if (thread_ != nullptr) {
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  ThreadStart start{this, started.get()};
  thread_ = CreateThread(nullptr, 0, &CSample::PlaybackThread, &start, 0, nullptr);
  if (thread_ == nullptr) {
    std::lock_guard<std::mutex> hold(queueLock_);
    queue_.clear();
    accepting_ = false;
    return E_HANDLE;
  }
  WaitForSingleObject(started.get(), INFINITE);
  return S_OK;
}

DWORD WINAPI CSample::PlaybackThread(LPVOID parameter) {
  const ThreadStart start = *static_cast<const ThreadStart*>(parameter);
  // Best effort: an unprivileged process may not raise its threads.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
  CSample* const self = start.sample;
  InterlockedExchange(&self->busy_, 1);
  SetEvent(start.started);  // `parameter` lives on the caller's stack: not used past here
  self->PlayQueue();
  return 0;
}

void CSample::PlayQueue() {
  ScopedHandle deviceEvent(CreateEvent(nullptr, FALSE, FALSE, nullptr));
  ScopedWaveOut device;
  // A device that cannot be opened ends the sound at once: finished follows
  // immediately and tells the caller the note is over.
  if (deviceEvent.get() == nullptr ||
      waveOutOpen(device.out(), WAVE_MAPPER, &kOutputFormat, reinterpret_cast<DWORD_PTR>(deviceEvent.get()), 0,
                  CALLBACK_EVENT | WAVE_ALLOWSYNC) != MMSYSERR_NOERROR) {
    RetireAll();
    return;
  }
  // The open signal: from here on a signal means a buffer is done.
  WaitForSingleObject(deviceEvent.get(), INFINITE);

  const HANDLE waits[3] = {stopEvent_, deviceEvent.get(), handOver_};
  HANDLE lastFinished = nullptr;
  for (;;) {
    WriteNew(device.get());
    if (RetireDone(device.get(), &lastFinished)) break;
    const DWORD signalled = WaitForMultipleObjects(3, waits, FALSE, INFINITE);
    if (signalled == WAIT_OBJECT_0 || signalled == WAIT_FAILED) {
      // Stop (or a failed wait, which must not spin): nothing more is taken,
      // and the reset cuts the sound and reports every buffer done before it
      // returns.
      {
        std::lock_guard<std::mutex> hold(queueLock_);
        accepting_ = false;
      }
      WriteNew(device.get());
      waveOutReset(device.get());
    }
  }
  // The stream goes back to the wave output before busy_ drops, so that the
  // next Play finds it open and its sound follows this one without a gap.
  device.Close();
  // Nothing of the object may be touched after busy_ drops: a new Play may
  // start, or the object be destroyed, from then on.
  InterlockedExchange(&busy_, 0);
  if (lastFinished != nullptr) SetEvent(lastFinished);
}

void CSample::WriteNew(HWAVEOUT device) {
  std::lock_guard<std::mutex> hold(queueLock_);
  for (Buffer& buffer : queue_) {
    if (buffer.written) continue;
    buffer.written = true;
    buffer.header.lpData = reinterpret_cast<LPSTR>(buffer.bytes.data());
    buffer.header.dwBufferLength = static_cast<DWORD>(buffer.bytes.size());
    if (waveOutPrepareHeader(device, &buffer.header, sizeof buffer.header) != MMSYSERR_NOERROR) {
      buffer.refused = true;
    } else if (waveOutWrite(device, &buffer.header, sizeof buffer.header) != MMSYSERR_NOERROR) {
      waveOutUnprepareHeader(device, &buffer.header, sizeof buffer.header);
      buffer.refused = true;
    }
  }
}

bool CSample::RetireDone(HWAVEOUT device, HANDLE* lastFinished) {
  for (;;) {
    HANDLE finished = nullptr;
    {
      std::lock_guard<std::mutex> hold(queueLock_);
      if (queue_.empty() || !queue_.front().written) return false;
      Buffer& front = queue_.front();
      // The header's state belongs to the device until it is done; asking
      // the device (which refuses while the header is queued) reads it
      // under the device's own lock.
      if (!front.refused && waveOutUnprepareHeader(device, &front.header, sizeof front.header) != MMSYSERR_NOERROR) {
        return false;
      }
      finished = front.finished;
      queue_.pop_front();
      if (queue_.empty()) {
        // The last buffer is over: the thread ends, and a buffer handed over
        // from now on starts a new one.
        accepting_ = false;
        *lastFinished = finished;
        return true;
      }
    }
    if (finished != nullptr) SetEvent(finished);
  }
}

void CSample::RetireAll() {
  std::deque<Buffer> over;
  {
    std::lock_guard<std::mutex> hold(queueLock_);
    over.swap(queue_);
    accepting_ = false;
  }
  InterlockedExchange(&busy_, 0);
  for (const Buffer& buffer : over) {
    if (buffer.finished != nullptr) SetEvent(buffer.finished);
  }
}

}  // namespace nv
