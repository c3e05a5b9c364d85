#include "CSample.h"

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
  ~ScopedWaveOut() {
    if (device_ != nullptr) waveOutClose(device_);
  }
  ScopedWaveOut(const ScopedWaveOut&) = delete;
  ScopedWaveOut& operator=(const ScopedWaveOut&) = delete;
  HWAVEOUT* out() { return &device_; }
  HWAVEOUT get() const { return device_; }

 private:
  HWAVEOUT device_ = nullptr;
};

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
    {nullptr, nullptr},
};

struct CSample::ThreadStart {
  CSample* sample;
  HANDLE started;   // signalled once the thread has copied this record and is busy
  HANDLE finished;  // the caller's, may be null
};

HRESULT CSample::Initialize() {
  stopEvent_ = CreateEvent(nullptr, FALSE, FALSE, nullptr);
  return stopEvent_ != nullptr ? S_OK : E_HANDLE;
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
}

HRESULT CSample::Fill(VARIANT waveform, LONG sampleRate, double frequency) {
  return Run([&]() -> HRESULT {
    if (InterlockedRead(&busy_) != 0) Raise(E_ABORT, kBusyText);
    WAVEOUTCAPS caps{};
    if (waveOutGetDevCaps(WAVE_MAPPER, &caps, sizeof caps) != MMSYSERR_NOERROR) Raise(E_FAIL, kNoDeviceText);
    std::vector<BYTE> bytes;
    ReadWaveform(waveform, &bytes);
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
    playCopy_ = rendered_;
    ScopedHandle started(CreateEvent(nullptr, FALSE, FALSE, nullptr));
    if (started.get() == nullptr) return E_HANDLE;
    // A Stop given while nothing played must not cut this sound.
    ResetEvent(stopEvent_);
    if (thread_ != nullptr) {
      CloseHandle(thread_);
      thread_ = nullptr;
    }
    ThreadStart start{this, started.get(), finished};
    thread_ = CreateThread(nullptr, 0, &CSample::PlaybackThread, &start, 0, nullptr);
    if (thread_ == nullptr) return E_HANDLE;
    WaitForSingleObject(started.get(), INFINITE);
    return S_OK;
  });
}

HRESULT CSample::Stop() {
  return Run([&]() -> HRESULT {
    SetEvent(stopEvent_);
    return S_OK;
  });
}

DWORD WINAPI CSample::PlaybackThread(LPVOID parameter) {
  const ThreadStart start = *static_cast<const ThreadStart*>(parameter);
  // Best effort: an unprivileged process may not raise its threads.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
  CSample* const self = start.sample;
  InterlockedExchange(&self->busy_, 1);
  SetEvent(start.started);  // `parameter` lives on Play's stack: not used past here

  // A device that cannot be opened ends the sound at once: finished follows
  // immediately and tells the caller the note is over.
  self->PlayCopyOnDevice();

  // Nothing of the object may be touched after busy_ drops: a new Play may
  // start, or the object be destroyed, from then on.
  InterlockedExchange(&self->busy_, 0);
  if (start.finished != nullptr) SetEvent(start.finished);
  return 0;
}

bool CSample::PlayCopyOnDevice() {
  ScopedHandle deviceEvent(CreateEvent(nullptr, FALSE, FALSE, nullptr));
  if (deviceEvent.get() == nullptr) return false;
  ScopedWaveOut device;
  if (waveOutOpen(device.out(), WAVE_MAPPER, &kOutputFormat, reinterpret_cast<DWORD_PTR>(deviceEvent.get()), 0,
                  CALLBACK_EVENT | WAVE_ALLOWSYNC) != MMSYSERR_NOERROR) {
    return false;
  }
  // The open signal: from here on a signal means the one buffer is done.
  WaitForSingleObject(deviceEvent.get(), INFINITE);

  WAVEHDR header{};
  header.lpData = reinterpret_cast<LPSTR>(playCopy_.data());
  header.dwBufferLength = static_cast<DWORD>(playCopy_.size());
  if (waveOutPrepareHeader(device.get(), &header, sizeof header) != MMSYSERR_NOERROR) return false;
  if (waveOutWrite(device.get(), &header, sizeof header) != MMSYSERR_NOERROR) {
    waveOutUnprepareHeader(device.get(), &header, sizeof header);
    return false;
  }
  const HANDLE waits[2] = {stopEvent_, deviceEvent.get()};
  for (;;) {
    const DWORD signalled = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (signalled == WAIT_OBJECT_0 + 1) break;
    // Stop (or a failed wait, which must not spin): the reset cuts the sound
    // and reports the buffer done before it returns.
    waveOutReset(device.get());
    if (signalled != WAIT_OBJECT_0) break;
  }
  waveOutUnprepareHeader(device.get(), &header, sizeof header);
  return true;
}

}  // namespace nv
